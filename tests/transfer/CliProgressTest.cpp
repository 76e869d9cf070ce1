// The progress line of transfer and unpack, run in-process: drawn on standard error only
// when that is a terminal, never changing standard output or the files written, and left
// out with --quiet.
#include "cli/Cli.h"
#include "platform/Path.h"
#include "support/FakeDrives.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace lw {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct Outcome {
    std::string out, err;
    std::map<std::string, std::vector<std::uint8_t>> files; // what the run wrote, by relative path
};

// Runs the command with standard output and error on a terminal or not, or on one screen.
Outcome run(const Args& args, bool terminal, const fs::path& output, bool oneScreen = false) {
    std::ostringstream out, err;
    std::istringstream in;
    test::FakeDrives drives;
    CliContext ctx{realFileSystem(), drives, out, oneScreen ? out : err, in, false, terminal, terminal};
    EXPECT_EQ(runCli(args, ctx), kExitOk) << err.str();
    Outcome r{out.str(), err.str(), {}};
    for (const auto& e : fs::recursive_directory_iterator(output))
        if (e.is_regular_file())
            r.files[fs::relative(e.path(), output).generic_string()] = test::readBytes(e.path());
    return r;
}

TEST(CliProgress, DrawnOnlyOnATerminalAndClearedWhileOutputStaysTheSame) {
    test::TempDir tmp;
    for (const char* folder : {"file", "card", "unpacked"})
        fs::create_directories(tmp / folder);
    const std::string backup = pathToUtf8(test::sampleDir("kn5000")),
                      restore = pathToUtf8(tmp / "file/R.sdb");
    for (const auto& [args, output, total] :
         {std::tuple{Args{"transfer", backup, "--restore-file", restore}, tmp / "file", "/8 songs  "},
          std::tuple{Args{"transfer", backup, "--card", pathToUtf8(tmp / "card"), "--allow-fixed", "--yes"},
                     tmp / "card", "/8 songs  "},
          std::tuple{Args{"unpack", restore, "--to", pathToUtf8(tmp / "unpacked"), "--allow-fixed", "--yes"},
                     tmp / "unpacked", "/17 files  "}}) {
        SCOPED_TRACE(args[0] + " " + args[2]);
        const Outcome plain = run(args, false, output), drawn = run(args, true, output);
        EXPECT_EQ(plain.err, "");
        EXPECT_EQ(std::tie(drawn.out, drawn.files), std::tie(plain.out, plain.files));
        // One line redrawn in place (never a line feed), blanked out at the end.
        EXPECT_NE(drawn.err.find(total), std::string::npos) << drawn.err;
        EXPECT_EQ(drawn.err.find('\n'), std::string::npos) << drawn.err;
        const std::size_t lastDraw = drawn.err.rfind('\r', drawn.err.size() - 2);
        EXPECT_EQ(drawn.err.find_first_not_of(' ', lastDraw + 1), drawn.err.size() - 1) << drawn.err;

        // Both streams on one screen: what follows the progress line is its own erasing ("\r"),
        // never a song or file line written beside it.
        const std::string shown = run(args, true, output, true).out;
        for (std::size_t at = shown.find(" left"); at != std::string::npos; at = shown.find(" left", at + 1))
            EXPECT_EQ(shown.at(shown.find_first_not_of(' ', at + 5)), '\r') << shown;

        // --quiet: the closing summary alone (no song or file line, which part their columns
        // by two blanks), and no progress line.
        Args quietArgs = args;
        quietArgs.push_back("--quiet");
        const Outcome quiet = run(quietArgs, true, output);
        EXPECT_EQ(quiet.err, "");
        EXPECT_TRUE(plain.out.ends_with(quiet.out) && quiet.out.find("written") != std::string::npos)
            << quiet.out;
        EXPECT_EQ(quiet.out.find("  "), std::string::npos) << quiet.out;
    }
}

} // namespace
} // namespace lw
