// The plan of a transfer against the transfer itself: for each case the plan is made,
// must leave the output folder exactly as it was, and must then say what the real run
// does: each song's fate and place, the files each song puts on the card, the folders and
// their titles, and how the run ends.
#include "card/TransferPlan.h"
#include "RecordingFrontEnd.h"
#include "SampleBackup.h"
#include "backup/BackupLoad.h"
#include "card/CardCheck.h"
#include "card/CardLayout.h"
#include "card/RestoreFileReader.h"
#include "platform/Path.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace lw {
namespace {

namespace fs = std::filesystem;

struct Answers : LoadQuestions {
    ListOrder order = ListOrder::Standard;
    bool confirmLoad(const BackupFormat&) override { return true; }
    ListOrder askOrder() override { return order; }
};

// Names and sizes of everything below a folder.
std::map<std::string, std::uintmax_t> snapshot(const fs::path& root) {
    std::map<std::string, std::uintmax_t> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        out[e.path().lexically_relative(root).generic_string()] = e.is_regular_file() ? e.file_size() : 0;
    return out;
}

// The song files the output holds, as "TFLD001/0100101_.SQT", and its information file.
struct Written {
    std::set<std::string> files;
    DecodedInfoFile info;
};

Written writtenTo(FileSystem& fs, const TransferSetup& setup) {
    Written w;
    if (setup.mode == OutputMode::Card) {
        const CardCheck card = checkCard(fs, setup.cardRoot);
        EXPECT_TRUE(card.agrees());
        if (card.info)
            w.info = *card.info;
        for (int n : card.songFolders)
            for (const auto& e : fs::directory_iterator(*card.kn7000 / songFolderName(n)))
                w.files.insert(songFolderName(n) + "/" + pathToUtf8(e.path().filename()));
        return w;
    }
    auto in = fs.openRead(setup.restoreFile);
    EXPECT_TRUE(in.isOk());
    auto contents = readRestoreContents(**in, pathToUtf8(setup.restoreFile));
    EXPECT_TRUE(contents.isOk()) << contents.status().reason();
    for (const auto& parts : contents->parts)
        if (parts.size() > 2 && parts[parts.size() - 2].starts_with("TFLD"))
            w.files.insert(parts[parts.size() - 2] + "/" + parts.back());
    w.info = contents->info;
    return w;
}

struct PlanCase {
    samples::SampleBackup backup;
    ListOrder list;
    CardOrder order;
    OutputMode mode;
    std::int32_t capacity; // the simulated card of a restore file
    RunOutcome end;
};

std::vector<PlanCase> planCases() {
    std::vector<PlanCase> cases;
    for (const auto& sample : samples::shippedSamples()) {
        for (OutputMode mode : {OutputMode::Card, OutputMode::RestoreFile}) {
            for (CardOrder order : {CardOrder::KeepStructure, CardOrder::Sequential})
                cases.push_back({sample, ListOrder::Standard, order, mode, 999910000, RunOutcome::Completed});
            cases.push_back({sample, ListOrder::Alphabetical, CardOrder::KeepStructure, mode, 999910000,
                             RunOutcome::Completed});
        }
        // A simulated card too small for the whole sample.
        cases.push_back({sample, ListOrder::Standard, CardOrder::Sequential, OutputMode::RestoreFile, 160000,
                         RunOutcome::OutputFull});
    }
    cases.push_back({samples::fullBackup(KeyboardKind::KN6000, 1981, {".SQT"}, 10), ListOrder::Standard,
                     CardOrder::Sequential, OutputMode::RestoreFile, 999910000, RunOutcome::FoldersUsedUp});
    return cases;
}

TEST(TransferPlanTest, PlanIsWhatTheRunDoes) {
    for (const PlanCase& c : planCases()) {
        SCOPED_TRACE(samples::sampleFolderName(c.backup.kind) + " list " + std::to_string(int(c.list)) +
                     " order " + std::to_string(int(c.order)) + " mode " + std::to_string(int(c.mode)) +
                     " capacity " + std::to_string(c.capacity));
        test::TempDir tmp;
        test::FaultyFileSystem fs;
        samples::writeSampleBackup(c.backup, tmp / "backup");
        WorkingList list;
        Answers answers;
        answers.order = c.list;
        const LoadResult loaded = loadBackup(fs, pathToUtf8(tmp / "backup"), list, answers);
        ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded);
        const BackupDirectory backup(fs, loaded.recognition.directory.backupPath());

        fs::create_directories(tmp / "out");
        TransferSetup setup;
        setup.mode = c.mode;
        setup.order = c.order;
        setup.cardRoot = tmp / "out";
        setup.restoreFile = tmp / "out" / "Restore.sdb";
        setup.cardCapacity = c.capacity;

        const auto before = snapshot(tmp.path());
        const TransferPlan plan = planTransfer(fs, list, setup, backup);
        EXPECT_EQ(snapshot(tmp.path()), before) << "the plan wrote something";
        EXPECT_EQ(plan.end, c.end);
        EXPECT_TRUE(plan.error.isOk()) << plan.error.reason();

        test::RecordingFrontEnd frontEnd;
        TransferRun run(fs, list, frontEnd);
        const RunResult result = run.run(setup, backup);
        ASSERT_EQ(result.outcome, plan.end);

        std::map<std::size_t, test::RecordingFrontEnd::Handled> handled;
        for (const auto& h : frontEnd.handled)
            handled.emplace(h.row, h);
        Written written = writtenTo(fs, setup);
        std::set<std::string> plannedFiles;
        std::uint64_t songBytes = 0;
        for (const PlannedSong& song : plan.songs) {
            const auto h = handled.find(song.row);
            if (song.fate == PlannedSong::Fate::Transferred) {
                ASSERT_NE(h, handled.end()) << song.index;
                EXPECT_EQ(h->second.outcome, SongOutcome::Transferred) << song.index;
                EXPECT_EQ(h->second.target, song.target) << song.index;
                EXPECT_FALSE(song.files.empty());
                for (const std::string& file : song.files)
                    plannedFiles.insert(song.target.substr(0, 8) + file);
                songBytes += song.bytes;
            } else if (song.fate == PlannedSong::Fate::NotFound) {
                ASSERT_NE(h, handled.end());
                EXPECT_EQ(h->second.outcome, SongOutcome::NotFound);
            } else {
                EXPECT_TRUE(h == handled.end() || h->second.outcome == SongOutcome::Failed) << song.index;
                EXPECT_EQ(song.fate, c.end == RunOutcome::OutputFull ? PlannedSong::Fate::NoRoom
                                                                     : PlannedSong::Fate::NoFolder);
                // A restore file keeps the files of the song that did not fit whole; the
                // information file does not list them.
                if (!song.target.empty())
                    std::erase_if(written.files,
                                  [&](const std::string& f) { return f.starts_with(song.target + "."); });
            }
        }
        EXPECT_EQ(plannedFiles, written.files);
        EXPECT_LE(songBytes, plan.charged);
        EXPECT_LE(plan.charged, plan.capacity);
        ASSERT_EQ(plan.folders.size(), written.info.folders.size());
        for (std::size_t i = 0; i < plan.folders.size(); ++i) {
            EXPECT_EQ(plan.folders[i].number, written.info.folders[i].number);
            EXPECT_EQ(plan.folders[i].title, written.info.folders[i].title);
            EXPECT_EQ(plan.folders[i].songs, written.info.folders[i].songs.size());
        }
    }
}

} // namespace
} // namespace lw
