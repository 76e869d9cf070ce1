// The transfer run end to end over real files in a temporary folder: the card tree and
// the restore file it writes, its stops, and how it meets failing media, links, FIFOs,
// nearly full cards and a second run on the same output.
#include "card/TransferRun.h"
#include "RecordingFrontEnd.h"
#include "SampleBackup.h"
#include "card/ByteIo.h"
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

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::FaultyFileSystem;
using test::FsOp;
using test::RecordingFrontEnd;
using test::TempDir;

class TransferRunTest : public ::testing::Test {
public:
    TempDir tmp;
    FaultyFileSystem fs;
    WorkingList list;
    RecordingFrontEnd frontEnd;
    std::string backupPath;

    void load(const samples::SampleBackup& backup, ListOrder order = ListOrder::Standard) {
        samples::writeSampleBackup(backup, tmp / "backup");
        const Recognition r = recognizeBackup(fs, pathToUtf8(tmp / "backup"));
        ASSERT_EQ(r.outcome, RecognitionOutcome::Recognised);
        auto tables = readBackupTables(fs, *r.format, r.directory);
        ASSERT_TRUE(tables.isOk());
        if (order == ListOrder::Standard)
            list.Liste_erstellen(*r.format, tables->folders, tables->songs);
        else
            list.Liste_erstellen_Alphabetisch(*r.format, tables->songs);
        backupPath = r.directory.backupPath();
    }

    // n songs of KN6000/6500 folders in place order, each with one small .SQT file.
    void loadSongs(int n, ListOrder order = ListOrder::Standard) {
        load(samples::fullBackup(KeyboardKind::KN6000, n, {".SQT"}, 10), order);
    }

    TransferSetup restoreSetup(CardOrder order, std::int32_t capacity = 999910000,
                               std::int32_t cluster = 16384) {
        TransferSetup setup;
        setup.mode = OutputMode::RestoreFile;
        setup.order = order;
        setup.restoreFile = tmp / "RestorSDB" / "Restore.sdb";
        setup.recreateRestoreFolder = true;
        setup.restoreLocationText = pathToUtf8(tmp.path());
        setup.cardCapacity = capacity;
        setup.clusterSize = cluster;
        return setup;
    }

    TransferSetup cardSetup(CardOrder order) {
        fs::create_directories(tmp / "card");
        TransferSetup setup;
        setup.mode = OutputMode::Card;
        setup.order = order;
        setup.cardRoot = tmp / "card";
        setup.cardRootText = withTrailingSeparator(pathToUtf8(tmp / "card"));
        return setup;
    }

    RunResult runWith(const TransferSetup& setup) {
        TransferRun run(fs, list, frontEnd);
        return run.run(setup, backupPath);
    }
    RunResult runRestore(CardOrder order, std::int32_t capacity = 999910000, std::int32_t cluster = 16384) {
        return runWith(restoreSetup(order, capacity, cluster));
    }
    RunResult runCard(CardOrder order) { return runWith(cardSetup(order)); }

    std::vector<RestoreEntry> restoreEntries() {
        const auto bytes = test::readBytes(tmp / "RestorSDB" / "Restore.sdb");
        SpanInputFile in(bytes);
        auto contents = readRestoreContents(in, "Restore.sdb");
        EXPECT_TRUE(contents.isOk()) << contents.status().toString();
        return contents.isOk() ? contents->entries : std::vector<RestoreEntry>{};
    }

    std::vector<std::string> restoreNames() {
        std::vector<std::string> names;
        for (const auto& e : restoreEntries())
            names.push_back(e.name);
        return names;
    }

    DecodedInfoFile restoreInfo() {
        const auto bytes = test::readBytes(tmp / "RestorSDB" / "Restore.sdb");
        auto decoded = decodeInfoFile(std::span(bytes).last(kInfSize));
        EXPECT_TRUE(decoded.isOk()) << decoded.status().toString();
        return decoded.isOk() ? *decoded : DecodedInfoFile{};
    }

    // Files below the card's KN7000 folder, as "TFLD001/0100101_.SQT", sorted.
    std::vector<std::string> cardFiles() {
        std::vector<std::string> out;
        const fs::path kn7000 = tmp / "card" / "PRIVATE" / "TECHNICS" / "KN7000";
        for (const auto& e : fs::recursive_directory_iterator(kn7000))
            if (e.is_regular_file())
                out.push_back(fs::relative(e.path(), kn7000).generic_string());
        std::sort(out.begin(), out.end());
        return out;
    }

    DecodedInfoFile cardInfo() {
        const auto bytes = test::readBytes(tmp / "card" / "PRIVATE" / "TECHNICS" / "KN7000" / "KN7000MN.INF");
        auto decoded = decodeInfoFile(bytes);
        EXPECT_TRUE(decoded.isOk()) << decoded.status().toString();
        return decoded.isOk() ? *decoded : DecodedInfoFile{};
    }
};

std::string restoreName(int folder, const std::string& file) {
    return restoreFolderPath(folder) + "\\" + file;
}

// --- Sequential order -----------------------------------------------------------------

TEST_F(TransferRunTest, SequentialOrderFillsFoldersOfTwenty) {
    loadSongs(45);
    const RunResult r = runRestore(CardOrder::Sequential);
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(r.transferred, 45);

    const auto names = restoreNames();
    ASSERT_EQ(names.size(), 46u);
    EXPECT_EQ(names[0], restoreName(1, "0100101_.SQT"));
    EXPECT_EQ(names[19], restoreName(1, "2000204_.SQT")); // song 20 is folder 2 place 4 of the backup
    EXPECT_EQ(names[20], restoreName(2, "0100205_.SQT"));
    EXPECT_EQ(names[44], restoreName(3, "0500313_.SQT"));
    EXPECT_EQ(names[45], kInfEntryName);

    const DecodedInfoFile info = restoreInfo();
    ASSERT_EQ(info.folders.size(), 3u);
    EXPECT_EQ(info.folders[0].title, "Direktory 01");
    EXPECT_EQ(info.folders[1].title, "Directory 02");
    EXPECT_EQ(info.folders[2].title, "Directory 03");
    EXPECT_EQ(info.folders[2].songs.size(), 5u);
    EXPECT_EQ(list.selectedCount(), 0);
    EXPECT_EQ(frontEnd.lastProgress, 45);
    EXPECT_EQ(frontEnd.progressMaximum, 45);
}

TEST_F(TransferRunTest, TwentySongsAndOneMoreRowOpenAnEmptySecondFolder) {
    loadSongs(21);
    list.setMarkByUser(*list.findSong("00205"), false); // song 21: the row after the twentieth
    runRestore(CardOrder::Sequential);
    // The second folder is opened with its title even though it stays empty.
    const DecodedInfoFile info = restoreInfo();
    ASSERT_EQ(info.folders.size(), 2u);
    EXPECT_EQ(info.folders[1].title, "Directory 02");
    EXPECT_TRUE(info.folders[1].songs.empty());
}

TEST_F(TransferRunTest, SongWithoutFilesGivesItsSlotToTheNext) {
    auto backup = samples::fullBackup(KeyboardKind::KN6000, 5, {".SQT"}, 10);
    backup.songs[2].extensions.clear();
    load(backup);
    const RunResult r = runRestore(CardOrder::Sequential);
    EXPECT_EQ(r.transferred, 4);
    EXPECT_EQ(r.notFound, 1);
    const auto names = restoreNames();
    EXPECT_EQ(names[2], restoreName(1, "0300104_.SQT"));
    const std::size_t missing = *list.findSong("00103");
    EXPECT_TRUE(list.row(missing).marked);
    EXPECT_EQ(list.row(missing).resultMessage, 56);
    EXPECT_EQ(list.selectedCount(), 1);
}

TEST_F(TransferRunTest, AlphabeticalListIsAlwaysWrittenInSequence) {
    loadSongs(3, ListOrder::Alphabetical);
    runRestore(CardOrder::KeepStructure);
    EXPECT_EQ(restoreInfo().folders.at(0).title, "Direktory 01");
}

// --- Structure-keeping order ----------------------------------------------------------

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
    EXPECT_EQ(cardFiles(), (std::vector<std::string>{"KN7000MN.INF", "TFLD001/0100101_.SQT",
                                                     "TFLD001/0200102_.SQT", "TFLD001/0500105_.SQT",
                                                     "TFLD002/0300303_.ACT", "TFLD002/0300303_.SQT"}));
    const DecodedInfoFile info = cardInfo();
    ASSERT_EQ(info.folders.size(), 2u);
    EXPECT_EQ(info.folders[0].title, "One");
    EXPECT_EQ(info.folders[1].title, "Three");
    EXPECT_EQ(info.folders[1].songs.at(0).slot, 2);
    EXPECT_EQ(info.folders[1].songs.at(0).secondMask, 32);
}

TEST_F(TransferRunTest, MarkedFolderWithoutMarkedSongsStillGivesATitledFolder) {
    loadSongs(17);
    list.setMarkByUser(*list.findFolder("001"), false);
    list.setMarkByUser(*list.findSong("00102"), true);
    list.setMarkByUser(*list.findSong("00102"), false);
    runCard(CardOrder::KeepStructure);
    EXPECT_TRUE(fs::is_directory(tmp / "card" / "PRIVATE" / "TECHNICS" / "KN7000" / "TFLD001"));
    EXPECT_EQ(cardFiles(), (std::vector<std::string>{"KN7000MN.INF", "TFLD002/0100201_.SQT"}));
    EXPECT_EQ(cardInfo().folders.at(0).title, "Folder 1");
}

// --- The 99-folder stop ---------------------------------------------------------------

TEST_F(TransferRunTest, SequentialStopsAtTheRowAfterNinetyNineFullFolders) {
    loadSongs(1981);
    const RunResult r = runRestore(CardOrder::Sequential);
    EXPECT_EQ(r.outcome, RunOutcome::FoldersUsedUp);
    EXPECT_EQ(r.transferred, 1980);
    EXPECT_EQ(frontEnd.messageNumbers(), (std::vector<int>{54, 62}));
    const auto names = restoreNames();
    EXPECT_EQ(names[1979], restoreName(99, "2012412_.SQT"));
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& n) { return n.find("TFLD100") != std::string::npos; }),
              0);
    EXPECT_EQ(restoreInfo().folders.size(), 99u);
}

TEST_F(TransferRunTest, KeepStructureStopsAtTheHundredthMarkedFolderRow) {
    loadSongs(2);
    list.pressAllMarks();
    list.pressAllMarks(); // every one of the 240 folder rows marked
    const RunResult r = runCard(CardOrder::KeepStructure);
    EXPECT_EQ(r.outcome, RunOutcome::FoldersUsedUp);
    EXPECT_EQ(frontEnd.messageNumbers(), (std::vector<int>{46, 65}));
    EXPECT_TRUE(fs::is_directory(tmp / "card" / "PRIVATE" / "TECHNICS" / "KN7000" / "TFLD099"));
    EXPECT_FALSE(fs::exists(tmp / "card" / "PRIVATE" / "TECHNICS" / "KN7000" / "TFLD100"));
}

// --- Room on the card -----------------------------------------------------------------

TEST_F(TransferRunTest, SimulatedCardChargesWholeClustersAndStopsWhenFull) {
    // 40000 bytes left after the three card folders and the first song folder.
    auto backup = samples::fullBackup(KeyboardKind::KN6000, 3, {".SQT"}, 10000);
    load(backup);
    const RunResult r = runRestore(CardOrder::Sequential, 40000 + 4 * 16384, 16384);
    EXPECT_EQ(r.outcome, RunOutcome::OutputFull);
    EXPECT_EQ(r.transferred, 1);
    EXPECT_EQ(frontEnd.messageNumbers(), (std::vector<int>{57, 62}));
    const auto names = restoreNames();
    EXPECT_EQ(names.back(), kInfEntryName) << "the restore file still ends with the information file";
    EXPECT_EQ(restoreInfo().folders.at(0).songs.size(), 1u);
    EXPECT_TRUE(list.row(*list.findSong("00102")).marked);
}

TEST_F(TransferRunTest, FullCardDuringTheSecondGroupRemovesTheSongsFiles) {
    auto backup = samples::fullBackup(KeyboardKind::KN6000, 3, {".SQT", ".LSW", ".ACT"}, 20000);
    load(backup);
    // Room for the first song (3 x 20000) and the second song's first group, not its .ACT.
    fs.setCapacity(kInfReserve + 5 * 20000 + 10000);
    const RunResult r = runCard(CardOrder::Sequential);
    EXPECT_EQ(r.outcome, RunOutcome::OutputFull);
    EXPECT_TRUE(r.error.isOk());
    EXPECT_EQ(frontEnd.messageNumbers(), (std::vector<int>{78, 65}));
    EXPECT_EQ(cardFiles(), (std::vector<std::string>{"KN7000MN.INF", "TFLD001/0100101_.ACT",
                                                     "TFLD001/0100101_.LSW", "TFLD001/0100101_.SQT"}));
    EXPECT_EQ(cardInfo().folders.at(0).songs.size(), 1u);
}

// A nearly full card, at every level of free space and with small and large clusters: room
// is judged in whole clusters, the information file's room is held from the start, and the
// card always ends as the keyboard can read it: the information file whole and in
// agreement with the files, or (when not even it fits) no information file at all.
TEST_F(TransferRunTest, NearlyFullCardEndsReadableAtEveryLevel) {
    const auto backup = samples::fullBackup(KeyboardKind::KN6000, 3, {".SQT", ".ACT"}, 5000);
    for (const std::uint64_t unit : {std::uint64_t{2048}, std::uint64_t{32768}})
        for (std::uint64_t free = 0; free <= 10 * unit + 65536; free += unit) {
            SCOPED_TRACE("cluster " + std::to_string(unit) + ", free " + std::to_string(free));
            fs::remove_all(tmp / "card");
            list = WorkingList();
            load(backup);
            frontEnd = RecordingFrontEnd();
            const TransferSetup setup = cardSetup(CardOrder::Sequential);
            fs.setCapacity(free, unit);
            const RunResult r = runWith(setup);
            const fs::path inf = tmp / "card" / "PRIVATE" / "TECHNICS" / "KN7000" / "KN7000MN.INF";
            if (r.outcome == RunOutcome::Aborted) {
                EXPECT_EQ(r.error.code(), ErrorCode::NoSpace) << r.error.toString();
                EXPECT_FALSE(fs::exists(inf)) << "no cut-off information file is left";
                continue;
            }
            EXPECT_TRUE(r.outcome == RunOutcome::Completed || r.outcome == RunOutcome::OutputFull)
                << r.error.toString();
            EXPECT_EQ(r.outcome == RunOutcome::OutputFull, frontEnd.messageNumbers().front() == 78);
            const CardCheck check = checkCard(fs, tmp / "card");
            EXPECT_TRUE(check.agrees()) << check.infoError.toString();
            EXPECT_EQ(check.songCount(), r.transferred);
        }
}

TEST_F(TransferRunTest, CardFillingUpDuringACopyIsAFullCard) {
    load(samples::fullBackup(KeyboardKind::KN6000, 3, {".SQT"}, 5000));
    fs.failWriteAfter("0200102_.SQT", 1000); // the card reports "no space" in the middle of the file
    const RunResult r = runCard(CardOrder::Sequential);
    EXPECT_EQ(r.outcome, RunOutcome::OutputFull);
    EXPECT_EQ(frontEnd.messageNumbers(), (std::vector<int>{78, 65}));
    EXPECT_EQ(cardFiles(), (std::vector<std::string>{"KN7000MN.INF", "TFLD001/0100101_.SQT"}));
    EXPECT_EQ(cardInfo().folders.at(0).songs.size(), 1u);
}

// --- Cancel -----------------------------------------------------------------------------

TEST_F(TransferRunTest, CancelAfterTheFifthSongKeepsWhatWasWritten) {
    loadSongs(8);
    TransferRun* current = nullptr;
    frontEnd.onEvents = [&](int handled) {
        if (handled == 5)
            current->requestCancel();
    };
    fs::create_directories(tmp / "card");
    TransferSetup setup;
    setup.mode = OutputMode::Card;
    setup.order = CardOrder::Sequential;
    setup.cardRoot = tmp / "card";
    setup.cardRootText = pathToUtf8(tmp / "card") + "/";
    TransferRun run(fs, list, frontEnd);
    current = &run;
    const RunResult r = run.run(setup, backupPath);
    EXPECT_EQ(r.outcome, RunOutcome::Cancelled);
    EXPECT_EQ(frontEnd.cancelQuestions, std::vector<int>{60});
    EXPECT_EQ(cardInfo().folders.at(0).songs.size(), 5u);
    EXPECT_EQ(cardFiles().size(), 6u);
    EXPECT_EQ(list.selectedCount(), 3);
    EXPECT_TRUE(list.row(*list.findSong("00106")).marked);
}

TEST_F(TransferRunTest, AnsweringNoGoesOnAndACancelLeftFromAnEarlierRunIsForgotten) {
    loadSongs(4);
    frontEnd.answerCancel = false;
    TransferRun* current = nullptr;
    frontEnd.onEvents = [&](int handled) {
        if (handled == 1)
            current->requestCancel();
    };
    TransferSetup setup;
    setup.mode = OutputMode::RestoreFile;
    setup.restoreFile = tmp / "Restore.sdb";
    TransferRun run(fs, list, frontEnd);
    current = &run;
    run.requestCancel(); // pressed before the run started
    EXPECT_EQ(run.run(setup, backupPath).outcome, RunOutcome::Completed);
    EXPECT_EQ(frontEnd.cancelQuestions, std::vector<int>{52});
}

// --- Failing media: each fault is reported once, naming its file and the step -------------

struct FaultCase {
    const char* name;
    OutputMode mode;
    std::function<void(FaultyFileSystem&)> fault;
    RunOutcome outcome;
    RunStep step;
    const char* failingFile; // a piece of the reported path
    bool cardAdvice;         // the report advises to check the card
    std::size_t songsListed; // songs the output's information file lists afterwards
};

class TransferFaults : public TransferRunTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(TransferFaults, AreReportedOnceAndLeaveAReadableOutput) {
    const FaultCase& c = GetParam();
    load(samples::fullBackup(KeyboardKind::KN6000, 25, {".SQT", ".LSW"}, 10000));
    fs::create_directories(tmp / "RestorSDB");
    test::writeBytes(tmp / "RestorSDB" / "Restore.sdb", {1, 2, 3}); // an earlier restore file
    const TransferSetup setup =
        c.mode == OutputMode::Card ? cardSetup(CardOrder::Sequential) : restoreSetup(CardOrder::Sequential);
    c.fault(fs);
    const RunResult r = runWith(setup);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.step, c.step);
    EXPECT_NE(r.error.path().find(c.failingFile), std::string::npos) << r.error.toString();
    const auto reports =
        std::count_if(frontEnd.messages.begin(), frontEnd.messages.end(),
                      [](const RunMessage& m) { return m.kind == RunMessage::Kind::ErrorReport; });
    EXPECT_EQ(reports, 1);
    const auto report =
        std::find_if(frontEnd.messages.begin(), frontEnd.messages.end(),
                     [](const RunMessage& m) { return m.kind == RunMessage::Kind::ErrorReport; });
    ASSERT_NE(report, frontEnd.messages.end());
    EXPECT_EQ(std::any_of(report->parts.begin(), report->parts.end(),
                          [](const MessagePart& p) { return p.number == 73; }),
              c.cardAdvice);
    EXPECT_FALSE(fs::exists(tmp / "RestorSDB" / ".Restore.sdb.liedwerk-tmp"));
    if (c.outcome == RunOutcome::Aborted) {
        if (c.mode == OutputMode::RestoreFile) {
            EXPECT_EQ(test::readBytes(tmp / "RestorSDB" / "Restore.sdb"),
                      (std::vector<std::uint8_t>{1, 2, 3}))
                << "a failed run leaves the earlier restore file";
        }
        return;
    }
    const DecodedInfoFile info = c.mode == OutputMode::Card ? cardInfo() : restoreInfo();
    std::size_t listed = 0;
    for (const auto& f : info.folders)
        listed += f.songs.size();
    EXPECT_EQ(listed, c.songsListed);
    if (c.mode == OutputMode::Card) {
        EXPECT_TRUE(checkCard(fs, tmp / "card").agrees());
    }
}

auto failing(FsOp op, const char* pattern, ErrorCode code = ErrorCode::PermissionDenied) {
    return [=](FaultyFileSystem& fs) {
        fs.failOn(op, pattern, code,
                  code == ErrorCode::PermissionDenied ? "Permission denied" : "Input/output error");
    };
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, TransferFaults,
    ::testing::Values(
        FaultCase{"CardSongUnreadable", OutputMode::Card, failing(FsOp::OpenRead, "00102.SQT"),
                  RunOutcome::SongFailed, RunStep::ReadSong, "00102.SQT", false, 1},
        FaultCase{"CardSongFailsMidway", OutputMode::Card,
                  [](FaultyFileSystem& fs) { fs.failReadAfter("00102.LSW", 4000); }, RunOutcome::SongFailed,
                  RunStep::ReadSong, "00102.LSW", false, 1},
        FaultCase{"CardRefusesASongFile", OutputMode::Card, failing(FsOp::OpenWrite, "0200102_.SQT"),
                  RunOutcome::SongFailed, RunStep::WriteSong, "0200102_.SQT", true, 1},
        FaultCase{"CardRefusesAFolder", OutputMode::Card, failing(FsOp::CreateDirectory, "TFLD002"),
                  RunOutcome::SongFailed, RunStep::WriteSong, "TFLD002", true, 20},
        FaultCase{"CardCannotBeFlushed", OutputMode::Card, failing(FsOp::Flush, "", ErrorCode::IoError),
                  RunOutcome::Aborted, RunStep::Finish, "PRIVATE", false, 0},
        FaultCase{"InformationFileHasNoRoom", OutputMode::Card,
                  [](FaultyFileSystem& fs) { fs.failWriteAfter("KN7000MN.INF", 1000); }, RunOutcome::Aborted,
                  RunStep::Prepare, "KN7000MN.INF", false, 0},
        FaultCase{"RestoreSongFailsMidway", OutputMode::RestoreFile,
                  [](FaultyFileSystem& fs) { fs.failReadAfter("00102.LSW", 4000); }, RunOutcome::SongFailed,
                  RunStep::ReadSong, "00102.LSW", false, 1},
        FaultCase{"RestoreFileDiskFull", OutputMode::RestoreFile,
                  [](FaultyFileSystem& fs) { fs.failWriteAfter("Restore.sdb", 30000); }, RunOutcome::Aborted,
                  RunStep::WriteSong, "Restore.sdb", false, 0},
        FaultCase{"RestoreFileCannotTakeItsName", OutputMode::RestoreFile,
                  failing(FsOp::Close, "Restore.sdb"), RunOutcome::Aborted, RunStep::Finish, "Restore.sdb",
                  false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransferRunTest, CardThatDoesNotAnswerIsLeftUntouched) {
    loadSongs(2);
    fs.failOn(FsOp::FreeSpace, "", ErrorCode::DeviceUnavailable, "No medium found");
    const RunResult r = runCard(CardOrder::Sequential);
    EXPECT_EQ(r.outcome, RunOutcome::Aborted);
    EXPECT_EQ(frontEnd.messageNumbers(), std::vector<int>{131});
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
    const RunResult r = runRestore(CardOrder::Sequential);
    EXPECT_EQ(r.outcome, RunOutcome::SongFailed);
    EXPECT_EQ(r.error.code(), ErrorCode::NotAFile);
    EXPECT_EQ(restoreInfo().folders.at(0).songs.size(), 1u);
}
#endif

TEST_F(TransferRunTest, OldPrivateFolderWithReadOnlyFilesIsReplacedAndTheRestSurvives) {
    loadSongs(1);
    const fs::path old = tmp / "card" / "PRIVATE" / "TECHNICS" / "KN7000" / "TFLD007";
    fs::create_directories(old);
    test::writeBytes(old / "0100999_.SQT", {1, 2, 3});
    fs::permissions(old / "0100999_.SQT", fs::perms::owner_read);
    fs::permissions(old, fs::perms::owner_read | fs::perms::owner_exec);
    test::writeBytes(tmp / "card" / "photo.jpg", {9});
    fs::create_directories(tmp / "card" / "DCIM");

    runCard(CardOrder::Sequential);
    EXPECT_EQ(cardFiles(), (std::vector<std::string>{"KN7000MN.INF", "TFLD001/0100101_.SQT"}));
    EXPECT_TRUE(fs::exists(tmp / "card" / "photo.jpg"));
    EXPECT_TRUE(fs::is_directory(tmp / "card" / "DCIM"));
    EXPECT_TRUE(fs.touchedOnlyBelow(tmp / "card" / "PRIVATE"));
}

TEST_F(TransferRunTest, TwoRestoreRunsInARowReplaceTheFileAndLeaveOnlyIt) {
    loadSongs(3);
    fs::create_directories(tmp / "RestorSDB");
    test::writeBytes(tmp / "RestorSDB" / "old.txt", {1});
    test::writeBytes(tmp / "RestorSDB" / ".Restore.sdb.liedwerk-tmp", {2}); // left by a killed run
    EXPECT_EQ(runRestore(CardOrder::Sequential).outcome, RunOutcome::Completed);
    const auto first = test::readBytes(tmp / "RestorSDB" / "Restore.sdb");
    list.pressAllMarks();
    list.pressAllMarks();
    frontEnd = RecordingFrontEnd();
    EXPECT_EQ(runRestore(CardOrder::Sequential).outcome, RunOutcome::Completed);
    EXPECT_EQ(test::readBytes(tmp / "RestorSDB" / "Restore.sdb"), first);
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp / "RestorSDB"), fs::directory_iterator()), 1);
    EXPECT_EQ(frontEnd.messages.back().kind, RunMessage::Kind::Closing);
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
    if (GetParam().refused) {
        EXPECT_EQ(r.step, RunStep::Claim);
        EXPECT_TRUE(fs.mutations().empty());
    }
    EXPECT_EQ(test::readBytes(backup / "00101.SQT"), before);
    EXPECT_TRUE(fs::exists(backup / "Sx6bck.sxf"));
}

TransferSetup restoreAt(const fs::path& file) {
    TransferSetup s;
    s.mode = OutputMode::RestoreFile;
    s.restoreFile = file;
    return s;
}

const OverlapCase kOverlapCases[] = {
    OverlapCase{"RestoreFileInTheBackupFolder",
                [](TransferRunTest&, const fs::path& t) { return restoreAt(t / "backup" / "R.sdb"); }, true},
    OverlapCase{"RestoreFileInASubFolderOfTheBackup",
                [](TransferRunTest&, const fs::path& t) {
                    fs::create_directories(t / "backup" / "Liedwerk");
                    return restoreAt(t / "backup" / "Liedwerk" / "R.sdb");
                },
                false},
    OverlapCase{"RestoreFileHardLinkedToASongFile",
                [](TransferRunTest&, const fs::path& t) {
                    fs::create_hard_link(t / "backup" / "00101.SQT", t / "R.sdb");
                    return restoreAt(t / "R.sdb");
                },
                true},
#ifndef _WIN32
    OverlapCase{"RestoreFileLinkedToTheSongTable",
                [](TransferRunTest&, const fs::path& t) {
                    fs::create_symlink(t / "backup" / "Sx6bck.sxf", t / "R.sdb");
                    return restoreAt(t / "R.sdb");
                },
                true},
    OverlapCase{"RestoreFileThroughALinkedFolder",
                [](TransferRunTest&, const fs::path& t) {
                    fs::create_directory_symlink(t / "backup", t / "alias");
                    return restoreAt(t / "alias" / "R.sdb");
                },
                true},
    OverlapCase{"BackupReachedThroughALinkInPrivate",
                [](TransferRunTest& self, const fs::path& t) {
                    fs::create_directories(t / "card" / "PRIVATE");
                    fs::create_directory_symlink(t / "backup", t / "card" / "PRIVATE" / "lnk");
                    self.backupPath = pathToUtf8(t / "card" / "PRIVATE" / "lnk") + "/";
                    return self.cardSetup(CardOrder::Sequential);
                },
                true},
    OverlapCase{"PrivateIsALinkToTheBackupsFolder",
                [](TransferRunTest& self, const fs::path& t) {
                    fs::create_directories(t / "card");
                    fs::create_directory_symlink(t, t / "card" / "PRIVATE"); // only the link goes
                    return self.cardSetup(CardOrder::Sequential);
                },
                false},
    OverlapCase{"ProgramFolderRestorSDBIsALinkToTheBackup",
                [](TransferRunTest& self, const fs::path& t) {
                    fs::create_directory_symlink(t / "backup", t / "RestorSDB"); // only the link goes
                    return self.restoreSetup(CardOrder::Sequential);
                },
                false},
#endif
    OverlapCase{"BackupInsideTheCardsPrivate",
                [](TransferRunTest& self, const fs::path& t) {
                    fs::create_directories(t / "card" / "PRIVATE");
                    fs::rename(t / "backup", t / "card" / "PRIVATE" / "backup");
                    self.backupPath = withTrailingSeparator(pathToUtf8(t / "card" / "PRIVATE" / "backup"));
                    return self.cardSetup(CardOrder::Sequential);
                },
                true},
    OverlapCase{"BackupInsideTheProgramsRestorSDB",
                [](TransferRunTest& self, const fs::path& t) {
                    fs::create_directories(t / "RestorSDB");
                    fs::rename(t / "backup", t / "RestorSDB" / "backup");
                    self.backupPath = withTrailingSeparator(pathToUtf8(t / "RestorSDB" / "backup"));
                    return self.restoreSetup(CardOrder::Sequential);
                },
                true},
    OverlapCase{"CardRootIsTheBackupFolder",
                [](TransferRunTest& self, const fs::path& t) {
                    TransferSetup s = self.cardSetup(CardOrder::Sequential);
                    s.cardRoot = t / "backup";
                    return s;
                },
                true}};

INSTANTIATE_TEST_SUITE_P(Cases, BackupOverlap, ::testing::ValuesIn(kOverlapCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- One run at a time on an output ---------------------------------------------------------

TEST_F(TransferRunTest, SecondRunOnTheSameOutputIsRefusedAtOnce) {
    loadSongs(4);
    for (const bool card : {false, true}) {
        SCOPED_TRACE(card ? "card" : "restore file");
        const TransferSetup setup =
            card ? cardSetup(CardOrder::Sequential) : restoreSetup(CardOrder::Sequential);
        WorkingList other = list;
        RecordingFrontEnd otherFrontEnd;
        RunResult second;
        frontEnd = RecordingFrontEnd();
        frontEnd.onEvents = [&](int handled) {
            if (handled == 1) {
                TransferRun run(fs, other, otherFrontEnd);
                second = run.run(setup, backupPath);
            }
        };
        const RunResult first = runWith(setup);
        EXPECT_EQ(first.outcome, RunOutcome::Completed);
        EXPECT_EQ(second.outcome, RunOutcome::Aborted);
        EXPECT_EQ(second.error.code(), ErrorCode::Busy);
        EXPECT_EQ(otherFrontEnd.messages.size(), 1u);
        list.pressAllMarks();
        list.pressAllMarks();
    }
}

TEST_F(TransferRunTest, NothingMarkedDoesNothing) {
    loadSongs(3);
    list.pressAllMarks();
    EXPECT_EQ(runCard(CardOrder::Sequential).outcome, RunOutcome::NothingMarked);
    EXPECT_TRUE(frontEnd.messages.empty());
    EXPECT_TRUE(fs.mutations().empty());
}

} // namespace
} // namespace lw
