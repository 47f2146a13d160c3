// What the listener tests of both plug-ins share: a log of the keys the host
// received, the host's key callbacks (one that records, another that records
// differently, one that rebinds from inside the key event), and a fixture that
// starts each test on a fresh fake OS and checks on the way out that
// unloading the plug-in leaves no window or window class behind.
#pragma once

#include "FakeOs.h"
#include "PluginApi.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using TStrings = std::vector<std::string>;
using TKeys = std::vector<std::pair<std::string, std::string>>;

inline TKeys Keys;
// What RebindingKey binds to from inside the key event (null: unbind).
inline TKeyCallback NextBinding = nullptr;

inline void WINAPI RecordKey(const char* Source, const char* Key) {
    Keys.emplace_back(Source, Key);
}
inline void WINAPI OtherRecordKey(const char* Source, const char* Key) {
    Keys.emplace_back(std::string("other:") + Source, Key);
}
inline void WINAPI RebindingKey(const char* Source, const char* Key) {
    RecordKey(Source, Key);
    SetCallback(0, NextBinding);
}

class PluginFixture : public testing::Test {
  protected:
    void Start(const FakeOs::TSettings& Settings = {}) {
        FakeOs::Reset(Settings);
        Keys.clear();
    }
    void SetUp() override { Start(); }
    void TearDown() override {
        UnloadPlugin();
        EXPECT_EQ(FakeOs::LiveWindows(), 0);
        EXPECT_EQ(FakeOs::RegisteredClasses(), 0);
    }
};
