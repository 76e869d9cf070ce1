// The working list: the rows of both builds, the alphabetical order, every way a mark changes
// and how the count follows, what a view is told, renaming; and its texts' code page,
// Windows-1252, into which what people type must go and from which backup names come back.
#include "backup/WorkingList.h"
#include "SampleBackup.h"
#include "backup/Cp1252.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace lw {
namespace {

using samples::SampleBackup;
constexpr auto S = ListOrder::Standard;
constexpr auto A = ListOrder::Alphabetical;

// Builds the list (anew, when given one) from the table bytes the backup would have on disk.
WorkingList build(const SampleBackup& b, ListOrder order, WorkingList list = {}) {
    const BackupFormat& f = backupFormat(b.kind);
    const auto songs = parseSongTable(f, samples::songTableBytes(b));
    if (order == S)
        list.Liste_erstellen(f, parseFolderTable(f, samples::folderTableBytes(b)), songs);
    else
        list.Liste_erstellen_Alphabetisch(f, songs);
    return list;
}

// `count` rows from `first`, one a line: the mark ("+" or "-"), then columns 2, 1, 3 and 5.
std::string rowsText(const WorkingList& list, std::size_t first, std::size_t count) {
    std::string out;
    for (std::size_t i = first; i < first + count; ++i) {
        const ListRow& r = list.row(i);
        out += (r.marked ? "+" : "-") + r.number + " " + r.text + "|" + r.name + "|" + r.index + "\n";
    }
    return out;
}

// A row by its Index ("00102") or its folder number ("001"); "none" is no row at all.
std::size_t rowOf(const WorkingList& list, const std::string& key) {
    const auto i = key.size() == 3 ? list.findFolder(key) : list.findSong(key);
    EXPECT_TRUE(i || key == "none") << key;
    return i.value_or(key == "none" ? list.size() + 5 : 0);
}

// After every operation a song's icon agrees with its mark, folder rows keep icon 7, and the
// count is the number of marked song rows.
void expectConsistent(const WorkingList& list) {
    int marked = 0;
    for (const ListRow& r : list.rows()) {
        EXPECT_EQ(r.icon, r.isSong() ? (r.marked ? kIconMarkedSong : kIconUnmarkedSong) : kIconFolder);
        marked += r.isSong() && r.marked ? 1 : 0;
    }
    EXPECT_EQ(list.selectedCount(), marked);
}

// Folder 1 "Evergreens": songs at places 1, 2, 3; folder 2: places 1 and 16 (a name of 26
// characters); folder 3 and the rest: empty.
SampleBackup markBackup() {
    SampleBackup b{KeyboardKind::KN5000, {"Evergreens"}, {}};
    for (const auto& [folder, place] : {std::pair{1, 1}, {1, 2}, {1, 3}, {2, 1}})
        b.songs.push_back({folder, place, "Song " + std::to_string(folder * 100 + place), {}, 0});
    b.songs.push_back({2, 16, "Evening Star Serenade 2001", {}, 0});
    return b;
}

// Folder rows, then their songs, marked; empty folders unmarked. Column 1 holds the first 16
// characters, column 3 the whole name. The KN2000's index has four digits, and the
// alphabetical number names the folder.
TEST(Building, RowsOfBothOrders) {
    const auto list = build(markBackup(), S);
    ASSERT_EQ(list.size(), 120u + 5u);
    EXPECT_EQ(rowsText(list, 3, 5), "+03 Song 103|Song 103|00103\n+002 ||\n+01 Song 201|Song 201|00201\n"
                                    "+16 Evening Star Ser|Evening Star Serenade 2001|00216\n-003 ||\n");
    EXPECT_EQ(rowsText(list, 0, 1), "+001 Evergreens||\n");
    EXPECT_EQ(list.availableSongs(), 5);
    expectConsistent(list);
    const auto alphabetical = build({KeyboardKind::KN2000, {}, {{12, 5, "Five", {}, 0}}}, A);
    EXPECT_EQ(rowsText(alphabetical, 0, alphabetical.size()), "+012-05 Five|Five|1205\n");
}

// The alphabetical order sorts the KN7000 name (16 characters) with the letter case of
// Windows-1252 folded; equal texts keep their backup order. Names at places 1, 2, ... -> the
// places in list order.
TEST(AlphabeticalOrder, Sorts) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<int>>> cases = {
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
        const WorkingList list = build(b, A);
        std::vector<int> places;
        for (const ListRow& r : list.rows())
            places.push_back(std::stoi(r.index) % 100);
        EXPECT_EQ(places, order) << names[0];
    }
}

// A folder row carries its mark to its songs, up to the next folder row; a song that becomes
// marked marks the folder row above it; the all-marks button first clears, then sets every mark.
// A script's clicks, the count after them and the marks expected are words: "+00102" marks song 00102, "-001"
// unmarks folder 001,
// "*" presses the all-marks button, "@" builds the list anew in alphabetical order, "none" is
// no row at all.
TEST(Marks, FollowTheClicks) {
    const SampleBackup five = markBackup(),
                       sixteenEach = samples::fullBackup(KeyboardKind::KN5000, 48, {}, 0),
                       fullKn6000 = samples::fullBackup(KeyboardKind::KN6000, 3840, {}, 0);
    const std::tuple<const char*, const SampleBackup&, const char*, int, const char*> scripts[] = {
        {"FolderUnmarksItsSongsOnly", five, "-00102 -001", 2, "-00101 -00102 -00103 +002 +00201"},
        {"FolderMarksAllItsSongsAgain", five, "-00102 -001 +001", 5, "+00101 +00102 +00103"},
        {"FolderReachesSixteenSongs", sixteenEach, "-002", 32, "+00116 -00201 -00216 +003 +00301"},
        {"LastFolderStopsAtTheEnd", fullKn6000, "-240", 3840 - 16, "+23916 -24016"},
        {"SongMarksOnlyTheFolderAboveIt", five, "-002 -001 +00216", 1, "+002 +00216 -00201 -001"},
        {"FolderStaysMarkedWithoutItsSongs", five, "-00101 -00102 -00103", 2, "+001"},
        {"SameMarkOrNoRowChangesNothing", five, "+00101 +001 -00101 -00101 -none", 4, "+001 -00101"},
        {"AlphabeticalSongMarksNothingElse", five, "@ -00101 -00102 +00102", 4, "-00101 +00102"},
        {"AllMarksClear", five, "*", 0, "-001 -00101 -00216"},
        {"AllMarksSetEveryRowAgain", five, "* +00101 *", 5, "+00102 +003 +120"},
        {"AllMarksLatchSurvivesARebuild", five, "* @ *", 5, "+00101"}};
    for (const auto& [label, backup, clickWords, count, markWords] : scripts) {
        SCOPED_TRACE(label);
        WorkingList list = build(backup, S);
        std::istringstream clicks(clickWords), marks(markWords);
        for (std::string click; clicks >> click;) {
            if (click == "*")
                list.pressAllMarks();
            else if (click == "@")
                list = build(backup, A, std::move(list));
            else
                list.setMarkByUser(rowOf(list, click.substr(1)), click[0] == '+');
        }
        EXPECT_EQ(list.selectedCount(), count);
        for (std::string mark; marks >> mark;)
            EXPECT_EQ(list.row(rowOf(list, mark.substr(1))).marked, mark[0] == '+') << mark;
        expectConsistent(list);
    }
}

struct RecordingObserver : WorkingListObserver {
    void listReset() override { log += "reset "; }
    void rowsChanged(std::size_t a, std::size_t b) override {
        log += std::to_string(a) + "-" + std::to_string(b) + " ";
    }
    void countsChanged() override { log += "count "; }
    std::string log;
};

// A view is told which rows changed. A song written to the output is no longer counted, once,
// and keeps its icon.
TEST(Marks, AViewIsToldWhatChangedAndATransferredSongIsUncountedOnce) {
    WorkingList list = build(markBackup(), S);
    RecordingObserver seen;
    list.setObserver(&seen);
    list.setMarkByUser(0, false); // folder 001 and its three songs
    list.setMarkByUser(3, true);  // song 00103 and, above it, folder 001
    list.markTransferred(3);
    list.markTransferred(3);
    EXPECT_EQ(std::tuple(list.selectedCount(), list.row(3).marked, list.row(3).icon),
              std::tuple(2, false, kIconMarkedSong));
    list.pressAllMarks();
    list.clear();
    EXPECT_EQ(seen.log, "0-3 count 0-3 count 3-3 count 0-124 count reset count ");
}

// Renaming changes column 1 only: at most 16 characters, text after a NUL dropped.
TEST(Rename, KeepsAtMost16CharactersBeforeANul) {
    const std::pair<std::string, std::string> cases[] = {{"Sixteen Chars 16", "Sixteen Chars 16"},
                                                         {"äääääääääääääääää", std::string(16, '\xE4')}, // 17
                                                         {std::string("Cut\0Here", 8), "Cut"}};
    for (const auto& [typed, kept] : cases) {
        WorkingList list = build(markBackup(), S);
        EXPECT_EQ(list.rename(2, typed), kept);
        EXPECT_EQ(rowsText(list, 2, 1), "+02 " + kept + "|Song 102|00102\n");
    }
}

// Every byte survives the way to UTF-8 and back; 0x80-0x9F differ from Latin-1, and the five
// that Windows-1252 leaves undefined stand for the C1 controls. A character without a byte, and
// each malformed sequence, becomes "?". Rows: UTF-8, bytes, whether the bytes give it back.
TEST(Cp1252, ConvertsEveryByteAndTexts) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << "byte " << b;
    }
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"\xE2\x82\xAC", "\x80", true},
        {"\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", "\x81\x8D\x8F\x90\x9D", true},
        {"\xC5\xB8\xC2\xA0", "\x9F\xA0", true}, // Ÿ, no-break space
        {"a\xE4\xB8\xADz", "a?z", false},
        {"x\xF0\x9F\x8E\xB9y", "x?y", false},     // an emoji is one character
        {"\xC2\x80", "?", false},                 // U+0080 is not the euro
        {"A\x80Z", "A?Z", false},                 // a lone continuation byte
        {"AB\xC3", "AB?", false},                 // cut short at the end
        {"\xE4\xB8Z", "??Z", false},              // cut short before ASCII
        {std::string("\xC0\x80", 2), "?", false}, // an overlong NUL is no NUL
        {"\xE0\x80\xAF", "?", false},             // an overlong "/"
        {"\xED\xA0\x80", "?", false},             // a surrogate
        {"\xF4\x90\x80\x80", "?", false},         // beyond Unicode
    };
    for (const auto& [utf8, bytes, bothWays] : cases) {
        EXPECT_EQ(utf8ToCp1252(utf8), bytes) << utf8;
        EXPECT_EQ(bothWays ? cp1252ToUtf8(bytes) : utf8, utf8);
    }
    EXPECT_EQ(utf8ToCp1252("abc", 0), "");
}

} // namespace
} // namespace lw
