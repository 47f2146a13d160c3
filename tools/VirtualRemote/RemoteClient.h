// The user side of the virtual remote: finds its HID devices by their
// collection and presses keys by writing reports to them.
#pragma once

#include <windows.h>

#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
}

#include "VirtualRemote.h"

#include <cstring>

class TVirtualRemote {
  public:
    struct TCollection {
        USHORT UsagePage;
        USHORT Usage;
        HANDLE Device;
    };

    TVirtualRemote() {
        const USHORT Pages[] = {VREMOTE_PAGE_0, VREMOTE_PAGE_1, VREMOTE_PAGE_2, VREMOTE_PAGE_3};
        const USHORT Usages[] = {VREMOTE_USAGE_0, VREMOTE_USAGE_1, VREMOTE_USAGE_2,
                                 VREMOTE_USAGE_3};
        for (int I = 0; I < VREMOTE_COLLECTIONS; ++I)
            Collections[I] = {Pages[I], Usages[I], INVALID_HANDLE_VALUE};
    }
    TVirtualRemote(const TVirtualRemote&) = delete;
    ~TVirtualRemote() { Close(); }

    // Opens every collection's device; false unless all of them were found.
    bool Open() {
        Close();
        GUID HidGuid;
        HidD_GetHidGuid(&HidGuid);
        HDEVINFO Set =
            SetupDiGetClassDevsW(&HidGuid, nullptr, nullptr, DIGCF_DEVICEINTERFACE | DIGCF_PRESENT);
        if (Set == INVALID_HANDLE_VALUE)
            return false;
        SP_DEVICE_INTERFACE_DATA Interface{};
        Interface.cbSize = sizeof Interface;
        for (DWORD Index = 0;
             SetupDiEnumDeviceInterfaces(Set, nullptr, &HidGuid, Index, &Interface); ++Index) {
            union {
                SP_DEVICE_INTERFACE_DETAIL_DATA_W Detail;
                char Space[sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) + 2 * MAX_PATH];
            } Buffer{};
            Buffer.Detail.cbSize = sizeof Buffer.Detail;
            if (SetupDiGetDeviceInterfaceDetailW(Set, &Interface, &Buffer.Detail, sizeof Buffer,
                                                 nullptr, nullptr))
                Adopt(Buffer.Detail.DevicePath);
        }
        SetupDiDestroyDeviceInfoList(Set);
        for (const TCollection& Collection : Collections)
            if (Collection.Device == INVALID_HANDLE_VALUE)
                return false;
        return true;
    }

    void Close() {
        for (TCollection& Collection : Collections)
            if (Collection.Device != INVALID_HANDLE_VALUE) {
                CloseHandle(Collection.Device);
                Collection.Device = INVALID_HANDLE_VALUE;
            }
    }

    // Sends one input report on a collection: report ID, then the bytes given.
    bool Send(int Collection, const BYTE* Bytes, size_t Count) {
        BYTE Report[VREMOTE_REPORT_LENGTH] = {VREMOTE_REPORT_ID};
        std::memcpy(Report + 1, Bytes, Count < sizeof Report - 1 ? Count : sizeof Report - 1);
        DWORD Written = 0;
        // The class driver reports what the minidriver took, which may leave
        // out the report ID byte.
        return WriteFile(Collections[Collection].Device, Report, sizeof Report, &Written,
                         nullptr) &&
               Written > 0;
    }

    bool Press(int Collection, BYTE KeyByte, BYTE Next = 0) {
        const BYTE Bytes[] = {KeyByte, Next};
        return Send(Collection, Bytes, sizeof Bytes);
    }

    TCollection Collections[VREMOTE_COLLECTIONS];

  private:
    void Adopt(const wchar_t* Path) {
        HANDLE Device =
            CreateFileW(Path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
        if (Device == INVALID_HANDLE_VALUE)
            return;
        HIDD_ATTRIBUTES Attributes{};
        Attributes.Size = sizeof Attributes;
        PHIDP_PREPARSED_DATA Preparsed = nullptr;
        HIDP_CAPS Caps{};
        if (HidD_GetAttributes(Device, &Attributes) && Attributes.VendorID == VREMOTE_VENDOR_ID &&
            HidD_GetPreparsedData(Device, &Preparsed)) {
            const bool HaveCaps = HidP_GetCaps(Preparsed, &Caps) == HIDP_STATUS_SUCCESS;
            HidD_FreePreparsedData(Preparsed);
            for (TCollection& Collection : Collections)
                if (HaveCaps && Collection.Device == INVALID_HANDLE_VALUE &&
                    Collection.UsagePage == Caps.UsagePage && Collection.Usage == Caps.Usage) {
                    Collection.Device = Device;
                    return;
                }
        }
        CloseHandle(Device);
    }
};
