// One run of the real liedwerk-cli program on a sample: the process's exit status,
// its standard output byte for byte as the in-process run gives it, nothing on
// standard error.
#include "cli/Cli.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace lw {
namespace {

std::string quoted(const std::filesystem::path& p) {
    return "\"" + pathToUtf8(p) + "\"";
}

TEST(CliBinary, ListsTheKn6000SampleAsJson) {
    const std::filesystem::path binary = LIEDWERK_CLI_BINARY;
    ASSERT_TRUE(std::filesystem::exists(binary)) << binary;
    test::TempDir dir;
    const std::string command = quoted(binary) + " list " + quoted(test::sampleDir("kn6000")) + " --json > " +
                                quoted(dir / "out.txt") + " 2> " + quoted(dir / "err.txt");
#ifdef _WIN32
    // cmd.exe drops the first and last quote of a line that holds more than two.
    int status = std::system(("\"" + command + "\"").c_str());
#else
    int status = std::system(command.c_str());
#endif
#ifndef _WIN32
    ASSERT_TRUE(WIFEXITED(status)) << command;
    status = WEXITSTATUS(status);
#endif
    EXPECT_EQ(status, kExitOk) << test::readText(dir / "err.txt");
    EXPECT_EQ(test::readText(dir / "err.txt"), "");

    const test::CliRun inProcess =
        test::runCliInProcess({"list", pathToUtf8(test::sampleDir("kn6000")), "--json"});
    ASSERT_EQ(inProcess.status, kExitOk);
    EXPECT_EQ(test::readText(dir / "out.txt"), inProcess.out);
    EXPECT_EQ(inProcess.out.rfind("{\"kind\": \"KN6000/6500\", \"songs\": 10, \"rows\": [\n", 0), 0u);
}

} // namespace
} // namespace lw
