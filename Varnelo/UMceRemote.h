// The IR receiver listener: binds to the receiver's driver library through a
// hidden event window and names each IR command code it delivers.
#pragma once

#include "Object.h"
#include "PluginApi.h"
#include "UniqueHandle.h"
#include "UtilWindow.h"

#include <cstdint>

// A short text that lives wherever its owner does (on the stack of the
// message handler for a key name), so naming a key allocates nothing.
template <std::size_t Capacity> struct TShortText {
    char Text[Capacity];
    const char* c_str() const { return Text; }
};

// The longest key name is "Volume Down": 11 characters.
using TKeyName = TShortText<12>;

TShortText<3> ByteToHex(std::uint8_t Value);
// Four upper-case digits of Value's low 16 bits, high byte first.
TShortText<5> WordToHex(std::uint32_t Value);
// The key name of the IR command code in Code's low 16 bits: its row of the
// name table, or "0x" and four hexadecimal digits.
TKeyName IrCommandName(std::uint32_t Code);

// The key event message of the driver library: WM_USER with this first
// parameter, the IR command code in the low 16 bits of the second.
constexpr UINT KeyEventMessage = WM_USER;
constexpr WPARAM KeyEventTag = 0x37FF0;

// The driver library's two entry points that the listener uses.
typedef BOOL(WINAPI* TMceIrRegisterEvents)(HWND Window);
typedef BOOL(WINAPI* TMceIrUnregisterEvents)();

class TMceRemote : public TObject {
  public:
    // Loads the driver library and, when it loads, creates the event window and
    // registers it. Never fails: without the library the listener is unbound.
    explicit TMceRemote(TKeyCallback KeyCallback);
    ~TMceRemote() override = default;

    void WndProc(TMessage& Message);

    HWND EventWindow() const { return Window.Get(); }
    HMODULE DriverLibrary() const { return Library.Get(); }
    bool Bound() const { return static_cast<bool>(Library); }

  private:
    static void CallUnregister(TMceIrUnregisterEvents Unregister) { Unregister(); }
    static void ReleaseLibrary(HMODULE Library) { FreeLibrary(Library); }

    // Set before anything is acquired, never changed.
    const TKeyCallback KeyCallback;

    // Owners in the order of acquisition, so that destruction ends the driver's
    // event registration first, then destroys the window the driver was
    // sending to, and frees the driver library last.
    TUniqueHandle<HMODULE, &ReleaseLibrary> Library;
    TUniqueHandle<HWND, &DeallocateHWnd> Window;
    // Held whenever the library exports it, whether or not registering was
    // possible: ending the registration is the driver's business.
    TUniqueHandle<TMceIrUnregisterEvents, &CallUnregister> Registration;
};
