// The HID remote listener: registers a hidden event window for the remote's
// three HID collections through raw input, and names each report it reads.
#pragma once

#include "Object.h"
#include "PluginApi.h"
#include "UniqueHandle.h"
#include "UtilWindow.h"

#include <cstddef>

// Where the first HID report starts in a raw input record: byte 24 in the
// 32-bit layout, byte 32 in the 64-bit one.
constexpr std::size_t ReportOffset = offsetof(RAWINPUT, data.hid.bRawData);
// Room for 100 bytes of reports behind the header in either layout
// (124 bytes in all on 32-bit Windows).
constexpr UINT RawInputBufferSize = ReportOffset + 100;

// The raw input buffer: zero-filled before each read, aligned for the record.
struct alignas(RAWINPUT) TRawInputBuffer {
    BYTE Bytes[RawInputBufferSize];
};

// The key name of the report in Buffer, from the second byte of its first
// report (and, for 0x24, the third); null for a key byte without a name.
const char* ReportKeyName(const TRawInputBuffer& Buffer);

class TcxKeyPlus : public TObject {
  public:
    // Creates the event window and registers it for the three collections;
    // a refused registration beeps once and is otherwise silent.
    explicit TcxKeyPlus(DWORD Unused);
    ~TcxKeyPlus() override = default;

    // Calls the key callback with KeyName when there is a callback, the
    // listener is enabled and KeyName is not empty; true when it did.
    bool FireKey(const char* KeyName);
    void WndProc(TMessage& Message);

    HWND EventWindow() const { return Window.Get(); }

    // Written by SetCallback.
    bool Enabled = false;
    TKeyCallback KeyCallback = nullptr;

  private:
    static void Withdraw(HWND Target);

    // Owners in the order of acquisition: the registration, which names the
    // window as its target, is withdrawn before the window is destroyed.
    TUniqueHandle<HWND, &DeallocateHWnd> Window;
    TUniqueHandle<HWND, &Withdraw> Registration;
};
