// Tries hard to break the plug-ins inside a host process, under Wine, and
// prints one table row per trial: many keys in order with memory watched,
// many rebinds and unbind/bind cycles, many load/bind/unload cycles, key
// callbacks that rebind or unbind, the libraries unloaded from a thread that
// does not own the event windows, and (the last thing it does) ending the
// process with both plug-ins listening.
//
//   stress-host VARNELO.dll TISKARO.dll DRIVER-DIR [--short]
#include "HostSupport.h"
#include "RemoteClient.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
typedef void(WINAPI* TKeyCallback)(const char*, const char*);
typedef void(WINAPI* TSetCallback)(DWORD, TKeyCallback);
typedef HWND(WINAPI* TRegisteredWindow)();

std::string VarneloPath, TiskaroPath;
bool Short = false;
int Failures = 0;

// --- what the host sees ---------------------------------------------------------

long Received = 0;
std::string LastKey;
std::string Mismatch; // first key that was not the one expected

void WINAPI CountKey(const char*, const char* Key) {
    ++Received;
    LastKey = Key;
}

void Row(const char* Name, const std::string& Figure, const char* Target, bool Met) {
    std::printf("| %s | %s | %s | %s |\n", Name, Figure.c_str(), Target, Met ? "yes" : "NO");
    Failures += !Met;
}

std::string Format(const char* Pattern, ...) {
    char Text[256];
    va_list Args;
    va_start(Args, Pattern);
    std::vsnprintf(Text, sizeof Text, Pattern, Args);
    va_end(Args);
    return Text;
}

// Committed private memory of the process, region by region (what "private
// bytes" counts; this Wine reports no PrivateUsage).
SIZE_T PrivateBytes() {
    SIZE_T Total = 0;
    MEMORY_BASIC_INFORMATION Region;
    for (const BYTE* Address = nullptr;
         VirtualQuery(Address, &Region, sizeof Region) == sizeof Region;
         Address = static_cast<const BYTE*>(Region.BaseAddress) + Region.RegionSize) {
        if (Region.State == MEM_COMMIT && Region.Type == MEM_PRIVATE)
            Total += Region.RegionSize;
        if (Region.RegionSize == 0)
            break;
    }
    return Total;
}

void PumpFor(DWORD Ms) {
    const DWORD Start = GetTickCount();
    do {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    } while (GetTickCount() - Start < Ms);
}

// What must be gone once no listener is live: windows, the driver, raw input.
std::string Leftovers() {
    const int Windows = static_cast<int>(ThreadWindows().size());
    UINT Registrations = 0;
    GetRegisteredRawInputDevices(nullptr, &Registrations, sizeof(RAWINPUTDEVICE));
    std::string Left;
    if (Windows)
        Left += Format(" %d windows", Windows);
    if (GetModuleHandleA("MCEir.dll"))
        Left += " MCEir.dll loaded";
    if (Registrations)
        Left += Format(" %u raw input registrations", Registrations);
    return Left.empty() ? "nothing left" : "left:" + Left;
}

bool ClassGone(HMODULE Unloaded) {
    WNDCLASSA Class;
    return !GetClassInfoA(reinterpret_cast<HINSTANCE>(Unloaded), "TPUtilWindow", &Class);
}

struct TLibrary {
    HMODULE Module;
    TSetCallback SetCallback;
    explicit TLibrary(const std::string& Path)
        : Module(LoadLibraryA(Path.c_str())),
          SetCallback(Module ? Export<TSetCallback>(Module, "SetCallback") : nullptr) {}
    ~TLibrary() {
        if (Module)
            FreeLibrary(Module);
    }
};

// --- the trials -------------------------------------------------------------------

std::string HexName(unsigned Code) {
    return Format("0x%04X", Code);
}

long Checked = 0;
void WINAPI CheckIrKey(const char*, const char* Key) {
    const unsigned Code = static_cast<unsigned>(Checked & 0xFFFF);
    const bool Named = Code >= 0x7B9A && Code <= 0x7BFF && std::strncmp(Key, "0x", 2) != 0;
    if (Mismatch.empty() && !Named && HexName(Code) != Key)
        Mismatch = Format("key %ld: %s, expected %s", Checked, Key, HexName(Code).c_str());
    ++Checked;
}

void VarneloKeys(long Keys) {
    TLibrary Varnelo(VarneloPath);
    Varnelo.SetCallback(0, &CheckIrKey);
    const HWND Window =
        Export<TRegisteredWindow>(GetModuleHandleA("MCEir.dll"), "TestRegisteredWindow")();
    Checked = 0;
    Mismatch.clear();
    SIZE_T Early = 0;
    for (long I = 0; I < Keys; ++I) {
        SendMessageA(Window, WM_USER, 0x37FF0, I & 0xFFFF);
        if (I == 999)
            Early = PrivateBytes();
    }
    const SIZE_T Late = PrivateBytes();
    Varnelo.SetCallback(0, nullptr);
    const double Growth = Early ? 100.0 * (static_cast<double>(Late) - Early) / Early : 0;
    Row(Format("%ld key events, Varnelo", Keys).c_str(),
        Format("%ld delivered in order%s%s; private bytes %.1f MiB, %+.2f%% after the first 1,000",
               Checked, Mismatch.empty() ? "" : ", ", Mismatch.c_str(), Late / 1048576.0, Growth),
        "each once, in order; memory within 1%",
        Early && Checked == Keys && Mismatch.empty() && Growth < 1.0);
}

#ifdef _WIN64
const BYTE NamedKeyBytes[] = {0x09, 0x0D, 0x1F, 0x25, 0x46, 0x47, 0x48, 0x4B, 0x4C, 0x4D, 0x5A,
                              0x5B, 0x5C, 0x5D, 0x5E, 0x65, 0x82, 0x8D, 0x9C, 0x9D, 0xB0, 0xB1,
                              0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xE2, 0xE9, 0xEA};

bool PressAndWait(TVirtualRemote& Remote, BYTE KeyByte, BYTE Next = 0) {
    const long Before = Received;
    if (!Remote.Press(0, KeyByte, Next))
        return false;
    const DWORD Start = GetTickCount();
    while (Received == Before && GetTickCount() - Start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        PumpMessages();
    }
    return Received != Before;
}

void TiskaroKeys(TVirtualRemote& Remote, long Keys) {
    TLibrary Tiskaro(TiskaroPath);
    Tiskaro.SetCallback(0, &CountKey);
    for (int Try = 0; Try < 100 && !GetForegroundWindow(); ++Try)
        Sleep(50);
    Received = 0;
    Mismatch.clear();
    std::vector<std::string> Order;
    SIZE_T Early = 0;
    long Done = 0;
    for (; Done < Keys; ++Done) {
        const BYTE KeyByte = NamedKeyBytes[Done % sizeof NamedKeyBytes];
        if (!PressAndWait(Remote, KeyByte))
            break;
        if (Done < static_cast<long>(sizeof NamedKeyBytes))
            Order.push_back(LastKey); // the first round names each key byte
        else if (Mismatch.empty() && LastKey != Order[Done % sizeof NamedKeyBytes])
            Mismatch = Format("key %ld: %s, expected %s", Done, LastKey.c_str(),
                              Order[Done % sizeof NamedKeyBytes].c_str());
        if (Done == 999)
            Early = PrivateBytes();
    }
    const SIZE_T Late = PrivateBytes();
    Tiskaro.SetCallback(0, nullptr);
    const double Growth = Early ? 100.0 * (static_cast<double>(Late) - Early) / Early : 0;
    Row(Format("%ld key events, Tiskaro (virtual remote)", Keys).c_str(),
        Format("%ld delivered, %ld callbacks%s%s; private bytes %.1f MiB, %+.2f%% after the "
               "first 1,000",
               Done, Received, Mismatch.empty() ? "" : ", ", Mismatch.c_str(), Late / 1048576.0,
               Growth),
        "each once, in order; memory within 1%",
        Early && Done == Keys && Received == Keys && Mismatch.empty() && Growth < 1.0);
}
#endif

void Rebinds(const char* Name, const std::string& Path, long Count) {
    TLibrary Plugin(Path);
    for (long I = 0; I < Count; ++I)
        Plugin.SetCallback(0, &CountKey);
    Plugin.SetCallback(0, nullptr);
    for (long I = 0; I < Count; ++I) {
        Plugin.SetCallback(0, &CountKey);
        Plugin.SetCallback(0, nullptr);
    }
    const std::string Left = Leftovers();
    Row(Format("%ld rebinds and %ld unbind/bind cycles, %s", Count, Count, Name).c_str(), Left,
        "nothing left", Left == "nothing left");
}

void LoadCycles(const char* Name, const std::string& Path, long Count) {
    bool Classes = true;
    for (long I = 0; I < Count; ++I) {
        const HMODULE Module = LoadLibraryA(Path.c_str());
        Export<TSetCallback>(Module, "SetCallback")(0, &CountKey);
        FreeLibrary(Module);
        SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 1000, nullptr);
        PumpFor(0);
        Classes = Classes && ClassGone(Module);
    }
    const std::string Left = Leftovers() + (Classes ? "" : "; a window class left registered");
    Row(Format("%ld load/bind/unload cycles, %s", Count, Name).c_str(), Left, "nothing left",
        Left == "nothing left");
}

TSetCallback Reentrant = nullptr;
long ReentrantKeys = 0;
void WINAPI OtherKey(const char*, const char*) {
    ++ReentrantKeys;
}
void WINAPI RebindingKey(const char*, const char*) {
    // Every other key unbinds; the rest rebind to another callback.
    Reentrant(0, ++ReentrantKeys % 2 ? nullptr : &OtherKey);
}

void ReentrantVarnelo(long Count) {
    TLibrary Varnelo(VarneloPath);
    Reentrant = Varnelo.SetCallback;
    ReentrantKeys = 0;
    for (long I = 0; I < Count; ++I) {
        Varnelo.SetCallback(0, &RebindingKey);
        SendMessageA(
            Export<TRegisteredWindow>(GetModuleHandleA("MCEir.dll"), "TestRegisteredWindow")(),
            WM_USER, 0x37FF0, 0x7BE9);
    }
    Varnelo.SetCallback(0, nullptr);
    const std::string Left = Leftovers();
    Row(Format("%ld key callbacks that unbind or rebind, Varnelo", Count).c_str(),
        Format("%ld handled; %s", ReentrantKeys, Left.c_str()), "no crash, nothing left",
        ReentrantKeys == Count && Left == "nothing left");
}

#ifdef _WIN64
void ReentrantTiskaro(TVirtualRemote& Remote, long Count) {
    TLibrary Tiskaro(TiskaroPath);
    Reentrant = Tiskaro.SetCallback;
    ReentrantKeys = 0;
    long Handled = 0;
    for (long I = 0; I < Count; ++I) {
        Tiskaro.SetCallback(0, &RebindingKey);
        const long Before = ReentrantKeys;
        Remote.Press(0, 0xB0);
        const DWORD Start = GetTickCount();
        while (ReentrantKeys == Before && GetTickCount() - Start < 5000)
            PumpFor(0);
        Handled += ReentrantKeys != Before;
    }
    Tiskaro.SetCallback(0, nullptr);
    PumpFor(200);
    const std::string Left = Leftovers();
    Row(Format("%ld key callbacks that unbind or rebind, Tiskaro", Count).c_str(),
        Format("%ld handled; %s", Handled, Left.c_str()), "no crash, nothing left",
        Handled == Count && Left == "nothing left");
}
#endif

DWORD WINAPI UnloadBoth(LPVOID Modules) {
    for (HMODULE* Module = static_cast<HMODULE*>(Modules); *Module; ++Module)
        FreeLibrary(*Module);
    return 0;
}

void UnloadFromAnotherThread() {
    HMODULE Modules[] = {LoadLibraryA(VarneloPath.c_str()), LoadLibraryA(TiskaroPath.c_str()),
                         nullptr};
    for (int I = 0; I < 2; ++I)
        Export<TSetCallback>(Modules[I], "SetCallback")(0, &CountKey);
    HANDLE Thread = CreateThread(nullptr, 0, UnloadBoth, Modules, 0, nullptr);
    WaitForSingleObject(Thread, INFINITE);
    CloseHandle(Thread);
    // This thread owns the windows: it dispatches on, and broadcasts reach them.
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 1000, nullptr);
    PumpFor(500);
    const std::string Left = Leftovers();
    Row("libraries unloaded by a thread that does not own their windows", "no crash; " + Left,
        "no crash, windows closed by their own thread", Left == "nothing left");
}
} // namespace

extern "C" __declspec(dllexport) void HostRecord(const char*) {}

int main(int Argc, char** Argv) {
    if (Argc < 4) {
        std::fprintf(stderr, "usage: stress-host VARNELO.dll TISKARO.dll DRIVER-DIR [--short]\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    VarneloPath = Argv[1];
    TiskaroPath = Argv[2];
    SetDllDirectoryA(Argv[3]);
    Short = Argc > 4 && std::strcmp(Argv[4], "--short") == 0;
    const long Scale = Short ? 20 : 1; // the short form does a twentieth

    VarneloKeys(1000000 / Scale);
#ifdef _WIN64
    TVirtualRemote Remote;
    if (Remote.Open())
        TiskaroKeys(Remote, 100000 / Scale);
    else
        Row("key events, Tiskaro", "virtual remote not installed", "", false);
#endif
    Rebinds("Varnelo", VarneloPath, 10000 / Scale);
    Rebinds("Tiskaro", TiskaroPath, 10000 / Scale);
    LoadCycles("Varnelo", VarneloPath, 1000 / Scale);
    LoadCycles("Tiskaro", TiskaroPath, 1000 / Scale);
    ReentrantVarnelo(10000 / Scale);
#ifdef _WIN64
    if (Remote.Open())
        ReentrantTiskaro(Remote, 10000 / Scale);
#endif
    UnloadFromAnotherThread();

    // Ending the process with both plug-ins listening must be clean too: the
    // caller checks the exit code (the stand-in driver ends it with 86 if it
    // is called after the system detached it).
    for (const std::string* Path : {&VarneloPath, &TiskaroPath})
        Export<TSetCallback>(LoadLibraryA(Path->c_str()), "SetCallback")(0, &CountKey);
    return Failures ? 1 : 0;
}
