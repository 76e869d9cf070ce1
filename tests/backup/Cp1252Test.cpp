// Windows-1252 <-> UTF-8: backup names arrive as bytes of that code page and must come
// back to the same bytes on the card; what people type must become bytes the card holds.
#include "backup/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {
namespace {

std::string byteString(int b) {
    return std::string(1, static_cast<char>(b));
}

// --- bytes -> UTF-8 -> bytes ---

TEST(Cp1252, EveryByteSurvivesTheWayToUtf8AndBack) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const std::string one = byteString(b);
        EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << "byte " << b;
        all += one;
    }
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
}

TEST(Cp1252, CodePointAndByteAgreeForEveryByte) {
    for (int b = 0; b < 256; ++b) {
        const char32_t cp = cp1252ToCodePoint(static_cast<std::uint8_t>(b));
        const auto back = cp1252FromCodePoint(cp);
        ASSERT_TRUE(back.has_value()) << "byte " << b;
        EXPECT_EQ(*back, b);
    }
}

struct ByteCase {
    int byte;
    char32_t codePoint;
    const char* utf8;
};

class Cp1252Bytes : public ::testing::TestWithParam<ByteCase> {};

TEST_P(Cp1252Bytes, MapToTheirCharacter) {
    const ByteCase& c = GetParam();
    EXPECT_EQ(cp1252ToCodePoint(static_cast<std::uint8_t>(c.byte)), c.codePoint);
    EXPECT_EQ(cp1252ToUtf8(byteString(c.byte)), c.utf8);
    EXPECT_EQ(utf8ToCp1252(c.utf8), byteString(c.byte));
}

INSTANTIATE_TEST_SUITE_P(UndefinedBytesBecomeC1Controls, Cp1252Bytes,
                         ::testing::Values(ByteCase{0x81, 0x81, "\xC2\x81"}, ByteCase{0x8D, 0x8D, "\xC2\x8D"},
                                           ByteCase{0x8F, 0x8F, "\xC2\x8F"}, ByteCase{0x90, 0x90, "\xC2\x90"},
                                           ByteCase{0x9D, 0x9D, "\xC2\x9D"}));

INSTANTIATE_TEST_SUITE_P(
    DefinedBytes, Cp1252Bytes,
    ::testing::Values(ByteCase{0x41, U'A', "A"}, ByteCase{0x80, 0x20AC, "\xE2\x82\xAC"}, // euro sign
                      ByteCase{0x8A, 0x0160, "\xC5\xA0"},
                      ByteCase{0x99, 0x2122, "\xE2\x84\xA2"},                               // S caron, TM
                      ByteCase{0x9F, 0x0178, "\xC5\xB8"}, ByteCase{0xA0, 0xA0, "\xC2\xA0"}, // Y diaeresis
                      ByteCase{0xDF, 0xDF, "\xC3\x9F"}, ByteCase{0xE4, 0xE4, "\xC3\xA4"},   // sharp s, a uml.
                      ByteCase{0xFF, 0xFF, "\xC3\xBF"}));

// --- UTF-8 -> bytes: what has no byte, and what is no UTF-8 ---

struct TextCase {
    const char* name;
    std::string utf8;
    std::string bytes;
};

class Utf8ToCp1252 : public ::testing::TestWithParam<TextCase> {};

TEST_P(Utf8ToCp1252, GivesTheseBytes) {
    EXPECT_EQ(utf8ToCp1252(GetParam().utf8), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToCp1252,
    ::testing::Values(TextCase{"Umlauts",
                               "Gr\xC3\xBC\xC3\x9F"
                               "e",
                               "Gr\xFC\xDF"
                               "e"},
                      TextCase{"Euro", "5 \xE2\x82\xAC", "5 \x80"},
                      TextCase{"HanCharacter",
                               "a\xE4\xB8\xAD"
                               "b",
                               "a?b"},
                      TextCase{"EmojiIsOneCharacter", "x\xF0\x9F\x8E\xB9y", "x?y"},
                      TextCase{"U0080HasNoByte", "\xC2\x80", "?"}, // 0x80 is the euro sign, not U+0080
                      TextCase{"LoneContinuationByte",
                               "A\x80"
                               "B",
                               "A?B"},
                      TextCase{"ByteFF", "\xFF", "?"}, TextCase{"TruncatedAtEnd", "AB\xC3", "AB?"},
                      TextCase{"LeadByteBeforeAscii",
                               "\xC3"
                               "A",
                               "?A"},
                      TextCase{"OverlongNulIsNoNul", std::string("\xC0\x80", 2), "?"},
                      TextCase{"OverlongSlash", "\xE0\x80\xAF", "?"},
                      TextCase{"Surrogate", "\xED\xA0\x80", "?"},
                      TextCase{"BeyondUnicode", "\xF4\x90\x80\x80", "?"}, TextCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp1252, TruncatedSequencesYieldOnlyQuestionMarksAndKeepWhatFollows) {
    for (const std::string bad : {"\xE4\xB8", "\xF0\x9F\x8E", "\xF0\x9F", "\xE2\x82"}) {
        const std::string out = utf8ToCp1252(bad + "Z");
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out.back(), 'Z');
        EXPECT_EQ(out.find_first_not_of('?'), out.size() - 1) << "for input of " << bad.size() << " bytes";
    }
}

TEST(Cp1252, MaxCharsCountsCharactersNotUtf8Bytes) {
    // 18 umlauts are 36 UTF-8 bytes; the first 16 characters are kept.
    std::string umlauts;
    for (int i = 0; i < 18; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(utf8ToCp1252(umlauts, 16), std::string(16, '\xE4'));
    EXPECT_EQ(utf8ToCp1252("\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD", 2), "??");
    EXPECT_EQ(utf8ToCp1252("abc", 0), "");
}

} // namespace
} // namespace lw
