// A small media host for the demo: loads input plug-ins, shows their identity
// texts, binds a key callback, and prints each key event as it arrives while
// it dispatches window messages, until the remote has been quiet for a while.
//
//   demo-host [--remote-session PLAYER.exe] PLUGIN.dll...
//
// With --remote-session, a plug-in that reads the remote directly (rather
// than through a receiver driver) is played a scripted session by starting
// PLAYER.exe --session once its callback is bound.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {
typedef void(WINAPI* TKeyCallback)(const char*, const char*);
typedef void(WINAPI* TSetCallback)(DWORD, TKeyCallback);
typedef const char*(WINAPI* TText)();

int KeysSeen = 0;
DWORD LastKeyTick = 0;

void WINAPI PrintKey(const char* Source, const char* Key) {
    std::printf("  %s  %s\n", Source, Key);
    std::fflush(stdout);
    ++KeysSeen;
    LastKeyTick = GetTickCount();
}

template <class F> F Export(HMODULE Module, const char* Name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
}

// Starts the remote's session player; the caller waits for its keys.
HANDLE StartSession(const char* Player) {
    std::string Command = std::string("\"") + Player + "\" --session";
    STARTUPINFOA Startup{};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Process{};
    if (!CreateProcessA(nullptr, &Command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &Startup, &Process))
        return nullptr;
    CloseHandle(Process.hThread);
    return Process.hProcess;
}

// Dispatches messages until no key has come for QuietMs, or LimitMs in all.
void Listen(DWORD QuietMs, DWORD LimitMs) {
    const DWORD Start = GetTickCount();
    LastKeyTick = Start;
    while (GetTickCount() - LastKeyTick < QuietMs && GetTickCount() - Start < LimitMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG Message;
        while (PeekMessageA(&Message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&Message);
            DispatchMessageA(&Message);
        }
    }
}
} // namespace

int main(int Argc, char** Argv) {
    const char* Player = nullptr;
    int First = 1;
    if (Argc > 2 && std::strcmp(Argv[1], "--remote-session") == 0) {
        Player = Argv[2];
        First = 3;
    }
    if (Argc <= First) {
        std::fprintf(stderr, "usage: demo-host [--remote-session PLAYER.exe] PLUGIN.dll...\n");
        return 2;
    }
    for (int I = First; I < Argc; ++I) {
        HMODULE Plugin = LoadLibraryA(Argv[I]);
        const auto SetCallback = Plugin ? Export<TSetCallback>(Plugin, "SetCallback") : nullptr;
        if (!SetCallback) {
            std::fprintf(stderr, "demo-host: %s is not an input plug-in\n", Argv[I]);
            return 1;
        }
        std::printf("%s\n", Argv[I]);
        for (const char* Name : {"PluginName", "LibTyp", "Version", "Copyright"})
            std::printf("  %-10s %s\n", Name, Export<TText>(Plugin, Name)());
        std::printf("  listening...\n");
        std::fflush(stdout);
        KeysSeen = 0;
        SetCallback(0, &PrintKey);
        // The receiver driver plays its own session; a HID remote needs a player.
        HANDLE Session = Player && !GetModuleHandleA("MCEir.dll") ? StartSession(Player) : nullptr;
        Listen(2500, 15000);
        if (Session) {
            WaitForSingleObject(Session, 5000);
            CloseHandle(Session);
        }
        SetCallback(0, nullptr);
        FreeLibrary(Plugin);
        std::printf("  %d key events\n\n", KeysSeen);
    }
    return 0;
}
