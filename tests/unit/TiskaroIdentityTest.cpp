#include "FakeOs.h"
#include "PluginApi.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(TiskaroIdentity, ConstantTextsSamePointerEveryCall) {
    EXPECT_STREQ(LibTyp(), "Input");
    EXPECT_STREQ(Version(), "1.00");
    EXPECT_STREQ(PluginName(), "DAV2005");
    EXPECT_GT(std::strlen(Copyright()), 0u);
    for (auto* Export : {&LibTyp, &Copyright, &Version, &PluginName})
        EXPECT_EQ(Export(), Export());
}

TEST(TiskaroLoad, LoadAndUnloadTouchNoSystemResource) {
    FakeOs::Reset();
    UnloadPlugin();
    EXPECT_EQ(FakeOs::LiveWindows(), 0);
    EXPECT_TRUE(FakeOs::CallsOf({"CreateWindowExA", "LoadLibraryA"}).empty());
}
