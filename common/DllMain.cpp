// The library entry, linked into the DLLs only. Loading does nothing: the
// plug-ins acquire everything in SetCallback.
#include "PluginApi.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID Reserved) {
    // A non-null Reserved at detach means the process is terminating: the
    // system has already shut down the libraries we loaded and the other
    // threads, so calling into them or destroying windows is unsafe and
    // pointless. Only a real FreeLibrary needs the clean-up.
    if (Reason == DLL_PROCESS_DETACH && Reserved == nullptr)
        UnloadPlugin();
    return TRUE;
}
