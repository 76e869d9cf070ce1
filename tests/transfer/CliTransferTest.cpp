// liedwerk-cli transfer, inspect and unpack, run in-process with their own streams: what each
// command line prints, how it exits and whether it writes; and the real program killed in
// the middle of a run.
#include "SampleBackup.h"
#include "cli/Cli.h"
#include "platform/Drives.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <map>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using Args = std::vector<std::string>;

// Everything below a folder, with each file's size and time: whether anything was written there.
std::map<fs::path, std::pair<std::uintmax_t, fs::file_time_type>> snapshot(const fs::path& root) {
    std::map<fs::path, std::pair<std::uintmax_t, fs::file_time_type>> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        out[e.path()] = e.is_regular_file() ? std::pair(e.file_size(), e.last_write_time())
                                            : std::pair(std::uintmax_t{0}, fs::file_time_type{});
    return out;
}

class CliTransferTest : public ::testing::Test {
protected:
    test::TempDir tmp;
    test::FakeDrives drives{{{pathToUtf8(tmp / "sd"), tmp / "sd", DriveType::Removable, "SDCARD"}}};
    test::FaultyFileSystem faulty;

    // "{kn2000}" and "{kn5000}" stand for the shipped samples, "{tmp}/" for the test's folder.
    std::string expand(std::string s) const {
        for (const auto& [from, to] : {std::pair{std::string("{kn2000}"), test::sampleDir("kn2000")},
                                       std::pair{std::string("{kn5000}"), test::sampleDir("kn5000")},
                                       std::pair{std::string("{tmp}/"), tmp / ""},
                                       std::pair{std::string("{sep}"), fs::path("/").make_preferred()}})
            if (const auto at = s.find(from); at != std::string::npos)
                s.replace(at, from.size(), pathToUtf8(to));
        return s;
    }
    CliRun cli(const Args& args, const std::string& input = {}) {
        Args expanded;
        for (const std::string& a : args)
            expanded.push_back(expand(a));
        return test::runCliInProcess(expanded, faulty, &drives, input, !input.empty());
    }
    // A restore file of the KN2000 sample whose first entry is named `name`.
    void restoreFileNaming(const char* file, const std::string& name) {
        auto bytes = test::readBytes(tmp / "good.sdb");
        std::fill_n(bytes.begin() + 16, 100, std::uint8_t{0});
        std::copy(name.begin(), name.end(), bytes.begin() + 16);
        test::writeBytes(tmp / file, bytes);
    }
};

struct Row {
    const char* command; // the arguments separated by blanks; "{empty}" stands for an empty one
    int status;
    Args shows;          // pieces of standard output or error
    bool writes = false; // otherwise nothing in the test's folder changes
    std::string input{}; // typed on a terminal
};

const Row kRows[] = {
    // Transfers, and the lines they print.
    {"transfer {kn5000} --restore-file {tmp}/o.sdb", 0,
     Args{"TFLD001/0100101_  OK  Auf der Alm\n", "TFLD004/0900509_  not found  Missing Files So\n",
          "7 songs written to the restore file ", "1 song was not found in the backup; it stays marked"},
     true},
    {"transfer {tmp}/esc --restore-file {tmp}/o.sdb", 0, Args{"OK  Title\\x1B]0;pwned\\x07\n"}, true},
    {"transfer {tmp}/big --restore-file {tmp}/o.sdb --card-size 8", kExitStoppedEarly,
     Args{"There is no free space on the SD card.", "TFLD001/0200102_  not transferred", "1 song written"},
     true},
    {"transfer {tmp}/many --restore-file {tmp}/o.sdb", kExitStoppedEarly,
     Args{"with 99 directories is reached"}, true},
    {"transfer {tmp}/locked --restore-file {tmp}/o.sdb", kExitError,
     Args{"liedwerk-cli: cannot read the song file {tmp}/locked{sep}00301.SQT: Permission denied\n"}, true},
    {"transfer {kn2000} --card {tmp}/card --allow-fixed --unmark-folder 001 --unmark-folder 002 "
     "--unmark-folder 003 --unmark-folder 005",
     0, Args{"No song is marked; nothing was written."}},

    // Card mode: a removable medium, and its PRIVATE folder replaced only when allowed.
    {"transfer {kn5000} --card {tmp}/card --yes", kExitError, Args{"--allow-fixed"}},
    {"transfer {kn5000} --card {tmp}/sd --yes", 0, Args{"written to the card in "}, true},
    {"transfer {kn5000} --card {tmp}/nowhere --allow-fixed", kExitError, Args{"does not exist"}},
    {"transfer {kn5000} --card {tmp}/used --allow-fixed", kExitError, Args{"Give --yes"}},
    {"transfer {kn5000} --card {tmp}/used --allow-fixed", kExitError, Args{"[y/N]"}, false, "n\n"},
    {"transfer {kn5000} --card {tmp}/used --allow-fixed", kExitError, Args{"[y/N]", "not confirmed"}, false,
     "\n"},
    {"transfer {kn5000} --card {tmp}/used --allow-fixed", 0, Args{"[y/N]", "7 songs written"}, true, "y\n"},
    {"transfer {kn5000} --card {tmp}/used --allow-fixed --add", 0, Args{"7 songs added to the card in "},
     true},
    {"transfer {kn5000} --card {tmp}/bad --allow-fixed --add", kExitError, Args{"instead of adding"}},
    // Outputs that would touch the backup are refused before any question.
    {"transfer {tmp}/esc --restore-file {tmp}/esc/Restore.sdb", kExitError,
     Args{"this is the backup folder, which is never written to"}},
    {"transfer {tmp}/esc --card {tmp}/esc --allow-fixed", kExitError, Args{"backup"}, false, "y\n"},
    {"transfer {kn5000} --restore-file {tmp}/no/such/R.sdb", kExitError, Args{"does not exist"}},

    // Dry runs write nothing and exit as the run would.
    {"transfer {kn5000} --card {tmp}/used --allow-fixed --dry-run", 0,
     Args{"TFLD001/0100101_  OK  Auf der Alm\n", "Plan: 7 songs to the card in ", "Nothing was written.\n"}},
    {"transfer {tmp}/big --restore-file {tmp}/o.sdb --card-size 8 --dry-run", kExitStoppedEarly,
     Args{"TFLD001/0200102_  no room", "the run would stop: the card is full"}},
    {"transfer {tmp}/many --restore-file {tmp}/o.sdb --dry-run --json", kExitStoppedEarly,
     Args{"\"end\": \"folders used up\""}},
    {"transfer {kn5000} --card {tmp}/card --allow-fixed --add --dry-run --json", 0,
     Args{"{\"mode\": \"card\", \"add\": true, \"end\": \"complete\""}},

    // Usage errors write nothing.
    {"transfer {kn5000} --restore-file {tmp}/o.sdb --only 99999", kExitUsage, Args{"99999"}},
    {"transfer {kn5000} --restore-file {tmp}/o.sdb --unmark-folder 121", kExitUsage, Args{"no folder row"}},
    {"transfer {kn5000} --restore-file {tmp}/o.sdb --unmark-folder 0003", kExitUsage, Args{"three digits"}},
    {"transfer {kn5000} --restore-file {tmp}/o.sdb --rename 00101", kExitUsage, Args{"INDEX=NAME"}},
    {"transfer {kn5000} --restore-file {tmp}/o.sdb --card-size 100", kExitUsage, Args{"--card-size"}},
    {"transfer {kn5000} --restore-file {tmp}/o.sdb --cluster-size 1000", kExitUsage, Args{"--cluster-size"}},
    {"transfer {kn5000} --restore-file {tmp}/o.sdb --layout zigzag", kExitUsage, Args{"zigzag"}},
    {"transfer {kn5000} --restore-file {tmp}/o.sdb --order random", kExitUsage, Args{"random"}},
    {"transfer {kn5000} --restore-file {tmp}/o.sdb --json", kExitUsage, Args{"--dry-run"}},
    {"transfer {kn5000} --restore-file {tmp}/o.sdb --add", kExitUsage, Args{"--card"}},
    {"transfer {kn5000} --card {tmp}/card --card-size 64", kExitUsage, Args{"belong to --restore-file"}},
    {"transfer {kn5000} --card {tmp}/card --restore-file {tmp}/o.sdb", kExitUsage, Args{"either"}},
    {"transfer {kn5000} --restore-file {empty}", kExitUsage, Args{"a file name"}},
    {"", kExitUsage, Args{"liedwerk-cli: no command given\nusage: liedwerk-cli COMMAND"}},
    {"transfer -h", 0, Args{"usage: liedwerk-cli transfer"}},
    {"list -- {tmp}/esc", 0, Args{"[x] 01  00101"}},

    // inspect finds what is wrong, with the byte or the file.
    {"inspect {tmp}/cut.sdb", kExitError, Args{"cut.sdb: at byte 116: the entry"}},
    {"inspect {tmp}/odd", kExitError,
     Args{"010101__.CMP: listed in the information file but missing",
          "090999__.SQT: a song file that no entry"}},
#ifndef _WIN32
    {"inspect {tmp}/bad\xFFname --json", kExitError, Args{"bad\\xFFname"}},
#endif
    // unpack refuses what would harm the folder before it touches it.
    {"unpack {tmp}/evil.sdb --to {tmp}/dir --allow-fixed --yes", kExitError,
     Args{"has no safe place", "nothing was written"}},
    {"unpack {tmp}/keep.sdb --to {tmp}/dir --allow-fixed --yes", kExitError,
     Args{"would replace this file outside PRIVATE"}},
#ifndef _WIN32
    {"unpack {tmp}/link.sdb --to {tmp}/dir --allow-fixed --yes", kExitError,
     Args{"would pass through this link"}},
#endif
    {"unpack {tmp}/dir/PRIVATE/Restore.sdb --to {tmp}/dir --allow-fixed --yes", kExitError,
     Args{"which is replaced"}},
    {"unpack {tmp}/inside.sdb --to {tmp}/dir --allow-fixed --yes", kExitError, Args{"which is replaced"}},
    {"unpack {tmp}/good.sdb --to {tmp}/good.sdb --allow-fixed", kExitError, Args{"it is not a folder"}},
};

TEST_F(CliTransferTest, EachCommandLinePrintsExitsAndWritesAsItShould) {
    samples::SampleBackup esc;
    esc.folderNames = {"Folder"};
    esc.songs = {{1, 1, "Title\x1B]0;pwned\x07", {".SQT"}, 10}};
    samples::writeSampleBackup(esc, tmp / "esc");
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN6000, 4, {".SQT"}, 3'000'000),
                               tmp / "big");
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN6000, 1601, {".SQT"}, 1), tmp / "many");
    fs::copy(test::sampleDir("kn5000"), tmp / "locked");
    faulty.failOn(test::FsOp::OpenRead, "locked/00301.SQT", ErrorCode::PermissionDenied, "Permission denied");
    ASSERT_EQ(cli({"transfer", "{kn2000}", "--restore-file", "{tmp}/good.sdb"}).status, 0);
    restoreFileNaming("evil.sdb", "\\PRIVATE\\..\\..\\evil.txt");
    restoreFileNaming("keep.sdb", "\\keep.txt");
    restoreFileNaming("link.sdb", "\\lnk\\planted.txt");
    auto cut = test::readBytes(tmp / "good.sdb");
    cut[16 + 102] = 0x7F; // the first entry's length now runs far past the end
    test::writeBytes(tmp / "cut.sdb", cut);
    fs::create_directories(tmp / "odd");
    ASSERT_EQ(cli({"transfer", "{kn2000}", "--card", "{tmp}/odd", "--allow-fixed"}).status, 0);
    fs::remove(tmp / "odd/PRIVATE/TECHNICS/KN7000/TFLD001/010101__.CMP");
    test::writeBytes(tmp / "odd/PRIVATE/TECHNICS/KN7000/TFLD001/090999__.SQT", {1});
    fs::create_directories(tmp / "dir/PRIVATE/OLD");
    fs::create_directories(tmp / "elsewhere");
    test::writeBytes(tmp / "dir/keep.txt", {7});
#ifndef _WIN32
    fs::create_directories(tmp / "bad\xFFname");
    fs::create_directory_symlink(tmp / "elsewhere", tmp / "dir/lnk");
#endif
    fs::copy_file(tmp / "good.sdb", tmp / "dir/PRIVATE/Restore.sdb");
    fs::create_hard_link(tmp / "dir/PRIVATE/Restore.sdb", tmp / "inside.sdb");

    for (const Row& row : kRows) {
        SCOPED_TRACE(row.command + (" " + row.input));
        for (const char* folder : {"card", "sd", "used", "bad", "no"})
            fs::remove_all(tmp / folder);
        fs::remove(tmp / "o.sdb");
        fs::create_directories(tmp / "card");
        fs::create_directories(tmp / "sd");
        fs::create_directories(tmp / "used/PRIVATE/KEEPME");
        fs::create_directories(tmp / "bad/PRIVATE/TECHNICS/KN7000/TFLD001");
        test::writeBytes(tmp / "bad/PRIVATE/TECHNICS/KN7000/TFLD001/0100101_.SQT",
                         {1}); // no information file
        const auto before = snapshot(tmp.path());
        Args args;
        for (std::istringstream words(row.command); words >> args.emplace_back();)
            if (args.back() == "{empty}")
                args.back().clear();
        args.pop_back();
        const CliRun r = cli(args, row.input);
        EXPECT_EQ(r.status, row.status) << r.err;
        for (const std::string& piece : row.shows)
            EXPECT_NE((r.out + r.err).find(expand(piece)), std::string::npos) << r.out << r.err;
        EXPECT_EQ(snapshot(tmp.path()) != before, row.writes);
        EXPECT_EQ(r.out.find("[y/N]") != std::string::npos, expand(row.shows[0]) == "[y/N]") << "asked";
        EXPECT_TRUE(fs::is_directory(tmp / "used/PRIVATE/KEEPME") || row.input == "y\n");
        EXPECT_EQ(r.out.find('\x1B'), std::string::npos);
        EXPECT_TRUE(row.status == kExitUsage ||
                    std::string(row.command).find("--json") == std::string::npos ||
                    nlohmann::ordered_json::accept(r.out))
            << r.out;
    }
}

// Every sample, both outputs: the card and the restore file hold the same, inspect accepts
// both, and unpacking the restore file gives the card's tree.
TEST_F(CliTransferTest, CardAndRestoreFileOfEverySampleHoldTheSame) {
    for (const char* kind : {"kn2000", "kn3000", "kn5000", "kn6000"})
        for (const std::string order : {"standard", "alphabetical"}) {
            SCOPED_TRACE(kind + (" " + order));
            for (const char* folder : {"card", "unpacked"}) {
                fs::remove_all(tmp / folder);
                fs::create_directories(tmp / folder);
            }
            const std::string backup = pathToUtf8(test::sampleDir(kind));
            const CliRun file = cli({"transfer", backup, "--order", order, "--restore-file", "{tmp}/R.sdb"});
            const CliRun card =
                cli({"transfer", backup, "--order", order, "--card", "{tmp}/card", "--allow-fixed"});
            ASSERT_EQ(std::pair(file.status, card.status), std::pair(0, 0)) << file.err << card.err;
            EXPECT_EQ(file.out.substr(0, file.out.rfind("written")),
                      card.out.substr(0, card.out.rfind("written")));
            EXPECT_EQ(cli({"inspect", "{tmp}/R.sdb"}).status, 0);
            EXPECT_NE(cli({"inspect", "{tmp}/card", "--json"}).out.find("\"ok\": true"), std::string::npos);
            ASSERT_EQ(cli({"unpack", "{tmp}/R.sdb", "--to", "{tmp}/unpacked", "--allow-fixed"}).status, 0);
            EXPECT_EQ(test::fileTree(tmp / "unpacked"), test::fileTree(tmp / "card"));
        }
}

// Options mark and rename as clicks would: --only starts from nothing marked; a folder stays
// marked after its song was unmarked; a name is cut to 16 Windows-1252 characters.
TEST_F(CliTransferTest, OptionsMarkAndRenameAsClicksWould) {
    ASSERT_EQ(
        cli({"transfer", "{kn5000}", "--restore-file", "{tmp}/o.sdb", "--only", "00301", "--only", "00101",
             "--unmark", "00101", "--rename", "00301=Nuit bleue \xE2\x82\xAC \xE4\xB8\xAD and more"})
            .status,
        0);
    const CliRun inspect = cli({"inspect", "{tmp}/o.sdb", "--json"});
    const auto folders = nlohmann::ordered_json::parse(inspect.out)["info"]["folders"];
    ASSERT_EQ(folders.size(), 2u) << inspect.out;
    EXPECT_EQ(folders[0]["title"], "Ouvert\xC3\xBCre");
    EXPECT_TRUE(folders[0]["songs"].empty());
    EXPECT_EQ(folders[1]["title"], "My Folder");
    EXPECT_EQ(folders[1]["songs"][0]["name"], "Nuit bleue \xE2\x82\xAC ? a");

    // Standard output that cannot be written is an error, not an empty success.
    std::ostringstream out, err;
    out.setstate(std::ios::badbit);
    std::istringstream in;
    CliContext ctx{realFileSystem(), drives, out, err, in};
    EXPECT_EQ(runCli({"list", pathToUtf8(test::sampleDir("kn2000"))}, ctx), kExitError);
    EXPECT_NE(err.str().find("cannot write the standard output"), std::string::npos) << err.str();
}

// The progress line of transfer and unpack: drawn on standard error only when that is a
// terminal, never changing standard output or the files written, and left out with --quiet.
TEST_F(CliTransferTest, ProgressLineOnATerminalOnly) {
    // Standard output and error as terminals or not, or both on one screen.
    const auto run = [&](Args args, bool terminal, bool oneScreen, const fs::path& output) {
        std::ostringstream out, err;
        std::istringstream in;
        CliContext ctx{realFileSystem(), drives, out, oneScreen ? out : err, in, false, terminal, terminal};
        EXPECT_EQ(runCli(args, ctx), kExitOk) << err.str();
        return std::tuple(out.str(), err.str(), test::fileTree(output));
    };
    for (const char* folder : {"file", "card", "unpacked"})
        fs::create_directories(tmp / folder);
    const std::string backup = expand("{kn5000}"), restore = expand("{tmp}/file/R.sdb");
    for (const auto& [args, output, total] :
         {std::tuple{Args{"transfer", backup, "--restore-file", restore}, tmp / "file", "/8 songs  "},
          std::tuple{Args{"transfer", backup, "--card", expand("{tmp}/card"), "--allow-fixed", "--yes"},
                     tmp / "card", "/8 songs  "},
          std::tuple{Args{"unpack", restore, "--to", expand("{tmp}/unpacked"), "--allow-fixed", "--yes"},
                     tmp / "unpacked", "/17 files  "}}) {
        SCOPED_TRACE(args[0] + " " + args[2]);
        const auto [out, err, files] = run(args, false, false, output);
        const auto [drawnOut, drawn, drawnFiles] = run(args, true, false, output);
        EXPECT_EQ(std::tie(err, drawnOut, drawnFiles), std::tie("", out, files));
        // One line redrawn in place (never a line feed), blanked out at the end.
        EXPECT_NE(drawn.find(total), std::string::npos) << drawn;
        EXPECT_EQ(drawn.find('\n'), std::string::npos) << drawn;
        EXPECT_EQ(drawn.find_first_not_of(' ', drawn.rfind('\r', drawn.size() - 2) + 1), drawn.size() - 1)
            << drawn;
        // On one screen, what follows the progress line is its own erasing ("\r"), never a
        // song or file line written beside it.
        const std::string screen = std::get<0>(run(args, true, true, output));
        for (std::size_t at = screen.find(" left"); at != std::string::npos;
             at = screen.find(" left", at + 1))
            EXPECT_EQ(screen.at(screen.find_first_not_of(' ', at + 5)), '\r') << screen;
        // --quiet: the closing summary alone (no song or file line, which separate their columns
        // by two blanks), and no progress line.
        Args quietArgs = args;
        quietArgs.push_back("--quiet");
        const auto [quiet, quietErr, quietFiles] = run(quietArgs, true, false, output);
        EXPECT_EQ(quietErr, "");
        EXPECT_TRUE(out.ends_with(quiet) && quiet.find("written") != std::string::npos) << quiet;
        EXPECT_EQ(quiet.find("  "), std::string::npos) << quiet;
    }
}

// A run killed at any moment leaves the earlier restore file, or the complete new one, under
// the restore file's name; the next run clears what the killed one left.
TEST_F(CliTransferTest, KilledRunLeavesTheEarlierRestoreFile) {
#ifdef _WIN32
    GTEST_SKIP() << "kills a process with a POSIX signal";
#else
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN6000, 200, {".SQT"}, 50000), tmp / "big");
    const Args args = {"transfer", "{tmp}/big", "--restore-file", "{tmp}/Restore.sdb", "--card-size", "1024"};
    ASSERT_EQ(cli(args).status, 0);
    const auto earlier = test::readBytes(tmp / "Restore.sdb");
    for (const int delayMs : {5, 20, 60}) {
        const pid_t child = fork();
        if (child == 0) {
            ::dup2(::open("/dev/null", O_WRONLY), 1);
            execl(LIEDWERK_CLI_PATH, LIEDWERK_CLI_PATH, "transfer", expand(args[1]).c_str(), "--restore-file",
                  expand(args[3]).c_str(), "--card-size", "1024", static_cast<char*>(nullptr));
            _exit(127);
        }
        usleep(static_cast<useconds_t>(delayMs) * 1000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        // The same choices give the same bytes: an earlier file or a complete new one are alike.
        EXPECT_EQ(test::readBytes(tmp / "Restore.sdb"), earlier) << delayMs << " ms";
    }
    ASSERT_EQ(cli(args).status, 0);
    EXPECT_EQ(test::readBytes(tmp / "Restore.sdb"), earlier);
    EXPECT_FALSE(fs::exists(tmp / ".Restore.sdb.liedwerk-tmp"));
#endif
}

} // namespace
} // namespace lw
