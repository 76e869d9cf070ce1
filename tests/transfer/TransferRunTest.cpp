// The transfer run end to end over real files in a temporary folder, most runs beside their
// plan: the card tree and the restore file in both orders, adding to a card that holds songs,
// the stops, cancel, failing media, nearly full cards, and outputs that would touch the backup.
#include "card/TransferRun.h"
#include "SampleBackup.h"
#include "card/CardCheck.h"
#include "card/CardLayout.h"
#include "card/CardRoom.h"
#include "card/RestoreFileReader.h"
#include "card/TransferPlan.h"
#include "platform/Path.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <utility>

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::FaultyFileSystem;
using test::FsOp;
using Names = std::vector<std::string>;
using Tree = test::FileTree;
using enum OutputMode;
using enum CardOrder;
using enum RunOutcome;
using enum RunStep;

// Every file of `before` is still below root with the same bytes, but `except`.
void expectKept(const Tree& before, const fs::path& root, const std::string& except = {}) {
    const Tree now = test::fileTree(root);
    for (const auto& [path, bytes] : before) {
        const auto it = now.find(path);
        EXPECT_TRUE(path == except || (it != now.end() && it->second == bytes)) << path;
    }
}

// The folders of an information file as "13 Directory 13/20": number, title and songs.
Names folders(const DecodedInfoFile& info) {
    Names out;
    for (const auto& f : info.folders)
        out.push_back(std::to_string(f.number) + " " + f.title + "/" + std::to_string(f.songs.size()));
    return out;
}

Names split(const std::string& text) {
    Names out;
    for (std::size_t at = 0, end = 0; end != std::string::npos && !text.empty(); at = end + 1)
        out.push_back(text.substr(at, (end = text.find('|', at)) - at));
    return out;
}

int songCount(const DecodedInfoFile& info) {
    int n = 0;
    for (const auto& f : info.folders)
        n += static_cast<int>(f.songs.size());
    return n;
}

// Records what the run reports, and presses the cancel button and answers its question as told.
struct Recorder : TransferFrontEnd {
    std::size_t handled = 0;
    Names transferred; // the places of the songs transferred, in order
    // Each message's number (that of its first piece), 73 after it when it advises to check
    // the card, and each cancel question.
    std::vector<int> shown;
    bool cancel = false;
    bool answer = true;
    std::function<void(std::size_t handled)> onEvents;

    void rowSelected(std::size_t) override {}
    void rowInView(std::size_t) override {}
    void rowHandled(std::size_t, SongOutcome outcome, const std::string& target) override {
        ++handled;
        if (outcome == SongOutcome::Transferred)
            transferred.push_back(target);
    }
    void progress(int, int) override {}
    void message(const RunMessage& m) override {
        shown.push_back(m.parts.front().number);
        if (std::any_of(m.parts.begin(), m.parts.end(), [](auto& p) { return p.number == 73; }))
            shown.push_back(73);
    }
    bool askCancel(int question, int) override {
        shown.push_back(question);
        return answer;
    }
    void processEvents() override {
        if (onEvents)
            onEvents(handled);
    }
    bool takeCancelRequest() override { return std::exchange(cancel, false); }
    void beep() override {}
};

class TransferRunTest : public ::testing::Test {
public:
    test::TempDir tmp;
    FaultyFileSystem fs;
    WorkingList list;
    Recorder frontEnd;
    std::string backupPath;
    TransferSetup last;                // of the last run
    std::int32_t capacity = 999910000; // of the card a restore file is meant for
    bool unforeseen = false;           // a fault or a cancel that the plan of the run cannot know

    void load(const samples::SampleBackup& backup, ListOrder order = ListOrder::Standard) {
        list = WorkingList();
        frontEnd = Recorder();
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
    // n songs in place order, 16 to a folder, each with `files` of `bytes` bytes.
    void loadSongs(int n, std::vector<std::string> files = {".SQT"}, std::size_t bytes = 10) {
        load(samples::fullBackup(KeyboardKind::KN6000, n, files, bytes));
    }
    // The card is card/, the program's restore folder RestorSDB/.
    TransferSetup setup(OutputMode mode, CardOrder order = Sequential, bool add = false) {
        fs::create_directories(tmp / "card");
        return {mode,         order,
                tmp / "card", withTrailingSeparator(pathToUtf8(tmp / "card")),
                add,          tmp / "RestorSDB" / "Restore.sdb",
                true,         pathToUtf8(tmp.path()),
                capacity,     16384};
    }
    RunResult runWith(const TransferSetup& s) {
        last = s;
        return TransferRun(fs, list, frontEnd).run(s, backupPath);
    }
    fs::path kn7000() const { return kn7000Path(tmp / "card"); }
    // A card whose first n folders are in use: titled "Old 1" ... in its information file,
    // each with its empty TFLDnnn folder.
    void cardWithFolders(int n) {
        if (n == 0)
            return;
        InfoFile inf;
        for (int i = 1; i <= n; ++i) {
            fs::create_directories(kn7000() / songFolderName(i));
            EXPECT_TRUE(inf.setFolderTitle(i, "Old " + std::to_string(i)).isOk());
        }
        test::writeBytes(kn7000() / "KN7000MN.INF", {inf.content().begin(), inf.content().end()});
    }
    // A card written by a run of n songs.
    void cardWithSongs(int n) {
        loadSongs(n);
        ASSERT_EQ(runWith(setup(Card)).outcome, Completed);
    }

    // What the last run's output holds: its song files as "TFLD001/0100101_.SQT" (a card's
    // sorted, a restore file's in the order written), and its information file, which on a
    // card agrees with the files.
    std::pair<Names, DecodedInfoFile> output() {
        if (last.mode == Card) {
            const CardCheck card = checkCard(fs, last.cardRoot);
            EXPECT_TRUE(card.agrees()) << card.infoError.toString();
            return {cardFiles(), card.info.value_or(DecodedInfoFile{})};
        }
        auto in = fs.openRead(last.restoreFile);
        auto contents = readRestoreContents(**in, "Restore.sdb");
        EXPECT_TRUE(contents.isOk()) << contents.status().toString();
        Names files;
        for (const auto& parts : contents ? contents->parts : std::vector<Names>{})
            if (parts.size() == 5)
                files.push_back(parts[3] + "/" + parts[4]);
        return {files, contents ? contents->info : DecodedInfoFile{}};
    }
    Names cardFiles() {
        Names out;
        for (const auto& [path, bytes] : test::fileTree(kn7000()))
            if (path != kInfFileName)
                out.push_back(path);
        return out;
    }

    // Plans the run (which must write nothing), runs it, and checks that the plan said what
    // the run did: how it ends, each song's fate and place, the song files, the folders.
    RunResult planAndRun(const TransferSetup& s) {
        const Tree before = test::fileTree(tmp.path());
        const Names oldFiles = s.addToCard ? cardFiles() : Names{};
        const TransferPlan plan = planTransfer(fs, list, s, BackupDirectory(fs, backupPath));
        EXPECT_EQ(test::fileTree(tmp.path()), before) << "the plan wrote something";
        const RunResult r = runWith(s);
        EXPECT_EQ(plan.end, r.outcome);
        if (r.outcome == Aborted || r.outcome == NothingMarked)
            return r;
        auto [files, info] = output();
        using enum PlannedSong::Fate;
        std::set<std::string> planned(oldFiles.begin(), oldFiles.end());
        Names transferred, planFolders;
        int notFound = 0;
        for (const PlannedSong& song : plan.songs) {
            EXPECT_TRUE(song.fate == Transferred || song.fate == NotFound ||
                        song.fate == (r.outcome == OutputFull ? NoRoom : NoFolder))
                << song.index;
            notFound += song.fate == NotFound;
            if (song.fate == Transferred)
                transferred.push_back(song.target);
            for (const std::string& file : song.fate == Transferred ? song.files : Names{})
                planned.insert(song.target.substr(0, 8) + file);
            // A restore file keeps the data of the song that did not fit; nothing lists it.
            if (song.fate == NoRoom && s.mode == RestoreFile && !song.target.empty())
                std::erase_if(files, [&](auto& f) { return f.starts_with(song.target + "."); });
        }
        EXPECT_EQ(std::pair(transferred, notFound), std::pair(frontEnd.transferred, r.notFound));
        EXPECT_EQ(planned, std::set<std::string>(files.begin(), files.end()));
        EXPECT_LE(plan.charged, plan.capacity);
        for (const PlannedFolder& f : plan.folders)
            planFolders.push_back(std::to_string(f.number) + " " + f.title + "/" + std::to_string(f.songs));
        EXPECT_EQ(planFolders, folders(info));
        return r;
    }
};

// --- Every run: how it ends, what it shows, what it leaves --------------------------------

using Ints = std::vector<int>;
using More = std::function<void(TransferRunTest&)>;
using Arrange = std::function<TransferSetup(TransferRunTest&)>;

struct RunCase {
    const char* name;
    Arrange arrange; // loads the list, readies the output
    RunOutcome outcome;
    int transferred;
    Ints shown;               // messages and questions, as Recorder::shown
    const char* failing = ""; // a piece of the failure's path; "" when nothing failed
    RunStep step = Claim;
    const char* folders = ""; // the information file's new folders (after the card's own), "|" between
    const char* files = "";   // song files the output holds among others, "|" between
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.name;
}

class Runs : public TransferRunTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(Runs, EndAsTheirCaseSaysAndTouchNothingElse) {
    const RunCase& c = GetParam();
    const TransferSetup s = c.arrange(*this);
    if (s.mode == RestoreFile && s.recreateRestoreFolder && !fs::exists(tmp / "RestorSDB")) {
        fs::create_directories(tmp / "RestorSDB");
        test::writeBytes(s.restoreFile, {1, 2, 3}); // an earlier restore file
    }
    const fs::path backup = pathFromUtf8(backupPath);
    const Tree backupBefore = test::fileTree(backup), cardBefore = test::fileTree(tmp / "card");
    const auto oldInfo = s.addToCard ? checkCard(fs, s.cardRoot).info : std::nullopt;
    const auto earlier =
        fs::is_regular_file(s.restoreFile) ? test::readBytes(s.restoreFile) : Tree::mapped_type{};
    const std::size_t writes = fs.touched().size();
    const int marked = list.selectedCount();
    const RunResult r = unforeseen ? runWith(s) : planAndRun(s);

    EXPECT_EQ(std::tuple(r.outcome, r.transferred, r.step), std::tuple(c.outcome, c.transferred, c.step))
        << r.error.toString();
    EXPECT_EQ(frontEnd.shown, c.shown);
    EXPECT_TRUE(*c.failing ? r.error.path().find(c.failing) != std::string::npos : r.error.isOk())
        << r.error.toString();
    EXPECT_EQ(list.selectedCount(), marked - r.transferred) << "transferred songs are unmarked";
    expectKept(backupBefore, backup);
    EXPECT_TRUE(fs.touchedOnlyBelow(s.mode == Card ? s.cardRoot / "PRIVATE" : s.restoreFile.parent_path()));
    for (const auto& e : fs::recursive_directory_iterator(tmp.path()))
        EXPECT_EQ(e.path().filename().string().find("liedwerk-tmp"), std::string::npos) << e.path();
    const bool untouched = r.outcome == NothingMarked || (r.outcome == Aborted && r.step == Claim);
    EXPECT_TRUE(!untouched || fs.touched().size() == writes) << "nothing was touched";
    if (s.addToCard) // the card's songs stay, and its information file until a new one is complete
        expectKept(cardBefore, tmp / "card",
                   r.outcome == Aborted ? "" : "PRIVATE/TECHNICS/KN7000/KN7000MN.INF");
    if (r.outcome == Aborted || r.outcome == NothingMarked) {
        EXPECT_TRUE(s.mode == Card || earlier.empty() || test::readBytes(s.restoreFile) == earlier)
            << "a failed run leaves the earlier restore file";
        return;
    }
    const auto [files, info] = output();
    const DecodedInfoFile old = oldInfo.value_or(DecodedInfoFile{});
    Names expected = folders(old);
    const Names given = split(c.folders);
    expected.insert(expected.end(), given.begin(), given.end());
    EXPECT_TRUE(given.empty() || folders(info) == expected) << ::testing::PrintToString(folders(info));
    EXPECT_EQ(songCount(info) - songCount(old), r.transferred);
    for (const std::string& file : split(c.files))
        EXPECT_NE(std::find(files.begin(), files.end(), file), files.end()) << file;
    EXPECT_TRUE(s.mode == Card || !s.recreateRestoreFolder ||
                std::distance(fs::directory_iterator(tmp / "RestorSDB"), fs::directory_iterator()) == 1)
        << "the program's restore folder holds the restore file alone";
}

// n songs, each with `files` of `bytes` bytes, to the output, after `more` readied the rest.
Arrange songs(int n, OutputMode mode, CardOrder order = Sequential, More more = {}, Names files = {".SQT"},
              std::size_t bytes = 10, ListOrder list = ListOrder::Standard) {
    return [=](TransferRunTest& t) {
        t.load(samples::fullBackup(KeyboardKind::KN6000, n, files, bytes), list);
        if (more)
            more(t);
        return t.setup(mode, order);
    };
}
// n songs added to a card that `card` readies.
Arrange adding(int n, CardOrder order, More card) {
    return [=](TransferRunTest& t) {
        card(t);
        t.loadSongs(n);
        return t.setup(Card, order, true);
    };
}
More then(More first, More second) {
    return [=](TransferRunTest& t) {
        first(t);
        second(t);
    };
}
// A fault of the medium, which the plan of a run cannot foresee.
More fault(std::function<void(FaultyFileSystem&)> fault) {
    return [=](TransferRunTest& t) {
        fault(t.fs);
        t.unforeseen = true;
    };
}
auto failing(FsOp op, const char* pattern, ErrorCode code = ErrorCode::PermissionDenied, int times = -1) {
    return [=](FaultyFileSystem& fs) { fs.failOn(op, pattern, code, "simulated", times); };
}
// 25 songs of two files each, and a fault.
Arrange faulty(OutputMode mode, std::function<void(FaultyFileSystem&)> f) {
    return songs(25, mode, Sequential, fault(f), {".SQT", ".LSW"}, 10000);
}
More capacity(std::uint64_t bytes, std::uint64_t unit) {
    return [=](TransferRunTest& t) { t.fs.setCapacity(bytes, unit); };
}
const More pressAllMarks = [](TransferRunTest& t) { t.list.pressAllMarks(); };
template <class... Ids>
More unmark(Ids... ids) {
    return [=](TransferRunTest& t) {
        for (const std::string id : {ids...})
            t.list.setMarkByUser(id.size() == 3 ? *t.list.findFolder(id) : *t.list.findSong(id), false);
    };
}
// The cancel button pressed before the run (which forgets it) and after the given song.
More cancelAt(std::size_t song, bool answer) {
    return [=](TransferRunTest& t) {
        t.frontEnd.answer = answer;
        t.frontEnd.cancel = t.unforeseen = answer;
        t.frontEnd.onEvents = [&t, song](std::size_t handled) { t.frontEnd.cancel |= handled == song; };
    };
}
// While the first song is written, a second run on the same output is refused at once.
More secondRun(OutputMode mode) {
    return [=](TransferRunTest& t) {
        t.frontEnd.onEvents = [&t, s = t.setup(mode)](std::size_t handled) {
            WorkingList other = t.list;
            Recorder quiet;
            EXPECT_TRUE(handled != 1 ||
                        TransferRun(t.fs, other, quiet).run(s, t.backupPath).error.code() == ErrorCode::Busy);
        };
    };
}
More inUse(int n) {
    return [=](TransferRunTest& t) { t.cardWithFolders(n); };
}
More withSongs(int n) {
    return [=](TransferRunTest& t) { t.cardWithSongs(n); };
}
// The backup moved to `place` below the test's folder, or reached from there through a link.
More backupAt(const char* place, bool link) {
    return [=](TransferRunTest& t) {
        fs::create_directories((t.tmp / place).parent_path());
        if (link)
            fs::create_directory_symlink(pathFromUtf8(t.backupPath), t.tmp / place);
        else
            fs::rename(t.tmp / "backup", t.tmp / place);
        t.backupPath = withTrailingSeparator(pathToUtf8(t.tmp / place));
    };
}
// `link` below the test's folder made a link to `target` there, a symbolic one unless hard.
More linked(const char* target, const char* link, bool hard = false) {
    return [=](TransferRunTest& t) {
        fs::create_directories((t.tmp / link).parent_path());
        if (hard)
            fs::create_hard_link(t.tmp / target, t.tmp / link);
        else
            fs::create_symlink(t.tmp / target, t.tmp / link);
    };
}
// Two songs into the restore file `file` below the test's folder, after `more`; nothing else
// in its folder is the run's.
Arrange restoreAt(const char* file, More more = {}) {
    return [=](TransferRunTest& t) {
        t.loadSongs(2);
        if (more)
            more(t);
        fs::create_directories((t.tmp / file).parent_path());
        TransferSetup s = t.setup(RestoreFile);
        s.restoreFile = t.tmp / file;
        s.recreateRestoreFolder = false;
        return s;
    };
}
void oldReadOnlyPrivate(TransferRunTest& t) {
    const fs::path old = t.kn7000() / "TFLD007";
    fs::create_directories(old);
    test::writeBytes(old / "0100999_.SQT", {1, 2, 3});
    fs::permissions(old / "0100999_.SQT", fs::perms::owner_read);
    fs::permissions(old, fs::perms::owner_read | fs::perms::owner_exec);
    test::writeBytes(t.tmp / "card" / "photo.jpg", {9});
}
// What a killed run and a user left in the program's restore folder.
void leftInRestoreFolder(TransferRunTest& t) {
    fs::create_directories(t.tmp / "RestorSDB");
    test::writeBytes(t.tmp / "RestorSDB" / "old.txt", {1});
    test::writeBytes(t.tmp / "RestorSDB" / ".Restore.sdb.liedwerk-tmp", {2});
}

const RunCase kRuns[] = {
    // The two orders.
    {"SequenceOfFoldersOfTwenty", songs(45, RestoreFile), Completed, 45, Ints{62}, "", Claim,
     "1 Direktory 01/20|2 Directory 02/20|3 Directory 03/5", "TFLD001/2000204_.SQT|TFLD003/0500313_.SQT"},
    {"TwentySongsAndOneRowMore", songs(21, Card, Sequential, unmark("00205")), Completed, 20, Ints{65}, "",
     Claim, "1 Direktory 01/20|2 Directory 02/0"},
    {"AlphabeticalListInSequence",
     songs(3, RestoreFile, KeepStructure, {}, {".SQT"}, 10, ListOrder::Alphabetical), Completed, 3, Ints{62},
     "", Claim, "1 Direktory 01/3"},
    {"SongWithoutFilesLeavesItsSlotAndStaysMarked",
     songs(5, Card, Sequential, [](auto& t) { fs::remove(t.tmp / "backup" / "00103.SQT"); }), Completed, 4,
     Ints{65}, "", Claim, "1 Direktory 01/4", "TFLD001/0300104_.SQT"},
    {"KeepingFoldersAndPlaces",
     songs(40, Card, KeepStructure, unmark("00102", "00103", "00104", "002"), {".SQT", ".ACT"}), Completed,
     21, Ints{65}, "", Claim, "1 Folder 1/13|2 Folder 3/8", "TFLD001/0500105_.SQT|TFLD002/0100301_.ACT"},
    {"MarkedFolderWithoutSongs", songs(17, RestoreFile, KeepStructure, unmark("00201")), Completed, 16,
     Ints{62}, "", Claim, "1 Folder 1/16|2 Folder 2/0"},

    // Stops: 99 folders, a full card, cancel.
    {"RowAfterNinetyNineFullFolders", songs(1981, RestoreFile), FoldersUsedUp, 1980, Ints{54, 62}, "", Claim,
     "", "TFLD099/2012412_.SQT"},
    {"HundredthMarkedFolderRow", songs(2, Card, KeepStructure, then(pressAllMarks, pressAllMarks)),
     FoldersUsedUp, 2, Ints{46, 65}},
    // The three card folders, a song folder and 81920 bytes: a file filling its last cluster
    // is charged one more, and must leave more than its size.
    {"SimulatedCardFull",
     songs(
         3, RestoreFile, Sequential, [](auto& t) { t.capacity = 9 * 16384; }, {".SQT"}, 16384),
     OutputFull, 1, Ints{57, 62}, "", Claim, "1 Direktory 01/1"},
    // The information file, four folders, five files and less than a sixth.
    {"CardFullBeforeTheSecondGroup",
     songs(3, Card, Sequential, capacity(55000 + 4000 + 5 * 20000 + 10000, 1000), {".SQT", ".LSW", ".ACT"},
           20000),
     OutputFull, 1, Ints{78, 65}, "", Claim, "1 Direktory 01/1"},
    {"CardSayingNoSpaceInAFile",
     songs(3, Card, Sequential, fault([](auto& fs) { fs.failWriteAfter("0200102_.SQT", 1000); }), {".SQT"},
           5000),
     OutputFull, 1, Ints{78, 65}, "", Claim, "1 Direktory 01/1"},
    {"CancelConfirmed", songs(8, Card, Sequential, cancelAt(5, true)), Cancelled, 5, Ints{60, 65}, "", Claim,
     "1 Direktory 01/5"},
    {"CancelAnsweredNo", songs(4, RestoreFile, KeepStructure, cancelAt(2, false)), Completed, 4,
     Ints{52, 62}},
    {"NothingMarked", songs(2, Card, Sequential, pressAllMarks), NothingMarked, 0, Ints{}},
    {"CardNotAnswering",
     songs(2, Card, Sequential, fault(failing(FsOp::FreeSpace, "", ErrorCode::DeviceUnavailable, 1))),
     Aborted, 0, Ints{131}},
    {"OldPrivateWithReadOnlyFiles", songs(1, Card, Sequential, oldReadOnlyPrivate), Completed, 1, Ints{65},
     "", Claim, "1 Direktory 01/1"},
    {"LeftoversInTheRestoreFolder", songs(1, RestoreFile, Sequential, leftInRestoreFolder), Completed, 1,
     Ints{62}},
    {"SecondRunOnTheCard", songs(4, Card, Sequential, secondRun(Card)), Completed, 4, Ints{65}},
    {"SecondRunOnTheRestoreFile", songs(4, RestoreFile, Sequential, secondRun(RestoreFile)), Completed, 4,
     Ints{62}},

    // Adding to a card that holds songs: new folders after the highest in use.
    {"AddOntoAnEmptyCard", adding(25, Sequential, inUse(0)), Completed, 25, Ints{65}, "", Claim,
     "1 Direktory 01/20|2 Directory 02/5"},
    {"AddAfterTwelve", adding(25, Sequential, inUse(12)), Completed, 25, Ints{65}, "", Claim,
     "13 Directory 13/20|14 Directory 14/5"},
    {"AddAfterTwelveKeepingFolders", adding(25, KeepStructure, inUse(12)), Completed, 25, Ints{65}, "", Claim,
     "13 Folder 1/16|14 Folder 2/9"},
    {"AddAfterNinetyEight", adding(25, Sequential, inUse(98)), FoldersUsedUp, 20, Ints{54, 65}, "", Claim,
     "99 Directory 99/20"},
    {"AddOntoNinetyNine", adding(2, Sequential, inUse(99)), Aborted, 0, Ints{71}, "KN7000"},
    {"AddOntoAnUnlistedSongFile",
     adding(2, Sequential,
            then(inUse(1), [](auto& t) { test::writeBytes(t.kn7000() / "TFLD001" / "0100101_.SQT", {1}); })),
     Aborted, 0, Ints{71}, "0100101_.SQT"},
    {"AddOntoAMissingSongFile",
     adding(2, Sequential,
            then(withSongs(3), [](auto& t) { fs::remove(t.kn7000() / "TFLD001" / "0200102_.SQT"); })),
     Aborted, 0, Ints{71}, "0200102_.SQT"},
    {"AddOntoACutInformationFile",
     adding(2, Sequential,
            then(inUse(1), [](auto& t) { fs::resize_file(t.kn7000() / "KN7000MN.INF", 1000); })),
     Aborted, 0, Ints{71}, "KN7000MN.INF"},
    // Room for a folder, two songs, and the new information file beside the old one.
    {"AddOntoACardFillingUp",
     adding(25, Sequential, then(withSongs(3), capacity(55000 + 3 * 1000 + 500, 1000))), OutputFull, 2,
     Ints{78, 65}, "", Claim, "2 Directory 02/2"},
    {"AddFailingAtTheEnd",
     adding(4, Sequential,
            then(withSongs(3), fault(failing(FsOp::Close, "KN7000MN.INF", ErrorCode::IoError)))),
     Aborted, 4, Ints{71}, "KN7000MN.INF", Finish},

    // Failing media: each fault reported once, naming its file and the step.
    {"CardSongUnreadable", faulty(Card, failing(FsOp::OpenRead, "00102.SQT")), SongFailed, 1, Ints{68, 65},
     "00102.SQT", ReadSong},
    {"CardSongFailsMidway", faulty(Card, [](auto& fs) { fs.failReadAfter("00102.LSW", 4000); }), SongFailed,
     1, Ints{71, 65}, "00102.LSW", ReadSong},
    {"CardRefusesASongFile", faulty(Card, failing(FsOp::OpenWrite, "0200102_.SQT")), SongFailed, 1,
     Ints{68, 73, 65}, "0200102_.SQT", WriteSong},
    {"CardRefusesAFolder", faulty(Card, failing(FsOp::CreateDirectory, "TFLD002")), SongFailed, 20,
     Ints{68, 73, 65}, "TFLD002", WriteSong},
    {"CardNotFlushed", faulty(Card, failing(FsOp::Flush, "", ErrorCode::IoError)), Aborted, 25, Ints{71},
     "PRIVATE", Finish},
    {"RestoreSongFailsMidway", faulty(RestoreFile, [](auto& fs) { fs.failReadAfter("00102.LSW", 4000); }),
     SongFailed, 1, Ints{71, 62}, "00102.LSW", ReadSong},
    {"RestoreFileDiskFull", faulty(RestoreFile, [](auto& fs) { fs.failWriteAfter("Restore.sdb", 30000); }),
     Aborted, 1, Ints{71}, "Restore.sdb", WriteSong},
    {"RestoreFileNotRenamed", faulty(RestoreFile, failing(FsOp::Close, "Restore.sdb")), Aborted, 25, Ints{68},
     "Restore.sdb", Finish},

    // The backup is only ever read, judged by identity.
    {"RestoreFileInTheBackupFolder", restoreAt("backup/R.sdb"), Aborted, 0, Ints{71}, "backup"},
    {"RestoreFileBelowTheBackupFolder", restoreAt("backup/sub/R.sdb"), Completed, 2, Ints{62}},
    {"RestoreFileHardLinkedToASong", restoreAt("R.sdb", linked("backup/00101.SQT", "R.sdb", true)), Aborted,
     0, Ints{71}, "R.sdb"},
    {"BackupInsideThePrivateFolder", songs(2, Card, Sequential, backupAt("card/PRIVATE/backup", false)),
     Aborted, 0, Ints{71}, "PRIVATE"},
    {"BackupInsideTheRestoreFolder", songs(2, RestoreFile, Sequential, backupAt("RestorSDB/b", false)),
     Aborted, 0, Ints{71}, "RestorSDB"},
    {"CardRootIsTheBackupFolder", songs(2, Card, Sequential, backupAt("card", false)), Aborted, 0, Ints{71},
     "card"},
#ifndef _WIN32
    {"RestoreFileLinkedToTheSongTable", restoreAt("R.sdb", linked("backup/Sx6bck.sxf", "R.sdb")), Aborted, 0,
     Ints{71}, "R.sdb"},
    {"RestoreFileInALinkedFolder", restoreAt("alias/R.sdb", linked("backup", "alias")), Aborted, 0, Ints{71},
     "alias"},
    {"BackupInPrivateReachedFromOutside",
     songs(2, Card, Sequential, then(backupAt("card/PRIVATE/backup", false), backupAt("alias", true))),
     Aborted, 0, Ints{71}, "PRIVATE"},
    {"BackupThroughALinkInPrivate", songs(2, Card, Sequential, backupAt("card/PRIVATE/lnk", true)), Aborted,
     0, Ints{71}, "PRIVATE"},
    {"PrivateALinkToTheBackupsFolder", songs(2, Card, Sequential, linked("", "card/PRIVATE")), Completed, 2,
     Ints{65}},
    {"RestoreFolderALinkToTheBackup", songs(2, RestoreFile, Sequential, linked("backup", "RestorSDB")),
     Completed, 2, Ints{62}},
#endif
};

INSTANTIATE_TEST_SUITE_P(Cases, Runs, ::testing::ValuesIn(kRuns),
                         [](const auto& info) { return std::string(info.param.name); });

// Every shipped sample in both orders (and as an alphabetical list) onto a card and into a
// restore file: the plan says what the run does.
TEST_F(TransferRunTest, PlanOfEverySampleIsWhatTheRunDoes) {
    for (const auto& sample : samples::shippedSamples())
        for (const OutputMode mode : {Card, RestoreFile})
            for (const auto& [listOrder, order] :
                 {std::pair{ListOrder::Standard, KeepStructure}, std::pair{ListOrder::Standard, Sequential},
                  std::pair{ListOrder::Alphabetical, KeepStructure}}) {
                SCOPED_TRACE(samples::sampleFolderName(sample.kind) + " mode " + std::to_string(int(mode)) +
                             " list " + std::to_string(int(listOrder)) + " order " +
                             std::to_string(int(order)));
                load(sample, listOrder);
                EXPECT_EQ(planAndRun(setup(mode, order)).outcome, Completed);
            }
}

// At every level of free space, with small and large clusters, the card ends as the keyboard
// can read it: the information file whole and agreeing with the files, or (when not even it
// fits) none at all; and the plan foresees each.
TEST_F(TransferRunTest, NearlyFullCardEndsReadableAtEveryLevel) {
    for (const std::uint64_t unit : {std::uint64_t{2048}, std::uint64_t{32768}})
        for (std::uint64_t free = 0; free <= 10 * unit + 65536; free += unit) {
            SCOPED_TRACE("cluster " + std::to_string(unit) + ", free " + std::to_string(free));
            fs::remove_all(tmp / "card");
            loadSongs(3, {".SQT", ".ACT"}, 5000);
            const TransferSetup s = setup(Card);
            fs.setCapacity(free, unit);
            const RunResult r = planAndRun(s);
            if (r.outcome == Aborted) {
                EXPECT_EQ(r.error.code(), ErrorCode::NoSpace) << r.error.toString();
                EXPECT_FALSE(fs::exists(kn7000Path(tmp / "card") / "KN7000MN.INF"));
            } else {
                EXPECT_EQ(frontEnd.shown.front(), r.outcome == OutputFull ? 78 : 65);
            }
        }
}

} // namespace
} // namespace lw
