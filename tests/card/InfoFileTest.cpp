// KN7000MN.INF: the fixed 54816-byte buffer as the transfer builds it, and the decoder
// that inspects one.
#include "card/InfoFile.h"

#include "card/CardLayout.h"

#include <gtest/gtest.h>

#include <functional>

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes contentOf(const InfoFile& inf) {
    return {inf.content().begin(), inf.content().end()};
}

std::string textAt(const Bytes& b, std::size_t from, std::size_t size) {
    return {b.begin() + static_cast<std::ptrdiff_t>(from),
            b.begin() + static_cast<std::ptrdiff_t>(from + size)};
}

bool allAre(const Bytes& b, std::size_t from, std::size_t to, std::uint8_t value) {
    for (std::size_t i = from; i <= to; ++i)
        if (b[i] != value)
            return false;
    return true;
}

// --- The buffer as the transfer writes it ---

TEST(InfoFileTest, RunWithoutSongsStillWritesTheWholeFile) {
    InfoFile inf;
    ASSERT_TRUE(inf.setFolderTitle(1, sequentialFolderTitle(1)));
    const Bytes b = contentOf(inf);
    ASSERT_EQ(b.size(), 54816u);
    EXPECT_EQ(textAt(b, 0, 16), "KN7000 SDDIR INF");
    EXPECT_EQ(textAt(b, 16, 12), "Direktory 01");
    EXPECT_TRUE(allAre(b, 28, 49119, 0x00));
    EXPECT_EQ(b[49120], 0xFF) << "first byte after record 98";
    EXPECT_TRUE(allAre(b, 49120, 49239, 0xFF));
    EXPECT_TRUE(allAre(b, 49240, 50601, 0x00));
    EXPECT_TRUE(allAre(b, 50602, 54813, 0xFF));
    EXPECT_EQ(b[54814], 0x00);
    EXPECT_EQ(b[54815], 0x00);
}

TEST(InfoFileTest, SecondFolderTitleStartsAtByte512) {
    InfoFile inf;
    ASSERT_TRUE(inf.setFolderTitle(2, sequentialFolderTitle(2)));
    const Bytes b = contentOf(inf);
    EXPECT_EQ(textAt(b, 512, 12), "Directory 02");
    EXPECT_TRUE(allAre(b, 524, 527, 0x00));
    EXPECT_TRUE(allAre(b, 16, 511, 0x00));
}

TEST(InfoFileTest, BlueNightInFirstSlotOfFirstFolder) {
    InfoFile inf;
    ASSERT_TRUE(inf.setSongEntry(1, 0, "Blue Night", sixCharName("00101"), 4 + 64, 0));
    const Bytes b = contentOf(inf);
    EXPECT_EQ(textAt(b, 32, 10), "Blue Night");
    EXPECT_TRUE(allAre(b, 42, 47, 0x00));
    EXPECT_EQ(textAt(b, 48, 6), "00101_");
    EXPECT_EQ(b[54], 68);
    EXPECT_EQ(b[55], 0);
    EXPECT_TRUE(allAre(b, 56, 49119, 0x00));
}

TEST(InfoFileTest, SixteenCharacterNameFillsItsField) {
    InfoFile inf;
    ASSERT_TRUE(inf.setSongEntry(2, 3, "Sixteen chars!!!", "0312__", 1, 32));
    ASSERT_TRUE(inf.setSongEntry(1, 19, "A name longer than sixteen", "09920_", 0, 4));
    const Bytes b = contentOf(inf);
    // Folder 2, slot 3: entry at 600, six-character name at 616, masks at 622 and 623.
    EXPECT_EQ(textAt(b, 600, 22), "Sixteen chars!!!0312__");
    EXPECT_EQ(b[622], 1);
    EXPECT_EQ(b[623], 32);
    // Folder 1, slot 19: the last entry of record 0 ends at 511; the name is cut to 16.
    EXPECT_EQ(textAt(b, 488, 22), "A name longer th09920_");
    EXPECT_EQ(b[510], 0);
    EXPECT_EQ(b[511], 4);
    EXPECT_EQ(b[512], 0);
}

TEST(InfoFileTest, LastEntryOfLastFolderEndsBeforeTheConstantAreas) {
    InfoFile inf;
    ASSERT_TRUE(inf.setFolderTitle(99, "Zwanzig Zeichen lang"));
    ASSERT_TRUE(inf.setSongEntry(99, 19, "Last", "09999_", 127, 60));
    const Bytes b = contentOf(inf);
    EXPECT_EQ(textAt(b, 16 + 496 * 98, 16), "Zwanzig Zeichen ");
    EXPECT_EQ(textAt(b, 49096, 4), "Last");
    EXPECT_EQ(b[49118], 127);
    EXPECT_EQ(b[49119], 60);
    EXPECT_EQ(b[49120], 0xFF);
}

TEST(InfoFileTest, ShorterTitleOrNameLeavesNothingOfAnEarlierOne) {
    InfoFile inf;
    ASSERT_TRUE(inf.setFolderTitle(1, "Long folder name"));
    ASSERT_TRUE(inf.setFolderTitle(1, "Pop"));
    ASSERT_TRUE(inf.setSongEntry(1, 0, "Long song name 1", "00101_", 4, 0));
    ASSERT_TRUE(inf.setSongEntry(1, 0, "Hit", "00102_", 4, 0));
    const Bytes b = contentOf(inf);
    EXPECT_EQ(textAt(b, 16, 3), "Pop");
    EXPECT_TRUE(allAre(b, 19, 31, 0x00));
    EXPECT_EQ(textAt(b, 32, 3), "Hit");
    EXPECT_TRUE(allAre(b, 35, 47, 0x00));
}

// --- Requests that have no place in the file change nothing ---

struct BadEntry {
    const char* what;
    int folder;
    int slot;
    std::string_view sixChar;
    std::uint8_t firstMask;
    std::uint8_t secondMask;
};

class InfoFileRejectsTest : public ::testing::TestWithParam<BadEntry> {};

TEST_P(InfoFileRejectsTest, SongEntry) {
    const BadEntry& e = GetParam();
    InfoFile inf;
    const Bytes before = contentOf(inf);
    const Status st = inf.setSongEntry(e.folder, e.slot, "Song", e.sixChar, e.firstMask, e.secondMask);
    EXPECT_EQ(st.code(), ErrorCode::InvalidArgument) << e.what;
    EXPECT_EQ(contentOf(inf), before) << e.what;
}

INSTANTIATE_TEST_SUITE_P(OutOfRange, InfoFileRejectsTest,
                         ::testing::Values(BadEntry{"folder 0", 0, 0, "00101_", 4, 0},
                                           BadEntry{"folder 100", 100, 0, "00101_", 4, 0},
                                           BadEntry{"slot -1", 1, -1, "00101_", 4, 0},
                                           BadEntry{"slot 20", 1, 20, "00101_", 4, 0},
                                           BadEntry{"five characters", 1, 0, "00101", 4, 0},
                                           BadEntry{"seven characters", 1, 0, "00101__", 4, 0},
                                           BadEntry{"first mask 128", 1, 0, "00101_", 128, 0},
                                           BadEntry{"second mask 1", 1, 0, "00101_", 0, 1},
                                           BadEntry{"second mask 64", 1, 0, "00101_", 0, 64},
                                           BadEntry{"no file at all", 1, 0, "00101_", 0, 0}));

TEST(InfoFileTest, FolderTitleOutsideTheRecordsIsRefused) {
    InfoFile inf;
    const Bytes before = contentOf(inf);
    EXPECT_EQ(inf.setFolderTitle(0, "x").code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(inf.setFolderTitle(100, "x").code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(contentOf(inf), before);
}

// --- Decoding ---

TEST(InfoFileDecodeTest, ListsOpenedFoldersAndFilledEntries) {
    InfoFile inf;
    ASSERT_TRUE(inf.setFolderTitle(1, "Direktory 01"));
    ASSERT_TRUE(inf.setSongEntry(1, 0, "Blue Night", "00101_", 68, 0));
    ASSERT_TRUE(inf.setSongEntry(1, 4, "Sixteen chars!!!", "00105_", 0, 32));
    ASSERT_TRUE(inf.setFolderTitle(2, "Directory 02"));              // opened, left empty
    ASSERT_TRUE(inf.setSongEntry(7, 2, "No title", "00703_", 1, 0)); // a record with a song only

    const auto decoded = decodeInfoFile(inf.content(), "KN7000MN.INF");
    ASSERT_TRUE(decoded) << decoded.status().toString();
    const auto& folders = decoded->folders;
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0].number, 1);
    EXPECT_EQ(folders[0].title, "Direktory 01");
    ASSERT_EQ(folders[0].songs.size(), 2u);
    EXPECT_EQ(folders[0].songs[0].slot, 0);
    EXPECT_EQ(folders[0].songs[0].name, "Blue Night");
    EXPECT_EQ(folders[0].songs[0].sixChar, "00101_");
    EXPECT_EQ(folders[0].songs[0].firstMask, 68);
    EXPECT_EQ(folders[0].songs[1].slot, 4);
    EXPECT_EQ(folders[0].songs[1].name, "Sixteen chars!!!");
    EXPECT_EQ(folders[0].songs[1].secondMask, 32);
    EXPECT_EQ(folders[1].number, 2);
    EXPECT_EQ(folders[1].title, "Directory 02");
    EXPECT_TRUE(folders[1].songs.empty());
    EXPECT_EQ(folders[2].number, 7);
    EXPECT_EQ(folders[2].title, "");
    ASSERT_EQ(folders[2].songs.size(), 1u);
    EXPECT_EQ(folders[2].songs[0].slot, 2);
}

// --- Each malformed file is refused with what is wrong and the first wrong byte ---

struct InfCorruption {
    const char* name;
    std::function<void(Bytes&)> corrupt;
    std::string reason;
};

class InfoFileCorruptTest : public ::testing::TestWithParam<InfCorruption> {};

TEST_P(InfoFileCorruptTest, ReportsWhatAndWhere) {
    InfoFile inf;
    ASSERT_TRUE(inf.setFolderTitle(1, "Direktory 01"));
    ASSERT_TRUE(inf.setSongEntry(1, 0, "Blue Night", "00101_", 68, 0));
    Bytes b = contentOf(inf);
    GetParam().corrupt(b);
    const auto decoded = decodeInfoFile(b, "card/KN7000MN.INF");
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.status().code(), ErrorCode::Corrupt);
    EXPECT_EQ(decoded.status().path(), "card/KN7000MN.INF");
    EXPECT_EQ(decoded.status().reason(), GetParam().reason);
}

auto setByte(std::size_t at, std::uint8_t value) {
    return [at, value](Bytes& b) { b[at] = value; };
}
auto resize(std::size_t size) {
    return [size](Bytes& b) { b.resize(size, 0x00); };
}

INSTANTIATE_TEST_SUITE_P(
    OneFieldAtATime, InfoFileCorruptTest,
    ::testing::Values(
        InfCorruption{"Empty", resize(0),
                      "at byte 0: the file is 0 bytes long; an information file has exactly 54816 bytes"},
        InfCorruption{
            "OneByteShort", resize(54815),
            "at byte 54815: the file is 54815 bytes long; an information file has exactly 54816 bytes"},
        InfCorruption{
            "OneByteLong", resize(54817),
            "at byte 54816: the file is 54817 bytes long; an information file has exactly 54816 bytes"},
        InfCorruption{"HeaderFirstByte", setByte(0, 'k'),
                      "at byte 0: the header is not \"KN7000 SDDIR INF\""},
        InfCorruption{"HeaderLastByte", setByte(15, 'f'),
                      "at byte 15: the header is not \"KN7000 SDDIR INF\""},
        InfCorruption{"HeaderBeforeTrailer",
                      [](Bytes& b) {
                          b[3] = '1';
                          b[50000] = 1;
                      },
                      "at byte 3: the header is not \"KN7000 SDDIR INF\""},
        InfCorruption{"FirstFFAreaStart", setByte(49120, 0x00),
                      "at byte 49120: bytes 49120 to 49239 must all be 0xFF, this one is 0x00"},
        InfCorruption{"FirstFFAreaEnd", setByte(49239, 0xFE),
                      "at byte 49239: bytes 49120 to 49239 must all be 0xFF, this one is 0xFE"},
        InfCorruption{"ZeroAreaStart", setByte(49240, 0xFF),
                      "at byte 49240: bytes 49240 to 50601 must all be 0x00, this one is 0xFF"},
        InfCorruption{"ZeroAreaEnd", setByte(50601, 0x20),
                      "at byte 50601: bytes 49240 to 50601 must all be 0x00, this one is 0x20"},
        InfCorruption{"SecondFFAreaStart", setByte(50602, 0x00),
                      "at byte 50602: bytes 50602 to 54813 must all be 0xFF, this one is 0x00"},
        InfCorruption{"SecondFFAreaEnd", setByte(54813, 0x7F),
                      "at byte 54813: bytes 50602 to 54813 must all be 0xFF, this one is 0x7F"},
        InfCorruption{"LastTwoBytes", setByte(54815, 0xFF),
                      "at byte 54815: bytes 54814 to 54815 must all be 0x00, this one is 0xFF"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace lw
