// liedwerk-cli on Windows, in-process with the real file system and drive list: names of
// the backup and new names keep their Windows-1252 bytes in the restore file; card mode
// writes below a drive root such as e:\ and accepts only a removable drive other than A:
// and B: without --allow-fixed (the Wine prefix of scripts/test-windows.sh supplies the drives).
#include "WineDrives.h"

#include "cli/Cli.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

using test::CliRun;

// The real drive list: card mode judges e:\ as a removable drive by it.
CliRun runCommand(const std::vector<std::string>& args) {
    return test::runCliInProcess(args, realFileSystem(), &realDrives());
}

bool holds(const std::vector<std::uint8_t>& bytes, const std::string& wanted) {
    const std::vector<std::uint8_t> w(wanted.begin(), wanted.end());
    return std::search(bytes.begin(), bytes.end(), w.begin(), w.end()) != bytes.end();
}

std::string sampleInWindowsForm(const std::string& kind) {
    return pathToUtf8(fs::absolute(test::sampleDir(kind)).make_preferred());
}

TEST(WindowsCli, RestoreFileKeepsWindows1252Names) {
    TempDir dir;
    const fs::path folder = dir.path() / pathFromUtf8("Wiederherstellung Ü €");
    fs::create_directory(folder);
    const std::string restore = pathToUtf8(folder / "Restore.sdb");
    // A new name from the wide command line: "€" is the byte 0x80, "✓" has no byte and becomes "?".
    const CliRun run = runCommand({"transfer", sampleInWindowsForm("kn5000") + "\\", "--restore-file",
                                   restore, "--rename", "00301=Blaue Stunde €✓"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    const auto bytes = test::readBytes(pathFromUtf8(restore));
    EXPECT_TRUE(holds(bytes, "Gr\xFC\xDF"
                             "e aus K\xF6ln"));
    EXPECT_TRUE(holds(bytes, "Caf\xE9 Noir"));
    EXPECT_TRUE(holds(bytes, "Valse \xE0 trois"));
    EXPECT_TRUE(holds(bytes, "Blaue Stunde \x80?"));
    // Entry names are card paths with backslashes, whatever the system's separator.
    EXPECT_TRUE(holds(bytes, "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.SQT"));
    // What people read is UTF-8.
    EXPECT_NE(run.out.find("Grüße aus Köln"), std::string::npos) << run.out;
}

TEST(WindowsCli, CardAtTheRootOfTheRemovableDrive) {
    const auto wine = test::wineDrives();
    if (!wine || wine->cardDrive.empty())
        GTEST_SKIP() << "needs the drives of scripts/test-windows.sh's Wine prefix";
    const std::string root = cardRootOf(wine->cardDrive); // "e:\"
    const fs::path rootPath = pathFromUtf8(root);
    test::writeBytes(rootPath / "KEEP.TXT", {'k'});
    fs::create_directories(rootPath / "PRIVATE" / "OLD");

    const CliRun run = runCommand({"transfer", sampleInWindowsForm("kn5000"), "--card", root, "--yes"});
    const bool written = fs::is_regular_file(rootPath / "PRIVATE" / "TECHNICS" / "KN7000" / "KN7000MN.INF");
    const bool song =
        fs::is_regular_file(rootPath / "PRIVATE" / "TECHNICS" / "KN7000" / "TFLD001" / "0100101_.SQT");
    const bool oldGone = !fs::exists(rootPath / "PRIVATE" / "OLD");
    const bool kept = fs::exists(rootPath / "KEEP.TXT");
    for (const auto& entry : fs::directory_iterator(rootPath))
        fs::remove_all(entry.path());

    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_TRUE(written);
    EXPECT_TRUE(song);
    EXPECT_TRUE(oldGone);
    EXPECT_TRUE(kept);
    EXPECT_NE(run.out.find(root), std::string::npos) << run.out;
}

// The backup is the same folder whatever the letter case: C:\BACKUP is c:\backup.
TEST(WindowsCli, BackupFolderInAnotherLetterCaseIsStillTheBackup) {
    TempDir dir;
    fs::copy(test::sampleDir("kn2000"), dir / "Backup");
    std::string other = pathToUtf8(fs::absolute(dir / "BACKUP").make_preferred());
    for (char& c : other)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const CliRun run =
        runCommand({"transfer", pathToUtf8(dir / "Backup"), "--restore-file", other + "\\R.sdb"});
    EXPECT_EQ(run.status, kExitError);
    EXPECT_NE(run.err.find("this is the backup folder"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "Backup" / "R.sdb"));
}

// Names that Windows strips or sends to a device never leave the folder or reach a device.
TEST(WindowsCli, UnpackRefusesNamesThatWindowsWouldChange) {
    TempDir dir;
    const std::string good = pathToUtf8(dir / "good.sdb");
    ASSERT_EQ(runCommand({"transfer", sampleInWindowsForm("kn2000"), "--restore-file", good}).status,
              kExitOk);
    for (const std::string name :
         {"\\PRIVATE\\.. \\x.txt", "\\PRIVATE\\CON", "\\PRIVATE\\nul.txt", "\\lpt1"}) {
        auto bytes = test::readBytes(pathFromUtf8(good));
        std::fill_n(bytes.begin() + 16, 100, std::uint8_t{0});
        std::copy(name.begin(), name.end(), bytes.begin() + 16);
        test::writeBytes(dir / "bad.sdb", bytes);
        fs::create_directories(dir / "card");
        const CliRun run = runCommand(
            {"unpack", pathToUtf8(dir / "bad.sdb"), "--to", pathToUtf8(dir / "card"), "--allow-fixed"});
        EXPECT_EQ(run.status, kExitError) << name;
        EXPECT_NE(run.err.find("has no safe place on a card"), std::string::npos) << run.err;
        EXPECT_TRUE(fs::is_empty(dir / "card")) << name;
    }
}

// Card roots that are refused without --allow-fixed, and nothing is written there.
class RefusedCardRoot : public ::testing::TestWithParam<const char*> {};

TEST_P(RefusedCardRoot, WithoutAllowFixed) {
    const auto wine = test::wineDrives();
    if (!wine)
        GTEST_SKIP() << "needs the drives of scripts/test-windows.sh's Wine prefix";
    std::string root = GetParam();
    if (root == "card:PRIVATE") { // a folder on the card, not its root
        root = cardRootOf(wine->cardDrive) + "PRIVATE";
        fs::create_directory(pathFromUtf8(root));
    }
    const fs::path priv = pathFromUtf8(root) / "PRIVATE";
    ASSERT_FALSE(fs::exists(priv));

    const CliRun run = runCommand({"transfer", sampleInWindowsForm("kn5000"), "--card", root, "--yes"});
    const bool touched = fs::exists(priv);
    if (std::string(GetParam()) == "card:PRIVATE")
        fs::remove_all(pathFromUtf8(root));

    EXPECT_EQ(run.status, kExitError);
    EXPECT_NE(run.err.find("is not the root of a removable medium"), std::string::npos) << run.err;
    EXPECT_FALSE(touched);
}

// a: removable but a floppy drive; c: fixed; d: CD-ROM; f: network.
INSTANTIATE_TEST_SUITE_P(PrefixDrives, RefusedCardRoot,
                         ::testing::Values("a:\\", "c:\\", "d:\\", "f:\\", "card:PRIVATE"));

} // namespace
} // namespace lw
