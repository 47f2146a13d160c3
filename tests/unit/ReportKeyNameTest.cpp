#include "cxKeyPlus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

namespace {
// A raw input buffer as a read leaves it: the header, the HID part with its
// report size and count, then the reports; zero behind them.
TRawInputBuffer Buffer(std::initializer_list<BYTE> Reports, DWORD SizeHid, DWORD Count,
                       DWORD Type = RIM_TYPEHID) {
    TRawInputBuffer Result{};
    RAWINPUT Header{};
    Header.header.dwType = Type;
    Header.header.dwSize = static_cast<DWORD>(ReportOffset + Reports.size());
    Header.data.hid.dwSizeHid = SizeHid;
    Header.data.hid.dwCount = Count;
    std::memcpy(Result.Bytes, &Header, ReportOffset);
    std::memcpy(Result.Bytes + ReportOffset, Reports.begin(), Reports.size());
    return Result;
}

std::string Name(const TRawInputBuffer& Input) {
    const char* Key = ReportKeyName(Input);
    return Key ? Key : "(none)";
}

struct TKeyCase {
    BYTE KeyByte;
    BYTE Next; // the byte after the key byte
    const char* Expected;
};

void PrintTo(const TKeyCase& Case, std::ostream* Out) {
    *Out << std::hex << "0x" << int(Case.KeyByte) << ",0x" << int(Case.Next) << " -> "
         << Case.Expected;
}

class ReportKeyNameTest : public testing::TestWithParam<TKeyCase> {};

TEST_P(ReportKeyNameTest, NamesTheSecondByteOfTheFirstReport) {
    const TKeyCase& Case = GetParam();
    EXPECT_EQ(Name(Buffer({0x01, Case.KeyByte, Case.Next, 0x00}, 4, 1)), Case.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReportKeyNameTest,
    testing::Values(
        TKeyCase{0x09, 0, "Info"}, TKeyCase{0x0D, 0, "Home"}, TKeyCase{0x1F, 0, "Mute"},
        TKeyCase{0x25, 0, "Live_TV"}, TKeyCase{0x46, 0, "my_TV"}, TKeyCase{0x47, 0, "my_Music"},
        TKeyCase{0x48, 0, "TV_Recordings"}, TKeyCase{0x4B, 0, "DVD_angle"},
        TKeyCase{0x4C, 0, "DVD_Audio"}, TKeyCase{0x4D, 0, "DVD_Subtitle"},
        TKeyCase{0x5A, 0, "Videotext"}, TKeyCase{0x5B, 0, "Red"}, TKeyCase{0x5C, 0, "Green"},
        TKeyCase{0x5D, 0, "Yellow"}, TKeyCase{0x5E, 0, "Blue"}, TKeyCase{0x65, 0, "TV_Off"},
        TKeyCase{0x82, 0, "Standby"}, TKeyCase{0x8D, 0, "TV_Guide"},
        TKeyCase{0x9C, 0, "Channel_Up"}, TKeyCase{0x9D, 0, "Channel_Down"},
        TKeyCase{0xB0, 0, "Play"}, TKeyCase{0xB1, 0, "Pause"}, TKeyCase{0xB2, 0, "Record"},
        TKeyCase{0xB3, 0, "FastForward"}, TKeyCase{0xB4, 0, "Rewind"}, TKeyCase{0xB5, 0, "Next"},
        TKeyCase{0xB6, 0, "Previous"}, TKeyCase{0xB7, 0, "Stop"}, TKeyCase{0xE2, 0, "Mute"},
        TKeyCase{0xE9, 0, "Volume_Up"}, TKeyCase{0xEA, 0, "Volume_Down"},
        // the byte after matters only for 0x24, and only 0x02 there
        TKeyCase{0xB0, 0x02, "Play"}, TKeyCase{0x24, 0x02, "Back"},
        TKeyCase{0x24, 0x00, "DVD_Menu"}, TKeyCase{0x24, 0x01, "DVD_Menu"},
        TKeyCase{0x24, 0x03, "DVD_Menu"}, TKeyCase{0x24, 0xFF, "DVD_Menu"}));

INSTANTIATE_TEST_SUITE_P(
    Neighbours, ReportKeyNameTest,
    testing::Values(
        TKeyCase{0x00, 0, "(none)"}, TKeyCase{0x08, 0, "(none)"}, TKeyCase{0x0A, 0, "(none)"},
        TKeyCase{0x23, 0x02, "(none)"}, TKeyCase{0x26, 0, "(none)"}, TKeyCase{0x45, 0, "(none)"},
        TKeyCase{0x49, 0, "(none)"}, TKeyCase{0x4A, 0, "(none)"}, TKeyCase{0x4E, 0, "(none)"},
        TKeyCase{0x59, 0, "(none)"}, TKeyCase{0x5F, 0, "(none)"}, TKeyCase{0x64, 0, "(none)"},
        TKeyCase{0x66, 0, "(none)"}, TKeyCase{0x81, 0, "(none)"}, TKeyCase{0x83, 0, "(none)"},
        TKeyCase{0x9B, 0, "(none)"}, TKeyCase{0x9E, 0, "(none)"}, TKeyCase{0xAF, 0, "(none)"},
        TKeyCase{0xB8, 0, "(none)"}, TKeyCase{0xE1, 0, "(none)"}, TKeyCase{0xE3, 0, "(none)"},
        TKeyCase{0xE8, 0, "(none)"}, TKeyCase{0xEB, 0, "(none)"}, TKeyCase{0xFF, 0x02, "(none)"}));

TEST(ReportKeyName, ThirtyOneKeyBytesHaveANameOfTheirOwn) {
    int Named = 0;
    for (int Key = 0; Key < 256; ++Key)
        Named += Key != 0x24 && ReportKeyName(Buffer({0, BYTE(Key), 0}, 3, 1)) != nullptr;
    EXPECT_EQ(Named, 31);
}

TEST(ReportKeyName, LooksAtNothingButTheKeyBytes) {
    TRawInputBuffer Noise;
    std::memset(Noise.Bytes, 0xA5, sizeof Noise.Bytes);
    Noise.Bytes[ReportOffset + 1] = 0xB0;
    EXPECT_EQ(Name(Noise), "Play");
    // Another device type, a second report: still the first report's key byte.
    EXPECT_EQ(Name(Buffer({0x01, 0xB6, 0x00, 0x01, 0xB0, 0x00}, 3, 2, /*RIM_TYPEMOUSE*/ 0)),
              "Previous");
}

TEST(ReportKeyName, ShortAndEmptyInputsNameNothingOrTheirOwnBytes) {
    EXPECT_EQ(Name(TRawInputBuffer{}), "(none)"); // as a failed read leaves it
    EXPECT_EQ(Name(Buffer({0x01}, 1, 1)), "(none)");
    EXPECT_EQ(Name(Buffer({0x01, 0x24}, 2, 1)), "DVD_Menu");
}

TEST(ReportKeyName, BufferKeepsRoomFor100BytesOfReports) {
    EXPECT_EQ(sizeof TRawInputBuffer{}.Bytes - ReportOffset, 100u);
    EXPECT_EQ(ReportOffset, sizeof(RAWINPUTHEADER) + 2 * sizeof(DWORD));
}
} // namespace
