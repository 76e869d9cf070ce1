// The card's names of folders and song files, the slot from a number column, and KN7000MN.INF
// as the transfer builds it (against a buffer laid out by hand and the golden file in
// tests/data/card, which LIEDWERK_UPDATE_GOLDEN=1 rewrites for review) and inspect decodes it.
#include "card/InfoFile.h"
#include "card/CardLayout.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <tuple>

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Names as the card receives them. The slot is the number column's leading number less one; a
// column without one has no slot.
TEST(CardLayout, NamesAndTheSlotFromTheNumberColumn) {
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
    const std::pair<std::string, int> slots[] = {
        {"01", 0},  {"16", 15}, {"3a", 2},
        {" 7", 6},  {"0", -1},  {"", -1},
        {"x1", -1}, {"-3", -1}, {"99999999999999999999", 999999},
    };
    for (const auto& [column, slot] : slots)
        EXPECT_EQ(slotFromNumberColumn(column), slot) << "number column \"" << column << "\"";
}

// Titles and entries at both ends of the records: the first and last entry of the first
// folder, a folder with a title only, one with a song only, the last entry of folder 99.
// Names longer than 16 characters are cut; a shorter title or name leaves nothing of an
// earlier one.
Bytes filledInfoFile() {
    InfoFile inf;
    EXPECT_TRUE(inf.setFolderTitle(1, "A long old title"));
    EXPECT_TRUE(inf.setSongEntry(1, 0, "Long old name 16", "00199_", 127, 60));
    EXPECT_TRUE(inf.setFolderTitle(1, "Direktory 01"));
    EXPECT_TRUE(inf.setSongEntry(1, 0, "Blue Night", "00101_", 68, 0));
    EXPECT_TRUE(inf.setSongEntry(1, 19, "A name longer than sixteen", "09920_", 0, 4));
    EXPECT_TRUE(inf.setFolderTitle(2, "Directory 02"));
    EXPECT_TRUE(inf.setSongEntry(7, 3, "No title", "0312__", 1, 32));
    EXPECT_TRUE(inf.setFolderTitle(99, "Zwanzig Zeichen lang"));
    EXPECT_TRUE(inf.setSongEntry(99, 19, "Last", "09999_", 127, 60));
    return {inf.content().begin(), inf.content().end()};
}

// The golden file's, which the golden restore file ends in: a Windows-1252 name (ü), a name of
// exactly 16 characters, masks of both groups.
Bytes goldenInfoFile() {
    InfoFile inf;
    EXPECT_TRUE(inf.setFolderTitle(1, "Direktory 01"));
    EXPECT_TRUE(inf.setSongEntry(1, 0, "Blue Night", "00101_", 4 + 64, 0));
    EXPECT_TRUE(inf.setSongEntry(1, 4, "F\xFCr Elise", "00105_", 4, 32));
    EXPECT_TRUE(inf.setSongEntry(1, 19, "Sixteen chars!!!", "0312__", 1, 4 + 8 + 16 + 32));
    EXPECT_TRUE(inf.setFolderTitle(2, "Directory 02"));
    EXPECT_TRUE(inf.setFolderTitle(99, "My Folder"));
    EXPECT_TRUE(inf.setSongEntry(99, 0, "Last", "09901_", 0, 16));
    return {inf.content().begin(), inf.content().end()};
}

// Written: every byte at its offset. Decoded: the folders whose record holds anything, in
// number order, with their filled entries.
TEST(InfoFile, EveryByteStandsAtItsOffsetAndDecodesBack) {
    Bytes expected(54816, 0x00);
    const auto put = [&](std::size_t at, std::string_view bytes) {
        std::copy(bytes.begin(), bytes.end(), expected.begin() + std::ptrdiff_t(at));
    };
    put(0, "KN7000 SDDIR INF");
    put(16, "Direktory 01");
    put(32, "Blue Night");
    put(48, "00101_\x44"); // six-character name, first mask 68, second mask 0
    put(488, "A name longer th09920_");
    put(511, "\x04");
    put(512, "Directory 02");
    put(3080, "No title"); // folder 7 begins at 16 + 6 * 496 = 2992; slot 3 at 2992 + 16 + 3 * 24
    put(3096, "0312__\x01\x20");
    put(48624, "Zwanzig Zeichen ");
    put(49096, "Last");
    put(49112, "09999_\x7F\x3C");
    std::fill(expected.begin() + 49120, expected.begin() + 49240, 0xFF);
    std::fill(expected.begin() + 50602, expected.begin() + 54814, 0xFF);
    const auto golden = test::sourceDir() / "tests/data/card/KN7000MN.INF";
    if (std::getenv("LIEDWERK_UPDATE_GOLDEN") != nullptr)
        test::writeBytes(golden, goldenInfoFile());
    for (const auto& [made, wanted] :
         {std::pair(filledInfoFile(), expected), std::pair(goldenInfoFile(), test::readBytes(golden))})
        EXPECT_TRUE(made == wanted) << "first difference at byte "
                                    << std::ranges::mismatch(made, wanted).in1 - made.begin();

    const auto decoded = decodeInfoFile(expected, "KN7000MN.INF");
    ASSERT_TRUE(decoded) << decoded.status().toString();
    std::string seen;
    for (const InfoFolder& f : decoded->folders) {
        seen += std::to_string(f.number) + " " + f.title + ":";
        for (const InfoSong& s : f.songs)
            seen += " " + std::to_string(s.slot) + "=" + s.name + "/" + s.sixChar + "/" +
                    std::to_string(s.firstMask) + "/" + std::to_string(s.secondMask);
        seen += "\n";
    }
    EXPECT_EQ(seen, "1 Direktory 01: 0=Blue Night/00101_/68/0 19=A name longer th/09920_/0/4\n"
                    "2 Directory 02:\n"
                    "7 : 3=No title/0312__/1/32\n"
                    "99 Zwanzig Zeichen : 19=Last/09999_/127/60\n");
}

// A request that has no place in the file is refused and changes nothing.
TEST(InfoFile, RefusesWhatHasNoPlace) {
    InfoFile inf;
    const std::tuple<int, int, std::string_view, std::uint8_t, std::uint8_t> requests[] = {
        {0, 0, "00101_", 4, 0},   {100, 0, "00101_", 4, 0}, {1, -1, "00101_", 4, 0},
        {1, 20, "00101_", 4, 0},  {1, 0, "00101", 4, 0},    {1, 0, "00101__", 4, 0},
        {1, 0, "00101_", 128, 0}, {1, 0, "00101_", 0, 1},   {1, 0, "00101_", 0, 0},
    };
    for (const auto& [folder, slot, sixChar, first, second] : requests)
        EXPECT_EQ(inf.setSongEntry(folder, slot, "Song", sixChar, first, second).code(),
                  ErrorCode::InvalidArgument)
            << folder << " " << slot << " " << sixChar << " " << +first << " " << +second;
    EXPECT_EQ(inf.setFolderTitle(0, "x").code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(inf.setFolderTitle(100, "x").code(), ErrorCode::InvalidArgument);
    EXPECT_TRUE(std::ranges::equal(inf.content(), InfoFile().content()));
}

// Each malformed file is refused with what is wrong and the first wrong byte.
TEST(InfoFile, ReportsAMalformedFileWithWhatAndWhere) {
    const auto setByte = [](std::size_t at, std::uint8_t value) {
        return std::function([=](Bytes& b) { b[at] = value; });
    };
    const std::pair<std::function<void(Bytes&)>, std::string> cases[] = {
        {[](Bytes& b) { b.pop_back(); },
         "at byte 54815: the file is 54815 bytes long; an information file has exactly 54816 bytes"},
        {[](Bytes& b) { b.push_back(0); },
         "at byte 54816: the file is 54817 bytes long; an information file has exactly 54816 bytes"},
        {setByte(3, '1'), "at byte 3: the header is not \"KN7000 SDDIR INF\""},
        {setByte(49120, 0x00), "at byte 49120: bytes 49120 to 49239 must all be 0xFF, this one is 0x00"},
        {setByte(50601, 0x20), "at byte 50601: bytes 49240 to 50601 must all be 0x00, this one is 0x20"},
        {setByte(50602, 0x00), "at byte 50602: bytes 50602 to 54813 must all be 0xFF, this one is 0x00"},
        {setByte(54815, 0xFF), "at byte 54815: bytes 54814 to 54815 must all be 0x00, this one is 0xFF"},
    };
    for (const auto& [corrupt, reason] : cases) {
        Bytes b = filledInfoFile();
        corrupt(b);
        const Status st = decodeInfoFile(b, "card/KN7000MN.INF").status();
        EXPECT_EQ(std::tuple(st.code(), st.toString()),
                  std::tuple(ErrorCode::Corrupt, "card/KN7000MN.INF: " + reason));
    }
}

} // namespace
} // namespace lw
