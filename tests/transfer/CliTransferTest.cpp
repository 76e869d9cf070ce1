// liedwerk-cli transfer, inspect and unpack, run in-process with their own streams, and
// once as the real program onto a small file system that fills up.
#include "SampleBackup.h"
#include "cli/Cli.h"
#include "platform/Drives.h"
#include "platform/Path.h"
#include "support/FakeDrives.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CliTransferTest : public ::testing::Test {
protected:
    TempDir tmp;
    test::FakeDrives drives;

    CliRun cli(std::vector<std::string> args, const std::string& input = {}, bool terminal = false) {
        std::ostringstream out;
        std::ostringstream err;
        std::istringstream in(input);
        CliContext ctx{realFileSystem(), realProgramFolder(), out, err, in, terminal, &drives};
        CliRun r;
        r.status = runCli(args, ctx);
        r.out = out.str();
        r.err = err.str();
        return r;
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
        {"--only", "99999"},   {"--unmark", "0301"},   {"--unmark-folder", "121"}, {"--unmark-folder", "3"},
        {"--rename", "00101"}, {"--card-size", "100"}, {"--cluster-size", "1000"}, {"--layout", "zigzag"},
        {"--order", "random"}, {"--frobnicate"},
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
    EXPECT_TRUE(fs::exists(tmp / "card" / "PRIVATE" / "KEEPME"));
    EXPECT_EQ(cli(args, "y\n", true).status, 0);
    EXPECT_FALSE(fs::exists(tmp / "card" / "PRIVATE" / "KEEPME"));
}

TEST_F(CliTransferTest, TheBackupFolderIsNeverWrittenTo) {
    samples::writeSampleBackup(samples::shippedSamples()[2], tmp / "backup");
    const auto before = tree(tmp / "backup");
    const CliRun restore = cli({"transfer", at("backup"), "--restore-file", at("backup/Restore.sdb")});
    EXPECT_EQ(restore.status, kExitError);
    EXPECT_NE(restore.err.find("never written to"), std::string::npos) << restore.err;
    const CliRun card = cli({"transfer", at("backup"), "--card", at("backup"), "--allow-fixed", "--yes"});
    EXPECT_EQ(card.status, kExitError);
    fs::create_directories(tmp / "card" / "PRIVATE");
    fs::rename(tmp / "backup", tmp / "card" / "PRIVATE" / "backup");
    const CliRun inPrivate =
        cli({"transfer", at("card/PRIVATE/backup"), "--card", at("card"), "--allow-fixed", "--yes"});
    EXPECT_EQ(inPrivate.status, kExitError);
    EXPECT_EQ(tree(tmp / "card" / "PRIVATE" / "backup"), before);
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
}

// --- inspect and unpack on bad input ----------------------------------------------------

TEST_F(CliTransferTest, InspectReportsACorruptedRestoreFileWithTheOffset) {
    ASSERT_EQ(cli({"transfer", sample("kn2000"), "--restore-file", at("out.sdb")}).status, 0);
    auto bytes = test::readBytes(tmp / "out.sdb");
    bytes[16 + 102] = 0x7F; // the first entry's length field now runs far past the end
    test::writeBytes(tmp / "bad.sdb", bytes);
    const CliRun r = cli({"inspect", at("bad.sdb")});
    EXPECT_EQ(r.status, kExitError);
    EXPECT_NE(r.err.find("bad.sdb"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("16"), std::string::npos) << r.err;

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

TEST_F(CliTransferTest, UnpackRefusesEntriesThatLeaveTheTargetBeforeWritingAnything) {
    ASSERT_EQ(cli({"transfer", sample("kn2000"), "--restore-file", at("out.sdb")}).status, 0);
    auto bytes = test::readBytes(tmp / "out.sdb");
    const std::string evil = "\\PRIVATE\\..\\..\\evil.txt";
    std::copy(evil.begin(), evil.end(), bytes.begin() + 16 + 1 * 0); // the first entry's name
    bytes[16 + evil.size()] = 0;
    test::writeBytes(tmp / "evil.sdb", bytes);
    fs::create_directories(tmp / "target" / "PRIVATE");
    const CliRun r = cli({"unpack", at("evil.sdb"), "--to", at("target"), "--allow-fixed", "--yes"});
    EXPECT_EQ(r.status, kExitError);
    EXPECT_NE(r.err.find("would leave the target folder"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(tmp / "evil.txt"));
    EXPECT_TRUE(fs::is_directory(tmp / "target" / "PRIVATE")) << "nothing is touched before the check";
}

// --- The real program onto a file system that fills up ----------------------------------

TEST_F(CliTransferTest, RealProgramOntoAFillingFileSystem) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a Linux tmpfs";
#else
    if (geteuid() != 0)
        GTEST_SKIP()
            << "NOTICE: mounting a small tmpfs needs root; the full-card run of the real program was skipped";
    fs::create_directories(tmp / "card");
    if (mount("liedwerk-test", (tmp / "card").c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "NOTICE: cannot mount a tmpfs here (" << std::strerror(errno)
                     << "); full-card run skipped";
    struct Unmount {
        fs::path at;
        ~Unmount() { umount(at.c_str()); }
    } unmountLater{tmp / "card"};
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN6000, 12, {".SQT", ".LSW", ".ACT"}, 60000),
                               tmp / "big");
    const std::string command = std::string(LIEDWERK_CLI_PATH) + " transfer '" + at("big") + "' --card '" +
                                at("card") + "' --allow-fixed --yes > '" + at("log") + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string log = test::readText(tmp / "log");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitStoppedEarly) << log;
    EXPECT_NE(log.find("There is no free space on the SD card."), std::string::npos) << log;
    const CliRun inspected = cli({"inspect", at("card")});
    EXPECT_EQ(inspected.status, 0) << inspected.err << inspected.out;
#endif
}

} // namespace
} // namespace lw
