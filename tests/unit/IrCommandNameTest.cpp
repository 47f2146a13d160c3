#include "UMceRemote.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

namespace {
struct TNamingCase {
    std::uint32_t Argument;
    const char* Expected;
};

void PrintTo(const TNamingCase& Case, std::ostream* Out) {
    *Out << std::hex << "0x" << Case.Argument << " -> " << Case.Expected;
}

class IrCommandNameTest : public testing::TestWithParam<TNamingCase> {};

TEST_P(IrCommandNameTest, NamesTheLow16Bits) {
    EXPECT_STREQ(IrCommandName(GetParam().Argument).c_str(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IrCommandNameTest,
                         testing::Values(
                             // rows, the ends of the span and the longest name
                             TNamingCase{0x7BE9, "Play"}, TNamingCase{0x7B9A, "TV Off"},
                             TNamingCase{0x7BB7, "Recordings"}, TNamingCase{0x7BFF, "0"},
                             TNamingCase{0x7BF6, "9"}, TNamingCase{0x7BE6, "Stop Off"},
                             TNamingCase{0x7BEE, "Volume Down"}, TNamingCase{0x7BE2, "*"},
                             TNamingCase{0x7BE3, "#"},
                             // without a row: inside the span's gaps, and just outside it
                             TNamingCase{0x7BA6, "0x7BA6"}, TNamingCase{0x7B9B, "0x7B9B"},
                             TNamingCase{0x7BD8, "0x7BD8"}, TNamingCase{0x7B99, "0x7B99"},
                             TNamingCase{0x7C00, "0x7C00"},
                             // leading zeros, upper-case digits, lower-case x
                             TNamingCase{0x0000, "0x0000"}, TNamingCase{0x00AB, "0x00AB"},
                             TNamingCase{0xFFFF, "0xFFFF"}, TNamingCase{0xBEEF, "0xBEEF"},
                             // bits above 15 play no part
                             TNamingCase{0x00017BE9, "Play"}, TNamingCase{0xFFFF0000, "0x0000"},
                             TNamingCase{0x80007BA6, "0x7BA6"}));

TEST(IrCommandName, DigitsRunDownwardsFrom0x7BFF) {
    for (int Digit = 0; Digit <= 9; ++Digit)
        EXPECT_EQ(IrCommandName(0x7BFF - Digit).c_str(), std::to_string(Digit));
}

TEST(IrCommandName, SpanHas46NamedCodesAnd56Gaps) {
    int Named = 0;
    for (std::uint32_t Code = 0x7B9A; Code <= 0x7BFF; ++Code) {
        const TKeyName Name = IrCommandName(Code);
        const bool Fallback = std::string(Name.c_str()).rfind("0x", 0) == 0;
        Named += !Fallback;
        EXPECT_FALSE(std::string(Name.c_str()).empty());
    }
    EXPECT_EQ(Named, 46);
}

TEST(HexDigits, AreUpperCaseHighFirstWithLeadingZeros) {
    EXPECT_STREQ(ByteToHex(0x00).c_str(), "00");
    EXPECT_STREQ(ByteToHex(0x0F).c_str(), "0F");
    EXPECT_STREQ(ByteToHex(0xA5).c_str(), "A5");
    EXPECT_STREQ(WordToHex(0x0001).c_str(), "0001");
    EXPECT_STREQ(WordToHex(0x7BA6).c_str(), "7BA6");
    EXPECT_STREQ(WordToHex(0x12345678).c_str(), "5678");
}
} // namespace

namespace {
// The name table read again, independently of the code's own table: any
// difference between the two shows up as a wrong name below.
const std::map<unsigned, std::string> ExpectedNames = {
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

TEST(IrCommandName, EveryCodeWithEveryUpperHalfMatchesTheTable) {
    ASSERT_EQ(ExpectedNames.size(), 46u);
    int Wrong = 0;
    for (std::uint32_t High : {0x0000u, 0x0001u, 0x8000u, 0x7BE9u, 0xFFFFu})
        for (std::uint32_t Code = 0; Code <= 0xFFFF; ++Code) {
            const auto Row = ExpectedNames.find(Code);
            char Hex[8];
            std::snprintf(Hex, sizeof Hex, "0x%04X", Code);
            const std::string Expected = Row != ExpectedNames.end() ? Row->second : Hex;
            if (IrCommandName(High << 16 | Code).c_str() != Expected && ++Wrong <= 5)
                ADD_FAILURE() << std::hex << (High << 16 | Code) << " named "
                              << IrCommandName(High << 16 | Code).c_str() << ", expected "
                              << Expected;
        }
    EXPECT_EQ(Wrong, 0);
}
} // namespace
