// Paths in Windows notation, on the real Windows file system: a file beside a drive root
// has one backslash, names outside ASCII reach the system as UTF-16 rather than through
// the ANSI code page, read-only files in a folder that is replaced, and the system's error
// codes turned into ours.
#include "backup/BackupReader.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

// "€" is not in Latin-1, "ő" not in Windows-1252: neither survives an ANSI code page.
TEST(WindowsNames, ReachTheSystemAsUtf16) {
    EXPECT_EQ(pathToUtf8(pathFromUtf8("e:\\") / "PRIVATE"), "e:\\PRIVATE");
    TempDir dir;
    const fs::path folder = dir.path() / pathFromUtf8("Lieder für Oma € ő");
    ASSERT_EQ(folder.filename().native(), L"Lieder f\u00fcr Oma \u20ac \u0151");
    fs::copy(test::sampleDir("kn5000"), folder, fs::copy_options::recursive);
    const Recognition r = recognizeBackup(realFileSystem(), pathToUtf8(folder));
    ASSERT_EQ(r.outcome, RecognitionOutcome::Recognised);
    auto tables = readBackupTables(realFileSystem(), *r.format, r.directory);
    ASSERT_TRUE(tables) << tables.status().toString();
    auto size = realFileSystem().directorySize(folder);
    ASSERT_TRUE(size);
    EXPECT_GT(*size, 0u);

    const fs::path file = folder / pathFromUtf8("Café Noir.SQT");
    ASSERT_TRUE(writeWholeFile(realFileSystem(), file, bytesOf("song")));
    auto entries = realFileSystem().listDirectory(folder);
    ASSERT_TRUE(entries);
    EXPECT_TRUE(
        std::any_of(entries->begin(), entries->end(), [](auto& e) { return e.name == "Café Noir.SQT"; }));
    // What another Windows program sees: the wide name, unchanged.
    EXPECT_NE(GetFileAttributesW((folder.native() + L"\\Caf\u00e9 Noir.SQT").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

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
    const Status sizeError = fs.fileSize(missing).status();
    EXPECT_EQ(sizeError.code(), ErrorCode::NotFound) << sizeError.toString();
    EXPECT_EQ(sizeError.path(), pathToUtf8(missing));
    EXPECT_FALSE(sizeError.reason().empty());
    EXPECT_EQ(fs.listDirectory(missing).status().code(), ErrorCode::NotFound);
    EXPECT_EQ(fs.openWrite(dir.path() / "no folder" / "x.SQT").status().code(), ErrorCode::NotFound);
}

} // namespace
} // namespace lw
