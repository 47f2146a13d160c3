// A small media host for the demo: loads input plug-ins, shows their identity
// texts, binds a key callback, and prints each key event as it arrives while
// it dispatches window messages, until the remote has been quiet for a while.
//
//   demo-host PLUGIN.dll...
#include <windows.h>

#include <cstdio>
#include <initializer_list>

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
    if (Argc < 2) {
        std::fprintf(stderr, "usage: demo-host PLUGIN.dll...\n");
        return 2;
    }
    for (int I = 1; I < Argc; ++I) {
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
        Listen(2000, 15000);
        SetCallback(0, nullptr);
        FreeLibrary(Plugin);
        std::printf("  %d key events\n\n", KeysSeen);
    }
    return 0;
}
