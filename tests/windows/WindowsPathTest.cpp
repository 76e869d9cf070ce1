// Paths in Windows notation, on the real Windows file system: a file beside a drive root has
// one backslash, names outside ASCII reach the system as UTF-16, read-only files in a folder
// that is replaced, the system's error codes turned into ours, and the program's folder: that
// of the running .exe (GetModuleFileNameW), not the working folder.
#include "backup/BackupReader.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

namespace lw {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// "€" is not in Latin-1, "ő" not in Windows-1252: neither survives an ANSI code page.
TEST(WindowsNames, ReachTheSystemAsUtf16) {
    EXPECT_EQ(pathToUtf8(pathFromUtf8("e:\\") / "PRIVATE"), "e:\\PRIVATE");
    test::TempDir dir;
    const fs::path folder = dir.path() / pathFromUtf8("Lieder für Oma € ő");
    ASSERT_EQ(folder.filename().native(), L"Lieder f\u00fcr Oma \u20ac \u0151");
    fs::copy(test::sampleDir("kn5000"), folder, fs::copy_options::recursive);
    const Recognition r = recognizeBackup(realFileSystem(), pathToUtf8(folder));
    ASSERT_EQ(r.outcome, RecognitionOutcome::Recognised);
    auto tables = readBackupTables(realFileSystem(), *r.format, r.directory);
    ASSERT_TRUE(tables) << tables.status().toString();
    const auto size = realFileSystem().directorySize(folder);
    EXPECT_GT(size ? *size : 0, 0u);

    ASSERT_TRUE(writeWholeFile(realFileSystem(), folder / pathFromUtf8("Café Noir.SQT"), Bytes{'s'}));
    auto entries = realFileSystem().listDirectory(folder);
    ASSERT_TRUE(entries);
    EXPECT_TRUE(
        std::any_of(entries->begin(), entries->end(), [](auto& e) { return e.name == "Café Noir.SQT"; }));
    // What another Windows program sees: the wide name, unchanged.
    EXPECT_NE(GetFileAttributesW((folder.native() + L"\\Caf\u00e9 Noir.SQT").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST(WindowsFiles, ReadOnlyFileIsRemovedOnlyWhenForced) {
    test::TempDir dir;
    const fs::path priv = dir / "PRIVATE", locked = priv / "TECHNICS" / "KN7000" / "KN7000MN.INF";
    fs::create_directories(locked.parent_path());
    test::writeBytes(locked, Bytes{'i'});
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    test::writeBytes(dir / "OTHER.TXT", Bytes{'o'});
    EXPECT_EQ(realFileSystem().removeTree(priv, false).code(), ErrorCode::PermissionDenied);
    EXPECT_TRUE(fs::exists(locked));
    EXPECT_TRUE(realFileSystem().removeTree(priv, true));
    EXPECT_EQ(std::tuple(fs::exists(priv), fs::exists(dir / "OTHER.TXT")), std::tuple(false, true));
}

TEST(WindowsFiles, SystemErrorsKeepTheirMeaningAndThePath) {
    test::TempDir dir;
    FileSystem& fs = realFileSystem();
    const fs::path missing = dir.path() / pathFromUtf8("fehlt ü.SQT");
    const Status sizeError = fs.fileSize(missing).status();
    EXPECT_EQ(std::tuple(sizeError.code(), sizeError.path()),
              std::tuple(ErrorCode::NotFound, pathToUtf8(missing)));
    EXPECT_FALSE(sizeError.reason().empty());
    EXPECT_EQ(fs.listDirectory(missing).status().code(), ErrorCode::NotFound);
    EXPECT_EQ(fs.openWrite(dir.path() / "no folder" / "x.SQT").status().code(), ErrorCode::NotFound);
}

TEST(WindowsProgramFolder, IsTheExecutablesFolderWhereverItRunsFrom) {
    test::TempDir elsewhere;
    const fs::path previous = fs::current_path();
    fs::current_path(elsewhere.path());
    const auto exe = executableFolder();
    // Nothing names another folder, and the build folder is writable: a portable install.
    _wputenv(L"LIEDWERK_PROGRAM_FOLDER=");
    const fs::path program = realProgramFolder().path();
    fs::current_path(previous);
    ASSERT_TRUE(exe);
    EXPECT_TRUE(exe->has_root_name()) << pathToUtf8(*exe); // a drive letter, "Z:" under Wine
    EXPECT_TRUE(fs::equivalent(*exe, fs::path(LIEDWERK_TEST_EXECUTABLE_DIR))) << pathToUtf8(*exe);
    EXPECT_EQ(program, *exe);
}

} // namespace
} // namespace lw
