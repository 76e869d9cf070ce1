// Names of the card's folders and song files, and the slot taken from a number column.
#include "card/CardLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace lw {
namespace {

TEST(CardLayout, NamesAsTheCardReceivesThem) {
    const std::pair<std::string, std::string> names[] = {
        {sixCharName("00101"), "00101_"}, // five digits: KN5000, KN6000
        {sixCharName("0312"), "0312__"},  // four digits: KN2000, KN3000
        {songFileBase(0, "00101_"), "0100101_"},
        {songFileBase(19, "0312__"), "200312__"},
        {songFolderName(7), "TFLD007"},
        {restoreFolderPath(12), "\\PRIVATE\\TECHNICS\\KN7000\\TFLD012"},
        {sequentialFolderTitle(1), "Direktory 01"}, // the first one is spelt with k
        {sequentialFolderTitle(2), "Directory 02"},
    };
    for (const auto& [made, expected] : names)
        EXPECT_EQ(made, expected);
}

// The slot is the column's leading number less one; a column without one has no slot.
TEST(CardLayout, SlotFromTheNumberColumn) {
    const std::pair<std::string, int> slots[] = {
        {"01", 0},  {"16", 15}, {"3a", 2},
        {" 7", 6},  {"0", -1},  {"", -1},
        {"x1", -1}, {"-3", -1}, {"99999999999999999999", 999999},
    };
    for (const auto& [column, slot] : slots)
        EXPECT_EQ(slotFromNumberColumn(column), slot) << "number column \"" << column << "\"";
}

} // namespace
} // namespace lw
