// Control and inspection of the fake OS: what a test arranges (which driver
// library exists and what it exports, whether windows can be made) and what
// the code under test did, as one log of calls in order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace FakeOs {

struct TDriver {
    bool Present = true;
    bool ExportsRegister = true;
    bool ExportsUnregister = true;
};

struct TSettings {
    TDriver Driver;
    bool WindowsFail = false;     // CreateWindowExA returns null
    bool HeapExhausted = false;   // HeapAlloc returns null
    bool RawInputRefused = false; // RegisterRawInputDevices fails
    bool Quiet = false;           // record no calls (for counting the code's own allocations)
};

// Forgets every window, class, library and log entry, and applies Settings.
void Reset(const TSettings& Settings = {});

// The calls made so far, one line each: "LoadLibraryA MCEir.dll",
// "CreateWindowExA TPUtilWindow -> W1", "MceIrRegisterEvents W1", ...
const std::vector<std::string>& Calls();
// The calls whose line starts with one of Prefixes, in order.
std::vector<std::string> CallsOf(std::initializer_list<const char*> Prefixes);
void ClearCalls();

// The fake's name for a window handle ("W1", "W2", ...), or "W0" for null.
std::string WindowName(HWND Window);
int LiveWindows();
int RegisteredClasses();
// Load references the code under test holds on the driver library.
int DriverReferences();
// The window the driver was last told to send key events to, or null.
HWND RegisteredWindow();

// What the driver does on a button press: send the key event message to the
// registered window. Returns the window procedure's result.
LRESULT PressKey(LPARAM Code, WPARAM Tag = 0x37FF0);

// Raw input registrations in force, as "page/usage -> window", in the order
// they were made.
std::vector<std::string> RawInputRegistrations();
// The window registered for a collection, or null.
HWND RawInputTarget(USHORT UsagePage, USHORT Usage);

// What the system does when a device of the collection sends input: a
// WM_INPUT message to the registered window, whose GetRawInputData yields
// Record. Returns the window procedure's result.
LRESULT SendRawInput(USHORT UsagePage, USHORT Usage, const std::vector<BYTE>& Record,
                     WPARAM Sink = RIM_INPUT);

// The thread the code under test runs on (1 after Reset); windows belong to
// the thread that created them.
void SetCurrentThread(DWORD Thread);
// What a window's procedure is now: "own" while it is still the class
// procedure or one the code installed, "default" once it is DefWindowProcA.
std::string WindowProcedure(HWND Window);

// Counts HeapAlloc calls from now on.
long HeapAllocations();

} // namespace FakeOs
