// liedwerk-cli on Windows, in-process with the real file system: the backup folder is known
// in any letter case, and names that Windows would change never leave the folder.
// (scripts/test-windows.sh runs liedwerk-cli.exe itself, with Windows-1252 names from the
// wide command line, into restore files and onto the card drive e:\, and compares every
// byte with what the Linux program writes.)
#include "cli/Cli.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace lw {
namespace {

namespace fs = std::filesystem;

// The backup is the same folder whatever the letter case: C:\BACKUP is c:\backup.
TEST(WindowsCli, BackupFolderInAnotherLetterCaseIsStillTheBackup) {
    test::TempDir dir;
    fs::copy(test::sampleDir("kn2000"), dir / "Backup");
    const std::string other = pathToUtf8(fs::absolute(dir / "BACKUP").make_preferred()) + "\\R.sdb";
    const auto run = test::runCliInProcess({"transfer", pathToUtf8(dir / "Backup"), "--restore-file", other});
    EXPECT_EQ(run.status, kExitError);
    EXPECT_NE(run.err.find("this is the backup folder"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "Backup" / "R.sdb"));
}

// Names that Windows strips or sends to a device never leave the folder or reach a device.
TEST(WindowsCli, UnpackRefusesNamesThatWindowsWouldChange) {
    test::TempDir dir;
    const std::string good = pathToUtf8(dir / "good.sdb");
    ASSERT_EQ(
        test::runCliInProcess({"transfer", pathToUtf8(test::sampleDir("kn2000")), "--restore-file", good})
            .status,
        kExitOk);
    for (const std::string name : {"\\PRIVATE\\.. \\x.txt", "\\PRIVATE\\CON", "\\PRIVATE\\nul.txt"}) {
        auto bytes = test::readBytes(pathFromUtf8(good));
        std::fill_n(bytes.begin() + 16, 100, std::uint8_t{0}); // the first entry's name
        std::copy(name.begin(), name.end(), bytes.begin() + 16);
        test::writeBytes(dir / "bad.sdb", bytes);
        fs::create_directories(dir / "card");
        const auto run = test::runCliInProcess(
            {"unpack", pathToUtf8(dir / "bad.sdb"), "--to", pathToUtf8(dir / "card"), "--allow-fixed"});
        EXPECT_EQ(run.status, kExitError) << name;
        EXPECT_NE(run.err.find("has no safe place on a card"), std::string::npos) << run.err;
        EXPECT_TRUE(fs::is_empty(dir / "card")) << name;
    }
}

} // namespace
} // namespace lw
