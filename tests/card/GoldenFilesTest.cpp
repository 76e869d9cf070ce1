// Golden files: a small information file and restore file made by the generator below and
// kept in tests/data/card. A change of the bytes the program writes shows up here first.
// To accept an intended change, run the test with LIEDWERK_UPDATE_GOLDEN=1 and review the
// difference of the files before committing them.
#include "CardTestDoubles.h"
#include "card/ByteIo.h"
#include "card/CardLayout.h"
#include "card/InfoFile.h"
#include "card/RestoreFileReader.h"
#include "card/RestoreFileWriter.h"
#include "support/SpanInputFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::filesystem::path goldenDir() {
    return test::sourceDir() / "tests" / "data" / "card";
}

std::string songEntryName(int folder, int slot, std::string_view index, std::string_view extension) {
    return restoreFolderPath(folder) + "\\" + songFileBase(slot, sixCharName(index)) + std::string(extension);
}

Bytes goldenInfoFile() {
    InfoFile inf;
    EXPECT_TRUE(inf.setFolderTitle(1, sequentialFolderTitle(1)));
    EXPECT_TRUE(inf.setSongEntry(1, 0, "Blue Night", sixCharName("00101"), 4 + 64, 0));
    EXPECT_TRUE(inf.setSongEntry(1, 4, "F\xFCr Elise", sixCharName("00105"), 4, 32)); // Windows-1252 ü
    EXPECT_TRUE(inf.setSongEntry(1, 19, "Sixteen chars!!!", sixCharName("0312"), 1, 4 + 8 + 16 + 32));
    EXPECT_TRUE(inf.setFolderTitle(2, sequentialFolderTitle(2)));
    EXPECT_TRUE(inf.setFolderTitle(99, "My Folder"));
    EXPECT_TRUE(inf.setSongEntry(99, 0, "Last", sixCharName("09901"), 0, 16));
    return {inf.content().begin(), inf.content().end()};
}

Bytes goldenRestoreFile() {
    test::OutputRecord out;
    test::LimitedOutputFile file(out);
    RestoreFileWriter w(file, "Restore.sdb");
    EXPECT_TRUE(w.writeHeader());
    EXPECT_TRUE(w.appendEntry(songEntryName(1, 0, "00101", ".SQT"), test::bytesOf("SQT data")));
    EXPECT_TRUE(w.appendEntry(songEntryName(1, 0, "00101", ".EFC"), {}));
    Bytes song(300);
    for (std::size_t i = 0; i < song.size(); ++i)
        song[i] = static_cast<std::uint8_t>(i);
    EXPECT_TRUE(w.appendEntry(songEntryName(1, 4, "00105", ".SQT"), song));
    EXPECT_TRUE(w.appendEntry(songEntryName(1, 4, "00105", ".ACT"), test::bytesOf("ACT")));
    EXPECT_TRUE(w.appendEntry(kInfEntryName, goldenInfoFile()));
    return out.bytes;
}

void compareWithGolden(const Bytes& made, const std::string& fileName) {
    const auto path = goldenDir() / fileName;
    if (std::getenv("LIEDWERK_UPDATE_GOLDEN") != nullptr) {
        std::filesystem::create_directories(goldenDir());
        test::writeBytes(path, made);
        GTEST_SKIP() << "rewrote " << path;
    }
    const Bytes golden = test::readBytes(path);
    ASSERT_EQ(made.size(), golden.size());
    const auto diff = std::mismatch(made.begin(), made.end(), golden.begin());
    EXPECT_TRUE(diff.first == made.end()) << "first difference at byte " << (diff.first - made.begin());
}

TEST(GoldenFilesTest, InformationFileIsUnchanged) {
    compareWithGolden(goldenInfoFile(), "KN7000MN.INF");
}

TEST(GoldenFilesTest, RestoreFileIsUnchanged) {
    compareWithGolden(goldenRestoreFile(), "Restore.sdb");
}

// The golden files read back as what they are meant to hold.
TEST(GoldenFilesTest, RestoreFileReadsBack) {
    const Bytes file = test::readBytes(goldenDir() / "Restore.sdb");
    SpanInputFile in(file);
    auto contents = readRestoreContents(in, "Restore.sdb");
    ASSERT_TRUE(contents) << contents.status().toString();
    const auto* entries = &contents->entries;
    ASSERT_EQ(entries->size(), 5u);
    EXPECT_EQ((*entries)[0].name, "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.SQT");
    EXPECT_EQ((*entries)[1].name, "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.EFC");
    EXPECT_EQ((*entries)[1].length, 0u);
    EXPECT_EQ((*entries)[2].name, "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0500105_.SQT");
    EXPECT_EQ((*entries)[2].length, 300u);
    EXPECT_EQ((*entries)[3].name, "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0500105_.ACT");
    const RestoreEntry& inf = entries->back();
    EXPECT_EQ(inf.dataOffset + inf.length, file.size());
    EXPECT_EQ(file.size(), 16u + 5 * 128 + 8 + 0 + 300 + 3 + 54816);

    const Bytes infBytes(file.begin() + static_cast<std::ptrdiff_t>(inf.dataOffset), file.end());
    EXPECT_EQ(infBytes, test::readBytes(goldenDir() / "KN7000MN.INF"));
}

TEST(GoldenFilesTest, InformationFileReadsBack) {
    const auto decoded = decodeInfoFile(test::readBytes(goldenDir() / "KN7000MN.INF"));
    ASSERT_TRUE(decoded) << decoded.status().toString();
    const auto& f = decoded->folders;
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0].title, "Direktory 01");
    ASSERT_EQ(f[0].songs.size(), 3u);
    EXPECT_EQ(f[0].songs[1].name, "F\xFCr Elise");
    EXPECT_EQ(f[0].songs[1].sixChar, "00105_");
    EXPECT_EQ(f[0].songs[2].slot, 19);
    EXPECT_EQ(f[0].songs[2].sixChar, "0312__");
    EXPECT_EQ(firstGroupTypes(f[0].songs[0].firstMask), (std::vector<std::string_view>{".SQT", ".EFC"}));
    EXPECT_EQ(secondGroupTypes(f[0].songs[2].secondMask),
              (std::vector<std::string_view>{".AST", ".SQF", ".SEQ", ".ACT"}));
    EXPECT_EQ(f[1].title, "Directory 02");
    EXPECT_TRUE(f[1].songs.empty());
    EXPECT_EQ(f[2].number, 99);
    EXPECT_EQ(f[2].songs[0].name, "Last");
}

} // namespace
} // namespace lw
