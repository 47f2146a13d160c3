// A stand-in for the receiver's driver library, MCEir.dll, for the tests that
// load the real plug-in DLLs. It tells the test host about every call (through
// the host's exported HostRecord) and lets the test press keys by sending the
// key event message to the registered window, as the real driver would.
// Built in variants that lack one entry point or the other.
#include <windows.h>

namespace {
HWND Registered = nullptr;
bool Detached = false;

void Record(const char* Line) {
    typedef void (*TRecord)(const char*);
    auto HostRecord = reinterpret_cast<TRecord>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "HostRecord")));
    if (HostRecord)
        HostRecord(Line);
}

// A call after the system has detached this library (at process exit) means
// the plug-in called into a driver that is already shut down.
void FailIfDetached() {
    if (Detached)
        TerminateProcess(GetCurrentProcess(), 86);
}
} // namespace

extern "C" {
#ifndef WITHOUT_REGISTER
__declspec(dllexport) BOOL WINAPI MceIrRegisterEvents(HWND Window) {
    FailIfDetached();
    Record("MceIrRegisterEvents");
    Registered = Window;
    return TRUE;
}
#endif

#ifndef WITHOUT_UNREGISTER
__declspec(dllexport) BOOL WINAPI MceIrUnregisterEvents() {
    FailIfDetached();
    Record("MceIrUnregisterEvents");
    Registered = nullptr;
    return TRUE;
}
#endif

__declspec(dllexport) HWND WINAPI TestRegisteredWindow() {
    return Registered;
}

// Sends (or posts) the key event message for Code; -1 when nobody registered.
__declspec(dllexport) LRESULT WINAPI TestPressKey(LPARAM Code, BOOL Post) {
    if (!Registered)
        return -1;
    if (Post)
        return PostMessageA(Registered, WM_USER, 0x37FF0, Code) ? 0 : -1;
    return SendMessageA(Registered, WM_USER, 0x37FF0, Code);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID) {
    if (Reason == DLL_PROCESS_DETACH)
        Detached = true;
    return TRUE;
}
}
