// Windows-1252 <-> UTF-8: backup names arrive as bytes of that code page and must come
// back to the same bytes on the card; what people type must become bytes the card holds.
#include "backup/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {
namespace {

TEST(Cp1252, EveryByteSurvivesTheWayToUtf8AndBack) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << "byte " << b;
    }
}

struct TextCase {
    const char* name;
    std::string utf8;
    std::string bytes;
    bool bothWays; // the bytes also give back this UTF-8
};

class Cp1252Text : public ::testing::TestWithParam<TextCase> {};

TEST_P(Cp1252Text, Converts) {
    EXPECT_EQ(utf8ToCp1252(GetParam().utf8), GetParam().bytes);
    if (GetParam().bothWays) {
        EXPECT_EQ(cp1252ToUtf8(GetParam().bytes), GetParam().utf8);
    }
}

// 0x80-0x9F differ from Latin-1; the five bytes that Windows-1252 leaves undefined stand for
// the C1 control character of the same number.
INSTANTIATE_TEST_SUITE_P(Bytes, Cp1252Text,
                         ::testing::Values(TextCase{"Euro", "\xE2\x82\xAC", "\x80", true},
                                           TextCase{"Undefined", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D",
                                                    "\x81\x8D\x8F\x90\x9D", true},
                                           TextCase{"YDiaeresisThenNoBreakSpace", "\xC5\xB8\xC2\xA0",
                                                    "\x9F\xA0", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A character without a byte, and each malformed sequence, becomes "?"; what follows is kept.
INSTANTIATE_TEST_SUITE_P(
    NoByte, Cp1252Text,
    ::testing::Values(TextCase{"Han", "a\xE4\xB8\xADz", "a?z", false},
                      TextCase{"EmojiIsOneCharacter", "x\xF0\x9F\x8E\xB9y", "x?y", false},
                      TextCase{"U0080IsNotTheEuro", "\xC2\x80", "?", false},
                      TextCase{"LoneContinuationByte", "A\x80Z", "A?Z", false},
                      TextCase{"TruncatedAtEnd", "AB\xC3", "AB?", false},
                      TextCase{"TruncatedBeforeAscii", "\xE4\xB8Z", "??Z", false},
                      TextCase{"OverlongNulIsNoNul", std::string("\xC0\x80", 2), "?", false},
                      TextCase{"OverlongSlash", "\xE0\x80\xAF", "?", false},
                      TextCase{"Surrogate", "\xED\xA0\x80", "?", false},
                      TextCase{"BeyondUnicode", "\xF4\x90\x80\x80", "?", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp1252, MaxCharsCountsCharactersNotUtf8Bytes) {
    std::string umlauts; // 17 characters, 34 UTF-8 bytes
    for (int i = 0; i < 17; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(utf8ToCp1252(umlauts, 16), std::string(16, '\xE4'));
    EXPECT_EQ(utf8ToCp1252("abc", 0), "");
}

} // namespace
} // namespace lw
