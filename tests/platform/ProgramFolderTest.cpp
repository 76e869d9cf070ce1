// Where the per-user data folder lies when the program's own folder is not writable, and
// the settings file's place in the program folder.
#include "platform/ProgramFolder.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
struct PerUserCase {
    const char* xdgDataHome;
    const char* home;
    const char* expected; // empty: below the temporary folder
};

class PerUserFolder : public ::testing::TestWithParam<PerUserCase> {};

TEST_P(PerUserFolder, FollowsTheXdgRule) {
    const PerUserCase& c = GetParam();
    const fs::path folder = perUserFolder(c.xdgDataHome, c.home, "C:\\Users\\x\\AppData\\Local");
    if (*c.expected)
        EXPECT_EQ(folder, fs::path(c.expected));
    else
        EXPECT_EQ(folder, fs::temp_directory_path() / "liedwerk");
}

INSTANTIATE_TEST_SUITE_P(
    ProgramFolder, PerUserFolder,
    ::testing::Values(PerUserCase{"/home/anna/data", "/home/anna", "/home/anna/data/liedwerk"},
                      // Unset, or relative (which the XDG rules say to ignore): ~/.local/share.
                      PerUserCase{"", "/home/anna", "/home/anna/.local/share/liedwerk"},
                      PerUserCase{"relative/data", "/home/anna", "/home/anna/.local/share/liedwerk"},
                      PerUserCase{"", "", ""}));
#else
TEST(PerUserFolder, UsesLocalAppData) {
    EXPECT_EQ(perUserFolder("", "C:\\Users\\anna", "C:\\Users\\anna\\AppData\\Local"),
              fs::path("C:\\Users\\anna\\AppData\\Local\\Liedwerk"));
    EXPECT_EQ(perUserFolder("", "C:\\Users\\anna", ""),
              fs::path("C:\\Users\\anna\\AppData\\Local\\Liedwerk"));
}
#endif

TEST(ProgramFolder, SettingsFileLiesInTheProgramFolder) {
    const fs::path folder = fs::path("opt") / "liedwerk";
    EXPECT_EQ(settingsFilePath(folder), folder / "Liedwerk.ini");
}

TEST(ProgramFolder, WritableFolder) {
    test::TempDir dir;
    EXPECT_TRUE(isWritableFolder(dir.path()));
    EXPECT_FALSE(isWritableFolder(dir / "missing"));
}

} // namespace
} // namespace lw
