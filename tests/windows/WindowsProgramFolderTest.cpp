// The program's folder on Windows: the folder of the running .exe (found through
// GetModuleFileNameW, not the working folder). The settings file's exact CR LF line is
// checked by tests/settings, which run under Wine too.
#include "platform/Path.h"
#include "platform/ProgramFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace lw {
namespace {

namespace fs = std::filesystem;

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
