// TMceRemote and Varnelo's SetCallback against the fake OS: what is acquired,
// in which order it is released, and what each message turns into.
#include "PluginFixture.h"
#include "UMceRemote.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {
const TStrings BindCalls = {
    "LoadLibraryA MCEir.dll",
    "GetProcAddress MceIrRegisterEvents",
    "GetProcAddress MceIrUnregisterEvents",
    "RegisterClassA TPUtilWindow",
    "CreateWindowExA TPUtilWindow ex=0x80 style=0x80000000 title='' 0,0,0,0 -> W1",
    "MceIrRegisterEvents W1",
};

class MceRemoteTest : public PluginFixture {
  protected:
    void TearDown() override {
        // Unloading must leave nothing behind, whatever the test did.
        PluginFixture::TearDown();
        EXPECT_EQ(FakeOs::DriverReferences(), 0);
        EXPECT_EQ(FakeOs::RegisteredWindow(), nullptr);
    }
    // Only the calls that acquire or release something, in order.
    static TStrings Lifecycle() {
        return FakeOs::CallsOf({"LoadLibraryA", "GetProcAddress", "FreeLibrary", "RegisterClassA",
                                "UnregisterClassA", "CreateWindowExA", "DestroyWindow",
                                "MceIrRegisterEvents", "MceIrUnregisterEvents"});
    }
};

TEST_F(MceRemoteTest, LoadingAloneAcquiresNothingAndNullCallbackChangesNothing) {
    SetCallback(0, nullptr);
    EXPECT_TRUE(FakeOs::Calls().empty());
}

TEST_F(MceRemoteTest, BindLoadsDriverCreatesHiddenWindowAndRegistersIt) {
    SetCallback(1234, &RecordKey);
    EXPECT_EQ(Lifecycle(), BindCalls);
    EXPECT_EQ(FakeOs::LiveWindows(), 1);
    EXPECT_EQ(FakeOs::DriverReferences(), 1);
}

TEST_F(MceRemoteTest, UnbindUnregistersThenDestroysWindowThenFreesDriver) {
    SetCallback(0, &RecordKey);
    FakeOs::ClearCalls();
    SetCallback(0, nullptr);
    // Not a window the driver still sends to, not a driver already gone.
    EXPECT_EQ(Lifecycle(),
              (TStrings{"MceIrUnregisterEvents", "DestroyWindow W1", "FreeLibrary MCEir.dll"}));
}

struct TMessageCase {
    const char* What;
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    const char* Key;        // expected key name, or null for no key callback
    LRESULT Result;         // what the window procedure returns
    bool DefaultProcessing; // passed to DefWindowProcA
};

void PrintTo(const TMessageCase& Case, std::ostream* Out) {
    *Out << Case.What;
}

class MceRemoteMessageTest : public MceRemoteTest,
                             public testing::WithParamInterface<TMessageCase> {};

TEST_P(MceRemoteMessageTest, EachMessageYieldsAtMostOneKey) {
    const TMessageCase& Case = GetParam();
    SetCallback(0, &RecordKey);
    FakeOs::ClearCalls();
    const LRESULT Result =
        SendMessageA(FakeOs::RegisteredWindow(), Case.Msg, Case.WParam, Case.LParam);
    EXPECT_EQ(Result, Case.Result);
    EXPECT_EQ(FakeOs::CallsOf({"DefWindowProcA"}).size(), Case.DefaultProcessing ? 1u : 0u);
    if (Case.Key) {
        ASSERT_EQ(Keys.size(), 1u);
        EXPECT_EQ(Keys[0].first, "MCE Remote");
        EXPECT_EQ(Keys[0].second, Case.Key);
    } else {
        EXPECT_TRUE(Keys.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, MceRemoteMessageTest,
    testing::Values(TMessageCase{"Play", WM_USER, 0x37FF0, 0x7BE9, "Play", 0, false},
                    TMessageCase{"HighBitsIgnored", WM_USER, 0x37FF0, 0x5A5A7BE9, "Play", 0, false},
                    TMessageCase{"UnnamedCode", WM_USER, 0x37FF0, 0x7BA6, "0x7BA6", 0, false},
                    TMessageCase{"OtherTag", WM_USER, 0, 0x7BE9, nullptr, 0, true},
                    TMessageCase{"NearTag", WM_USER, 0x37FF1, 0x7BE9, nullptr, 0, true},
                    TMessageCase{"OtherMessage", WM_USER + 1, 0x37FF0, 0x7BE9, nullptr, 0, true},
                    // A top-level window that answered 0 here would veto the end of the session.
                    TMessageCase{"SessionEndQuery", WM_QUERYENDSESSION, 0, 0, nullptr, TRUE, true}),
    [](const testing::TestParamInfo<TMessageCase>& Info) { return Info.param.What; });

TEST_F(MceRemoteTest, RepeatedPressesEachReachTheCallback) {
    SetCallback(0, &RecordKey);
    FakeOs::PressKey(0x7BEF);
    FakeOs::PressKey(0x7BEF);
    EXPECT_EQ(Keys, (TKeys{{"MCE Remote", "Volume Up"}, {"MCE Remote", "Volume Up"}}));
}

TEST_F(MceRemoteTest, KeyEventWithoutCallbackIsSwallowed) {
    FakeOs::Reset();
    {
        TMceRemote Listener(nullptr);
        ASSERT_TRUE(Listener.Bound());
        FakeOs::ClearCalls();
        EXPECT_EQ(SendMessageA(Listener.EventWindow(), WM_USER, 0x37FF0, 0x7BE9), 0);
        EXPECT_TRUE(FakeOs::CallsOf({"DefWindowProcA"}).empty());
    }
    EXPECT_TRUE(Keys.empty());
}

TEST_F(MceRemoteTest, MissingDriverLeavesAnUnboundListenerThatReleasesNothing) {
    Start({.Driver = {.Present = false}});
    SetCallback(0, &RecordKey);
    EXPECT_EQ(Lifecycle(), (TStrings{"LoadLibraryA MCEir.dll"}));
    EXPECT_EQ(FakeOs::LiveWindows(), 0);
    FakeOs::ClearCalls();
    SetCallback(0, nullptr);
    EXPECT_TRUE(Lifecycle().empty());
}

struct TDriverCase {
    const char* What;
    FakeOs::TDriver Driver;
    TStrings Bind; // after the two look-ups
    TStrings Unbind;
};

void PrintTo(const TDriverCase& Case, std::ostream* Out) {
    *Out << Case.What;
}

class MceRemoteDriverTest : public MceRemoteTest,
                            public testing::WithParamInterface<TDriverCase> {};

TEST_P(MceRemoteDriverTest, EntryPointsMissingAreSkippedButTheRestIsReleased) {
    Start({.Driver = GetParam().Driver});
    SetCallback(0, &RecordKey);
    TStrings Bind = Lifecycle();
    Bind.erase(Bind.begin(), Bind.begin() + 5);
    EXPECT_EQ(Bind, GetParam().Bind);
    FakeOs::ClearCalls();
    SetCallback(0, nullptr);
    EXPECT_EQ(Lifecycle(), GetParam().Unbind);
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, MceRemoteDriverTest,
    testing::Values(TDriverCase{"NoRegister",
                                {.ExportsRegister = false},
                                {},
                                {"MceIrUnregisterEvents", "DestroyWindow W1",
                                 "FreeLibrary MCEir.dll"}},
                    TDriverCase{"NoUnregister",
                                {.ExportsUnregister = false},
                                {"MceIrRegisterEvents W1"},
                                {"DestroyWindow W1", "FreeLibrary MCEir.dll"}},
                    TDriverCase{"Neither",
                                {.ExportsRegister = false, .ExportsUnregister = false},
                                {},
                                {"DestroyWindow W1", "FreeLibrary MCEir.dll"}}),
    [](const testing::TestParamInfo<TDriverCase>& Info) { return Info.param.What; });

TEST_F(MceRemoteTest, WindowThatCannotBeCreatedIsNeverRegistered) {
    Start({.WindowsFail = true});
    SetCallback(0, &RecordKey);
    EXPECT_TRUE(FakeOs::CallsOf({"MceIrRegisterEvents"}).empty());
    FakeOs::ClearCalls();
    SetCallback(0, nullptr);
    EXPECT_EQ(Lifecycle(), (TStrings{"MceIrUnregisterEvents", "FreeLibrary MCEir.dll"}));
}

TEST_F(MceRemoteTest, RebindReplacesListenerReleasingTheOldOneFirst) {
    SetCallback(0, &RecordKey);
    const HWND First = FakeOs::RegisteredWindow();
    FakeOs::ClearCalls();
    SetCallback(0, &RecordKey);
    TStrings Expected = {"MceIrUnregisterEvents", "DestroyWindow W1", "FreeLibrary MCEir.dll"};
    for (const std::string& Line : BindCalls)
        if (Line.rfind("RegisterClassA", 0) != 0) // the class stays registered
            Expected.push_back(Line);
    Expected[6] = "CreateWindowExA TPUtilWindow ex=0x80 style=0x80000000 title='' 0,0,0,0 -> W2";
    Expected[7] = "MceIrRegisterEvents W2";
    EXPECT_EQ(Lifecycle(), Expected);
    EXPECT_NE(FakeOs::RegisteredWindow(), First);
    EXPECT_EQ(FakeOs::LiveWindows(), 1);
    EXPECT_EQ(FakeOs::DriverReferences(), 1);
}

TEST_F(MceRemoteTest, CallbackThatUnbindsEndsTheMessageSafely) {
    NextBinding = nullptr;
    SetCallback(0, &RebindingKey);
    // The listener is freed inside its own handler; AddressSanitizer catches
    // any touch of it after the callback returns.
    EXPECT_EQ(FakeOs::PressKey(0x7BE9), 0);
    EXPECT_EQ(Keys.size(), 1u);
    EXPECT_EQ(FakeOs::LiveWindows(), 0);
    EXPECT_EQ(FakeOs::DriverReferences(), 0);
    EXPECT_EQ(FakeOs::PressKey(0x7BE9), 0); // nobody registered any more
    EXPECT_EQ(Keys.size(), 1u);
}

TEST_F(MceRemoteTest, CallbackThatRebindsHandsTheNextKeyToTheNewCallback) {
    NextBinding = &OtherRecordKey;
    SetCallback(0, &RebindingKey);
    FakeOs::PressKey(0x7BE9);
    FakeOs::PressKey(0x7BE7);
    EXPECT_EQ(Keys, (TKeys{{"MCE Remote", "Play"}, {"other:MCE Remote", "Pause"}}));
    EXPECT_EQ(FakeOs::LiveWindows(), 1);
    EXPECT_EQ(FakeOs::DriverReferences(), 1);
}

TEST_F(MceRemoteTest, UnloadWithLiveListenerReleasesItThenTheWindowClass) {
    SetCallback(0, &RecordKey);
    FakeOs::ClearCalls();
    UnloadPlugin();
    EXPECT_EQ(Lifecycle(), (TStrings{"MceIrUnregisterEvents", "DestroyWindow W1",
                                     "FreeLibrary MCEir.dll", "UnregisterClassA TPUtilWindow"}));
    // A reload registers the class again and binds as before.
    SetCallback(0, &RecordKey);
    EXPECT_EQ(FakeOs::LiveWindows(), 1);
}

TEST_F(MceRemoteTest, ExhaustedHeapLeavesThePluginIdle) {
    Start({.HeapExhausted = true});
    SetCallback(0, &RecordKey);
    EXPECT_TRUE(FakeOs::Calls().empty());
}
} // namespace

namespace {
// The library unloaded by a thread that does not own the event window: the
// window cannot be destroyed from there, so it must be left harmless (no
// procedure of ours, closed by its own thread), and the driver released.
TEST_F(MceRemoteTest, UnloadFromAnotherThreadLeavesTheWindowHarmless) {
    SetCallback(0, &RecordKey);
    const HWND Window = FakeOs::RegisteredWindow();
    FakeOs::ClearCalls();
    FakeOs::SetCurrentThread(2);
    UnloadPlugin();
    EXPECT_EQ(Lifecycle(), (TStrings{"MceIrUnregisterEvents", "FreeLibrary MCEir.dll",
                                     "UnregisterClassA TPUtilWindow (windows left)"}));
    EXPECT_EQ(FakeOs::CallsOf({"PostMessageA"}), (TStrings{"PostMessageA W1 0x10"}));
    EXPECT_EQ(FakeOs::WindowProcedure(Window), "default");
    EXPECT_EQ(FakeOs::DriverReferences(), 0);
    // Its own thread then closes it with default processing alone.
    FakeOs::SetCurrentThread(1);
    EXPECT_TRUE(DestroyWindow(Window));
    EXPECT_TRUE(Keys.empty());
}
} // namespace
