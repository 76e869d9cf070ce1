// Paths in Windows notation, on the real Windows file system: backslashes and drive roots
// (a backup at C:\ has the backup path C:\, never C:\\), names outside ASCII that must
// reach the system as UTF-16 rather than through the ANSI code page, read-only files in
// a folder that is replaced, and the system's error codes turned into ours.
#include "WineDrives.h"

#include "backup/BackupReader.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

// A folder in the form a Windows user picks it: drive letter, backslashes.
std::string windowsForm(const fs::path& path) {
    return pathToUtf8(fs::absolute(path).make_preferred());
}

// --- Backslashes and drive roots ---

struct SeparatorCase {
    const char* given;
    const char* expected;
};

class TrailingSeparator : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(TrailingSeparator, EndsInExactlyOne) {
    EXPECT_EQ(withTrailingSeparator(GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Windows, TrailingSeparator,
                         ::testing::Values(SeparatorCase{"C:\\", "C:\\"},
                                           SeparatorCase{"C:\\Songs", "C:\\Songs\\"},
                                           SeparatorCase{"C:\\Songs\\", "C:\\Songs\\"},
                                           SeparatorCase{"C:/Songs/", "C:/Songs/"},
                                           SeparatorCase{"\\\\server\\share", "\\\\server\\share\\"}));

class CardRoot : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(CardRoot, OfDriveText) {
    EXPECT_EQ(cardRootOf(GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Windows, CardRoot,
                         ::testing::Values(SeparatorCase{"e:", "e:\\"}, SeparatorCase{"E:\\", "E:\\"},
                                           SeparatorCase{"e:/", "e:/"}));

TEST(WindowsPaths, CardRelativeNamesAreShownAsTheyAre) {
    EXPECT_EQ(displayPath("\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INF"),
              "\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INF");
    EXPECT_EQ(nativeSeparator(), "\\");
}

TEST(WindowsPaths, FileBesideADriveRootHasOneBackslash) {
    EXPECT_EQ(pathToUtf8(pathFromUtf8("C:\\") / "Liedwerk.ini"), "C:\\Liedwerk.ini");
    EXPECT_EQ(pathToUtf8(pathFromUtf8(cardRootOf("e:")) / "PRIVATE"), "e:\\PRIVATE");
}

TEST(WindowsPaths, BackupFolderChosenWithAndWithoutBackslash) {
    const std::string folder = windowsForm(test::sampleDir("kn5000"));
    ASSERT_EQ(folder.substr(1, 2), ":\\") << folder;
    for (const std::string& chosen : {folder, folder + "\\"}) {
        SCOPED_TRACE(chosen);
        const Recognition r = recognizeBackup(realFileSystem(), chosen);
        ASSERT_EQ(r.outcome, RecognitionOutcome::Recognised);
        EXPECT_EQ(r.directory.backupPath(), folder + "\\");
        auto tables = readBackupTables(realFileSystem(), *r.format, r.directory);
        ASSERT_TRUE(tables) << tables.status().toString();
        EXPECT_FALSE(tables->songs.empty());
    }
}

// A backup at the root of a drive: the Wine prefix's card drive holds a copy of a sample.
TEST(WindowsPaths, BackupAtADriveRoot) {
    const auto wine = test::wineDrives();
    if (!wine || wine->cardDrive.empty())
        GTEST_SKIP() << "needs the drives of scripts/test-windows.sh's Wine prefix";
    const fs::path root = pathFromUtf8(cardRootOf(wine->cardDrive));
    fs::copy(test::sampleDir("kn5000"), root,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    const Recognition r = recognizeBackup(realFileSystem(), cardRootOf(wine->cardDrive));
    for (const auto& entry : fs::directory_iterator(root))
        fs::remove(entry.path());
    ASSERT_EQ(r.outcome, RecognitionOutcome::Recognised);
    EXPECT_EQ(r.directory.backupPath(), wine->cardDrive + "\\");
    ASSERT_TRUE(r.directory.find("FILEBLK.DAT"));
    EXPECT_EQ(pathToUtf8(*r.directory.find("FILEBLK.DAT")), wine->cardDrive + "\\Fileblk.dat");
}

// --- Names outside ASCII ---

TEST(WindowsNames, ReachTheSystemAsUtf16) {
    TempDir dir;
    // "€" is not in Latin-1, "ő" not in Windows-1252: neither survives an ANSI code page.
    const fs::path folder = dir.path() / pathFromUtf8("Sicherung Grüße € ő");
    ASSERT_EQ(folder.filename().native(), L"Sicherung Gr\u00fc\u00dfe \u20ac \u0151");
    FileSystem& fs = realFileSystem();
    ASSERT_TRUE(fs.createDirectory(folder));
    const fs::path file = folder / pathFromUtf8("Café Noir.SQT");
    ASSERT_TRUE(writeWholeFile(fs, file, bytesOf("song")));

    EXPECT_TRUE(fs.isFile(file));
    EXPECT_TRUE(fs.isDirectory(pathFromUtf8(pathToUtf8(folder))));
    auto size = fs.fileSize(file);
    ASSERT_TRUE(size);
    EXPECT_EQ(*size, 4u);
    auto entries = fs.listDirectory(folder);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].name, "Café Noir.SQT");
    // What another Windows program sees: the wide name, unchanged.
    EXPECT_NE(GetFileAttributesW((folder.native() + L"\\Caf\u00e9 Noir.SQT").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST(WindowsNames, BackupInAFolderWithSuchAName) {
    TempDir dir;
    const fs::path folder = dir.path() / pathFromUtf8("Lieder für Oma €");
    fs::copy(test::sampleDir("kn5000"), folder, fs::copy_options::recursive);
    const Recognition r = recognizeBackup(realFileSystem(), pathToUtf8(folder));
    ASSERT_EQ(r.outcome, RecognitionOutcome::Recognised);
    auto tables = readBackupTables(realFileSystem(), *r.format, r.directory);
    ASSERT_TRUE(tables) << tables.status().toString();
    auto size = realFileSystem().directorySize(folder);
    ASSERT_TRUE(size);
    EXPECT_GT(*size, 0u);
}

// --- Read-only files and the system's error codes ---

TEST(WindowsFiles, ReadOnlyFileIsRemovedOnlyWhenForced) {
    TempDir dir;
    const fs::path priv = dir.path() / "PRIVATE";
    fs::create_directories(priv / "TECHNICS" / "KN7000");
    const fs::path locked = priv / "TECHNICS" / "KN7000" / "KN7000MN.INF";
    test::writeBytes(locked, bytesOf("inf"));
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    test::writeBytes(dir.path() / "OTHER.TXT", bytesOf("stays"));

    const Status refused = realFileSystem().removeTree(priv, false);
    EXPECT_EQ(refused.code(), ErrorCode::PermissionDenied) << refused.toString();
    EXPECT_TRUE(fs::exists(locked));

    const Status forced = realFileSystem().removeTree(priv, true);
    EXPECT_TRUE(forced) << forced.toString();
    EXPECT_FALSE(fs::exists(priv));
    EXPECT_TRUE(fs::exists(dir.path() / "OTHER.TXT"));
}

TEST(WindowsFiles, SystemErrorsKeepTheirMeaningAndThePath) {
    TempDir dir;
    FileSystem& fs = realFileSystem();
    const fs::path missing = dir.path() / pathFromUtf8("fehlt ü.SQT");
    const std::string missingText = pathToUtf8(missing);

    const Status sizeError = fs.fileSize(missing).status();
    EXPECT_EQ(sizeError.code(), ErrorCode::NotFound) << sizeError.toString();
    EXPECT_EQ(sizeError.path(), missingText);
    EXPECT_FALSE(sizeError.reason().empty());

    EXPECT_EQ(fs.openRead(missing).status().code(), ErrorCode::NotFound);
    EXPECT_EQ(fs.listDirectory(missing).status().code(), ErrorCode::NotFound);
    EXPECT_EQ(fs.openWrite(dir.path() / "no folder" / "x.SQT").status().code(), ErrorCode::NotFound);
    test::writeBytes(dir.path() / "taken.SQT", bytesOf("x"));
    EXPECT_EQ(fs.createNew(dir.path() / "taken.SQT").status().code(), ErrorCode::AlreadyExists);
}

// A restore file takes its name only when complete; until then the earlier one stays, and
// the same output is claimed by one run at a time, whatever the letter case of its name.
TEST(WindowsFiles, StagedFileAndOutputClaim) {
    TempDir dir;
    const fs::path target = dir.path() / "Restore.sdb";
    test::writeBytes(target, bytesOf("old"));
    auto staged = realFileSystem().createStaged(target);
    ASSERT_TRUE(staged) << staged.status().toString();
    ASSERT_TRUE((*staged)->write(bytesOf("new!")));
    EXPECT_EQ(test::readText(target), "old");
    ASSERT_TRUE((*staged)->commit());
    EXPECT_EQ(test::readText(target), "new!");

    auto lock = realFileSystem().lockOutput(dir.path(), "Restore.sdb");
    ASSERT_TRUE(lock) << lock.status().toString();
    EXPECT_EQ(realFileSystem().lockOutput(dir.path(), "RESTORE.SDB").status().code(), ErrorCode::Busy);
}

} // namespace
} // namespace lw
