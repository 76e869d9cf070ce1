// The program's folder on Windows and the settings file in it: the folder of the running
// .exe (found through GetModuleFileNameW, not the working folder), "Liedwerk.ini" beside
// it with one backslash, and the file's single line ended by CR LF exactly, however the
// C runtime would translate line ends in text mode.
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramFolder.h"
#include "settings/SettingsFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(WindowsProgramFolder, IsTheExecutablesFolderWhereverItRunsFrom) {
    TempDir elsewhere;
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

TEST(WindowsProgramFolder, SettingsFileBesideIt) {
    EXPECT_EQ(pathToUtf8(settingsFilePath(pathFromUtf8("C:\\Program Files\\Liedwerk"))),
              "C:\\Program Files\\Liedwerk\\Liedwerk.ini");
    EXPECT_EQ(pathToUtf8(settingsFilePath(pathFromUtf8("D:\\"))), "D:\\Liedwerk.ini");
}

// --- The settings file's line end ---

TEST(WindowsSettingsFile, OneLineEndedByCrLf) {
    TempDir dir;
    const fs::path folder = dir.path() / pathFromUtf8("Programm Ü");
    fs::create_directory(folder);
    const fs::path file = settingsFilePath(folder);
    // What an earlier version or an editor left: two lines with Windows line ends.
    test::writeBytes(file, {'"', '1', '"', '\r', '\n', 'x', '\r', '\n'});

    Settings settings;
    settings.languageId = "2";
    settings.cardDrive = "e:";
    ASSERT_TRUE(writeSettings(realFileSystem(), file, settings));
    const std::string expected = "\"2\",\"e:\",\"\"\r\n";
    EXPECT_EQ(test::readText(file), expected);

    Settings read;
    readSettings(realFileSystem(), file, read);
    EXPECT_EQ(read.languageId, "2");
    EXPECT_EQ(read.cardDrive, "e:");
    EXPECT_EQ(read.reserved, "");
}

TEST(WindowsSettingsFile, FieldsOfAFileWrittenWithCrLfCarryNoCr) {
    TempDir dir;
    const fs::path file = dir / "Liedwerk.ini";
    test::writeBytes(file, {'2', ',', 'e', ':', ',', 'k', 'e', 'e', 'p', '\r', '\n'});
    Settings read;
    readSettings(realFileSystem(), file, read);
    EXPECT_EQ(read.languageId, "2");
    EXPECT_EQ(read.cardDrive, "e:");
    EXPECT_EQ(read.reserved, "keep");
}

} // namespace
} // namespace lw
