// The fake OS: windows with procedures and user data, window classes, the
// driver library with its two entry points, and the process heap, each
// recording what the code under test asks of it.
#include "FakeOs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>

struct HWND__ {
    int Id;
    std::string Class;
    WNDPROC Proc;
    LONG_PTR UserData;
    bool Alive;
    DWORD Thread;
};
struct HINSTANCE__ {
    const char* Name;
};

extern "C" IMAGE_DOS_HEADER __ImageBase;
IMAGE_DOS_HEADER __ImageBase{};

namespace {
FakeOs::TSettings Settings;
std::vector<std::string> Log;
std::deque<HWND__> Windows;
std::map<std::string, WNDPROC> Classes; // name -> class procedure
HINSTANCE__ Driver{"MCEir.dll"};
int DriverRefs = 0;
HWND Registered = nullptr;
struct TRawRegistration {
    USHORT Page, Usage;
    HWND Target;
};
std::vector<TRawRegistration> RawRegistrations;
const std::vector<BYTE>* PendingInput = nullptr;
long Allocations = 0;
DWORD CurrentThread = 1;

void Record(std::string Line) {
    Log.push_back(std::move(Line));
}

std::string Hex(unsigned long Value) {
    char Text[32];
    std::snprintf(Text, sizeof Text, "0x%lX", Value);
    return Text;
}

HWND__* Live(HWND Window) {
    return Window && Window->Alive ? Window : nullptr;
}

BOOL WINAPI FakeRegisterEvents(HWND Window) {
    Record("MceIrRegisterEvents " + FakeOs::WindowName(Window) +
           (DriverRefs > 0 ? "" : " (library not loaded)"));
    Registered = Window;
    return TRUE;
}

BOOL WINAPI FakeUnregisterEvents() {
    Record(std::string("MceIrUnregisterEvents") + (DriverRefs > 0 ? "" : " (library not loaded)"));
    Registered = nullptr;
    return TRUE;
}
} // namespace

namespace FakeOs {
void Reset(const TSettings& NewSettings) {
    Settings = NewSettings;
    Log.clear();
    Windows.clear();
    Classes.clear();
    DriverRefs = 0;
    Registered = nullptr;
    RawRegistrations.clear();
    Allocations = 0;
    CurrentThread = 1;
}

void SetCurrentThread(DWORD Thread) { CurrentThread = Thread; }

std::string WindowProcedure(HWND Window) {
    return Window->Proc == DefWindowProcA ? "default" : "own";
}

const std::vector<std::string>& Calls() {
    return Log;
}

std::vector<std::string> CallsOf(std::initializer_list<const char*> Prefixes) {
    std::vector<std::string> Found;
    for (const std::string& Line : Log)
        for (const char* Prefix : Prefixes)
            if (Line.rfind(Prefix, 0) == 0) {
                Found.push_back(Line);
                break;
            }
    return Found;
}

void ClearCalls() {
    Log.clear();
}

std::string WindowName(HWND Window) {
    return "W" + std::to_string(Window ? Window->Id : 0);
}

int LiveWindows() {
    int Count = 0;
    for (const HWND__& Window : Windows)
        Count += Window.Alive;
    return Count;
}

int RegisteredClasses() {
    return static_cast<int>(Classes.size());
}
int DriverReferences() {
    return DriverRefs;
}
HWND RegisteredWindow() {
    return Registered;
}

LRESULT PressKey(LPARAM Code, WPARAM Tag) {
    return SendMessageA(Registered, WM_USER, Tag, Code);
}

std::vector<std::string> RawInputRegistrations() {
    std::vector<std::string> Lines;
    for (const TRawRegistration& R : RawRegistrations)
        Lines.push_back(Hex(R.Page) + "/" + Hex(R.Usage) + " -> " + WindowName(R.Target));
    return Lines;
}

HWND RawInputTarget(USHORT UsagePage, USHORT Usage) {
    for (const TRawRegistration& R : RawRegistrations)
        if (R.Page == UsagePage && R.Usage == Usage)
            return R.Target;
    return nullptr;
}

LRESULT SendRawInput(USHORT UsagePage, USHORT Usage, const std::vector<BYTE>& Record, WPARAM Sink) {
    const HWND Target = RawInputTarget(UsagePage, Usage);
    if (!Target)
        return 0; // nobody registered: the input goes nowhere
    PendingInput = &Record;
    const LRESULT Result =
        SendMessageA(Target, WM_INPUT, Sink, reinterpret_cast<LPARAM>(&PendingInput));
    PendingInput = nullptr;
    return Result;
}

long HeapAllocations() {
    return Allocations;
}
} // namespace FakeOs

HMODULE WINAPI LoadLibraryA(LPCSTR FileName) {
    Record(std::string("LoadLibraryA ") + FileName);
    if (std::strcmp(FileName, Driver.Name) != 0 || !Settings.Driver.Present)
        return nullptr;
    ++DriverRefs;
    return &Driver;
}

FARPROC WINAPI GetProcAddress(HMODULE Module, LPCSTR Name) {
    Record(std::string("GetProcAddress ") + Name);
    if (Module != &Driver || DriverRefs == 0)
        return nullptr;
    if (std::strcmp(Name, "MceIrRegisterEvents") == 0 && Settings.Driver.ExportsRegister)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeRegisterEvents));
    if (std::strcmp(Name, "MceIrUnregisterEvents") == 0 && Settings.Driver.ExportsUnregister)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeUnregisterEvents));
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE Module) {
    Record(std::string("FreeLibrary ") + (Module ? Module->Name : "null"));
    if (Module != &Driver || DriverRefs == 0)
        return FALSE;
    if (--DriverRefs == 0)
        Registered = nullptr; // an unloaded driver sends nothing
    return TRUE;
}

HANDLE WINAPI GetProcessHeap() {
    return &Settings;
}

LPVOID WINAPI HeapAlloc(HANDLE, DWORD, std::size_t Bytes) {
    if (Settings.HeapExhausted)
        return nullptr;
    ++Allocations;
    return std::malloc(Bytes);
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID Block) {
    std::free(Block);
    return TRUE;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* Class) {
    Record(std::string("RegisterClassA ") + Class->lpszClassName);
    if (!Classes.emplace(Class->lpszClassName, Class->lpfnWndProc).second)
        return 0;
    return static_cast<ATOM>(Classes.size());
}

BOOL WINAPI UnregisterClassA(LPCSTR ClassName, HINSTANCE) {
    for (const HWND__& Window : Windows)
        if (Window.Alive && Window.Class == ClassName) {
            Record(std::string("UnregisterClassA ") + ClassName + " (windows left)");
            return FALSE;
        }
    Record(std::string("UnregisterClassA ") + ClassName);
    return Classes.erase(ClassName) ? TRUE : FALSE;
}

HWND WINAPI CreateWindowExA(DWORD ExStyle, LPCSTR ClassName, LPCSTR WindowName, DWORD Style, int X,
                            int Y, int Width, int Height, HWND Parent, HMENU Menu, HINSTANCE,
                            LPVOID Param) {
    std::string Line = std::string("CreateWindowExA ") + ClassName + " ex=" + Hex(ExStyle) +
                       " style=" + Hex(Style) + " title='" + WindowName + "' " + std::to_string(X) +
                       "," + std::to_string(Y) + "," + std::to_string(Width) + "," +
                       std::to_string(Height) + (Parent ? " parent" : "") + (Menu ? " menu" : "");
    if (Settings.WindowsFail || !Classes.count(ClassName)) {
        Record(Line + " -> W0");
        return nullptr;
    }
    Windows.push_back(
        {static_cast<int>(Windows.size()) + 1, ClassName, nullptr, 0, true, CurrentThread});
    HWND Window = &Windows.back();
    Window->Proc = Classes[ClassName];
    Record(Line + " -> " + FakeOs::WindowName(Window));
    CREATESTRUCTA Create{Param};
    Window->Proc(Window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&Create));
    Window->Proc(Window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&Create));
    return Window;
}

BOOL WINAPI DestroyWindow(HWND Window) {
    Record("DestroyWindow " + FakeOs::WindowName(Window));
    if (!Live(Window))
        return FALSE;
    if (Window->Thread != CurrentThread) {
        Record("DestroyWindow " + FakeOs::WindowName(Window) + " (refused: another thread's)");
        return FALSE;
    }
    if (Registered == Window && Settings.Driver.ExportsUnregister)
        Record("DestroyWindow " + FakeOs::WindowName(Window) + " (still registered with driver)");
    Window->Proc(Window, WM_DESTROY, 0, 0);
    Window->Proc(Window, WM_NCDESTROY, 0, 0);
    Window->Alive = false;
    return TRUE;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND Window, int Index) {
    if (!Live(Window))
        return 0;
    return Index == GWLP_USERDATA  ? Window->UserData
           : Index == GWLP_WNDPROC ? reinterpret_cast<LONG_PTR>(Window->Proc)
                                   : 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND Window, int Index, LONG_PTR Value) {
    if (!Live(Window))
        return 0;
    LONG_PTR Old = GetWindowLongPtrA(Window, Index);
    if (Index == GWLP_USERDATA)
        Window->UserData = Value;
    else if (Index == GWLP_WNDPROC)
        Window->Proc = reinterpret_cast<WNDPROC>(Value);
    return Old;
}

LRESULT WINAPI DefWindowProcA(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (!Settings.Quiet)
        Record("DefWindowProcA " + FakeOs::WindowName(Window) + " " + Hex(Msg) + " " + Hex(WParam) +
               " " + Hex(static_cast<unsigned long>(LParam)));
    switch (Msg) {
    case WM_NCCREATE:
    case WM_QUERYENDSESSION:
        return TRUE;
    default:
        return 0;
    }
}

LRESULT WINAPI SendMessageA(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (!Live(Window)) {
        Record("SendMessageA " + FakeOs::WindowName(Window) + " (no such window)");
        return 0;
    }
    return Window->Proc(Window, Msg, WParam, LParam);
}

BOOL WINAPI RegisterRawInputDevices(const RAWINPUTDEVICE* Devices, UINT Count, UINT Size) {
    std::string Line = "RegisterRawInputDevices";
    for (UINT I = 0; I < Count; ++I)
        Line += (I ? ", " : " ") + Hex(Devices[I].usUsagePage) + "/" + Hex(Devices[I].usUsage) +
                " " + Hex(Devices[I].dwFlags) + " " + FakeOs::WindowName(Devices[I].hwndTarget);
    Record(Line + " size=" + std::to_string(Size));
    if (Settings.RawInputRefused || Size != sizeof(RAWINPUTDEVICE))
        return FALSE;
    for (UINT I = 0; I < Count; ++I) {
        const RAWINPUTDEVICE& Device = Devices[I];
        // As on Windows: removing takes no target; an input sink needs one.
        if ((Device.dwFlags & RIDEV_REMOVE)
                ? Device.hwndTarget != nullptr
                : (Device.dwFlags & RIDEV_INPUTSINK) && !Live(Device.hwndTarget))
            return FALSE;
    }
    for (UINT I = 0; I < Count; ++I) {
        const RAWINPUTDEVICE& Device = Devices[I];
        RawRegistrations.erase(std::remove_if(RawRegistrations.begin(), RawRegistrations.end(),
                                              [&](const TRawRegistration& R) {
                                                  return R.Page == Device.usUsagePage &&
                                                         R.Usage == Device.usUsage;
                                              }),
                               RawRegistrations.end());
        if (!(Device.dwFlags & RIDEV_REMOVE))
            RawRegistrations.push_back({Device.usUsagePage, Device.usUsage, Device.hwndTarget});
    }
    return TRUE;
}

UINT WINAPI GetRawInputData(HRAWINPUT Input, UINT Command, LPVOID Data, UINT* Size,
                            UINT HeaderSize) {
    if (!Settings.Quiet)
        Record("GetRawInputData " + Hex(Command) + " size=" + std::to_string(*Size) +
               " header=" + std::to_string(HeaderSize));
    auto* Pending = reinterpret_cast<const std::vector<BYTE>**>(Input);
    if (Pending != &PendingInput || !PendingInput || Command != RID_INPUT ||
        HeaderSize != sizeof(RAWINPUTHEADER))
        return static_cast<UINT>(-1);
    const std::vector<BYTE>& Bytes = *PendingInput;
    if (Bytes.size() > *Size) {
        *Size = static_cast<UINT>(Bytes.size());
        return static_cast<UINT>(-1); // too small: nothing written
    }
    if (!Bytes.empty())
        std::memcpy(Data, Bytes.data(), Bytes.size());
    return static_cast<UINT>(Bytes.size());
}

BOOL WINAPI MessageBeep(UINT Type) {
    Record("MessageBeep " + Hex(Type));
    return TRUE;
}

BOOL WINAPI PostMessageA(HWND Window, UINT Msg, WPARAM, LPARAM) {
    Record("PostMessageA " + FakeOs::WindowName(Window) + " " + Hex(Msg));
    return Live(Window) ? TRUE : FALSE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND Window, DWORD* ProcessId) {
    if (ProcessId)
        *ProcessId = 1;
    return Live(Window) ? Window->Thread : 0;
}

DWORD WINAPI GetCurrentThreadId() { return CurrentThread; }
