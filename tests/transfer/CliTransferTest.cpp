// liedwerk-cli transfer, inspect and unpack, run in-process with their own streams, and
// once as the real program onto a small file system that fills up.
#include "SampleBackup.h"
#include "cli/Cli.h"
#include "platform/Drives.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "support/FakeDrives.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

using test::CliRun;

class CliTransferTest : public ::testing::Test {
protected:
    TempDir tmp;
    test::FakeDrives drives;

    CliRun cli(const std::vector<std::string>& args, const std::string& input = {}, bool terminal = false) {
        return test::runCliInProcess(args, realFileSystem(), &drives, input, terminal);
    }

    std::string sample(const std::string& kind) { return pathToUtf8(test::sampleDir(kind)); }
    std::string at(const std::string& name) { return pathToUtf8(tmp / name); }

    // Every file below a folder with its bytes, by relative path.
    static std::map<std::string, std::vector<std::uint8_t>> tree(const fs::path& root) {
        std::map<std::string, std::vector<std::uint8_t>> out;
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.is_regular_file())
                out[fs::relative(e.path(), root).generic_string()] = test::readBytes(e.path());
        return out;
    }
};

// --- Every sample, both outputs ---------------------------------------------------------

class EverySample : public CliTransferTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(EverySample, CardAndRestoreFileHoldTheSameTreeAndInspectAcceptsBoth) {
    const std::string kind = GetParam();
    for (const std::string order : {"standard", "alphabetical"}) {
        SCOPED_TRACE(order);
        fs::remove_all(tmp / "card");
        fs::remove_all(tmp / "unpacked");
        fs::create_directories(tmp / "card");
        fs::create_directories(tmp / "unpacked");
        const CliRun toFile =
            cli({"transfer", sample(kind), "--order", order, "--restore-file", at("Restore.sdb")});
        ASSERT_EQ(toFile.status, 0) << toFile.err;
        const CliRun toCard =
            cli({"transfer", sample(kind), "--order", order, "--card", at("card"), "--allow-fixed", "--yes"});
        ASSERT_EQ(toCard.status, 0) << toCard.err;
        EXPECT_EQ(toFile.out.substr(0, toFile.out.rfind("written")),
                  toCard.out.substr(0, toCard.out.rfind("written")));

        EXPECT_EQ(cli({"inspect", at("Restore.sdb")}).status, 0);
        const CliRun card = cli({"inspect", at("card"), "--json"});
        EXPECT_EQ(card.status, 0) << card.err;
        EXPECT_NE(card.out.find("\"ok\": true"), std::string::npos);

        const CliRun unpacked = cli({"unpack", at("Restore.sdb"), "--to", at("unpacked"), "--allow-fixed"});
        ASSERT_EQ(unpacked.status, 0) << unpacked.err;
        EXPECT_EQ(tree(tmp / "unpacked"), tree(tmp / "card"));
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, EverySample, ::testing::Values("kn2000", "kn3000", "kn5000", "kn6000"));

TEST_F(CliTransferTest, PrintsOneLinePerHandledSongAndTheResult) {
    const CliRun r = cli({"transfer", sample("kn5000"), "--restore-file", at("out.sdb")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("TFLD001/0100101_  OK  Auf der Alm\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("TFLD004/0900509_  not found  Missing Files So\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("7 songs written to the restore file "), std::string::npos) << r.out;
}

// --- Choosing and renaming songs ------------------------------------------------------

TEST_F(CliTransferTest, OptionsMarkAndRenameAsClicksWould) {
    const CliRun ok = cli({"transfer", sample("kn5000"), "--restore-file", at("out.sdb"), "--only", "00301",
                           "--only", "00101", "--unmark", "00101", "--rename",
                           "00301=Nuit bleue \xE2\x82\xAC \xE4\xB8\xAD and more"});
    ASSERT_EQ(ok.status, 0) << ok.err;
    const CliRun inspect = cli({"inspect", at("out.sdb"), "--json"});
    ASSERT_EQ(inspect.status, 0) << inspect.err;
    // Folder 001 stays marked after its song was unmarked: an empty, titled first folder.
    // The euro sign is a Windows-1252 byte, the CJK character becomes "?", and the name
    // is cut to 16 characters.
    EXPECT_NE(inspect.out.find(
                  "{\"number\": 1, \"folder\": \"TFLD001\", \"title\": \"Ouvert\xC3\xBCre\", \"songs\": []}"),
              std::string::npos)
        << inspect.out;
    EXPECT_NE(inspect.out.find("\"title\": \"My Folder\""), std::string::npos) << inspect.out;
    EXPECT_NE(inspect.out.find("\"name\": \"Nuit bleue \xE2\x82\xAC ? a\""), std::string::npos)
        << inspect.out;
    EXPECT_EQ(inspect.out.find("Auf der Alm"), std::string::npos) << inspect.out;
}

TEST_F(CliTransferTest, UnknownRowsAndBadValuesAreUsageErrorsThatWriteNothing) {
    const std::vector<std::vector<std::string>> bad = {
        {"--only", "99999"},
        {"--unmark", "0301"},
        {"--unmark-folder", "121"},
        {"--unmark-folder", "3"},
        {"--unmark-folder", "0003"},
        {"--rename", "00101"},
        {"--card-size", "100"},
        {"--cluster-size", "1000"},
        {"--layout", "zigzag"},
        {"--order", "random"},
        {"--frobnicate"},
        {"-x"},
    };
    for (const auto& extra : bad) {
        std::vector<std::string> args = {"transfer", sample("kn5000"), "--restore-file", at("out.sdb")};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliRun r = cli(args);
        EXPECT_EQ(r.status, kExitUsage) << extra[0];
        EXPECT_EQ(r.err.rfind("liedwerk-cli: ", 0), 0u) << r.err;
        EXPECT_FALSE(fs::exists(tmp / "out.sdb")) << extra[0];
    }
    fs::create_directories(tmp / "card");
    EXPECT_EQ(cli({"transfer", sample("kn5000"), "--card", at("card"), "--card-size", "64"}).status,
              kExitUsage);
    EXPECT_EQ(cli({"transfer", sample("kn5000")}).status, kExitUsage);
    EXPECT_EQ(cli({"transfer", sample("kn5000"), "--restore-file", ""}).status, kExitUsage);
    EXPECT_EQ(cli({"transfer", sample("kn5000"), "--card", at("card"), "--restore-file", at("x")}).status,
              kExitUsage);
    EXPECT_TRUE(fs::is_empty(tmp / "card"));
}

TEST_F(CliTransferTest, NoMarkedSongWritesNothingAtAll) {
    fs::create_directories(tmp / "card");
    const CliRun r =
        cli({"transfer", sample("kn2000"), "--card", at("card"), "--allow-fixed", "--unmark-folder", "001",
             "--unmark-folder", "002", "--unmark-folder", "003", "--unmark-folder", "005"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("nothing was written"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(tmp / "card"));
}

// --- Card mode's guards ---------------------------------------------------------------

TEST_F(CliTransferTest, CardModeRefusesAFolderThatIsNoRemovableMedium) {
    fs::create_directories(tmp / "card");
    const CliRun fixed = cli({"transfer", sample("kn5000"), "--card", at("card"), "--yes"});
    EXPECT_EQ(fixed.status, kExitError);
    EXPECT_NE(fixed.err.find("--allow-fixed"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(tmp / "card"));

    drives.drives = {{at("card"), tmp / "card", DriveType::Removable, "SDCARD"}};
    const CliRun removable = cli({"transfer", sample("kn5000"), "--card", at("card"), "--yes"});
    EXPECT_EQ(removable.status, 0) << removable.err;

    const CliRun missing = cli({"transfer", sample("kn5000"), "--card", at("nowhere"), "--allow-fixed"});
    EXPECT_EQ(missing.status, kExitError);
    EXPECT_FALSE(fs::exists(tmp / "nowhere"));
}

TEST_F(CliTransferTest, ExistingPrivateFolderIsReplacedOnlyWhenAllowed) {
    fs::create_directories(tmp / "card" / "PRIVATE" / "KEEPME");
    const auto args =
        std::vector<std::string>{"transfer", sample("kn5000"), "--card", at("card"), "--allow-fixed"};
    EXPECT_EQ(cli(args).status, kExitError);              // no terminal: no
    EXPECT_EQ(cli(args, "n\n", true).status, kExitError); // the user says no
    EXPECT_EQ(cli(args, "\n", true).status, kExitError);  // or just presses Enter
    EXPECT_TRUE(fs::exists(tmp / "card" / "PRIVATE" / "KEEPME"));
    EXPECT_EQ(cli(args, "y\n", true).status, 0);
    EXPECT_FALSE(fs::exists(tmp / "card" / "PRIVATE" / "KEEPME"));
}

TEST_F(CliTransferTest, AnOutputThatWouldTouchTheBackupIsRefusedBeforeAnyQuestion) {
    samples::writeSampleBackup(samples::shippedSamples()[2], tmp / "backup");
    const auto before = tree(tmp / "backup");
    const CliRun restore = cli({"transfer", at("backup"), "--restore-file", at("backup/Restore.sdb")});
    EXPECT_EQ(restore.status, kExitError);
    EXPECT_NE(restore.err.find("this is the backup folder, which is never written to"), std::string::npos)
        << restore.err;
    const CliRun card = cli({"transfer", at("backup"), "--card", at("backup"), "--allow-fixed"}, "y\n", true);
    EXPECT_EQ(card.status, kExitError);
    EXPECT_EQ(card.out, "") << "no question is asked";
    EXPECT_EQ(tree(tmp / "backup"), before);
}

TEST_F(CliTransferTest, RestoreFileNeedsAnExistingFolder) {
    const CliRun r = cli({"transfer", sample("kn5000"), "--restore-file", at("no/such/Restore.sdb")});
    EXPECT_EQ(r.status, kExitError);
    EXPECT_NE(r.err.find("does not exist"), std::string::npos);
}

TEST_F(CliTransferTest, SmallSimulatedCardStopsEarlyWithStatusThree) {
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN6000, 4, {".SQT"}, 3'000'000),
                               tmp / "big");
    const CliRun r = cli({"transfer", at("big"), "--restore-file", at("out.sdb"), "--card-size", "8"});
    EXPECT_EQ(r.status, kExitStoppedEarly) << r.err;
    EXPECT_NE(r.out.find("There is no free space on the SD card."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("TFLD001/0200102_  not transferred"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 song written"), std::string::npos) << r.out;
    EXPECT_EQ(cli({"inspect", at("out.sdb")}).status, 0);

    // 101 folders of songs: the hundredth folder row stops the run, which is status 3 too.
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN6000, 1601, {".SQT"}, 1), tmp / "many");
    const CliRun folders = cli({"transfer", at("many"), "--restore-file", at("many.sdb")});
    EXPECT_EQ(folders.status, kExitStoppedEarly) << folders.err;
    EXPECT_NE(folders.out.find("with 99 directories is reached"), std::string::npos);
}

// --- inspect and unpack on bad input ----------------------------------------------------

TEST_F(CliTransferTest, InspectReportsACorruptedRestoreFileWithTheOffset) {
    ASSERT_EQ(cli({"transfer", sample("kn2000"), "--restore-file", at("out.sdb")}).status, 0);
    auto bytes = test::readBytes(tmp / "out.sdb");
    bytes[16 + 102] = 0x7F; // the first entry's length field now runs far past the end
    test::writeBytes(tmp / "bad.sdb", bytes);
    const CliRun r = cli({"inspect", at("bad.sdb")});
    EXPECT_EQ(r.status, kExitError);
    EXPECT_NE(r.err.find("bad.sdb: at byte 116: the entry"), std::string::npos) << r.err;

    const CliRun missingSong = [&] {
        fs::create_directories(tmp / "card");
        cli({"transfer", sample("kn2000"), "--card", at("card"), "--allow-fixed", "--yes"});
        fs::remove(tmp / "card" / "PRIVATE" / "TECHNICS" / "KN7000" / "TFLD001" / "010101__.CMP");
        test::writeBytes(tmp / "card" / "PRIVATE" / "TECHNICS" / "KN7000" / "TFLD001" / "090999__.SQT", {1});
        return cli({"inspect", at("card")});
    }();
    EXPECT_EQ(missingSong.status, kExitError);
    EXPECT_NE(missingSong.err.find("010101__.CMP: listed in the information file but missing"),
              std::string::npos)
        << missingSong.err;
    EXPECT_NE(missingSong.err.find("090999__.SQT: a song file that no entry"), std::string::npos)
        << missingSong.err;
}

// Every refusal of unpack comes before anything in the folder is deleted or written.
TEST_F(CliTransferTest, UnpackRefusesWhatWouldHarmTheFolderBeforeTouchingIt) {
    ASSERT_EQ(cli({"transfer", sample("kn2000"), "--restore-file", at("good.sdb")}).status, 0);
    const auto withFirstEntry = [&](const std::string& name) {
        auto bytes = test::readBytes(tmp / "good.sdb");
        std::fill_n(bytes.begin() + 16, 100, std::uint8_t{0});
        std::copy(name.begin(), name.end(), bytes.begin() + 16);
        test::writeBytes(tmp / "hostile.sdb", bytes);
        return at("hostile.sdb");
    };
    struct Case {
        const char* what;
        std::function<std::string()> arrange; // returns the restore file to unpack
        const char* message;
    };
    const std::vector<Case> cases = {
        {"a name leaving the folder", [&] { return withFirstEntry("\\PRIVATE\\..\\..\\evil.txt"); },
         "has no safe place"},
        {"a file outside PRIVATE that exists",
         [&] {
             test::writeBytes(tmp / "dir" / "keep.txt", {7});
             return withFirstEntry("\\keep.txt");
         },
         "would replace this file outside PRIVATE"},
#ifndef _WIN32
        {"a link already in the folder",
         [&] {
             fs::create_directory_symlink(tmp / "elsewhere", tmp / "dir" / "lnk");
             return withFirstEntry("\\lnk\\planted.txt");
         },
         "would pass through this link"},
#endif
        {"the restore file inside the PRIVATE it replaces",
         [&] {
             fs::copy_file(tmp / "good.sdb", tmp / "dir" / "PRIVATE" / "Restore.sdb");
             return at("dir/PRIVATE/Restore.sdb");
         },
         "which is replaced"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(tmp / "dir");
        fs::remove_all(tmp / "elsewhere");
        fs::create_directories(tmp / "dir" / "PRIVATE" / "OLD");
        fs::create_directories(tmp / "elsewhere");
        const std::string file = c.arrange();
        const auto before = tree(tmp / "dir");
        const CliRun r = cli({"unpack", file, "--to", at("dir"), "--allow-fixed", "--yes"});
        EXPECT_EQ(r.status, kExitError);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << r.err;
        EXPECT_EQ(tree(tmp / "dir"), before);
        EXPECT_TRUE(fs::is_directory(tmp / "dir" / "PRIVATE" / "OLD"));
        EXPECT_TRUE(fs::is_empty(tmp / "elsewhere"));
    }
    const CliRun toAFile = cli({"unpack", at("good.sdb"), "--to", at("good.sdb"), "--allow-fixed"});
    EXPECT_NE(toAFile.err.find("it is not a folder"), std::string::npos) << toAFile.err;
}

// --- What the command line shows -----------------------------------------------------------

TEST_F(CliTransferTest, ControlCharactersAreShownEscapedAndJsonIsValidUtf8) {
    samples::SampleBackup b;
    b.kind = KeyboardKind::KN5000;
    b.folderNames = {"Folder"};
    b.songs = {{1, 1, "Title\x1B]0;pwned\x07", {".SQT"}, 10}, {1, 2, "Two\nLines", {".SQT"}, 10}};
    samples::writeSampleBackup(b, tmp / "backup");
    const CliRun text = cli({"list", at("backup")});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Title\\x1B]0;pwned\\x07"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Two\\x0ALines"), std::string::npos) << text.out;
    EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), 1 + 120 + 2) << "one line per row";
    const CliRun transfer = cli({"transfer", at("backup"), "--restore-file", at("out.sdb")});
    EXPECT_EQ(transfer.out.find('\x1B'), std::string::npos) << transfer.out;

    const CliRun json = cli({"list", at("backup"), "--json"});
    const auto doc = nlohmann::ordered_json::parse(json.out);
    EXPECT_EQ(doc["rows"][2]["text"], "Two\nLines");
#ifndef _WIN32
    fs::create_directories(tmp / "bad\xFFname");
    const CliRun inspect = cli({"inspect", at("bad\xFFname"), "--json"});
    EXPECT_EQ(inspect.status, kExitError);
    EXPECT_TRUE(nlohmann::ordered_json::accept(inspect.out)) << inspect.out;
    EXPECT_NE(inspect.err.find("bad\\xFFname"), std::string::npos) << inspect.err;
#endif
}

TEST_F(CliTransferTest, CommandLineBasics) {
    const CliRun none = cli({});
    EXPECT_EQ(none.status, kExitUsage);
    EXPECT_EQ(none.err.rfind("liedwerk-cli: no command given\nusage: liedwerk-cli COMMAND", 0), 0u)
        << none.err;
    for (const char* command : {"list", "transfer", "inspect", "unpack"}) {
        const CliRun help = cli({command, "-h"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("usage: liedwerk-cli ") + command, 0), 0u) << help.out;
    }
    fs::create_directories(tmp / "-odd");
    fs::copy(test::sampleDir("kn2000"), tmp / "-odd");
    fs::current_path(tmp.path());
    EXPECT_EQ(cli({"list", "--", "-odd"}).status, 0) << "-- ends the options";
    fs::current_path(test::sourceDir());

    // Output that cannot be written is an error, not an empty success.
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    std::istringstream in;
    CliContext ctx{realFileSystem(), drives, out, err, in};
    EXPECT_EQ(runCli({"list", sample("kn2000")}, ctx), kExitError);
    EXPECT_NE(err.str().find("cannot write the standard output"), std::string::npos) << err.str();
}

TEST_F(CliTransferTest, AFailureIsOneLineThatSaysWhatFileAndWhy) {
    test::FaultyFileSystem faulty;
    faulty.failOn(test::FsOp::OpenRead, "00301.SQT", ErrorCode::PermissionDenied, "Permission denied");
    const CliRun r =
        test::runCliInProcess({"transfer", sample("kn5000"), "--restore-file", at("out.sdb")}, faulty);
    EXPECT_EQ(r.status, kExitError);
    EXPECT_EQ(r.err, "liedwerk-cli: cannot read the song file " +
                         pathToUtf8(test::sampleDir("kn5000") / "00301.SQT") + ": Permission denied\n");
    EXPECT_EQ(cli({"inspect", at("out.sdb")}).status, 0) << "the stopped run's restore file is complete";
}

// --- The real program onto a file system that fills up ----------------------------------

[[maybe_unused]] std::string shell(const std::vector<std::string>& words) {
    std::string command;
    for (const auto& w : words)
        command += "'" + w + "' ";
    return command;
}

// The real program onto small file systems at several levels of free space: a full card is
// a stop (status 3) and the card stays readable; never a cut-off information file.
TEST_F(CliTransferTest, RealProgramOntoNearlyFullFileSystems) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a Linux tmpfs";
#else
    if (geteuid() != 0)
        GTEST_SKIP() << "NOTICE: mounting a small tmpfs needs root; the full-card runs of the real program "
                        "were skipped";
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN6000, 12, {".SQT", ".LSW", ".ACT"}, 20000),
                               tmp / "big");
    fs::create_directories(tmp / "card");
    for (const char* size : {"56k", "64k", "80k", "116k", "300k", "1m"}) {
        SCOPED_TRACE(size);
        if (mount("liedwerk-test", (tmp / "card").c_str(), "tmpfs", 0,
                  (std::string("size=") + size).c_str()) != 0)
            GTEST_SKIP() << "NOTICE: cannot mount a tmpfs here (" << std::strerror(errno)
                         << "); full-card runs skipped";
        const int status = std::system((shell({LIEDWERK_CLI_PATH, "transfer", at("big"), "--card", at("card"),
                                               "--allow-fixed", "--yes"}) +
                                        "> '" + at("log") + "' 2>&1")
                                           .c_str());
        const std::string log = test::readText(tmp / "log");
        const bool stopped = WIFEXITED(status) && WEXITSTATUS(status) == kExitStoppedEarly;
        EXPECT_TRUE(stopped ||
                    (WIFEXITED(status) && WEXITSTATUS(status) == kExitOk && std::string(size) == "1m"))
            << log;
        const CliRun inspected = cli({"inspect", at("card")});
        EXPECT_EQ(inspected.status, 0) << inspected.err << log;
        umount((tmp / "card").c_str());
    }
#endif
}

// A run killed at any moment leaves the earlier restore file, or the complete new one,
// under the restore file's name; the next run clears what the killed one left.
TEST_F(CliTransferTest, KilledRunLeavesTheEarlierRestoreFile) {
#ifdef _WIN32
    GTEST_SKIP() << "kills a process with a POSIX signal";
#else
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN6000, 200, {".SQT"}, 50000), tmp / "big");
    const std::vector<std::string> args = {"transfer",        at("big"),     "--restore-file",
                                           at("Restore.sdb"), "--card-size", "1024"};
    ASSERT_EQ(cli(args).status, 0);
    const auto earlier = test::readBytes(tmp / "Restore.sdb");
    for (const int delayMs : {5, 20, 60}) {
        const pid_t child = fork();
        if (child == 0) {
            const int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, 1);
            execl(LIEDWERK_CLI_PATH, LIEDWERK_CLI_PATH, "transfer", at("big").c_str(), "--restore-file",
                  at("Restore.sdb").c_str(), "--card-size", "1024", static_cast<char*>(nullptr));
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
