// The test double's less obvious behaviour, which transfer tests depend on: a simulated
// card fills up and leaves a partial file, removals give room back, a file vanishes once,
// rules on copies match either end, and the record sees every attempt.
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace lw::test {
namespace {

namespace fs = std::filesystem;

class FaultyFileSystemTest : public ::testing::Test {
protected:
    FaultyFileSystemTest() {
        fs::create_directories(m_dir / "backup");
        fs::create_directories(m_dir / "card");
        writeBytes(m_dir / "backup" / "00101.SQT", std::vector<std::uint8_t>(300, 0x11));
        writeBytes(m_dir / "backup" / "00101.LSW", std::vector<std::uint8_t>(500, 0x22));
    }
    fs::path backup(const std::string& name) const { return m_dir / "backup" / name; }
    fs::path card(const std::string& name) const { return m_dir / "card" / name; }

    TempDir m_dir;
    FaultyFileSystem m_fs;
};

TEST_F(FaultyFileSystemTest, SimulatedCardFillsUpAndLeavesThePartialFile) {
    m_fs.setCapacity(600);
    ASSERT_TRUE(m_fs.copyFile(backup("00101.SQT"), card("0100101_.SQT")));
    EXPECT_EQ(*m_fs.freeSpace(card("")), 300u);

    const Status full = m_fs.copyFile(backup("00101.LSW"), card("0100101_.LSW"));
    EXPECT_EQ(full.code(), ErrorCode::NoSpace);
    EXPECT_EQ(fs::file_size(card("0100101_.LSW")), 300u);
    EXPECT_EQ(*m_fs.freeSpace(card("")), 0u);

    // Deleting the song that did not fit gives its room back.
    ASSERT_TRUE(m_fs.removeFile(card("0100101_.LSW")));
    EXPECT_EQ(*m_fs.freeSpace(card("")), 300u);
    ASSERT_TRUE(m_fs.removeTree(m_dir / "card", true));
    EXPECT_EQ(*m_fs.freeSpace(m_dir.path()), 600u);
}

TEST_F(FaultyFileSystemTest, WriteLimitAppliesToEachMatchingFile) {
    m_fs.failWriteAfter("KN7000MN.INF", 100, ErrorCode::IoError, "I/O error");
    const std::vector<std::uint8_t> data(60, 0x33);
    for (int round = 0; round < 2; ++round) {
        auto file = m_fs.openWrite(card("KN7000MN.INF"));
        ASSERT_TRUE(file);
        EXPECT_TRUE((*file)->write(data));
        const Status second = (*file)->write(data);
        EXPECT_EQ(second.code(), ErrorCode::IoError);
        EXPECT_EQ(second.reason(), "I/O error");
        (*file)->close();
        EXPECT_EQ(fs::file_size(card("KN7000MN.INF")), 100u);
    }
    EXPECT_TRUE(writeWholeFile(m_fs, card("other.bin"), data));
}

TEST_F(FaultyFileSystemTest, FileVanishesBetweenTestAndCopyOnce) {
    m_fs.vanishOnFirstUse("00101.SQT");
    EXPECT_TRUE(m_fs.isFile(backup("00101.SQT")));
    EXPECT_EQ(m_fs.copyFile(backup("00101.SQT"), card("0100101_.SQT")).code(), ErrorCode::NotFound);
    EXPECT_FALSE(fs::exists(card("0100101_.SQT")));

    writeBytes(backup("00101.SQT"), {1, 2, 3});
    EXPECT_TRUE(m_fs.copyFile(backup("00101.SQT"), card("0100101_.SQT")));
}

TEST_F(FaultyFileSystemTest, CopyRuleMatchesTargetAndCountsDown) {
    m_fs.failOn(FsOp::CopyFile, "TFLD002/", ErrorCode::PermissionDenied, "write-protected", 1);
    fs::create_directories(card("TFLD002"));
    const Status refused = m_fs.copyFile(backup("00101.SQT"), card("TFLD002/0100101_.SQT"));
    EXPECT_EQ(refused.code(), ErrorCode::PermissionDenied);
    EXPECT_FALSE(fs::exists(card("TFLD002/0100101_.SQT")));
    EXPECT_TRUE(m_fs.copyFile(backup("00101.SQT"), card("TFLD002/0100101_.SQT")));

    ASSERT_EQ(m_fs.mutations().size(), 2u);
    EXPECT_FALSE(m_fs.mutations()[0].ok);
    EXPECT_EQ(m_fs.mutations()[0].from, backup("00101.SQT"));
    EXPECT_TRUE(m_fs.mutations()[1].ok);
}

TEST_F(FaultyFileSystemTest, RecordTellsWhetherAnythingOutsideAFolderWasTouched) {
    ASSERT_TRUE(m_fs.createDirectory(card("PRIVATE")));
    ASSERT_TRUE(m_fs.copyFile(backup("00101.SQT"), card("PRIVATE/x")));
    EXPECT_TRUE(m_fs.touchedOnlyBelow(m_dir / "card"));
    EXPECT_TRUE(m_fs.touchedOnlyBelow(m_dir / "card" / "."));
    EXPECT_FALSE(m_fs.touchedOnlyBelow(m_dir / "card" / "PRIVATE" / "x" / ".." / ".." / "PRIV"));

    // A failed attempt counts as touching too.
    m_fs.failOn(FsOp::RemoveFile, "00101");
    EXPECT_FALSE(m_fs.removeFile(backup("00101.SQT")));
    EXPECT_TRUE(fs::exists(backup("00101.SQT")));
    EXPECT_FALSE(m_fs.touchedOnlyBelow(m_dir / "card"));
    EXPECT_EQ(m_fs.touched(FsOp::RemoveFile), std::vector<fs::path>{backup("00101.SQT")});
}

TEST_F(FaultyFileSystemTest, LateWriteErrorShowsAtClose) {
    m_fs.failOn(FsOp::Close, "card", ErrorCode::IoError, "card removed");
    auto file = m_fs.openWrite(card("x.bin"));
    ASSERT_TRUE(file);
    EXPECT_TRUE((*file)->write(std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ((*file)->close().reason(), "card removed");
}

} // namespace
} // namespace lw::test
