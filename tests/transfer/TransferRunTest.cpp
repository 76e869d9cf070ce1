// The transfer run end to end over real files in a temporary folder: the card tree and
// the restore file it writes, its stops, and how it meets failing media.
#include "card/TransferRun.h"
#include "RecordingFrontEnd.h"
#include "SampleBackup.h"
#include "card/CardLayout.h"
#include "card/InfoFile.h"
#include "card/RestoreFile.h"
#include "platform/Path.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::FaultyFileSystem;
using test::FsOp;
using test::RecordingFrontEnd;
using test::TempDir;

class TransferRunTest : public ::testing::Test {
protected:
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

    RunResult runRestore(CardOrder order, std::int32_t capacity = 999910000, std::int32_t cluster = 16384) {
        TransferSetup setup;
        setup.mode = OutputMode::RestoreFile;
        setup.order = order;
        setup.restoreFile = tmp / "RestorSDB" / "Restore.sdb";
        setup.recreateRestoreFolder = true;
        setup.restoreLocationText = pathToUtf8(tmp.path());
        setup.cardCapacity = capacity;
        setup.clusterSize = cluster;
        TransferRun run(fs, list, frontEnd);
        return run.run(setup, backupPath);
    }

    RunResult runCard(CardOrder order) {
        fs::create_directories(tmp / "card");
        TransferSetup setup;
        setup.mode = OutputMode::Card;
        setup.order = order;
        setup.cardRoot = tmp / "card";
        setup.cardRootText = withTrailingSeparator(pathToUtf8(tmp / "card"));
        TransferRun run(fs, list, frontEnd);
        return run.run(setup, backupPath);
    }

    std::vector<RestoreEntry> restoreEntries() {
        const auto bytes = test::readBytes(tmp / "RestorSDB" / "Restore.sdb");
        auto entries = parseRestoreFile(bytes, "Restore.sdb");
        EXPECT_TRUE(entries.isOk()) << entries.status().toString();
        return entries.isOk() ? *entries : std::vector<RestoreEntry>{};
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

TEST_F(TransferRunTest, CardFreeSpaceMustExceedTheFileAndTheInformationFile) {
    auto backup = samples::fullBackup(KeyboardKind::KN6000, 1, {".SQT"}, 45184);
    load(backup);
    fs.setFreeSpace(100000); // 100000 - 54816 = 45184: not greater than the file
    EXPECT_EQ(runCard(CardOrder::Sequential).outcome, RunOutcome::OutputFull);
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

// --- Failures ---------------------------------------------------------------------------

TEST_F(TransferRunTest, VanishedSourceFileStopsWithItsNameAndReason) {
    auto backup = samples::fullBackup(KeyboardKind::KN6000, 3, {".SQT", ".LSW"}, 100);
    load(backup);
    fs.vanishOnFirstUse("00102.SQT");
    const RunResult r = runCard(CardOrder::Sequential);
    EXPECT_EQ(r.outcome, RunOutcome::OutputFull);
    EXPECT_FALSE(r.error.isOk());
    ASSERT_EQ(frontEnd.messages.size(), 2u);
    const RunMessage& report = frontEnd.messages[0];
    EXPECT_EQ(report.kind, RunMessage::Kind::ErrorReport);
    EXPECT_EQ(report.title, 74);
    std::string text;
    for (const auto& p : report.parts)
        text += p.text;
    EXPECT_NE(text.find("00102.SQT"), std::string::npos) << text;
    // The song's first file was copied before the second vanished, and was removed again.
    EXPECT_EQ(cardFiles(),
              (std::vector<std::string>{"KN7000MN.INF", "TFLD001/0100101_.LSW", "TFLD001/0100101_.SQT"}));
    EXPECT_EQ(cardInfo().folders.at(0).songs.size(), 1u);
}

TEST_F(TransferRunTest, FailingFolderCreationTakesTheAbortPath) {
    loadSongs(25);
    fs.failOn(FsOp::CreateDirectory, "TFLD002", ErrorCode::PermissionDenied, "Permission denied");
    const RunResult r = runCard(CardOrder::Sequential);
    EXPECT_EQ(r.outcome, RunOutcome::Aborted);
    ASSERT_EQ(frontEnd.messages.size(), 1u);
    EXPECT_EQ(frontEnd.messages[0].kind, RunMessage::Kind::ErrorReport);
    EXPECT_EQ(frontEnd.messages[0].title, 70);
    EXPECT_EQ(frontEnd.messages[0].parts[1].text, "70");
    EXPECT_EQ(frontEnd.beeps, 1);
}

TEST_F(TransferRunTest, InformationFileThatCannotBeWrittenIsNoSuccess) {
    loadSongs(2);
    fs.failWriteAfter("KN7000MN.INF", 1000);
    const RunResult r = runCard(CardOrder::Sequential);
    EXPECT_EQ(r.outcome, RunOutcome::Aborted);
    EXPECT_EQ(frontEnd.messageNumbers(), std::vector<int>{71});
}

TEST_F(TransferRunTest, CardThatDoesNotAnswerIsLeftUntouched) {
    loadSongs(2);
    fs.failOn(FsOp::FreeSpace, "", ErrorCode::DeviceUnavailable, "No medium found");
    const RunResult r = runCard(CardOrder::Sequential);
    EXPECT_EQ(r.outcome, RunOutcome::Aborted);
    EXPECT_EQ(frontEnd.messageNumbers(), std::vector<int>{131});
    EXPECT_TRUE(fs.mutations().empty() || fs.touched(FsOp::CreateDirectory).empty());
    EXPECT_FALSE(fs::exists(tmp / "card" / "PRIVATE"));
}

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

TEST_F(TransferRunTest, TwoRestoreRunsInARowReplaceTheFile) {
    loadSongs(3);
    EXPECT_EQ(runRestore(CardOrder::Sequential).outcome, RunOutcome::Completed);
    const auto first = test::readBytes(tmp / "RestorSDB" / "Restore.sdb");
    list.pressAllMarks();
    list.pressAllMarks();
    frontEnd = RecordingFrontEnd();
    EXPECT_EQ(runRestore(CardOrder::Sequential).outcome, RunOutcome::Completed);
    EXPECT_EQ(test::readBytes(tmp / "RestorSDB" / "Restore.sdb"), first);
    EXPECT_EQ(frontEnd.messages.back().kind, RunMessage::Kind::Closing);
}

TEST_F(TransferRunTest, OutputInsideTheBackupFolderIsRefused) {
    loadSongs(2);
    TransferSetup setup;
    setup.mode = OutputMode::RestoreFile;
    setup.restoreFile = tmp / "backup" / "RestorSDB" / "Restore.sdb"; // the program folder holds the backup
    setup.recreateRestoreFolder = true;
    TransferRun run(fs, list, frontEnd);
    EXPECT_EQ(run.run(setup, backupPath).outcome, RunOutcome::Aborted);
    EXPECT_TRUE(fs.mutations().empty());
    EXPECT_EQ(frontEnd.messageNumbers(), std::vector<int>{71});
}

TEST_F(TransferRunTest, NothingMarkedDoesNothing) {
    loadSongs(3);
    list.pressAllMarks();
    EXPECT_EQ(runCard(CardOrder::Sequential).outcome, RunOutcome::NothingMarked);
    EXPECT_TRUE(frontEnd.messages.empty());
    EXPECT_TRUE(fs.mutations().empty());
}

// --- The restore file's space estimate -------------------------------------------------

TEST(RestoreSizeEstimate, TwiceTheBackupPlusAFractionIn64Bits) {
    EXPECT_EQ(estimatedRestoreSize(3'000'000), 6'021'000u);
    EXPECT_EQ(estimatedRestoreSize(0), 0u);
    // From 1 GiB on, twice the size no longer fits 32 bits; the estimate must still be right.
    EXPECT_EQ(estimatedRestoreSize(1'073'741'824), 2'154'999'841u);
    EXPECT_EQ(estimatedRestoreSize(10'000'000'000), 20'070'000'000u);
}

} // namespace
} // namespace lw
