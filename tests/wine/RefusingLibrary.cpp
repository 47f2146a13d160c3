// A DLL that refuses to load (its entry fails at attach), for the monitor's
// "cannot load" error.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID) {
    return Reason != DLL_PROCESS_ATTACH;
}
