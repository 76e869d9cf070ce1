// The working list: what the two builds put into each row, the order of the alphabetical
// list, every way a mark changes and how the count follows, what a view is told, and renaming.
#include "backup/WorkingList.h"
#include "SampleBackup.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace lw {
namespace {

using samples::SampleBackup;

// Builds the list from the table bytes the backup would have on disk.
void fill(WorkingList& list, const SampleBackup& b, ListOrder order) {
    const BackupFormat& f = backupFormat(b.kind);
    if (order == ListOrder::Standard)
        list.Liste_erstellen(f, parseFolderTable(f, samples::folderTableBytes(b)),
                             parseSongTable(f, samples::songTableBytes(b)));
    else
        list.Liste_erstellen_Alphabetisch(f, parseSongTable(f, samples::songTableBytes(b)));
}

WorkingList build(const SampleBackup& b, ListOrder order) {
    WorkingList list;
    fill(list, b, order);
    return list;
}

// A row by its Index ("00102") or its folder number ("001"); "none" is no row at all.
std::size_t rowOf(const WorkingList& list, const std::string& key) {
    if (key == "none")
        return list.size() + 5;
    const auto i = key.size() == 3 ? list.findFolder(key) : list.findSong(key);
    EXPECT_TRUE(i.has_value()) << key;
    return i.value_or(0);
}

// What must hold after every operation: a song row's icon agrees with its mark, folder
// rows keep icon 7, and the count is the number of marked song rows.
void expectConsistent(const WorkingList& list) {
    int marked = 0;
    for (const ListRow& r : list.rows()) {
        EXPECT_EQ(r.icon, !r.isSong() ? kIconFolder
                          : r.marked  ? kIconMarkedSong
                                      : kIconUnmarkedSong)
            << r.number;
        marked += r.isSong() && r.marked ? 1 : 0;
    }
    EXPECT_EQ(list.selectedCount(), marked);
}

TEST(Building, FolderRowsThenTheirSongsMarkedAndEmptyFoldersUnmarked) {
    const auto list =
        build({KeyboardKind::KN5000,
               {"", "", "My Folder"},
               {{3, 1, "Sixteen Chars 16", {}, 0}, {3, 5, "Evening Star Serenade 2001", {}, 0}}},
              ListOrder::Standard);
    ASSERT_EQ(list.size(), 120u + 2u);
    EXPECT_FALSE(list.row(1).marked); // folder 002: no songs
    EXPECT_EQ(list.row(2).text, "My Folder");
    EXPECT_EQ(list.row(2).number, "003");
    EXPECT_TRUE(list.row(2).marked);
    EXPECT_EQ(list.row(3).text, "Sixteen Chars 16");
    EXPECT_EQ(list.row(3).number, "01");
    EXPECT_EQ(list.row(3).index, "00301");
    // Column 1 holds the first 16 characters, column 3 the whole name.
    EXPECT_EQ(list.row(4).text, "Evening Star Ser");
    EXPECT_EQ(list.row(4).name, "Evening Star Serenade 2001");
    EXPECT_EQ(list.row(5).number, "004");
    EXPECT_FALSE(list.row(5).marked);
    EXPECT_EQ(list.availableSongs(), 2);
    expectConsistent(list);
}

TEST(Building, IndexDigitsFollowTheKindAndTheAlphabeticalNumberNamesTheFolder) {
    for (const auto& [kind, index] :
         {std::pair{KeyboardKind::KN2000, "1205"}, std::pair{KeyboardKind::KN6000, "01205"}}) {
        const SampleBackup b{kind, {}, {{12, 5, "Five", {}, 0}}};
        const auto standard = build(b, ListOrder::Standard);
        EXPECT_EQ(standard.row(*standard.findFolder("012") + 1).index, index);
        const auto alphabetical = build(b, ListOrder::Alphabetical);
        ASSERT_EQ(alphabetical.size(), 1u);
        EXPECT_EQ(alphabetical.row(0).index, index);
        EXPECT_EQ(alphabetical.row(0).number, "012-05");
    }
}

// The alphabetical order sorts the KN7000 name (16 characters) with the letter case of
// Windows-1252 folded; equal texts keep their backup order.
TEST(AlphabeticalOrder, Sorts) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<int>>> cases = {
        // names at places 1, 2, ... -> the places in list order
        {{"beta", "Alpha", "ALPHA", "alpha", "Gamma", "BETA"}, {2, 3, 4, 1, 6, 5}},
        // ä/Ä, š/Š, Ÿ/ÿ and Œ/œ are one letter each; × is no capital of ÷.
        {{"äpfel", "ÄPFEL", "ša", "ŠA", "Ÿ", "ÿ", "Œ", "œ", "÷", "×"}, {3, 4, 7, 8, 10, 1, 2, 9, 5, 6}},
        // All show "Evening Star Ser" but the last: equal, although the whole names differ.
        {{"Evening Star Serenade", "Evening Star Ser", "Evening Star Sea"}, {3, 1, 2}},
        {{"Blue Night", "BLUE"}, {2, 1}}};
    for (const auto& [names, order] : cases) {
        SampleBackup b{KeyboardKind::KN5000, {}, {}};
        for (std::size_t i = 0; i < names.size(); ++i)
            b.songs.push_back({1, static_cast<int>(i + 1), names[i], {}, 0});
        const WorkingList list = build(b, ListOrder::Alphabetical);
        std::vector<int> places;
        for (const ListRow& r : list.rows())
            places.push_back(std::stoi(r.index) % 100);
        EXPECT_EQ(places, order) << names[0];
    }
}

// ===== marks =====

// Folder 1: songs at places 1, 2, 3; folder 2: places 1 and 16; folder 3 and the rest: empty.
SampleBackup markBackup() {
    SampleBackup b{KeyboardKind::KN5000, {}, {}};
    for (const auto& [folder, place] : {std::pair{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 16}})
        b.songs.push_back({folder, place, "Song " + std::to_string(folder * 100 + place), {}, 0});
    return b;
}
SampleBackup sixteenEach() {
    return samples::fullBackup(KeyboardKind::KN5000, 48, {}, 0);
}
SampleBackup fullKn6000() {
    return samples::fullBackup(KeyboardKind::KN6000, 3840, {}, 0);
}

// Clicks and expected marks are words: "+00102" marks song 00102, "-001" unmarks folder 001,
// "*" presses the all-marks button, "@" builds the list anew, "none" is no row at all.
struct MarkScript {
    const char* label;
    SampleBackup (*backup)();
    ListOrder order;
    const char* clicks;
    int count;
    const char* marks;
};

std::vector<std::string> words(const char* text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

class Marks : public ::testing::TestWithParam<MarkScript> {};

TEST_P(Marks, FollowTheClicks) {
    const MarkScript& c = GetParam();
    WorkingList list = build(c.backup(), c.order);
    for (const std::string& click : words(c.clicks)) {
        if (click == "*")
            list.pressAllMarks();
        else if (click == "@")
            fill(list, c.backup(), ListOrder::Alphabetical);
        else
            list.setMarkByUser(rowOf(list, click.substr(1)), click[0] == '+');
    }
    EXPECT_EQ(list.selectedCount(), c.count);
    for (const std::string& mark : words(c.marks))
        EXPECT_EQ(list.row(rowOf(list, mark.substr(1))).marked, mark[0] == '+') << mark;
    expectConsistent(list);
}

constexpr auto S = ListOrder::Standard;

// A folder row carries its mark to its songs, up to the next folder row; a song that becomes
// marked marks the folder row above it; the all-marks button first clears, then sets every mark.
INSTANTIATE_TEST_SUITE_P(
    Clicks, Marks,
    ::testing::Values(
        MarkScript{"FolderUnmarksItsSongsOnly", markBackup, S, "-00102 -001", 2,
                   "-00101 -00102 -00103 +002 +00201"},
        MarkScript{"FolderMarksAllItsSongsAgain", markBackup, S, "-00102 -001 +001", 5,
                   "+00101 +00102 +00103"},
        MarkScript{"FolderReachesSixteenSongs", sixteenEach, S, "-002", 32,
                   "+00116 -00201 -00216 +003 +00301"},
        MarkScript{"LastFolderStopsAtTheEnd", fullKn6000, S, "-240", 3840 - 16, "+23916 -24016"},
        MarkScript{"SongMarksOnlyTheFolderAboveIt", markBackup, S, "-002 -001 +00216", 1,
                   "+002 +00216 -00201 -001"},
        MarkScript{"FolderStaysMarkedWithoutItsSongs", markBackup, S, "-00101 -00102 -00103", 2, "+001"},
        MarkScript{"SameMarkOrNoRowChangesNothing", markBackup, S, "+00101 +001 -00101 -00101 -none", 4,
                   "+001 -00101"},
        MarkScript{"AlphabeticalSongMarksNothingElse", markBackup, ListOrder::Alphabetical,
                   "-00101 -00102 +00102", 4, "-00101 +00102"},
        MarkScript{"AllMarksClear", markBackup, S, "*", 0, "-001 -00101 -00216"},
        MarkScript{"AllMarksSetEveryRowAgain", markBackup, S, "* +00101 *", 5, "+00102 +003 +120"},
        MarkScript{"AllMarksLatchSurvivesARebuild", markBackup, S, "* @ *", 5, "+00101"}),
    [](const auto& info) { return std::string(info.param.label); });

// A song written to the output is no longer counted, once, and keeps its icon.
TEST(Marks, ATransferredSongIsUncountedOnceAndKeepsItsIcon) {
    WorkingList list = build(markBackup(), ListOrder::Standard);
    list.markTransferred(1);
    list.markTransferred(1);
    EXPECT_EQ(list.selectedCount(), 4);
    EXPECT_FALSE(list.row(1).marked);
    EXPECT_EQ(list.row(1).icon, kIconMarkedSong);
}

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
    list.setMarkByUser(0, false); // folder 001 and its three songs
    list.setMarkByUser(3, true);  // song 00103 and, above it, folder 001
    list.pressAllMarks();
    list.clear();
    using Range = std::pair<std::size_t, std::size_t>;
    EXPECT_EQ(seen.ranges, (std::vector<Range>{{0, 3}, {0, 3}, {0, 124}}));
    EXPECT_EQ(seen.counts, 4);
    EXPECT_EQ(seen.resets, 1);
}

// Renaming changes column 1 only: at most 16 characters, text after a NUL dropped.
TEST(Rename, KeepsAtMost16CharactersBeforeANul) {
    const std::pair<std::string, std::string> cases[] = {{"Sixteen Chars 16", "Sixteen Chars 16"},
                                                         {"äääääääääääääääää", std::string(16, '\xE4')}, // 17
                                                         {std::string("Cut\0Here", 8), "Cut"}};
    for (const auto& [typed, kept] : cases) {
        WorkingList list = build(markBackup(), ListOrder::Standard);
        EXPECT_EQ(list.rename(2, typed), kept);
        EXPECT_EQ(list.row(2).name, "Song 102");
        EXPECT_EQ(list.row(2).index, "00102");
        EXPECT_TRUE(list.row(2).marked);
    }
}

} // namespace
} // namespace lw
