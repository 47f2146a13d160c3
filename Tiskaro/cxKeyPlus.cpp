#include "cxKeyPlus.h"

#include <array>

namespace {
constexpr char SourceName[] = "DAV2005";

struct TReportKey {
    BYTE KeyByte;
    const char* Name;
};

// 0x24 is missing here: its name depends on the byte after it.
constexpr TReportKey ReportKeys[] = {
    {0x09, "Info"},      {0x0D, "Home"},         {0x1F, "Mute"},          {0x25, "Live_TV"},
    {0x46, "my_TV"},     {0x47, "my_Music"},     {0x48, "TV_Recordings"}, {0x4B, "DVD_angle"},
    {0x4C, "DVD_Audio"}, {0x4D, "DVD_Subtitle"}, {0x5A, "Videotext"},     {0x5B, "Red"},
    {0x5C, "Green"},     {0x5D, "Yellow"},       {0x5E, "Blue"},          {0x65, "TV_Off"},
    {0x82, "Standby"},   {0x8D, "TV_Guide"},     {0x9C, "Channel_Up"},    {0x9D, "Channel_Down"},
    {0xB0, "Play"},      {0xB1, "Pause"},        {0xB2, "Record"},        {0xB3, "FastForward"},
    {0xB4, "Rewind"},    {0xB5, "Next"},         {0xB6, "Previous"},      {0xB7, "Stop"},
    {0xE2, "Mute"},      {0xE9, "Volume_Up"},    {0xEA, "Volume_Down"},
};
constexpr BYTE MenuKey = 0x24;

constexpr auto NameByKeyByte = [] {
    std::array<const char*, 256> Names{};
    for (const TReportKey& Key : ReportKeys)
        Names[Key.KeyByte] = Key.Name;
    return Names;
}();

// The remote's collections, in the order they are registered.
struct TCollection {
    USHORT UsagePage;
    USHORT Usage;
};
constexpr TCollection Collections[] = {
    {0xFFBC, 0x88}, // vendor-defined
    {0x0C, 0x01},   // consumer control
    {0x0C, 0x80},
};
constexpr UINT CollectionCount = sizeof Collections / sizeof Collections[0];

std::array<RAWINPUTDEVICE, CollectionCount> Registrations(DWORD Flags, HWND Target) {
    std::array<RAWINPUTDEVICE, CollectionCount> Devices{};
    for (UINT I = 0; I < CollectionCount; ++I)
        Devices[I] = {Collections[I].UsagePage, Collections[I].Usage, Flags, Target};
    return Devices;
}
} // namespace

const char* ReportKeyName(const TRawInputBuffer& Buffer) {
    const BYTE* Report = Buffer.Bytes + ReportOffset;
    if (Report[1] == MenuKey)
        return Report[2] == 0x02 ? "Back" : "DVD_Menu";
    return NameByKeyByte[Report[1]];
}

TcxKeyPlus::TcxKeyPlus(DWORD) {
    Window.Reset(AllocateHWnd<TcxKeyPlus, &TcxKeyPlus::WndProc>(this));
    // Input sink: the remote's keys reach the hidden window also while another
    // application has the foreground.
    const auto Devices = Registrations(RIDEV_INPUTSINK, Window.Get());
    if (RegisterRawInputDevices(Devices.data(), CollectionCount, sizeof(RAWINPUTDEVICE)))
        Registration.Reset(Window.Get());
    else
        MessageBeep(MB_OK);
}

void TcxKeyPlus::Withdraw(HWND) {
    // Removing takes no target window; left in place, the registration would
    // name a destroyed window until the next listener registers again.
    const auto Devices = Registrations(RIDEV_REMOVE, nullptr);
    RegisterRawInputDevices(Devices.data(), CollectionCount, sizeof(RAWINPUTDEVICE));
}

bool TcxKeyPlus::FireKey(const char* KeyName) {
    if (!KeyCallback || !Enabled || !KeyName || !*KeyName)
        return false;
    KeyCallback(SourceName, KeyName);
    return true;
}

void TcxKeyPlus::WndProc(TMessage& Message) {
    if (Message.Msg != WM_INPUT) {
        // A top-level window must not answer 0 to everything: that would veto
        // the end of the user's session.
        Message.Result = DefWindowProcA(Window.Get(), Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    // Foreground and background input (WParam) are handled alike. A record
    // that does not fit, or a failed read, leaves the buffer zero: no key.
    TRawInputBuffer Buffer{};
    UINT Size = sizeof Buffer.Bytes;
    GetRawInputData(reinterpret_cast<HRAWINPUT>(Message.LParam), RID_INPUT, Buffer.Bytes, &Size,
                    sizeof(RAWINPUTHEADER));
    // The system frees the input in default processing, so only after the read.
    Message.Result = DefWindowProcA(Window.Get(), Message.Msg, Message.WParam, Message.LParam);
    // Last use of this object: the key callback may unbind and destroy it.
    FireKey(ReportKeyName(Buffer));
}
