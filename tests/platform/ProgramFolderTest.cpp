// Where the per-user data folder lies when the program's own folder is not writable.
#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

namespace fs = std::filesystem;

TEST(PerUserFolder, FollowsTheSystemsRule) {
    struct {
        const char* xdgDataHome;
        const char* home;
        const char* localAppData;
        fs::path expected;
    } const cases[] = {
#ifndef _WIN32
        {"/home/anna/data", "/home/anna", "", "/home/anna/data/liedwerk"},
        {"", "/home/anna", "", "/home/anna/.local/share/liedwerk"},
        {"relative/data", "/home/anna", "", "/home/anna/.local/share/liedwerk"}, // the XDG rules ignore it
        {"", "", "", fs::temp_directory_path() / "liedwerk"},
#else
        {"", "C:\\Users\\anna", "C:\\Users\\anna\\AppData\\Local",
         "C:\\Users\\anna\\AppData\\Local\\Liedwerk"},
        {"", "C:\\Users\\anna", "", "C:\\Users\\anna\\AppData\\Local\\Liedwerk"},
#endif
    };
    for (const auto& c : cases)
        EXPECT_EQ(perUserFolder(c.xdgDataHome, c.home, c.localAppData), c.expected) << c.xdgDataHome;
}

} // namespace
} // namespace lw
