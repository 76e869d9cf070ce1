// The progress line of transfer and unpack, run in-process: drawn on standard error only
// when that is a terminal, and never changing standard output or the files written.
#include "cli/Cli.h"
#include "platform/Path.h"
#include "support/FakeDrives.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <tuple>

namespace lw {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    std::string out;
    std::string err;
    std::map<std::string, std::vector<std::uint8_t>> files; // what the run wrote, by relative path
};

Outcome run(const std::vector<std::string>& args, bool terminal, const fs::path& output) {
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    test::FakeDrives drives;
    // Standard output and standard error are the same terminal, as in a shell without redirection.
    CliContext ctx{realFileSystem(), drives, out, err, in, false, terminal, terminal};
    EXPECT_EQ(runCli(args, ctx), kExitOk) << err.str();
    Outcome r{out.str(), err.str(), {}};
    if (fs::is_regular_file(output))
        r.files[""] = test::readBytes(output);
    else
        for (const auto& e : fs::recursive_directory_iterator(output))
            if (e.is_regular_file())
                r.files[fs::relative(e.path(), output).generic_string()] = test::readBytes(e.path());
    return r;
}

TEST(CliProgress, DrawnOnlyOnATerminalAndClearedWhileOutputStaysTheSame) {
    test::TempDir tmp;
    fs::create_directories(tmp / "card");
    fs::create_directories(tmp / "unpacked");
    const std::string backup = pathToUtf8(test::sampleDir("kn5000"));
    const std::string restoreFile = pathToUtf8(tmp / "Restore.sdb");
    using Args = std::vector<std::string>;
    const Args toFile{"transfer", backup, "--restore-file", restoreFile};
    const Args toCard{"transfer", backup, "--card", pathToUtf8(tmp / "card"), "--allow-fixed", "--yes"};
    const Args unpack{"unpack", restoreFile, "--to", pathToUtf8(tmp / "unpacked"), "--allow-fixed", "--yes"};
    for (const auto& [args, output, total] : {std::tuple{toFile, tmp / "Restore.sdb", "/8 songs  "},
                                              std::tuple{toCard, tmp / "card", "/8 songs  "},
                                              std::tuple{unpack, tmp / "unpacked", "/17 files  "}}) {
        SCOPED_TRACE(args[0] + " " + args[2]);
        const Outcome plain = run(args, false, output);
        const Outcome drawn = run(args, true, output);
        EXPECT_EQ(plain.err, "");
        EXPECT_EQ(drawn.out, plain.out);
        EXPECT_EQ(drawn.files, plain.files);
        // One line redrawn in place (never a line feed), blanked out at the end.
        EXPECT_NE(drawn.err.find(total), std::string::npos) << drawn.err;
        EXPECT_EQ(drawn.err.find('\n'), std::string::npos) << drawn.err;
        const std::size_t lastDraw = drawn.err.rfind('\r', drawn.err.size() - 2);
        EXPECT_EQ(drawn.err.find_first_not_of(' ', lastDraw + 1), drawn.err.size() - 1) << drawn.err;

        // Both streams on one screen: what follows the progress line is its own erasing ("\r"),
        // never a song or file line written beside it.
        std::ostringstream screen;
        std::istringstream in;
        test::FakeDrives drives;
        CliContext ctx{realFileSystem(), drives, screen, screen, in, false, true, true};
        ASSERT_EQ(runCli(args, ctx), kExitOk);
        const std::string shown = screen.str();
        for (std::size_t at = shown.find(" left"); at != std::string::npos; at = shown.find(" left", at + 1))
            EXPECT_EQ(shown.at(shown.find_first_not_of(' ', at + 5)), '\r') << shown;

        // --quiet: the closing summary alone, and no progress line.
        std::vector<std::string> quietArgs = args;
        quietArgs.push_back("--quiet");
        const Outcome quiet = run(quietArgs, true, output);
        EXPECT_EQ(quiet.err, "");
        EXPECT_NE(quiet.out.find("written"), std::string::npos) << quiet.out;
        EXPECT_TRUE(plain.out.ends_with(quiet.out)) << quiet.out;
        // No song or file line: those part their columns by two blanks.
        EXPECT_EQ(quiet.out.find("  "), std::string::npos) << quiet.out;
    }
}

} // namespace
} // namespace lw
