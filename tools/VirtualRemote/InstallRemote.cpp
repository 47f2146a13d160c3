// Installs the virtual remote into the current Wine prefix: one root device
// per collection, all served by vremote.sys, then waits until the system has
// made a HID device of each. Does nothing when they are there already.
//
//   install-remote PATH\vremote.inf
#include "RemoteClient.h"

#include <newdev.h>

#include <cstdio>

namespace {
bool CreateRootDevices() {
    HDEVINFO Set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (Set == INVALID_HANDLE_VALUE)
        return false;
    static const wchar_t HardwareIds[] = VREMOTE_HARDWARE_ID L"\0";
    bool Ok = true;
    for (int I = 0; I < VREMOTE_COLLECTIONS && Ok; ++I) {
        wchar_t Name[64];
        swprintf(Name, 64, L"ROOT\\VIRTUALREMOTE\\%04d", I);
        SP_DEVINFO_DATA Device{};
        Device.cbSize = sizeof Device;
        if (SetupDiOpenDeviceInfoW(Set, Name, nullptr, 0, &Device))
            continue; // registered by an earlier run
        Ok = SetupDiCreateDeviceInfoW(Set, Name, &GUID_NULL, nullptr, nullptr, 0, &Device) &&
             SetupDiSetDeviceRegistryPropertyW(Set, &Device, SPDRP_HARDWAREID,
                                               reinterpret_cast<const BYTE*>(HardwareIds),
                                               sizeof HardwareIds) &&
             SetupDiCallClassInstaller(DIF_REGISTERDEVICE, Set, &Device);
        if (!Ok)
            std::printf("install-remote: cannot register %ls (error %lu)\n", Name, GetLastError());
    }
    SetupDiDestroyDeviceInfoList(Set);
    return Ok;
}
} // namespace

int main(int Argc, char** Argv) {
    if (Argc != 2) {
        std::fprintf(stderr, "usage: install-remote PATH\\vremote.inf\n");
        return 2;
    }
    TVirtualRemote Remote;
    if (Remote.Open()) {
        std::printf("install-remote: virtual remote already present\n");
        return 0;
    }
    if (!CreateRootDevices())
        return 1;
    wchar_t Inf[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, Argv[1], -1, Inf, MAX_PATH);
    BOOL Reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, VREMOTE_HARDWARE_ID, Inf, INSTALLFLAG_FORCE,
                                            &Reboot)) {
        std::printf("install-remote: cannot install the driver (error %lu)\n", GetLastError());
        return 1;
    }
    for (int Try = 0; Try < 300; ++Try) {
        if (Remote.Open()) {
            std::printf("install-remote: virtual remote ready\n");
            for (const auto& Collection : Remote.Collections)
                std::printf("  collection %04X/%02X\n", Collection.UsagePage, Collection.Usage);
            return 0;
        }
        Sleep(100);
    }
    std::printf("install-remote: the driver was installed but its devices did not appear\n");
    return 1;
}
