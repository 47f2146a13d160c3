// Measures, under Wine, what the plug-ins add to the system's own cost, each
// against a baseline made of the same system work in the same run:
//
//   varnelo-key    key event message sent to Varnelo's window until the key
//                  callback returns, against a bare window of our own whose
//                  procedure calls the same callback with constant texts
//   tiskaro-key    report written to the virtual remote until the callback
//                  returns, against our own window registered for the same
//                  collection that reads the raw input and calls the callback
//   heap-*         heap blocks in use after N keys, less before (all heaps)
//   varnelo-bind   a SetCallback rebind, against the same system calls made
//                  directly (driver reloaded, window recreated, registered)
//
//   bench-host VARNELO.dll TISKARO.dll DRIVER-DIR [--quick]
//
// Prints one line per figure: NAME PLUGIN BASELINE UNIT.
#include "HostSupport.h"
#include "RemoteClient.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
typedef void(WINAPI* TKeyCallback)(const char*, const char*);
typedef void(WINAPI* TSetCallback)(DWORD, TKeyCallback);
typedef BOOL(WINAPI* TRegister)(HWND);
typedef BOOL(WINAPI* TUnregister)();
typedef HWND(WINAPI* TRegisteredWindow)();

volatile long KeysSeen = 0;
volatile unsigned Sink = 0;

void WINAPI CountKey(const char* Source, const char* Key) {
    Sink = Sink + static_cast<unsigned char>(Source[0]) + static_cast<unsigned char>(Key[0]);
    KeysSeen = KeysSeen + 1;
}

double Now() {
    static LARGE_INTEGER Frequency = [] {
        LARGE_INTEGER F;
        QueryPerformanceFrequency(&F);
        return F;
    }();
    LARGE_INTEGER Count;
    QueryPerformanceCounter(&Count);
    return static_cast<double>(Count.QuadPart) / static_cast<double>(Frequency.QuadPart);
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// --- the baselines' windows -------------------------------------------------

LRESULT CALLBACK BareKeyWindow(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_USER && WParam == 0x37FF0) {
        CountKey("MCE Remote", "Play");
        return 0;
    }
    return DefWindowProcA(Window, Msg, WParam, LParam);
}

LRESULT CALLBACK BareRawInputWindow(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg != WM_INPUT)
        return DefWindowProcA(Window, Msg, WParam, LParam);
    alignas(RAWINPUT) BYTE Buffer[132] = {};
    UINT Size = sizeof Buffer;
    GetRawInputData(reinterpret_cast<HRAWINPUT>(LParam), RID_INPUT, Buffer, &Size,
                    sizeof(RAWINPUTHEADER));
    const LRESULT Result = DefWindowProcA(Window, Msg, WParam, LParam);
    if (Buffer[offsetof(RAWINPUT, data.hid.bRawData) + 1] == 0xB0)
        CountKey("DAV2005", "Play");
    return Result;
}

HWND BareWindow(const char* Class, WNDPROC Proc) {
    WNDCLASSA Info{};
    Info.lpfnWndProc = Proc;
    Info.hInstance = GetModuleHandleA(nullptr);
    Info.lpszClassName = Class;
    RegisterClassA(&Info);
    return CreateWindowExA(WS_EX_TOOLWINDOW, Class, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// --- heap -------------------------------------------------------------------

long HeapBlocksInUse() {
    HANDLE Heaps[64];
    const DWORD Count = std::min<DWORD>(GetProcessHeaps(64, Heaps), 64);
    long Busy = 0;
    for (DWORD I = 0; I < Count; ++I) {
        HeapLock(Heaps[I]);
        PROCESS_HEAP_ENTRY Entry{};
        while (HeapWalk(Heaps[I], &Entry))
            if (Entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                ++Busy;
        HeapUnlock(Heaps[I]);
    }
    return Busy;
}

// --- the measurements ---------------------------------------------------------

void VarneloKeys(TSetCallback SetCallback, int Rounds, int PerRound) {
    SetCallback(0, &CountKey);
    const HMODULE Driver = GetModuleHandleA("MCEir.dll");
    const HWND PluginWindow = Export<TRegisteredWindow>(Driver, "TestRegisteredWindow")();
    const HWND Bare = BareWindow("BenchBareKey", BareKeyWindow);
    std::vector<double> Plugin, Base;
    for (int Round = 0; Round < Rounds; ++Round)
        for (int Side = 0; Side < 2; ++Side) {
            const HWND Target = Side ? PluginWindow : Bare;
            const double Start = Now();
            for (int I = 0; I < PerRound; ++I)
                SendMessageA(Target, WM_USER, 0x37FF0, 0x7BE9);
            (Side ? Plugin : Base).push_back((Now() - Start) * 1e9 / PerRound);
        }
    std::printf("varnelo-key %.1f %.1f ns/key\n", Median(Plugin), Median(Base));

    const long Keys = 100000;
    const long Before = HeapBlocksInUse();
    for (long I = 0; I < Keys; ++I)
        SendMessageA(PluginWindow, WM_USER, 0x37FF0, 0x7B00 + (I & 0xFF));
    const long PluginBlocks = HeapBlocksInUse() - Before;
    const long BaseBefore = HeapBlocksInUse();
    for (long I = 0; I < Keys; ++I)
        SendMessageA(Bare, WM_USER, 0x37FF0, 0x7BE9);
    std::printf("heap-varnelo %.4f %.4f blocks/key\n", static_cast<double>(PluginBlocks) / Keys,
                static_cast<double>(HeapBlocksInUse() - BaseBefore) / Keys);
    DestroyWindow(Bare);
    SetCallback(0, nullptr);
}

// Writes one report and dispatches until its key has arrived.
bool PressAndWait(TVirtualRemote& Remote) {
    const long Before = KeysSeen;
    if (!Remote.Press(0, 0xB0))
        return false;
    const double Deadline = Now() + 5;
    while (KeysSeen == Before && Now() < Deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        PumpMessages();
    }
    return KeysSeen != Before;
}

[[maybe_unused]] void TiskaroKeys(TSetCallback SetCallback, int Rounds, int PerRound) {
    TVirtualRemote Remote;
    if (!Remote.Open()) {
        std::printf("tiskaro-key - - (virtual remote not installed)\n");
        return;
    }
    for (int Try = 0; Try < 100 && !GetForegroundWindow(); ++Try)
        Sleep(50);
    const HWND Bare = BareWindow("BenchBareRawInput", BareRawInputWindow);
    std::vector<double> Plugin, Base;
    long PluginBlocks = 0, BaseBlocks = 0, Counted = 0;
    for (int Round = 0; Round < Rounds; ++Round)
        for (int Side = 0; Side < 2; ++Side) {
            RAWINPUTDEVICE Device{0xFFBC, 0x88, RIDEV_INPUTSINK, Bare};
            if (Side)
                SetCallback(0, &CountKey);
            else
                RegisterRawInputDevices(&Device, 1, sizeof Device);
            PressAndWait(Remote); // settle
            const long Blocks = HeapBlocksInUse();
            const double Start = Now();
            int Done = 0;
            while (Done < PerRound && PressAndWait(Remote))
                ++Done;
            (Side ? Plugin : Base).push_back((Now() - Start) * 1e9 / std::max(Done, 1));
            (Side ? PluginBlocks : BaseBlocks) += HeapBlocksInUse() - Blocks;
            Counted += Side ? Done : 0;
            if (Side) {
                SetCallback(0, nullptr);
            } else {
                Device = {0xFFBC, 0x88, RIDEV_REMOVE, nullptr};
                RegisterRawInputDevices(&Device, 1, sizeof Device);
            }
        }
    std::printf("tiskaro-key %.1f %.1f ns/key\n", Median(Plugin), Median(Base));
    std::printf("heap-tiskaro %.4f %.4f blocks/key\n",
                static_cast<double>(PluginBlocks) / std::max(Counted, 1L),
                static_cast<double>(BaseBlocks) / std::max(Counted, 1L));
    DestroyWindow(Bare);
}

LRESULT CALLBACK RoutedWindow(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    return DefWindowProcA(Window, Msg, WParam, LParam);
}

void VarneloBinding(TSetCallback SetCallback, int Rounds, int PerRound) {
    std::vector<double> Plugin, Base;
    WNDCLASSA Info{};
    Info.lpfnWndProc = DefWindowProcA;
    Info.hInstance = GetModuleHandleA(nullptr);
    Info.lpszClassName = "BenchBinding";
    RegisterClassA(&Info);
    for (int Round = 0; Round < Rounds; ++Round) {
        double Start = Now();
        for (int I = 0; I < PerRound; ++I)
            SetCallback(0, &CountKey);
        SetCallback(0, nullptr);
        Plugin.push_back((Now() - Start) * 1e9 / PerRound);

        // The same system work, by hand: each rebind ends the previous binding
        // and makes a new one.
        Start = Now();
        HMODULE Driver = nullptr;
        HWND Window = nullptr;
        TUnregister Unregister = nullptr;
        for (int I = 0; I <= PerRound; ++I) {
            if (Driver) {
                Unregister();
                DestroyWindow(Window);
                FreeLibrary(Driver);
            }
            if (I == PerRound)
                break;
            Driver = LoadLibraryA("MCEir.dll");
            const auto Register = Export<TRegister>(Driver, "MceIrRegisterEvents");
            Unregister = Export<TUnregister>(Driver, "MceIrUnregisterEvents");
            Window = CreateWindowExA(WS_EX_TOOLWINDOW, "BenchBinding", "", WS_POPUP, 0, 0, 0, 0,
                                     nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
            SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&Info));
            SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RoutedWindow));
            Register(Window);
        }
        Base.push_back((Now() - Start) * 1e9 / PerRound);
    }
    std::printf("varnelo-bind %.1f %.1f ns/bind\n", Median(Plugin), Median(Base));
}
} // namespace

// The stand-in driver reports its calls here; the benchmark has no use for them.
extern "C" __declspec(dllexport) void HostRecord(const char*) {}

int main(int Argc, char** Argv) {
    if (Argc < 4) {
        std::fprintf(stderr, "usage: bench-host VARNELO.dll TISKARO.dll DRIVER-DIR [--quick]\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    const bool Quick = Argc > 4 && std::strcmp(Argv[4], "--quick") == 0;
    SetDllDirectoryA(Argv[3]);

    HMODULE Varnelo = LoadLibraryA(Argv[1]);
    HMODULE Tiskaro = LoadLibraryA(Argv[2]);
    if (!Varnelo || !Tiskaro)
        return 1;
    const auto VarneloSet = Export<TSetCallback>(Varnelo, "SetCallback");

    VarneloKeys(VarneloSet, Quick ? 5 : 21, Quick ? 20000 : 100000);
    VarneloBinding(VarneloSet, Quick ? 3 : 7, Quick ? 100 : 300);
#ifdef _WIN64
    // Only a 64-bit program can write to the virtual remote under emulation.
    TiskaroKeys(Export<TSetCallback>(Tiskaro, "SetCallback"), Quick ? 3 : 5, Quick ? 100 : 300);
#endif
    FreeLibrary(Tiskaro);
    FreeLibrary(Varnelo);
    return 0;
}
