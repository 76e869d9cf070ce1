// Golden files: a small information file and restore file made by the writers below and
// kept in tests/data/card. A change of the bytes the program writes shows up here first.
// To accept an intended change, run the test with LIEDWERK_UPDATE_GOLDEN=1 and review the
// difference of the files before committing them.
#include "card/CardLayout.h"
#include "card/InfoFile.h"
#include "card/RestoreFileReader.h"
#include "card/RestoreFileWriter.h"
#include "support/MemoryOutputFile.h"
#include "support/SpanInputFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

std::filesystem::path goldenDir() {
    return test::sourceDir() / "tests" / "data" / "card";
}

Bytes goldenInfoFile() {
    InfoFile inf;
    EXPECT_TRUE(inf.setFolderTitle(1, "Direktory 01"));
    EXPECT_TRUE(inf.setSongEntry(1, 0, "Blue Night", "00101_", 4 + 64, 0));
    EXPECT_TRUE(inf.setSongEntry(1, 4, "F\xFCr Elise", "00105_", 4, 32)); // Windows-1252 ü
    EXPECT_TRUE(inf.setSongEntry(1, 19, "Sixteen chars!!!", "0312__", 1, 4 + 8 + 16 + 32));
    EXPECT_TRUE(inf.setFolderTitle(2, "Directory 02"));
    EXPECT_TRUE(inf.setFolderTitle(99, "My Folder"));
    EXPECT_TRUE(inf.setSongEntry(99, 0, "Last", "09901_", 0, 16));
    return {inf.content().begin(), inf.content().end()};
}

Bytes goldenRestoreFile() {
    const std::string folder = "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\";
    Bytes song(300);
    for (std::size_t i = 0; i < song.size(); ++i)
        song[i] = static_cast<std::uint8_t>(i);
    test::MemoryOutputFile file;
    RestoreFileWriter w(file, "Restore.sdb");
    EXPECT_TRUE(w.writeHeader());
    EXPECT_TRUE(w.appendEntry(folder + "0100101_.SQT", bytesOf("SQT data")));
    EXPECT_TRUE(w.appendEntry(folder + "0100101_.EFC", {}));
    EXPECT_TRUE(w.appendEntry(folder + "0500105_.SQT", song));
    EXPECT_TRUE(w.appendEntry(folder + "0500105_.ACT", bytesOf("ACT")));
    EXPECT_TRUE(w.appendEntry(kInfEntryName, goldenInfoFile()));
    return file.bytes;
}

void compareWithGolden(const Bytes& made, const std::string& fileName) {
    const auto path = goldenDir() / fileName;
    if (std::getenv("LIEDWERK_UPDATE_GOLDEN") != nullptr) {
        test::writeBytes(path, made);
        GTEST_SKIP() << "rewrote " << path;
    }
    const Bytes golden = test::readBytes(path);
    ASSERT_EQ(made.size(), golden.size());
    const auto diff = std::mismatch(made.begin(), made.end(), golden.begin());
    EXPECT_TRUE(diff.first == made.end()) << "first difference at byte " << (diff.first - made.begin());
}

TEST(GoldenFiles, InformationFileIsUnchanged) {
    compareWithGolden(goldenInfoFile(), "KN7000MN.INF");
}

TEST(GoldenFiles, RestoreFileIsUnchanged) {
    compareWithGolden(goldenRestoreFile(), "Restore.sdb");
}

// The golden restore file reads back as the entries it was written from (head and data
// offsets, length), each with its place on the card, the last one the golden information file.
TEST(GoldenFiles, RestoreFileReadsBack) {
    const Bytes file = test::readBytes(goldenDir() / "Restore.sdb");
    SpanInputFile in(file, 5);
    const auto contents = readRestoreContents(in, "Restore.sdb");
    ASSERT_TRUE(contents) << contents.status().toString();
    std::string seen;
    for (const RestoreEntry& e : contents->entries)
        seen += e.name + " " + std::to_string(e.headOffset) + " " + std::to_string(e.dataOffset) + " " +
                std::to_string(e.length) + "\n";
    EXPECT_EQ(seen, "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.SQT 16 144 8\n"
                    "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.EFC 152 280 0\n"
                    "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0500105_.SQT 280 408 300\n"
                    "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0500105_.ACT 708 836 3\n"
                    "\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INF 839 967 54816\n");
    EXPECT_EQ(contents->parts[3],
              (std::vector<std::string>{"PRIVATE", "TECHNICS", "KN7000", "TFLD001", "0500105_.ACT"}));
    EXPECT_EQ(contents->info.folders.size(), 3u);
    EXPECT_EQ(Bytes(file.begin() + 967, file.end()), test::readBytes(goldenDir() / "KN7000MN.INF"));
}

} // namespace
} // namespace lw
