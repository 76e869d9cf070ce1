// Where the per-user data folder lies when the program's own folder is not writable: from
// XDG_DATA_HOME (ignored unless absolute, as the XDG rules say), HOME, LOCALAPPDATA.
#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

#include <tuple>

namespace lw {
namespace {

namespace fs = std::filesystem;

TEST(PerUserFolder, FollowsTheSystemsRule) {
    const std::tuple<const char*, const char*, const char*, fs::path> cases[] = {
#ifndef _WIN32
        {"/home/anna/data", "/home/anna", "", "/home/anna/data/liedwerk"},
        {"", "/home/anna", "", "/home/anna/.local/share/liedwerk"},
        {"relative/data", "/home/anna", "", "/home/anna/.local/share/liedwerk"},
        {"", "", "", fs::temp_directory_path() / "liedwerk"},
#else
        {"", "C:\\Users\\anna", "C:\\Users\\anna\\AppData\\Local",
         "C:\\Users\\anna\\AppData\\Local\\Liedwerk"},
        {"", "C:\\Users\\anna", "", "C:\\Users\\anna\\AppData\\Local\\Liedwerk"},
#endif
    };
    for (const auto& [xdgDataHome, home, localAppData, expected] : cases)
        EXPECT_EQ(perUserFolder(xdgDataHome, home, localAppData), expected) << xdgDataHome;
}

} // namespace
} // namespace lw
