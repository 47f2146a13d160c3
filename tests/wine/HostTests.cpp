// A test host that loads the built plug-in DLLs the way a media host does and
// checks what they do for real: exports, identity texts, the event window,
// the calls into the driver library, key delivery and clean-up.
//
//   plugin-host-tests VARNELO.dll TISKARO.dll DRIVERS-DIR REMOTE-PRESS.exe
//
// DRIVERS-DIR holds the stand-in driver's variants in folders full,
// noregister, nounregister and none (empty). All cases run in one process
// (a 32-bit process start is slow under emulation). The process ends with a
// live listener on purpose: exiting with it must neither crash nor call the
// driver after the system detached it (the driver then exits with 86).
// The Tiskaro cases press keys on the virtual remote, which must be installed,
// through its 64-bit helper REMOTE-PRESS.exe.
#include "HostSupport.h"
#include "VirtualRemote.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
typedef void(WINAPI* TKeyCallback)(const char*, const char*);
typedef void(WINAPI* TSetCallback)(DWORD, TKeyCallback);
typedef const char*(WINAPI* TText)();
typedef HWND(WINAPI* TRegisteredWindow)();
typedef LRESULT(WINAPI* TPressKey)(LPARAM, BOOL);

std::string VarneloPath, TiskaroPath, DriversDir;
std::vector<std::string> DriverCalls;
std::vector<std::string> Keys;
const char* CurrentCase = "";
int Failures = 0;

struct TFailure {};

#define CHECK(Condition)                                                                           \
    do {                                                                                           \
        if (!(Condition)) {                                                                        \
            std::printf("  %s:%d: CHECK(%s) failed\n", __FILE__, __LINE__, #Condition);            \
            throw TFailure{};                                                                      \
        }                                                                                          \
    } while (0)

#define CHECK_EQ(A, B)                                                                             \
    do {                                                                                           \
        const std::string Left_ = (A), Right_ = (B);                                               \
        if (Left_ != Right_) {                                                                     \
            std::printf("  %s:%d: %s == \"%s\", expected \"%s\"\n", __FILE__, __LINE__, #A,        \
                        Left_.c_str(), Right_.c_str());                                            \
            throw TFailure{};                                                                      \
        }                                                                                          \
    } while (0)

std::string Join(const std::vector<std::string>& Lines) {
    std::string All;
    for (const std::string& Line : Lines)
        All += (All.empty() ? "" : ",") + Line;
    return All;
}

void WINAPI RecordKey(const char* Source, const char* Key) {
    Keys.push_back(std::string(Source) + "/" + Key);
}
void WINAPI OtherRecordKey(const char* Source, const char* Key) {
    Keys.push_back(std::string("other:") + Source + "/" + Key);
}

struct TPlugin {
    HMODULE Module = nullptr;
    TSetCallback SetCallback = nullptr;

    explicit TPlugin(const std::string& Path) {
        Module = LoadLibraryA(Path.c_str());
        CHECK(Module != nullptr);
        SetCallback = reinterpret_cast<TSetCallback>(
            reinterpret_cast<void*>(GetProcAddress(Module, "SetCallback")));
        CHECK(SetCallback != nullptr);
    }
    TPlugin(const TPlugin&) = delete;
    ~TPlugin() { Unload(); }
    void Unload() {
        if (Module)
            FreeLibrary(Module);
        Module = nullptr;
    }
    TText Text(const char* Name) const {
        return reinterpret_cast<TText>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
    }
};

void UseDriver(const char* Variant) {
    const std::string Dir = DriversDir + "\\" + Variant;
    CHECK(SetDllDirectoryA(Dir.c_str()));
}

bool DriverLoaded() {
    return GetModuleHandleA("MCEir.dll") != nullptr;
}

template <class F> F DriverEntry(const char* Name) {
    HMODULE Driver = GetModuleHandleA("MCEir.dll");
    CHECK(Driver != nullptr);
    F Entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Driver, Name)));
    CHECK(Entry != nullptr);
    return Entry;
}

HWND RegisteredWindow() {
    return DriverEntry<TRegisteredWindow>("TestRegisteredWindow")();
}
LRESULT Press(LPARAM Code) {
    return DriverEntry<TPressKey>("TestPressKey")(Code, FALSE);
}

std::vector<RAWINPUTDEVICE> RawInputRegistrations() {
    UINT Count = 0;
    GetRegisteredRawInputDevices(nullptr, &Count, sizeof(RAWINPUTDEVICE));
    std::vector<RAWINPUTDEVICE> Devices(Count);
    if (Count && GetRegisteredRawInputDevices(Devices.data(), &Count, sizeof(RAWINPUTDEVICE)) ==
                     static_cast<UINT>(-1))
        Devices.clear();
    Devices.resize(Count);
    return Devices;
}

void ExpectNothingLeft() {
    CHECK(!DriverLoaded());
    CHECK(ThreadWindows().empty());
    CHECK(RawInputRegistrations().empty());
}

// --- exports -------------------------------------------------------------

void ExportsByNameAndOrdinal() {
    static const char* const Names[] = {"SetCallback", "LibTyp", "Copyright", "Version",
                                        "PluginName"};
    for (const std::string* Path : {&VarneloPath, &TiskaroPath}) {
        TPlugin Plugin(*Path);
        for (int Ordinal = 1; Ordinal <= 5; ++Ordinal) {
            FARPROC ByName = GetProcAddress(Plugin.Module, Names[Ordinal - 1]);
            CHECK(ByName != nullptr);
            CHECK(ByName == GetProcAddress(Plugin.Module, MAKEINTRESOURCEA(Ordinal)));
        }
        CHECK(GetProcAddress(Plugin.Module, MAKEINTRESOURCEA(6)) == nullptr);
    }
}

void IdentityTexts() {
    struct {
        const std::string* Path;
        const char* Name;
    } Cases[] = {{&VarneloPath, "MCEIr"}, {&TiskaroPath, "DAV2005"}};
    for (const auto& Case : Cases) {
        TPlugin Plugin(*Case.Path);
        CHECK_EQ(Plugin.Text("LibTyp")(), "Input");
        CHECK_EQ(Plugin.Text("Version")(), "1.00");
        CHECK_EQ(Plugin.Text("PluginName")(), Case.Name);
        CHECK(std::strlen(Plugin.Text("Copyright")()) > 0);
        for (const char* Export : {"LibTyp", "Copyright", "Version", "PluginName"})
            CHECK(Plugin.Text(Export)() == Plugin.Text(Export)());
    }
}

// In the 32-bit build the exports are stdcall: SetCallback must remove its
// own 8 bytes of arguments, or the host's stack is off after every call.
void SetCallbackRemovesItsArguments() {
#ifdef __i386__
    for (const std::string* Path : {&VarneloPath, &TiskaroPath}) {
        TPlugin Plugin(*Path);
        void* Entry = reinterpret_cast<void*>(Plugin.SetCallback);
        unsigned long Before = 0, After = 0;
        __asm__ volatile("mov %%esp, %%esi\n\t"
                         "push $0\n\t"
                         "push $0\n\t"
                         "call *%2\n\t"
                         "mov %%esp, %%edi\n\t"
                         "mov %%esi, %%esp\n\t"
                         "mov %%esi, %0\n\t"
                         "mov %%edi, %1\n\t"
                         : "=m"(Before), "=m"(After)
                         : "r"(Entry)
                         : "esi", "edi", "eax", "ecx", "edx", "memory", "cc");
        CHECK(Before == After);
    }
#endif
}

// --- Varnelo -------------------------------------------------------------

void LoadAndUnloadAcquireNothing() {
    UseDriver("full");
    TPlugin Varnelo(VarneloPath);
    Varnelo.SetCallback(0, nullptr);
    ExpectNothingLeft();
    Varnelo.Unload();
    ExpectNothingLeft();
    CHECK(DriverCalls.empty());
}

void BindCreatesHiddenTopLevelWindowRegisteredWithDriver() {
    UseDriver("full");
    TPlugin Varnelo(VarneloPath);
    Varnelo.SetCallback(7, &RecordKey);
    CHECK(DriverLoaded());
    CHECK_EQ(Join(DriverCalls), "MceIrRegisterEvents");
    const HWND Window = RegisteredWindow();
    CHECK(Window != nullptr);
    CHECK(ThreadWindows() == std::vector<HWND>{Window});
    CHECK(!IsWindowVisible(Window));
    // Top-level, not message-only: broadcasts must reach it.
    CHECK(GetAncestor(Window, GA_PARENT) == GetDesktopWindow());
    CHECK(GetWindowLongPtrA(Window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    CHECK(GetWindowLongPtrA(Window, GWL_STYLE) & WS_POPUP);
    CHECK(GetWindowTextLengthA(Window) == 0);
    Varnelo.SetCallback(0, nullptr);
    CHECK_EQ(Join(DriverCalls), "MceIrRegisterEvents,MceIrUnregisterEvents");
    CHECK(!IsWindow(Window));
    ExpectNothingLeft();
}

void KeyEventsAreNamed() {
    UseDriver("full");
    TPlugin Varnelo(VarneloPath);
    Varnelo.SetCallback(0, &RecordKey);
    for (LPARAM Code : {0x7BE9, 0x7BE9, 0x7BA6, 0x00017BEF, 0x7BFF, 0x0000})
        CHECK(Press(Code) == 0);
    CHECK_EQ(Join(Keys), "MCE Remote/Play,MCE Remote/Play,MCE Remote/0x7BA6,"
                         "MCE Remote/Volume Up,MCE Remote/0,MCE Remote/0x0000");
    // A posted key event arrives through the host's own message loop.
    CHECK(DriverEntry<TPressKey>("TestPressKey")(0x7BE7, TRUE) == 0);
    PumpMessages();
    CHECK_EQ(Keys.back(), "MCE Remote/Pause");
}

void OtherMessagesGetDefaultProcessing() {
    UseDriver("full");
    TPlugin Varnelo(VarneloPath);
    Varnelo.SetCallback(0, &RecordKey);
    const HWND Window = RegisteredWindow();
    SendMessageA(Window, WM_USER, 0, 0x7BE9);
    SendMessageA(Window, WM_USER + 1, 0x37FF0, 0x7BE9);
    CHECK(Keys.empty());
    // Answering 0 would veto the end of the user's session.
    CHECK(SendMessageA(Window, WM_QUERYENDSESSION, 0, 0) != 0);
    // A broadcast reaches the window and is survived.
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 2000, nullptr);
    CHECK(IsWindow(Window));
}

void RebindReplacesWindowAndReloadsDriver() {
    UseDriver("full");
    TPlugin Varnelo(VarneloPath);
    Varnelo.SetCallback(0, &RecordKey);
    const HWND First = RegisteredWindow();
    Varnelo.SetCallback(0, &RecordKey);
    const HWND Second = RegisteredWindow();
    CHECK(!IsWindow(First));
    CHECK(Second != nullptr && Second != First);
    CHECK(ThreadWindows() == std::vector<HWND>{Second});
    CHECK_EQ(Join(DriverCalls), "MceIrRegisterEvents,MceIrUnregisterEvents,MceIrRegisterEvents");
    Press(0x7BE9);
    CHECK_EQ(Join(Keys), "MCE Remote/Play");
}

TSetCallback CurrentSetCallback = nullptr;
TKeyCallback NextBinding = nullptr;
void WINAPI RebindingKey(const char* Source, const char* Key) {
    RecordKey(Source, Key);
    CurrentSetCallback(0, NextBinding);
}

void CallbackThatUnbindsOrRebinds() {
    UseDriver("full");
    TPlugin Varnelo(VarneloPath);
    CurrentSetCallback = Varnelo.SetCallback;
    NextBinding = &OtherRecordKey;
    Varnelo.SetCallback(0, &RebindingKey);
    CHECK(Press(0x7BE9) == 0);
    CHECK(Press(0x7BE7) == 0);
    CHECK_EQ(Join(Keys), "MCE Remote/Play,other:MCE Remote/Pause");
    NextBinding = nullptr;
    Varnelo.SetCallback(0, &RebindingKey);
    const HWND Window = RegisteredWindow();
    CHECK(SendMessageA(Window, WM_USER, 0x37FF0, 0x7BE4) == 0);
    CHECK(!IsWindow(Window));
    ExpectNothingLeft();
}

void UnloadWithLiveListenerReleasesAllAndReloadWorks() {
    UseDriver("full");
    for (int Round = 0; Round < 2; ++Round) {
        TPlugin Varnelo(VarneloPath);
        Varnelo.SetCallback(0, &RecordKey);
        const HWND Window = RegisteredWindow();
        Press(0x7BDD);
        Varnelo.Unload();
        CHECK(!IsWindow(Window));
        ExpectNothingLeft();
    }
    CHECK_EQ(Join(DriverCalls), "MceIrRegisterEvents,MceIrUnregisterEvents,"
                                "MceIrRegisterEvents,MceIrUnregisterEvents");
    CHECK_EQ(Join(Keys), "MCE Remote/Ok,MCE Remote/Ok");
}

void DriverVariants() {
    struct {
        const char* Variant;
        bool Window;
        const char* Calls;
    } Cases[] = {
        {"noregister", true, "MceIrUnregisterEvents"},
        {"nounregister", true, "MceIrRegisterEvents"},
        {"none", false, ""},
    };
    for (const auto& Case : Cases) {
        DriverCalls.clear();
        UseDriver(Case.Variant);
        TPlugin Varnelo(VarneloPath);
        Varnelo.SetCallback(0, &RecordKey);
        CHECK(DriverLoaded() == Case.Window);
        CHECK(ThreadWindows().size() == (Case.Window ? 1u : 0u));
        Varnelo.SetCallback(0, nullptr);
        CHECK_EQ(Join(DriverCalls), Case.Calls);
        ExpectNothingLeft();
    }
}

// --- Tiskaro, through the virtual remote -----------------------------------

// Presses keys on the virtual remote through its 64-bit helper, remote-press.
class TRemote {
  public:
    bool Start(const std::string& Helper) {
        SECURITY_ATTRIBUTES Inherit{sizeof Inherit, nullptr, TRUE};
        HANDLE ChildIn = nullptr, ChildOut = nullptr;
        if (!CreatePipe(&ChildIn, &ToHelper, &Inherit, 0) ||
            !CreatePipe(&FromHelper, &ChildOut, &Inherit, 0))
            return false;
        SetHandleInformation(ToHelper, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(FromHelper, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA Startup{};
        Startup.cb = sizeof Startup;
        Startup.dwFlags = STARTF_USESTDHANDLES;
        Startup.hStdInput = ChildIn;
        Startup.hStdOutput = ChildOut;
        Startup.hStdError = ChildOut;
        std::string Command = "\"" + Helper + "\"";
        PROCESS_INFORMATION Process{};
        const BOOL Started = CreateProcessA(nullptr, &Command[0], nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &Startup, &Process);
        CloseHandle(ChildIn);
        CloseHandle(ChildOut);
        if (!Started)
            return false;
        CloseHandle(Process.hThread);
        Helper_ = Process.hProcess;
        return ReadLine() == "ready";
    }
    ~TRemote() {
        if (ToHelper)
            CloseHandle(ToHelper); // the helper ends at the end of its input
        if (Helper_) {
            WaitForSingleObject(Helper_, 5000);
            CloseHandle(Helper_);
        }
        if (FromHelper)
            CloseHandle(FromHelper);
    }
    bool Press(int Collection, BYTE KeyByte, BYTE Next = 0) {
        char Line[32];
        const int Length =
            std::snprintf(Line, sizeof Line, "%d %X %X\n", Collection, KeyByte, Next);
        DWORD Written = 0;
        return WriteFile(ToHelper, Line, Length, &Written, nullptr) && ReadLine() == "ok";
    }

  private:
    // The helper's answer, or "timeout": a stuck device must fail a case, not
    // hang the run.
    std::string ReadLine() {
        std::string Line;
        const DWORD Start = GetTickCount();
        for (;;) {
            DWORD Available = 0;
            if (!PeekNamedPipe(FromHelper, nullptr, 0, nullptr, &Available, nullptr))
                return Line;
            if (!Available) {
                if (GetTickCount() - Start > 20000)
                    return "timeout";
                Sleep(1);
                continue;
            }
            char Char;
            DWORD Read = 0;
            if (!ReadFile(FromHelper, &Char, 1, &Read, nullptr) || Read != 1 || Char == '\n')
                return Line;
            if (Char != '\r')
                Line += Char;
        }
    }
    HANDLE ToHelper = nullptr, FromHelper = nullptr, Helper_ = nullptr;
};

TRemote* Remote = nullptr;
std::string RemotePressPath;
enum { Vendor, Consumer, Consumer80, Unregistered }; // the remote's collections

// Dispatches messages until Count keys have arrived in all, or Ms have passed.
bool PumpUntilKeys(size_t Count, DWORD Ms = 5000) {
    const DWORD Start = GetTickCount();
    while (Keys.size() < Count && GetTickCount() - Start < Ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    return Keys.size() >= Count;
}

// Raw input is dropped while no window has the foreground.
void WaitForForeground() {
    for (int Try = 0; Try < 100 && !GetForegroundWindow(); ++Try)
        Sleep(50);
    CHECK(GetForegroundWindow() != nullptr);
}

// Presses a key that has a name and waits for it to arrive.
void Press(int Collection, BYTE KeyByte, BYTE Next = 0) {
    const size_t Before = Keys.size();
    if (!Remote->Press(Collection, KeyByte, Next))
        std::printf("  writing to the virtual remote failed: error %lu\n", GetLastError());
    CHECK(PumpUntilKeys(Before + 1));
}

// Presses a key that must not arrive: a named key pressed after it on a
// registered collection shows that the first one had its chance.
void PressUnheard(int Collection, BYTE KeyByte, int WitnessCollection) {
    const size_t Before = Keys.size();
    CHECK(Remote->Press(Collection, KeyByte));
    CHECK(Remote->Press(WitnessCollection, 0xB7)); // Stop
    CHECK(PumpUntilKeys(Before + 1));
    PumpUntilKeys(Before + 2, 300);
    CHECK(Keys.size() == Before + 1);
    CHECK_EQ(Keys.back(), "DAV2005/Stop");
}

void TiskaroKeysArriveThroughRawInput() {
    WaitForForeground();
    TPlugin Tiskaro(TiskaroPath);
    Tiskaro.SetCallback(0, &RecordKey);
    Press(Vendor, 0xB0);
    Press(Consumer, 0xE9);
    Press(Consumer80, 0x0D);
    Press(Vendor, 0x24, 0x02);
    Press(Consumer, 0x24, 0x00);
#ifndef __i386__
    Press(Consumer80, 0x5B);
    Press(Consumer80, 0x5B);
    CHECK_EQ(Join(Keys), "DAV2005/Play,DAV2005/Volume_Up,DAV2005/Home,DAV2005/Back,"
                         "DAV2005/DVD_Menu,DAV2005/Red,DAV2005/Red");
    PressUnheard(Vendor, 0x00, Vendor); // a key byte without a name
    PressUnheard(Consumer, 0x23, Consumer);
    PressUnheard(Consumer80, 0xFF, Consumer80);
#endif
    PressUnheard(Unregistered, 0xB0, Consumer80); // a collection nobody registered
}

void TiskaroRegistersThreeCollectionsAsInputSink() {
    TPlugin Tiskaro(TiskaroPath);
    Tiskaro.SetCallback(0, &RecordKey);
    const std::vector<HWND> Windows = ThreadWindows();
    CHECK(Windows.size() == 1);
    CHECK(GetAncestor(Windows[0], GA_PARENT) == GetDesktopWindow());
    CHECK(!IsWindowVisible(Windows[0]));
    // In the order asked for by usage page and usage, whatever order the system keeps.
    std::vector<RAWINPUTDEVICE> Devices = RawInputRegistrations();
    std::sort(Devices.begin(), Devices.end(), [](const RAWINPUTDEVICE& A, const RAWINPUTDEVICE& B) {
        return A.usUsagePage != B.usUsagePage ? A.usUsagePage > B.usUsagePage
                                              : A.usUsage < B.usUsage;
    });
    std::string Registered;
    for (const RAWINPUTDEVICE& Device : Devices) {
        char Line[64];
        std::snprintf(Line, sizeof Line, "%X/%X%s ", Device.usUsagePage, Device.usUsage,
                      Device.dwFlags == RIDEV_INPUTSINK && Device.hwndTarget == Windows[0] ? " sink"
                                                                                           : "");
        Registered += Line;
    }
    CHECK_EQ(Registered, "FFBC/88 sink C/1 sink C/80 sink ");
    CHECK(SendMessageA(Windows[0], WM_QUERYENDSESSION, 0, 0) != 0);
    Tiskaro.SetCallback(0, nullptr);
    CHECK(!IsWindow(Windows[0]));
}

[[maybe_unused]] void TiskaroRebindKeepsWindowAndSwapsCallback() {
    WaitForForeground();
    TPlugin Tiskaro(TiskaroPath);
    Tiskaro.SetCallback(0, &RecordKey);
    const std::vector<HWND> Before = ThreadWindows();
    Tiskaro.SetCallback(0, &OtherRecordKey);
    CHECK(ThreadWindows() == Before);
    Press(Vendor, 0xB1);
    CHECK_EQ(Join(Keys), "other:DAV2005/Pause");
    // Unbound: window and registrations go; bound again: a new listener hears.
    Tiskaro.SetCallback(0, nullptr);
    ExpectNothingLeft();
    Tiskaro.SetCallback(0, &RecordKey);
    CHECK(ThreadWindows().size() == 1);
    Press(Consumer, 0xEA);
    CHECK_EQ(Keys.back(), "DAV2005/Volume_Down");
}

void TiskaroCallbackThatUnbinds() {
    WaitForForeground();
    TPlugin Tiskaro(TiskaroPath);
    CurrentSetCallback = Tiskaro.SetCallback;
    NextBinding = nullptr;
    Tiskaro.SetCallback(0, &RebindingKey);
    Press(Vendor, 0xB6);
    ExpectNothingLeft();
    CHECK(Remote->Press(Vendor, 0xB6));
    PumpUntilKeys(2, 300);
    CHECK_EQ(Join(Keys), "DAV2005/Previous");
}

void TiskaroUnloadWithLiveListenerThenReload() {
    WaitForForeground();
    for (int Round = 0; Round < 2; ++Round) {
        TPlugin Tiskaro(TiskaroPath);
        Tiskaro.SetCallback(0, &RecordKey);
        Press(Consumer80, 0x9C);
        Tiskaro.Unload();
        ExpectNothingLeft();
    }
    CHECK_EQ(Join(Keys), "DAV2005/Channel_Up,DAV2005/Channel_Up");
}

struct TCase {
    const char* Name;
    void (*Run)();
};
const TCase Cases[] = {
    {"exports by name and ordinal", ExportsByNameAndOrdinal},
    {"identity texts", IdentityTexts},
    {"SetCallback removes its arguments", SetCallbackRemovesItsArguments},
    {"load and unload acquire nothing", LoadAndUnloadAcquireNothing},
    {"bind creates a hidden top-level window", BindCreatesHiddenTopLevelWindowRegisteredWithDriver},
    {"key events are named", KeyEventsAreNamed},
    {"other messages get default processing", OtherMessagesGetDefaultProcessing},
    {"rebind replaces window and reloads driver", RebindReplacesWindowAndReloadsDriver},
    {"callback that unbinds or rebinds", CallbackThatUnbindsOrRebinds},
    {"unload with live listener, then reload", UnloadWithLiveListenerReleasesAllAndReloadWorks},
    {"driver variants", DriverVariants},
    {"Tiskaro keys arrive through raw input", TiskaroKeysArriveThroughRawInput},
    {"Tiskaro registers three collections", TiskaroRegistersThreeCollectionsAsInputSink},
#ifndef __i386__
    // Under emulation, raw input to a 32-bit process is known to stall after a
    // while: the 32-bit run keeps to a dozen reports; these cases, the same
    // code in both builds, run in the 64-bit one.
    {"Tiskaro rebind keeps window, swaps callback", TiskaroRebindKeepsWindowAndSwapsCallback},
#endif
    {"Tiskaro callback that unbinds", TiskaroCallbackThatUnbinds},
    {"Tiskaro unload with live listener, then reload", TiskaroUnloadWithLiveListenerThenReload},
};

// Turns a case that hangs (a message loop that never ends, say) into a failure.
volatile LONG CaseSerial = 0;
DWORD WINAPI Watchdog(LPVOID) {
    LONG Seen = -1;
    for (;;) {
        Sleep(120 * 1000);
        const LONG Now = CaseSerial;
        if (Now == Seen) {
            std::printf("FAIL %s: no progress for 120 s\n", CurrentCase);
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 124);
        }
        Seen = Now;
    }
}
} // namespace

extern "C" __declspec(dllexport) void HostRecord(const char* Line) {
    DriverCalls.push_back(Line);
}

int main(int Argc, char** Argv) {
    if (Argc != 5) {
        std::fprintf(
            stderr,
            "usage: plugin-host-tests VARNELO.dll TISKARO.dll DRIVERS-DIR REMOTE-PRESS.exe\n");
        return 2;
    }
    RemotePressPath = Argv[4];
    setvbuf(stdout, nullptr, _IONBF, 0);
    VarneloPath = Argv[1];
    TiskaroPath = Argv[2];
    DriversDir = Argv[3];
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
    TRemote VirtualRemote;
    if (!VirtualRemote.Start(RemotePressPath))
        std::printf("FAIL the virtual remote's helper did not start: is the remote installed?\n");
    Remote = &VirtualRemote;

    int Passed = 0;
    for (const TCase& Case : Cases) {
        CurrentCase = Case.Name;
        InterlockedIncrement(&CaseSerial);
        DriverCalls.clear();
        Keys.clear();
        try {
            Case.Run();
            ExpectNothingLeft();
            ++Passed;
            std::printf("ok   %s\n", Case.Name);
        } catch (const TFailure&) {
            ++Failures;
            std::printf("FAIL %s\n", Case.Name);
        }
        PumpMessages();
    }
    std::printf("%d passed, %d failed\n", Passed, Failures);

    // Leave both plug-ins listening: ending the process must be clean all the same.
    UseDriver("full");
    for (const std::string* Path : {&VarneloPath, &TiskaroPath}) {
        const auto SetCallback = reinterpret_cast<TSetCallback>(
            reinterpret_cast<void*>(GetProcAddress(LoadLibraryA(Path->c_str()), "SetCallback")));
        if (SetCallback)
            SetCallback(0, &RecordKey);
    }
    return Failures == 0 ? 0 : 1;
}
