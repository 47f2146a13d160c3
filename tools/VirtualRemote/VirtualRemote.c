/* The virtual remote: a root-enumerated HID minidriver for the tests' Wine
 * prefix. Each device instance exposes one top-level collection; the first
 * three are the remote's collections, the fourth one the plug-in does not
 * register for. A report written to the device (WriteFile on its HID path)
 * comes back as its next input report, so the system's raw input stack turns
 * it into WM_INPUT for whichever window registered the collection. */
#include "HidMinidriver.h"

#include "VirtualRemote.h"

/* Reports written before the class driver asks for the next one wait here. */
#define QUEUE_LENGTH 64

typedef struct {
    const UCHAR* Descriptor;
    USHORT DescriptorLength;
    USHORT ProductId;
    volatile LONG Lock;
    IRP* PendingRead;
    BOOLEAN Removed;
    UCHAR Queue[QUEUE_LENGTH][VREMOTE_REPORT_LENGTH];
    ULONG QueueHead, QueueCount;
} TRemote;

/* Usage Page (16 bit), Usage, Application collection with report ID 1: seven
 * data bytes in, the same seven out. */
#define COLLECTION_DESCRIPTOR(PAGE, USAGE)                                                         \
    {                                                                                              \
        0x06, (PAGE)&0xFF, (PAGE) >> 8, 0x09, (USAGE), 0xA1, 0x01, 0x85, VREMOTE_REPORT_ID, 0x15,  \
            0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, VREMOTE_REPORT_LENGTH - 1, 0x09, 0x01, 0x81, \
            0x02, 0x09, 0x02, 0x91, 0x02, 0xC0                                                     \
    }

static const UCHAR Descriptors[VREMOTE_COLLECTIONS][27] = {
    COLLECTION_DESCRIPTOR(VREMOTE_PAGE_0, VREMOTE_USAGE_0),
    COLLECTION_DESCRIPTOR(VREMOTE_PAGE_1, VREMOTE_USAGE_1),
    COLLECTION_DESCRIPTOR(VREMOTE_PAGE_2, VREMOTE_USAGE_2),
    COLLECTION_DESCRIPTOR(VREMOTE_PAGE_3, VREMOTE_USAGE_3),
};

/* Devices are given their collections in the order they are added. */
static volatile LONG DevicesAdded = 0;

static TRemote* RemoteOf(DEVICE_OBJECT* Device) {
    return (TRemote*)((HID_DEVICE_EXTENSION*)Device->DeviceExtension)->MiniDeviceExtension;
}

static void Lock(TRemote* Remote) {
    while (InterlockedCompareExchange(&Remote->Lock, 1, 0) != 0)
        ;
}
static void Unlock(TRemote* Remote) {
    InterlockedExchange(&Remote->Lock, 0);
}

static NTSTATUS Complete(IRP* Irp, NTSTATUS Status, ULONG_PTR Information) {
    Irp->IoStatus.Status = Status;
    Irp->IoStatus.Information = Information;
    IoCompleteRequest(Irp, IO_NO_INCREMENT);
    return Status;
}

static NTSTATUS CompleteRead(IRP* Read, const UCHAR* Report) {
    const ULONG Length =
        IoGetCurrentIrpStackLocation(Read)->Parameters.DeviceIoControl.OutputBufferLength;
    if (Length < VREMOTE_REPORT_LENGTH)
        return Complete(Read, STATUS_BUFFER_TOO_SMALL, 0);
    RtlCopyMemory(Read->UserBuffer, Report, VREMOTE_REPORT_LENGTH);
    return Complete(Read, STATUS_SUCCESS, VREMOTE_REPORT_LENGTH);
}

static NTSTATUS Read(TRemote* Remote, IRP* Irp) {
    UCHAR Report[VREMOTE_REPORT_LENGTH];
    Lock(Remote);
    if (Remote->Removed) {
        Unlock(Remote);
        return Complete(Irp, STATUS_DELETE_PENDING, 0);
    }
    if (Remote->QueueCount > 0) {
        RtlCopyMemory(Report, Remote->Queue[Remote->QueueHead], VREMOTE_REPORT_LENGTH);
        Remote->QueueHead = (Remote->QueueHead + 1) % QUEUE_LENGTH;
        --Remote->QueueCount;
        Unlock(Remote);
        return CompleteRead(Irp, Report);
    }
    IoMarkIrpPending(Irp);
    Remote->PendingRead = Irp;
    Unlock(Remote);
    return STATUS_PENDING;
}

static NTSTATUS Write(TRemote* Remote, IRP* Irp) {
    const HID_XFER_PACKET* Packet = (const HID_XFER_PACKET*)Irp->UserBuffer;
    UCHAR Report[VREMOTE_REPORT_LENGTH] = {0};
    IRP* Waiting;
    ULONG Length;
    if (!Packet || !Packet->reportBuffer)
        return Complete(Irp, STATUS_INVALID_PARAMETER, 0);
    Length = Packet->reportBufferLen < VREMOTE_REPORT_LENGTH ? Packet->reportBufferLen
                                                             : VREMOTE_REPORT_LENGTH;
    RtlCopyMemory(Report, Packet->reportBuffer, Length);
    Report[0] = VREMOTE_REPORT_ID;

    Lock(Remote);
    Waiting = Remote->PendingRead;
    Remote->PendingRead = NULL;
    if (!Waiting) {
        if (Remote->QueueCount == QUEUE_LENGTH) {
            Unlock(Remote);
            return Complete(Irp, STATUS_DEVICE_BUSY, 0);
        }
        RtlCopyMemory(Remote->Queue[(Remote->QueueHead + Remote->QueueCount) % QUEUE_LENGTH],
                      Report, VREMOTE_REPORT_LENGTH);
        ++Remote->QueueCount;
    }
    Unlock(Remote);
    if (Waiting)
        CompleteRead(Waiting, Report);
    return Complete(Irp, STATUS_SUCCESS, Length);
}

static NTSTATUS NTAPI InternalIoctl(DEVICE_OBJECT* Device, IRP* Irp) {
    IO_STACK_LOCATION* Stack = IoGetCurrentIrpStackLocation(Irp);
    const ULONG OutLength = Stack->Parameters.DeviceIoControl.OutputBufferLength;
    TRemote* Remote = RemoteOf(Device);

    switch (Stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_HID_GET_DEVICE_DESCRIPTOR: {
        HID_DESCRIPTOR* Hid = (HID_DESCRIPTOR*)Irp->UserBuffer;
        if (OutLength < sizeof *Hid)
            return Complete(Irp, STATUS_BUFFER_TOO_SMALL, 0);
        RtlZeroMemory(Hid, sizeof *Hid);
        Hid->bLength = sizeof *Hid;
        Hid->bDescriptorType = HID_HID_DESCRIPTOR_TYPE;
        Hid->bcdHID = 0x0100;
        Hid->bNumDescriptors = 1;
        Hid->DescriptorList[0].bReportType = HID_REPORT_DESCRIPTOR_TYPE;
        Hid->DescriptorList[0].wReportLength = Remote->DescriptorLength;
        return Complete(Irp, STATUS_SUCCESS, sizeof *Hid);
    }
    case IOCTL_HID_GET_REPORT_DESCRIPTOR:
        if (OutLength < Remote->DescriptorLength)
            return Complete(Irp, STATUS_BUFFER_TOO_SMALL, 0);
        RtlCopyMemory(Irp->UserBuffer, Remote->Descriptor, Remote->DescriptorLength);
        return Complete(Irp, STATUS_SUCCESS, Remote->DescriptorLength);
    case IOCTL_HID_GET_DEVICE_ATTRIBUTES: {
        HID_DEVICE_ATTRIBUTES* Attributes = (HID_DEVICE_ATTRIBUTES*)Irp->UserBuffer;
        if (OutLength < sizeof *Attributes)
            return Complete(Irp, STATUS_BUFFER_TOO_SMALL, 0);
        RtlZeroMemory(Attributes, sizeof *Attributes);
        Attributes->Size = sizeof *Attributes;
        Attributes->VendorID = VREMOTE_VENDOR_ID;
        Attributes->ProductID = Remote->ProductId;
        Attributes->VersionNumber = 0x0100;
        return Complete(Irp, STATUS_SUCCESS, sizeof *Attributes);
    }
    case IOCTL_HID_READ_REPORT:
        return Read(Remote, Irp);
    case IOCTL_HID_WRITE_REPORT:
        return Write(Remote, Irp);
    case IOCTL_HID_ACTIVATE_DEVICE:
    case IOCTL_HID_DEACTIVATE_DEVICE:
        return Complete(Irp, STATUS_SUCCESS, 0);
    default:
        return Complete(Irp, STATUS_NOT_SUPPORTED, 0);
    }
}

static NTSTATUS NTAPI Pnp(DEVICE_OBJECT* Device, IRP* Irp) {
    IO_STACK_LOCATION* Stack = IoGetCurrentIrpStackLocation(Irp);
    HID_DEVICE_EXTENSION* Extension = (HID_DEVICE_EXTENSION*)Device->DeviceExtension;
    TRemote* Remote = RemoteOf(Device);
    IRP* Waiting = NULL;

    switch (Stack->MinorFunction) {
    case IRP_MN_SURPRISE_REMOVAL:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_REMOVE_DEVICE:
        Lock(Remote);
        Remote->Removed = TRUE;
        Waiting = Remote->PendingRead;
        Remote->PendingRead = NULL;
        Unlock(Remote);
        if (Waiting)
            Complete(Waiting, STATUS_DELETE_PENDING, 0);
        Irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_START_DEVICE:
    case IRP_MN_STOP_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
        Irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    }
    IoSkipCurrentIrpStackLocation(Irp);
    return IoCallDriver(Extension->NextDeviceObject, Irp);
}

static NTSTATUS NTAPI AddDevice(DRIVER_OBJECT* Driver, DEVICE_OBJECT* Device) {
    TRemote* Remote = RemoteOf(Device);
    const LONG Index = (InterlockedIncrement(&DevicesAdded) - 1) % VREMOTE_COLLECTIONS;
    (void)Driver;
    RtlZeroMemory(Remote, sizeof *Remote);
    Remote->Descriptor = Descriptors[Index];
    Remote->DescriptorLength = sizeof Descriptors[Index];
    Remote->ProductId = (USHORT)(VREMOTE_PRODUCT_ID_BASE + Index);
    Device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static void NTAPI Unload(DRIVER_OBJECT* Driver) {
    (void)Driver;
}

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* Driver, UNICODE_STRING* RegistryPath) {
    HID_MINIDRIVER_REGISTRATION Registration;
    RtlZeroMemory(&Registration, sizeof Registration);
    Registration.Revision = HID_REVISION;
    Registration.DriverObject = Driver;
    Registration.RegistryPath = RegistryPath;
    Registration.DeviceExtensionSize = sizeof(TRemote);
    Registration.DevicesArePolled = FALSE;

    Driver->DriverExtension->AddDevice = AddDevice;
    Driver->DriverUnload = Unload;
    Driver->MajorFunction[IRP_MJ_PNP] = Pnp;
    Driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = InternalIoctl;
    return HidRegisterMinidriver(&Registration);
}
