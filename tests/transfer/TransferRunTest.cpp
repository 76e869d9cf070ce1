// The transfer run end to end over real files in a temporary folder: the card tree and the
// restore file it writes, its stops, and how it meets failing media, links, FIFOs, nearly
// full cards and a second run on the same output.
#include "card/TransferRun.h"
#include "RecordingFrontEnd.h"
#include "SampleBackup.h"
#include "card/CardCheck.h"
#include "card/CardLayout.h"
#include "card/InfoFile.h"
#include "card/RestoreFileReader.h"
#include "platform/Path.h"
#include "support/FaultyFileSystem.h"
#include "support/SpanInputFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::FaultyFileSystem;
using test::FsOp;
using test::RecordingFrontEnd;
using Names = std::vector<std::string>;

fs::path kn7000Of(const fs::path& card) {
    return card / "PRIVATE" / "TECHNICS" / "KN7000";
}

class TransferRunTest : public ::testing::Test {
public:
    test::TempDir tmp;
    FaultyFileSystem fs;
    WorkingList list;
    RecordingFrontEnd frontEnd;
    std::string backupPath;
    bool card = false; // what the last run wrote to

    void load(const samples::SampleBackup& backup, ListOrder order = ListOrder::Standard) {
        list = WorkingList();
        frontEnd = RecordingFrontEnd();
        fs::remove_all(tmp / "backup");
        samples::writeSampleBackup(backup, tmp / "backup");
        const Recognition r = recognizeBackup(fs, pathToUtf8(tmp / "backup"));
        auto tables = readBackupTables(fs, *r.format, r.directory);
        ASSERT_TRUE(tables.isOk());
        if (order == ListOrder::Standard)
            list.Liste_erstellen(*r.format, tables->folders, tables->songs);
        else
            list.Liste_erstellen_Alphabetisch(*r.format, tables->songs);
        backupPath = r.directory.backupPath();
    }
    // n songs in place order, each with `files` of `bytes` bytes.
    void loadSongs(int n, std::vector<std::string> files = {".SQT"}, std::size_t bytes = 10,
                   ListOrder order = ListOrder::Standard) {
        load(samples::fullBackup(KeyboardKind::KN6000, n, files, bytes), order);
    }

    TransferSetup restoreSetup(CardOrder order, std::int32_t capacity = 999910000,
                               std::int32_t cluster = 16384) {
        TransferSetup s;
        s.order = order;
        s.restoreFile = tmp / "RestorSDB" / "Restore.sdb";
        s.recreateRestoreFolder = true;
        s.restoreLocationText = pathToUtf8(tmp.path());
        s.cardCapacity = capacity;
        s.clusterSize = cluster;
        return s;
    }
    TransferSetup cardSetup(CardOrder order) {
        fs::create_directories(tmp / "card");
        TransferSetup s;
        s.mode = OutputMode::Card;
        s.order = order;
        s.cardRoot = tmp / "card";
        s.cardRootText = withTrailingSeparator(pathToUtf8(tmp / "card"));
        return s;
    }
    RunResult runWith(const TransferSetup& setup) {
        card = setup.mode == OutputMode::Card;
        TransferRun run(fs, list, frontEnd);
        return run.run(setup, backupPath);
    }
    RunResult runRestore(CardOrder order = CardOrder::Sequential, std::int32_t capacity = 999910000,
                         std::int32_t cluster = 16384) {
        return runWith(restoreSetup(order, capacity, cluster));
    }
    RunResult runCard(CardOrder order = CardOrder::Sequential) { return runWith(cardSetup(order)); }

    // What the last run wrote: the restore file's entry names, or the files below the card's
    // KN7000 folder as "TFLD001/0100101_.SQT", sorted.
    Names written() {
        Names out;
        if (card) {
            for (const auto& e : fs::recursive_directory_iterator(kn7000Of(tmp / "card")))
                if (e.is_regular_file())
                    out.push_back(fs::relative(e.path(), kn7000Of(tmp / "card")).generic_string());
            std::sort(out.begin(), out.end());
            return out;
        }
        const auto bytes = test::readBytes(tmp / "RestorSDB" / "Restore.sdb");
        SpanInputFile in(bytes);
        auto contents = readRestoreContents(in, "Restore.sdb");
        EXPECT_TRUE(contents.isOk()) << contents.status().toString();
        for (const auto& e : contents ? contents->entries : std::vector<RestoreEntry>{})
            out.push_back(e.name);
        return out;
    }
    DecodedInfoFile info() {
        const auto bytes = card ? test::readBytes(kn7000Of(tmp / "card") / "KN7000MN.INF")
                                : test::readBytes(tmp / "RestorSDB" / "Restore.sdb");
        auto decoded = decodeInfoFile(std::span(bytes).last(std::min(bytes.size(), kInfSize)));
        EXPECT_TRUE(decoded.isOk()) << decoded.status().toString();
        return decoded.isOk() ? *decoded : DecodedInfoFile{};
    }
    Names titles() {
        Names out;
        for (const auto& f : info().folders)
            out.push_back(f.title + "/" + std::to_string(f.songs.size()));
        return out;
    }
};

std::string entry(int folder, const std::string& file) {
    return restoreFolderPath(folder) + "\\" + file;
}

// --- The two orders -------------------------------------------------------------------------

TEST_F(TransferRunTest, SequentialOrderFillsFoldersOfTwenty) {
    loadSongs(45);
    const RunResult r = runRestore();
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    const Names names = written();
    ASSERT_EQ(names.size(), 46u);
    // Song 20 is folder 2 place 4 of the backup; the information file comes last.
    EXPECT_EQ((Names{names[0], names[19], names[20], names[44], names[45]}),
              (Names{entry(1, "0100101_.SQT"), entry(1, "2000204_.SQT"), entry(2, "0100205_.SQT"),
                     entry(3, "0500313_.SQT"), std::string(kInfEntryName)}));
    EXPECT_EQ(titles(), (Names{"Direktory 01/20", "Directory 02/20", "Directory 03/5"}));
    EXPECT_EQ(list.selectedCount(), 0);
    EXPECT_EQ(std::make_pair(frontEnd.lastProgress, frontEnd.progressMaximum), std::make_pair(45, 45));

    // Twenty songs and one more row: a second folder, titled though empty.
    loadSongs(21);
    list.setMarkByUser(*list.findSong("00205"), false);
    runRestore();
    EXPECT_EQ(titles(), (Names{"Direktory 01/20", "Directory 02/0"}));

    // An alphabetical list is written in sequence whatever the option says.
    loadSongs(3, {".SQT"}, 10, ListOrder::Alphabetical);
    runRestore(CardOrder::KeepStructure);
    EXPECT_EQ(titles(), (Names{"Direktory 01/3"}));
}

TEST_F(TransferRunTest, SongWithoutFilesGivesItsSlotToTheNextAndStaysMarked) {
    auto backup = samples::fullBackup(KeyboardKind::KN6000, 5, {".SQT"}, 10);
    backup.songs[2].extensions.clear();
    load(backup);
    const RunResult r = runRestore();
    EXPECT_EQ(std::make_pair(r.transferred, r.notFound), std::make_pair(4, 1));
    EXPECT_EQ(written()[2], entry(1, "0300104_.SQT"));
    const ListRow& missing = list.row(*list.findSong("00103"));
    EXPECT_TRUE(missing.marked);
    EXPECT_EQ(missing.resultMessage, 56);
    EXPECT_EQ(list.selectedCount(), 1);
}

TEST_F(TransferRunTest, KeepStructureNumbersMarkedFoldersAndKeepsGaps) {
    samples::SampleBackup b;
    b.kind = KeyboardKind::KN5000;
    b.folderNames = {"One", "Two", "Three"};
    b.songs = {{1, 1, "A", {".SQT"}, 10},
               {1, 2, "B", {".SQT"}, 10},
               {1, 5, "C", {".SQT"}, 10},
               {2, 1, "D", {".SQT"}, 10},
               {3, 3, "E", {".SQT", ".ACT"}, 10}};
    load(b);
    list.setMarkByUser(*list.findFolder("002"), false);
    runCard(CardOrder::KeepStructure);
    EXPECT_EQ(written(), (Names{"KN7000MN.INF", "TFLD001/0100101_.SQT", "TFLD001/0200102_.SQT",
                                "TFLD001/0500105_.SQT", "TFLD002/0300303_.ACT", "TFLD002/0300303_.SQT"}));
    EXPECT_EQ(titles(), (Names{"One/3", "Three/1"}));
    EXPECT_EQ(info().folders[1].songs.at(0).slot, 2);
    EXPECT_EQ(info().folders[1].songs.at(0).secondMask, 32);

    // A marked folder whose songs are all unmarked still gives a titled folder.
    loadSongs(17);
    list.setMarkByUser(*list.findFolder("001"), false);
    list.setMarkByUser(*list.findSong("00102"), true);
    list.setMarkByUser(*list.findSong("00102"), false);
    runCard(CardOrder::KeepStructure);
    EXPECT_EQ(written(), (Names{"KN7000MN.INF", "TFLD002/0100201_.SQT"}));
    EXPECT_EQ(titles(), (Names{"Folder 1/0", "Folder 2/1"}));
}

// --- Stops: 99 folders, a full card, cancel -----------------------------------------------

TEST_F(TransferRunTest, NinetyNineFoldersStopBothOrders) {
    loadSongs(1981); // the row after 99 full folders
    RunResult r = runRestore();
    EXPECT_EQ(std::make_pair(r.outcome, r.transferred), std::make_pair(RunOutcome::FoldersUsedUp, 1980));
    EXPECT_EQ(frontEnd.messageNumbers(), (std::vector<int>{54, 62}));
    const Names names = written();
    EXPECT_EQ(names[1979], entry(99, "2012412_.SQT"));
    EXPECT_EQ(
        std::count_if(names.begin(), names.end(), [](const auto& n) { return n.find("TFLD100") != n.npos; }),
        0);

    loadSongs(2);
    list.pressAllMarks();
    list.pressAllMarks(); // all 240 folder rows marked: the hundredth stops
    r = runCard(CardOrder::KeepStructure);
    EXPECT_EQ(r.outcome, RunOutcome::FoldersUsedUp);
    EXPECT_EQ(frontEnd.messageNumbers(), (std::vector<int>{46, 65}));
    EXPECT_TRUE(fs::is_directory(kn7000Of(tmp / "card") / "TFLD099"));
    EXPECT_FALSE(fs::exists(kn7000Of(tmp / "card") / "TFLD100"));
}

TEST_F(TransferRunTest, FullCardsStopAndDropTheSongThatDidNotFit) {
    // The simulated card: 40000 bytes left after the three card folders and the first song folder.
    loadSongs(3, {".SQT"}, 10000);
    RunResult r = runRestore(CardOrder::Sequential, 40000 + 4 * 16384, 16384);
    EXPECT_EQ(std::make_pair(r.outcome, r.transferred), std::make_pair(RunOutcome::OutputFull, 1));
    EXPECT_EQ(frontEnd.messageNumbers(), (std::vector<int>{57, 62}));
    EXPECT_EQ(written().back(), kInfEntryName);
    EXPECT_EQ(titles(), Names{"Direktory 01/1"});
    EXPECT_TRUE(list.row(*list.findSong("00102")).marked);

    // A real card with room for the first song and the second's first group, not its .ACT.
    loadSongs(3, {".SQT", ".LSW", ".ACT"}, 20000);
    fs.setCapacity(kInfSize + 5 * 20000 + 10000);
    r = runCard();
    EXPECT_EQ(r.outcome, RunOutcome::OutputFull);
    EXPECT_EQ(frontEnd.messageNumbers(), (std::vector<int>{78, 65}));
    EXPECT_EQ(written(), (Names{"KN7000MN.INF", "TFLD001/0100101_.ACT", "TFLD001/0100101_.LSW",
                                "TFLD001/0100101_.SQT"}));

    // A card that reports "no space" in the middle of a file is a full card too.
    fs::remove_all(tmp / "card");
    loadSongs(3, {".SQT"}, 5000);
    fs.setFreeSpace(1'000'000'000);
    fs.failWriteAfter("0200102_.SQT", 1000);
    r = runCard();
    EXPECT_EQ(r.outcome, RunOutcome::OutputFull);
    EXPECT_EQ(written(), (Names{"KN7000MN.INF", "TFLD001/0100101_.SQT"}));
    EXPECT_EQ(titles(), Names{"Direktory 01/1"});
}

// At every level of free space, with small and large clusters, the card ends as the keyboard
// can read it: the information file whole and agreeing with the files, or (when not even it
// fits) none at all.
TEST_F(TransferRunTest, NearlyFullCardEndsReadableAtEveryLevel) {
    for (const std::uint64_t unit : {std::uint64_t{2048}, std::uint64_t{32768}})
        for (std::uint64_t free = 0; free <= 10 * unit + 65536; free += unit) {
            SCOPED_TRACE("cluster " + std::to_string(unit) + ", free " + std::to_string(free));
            fs::remove_all(tmp / "card");
            loadSongs(3, {".SQT", ".ACT"}, 5000);
            const TransferSetup setup = cardSetup(CardOrder::Sequential);
            fs.setCapacity(free, unit);
            const RunResult r = runWith(setup);
            if (r.outcome == RunOutcome::Aborted) {
                EXPECT_EQ(r.error.code(), ErrorCode::NoSpace) << r.error.toString();
                EXPECT_FALSE(fs::exists(kn7000Of(tmp / "card") / "KN7000MN.INF"));
                continue;
            }
            EXPECT_EQ(r.outcome == RunOutcome::OutputFull ? 78 : 65, frontEnd.messageNumbers().front());
            const CardCheck check = checkCard(fs, tmp / "card");
            EXPECT_TRUE(check.agrees()) << check.infoError.toString();
            EXPECT_EQ(check.songCount(), r.transferred);
        }
}

TEST_F(TransferRunTest, CancelAfterTheFifthSongKeepsWhatWasWrittenAndNoGoesOn) {
    loadSongs(8);
    TransferRun run(fs, list, frontEnd);
    frontEnd.onEvents = [&](int handled) {
        if (handled == 5)
            frontEnd.cancel = true;
    };
    card = true;
    EXPECT_EQ(run.run(cardSetup(CardOrder::Sequential), backupPath).outcome, RunOutcome::Cancelled);
    EXPECT_EQ(frontEnd.cancelQuestions, std::vector<int>{60});
    EXPECT_EQ(titles(), Names{"Direktory 01/5"});
    EXPECT_EQ(written().size(), 6u);
    EXPECT_EQ(list.selectedCount(), 3);

    // No goes on; a press left from before the run is forgotten.
    loadSongs(4);
    frontEnd.answerCancel = false;
    TransferRun again(fs, list, frontEnd);
    frontEnd.onEvents = [&](int handled) {
        if (handled == 1)
            frontEnd.cancel = true;
    };
    frontEnd.cancel = true;
    EXPECT_EQ(again.run(restoreSetup(CardOrder::KeepStructure), backupPath).outcome, RunOutcome::Completed);
    EXPECT_EQ(frontEnd.cancelQuestions, std::vector<int>{52});
}

// --- Failing media: each fault reported once, naming its file and the step ------------------

struct FaultCase {
    const char* name;
    bool card;
    std::function<void(FaultyFileSystem&)> fault;
    RunOutcome outcome;
    RunStep step;
    const char* failingFile; // a piece of the reported path
    bool cardAdvice;         // the report advises to check the card
    std::size_t songsListed; // by the output's information file afterwards
};

class TransferFaults : public TransferRunTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(TransferFaults, AreReportedOnceAndLeaveAReadableOutput) {
    const FaultCase& c = GetParam();
    loadSongs(25, {".SQT", ".LSW"}, 10000);
    fs::create_directories(tmp / "RestorSDB");
    test::writeBytes(tmp / "RestorSDB" / "Restore.sdb", {1, 2, 3}); // an earlier restore file
    const TransferSetup setup =
        c.card ? cardSetup(CardOrder::Sequential) : restoreSetup(CardOrder::Sequential);
    c.fault(fs);
    const RunResult r = runWith(setup);
    EXPECT_EQ(std::make_pair(r.outcome, r.step), std::make_pair(c.outcome, c.step));
    EXPECT_NE(r.error.path().find(c.failingFile), std::string::npos) << r.error.toString();
    std::vector<RunMessage> reports;
    std::copy_if(frontEnd.messages.begin(), frontEnd.messages.end(), std::back_inserter(reports),
                 [](const RunMessage& m) { return m.kind == RunMessage::Kind::ErrorReport; });
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(
        std::any_of(reports[0].parts.begin(), reports[0].parts.end(), [](auto& p) { return p.number == 73; }),
        c.cardAdvice);
    EXPECT_FALSE(fs::exists(tmp / "RestorSDB" / ".Restore.sdb.liedwerk-tmp"));
    if (c.outcome == RunOutcome::Aborted) {
        EXPECT_TRUE(c.card || (test::readBytes(tmp / "RestorSDB" / "Restore.sdb") ==
                               std::vector<std::uint8_t>{1, 2, 3}))
            << "a failed run leaves the earlier restore file";
        return;
    }
    std::size_t listed = 0;
    for (const auto& f : info().folders)
        listed += f.songs.size();
    EXPECT_EQ(listed, c.songsListed);
    EXPECT_TRUE(!c.card || checkCard(fs, tmp / "card").agrees());
}

auto failing(FsOp op, const char* pattern, ErrorCode code = ErrorCode::PermissionDenied) {
    return [=](FaultyFileSystem& fs) { fs.failOn(op, pattern, code, "simulated"); };
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, TransferFaults,
    ::testing::Values(
        FaultCase{"CardSongUnreadable", true, failing(FsOp::OpenRead, "00102.SQT"), RunOutcome::SongFailed,
                  RunStep::ReadSong, "00102.SQT", false, 1},
        FaultCase{"CardSongFailsMidway", true, [](auto& fs) { fs.failReadAfter("00102.LSW", 4000); },
                  RunOutcome::SongFailed, RunStep::ReadSong, "00102.LSW", false, 1},
        FaultCase{"CardRefusesASongFile", true, failing(FsOp::OpenWrite, "0200102_.SQT"),
                  RunOutcome::SongFailed, RunStep::WriteSong, "0200102_.SQT", true, 1},
        FaultCase{"CardRefusesAFolder", true, failing(FsOp::CreateDirectory, "TFLD002"),
                  RunOutcome::SongFailed, RunStep::WriteSong, "TFLD002", true, 20},
        FaultCase{"CardCannotBeFlushed", true, failing(FsOp::Flush, "", ErrorCode::IoError),
                  RunOutcome::Aborted, RunStep::Finish, "PRIVATE", false, 0},
        FaultCase{"InformationFileHasNoRoom", true, [](auto& fs) { fs.failWriteAfter("KN7000MN.INF", 1000); },
                  RunOutcome::Aborted, RunStep::Prepare, "KN7000MN.INF", false, 0},
        FaultCase{"RestoreSongFailsMidway", false, [](auto& fs) { fs.failReadAfter("00102.LSW", 4000); },
                  RunOutcome::SongFailed, RunStep::ReadSong, "00102.LSW", false, 1},
        FaultCase{"RestoreFileDiskFull", false, [](auto& fs) { fs.failWriteAfter("Restore.sdb", 30000); },
                  RunOutcome::Aborted, RunStep::WriteSong, "Restore.sdb", false, 0},
        FaultCase{"RestoreFileCannotTakeItsName", false, failing(FsOp::Close, "Restore.sdb"),
                  RunOutcome::Aborted, RunStep::Finish, "Restore.sdb", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransferRunTest, CardThatDoesNotAnswerOrNothingMarkedLeavesAllUntouched) {
    loadSongs(2);
    fs.failOn(FsOp::FreeSpace, "", ErrorCode::DeviceUnavailable, "No medium found", 1);
    EXPECT_EQ(runCard().outcome, RunOutcome::Aborted);
    EXPECT_EQ(frontEnd.messageNumbers(), std::vector<int>{131});
    list.pressAllMarks();
    EXPECT_EQ(runCard().outcome, RunOutcome::NothingMarked);
    EXPECT_EQ(frontEnd.messages.size(), 1u);
    EXPECT_TRUE(fs.mutations().empty());
}

#ifndef _WIN32
// A song file swapped for a FIFO after the backup was listed: refused at once, no waiting.
TEST_F(TransferRunTest, FifoInPlaceOfASongFileIsRefusedWithoutWaiting) {
    loadSongs(3);
    frontEnd.onEvents = [&](int handled) {
        if (handled == 1) {
            fs::remove(tmp / "backup" / "00102.SQT");
            ASSERT_EQ(::mkfifo((tmp / "backup" / "00102.SQT").c_str(), 0600), 0);
        }
    };
    const RunResult r = runRestore();
    EXPECT_EQ(std::make_pair(r.outcome, r.error.code()),
              std::make_pair(RunOutcome::SongFailed, ErrorCode::NotAFile));
    EXPECT_EQ(titles(), Names{"Direktory 01/1"});
}
#endif

TEST_F(TransferRunTest, OldOutputsAreReplacedAndNothingElseIsTouched) {
    loadSongs(1);
    const fs::path old = kn7000Of(tmp / "card") / "TFLD007";
    fs::create_directories(old);
    test::writeBytes(old / "0100999_.SQT", {1, 2, 3});
    fs::permissions(old / "0100999_.SQT", fs::perms::owner_read);
    fs::permissions(old, fs::perms::owner_read | fs::perms::owner_exec);
    test::writeBytes(tmp / "card" / "photo.jpg", {9});
    runCard();
    EXPECT_EQ(written(), (Names{"KN7000MN.INF", "TFLD001/0100101_.SQT"}));
    EXPECT_TRUE(fs::exists(tmp / "card" / "photo.jpg"));
    EXPECT_TRUE(fs.touchedOnlyBelow(tmp / "card" / "PRIVATE"));

    // The program's RestorSDB holds only the restore file after a run, also after a killed one.
    fs::create_directories(tmp / "RestorSDB");
    test::writeBytes(tmp / "RestorSDB" / "old.txt", {1});
    test::writeBytes(tmp / "RestorSDB" / ".Restore.sdb.liedwerk-tmp", {2});
    for (int run = 0; run < 2; ++run) {
        list.pressAllMarks();
        list.pressAllMarks();
        EXPECT_EQ(runRestore().outcome, RunOutcome::Completed);
        EXPECT_EQ(written().size(), 2u);
        EXPECT_EQ(std::distance(fs::directory_iterator(tmp / "RestorSDB"), fs::directory_iterator()), 1);
    }
}

// --- The backup is only ever read, judged by identity ---------------------------------------

struct OverlapCase {
    const char* name;
    // Arranges the folders below tmp (the backup is in tmp/backup) and returns the setup.
    std::function<TransferSetup(TransferRunTest&, const fs::path& tmp)> arrange;
    bool refused;
};

class BackupOverlap : public TransferRunTest, public ::testing::WithParamInterface<OverlapCase> {};

TEST_P(BackupOverlap, RefusesExactlyWhatWouldTouchTheBackup) {
    loadSongs(2);
    const auto before = test::readBytes(tmp / "backup" / "00101.SQT");
    const TransferSetup setup = GetParam().arrange(*this, tmp.path());
    const fs::path backup = pathFromUtf8(backupPath);
    const RunResult r = runWith(setup);
    EXPECT_EQ(r.outcome == RunOutcome::Aborted, GetParam().refused) << r.error.toString();
    EXPECT_TRUE(!GetParam().refused || (r.step == RunStep::Claim && fs.mutations().empty()));
    EXPECT_EQ(test::readBytes(backup / "00101.SQT"), before);
    EXPECT_TRUE(fs::exists(backup / "Sx6bck.sxf"));
}

TransferSetup restoreAt(const fs::path& file) {
    TransferSetup s;
    s.restoreFile = file;
    return s;
}

using Arrange = std::function<TransferSetup(TransferRunTest&, const fs::path&)>;
// The backup moved into a folder that the run deletes (a card's PRIVATE, the program's RestorSDB).
Arrange backupInside(const char* folder, bool cardMode) {
    return [=](TransferRunTest& self, const fs::path& t) {
        fs::create_directories(t / folder);
        fs::rename(t / "backup", t / folder / "backup");
        self.backupPath = withTrailingSeparator(pathToUtf8(t / folder / "backup"));
        return cardMode ? self.cardSetup(CardOrder::Sequential) : self.restoreSetup(CardOrder::Sequential);
    };
}

const OverlapCase kOverlapCases[] = {
    {"RestoreFileInTheBackupFolder",
     [](auto&, const fs::path& t) { return restoreAt(t / "backup" / "R.sdb"); }, true},
    {"RestoreFileInASubFolderOfTheBackup",
     [](auto&, const fs::path& t) {
         fs::create_directories(t / "backup" / "Liedwerk");
         return restoreAt(t / "backup" / "Liedwerk" / "R.sdb");
     },
     false},
    {"RestoreFileHardLinkedToASongFile",
     [](auto&, const fs::path& t) {
         fs::create_hard_link(t / "backup" / "00101.SQT", t / "R.sdb");
         return restoreAt(t / "R.sdb");
     },
     true},
#ifndef _WIN32
    {"RestoreFileLinkedToTheSongTable",
     [](auto&, const fs::path& t) {
         fs::create_symlink(t / "backup" / "Sx6bck.sxf", t / "R.sdb");
         return restoreAt(t / "R.sdb");
     },
     true},
    {"RestoreFileThroughALinkedFolder",
     [](auto&, const fs::path& t) {
         fs::create_directory_symlink(t / "backup", t / "alias");
         return restoreAt(t / "alias" / "R.sdb");
     },
     true},
    {"BackupReachedThroughALinkInPrivate",
     [](TransferRunTest& self, const fs::path& t) {
         fs::create_directories(t / "card" / "PRIVATE");
         fs::create_directory_symlink(t / "backup", t / "card" / "PRIVATE" / "lnk");
         self.backupPath = pathToUtf8(t / "card" / "PRIVATE" / "lnk") + "/";
         return self.cardSetup(CardOrder::Sequential);
     },
     true},
    {"PrivateIsALinkToTheBackupsFolder", // only the link goes
     [](TransferRunTest& self, const fs::path& t) {
         fs::create_directories(t / "card");
         fs::create_directory_symlink(t, t / "card" / "PRIVATE");
         return self.cardSetup(CardOrder::Sequential);
     },
     false},
    {"ProgramFolderRestorSDBIsALinkToTheBackup", // only the link goes
     [](TransferRunTest& self, const fs::path& t) {
         fs::create_directory_symlink(t / "backup", t / "RestorSDB");
         return self.restoreSetup(CardOrder::Sequential);
     },
     false},
#endif
    {"BackupInsideTheCardsPrivate", backupInside("card/PRIVATE", true), true},
    {"BackupInsideTheProgramsRestorSDB", backupInside("RestorSDB", false), true},
    {"CardRootIsTheBackupFolder",
     [](TransferRunTest& self, const fs::path& t) {
         TransferSetup s = self.cardSetup(CardOrder::Sequential);
         s.cardRoot = t / "backup";
         return s;
     },
     true},
};

INSTANTIATE_TEST_SUITE_P(Cases, BackupOverlap, ::testing::ValuesIn(kOverlapCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- One run at a time on an output ---------------------------------------------------------

TEST_F(TransferRunTest, SecondRunOnTheSameOutputIsRefusedAtOnce) {
    loadSongs(4);
    for (const bool cardMode : {false, true}) {
        SCOPED_TRACE(cardMode ? "card" : "restore file");
        const TransferSetup setup =
            cardMode ? cardSetup(CardOrder::Sequential) : restoreSetup(CardOrder::Sequential);
        WorkingList other = list;
        RecordingFrontEnd otherFrontEnd;
        RunResult second;
        frontEnd = RecordingFrontEnd();
        frontEnd.onEvents = [&](int handled) {
            if (handled == 1)
                second = TransferRun(fs, other, otherFrontEnd).run(setup, backupPath);
        };
        EXPECT_EQ(runWith(setup).outcome, RunOutcome::Completed);
        EXPECT_EQ(std::make_pair(second.outcome, second.error.code()),
                  std::make_pair(RunOutcome::Aborted, ErrorCode::Busy));
        EXPECT_EQ(otherFrontEnd.messages.size(), 1u);
        list.pressAllMarks();
        list.pressAllMarks();
    }
}

} // namespace
} // namespace lw
