// What the Windows-side programs that play host to the plug-ins (the test
// host, the stress host, the benchmark host) all need.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

// An export of Module, typed as F; null when it is missing.
template <class F> F Export(HMODULE Module, const char* Name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
}

// Dispatches every message waiting for this thread.
inline void PumpMessages() {
    MSG Message;
    while (PeekMessageA(&Message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&Message);
        DispatchMessageA(&Message);
    }
}

inline BOOL CALLBACK CollectNonImeWindow(HWND Window, LPARAM Found) {
    char Class[64] = "";
    GetClassNameA(Window, Class, sizeof Class);
    if (std::strcmp(Class, "IME") != 0)
        reinterpret_cast<std::vector<HWND>*>(Found)->push_back(Window);
    return TRUE;
}

// The windows this thread owns, leaving out the system's input-method window.
inline std::vector<HWND> ThreadWindows() {
    std::vector<HWND> Found;
    EnumThreadWindows(GetCurrentThreadId(), CollectNonImeWindow, reinterpret_cast<LPARAM>(&Found));
    return Found;
}
