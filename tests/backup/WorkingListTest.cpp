// The working list: what the two builds put into each row, the order of the
// alphabetical list, every way a mark changes and how the count follows, and renaming.
#include "backup/WorkingList.h"
#include "SampleBackup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lw {
namespace {

using samples::SampleBackup;
using samples::SampleSong;

SampleBackup backupOf(KeyboardKind kind, std::vector<SampleSong> songs,
                      std::vector<std::string> folders = {}) {
    SampleBackup b;
    b.kind = kind;
    b.songs = std::move(songs);
    b.folderNames = std::move(folders);
    return b;
}

// Builds the list from the table bytes the backup would have on disk.
WorkingList build(const SampleBackup& b, ListOrder order) {
    const BackupFormat& f = backupFormat(b.kind);
    const auto folders = parseFolderTable(f, samples::folderTableBytes(b));
    const auto songs = parseSongTable(f, samples::songTableBytes(b));
    WorkingList list;
    if (order == ListOrder::Standard)
        list.Liste_erstellen(f, folders, songs);
    else
        list.Liste_erstellen_Alphabetisch(f, songs);
    return list;
}

std::vector<std::string> texts(const WorkingList& list) {
    std::vector<std::string> out;
    for (const auto& r : list.rows())
        out.push_back(r.text);
    return out;
}

// What must hold after every operation: a song row's icon agrees with its mark, folder
// rows keep icon 7, and the count is the number of marked song rows.
void expectConsistent(const WorkingList& list) {
    int marked = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ListRow& r = list.row(i);
        if (r.isSong()) {
            EXPECT_EQ(r.icon, r.marked ? kIconMarkedSong : kIconUnmarkedSong) << "row " << i;
            marked += r.marked ? 1 : 0;
        } else {
            EXPECT_EQ(r.icon, kIconFolder) << "row " << i;
        }
    }
    EXPECT_EQ(list.selectedCount(), marked);
}

std::size_t rowOfSong(const WorkingList& list, const std::string& index) {
    const auto i = list.findSong(index);
    EXPECT_TRUE(i.has_value()) << index;
    return i.value_or(0);
}

std::size_t rowOfFolder(const WorkingList& list, const std::string& number) {
    const auto i = list.findFolder(number);
    EXPECT_TRUE(i.has_value()) << number;
    return i.value_or(0);
}

// ===== building =====

TEST(StandardOrder, FolderRowThenItsSongsAndAnEmptyFolderUnmarked) {
    const auto list =
        build(backupOf(KeyboardKind::KN5000, {{3, 1, "Blue Night", {}, 0}, {3, 5, "Rumba", {}, 0}},
                       {"", "", "My Folder"}),
              ListOrder::Standard);
    ASSERT_EQ(list.size(), 120u + 2u);
    const std::size_t f3 = 2;
    const ListRow& folder = list.row(f3);
    EXPECT_TRUE(folder.isFolder());
    EXPECT_FALSE(folder.isSong());
    EXPECT_EQ(folder.text, "My Folder");
    EXPECT_EQ(folder.number, "003");
    EXPECT_EQ(folder.name, "");
    EXPECT_EQ(folder.index, "");
    EXPECT_TRUE(folder.marked);

    const ListRow& s1 = list.row(f3 + 1);
    EXPECT_EQ(s1.text, "Blue Night");
    EXPECT_EQ(s1.number, "01");
    EXPECT_EQ(s1.name, "Blue Night");
    EXPECT_EQ(s1.index, "00301");
    EXPECT_EQ(s1.resultMessage, 0);
    EXPECT_EQ(s1.icon, kIconMarkedSong);
    EXPECT_TRUE(s1.marked);
    EXPECT_EQ(list.row(f3 + 2).number, "05");
    EXPECT_EQ(list.row(f3 + 2).index, "00305");

    const ListRow& f4 = list.row(f3 + 3);
    EXPECT_EQ(f4.number, "004");
    EXPECT_FALSE(f4.marked);
    EXPECT_EQ(f4.icon, kIconFolder);
    EXPECT_TRUE(list.row(f3 + 4).isFolder());
    EXPECT_EQ(list.row(f3 + 4).number, "005");

    EXPECT_FALSE(list.row(0).marked); // folder 001: no songs
    EXPECT_EQ(list.availableSongs(), 2);
    EXPECT_EQ(list.selectedCount(), 2);
    expectConsistent(list);
}

struct IndexCase {
    KeyboardKind kind;
    const char* first;
    const char* second;
    std::size_t folderRows;
};

class IndexDigits : public ::testing::TestWithParam<IndexCase> {};

TEST_P(IndexDigits, FollowTheKind) {
    const IndexCase& c = GetParam();
    const SampleBackup b = backupOf(c.kind, {{3, 1, "One", {}, 0}, {3, 5, "Five", {}, 0}});
    const auto standard = build(b, ListOrder::Standard);
    EXPECT_EQ(standard.size(), c.folderRows + 2);
    EXPECT_EQ(standard.row(3).index, c.first);
    EXPECT_EQ(standard.row(4).index, c.second);
    EXPECT_EQ(standard.row(3).number, "01");
    EXPECT_EQ(standard.row(4).number, "05");

    const auto alphabetical = build(b, ListOrder::Alphabetical);
    ASSERT_EQ(alphabetical.size(), 2u);
    EXPECT_EQ(alphabetical.row(0).text, "Five");
    EXPECT_EQ(alphabetical.row(0).number, "003-05");
    EXPECT_EQ(alphabetical.row(0).index, c.second);
    EXPECT_EQ(alphabetical.row(1).number, "003-01");
    EXPECT_EQ(alphabetical.row(1).index, c.first);
}

INSTANTIATE_TEST_SUITE_P(Kinds, IndexDigits,
                         ::testing::Values(IndexCase{KeyboardKind::KN2000, "0301", "0305", 40},
                                           IndexCase{KeyboardKind::KN3000, "0301", "0305", 96},
                                           IndexCase{KeyboardKind::KN5000, "00301", "00305", 120},
                                           IndexCase{KeyboardKind::KN6000, "00301", "00305", 240}));

TEST(Building, HighestNumbersKeepAllTheirDigits) {
    const auto kn6000 =
        build(backupOf(KeyboardKind::KN6000, {{240, 16, "Final Bow", {}, 0}}), ListOrder::Standard);
    EXPECT_EQ(kn6000.rows().back().index, "24016");
    EXPECT_EQ(kn6000.rows().back().number, "16");
    const auto alpha =
        build(backupOf(KeyboardKind::KN6000, {{240, 16, "Final Bow", {}, 0}}), ListOrder::Alphabetical);
    EXPECT_EQ(alpha.row(0).number, "240-16");
    const auto kn3000 =
        build(backupOf(KeyboardKind::KN3000, {{96, 16, "Z", {}, 0}}), ListOrder::Alphabetical);
    EXPECT_EQ(kn3000.row(0).index, "9616");
    EXPECT_EQ(kn3000.row(0).number, "096-16");
}

struct NameLengthCase {
    std::string name;
    std::string text;
};

class SongNameLength : public ::testing::TestWithParam<NameLengthCase> {};

TEST_P(SongNameLength, Column1HoldsTheFirst16AndColumn3All) {
    for (ListOrder order : {ListOrder::Standard, ListOrder::Alphabetical}) {
        const auto list = build(backupOf(KeyboardKind::KN5000, {{1, 1, GetParam().name, {}, 0}}), order);
        const ListRow& r = list.row(order == ListOrder::Standard ? 1 : 0);
        EXPECT_EQ(r.text, GetParam().text);
        EXPECT_EQ(r.name, GetParam().name);
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, SongNameLength,
                         ::testing::Values(NameLengthCase{"Short", "Short"},
                                           NameLengthCase{"Sixteen Chars 16", "Sixteen Chars 16"},
                                           NameLengthCase{"Sixteenth Place Song", "Sixteenth Place "}, // 20
                                           NameLengthCase{"Evening Star Serenade 2001",
                                                          "Evening Star Ser"})); // 26

TEST(Building, ABackupWithoutSongs) {
    const SampleBackup b = backupOf(KeyboardKind::KN6000, {}, {"Showtime"});
    const auto standard = build(b, ListOrder::Standard);
    ASSERT_EQ(standard.size(), 240u);
    for (const auto& r : standard.rows()) {
        EXPECT_TRUE(r.isFolder());
        EXPECT_FALSE(r.marked);
    }
    EXPECT_EQ(standard.availableSongs(), 0);
    EXPECT_EQ(standard.selectedCount(), 0);
    const auto alphabetical = build(b, ListOrder::Alphabetical);
    EXPECT_EQ(alphabetical.size(), 0u);
    EXPECT_EQ(alphabetical.availableSongs(), 0);
    EXPECT_EQ(alphabetical.selectedCount(), 0);
}

TEST(Building, TheKn2000sEmptySixteenthPlacesNeverMakeRows) {
    const auto list = build(samples::fullBackup(KeyboardKind::KN2000, 600, {}, 0), ListOrder::Standard);
    EXPECT_EQ(list.size(), 40u + 600u);
    EXPECT_EQ(list.availableSongs(), 600);
    for (const auto& r : list.rows()) {
        if (r.isSong()) {
            EXPECT_NE(r.number, "16") << r.index;
        }
    }
    EXPECT_EQ(list.rows().back().index, "4015");
}

TEST(Building, AFullKn6000ListCountsEverySong) {
    const auto list = build(samples::fullBackup(KeyboardKind::KN6000, 3840, {}, 0), ListOrder::Standard);
    EXPECT_EQ(list.size(), 240u + 3840u);
    EXPECT_EQ(list.availableSongs(), 3840);
    EXPECT_EQ(list.selectedCount(), 3840);
    expectConsistent(list);
}

TEST(Building, ARebuildReplacesTheWholeList) {
    WorkingList list = build(backupOf(KeyboardKind::KN6000, {{1, 1, "Old", {}, 0}}), ListOrder::Standard);
    list.setMarkByUser(1, false);
    const SampleBackup next = backupOf(KeyboardKind::KN3000, {{2, 2, "New", {}, 0}, {2, 3, "Newer", {}, 0}});
    list.Liste_erstellen(
        backupFormat(KeyboardKind::KN3000),
        parseFolderTable(backupFormat(KeyboardKind::KN3000), samples::folderTableBytes(next)),
        parseSongTable(backupFormat(KeyboardKind::KN3000), samples::songTableBytes(next)));
    EXPECT_EQ(list.size(), 96u + 2u);
    EXPECT_EQ(list.selectedCount(), 2);
    EXPECT_EQ(list.availableSongs(), 2);
    EXPECT_EQ(list.row(2).index, "0202");
    list.clear();
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.selectedCount(), 0);
    EXPECT_FALSE(list.isBuilt());
}

// ===== the alphabetical order =====

TEST(AlphabeticalOrder, IgnoresLetterCaseAndKeepsTheBackupOrderOfEqualTexts) {
    const auto list = build(backupOf(KeyboardKind::KN5000,
                                     {
                                         {1, 1, "beta", {}, 0},
                                         {1, 2, "Alpha", {}, 0},
                                         {1, 5, "ALPHA", {}, 0},
                                         {2, 1, "alpha", {}, 0},
                                         {2, 2, "Gamma", {}, 0},
                                         {3, 1, "aLPHA", {}, 0},
                                         {3, 2, "BETA", {}, 0},
                                     }),
                            ListOrder::Alphabetical);
    EXPECT_EQ(texts(list),
              (std::vector<std::string>{"Alpha", "ALPHA", "alpha", "aLPHA", "beta", "BETA", "Gamma"}));
    EXPECT_EQ(list.row(0).index, "00102");
    EXPECT_EQ(list.row(3).index, "00301");
    for (const auto& r : list.rows())
        EXPECT_TRUE(r.isSong());
    expectConsistent(list);
}

TEST(AlphabeticalOrder, FoldsTheCaseOfWindows1252Letters) {
    // Ä/ä, Ö/ö, Š/š, Œ/œ, Ž/ž and Ÿ/ÿ are one letter each; the upper one comes first in
    // the backup, so equal texts must keep that order.
    const auto list = build(backupOf(KeyboardKind::KN5000,
                                     {
                                         {1, 1, "\xC3\xA4pfel", {}, 0}, // äpfel
                                         {1, 2, "\xC3\x84PFEL", {}, 0}, // ÄPFEL
                                         {1,
                                          3,
                                          "\xC5\xA1"
                                          "a",
                                          {},
                                          0}, // ša
                                         {1,
                                          4,
                                          "\xC5\xA0"
                                          "A",
                                          {},
                                          0},                       // ŠA
                                         {1, 5, "\xC5\xB8", {}, 0}, // Ÿ
                                         {1, 6, "\xC3\xBF", {}, 0}, // ÿ
                                         {1, 7, "\xC5\x92", {}, 0}, // Œ
                                         {1, 8, "\xC5\x93", {}, 0}, // œ
                                     }),
                            ListOrder::Alphabetical);
    ASSERT_EQ(list.size(), 8u);
    // Each case pair stays together, in backup order.
    auto pos = [&](const std::string& index) { return rowOfSong(list, index); };
    EXPECT_EQ(pos("00102"), pos("00101") + 1);
    EXPECT_EQ(pos("00104"), pos("00103") + 1);
    EXPECT_EQ(pos("00106"), pos("00105") + 1);
    EXPECT_EQ(pos("00108"), pos("00107") + 1);
}

TEST(AlphabeticalOrder, SortsByTheKn7000NameNotTheWholeName) {
    // Both show "Evening Star Ser"; the sort must see them as equal and keep backup order,
    // although their whole names would sort the other way round.
    const auto list = build(backupOf(KeyboardKind::KN5000, {{1, 1, "Evening Star Serenade", {}, 0},
                                                            {1, 2, "Evening Star Ser", {}, 0},
                                                            {1, 3, "Evening Star Sea", {}, 0}}),
                            ListOrder::Alphabetical);
    EXPECT_EQ(list.row(0).index, "00103");
    EXPECT_EQ(list.row(1).index, "00101");
    EXPECT_EQ(list.row(2).index, "00102");
}

TEST(AlphabeticalOrder, APrefixComesFirst) {
    const auto list =
        build(backupOf(KeyboardKind::KN5000, {{1, 1, "Blue Night", {}, 0}, {1, 2, "BLUE", {}, 0}}),
              ListOrder::Alphabetical);
    EXPECT_EQ(texts(list), (std::vector<std::string>{"BLUE", "Blue Night"}));
}

// ===== marks =====

// Folder 1: songs at places 1, 2, 3; folder 2: places 1 and 16; folder 3: empty.
SampleBackup markBackup() {
    return backupOf(KeyboardKind::KN5000, {{1, 1, "A1", {}, 0},
                                           {1, 2, "A2", {}, 0},
                                           {1, 3, "A3", {}, 0},
                                           {2, 1, "B1", {}, 0},
                                           {2, 16, "B16", {}, 0}});
}

TEST(Marks, UnmarkingAFolderCountsOnlySongsThatWereMarkedAndMarkingItRestores) {
    WorkingList list = build(markBackup(), ListOrder::Standard);
    ASSERT_EQ(list.selectedCount(), 5);
    list.setMarkByUser(rowOfSong(list, "00102"), false);
    EXPECT_EQ(list.selectedCount(), 4);
    list.setMarkByUser(rowOfFolder(list, "001"), false);
    EXPECT_EQ(list.selectedCount(), 2);
    for (const char* index : {"00101", "00102", "00103"})
        EXPECT_FALSE(list.row(rowOfSong(list, index)).marked) << index;
    // The next folder and its songs are untouched.
    EXPECT_TRUE(list.row(rowOfFolder(list, "002")).marked);
    EXPECT_TRUE(list.row(rowOfSong(list, "00201")).marked);
    expectConsistent(list);

    list.setMarkByUser(rowOfFolder(list, "001"), true);
    EXPECT_EQ(list.selectedCount(), 5);
    for (const char* index : {"00101", "00102", "00103"})
        EXPECT_TRUE(list.row(rowOfSong(list, index)).marked) << index;
    expectConsistent(list);
}

TEST(Marks, AFolderOfSixteenSongsReachesThemAllAndStopsAtTheNextFolder) {
    WorkingList list = build(samples::fullBackup(KeyboardKind::KN5000, 48, {}, 0), ListOrder::Standard);
    const std::size_t f2 = rowOfFolder(list, "002");
    ASSERT_EQ(f2, 17u);
    list.setMarkByUser(f2, false);
    EXPECT_EQ(list.selectedCount(), 32);
    for (std::size_t i = f2 + 1; i <= f2 + 16; ++i)
        EXPECT_FALSE(list.row(i).marked) << i;
    EXPECT_TRUE(list.row(f2 + 17).isFolder());
    EXPECT_TRUE(list.row(f2 + 17).marked);
    EXPECT_TRUE(list.row(f2 + 18).marked);
    EXPECT_TRUE(list.row(f2 - 1).marked);
    expectConsistent(list);
}

TEST(Marks, TheLastFolderStopsAtTheEndOfTheList) {
    WorkingList list = build(samples::fullBackup(KeyboardKind::KN6000, 3840, {}, 0), ListOrder::Standard);
    const std::size_t last = rowOfFolder(list, "240");
    ASSERT_EQ(last + 17, list.size());
    list.setMarkByUser(last, false);
    EXPECT_EQ(list.selectedCount(), 3840 - 16);
    EXPECT_FALSE(list.rows().back().marked);
    list.setMarkByUser(last, true);
    EXPECT_EQ(list.selectedCount(), 3840);
    expectConsistent(list);
}

TEST(Marks, MarkingASongMarksOnlyTheFolderRowAboveIt) {
    WorkingList list = build(markBackup(), ListOrder::Standard);
    list.setMarkByUser(rowOfFolder(list, "002"), false);
    list.setMarkByUser(rowOfFolder(list, "001"), false);
    ASSERT_EQ(list.selectedCount(), 0);
    list.setMarkByUser(rowOfSong(list, "00216"), true);
    EXPECT_EQ(list.selectedCount(), 1);
    EXPECT_TRUE(list.row(rowOfFolder(list, "002")).marked);
    EXPECT_FALSE(list.row(rowOfSong(list, "00201")).marked);
    EXPECT_FALSE(list.row(rowOfFolder(list, "001")).marked);
    EXPECT_FALSE(list.row(rowOfFolder(list, "003")).marked);
    expectConsistent(list);
}

TEST(Marks, UnmarkingEverySongLeavesTheFolderRowMarked) {
    WorkingList list = build(markBackup(), ListOrder::Standard);
    for (const char* index : {"00101", "00102", "00103"})
        list.setMarkByUser(rowOfSong(list, index), false);
    EXPECT_EQ(list.selectedCount(), 2);
    EXPECT_TRUE(list.row(rowOfFolder(list, "001")).marked);
    expectConsistent(list);
}

TEST(Marks, MarkingAnEmptyFoldersRowChangesNoCount) {
    WorkingList list = build(markBackup(), ListOrder::Standard);
    const std::size_t f3 = rowOfFolder(list, "003");
    list.setMarkByUser(f3, true);
    EXPECT_TRUE(list.row(f3).marked);
    EXPECT_EQ(list.selectedCount(), 5);
    expectConsistent(list);
}

TEST(Marks, AskingForTheMarkARowAlreadyHasChangesNothing) {
    WorkingList list = build(markBackup(), ListOrder::Standard);
    list.setMarkByUser(rowOfSong(list, "00101"), true);
    list.setMarkByUser(rowOfFolder(list, "001"), true);
    EXPECT_EQ(list.selectedCount(), 5);
    list.setMarkByUser(rowOfSong(list, "00101"), false);
    list.setMarkByUser(rowOfSong(list, "00101"), false);
    EXPECT_EQ(list.selectedCount(), 4);
    list.setMarkByUser(list.size() + 5, false); // no such row
    EXPECT_EQ(list.selectedCount(), 4);
    expectConsistent(list);
}

TEST(Marks, InTheAlphabeticalListASongMarksNothingElse) {
    WorkingList list = build(markBackup(), ListOrder::Alphabetical);
    list.setMarkByUser(0, false);
    list.setMarkByUser(1, false);
    EXPECT_EQ(list.selectedCount(), 3);
    list.setMarkByUser(1, true);
    EXPECT_EQ(list.selectedCount(), 4);
    EXPECT_FALSE(list.row(0).marked);
    expectConsistent(list);
}

// ===== the all-marks button =====

TEST(AllMarks, ClearingMarkingThreeByHandAndSettingAgainCountsEverySongOnce) {
    WorkingList list = build(markBackup(), ListOrder::Standard);
    EXPECT_FALSE(list.allMarksPressed());
    list.pressAllMarks();
    EXPECT_TRUE(list.allMarksPressed());
    EXPECT_EQ(list.selectedCount(), 0);
    for (const auto& r : list.rows())
        EXPECT_FALSE(r.marked);
    expectConsistent(list);

    for (const char* index : {"00101", "00103", "00216"})
        list.setMarkByUser(rowOfSong(list, index), true);
    EXPECT_EQ(list.selectedCount(), 3);
    EXPECT_TRUE(list.row(rowOfFolder(list, "001")).marked);
    expectConsistent(list);

    list.pressAllMarks();
    EXPECT_FALSE(list.allMarksPressed());
    EXPECT_EQ(list.selectedCount(), 5);
    for (const auto& r : list.rows())
        EXPECT_TRUE(r.marked); // folder rows too, also the empty folders'
    expectConsistent(list);
}

TEST(AllMarks, TheButtonStateSurvivesARebuild) {
    WorkingList list = build(markBackup(), ListOrder::Standard);
    list.pressAllMarks(); // left pressed
    const SampleBackup b = markBackup();
    const BackupFormat& f = backupFormat(b.kind);
    list.Liste_erstellen_Alphabetisch(f, parseSongTable(f, samples::songTableBytes(b)));
    EXPECT_TRUE(list.allMarksPressed());
    EXPECT_EQ(list.selectedCount(), 5);

    list.pressAllMarks(); // releases: marks every row, all were marked already
    EXPECT_FALSE(list.allMarksPressed());
    EXPECT_EQ(list.selectedCount(), 5);
    expectConsistent(list);

    list.pressAllMarks(); // and now clears
    EXPECT_EQ(list.selectedCount(), 0);
    expectConsistent(list);
}

// ===== what a view is told =====

class RecordingObserver : public WorkingListObserver {
public:
    void listReset() override { ++resets; }
    void rowsChanged(std::size_t first, std::size_t last) override { ranges.emplace_back(first, last); }
    void countsChanged() override { ++counts; }
    int resets = 0;
    int counts = 0;
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
};

TEST(Observer, IsToldWhichRowsAMarkChanged) {
    WorkingList list = build(markBackup(), ListOrder::Standard);
    RecordingObserver seen;
    list.setObserver(&seen);
    const std::size_t f1 = rowOfFolder(list, "001");
    list.setMarkByUser(f1, false);
    ASSERT_EQ(seen.ranges.size(), 1u);
    EXPECT_EQ(seen.ranges[0], std::make_pair(f1, f1 + 3));
    EXPECT_EQ(seen.counts, 1);

    // Marking a song also marks its folder row, which a view must repaint.
    const std::size_t s3 = rowOfSong(list, "00103");
    list.setMarkByUser(s3, true);
    ASSERT_EQ(seen.ranges.size(), 2u);
    EXPECT_LE(seen.ranges[1].first, f1);
    EXPECT_GE(seen.ranges[1].second, s3);

    list.pressAllMarks();
    EXPECT_EQ(seen.ranges.back(), std::make_pair(std::size_t{0}, list.size() - 1));
    const SampleBackup b = markBackup();
    list.Liste_erstellen_Alphabetisch(backupFormat(b.kind),
                                      parseSongTable(backupFormat(b.kind), samples::songTableBytes(b)));
    EXPECT_EQ(seen.resets, 1);
    list.setObserver(nullptr);
}

// ===== renaming =====

struct RenameCase {
    const char* label;
    std::string typed; // UTF-8
    std::string kept;  // Windows-1252
};

class Rename : public ::testing::TestWithParam<RenameCase> {};

TEST_P(Rename, AcceptsThisText) {
    WorkingList list = build(markBackup(), ListOrder::Standard);
    const std::size_t row = rowOfSong(list, "00102");
    EXPECT_EQ(list.rename(row, GetParam().typed), GetParam().kept);
    const ListRow& r = list.row(row);
    EXPECT_EQ(r.text, GetParam().kept);
    // Only column 1 changes.
    EXPECT_EQ(r.name, "A2");
    EXPECT_EQ(r.index, "00102");
    EXPECT_EQ(r.number, "02");
    EXPECT_TRUE(r.marked);
    EXPECT_EQ(list.selectedCount(), 5);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Texts, Rename,
    ::testing::Values(RenameCase{"Eighteen", "Eighteen Chars 18", "Eighteen Chars 1"},
                      RenameCase{"Exactly16", "Sixteen Chars 16", "Sixteen Chars 16"},
                      RenameCase{"Empty", "", ""}, RenameCase{"Blanks", "  ", "  "},
                      RenameCase{
                          "Umlauts18",
                          "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\x84\xC3\x96\xC3\x9C"
                          "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4",
                          "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xC4\xD6"},
                      RenameCase{"Euro", "5 \xE2\x82\xAC", "5 \x80"},
                      RenameCase{"NoByteForHan", "Song \xE4\xB8\xAD", "Song ?"},
                      RenameCase{"EmojiIsOneQuestionMark", "\xF0\x9F\x8E\xB9 Piano", "? Piano"},
                      RenameCase{"MalformedUtf8",
                                 "Bad\xFF"
                                 "End",
                                 "Bad?End"},
                      RenameCase{"TextAfterNulDropped", "Cut\0Here"s, "Cut"}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace lw
