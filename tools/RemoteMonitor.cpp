// remote-monitor: answers "does my remote reach the plug-in, and under which
// key names?" on a real machine. Loads an input plug-in as a host would, shows
// its identity, binds a key callback and prints every key event it delivers.
//
//   remote-monitor [--count N] [--seconds S] [--json] PLUGIN.dll
//
// Stops after N keys, after S seconds, or on Ctrl+C; in every case it unbinds
// and unloads the plug-in before it exits 0. Errors exit with their own code
// and a one-line message that says what to do.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
enum TExit {
    ExitOk = 0,
    ExitUsage = 2,
    ExitNotFound = 3,
    ExitNotPlugin = 4, // not a DLL, or one of the other architecture
    ExitLoadFailed = 5,
    ExitMissingExport = 6,
};

typedef void(WINAPI* TKeyCallback)(const char*, const char*);
typedef void(WINAPI* TSetCallback)(DWORD, TKeyCallback);
typedef const char*(WINAPI* TText)();

#ifdef _WIN64
constexpr WORD OwnMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr const char* OwnBits = "64-bit";
constexpr const char* OtherBits = "32-bit";
#else
constexpr WORD OwnMachine = IMAGE_FILE_MACHINE_I386;
constexpr const char* OwnBits = "32-bit";
constexpr const char* OtherBits = "64-bit";
#endif

struct TOptions {
    long Count = 0;       // 0: no limit
    double Seconds = 0;   // 0: no limit
    bool Json = false;
    const char* Plugin = nullptr;
};

bool Json = false;
long KeyLimit = 0;
long KeysSeen = 0;
DWORD MainThread = 0;
volatile LONG Interrupted = 0;

int Usage(const char* Problem) {
    std::fprintf(stderr,
                 "remote-monitor: %s\n"
                 "usage: remote-monitor [--count N] [--seconds S] [--json] PLUGIN.dll\n"
                 "  --count N    stop after N key events\n"
                 "  --seconds S  stop after S seconds\n"
                 "  --json       print one JSON object per line\n"
                 "Stops on Ctrl+C too.\n",
                 Problem);
    return ExitUsage;
}

bool ParseNumber(const char* Text, double& Value) {
    char* End = nullptr;
    Value = std::strtod(Text, &End);
    return End && End != Text && *End == '\0' && Value > 0;
}

// Returns ExitOk, or the usage error already reported.
int ParseOptions(int Argc, char** Argv, TOptions& Options) {
    for (int I = 1; I < Argc; ++I) {
        const char* Arg = Argv[I];
        double Value = 0;
        if (std::strcmp(Arg, "--json") == 0) {
            Options.Json = true;
        } else if (std::strcmp(Arg, "--count") == 0 || std::strcmp(Arg, "--seconds") == 0) {
            if (I + 1 >= Argc || !ParseNumber(Argv[I + 1], Value))
                return Usage((std::string(Arg) + " needs a positive number").c_str());
            if (Arg[2] == 'c') {
                if (Value != static_cast<long>(Value))
                    return Usage("--count needs a whole number");
                Options.Count = static_cast<long>(Value);
            } else {
                Options.Seconds = Value;
            }
            ++I;
        } else if (Arg[0] == '-' && Arg[1] == '-') {
            return Usage((std::string("unknown option ") + Arg).c_str());
        } else if (Options.Plugin) {
            return Usage("give one plug-in DLL");
        } else {
            Options.Plugin = Arg;
        }
    }
    return Options.Plugin ? ExitOk : Usage("give the plug-in DLL to monitor");
}

// Checks that Path is a DLL this monitor can load, before the loader sees it.
int CheckImage(const char* Path) {
    if (GetFileAttributesA(Path) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "remote-monitor: %s: file not found; give the path of the plug-in DLL\n",
                     Path);
        return ExitNotFound;
    }
    HANDLE File = CreateFileA(Path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    BYTE Head[4096] = {};
    DWORD Read = 0;
    if (File != INVALID_HANDLE_VALUE) {
        ReadFile(File, Head, sizeof Head, &Read, nullptr);
        CloseHandle(File);
    }
    const auto* Dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(Head);
    const bool HasPe = Read >= sizeof(IMAGE_DOS_HEADER) && Dos->e_magic == IMAGE_DOS_SIGNATURE &&
                       Dos->e_lfanew > 0 &&
                       static_cast<DWORD>(Dos->e_lfanew) + 4 + sizeof(IMAGE_FILE_HEADER) <= Read &&
                       std::memcmp(Head + Dos->e_lfanew, "PE\0\0", 4) == 0;
    const auto* Header = HasPe ? reinterpret_cast<const IMAGE_FILE_HEADER*>(Head + Dos->e_lfanew + 4)
                               : nullptr;
    if (!Header || !(Header->Characteristics & IMAGE_FILE_DLL)) {
        std::fprintf(stderr, "remote-monitor: %s is not a Windows DLL; give the plug-in DLL itself\n",
                     Path);
        return ExitNotPlugin;
    }
    if (Header->Machine != OwnMachine) {
        const bool Other = Header->Machine == IMAGE_FILE_MACHINE_I386 ||
                           Header->Machine == IMAGE_FILE_MACHINE_AMD64;
        std::fprintf(stderr,
                     Other ? "remote-monitor: %s is a %s DLL and this is the %s monitor; use the "
                             "remote-monitor.exe of the %s package\n"
                           : "remote-monitor: %s is a DLL for another processor; this is the %s "
                             "monitor\n",
                     Path, OtherBits, OwnBits, OtherBits);
        return ExitNotPlugin;
    }
    return ExitOk;
}

void PrintJsonString(const char* Text) {
    std::putchar('"');
    for (const unsigned char* C = reinterpret_cast<const unsigned char*>(Text); *C; ++C) {
        if (*C == '"' || *C == '\\')
            std::printf("\\%c", *C);
        else if (*C < 0x20 || *C >= 0x7F)
            std::printf("\\u%04x", *C);
        else
            std::putchar(*C);
    }
    std::putchar('"');
}

void WINAPI PrintKey(const char* Source, const char* Key) {
    if (KeyLimit && KeysSeen >= KeyLimit)
        return; // more keys in the same dispatch than were asked for
    ++KeysSeen;
    SYSTEMTIME Now;
    GetLocalTime(&Now);
    char Time[16];
    std::snprintf(Time, sizeof Time, "%02u:%02u:%02u.%03u", Now.wHour, Now.wMinute, Now.wSecond,
                  Now.wMilliseconds);
    if (Json) {
        std::printf("{\"time\":\"%s\",\"source\":", Time);
        PrintJsonString(Source);
        std::printf(",\"key\":");
        PrintJsonString(Key);
        std::printf("}\n");
    } else {
        std::printf("%s  %s  %s\n", Time, Source, Key);
    }
    std::fflush(stdout);
}

BOOL WINAPI OnConsoleControl(DWORD Event) {
    if (Event != CTRL_C_EVENT && Event != CTRL_BREAK_EVENT && Event != CTRL_CLOSE_EVENT)
        return FALSE;
    InterlockedExchange(&Interrupted, 1);
    PostThreadMessageA(MainThread, WM_NULL, 0, 0); // wake the message loop
    return TRUE;
}

// Dispatches window messages, which is where key events arrive, until a limit
// is reached or the user interrupts.
void Listen(double Seconds) {
    const ULONGLONG Deadline =
        Seconds > 0 ? GetTickCount64() + static_cast<ULONGLONG>(Seconds * 1000) : ~0ULL;
    for (;;) {
        if (Interrupted || (KeyLimit && KeysSeen >= KeyLimit))
            return;
        const ULONGLONG Now = GetTickCount64();
        if (Now >= Deadline)
            return;
        const ULONGLONG Left = Deadline - Now;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, Left < 100 ? static_cast<DWORD>(Left) : 100,
                                  QS_ALLINPUT);
        MSG Message;
        while (PeekMessageA(&Message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&Message);
            DispatchMessageA(&Message);
        }
    }
}
} // namespace

int main(int Argc, char** Argv) {
    TOptions Options;
    if (const int Problem = ParseOptions(Argc, Argv, Options))
        return Problem;
    if (const int Problem = CheckImage(Options.Plugin))
        return Problem;
    Json = Options.Json;
    KeyLimit = Options.Count;
    MainThread = GetCurrentThreadId();
    // A message queue before anyone can post to it.
    MSG Unused;
    PeekMessageA(&Unused, nullptr, 0, 0, PM_NOREMOVE);

    HMODULE Plugin = LoadLibraryA(Options.Plugin);
    if (!Plugin) {
        std::fprintf(stderr,
                     "remote-monitor: cannot load %s (error %lu); check that what it needs is "
                     "installed\n",
                     Options.Plugin, GetLastError());
        return ExitLoadFailed;
    }
    static const char* const Exports[] = {"SetCallback", "LibTyp", "Copyright", "Version",
                                          "PluginName"};
    FARPROC Entries[5];
    for (int I = 0; I < 5; ++I)
        if (!(Entries[I] = GetProcAddress(Plugin, Exports[I]))) {
            FreeLibrary(Plugin);
            std::fprintf(stderr,
                         "remote-monitor: %s is not an input plug-in: it lacks the export %s\n",
                         Options.Plugin, Exports[I]);
            return ExitMissingExport;
        }
    auto Text = [&](int I) {
        return reinterpret_cast<TText>(reinterpret_cast<void*>(Entries[I]))();
    };
    if (Json) {
        std::printf("{\"plugin\":");
        PrintJsonString(Options.Plugin);
        for (int I = 4; I >= 1; --I) {
            std::printf(",\"%s\":", Exports[I]);
            PrintJsonString(Text(I));
        }
        std::printf("}\n");
    } else {
        std::printf("Plug-in     %s\nPluginName  %s\nVersion     %s\nLibTyp      %s\nCopyright   %s\n"
                    "Listening; press keys on the remote (Ctrl+C to stop).\n",
                    Options.Plugin, Text(4), Text(3), Text(1), Text(2));
    }
    std::fflush(stdout);

    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    const auto SetCallback = reinterpret_cast<TSetCallback>(reinterpret_cast<void*>(Entries[0]));
    SetCallback(0, &PrintKey);
    Listen(Options.Seconds);
    // Unbind before unloading: nothing of the plug-in may outlive it.
    SetCallback(0, nullptr);
    FreeLibrary(Plugin);
    if (!Json)
        std::printf("%ld key events\n", KeysSeen);
    return ExitOk;
}
