// TcxKeyPlus and Tiskaro's SetCallback against the fake OS: the raw input
// registration, reading and naming each WM_INPUT, and the callback's guards.
#include "PluginFixture.h"
#include "cxKeyPlus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {
// A HID record with one report {report id, key byte, next byte}.
std::vector<BYTE> HidRecord(BYTE KeyByte, BYTE Next = 0, std::size_t Padding = 0) {
    std::vector<BYTE> Record(ReportOffset + 3 + Padding);
    RAWINPUT Header{};
    Header.header.dwType = RIM_TYPEHID;
    Header.header.dwSize = static_cast<DWORD>(Record.size());
    Header.data.hid.dwSizeHid = static_cast<DWORD>(3 + Padding);
    Header.data.hid.dwCount = 1;
    std::memcpy(Record.data(), &Header, ReportOffset);
    Record[ReportOffset] = 0x01;
    Record[ReportOffset + 1] = KeyByte;
    Record[ReportOffset + 2] = Next;
    return Record;
}

LRESULT Send(BYTE KeyByte, BYTE Next = 0, USHORT Page = 0xFFBC, USHORT Usage = 0x88) {
    return FakeOs::SendRawInput(Page, Usage, HidRecord(KeyByte, Next));
}

const std::string Entries(const char* Flags, const char* Window) {
    return std::string("RegisterRawInputDevices 0xFFBC/0x88 ") + Flags + " " + Window +
           ", 0xC/0x1 " + Flags + " " + Window + ", 0xC/0x80 " + Flags + " " + Window +
           " size=" + std::to_string(sizeof(RAWINPUTDEVICE));
}

class KeyPlusTest : public PluginFixture {
  protected:
    void TearDown() override {
        PluginFixture::TearDown();
        EXPECT_TRUE(FakeOs::RawInputRegistrations().empty());
    }
    static TStrings Lifecycle() {
        return FakeOs::CallsOf({"RegisterClassA", "UnregisterClassA", "CreateWindowExA",
                                "DestroyWindow", "RegisterRawInputDevices", "MessageBeep"});
    }
};

TEST_F(KeyPlusTest, BindRegistersTheHiddenWindowForThreeCollectionsAsInputSink) {
    SetCallback(99, &RecordKey);
    EXPECT_EQ(
        Lifecycle(),
        (TStrings{"RegisterClassA TPUtilWindow",
                  "CreateWindowExA TPUtilWindow ex=0x80 style=0x80000000 title='' 0,0,0,0 -> W1",
                  Entries("0x100", "W1")}));
    EXPECT_EQ(FakeOs::RawInputRegistrations(),
              (TStrings{"0xFFBC/0x88 -> W1", "0xC/0x1 -> W1", "0xC/0x80 -> W1"}));
}

TEST_F(KeyPlusTest, UnbindWithdrawsTheRegistrationsBeforeDestroyingTheWindow) {
    SetCallback(0, &RecordKey);
    FakeOs::ClearCalls();
    SetCallback(0, nullptr);
    EXPECT_EQ(Lifecycle(), (TStrings{Entries("0x1", "W0"), "DestroyWindow W1"}));
}

struct TInputCase {
    const char* What;
    UINT Msg;
    WPARAM WParam;
    std::vector<BYTE> Record;
    const char* Key; // or null
    bool Reads;      // calls GetRawInputData
};

void PrintTo(const TInputCase& Case, std::ostream* Out) {
    *Out << Case.What;
}

class KeyPlusInputTest : public KeyPlusTest, public testing::WithParamInterface<TInputCase> {};

TEST_P(KeyPlusInputTest, EachInputYieldsAtMostOneKey) {
    const TInputCase& Case = GetParam();
    SetCallback(0, &RecordKey);
    FakeOs::ClearCalls();
    const HWND Window = FakeOs::RawInputTarget(0xFFBC, 0x88);
    if (Case.Msg == WM_INPUT)
        FakeOs::SendRawInput(0xFFBC, 0x88, Case.Record, Case.WParam);
    else
        SendMessageA(Window, Case.Msg, Case.WParam, 0x7BE9);
    const TStrings Reads = FakeOs::CallsOf({"GetRawInputData"});
    if (Case.Reads) {
        EXPECT_EQ(
            Reads,
            (TStrings{"GetRawInputData 0x10000003 size=" + std::to_string(RawInputBufferSize) +
                      " header=" + std::to_string(sizeof(RAWINPUTHEADER))}));
    } else {
        EXPECT_TRUE(Reads.empty());
    }
    // Every message gets default processing, WM_INPUT after its read.
    EXPECT_EQ(FakeOs::CallsOf({"DefWindowProcA"}).size(), 1u);
    if (Case.Key) {
        EXPECT_EQ(Keys, (TKeys{{"DAV2005", Case.Key}}));
    } else {
        EXPECT_TRUE(Keys.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, KeyPlusInputTest,
    testing::Values(
        TInputCase{"Play", WM_INPUT, RIM_INPUT, HidRecord(0xB0), "Play", true},
        TInputCase{"Background", WM_INPUT, RIM_INPUTSINK, HidRecord(0xB0), "Play", true},
        TInputCase{"Back", WM_INPUT, RIM_INPUT, HidRecord(0x24, 0x02), "Back", true},
        TInputCase{"DvdMenu", WM_INPUT, RIM_INPUT, HidRecord(0x24, 0x00), "DVD_Menu", true},
        TInputCase{"Unnamed", WM_INPUT, RIM_INPUT, HidRecord(0x00), nullptr, true},
        // Too large for the buffer: the read writes nothing, so no key.
        TInputCase{"Oversized", WM_INPUT, RIM_INPUT, HidRecord(0xB0, 0, 200), nullptr, true},
        TInputCase{"Empty", WM_INPUT, RIM_INPUT, {}, nullptr, true},
        TInputCase{"DriverKeyEvent", WM_USER, 0x37FF0, {}, nullptr, false},
        TInputCase{"SessionEndQuery", WM_QUERYENDSESSION, 0, {}, nullptr, false}),
    [](const testing::TestParamInfo<TInputCase>& Info) { return Info.param.What; });

TEST_F(KeyPlusTest, SessionEndQueryIsNotVetoed) {
    SetCallback(0, &RecordKey);
    EXPECT_NE(SendMessageA(FakeOs::RawInputTarget(0xC, 0x1), WM_QUERYENDSESSION, 0, 0), 0);
}

TEST_F(KeyPlusTest, EveryCollectionDeliversAndRepeatsAreNotFiltered) {
    SetCallback(0, &RecordKey);
    Send(0xE9, 0, 0xC, 0x1);
    Send(0xE9, 0, 0xC, 0x1);
    Send(0x0D, 0, 0xC, 0x80);
    EXPECT_EQ(Keys,
              (TKeys{{"DAV2005", "Volume_Up"}, {"DAV2005", "Volume_Up"}, {"DAV2005", "Home"}}));
}

TEST_F(KeyPlusTest, RebindKeepsWindowAndRegistrationAndSwapsTheCallback) {
    SetCallback(0, &RecordKey);
    const HWND Window = FakeOs::RawInputTarget(0xFFBC, 0x88);
    FakeOs::ClearCalls();
    SetCallback(0, &OtherRecordKey);
    EXPECT_TRUE(Lifecycle().empty());
    EXPECT_EQ(FakeOs::RawInputTarget(0xFFBC, 0x88), Window);
    Send(0xB1);
    EXPECT_EQ(Keys, (TKeys{{"other:DAV2005", "Pause"}}));
}

TEST_F(KeyPlusTest, BindAfterUnbindMakesANewListenerThatRegistersAgain) {
    SetCallback(0, &RecordKey);
    SetCallback(0, nullptr);
    FakeOs::ClearCalls();
    SetCallback(0, &RecordKey);
    EXPECT_EQ(
        Lifecycle(),
        (TStrings{"CreateWindowExA TPUtilWindow ex=0x80 style=0x80000000 title='' 0,0,0,0 -> W2",
                  Entries("0x100", "W2")}));
    Send(0xB0);
    EXPECT_EQ(Keys.size(), 1u);
}

TEST_F(KeyPlusTest, RefusedRegistrationBeepsOnceAndTheListenerLivesOn) {
    Start({.RawInputRefused = true});
    SetCallback(0, &RecordKey);
    SetCallback(0, &OtherRecordKey);
    EXPECT_EQ(FakeOs::CallsOf({"MessageBeep"}), (TStrings{"MessageBeep 0x0"}));
    EXPECT_EQ(FakeOs::LiveWindows(), 1);
    FakeOs::ClearCalls();
    SetCallback(0, nullptr);
    // Nothing was registered, so nothing is withdrawn.
    EXPECT_EQ(Lifecycle(), (TStrings{"DestroyWindow W1"}));
}

TEST_F(KeyPlusTest, WindowThatCannotBeCreatedIsRefusedAsTargetAndNeverDestroyed) {
    Start({.WindowsFail = true});
    SetCallback(0, &RecordKey);
    EXPECT_EQ(FakeOs::CallsOf({"RegisterRawInputDevices", "MessageBeep"}),
              (TStrings{Entries("0x100", "W0"), "MessageBeep 0x0"}));
    FakeOs::ClearCalls();
    SetCallback(0, nullptr);
    EXPECT_TRUE(Lifecycle().empty());
}

TEST_F(KeyPlusTest, FireKeyNeedsCallbackEnabledAndAName) {
    TcxKeyPlus Listener(0);
    EXPECT_FALSE(Listener.FireKey("Play"));
    Listener.KeyCallback = &RecordKey;
    EXPECT_FALSE(Listener.FireKey("Play"));
    Listener.Enabled = true;
    EXPECT_FALSE(Listener.FireKey(""));
    EXPECT_FALSE(Listener.FireKey(nullptr));
    EXPECT_TRUE(Listener.FireKey("Play"));
    EXPECT_EQ(Keys, (TKeys{{"DAV2005", "Play"}}));
}

TEST_F(KeyPlusTest, CallbackThatUnbindsEndsTheMessageSafely) {
    NextBinding = nullptr;
    SetCallback(0, &RebindingKey);
    Send(0xB0); // AddressSanitizer catches any touch of the freed listener
    EXPECT_EQ(Keys.size(), 1u);
    EXPECT_EQ(FakeOs::LiveWindows(), 0);
    EXPECT_TRUE(FakeOs::RawInputRegistrations().empty());
}

TEST_F(KeyPlusTest, CallbackThatRebindsHandsTheNextKeyToTheNewCallback) {
    NextBinding = &OtherRecordKey;
    SetCallback(0, &RebindingKey);
    Send(0xB0);
    Send(0xB7);
    EXPECT_EQ(Keys, (TKeys{{"DAV2005", "Play"}, {"other:DAV2005", "Stop"}}));
}

TEST_F(KeyPlusTest, KeyHandlingAllocatesNothing) {
    SetCallback(0, &RecordKey);
    const std::vector<BYTE> Record = HidRecord(0xB0);
    Keys.reserve(100);
    const long Before = FakeOs::HeapAllocations();
    for (int I = 0; I < 100; ++I)
        FakeOs::SendRawInput(0xFFBC, 0x88, Record);
    EXPECT_EQ(FakeOs::HeapAllocations(), Before);
    EXPECT_EQ(Keys.size(), 100u);
}

TEST_F(KeyPlusTest, UnloadWithLiveListenerWithdrawsDestroysAndUnregistersTheClass) {
    SetCallback(0, &RecordKey);
    FakeOs::ClearCalls();
    UnloadPlugin();
    EXPECT_EQ(Lifecycle(), (TStrings{Entries("0x1", "W0"), "DestroyWindow W1",
                                     "UnregisterClassA TPUtilWindow"}));
}
} // namespace
