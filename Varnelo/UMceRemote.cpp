#include "UMceRemote.h"

#include "RuntimeLink.h"

#include <array>

namespace {
constexpr char SourceName[] = "MCE Remote";

struct TIrKey {
    std::uint16_t Code;
    const char* Name;
};

constexpr TIrKey IrKeys[] = {
    {0x7B9A, "TV Off"},      {0x7BA1, "Blue"},      {0x7BA2, "Yellow"},     {0x7BA3, "Green"},
    {0x7BA4, "Red"},         {0x7BA5, "Videotext"}, {0x7BB7, "Recordings"}, {0x7BD9, "EPG"},
    {0x7BDA, "Line TV"},     {0x7BDB, "DVD Menu"},  {0x7BDC, "Back"},       {0x7BDD, "Ok"},
    {0x7BDE, "Right"},       {0x7BDF, "Left"},      {0x7BE0, "Down"},       {0x7BE1, "Up"},
    {0x7BE2, "*"},           {0x7BE3, "#"},         {0x7BE4, "Replay"},     {0x7BE5, "Skip"},
    {0x7BE6, "Stop Off"},    {0x7BE7, "Pause"},     {0x7BE8, "Record"},     {0x7BE9, "Play"},
    {0x7BEA, "Rew"},         {0x7BEB, "Fwd"},       {0x7BEC, "Ch Down"},    {0x7BED, "Ch Up"},
    {0x7BEE, "Volume Down"}, {0x7BEF, "Volume Up"}, {0x7BF0, "Info"},       {0x7BF1, "Mute"},
    {0x7BF2, "Start"},       {0x7BF3, "PC Off"},    {0x7BF4, "Enter"},      {0x7BF5, "Delete"},
    {0x7BF6, "9"},           {0x7BF7, "8"},         {0x7BF8, "7"},          {0x7BF9, "6"},
    {0x7BFA, "5"},           {0x7BFB, "4"},         {0x7BFC, "3"},          {0x7BFD, "2"},
    {0x7BFE, "1"},           {0x7BFF, "0"},
};

// Every named code lies in one short span, so the rows are spread into an
// array of ready-made key names indexed by code - FirstCode: naming a key is
// one comparison and one copy of a 12-byte record. Gaps hold an empty name.
constexpr std::uint16_t FirstCode = 0x7B9A;
constexpr std::uint16_t LastCode = 0x7BFF;

constexpr TKeyName KeyNameOf(const char* Row) {
    TKeyName Name{};
    for (std::size_t I = 0; Row[I] != '\0' && I + 1 < sizeof Name.Text; ++I)
        Name.Text[I] = Row[I];
    return Name;
}

constexpr auto IrNameBySpan = [] {
    std::array<TKeyName, LastCode - FirstCode + 1> Names{};
    for (const TIrKey& Key : IrKeys)
        Names[Key.Code - FirstCode] = KeyNameOf(Key.Name);
    return Names;
}();

constexpr char HexDigits[] = "0123456789ABCDEF";
} // namespace

TShortText<3> ByteToHex(std::uint8_t Value) {
    return {{HexDigits[Value >> 4], HexDigits[Value & 0xF], '\0'}};
}

TShortText<5> WordToHex(std::uint32_t Value) {
    const TShortText<3> High = ByteToHex(static_cast<std::uint8_t>(Value >> 8));
    const TShortText<3> Low = ByteToHex(static_cast<std::uint8_t>(Value));
    return {{High.Text[0], High.Text[1], Low.Text[0], Low.Text[1], '\0'}};
}

TKeyName IrCommandName(std::uint32_t Argument) {
    const std::uint16_t Code = static_cast<std::uint16_t>(Argument & 0xFFFF);
    if (Code >= FirstCode && Code <= LastCode && IrNameBySpan[Code - FirstCode].Text[0] != '\0')
        return IrNameBySpan[Code - FirstCode];
    const TShortText<5> Digits = WordToHex(Code);
    return {{'0', 'x', Digits.Text[0], Digits.Text[1], Digits.Text[2], Digits.Text[3], '\0'}};
}

TMceRemote::TMceRemote(TKeyCallback KeyCallback) : KeyCallback(KeyCallback) {
    // A plain file name: the system's library search decides which file loads.
    Library.Reset(LoadLibraryA("MCEir.dll"));
    if (!Library)
        return; // unbound: no window, no registration, nothing reported
    const auto Register = LookUpEntry<TMceIrRegisterEvents>(Library.Get(), "MceIrRegisterEvents");
    const auto Unregister =
        LookUpEntry<TMceIrUnregisterEvents>(Library.Get(), "MceIrUnregisterEvents");
    Window.Reset(AllocateHWnd<TMceRemote, &TMceRemote::WndProc>(this));
    Registration.Reset(Unregister);
    // The driver only ever sees a window that exists.
    if (Register && Window)
        Register(Window.Get());
}

void TMceRemote::WndProc(TMessage& Message) {
    if (Message.Msg == KeyEventMessage && Message.WParam == KeyEventTag) {
        // The key event is ours alone: no default processing, result 0.
        if (KeyCallback) {
            const TKeyName KeyName = IrCommandName(static_cast<std::uint32_t>(Message.LParam));
            // Last use of this object: the callback may unbind and destroy it.
            KeyCallback(SourceName, KeyName.c_str());
        }
        return;
    }
    Message.Result = DefWindowProcA(Window.Get(), Message.Msg, Message.WParam, Message.LParam);
}
