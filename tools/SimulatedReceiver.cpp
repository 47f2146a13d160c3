// A simulated infrared receiver driver, built as MCEir.dll for the demo: once
// a window registers, a thread of its own plays a short scripted session of
// button presses to it as key event messages, the way a receiver's driver
// posts them from its own thread.
#include <windows.h>

namespace {
struct TPress {
    WORD Code;
    DWORD PauseMs; // before the press
};

// Named keys, a held button's repeats, and one code without a name (0x7BA6).
constexpr TPress Session[] = {
    {0x7BF2, 400}, {0x7BE1, 250}, {0x7BE1, 250}, {0x7BDD, 250}, {0x7BE9, 300},
    {0x7BEF, 250}, {0x7BEF, 120}, {0x7BEF, 120}, {0x7BA6, 300}, {0x7BE7, 300},
    {0x7BFE, 250}, {0x7BFD, 200}, {0x7BE6, 300}, {0x7BDC, 250},
};

HWND Target = nullptr;
HANDLE Player = nullptr;
HANDLE StopEvent = nullptr;

DWORD WINAPI Play(LPVOID) {
    for (const TPress& Press : Session) {
        if (WaitForSingleObject(StopEvent, Press.PauseMs) != WAIT_TIMEOUT)
            break;
        PostMessageA(Target, WM_USER, 0x37FF0, Press.Code);
    }
    return 0;
}

void StopPlaying() {
    if (!Player)
        return;
    SetEvent(StopEvent);
    WaitForSingleObject(Player, INFINITE);
    CloseHandle(Player);
    CloseHandle(StopEvent);
    Player = StopEvent = nullptr;
}
} // namespace

extern "C" {
__declspec(dllexport) BOOL WINAPI MceIrRegisterEvents(HWND Window) {
    StopPlaying();
    Target = Window;
    StopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Player = CreateThread(nullptr, 0, Play, nullptr, 0, nullptr);
    return Player != nullptr;
}

__declspec(dllexport) BOOL WINAPI MceIrUnregisterEvents() {
    StopPlaying();
    Target = nullptr;
    return TRUE;
}

// How many presses one registration plays, so a host can tell when it is over.
__declspec(dllexport) int WINAPI SimulatedSessionLength() {
    return sizeof Session / sizeof Session[0];
}
}
