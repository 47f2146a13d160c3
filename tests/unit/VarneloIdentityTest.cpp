#include "PluginApi.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(VarneloIdentity, ConstantTextsSamePointerEveryCall) {
    EXPECT_STREQ(LibTyp(), "Input");
    EXPECT_STREQ(Version(), "1.00");
    EXPECT_STREQ(PluginName(), "MCEIr");
    EXPECT_GT(std::strlen(Copyright()), 0u);
    for (auto* Export : {&LibTyp, &Copyright, &Version, &PluginName})
        EXPECT_EQ(Export(), Export());
}
