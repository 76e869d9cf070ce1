// Names of the card's folders and song files, and the slot taken from a number column.
#include "card/CardLayout.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

// --- The six-character name: cut to six characters or filled with "_" ---

struct SixCharCase {
    std::string_view index;
    std::string_view expected;
};

class SixCharNameTest : public ::testing::TestWithParam<SixCharCase> {};

TEST_P(SixCharNameTest, CutsOrFillsToSixCharacters) {
    EXPECT_EQ(sixCharName(GetParam().index), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(FileNumbers, SixCharNameTest,
                         ::testing::Values(SixCharCase{"00101", "00101_"}, // five digits: KN5000, KN6000
                                           SixCharCase{"0312", "0312__"},  // four digits: KN2000, KN3000
                                           SixCharCase{"123456", "123456"}, SixCharCase{"1234567", "123456"},
                                           SixCharCase{"", "______"}));

// --- Song file names and folders as the card receives them ---

TEST(CardLayoutTest, SongFileNamesAreSlotDigitsAndSixCharacterName) {
    EXPECT_EQ(songFileBase(0, sixCharName("00101")) + ".SQT", "0100101_.SQT");
    EXPECT_EQ(songFileBase(2, sixCharName("00101")) + ".SQT", "0300101_.SQT");
    EXPECT_EQ(songFileBase(11, sixCharName("0312")) + ".ACT", "120312__.ACT");
    EXPECT_EQ(songFileBase(19, sixCharName("09916")), "2009916_");
}

TEST(CardLayoutTest, SongFoldersHaveThreeDigits) {
    EXPECT_EQ(songFolderName(1), "TFLD001");
    EXPECT_EQ(songFolderName(12), "TFLD012");
    EXPECT_EQ(songFolderName(99), "TFLD099");
    EXPECT_EQ(restoreFolderPath(1), "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001");
    EXPECT_EQ(restoreFolderPath(1) + "\\" + songFileBase(0, "00101_") + ".SQT",
              "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.SQT");
}

TEST(CardLayoutTest, SequentialTitlesSpellTheFirstWithK) {
    EXPECT_EQ(sequentialFolderTitle(1), "Direktory 01");
    EXPECT_EQ(sequentialFolderTitle(2), "Directory 02");
    EXPECT_EQ(sequentialFolderTitle(10), "Directory 10");
    EXPECT_EQ(sequentialFolderTitle(99), "Directory 99");
}

// --- The slot of a row from its number column ---

struct SlotCase {
    std::string_view number;
    int slot;
};

class SlotFromNumberTest : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotFromNumberTest, LeadingNumberMinusOne) {
    EXPECT_EQ(slotFromNumberColumn(GetParam().number), GetParam().slot)
        << "number column \"" << GetParam().number << "\"";
}

INSTANTIATE_TEST_SUITE_P(Columns, SlotFromNumberTest,
                         ::testing::Values(SlotCase{"01", 0}, SlotCase{"03", 2}, SlotCase{"16", 15},
                                           SlotCase{"3a", 2}, SlotCase{" 7", 6}, SlotCase{"20", 19},
                                           SlotCase{"21", 20}, SlotCase{"0", -1}, SlotCase{"00", -1},
                                           SlotCase{"", -1}, SlotCase{"x1", -1}, SlotCase{"-3", -1},
                                           SlotCase{"99999999999999999999", 999999}));

} // namespace
} // namespace lw
