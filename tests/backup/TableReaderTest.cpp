// The folder-table and song-table readers of the four kinds: entry counts and file
// numbers, the byte layout at offsets placed by hand, the name rule, and short, missing
// or unreadable tables.
#include "SampleBackup.h"
#include "backup/BackupReader.h"
#include "platform/Path.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace lw {
namespace {

using KK = KeyboardKind;

Result<BackupTables> readFrom(FileSystem& fs, const std::filesystem::path& dir) {
    const Recognition r = recognizeBackup(fs, pathToUtf8(dir));
    return readBackupTables(fs, *r.format, r.directory);
}

// The byte layout of each kind at offsets written out by hand: the sample generator shares
// the reader's layout constants, so only these can tell a wrong one.
struct KindCase {
    KeyboardKind kind;
    std::size_t folder1, folder2, folderNameWidth, song1, song2; // offsets of records 1 and 2
};

class EveryKind : public ::testing::TestWithParam<KindCase> {};

// Every folder and every song place, 16 a folder also on the KN2000 (whose sixteenth stays
// empty): place (f, s) at position (f - 1) * 16 + (s - 1) with file number f * 100 + s.
TEST_P(EveryKind, YieldsEveryFolderAndSongPlaceAndReadsTheLastRecords) {
    const KeyboardKind kind = GetParam().kind;
    const int folders = static_cast<int>(backupFormat(kind).folderCount);
    const int lastPlace = kind == KK::KN2000 ? 15 : 16;
    std::vector<std::string> names(static_cast<std::size_t>(folders));
    names.back() = "Last Folder";
    test::TempDir dir;
    samples::writeSampleBackup({kind, names, {{folders, lastPlace, "Last Song", {}, 0}}}, dir.path());
    auto tables = readFrom(realFileSystem(), dir.path());
    ASSERT_TRUE(tables) << tables.status().toString();
    ASSERT_EQ(tables->songs.size(), static_cast<std::size_t>(folders) * 16);
    EXPECT_FALSE(tables->folderTableShort || tables->songTableShort);
    for (std::size_t pos = 0; pos < tables->songs.size(); ++pos)
        ASSERT_EQ(tables->songs[pos].fileNumber, static_cast<int>((pos / 16 + 1) * 100 + pos % 16 + 1))
            << pos;
    EXPECT_EQ(tables->folders.back().number, folders);
    EXPECT_EQ(tables->folders.back().name, "Last Folder");
    EXPECT_EQ(tables->songs[static_cast<std::size_t>((folders - 1) * 16 + lastPlace - 1)].name, "Last Song");
    const auto named = [](auto& entry) { return !entry.name.empty(); };
    EXPECT_EQ(std::count_if(tables->songs.begin(), tables->songs.end(), named), 1);
}

// Each table: head bytes "H", record 1 holding a name as wide as its field followed by record
// bytes that are no part of it ("Y"), record 2 holding "Second".
TEST_P(EveryKind, NamesStandAtTheseOffsetsAndNothingElseIsAName) {
    const KindCase& c = GetParam();
    const BackupFormat& f = backupFormat(c.kind);
    auto table = [](std::size_t size, std::size_t first, std::size_t second, const std::string& name) {
        std::vector<std::uint8_t> bytes(size, ' ');
        std::fill_n(bytes.begin(), first, 'H');
        std::fill_n(std::copy(name.begin(), name.end(), bytes.begin() + static_cast<long>(first)),
                    second - first - name.size(), 'Y');
        std::memcpy(bytes.data() + second, "Second", 6);
        return bytes;
    };
    const std::string folderName = std::string("ABCDEFGHIJKLMNOP").substr(0, c.folderNameWidth);
    const std::string songName = "Evening Star Serenade 2001"; // 26 bytes, the whole field
    const auto folders = parseFolderTable(f, table(f.folderTableSize(), c.folder1, c.folder2, folderName));
    const auto songs = parseSongTable(f, table(f.songTableSize(), c.song1, c.song2, songName));
    EXPECT_EQ(folders[0].name, folderName);
    EXPECT_EQ(folders[1].name, "Second");
    EXPECT_EQ(songs[0].name, songName);
    EXPECT_EQ(songs[1].name, "Second");
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKind,
                         ::testing::Values(KindCase{KK::KN2000, 4, 19, 15, 604, 645},
                                           KindCase{KK::KN3000, 0, 26, 16, 0, 56},
                                           KindCase{KK::KN5000, 0, 16, 16, 0, 76},
                                           KindCase{KK::KN6000, 4, 20, 16, 4, 52}));

// A name is its field with blanks trimmed at both ends, then cut at its first NUL.
TEST(TableName, TrimsBlanksThenCutsAtNul) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"  A  B   ", "A  B"}, {"                ", ""},   {" AB\0CD "s, "AB"},
        {"AB \0"s, "AB "},     {"\tTab\xA0", "\tTab\xA0"}, {" Caf\xE9 ", "Caf\xE9"}};
    for (const auto& [field, name] : cases)
        EXPECT_EQ(tableName(field), name) << field;
}

// A table shorter than its layout loads with blank missing records and a flag that says so.
TEST(Readers, TablesOfAnyLengthLoadAndSayWhetherTheyWereShort) {
    struct {
        KeyboardKind kind;
        const char* file;
        std::size_t size;
        bool folderShort, songShort;
        const char* song2;   // record 2 holds "Cut In Half"
        const char* folder1; // folder 1 is "Evergreens"
    } const cases[] = {{KK::KN5000, "Fileblk.dat", 76 + 8, false, true, "Cut In H", "Evergreens"},
                       {KK::KN6000, "Sx6bck.sxd", 0, true, false, "Cut In Half", ""},
                       {KK::KN2000, "dir.new", 300, true, true, "", "Evergreens"},
                       {KK::KN3000, "Filenew.dat", 90000, false, false, "Cut In Half", "Evergreens"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        test::TempDir dir;
        samples::writeSampleBackup(
            {c.kind, {"Evergreens"}, {{1, 1, "Complete", {}, 0}, {1, 2, "Cut In Half", {}, 0}}}, dir.path());
        std::filesystem::resize_file(dir / c.file, c.size);
        auto tables = readFrom(realFileSystem(), dir.path());
        ASSERT_TRUE(tables) << tables.status().toString();
        EXPECT_EQ(tables->folderTableShort, c.folderShort);
        EXPECT_EQ(tables->songTableShort, c.songShort);
        EXPECT_EQ(tables->songs[1].name, c.song2);
        EXPECT_EQ(tables->songs[2].name, "");
        EXPECT_EQ(tables->folders[0].name, c.folder1);
        EXPECT_EQ(tables->folders[1].name, "");
        EXPECT_EQ(tables->songs.size(), backupFormat(c.kind).folderCount * 16);
    }
}

// A table that is missing, cannot be opened or fails while read is a failure naming the file.
TEST(Readers, AnUnreadableTableFailsNamingTheFile) {
    struct {
        KeyboardKind kind;
        std::string file;
        ErrorCode code;        // NotFound: the file is missing
        std::size_t failAfter; // IoError: bytes delivered before the read fails
    } const cases[] = {{KK::KN3000, "Filenew.dat", ErrorCode::NotFound, 0},
                       {KK::KN3000, "Groupdir.dat", ErrorCode::NotFound, 0},
                       {KK::KN6000, "Sx6bck.sxd", ErrorCode::PermissionDenied, 0},
                       {KK::KN6000, "Sx6bck.sxf", ErrorCode::IoError, 100000},
                       {KK::KN2000, "dir.new", ErrorCode::IoError, 604}}; // after the folders
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        test::TempDir dir;
        samples::writeSampleBackup({c.kind, {"Folder"}, {{1, 1, "Song", {}, 0}}}, dir.path());
        test::FaultyFileSystem fs;
        if (c.code == ErrorCode::NotFound)
            std::filesystem::remove(dir / c.file);
        else if (c.code == ErrorCode::PermissionDenied)
            fs.failOn(test::FsOp::OpenRead, c.file, c.code, "Permission denied");
        else
            fs.failReadAfter(c.file, c.failAfter, c.code, "Input/output error");
        auto tables = readFrom(fs, dir.path());
        ASSERT_FALSE(tables);
        EXPECT_EQ(tables.status().code(), c.code);
        EXPECT_EQ(tables.status().path(), pathToUtf8(dir / c.file));
        EXPECT_FALSE(tables.status().reason().empty());
    }
}

} // namespace
} // namespace lw
