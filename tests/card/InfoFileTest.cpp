// KN7000MN.INF: the fixed 54816-byte buffer as the transfer builds it, checked against a
// buffer laid out by hand at literal byte offsets, and the decoder that inspects one.
#include "card/InfoFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes contentOf(const InfoFile& inf) {
    return {inf.content().begin(), inf.content().end()};
}

// Titles and entries at both ends of the records: the first and last entry of the first
// folder, a folder with a title only, one with a song only, the last entry of folder 99.
// Names longer than 16 characters are cut; a shorter title or name leaves nothing of an
// earlier one.
InfoFile filledInfoFile() {
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
    return inf;
}

TEST(InfoFile, EveryByteStandsAtItsOffset) {
    Bytes expected(54816, 0x00);
    const auto put = [&](std::size_t at, std::string_view bytes) {
        std::copy(bytes.begin(), bytes.end(), expected.begin() + at);
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

    const Bytes made = contentOf(filledInfoFile());
    ASSERT_EQ(made.size(), expected.size());
    const auto diff = std::mismatch(made.begin(), made.end(), expected.begin());
    EXPECT_TRUE(diff.first == made.end()) << "first difference at byte " << (diff.first - made.begin());
}

// A request that has no place in the file is refused and changes nothing.
TEST(InfoFile, RefusesWhatHasNoPlace) {
    InfoFile inf;
    const Bytes before = contentOf(inf);
    const std::tuple<int, int, std::string_view, std::uint8_t, std::uint8_t> requests[] = {
        {0, 0, "00101_", 4, 0},   {100, 0, "00101_", 4, 0}, {1, -1, "00101_", 4, 0},
        {1, 20, "00101_", 4, 0},  {1, 0, "00101", 4, 0},    {1, 0, "00101__", 4, 0},
        {1, 0, "00101_", 128, 0}, {1, 0, "00101_", 0, 1},   {1, 0, "00101_", 0, 0},
    };
    for (const auto& [folder, slot, sixChar, first, second] : requests) {
        EXPECT_EQ(inf.setSongEntry(folder, slot, "Song", sixChar, first, second).code(),
                  ErrorCode::InvalidArgument)
            << folder << " " << slot << " " << sixChar << " " << +first << " " << +second;
    }
    EXPECT_EQ(inf.setFolderTitle(0, "x").code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(inf.setFolderTitle(100, "x").code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(contentOf(inf), before);
}

// Folders whose record holds anything, in number order, with their filled entries.
TEST(InfoFile, DecodesOpenedFoldersAndFilledEntries) {
    const auto decoded = decodeInfoFile(filledInfoFile().content(), "KN7000MN.INF");
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

// Each malformed file is refused with what is wrong and the first wrong byte.
TEST(InfoFile, ReportsAMalformedFileWithWhatAndWhere) {
    const auto setByte = [](std::size_t at, std::uint8_t value) {
        return [at, value](Bytes& b) { b[at] = value; };
    };
    const auto resize = [](std::size_t size) { return [size](Bytes& b) { b.resize(size, 0x00); }; };
    const std::pair<std::function<void(Bytes&)>, std::string> cases[] = {
        {resize(54815),
         "at byte 54815: the file is 54815 bytes long; an information file has exactly 54816 bytes"},
        {resize(54817),
         "at byte 54816: the file is 54817 bytes long; an information file has exactly 54816 bytes"},
        {setByte(3, '1'), "at byte 3: the header is not \"KN7000 SDDIR INF\""},
        {setByte(49120, 0x00), "at byte 49120: bytes 49120 to 49239 must all be 0xFF, this one is 0x00"},
        {setByte(50601, 0x20), "at byte 50601: bytes 49240 to 50601 must all be 0x00, this one is 0x20"},
        {setByte(50602, 0x00), "at byte 50602: bytes 50602 to 54813 must all be 0xFF, this one is 0x00"},
        {setByte(54815, 0xFF), "at byte 54815: bytes 54814 to 54815 must all be 0x00, this one is 0xFF"},
    };
    for (const auto& [corrupt, reason] : cases) {
        Bytes b = contentOf(filledInfoFile());
        corrupt(b);
        const auto decoded = decodeInfoFile(b, "card/KN7000MN.INF");
        ASSERT_FALSE(decoded) << reason;
        EXPECT_EQ(decoded.status().code(), ErrorCode::Corrupt);
        EXPECT_EQ(decoded.status().path(), "card/KN7000MN.INF");
        EXPECT_EQ(decoded.status().reason(), reason);
    }
}

} // namespace
} // namespace lw
