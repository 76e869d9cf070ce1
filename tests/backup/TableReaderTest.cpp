// The folder-table and song-table readers of the four kinds: entry counts and file
// numbers, the name rule (blanks trimmed, cut at a NUL, at most the field's width),
// record bytes that are never part of a name, and short, missing or unreadable tables.
#include "SampleBackup.h"
#include "backup/BackupFaultFs.h"
#include "backup/BackupReader.h"
#include "platform/Path.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace lw {
namespace {

using samples::SampleBackup;
using test::TempDir;

SampleBackup backupOf(KeyboardKind kind, std::vector<samples::SampleSong> songs = {},
                      std::vector<std::string> folders = {}) {
    SampleBackup b;
    b.kind = kind;
    b.songs = std::move(songs);
    b.folderNames = std::move(folders);
    return b;
}

Result<BackupTables> readFrom(FileSystem& fs, const std::filesystem::path& dir) {
    const Recognition r = recognizeBackup(fs, pathToUtf8(dir));
    if (r.outcome != RecognitionOutcome::Recognised)
        return Status::error(ErrorCode::NotFound, pathToUtf8(dir), "not recognised");
    return readBackupTables(fs, *r.format, r.directory);
}

// Puts text into a record's bytes at offset (no conversion: these are file bytes).
void put(std::vector<std::uint8_t>& bytes, std::size_t offset, std::string_view text) {
    std::memcpy(bytes.data() + offset, text.data(), text.size());
}

// --- counts and numbering, per kind ---

struct KindCase {
    KeyboardKind kind;
    std::size_t folders;
    std::size_t slots;
    std::int32_t lastNumber;
};

class EveryKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(EveryKind, AnEmptyBackupStillYieldsEveryFolderAndEverySongPlace) {
    const KindCase& c = GetParam();
    TempDir dir;
    samples::writeSampleBackup(backupOf(c.kind), dir.path());
    auto tables = readFrom(realFileSystem(), dir.path());
    ASSERT_TRUE(tables) << tables.status().toString();
    ASSERT_EQ(tables->folders.size(), c.folders);
    ASSERT_EQ(tables->songs.size(), c.slots);
    EXPECT_FALSE(tables->folderTableShort);
    EXPECT_FALSE(tables->songTableShort);
    for (std::size_t n = 0; n < c.folders; ++n) {
        EXPECT_EQ(tables->folders[n].number, static_cast<int>(n + 1));
        EXPECT_EQ(tables->folders[n].name, "");
    }
    // Entry (f, s) stands at position (f - 1) * 16 + (s - 1) with number f * 100 + s.
    for (std::size_t pos = 0; pos < c.slots; ++pos) {
        const auto expected = static_cast<std::int32_t>((pos / 16 + 1) * 100 + pos % 16 + 1);
        ASSERT_EQ(tables->songs[pos].fileNumber, expected) << "position " << pos;
        EXPECT_EQ(tables->songs[pos].name, "");
    }
    EXPECT_EQ(tables->songs.back().fileNumber, c.lastNumber);
}

TEST_P(EveryKind, TheLastRecordOfEachTableIsReadIntoTheLastEntry) {
    const KindCase& c = GetParam();
    const BackupFormat& f = backupFormat(c.kind);
    const int lastFolder = static_cast<int>(f.folderCount);
    const int lastPlace = static_cast<int>(f.placesPerFolder);
    std::vector<std::string> folders(f.folderCount);
    folders.back() = "Last Folder";
    TempDir dir;
    samples::writeSampleBackup(backupOf(c.kind, {{lastFolder, lastPlace, "Last Song", {}, 0}}, folders),
                               dir.path());
    auto tables = readFrom(realFileSystem(), dir.path());
    ASSERT_TRUE(tables) << tables.status().toString();
    EXPECT_EQ(tables->folders.back().name, "Last Folder");
    const std::size_t pos = (f.folderCount - 1) * 16 + f.placesPerFolder - 1;
    EXPECT_EQ(tables->songs[pos].name, "Last Song");
    EXPECT_EQ(tables->songs[pos].fileNumber, lastFolder * 100 + lastPlace);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKind,
                         ::testing::Values(KindCase{KeyboardKind::KN2000, 40, 640, 4016},
                                           KindCase{KeyboardKind::KN3000, 96, 1536, 9616},
                                           KindCase{KeyboardKind::KN5000, 120, 1920, 12016},
                                           KindCase{KeyboardKind::KN6000, 240, 3840, 24016}));

TEST(Kn2000, Record16IsFolder2Place1AfterTheEmptySixteenthPlace) {
    const SampleBackup b =
        backupOf(KeyboardKind::KN2000, {{1, 15, "Fifteen", {}, 0}, {2, 1, "Sixteen", {}, 0}});
    const auto songs = parseSongTable(backupFormat(KeyboardKind::KN2000), samples::songTableBytes(b));
    ASSERT_EQ(songs.size(), 640u);
    EXPECT_EQ(songs[14].fileNumber, 115);
    EXPECT_EQ(songs[14].name, "Fifteen");
    EXPECT_EQ(songs[15].fileNumber, 116);
    EXPECT_EQ(songs[15].name, "");
    EXPECT_EQ(songs[16].fileNumber, 201);
    EXPECT_EQ(songs[16].name, "Sixteen");
    EXPECT_EQ(songs[639].fileNumber, 4016);
}

TEST(Kn2000, EverySixteenthPlaceIsEmptyEvenWhenTheTableIsFull) {
    const SampleBackup b = samples::fullBackup(KeyboardKind::KN2000, 600, {}, 0);
    const auto songs = parseSongTable(backupFormat(KeyboardKind::KN2000), samples::songTableBytes(b));
    ASSERT_EQ(songs.size(), 640u);
    for (std::size_t pos = 0; pos < songs.size(); ++pos)
        EXPECT_EQ(songs[pos].name.empty(), pos % 16 == 15) << "position " << pos;
}

TEST(Kn2000, FolderNamesAreFifteenBytesAndTheSongRecordsStartAfterThem) {
    const BackupFormat& f = backupFormat(KeyboardKind::KN2000);
    std::vector<std::uint8_t> bytes(f.songTableSize(), ' ');
    put(bytes, 0, "HEAD");               // the head is not a name
    put(bytes, 4, "ABCDEFGHIJKLMNO");    // folder 1: 15 bytes
    put(bytes, 19, "PQRSTUVWXYZabcd");   // folder 2 follows at once
    put(bytes, 4 + 39 * 15, "Forty");    // folder 40
    put(bytes, 604, "First Song");       // song record 1
    put(bytes, 604 + 41, "Second Song"); // song record 2
    const auto folders = parseFolderTable(f, bytes);
    ASSERT_EQ(folders.size(), 40u);
    EXPECT_EQ(folders[0].name, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(folders[1].name, "PQRSTUVWXYZabcd");
    EXPECT_EQ(folders[39].name, "Forty");
    const auto songs = parseSongTable(f, bytes);
    EXPECT_EQ(songs[0].name, "First Song");
    EXPECT_EQ(songs[1].name, "Second Song");
}

TEST(Kn6000, TheHeadsAreNotNames) {
    const BackupFormat& f = backupFormat(KeyboardKind::KN6000);
    std::vector<std::uint8_t> folderBytes(f.folderTableSize(), ' ');
    std::vector<std::uint8_t> songBytes(f.songTableSize(), ' ');
    put(folderBytes, 0, "HEAD");
    put(songBytes, 0, "HEAD");
    put(folderBytes, 4, "Showtime");
    put(songBytes, 4, "Curtain Up");
    EXPECT_EQ(parseFolderTable(f, folderBytes)[0].name, "Showtime");
    EXPECT_EQ(parseSongTable(f, songBytes)[0].name, "Curtain Up");
}

// --- the name rule ---

struct NameCase {
    const char* label;
    std::string field;
    std::string name;
};

class TableName : public ::testing::TestWithParam<NameCase> {};

TEST_P(TableName, Field) {
    EXPECT_EQ(tableName(GetParam().field), GetParam().name);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(TrimThenCutAtNul, TableName,
                         ::testing::Values(NameCase{"BlanksBothSides", "  Blue Night   ", "Blue Night"},
                                           NameCase{"InnerBlanksStay", " A  B ", "A  B"},
                                           NameCase{"AllBlank", "                ", ""},
                                           NameCase{"Empty", "", ""},
                                           NameCase{"NulCutsAfterTrim", " AB\0CD "s, "AB"},
                                           NameCase{"BlankBeforeNulStays", "AB \0"s, "AB "},
                                           NameCase{"LeadingNul", "\0Name"s, ""},
                                           NameCase{"AllNul", std::string(16, '\0'), ""},
                                           NameCase{"OnlyBlankIsTrimmed", "\tTab\xA0", "\tTab\xA0"},
                                           NameCase{"HighBytesKept", " Caf\xE9 ", "Caf\xE9"}),
                         [](const auto& info) { return std::string(info.param.label); });

class NameWidth : public ::testing::TestWithParam<KeyboardKind> {};

TEST_P(NameWidth, ASongNameIsTheFirst26BytesAndNeverMore) {
    const BackupFormat& f = backupFormat(GetParam());
    std::vector<std::uint8_t> bytes(f.songTableSize(), ' ');
    const std::size_t r1 = f.songTableHead;
    const std::size_t r2 = f.songTableHead + f.songRecordSize;
    put(bytes, r1, std::string(26, 'X'));
    put(bytes, r1 + 26, std::string(f.songRecordSize - 26, 'Y')); // the unused record bytes
    put(bytes, r2, std::string(20, 'Z'));
    const auto songs = parseSongTable(f, bytes);
    EXPECT_EQ(songs[0].name, std::string(26, 'X'));
    EXPECT_EQ(songs[1].name, std::string(20, 'Z'));
}

TEST_P(NameWidth, AFolderNameFillsItsFieldAndNoMore) {
    const BackupFormat& f = backupFormat(GetParam());
    std::vector<std::uint8_t> bytes(f.folderTableSize() + 64, 'Q');
    for (std::size_t n = 0; n < f.folderCount; ++n)
        put(bytes, f.folderTableHead + n * f.folderRecordSize, std::string(f.folderNameSize, 'A' + n % 26));
    const auto folders = parseFolderTable(f, bytes);
    ASSERT_EQ(folders.size(), f.folderCount);
    for (std::size_t n = 0; n < f.folderCount; ++n)
        EXPECT_EQ(folders[n].name, std::string(f.folderNameSize, static_cast<char>('A' + n % 26)));
    EXPECT_EQ(folders[0].name.size(), GetParam() == KeyboardKind::KN2000 ? 15u : 16u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, NameWidth,
                         ::testing::Values(KeyboardKind::KN2000, KeyboardKind::KN3000, KeyboardKind::KN5000,
                                           KeyboardKind::KN6000));

TEST(Kn3000, FolderRecordBytes16To25AreNotPartOfTheName) {
    const BackupFormat& f = backupFormat(KeyboardKind::KN3000);
    std::vector<std::uint8_t> bytes(f.folderTableSize(), ' ');
    put(bytes, 0, "Rock Classics   0123456789");  // record 1: name, then 10 unused bytes
    put(bytes, 26, "SixteenCharsName9876543210"); // record 2: 16 name bytes, then 10 unused
    put(bytes, 52 + 16, "Trailing!!");            // record 3: blank name, unused bytes set
    const auto folders = parseFolderTable(f, bytes);
    EXPECT_EQ(folders[0].name, "Rock Classics");
    EXPECT_EQ(folders[1].name, "SixteenCharsName");
    EXPECT_EQ(folders[2].name, "");
}

TEST(Readers, NamesKeepTheirWindows1252Bytes) {
    const SampleBackup b = backupOf(KeyboardKind::KN5000,
                                    {{1,
                                      1,
                                      "Gr\xC3\xBC\xC3\x9F"
                                      "e \xE2\x82\xAC",
                                      {},
                                      0}},
                                    {"Ouvert\xC3\xBCre"});
    const BackupFormat& f = backupFormat(KeyboardKind::KN5000);
    EXPECT_EQ(parseSongTable(f, samples::songTableBytes(b))[0].name, "Gr\xFC\xDF"
                                                                     "e \x80");
    EXPECT_EQ(parseFolderTable(f, samples::folderTableBytes(b))[0].name, "Ouvert\xFCre");
}

// --- tables of the wrong length ---

TEST(Readers, AShortSongTableLoadsWithBlankMissingRecordsAndSaysSo) {
    TempDir dir;
    samples::writeSampleBackup(
        backupOf(KeyboardKind::KN5000,
                 {{1, 1, "Complete", {}, 0}, {1, 2, "Cut In Half", {}, 0}, {1, 3, "Beyond The End", {}, 0}}),
        dir.path());
    // Record 2 (offset 76) keeps its first 8 bytes; record 3 is gone.
    std::filesystem::resize_file(dir / "Fileblk.dat", 76 + 8);
    auto tables = readFrom(realFileSystem(), dir.path());
    ASSERT_TRUE(tables) << tables.status().toString();
    EXPECT_TRUE(tables->songTableShort);
    EXPECT_FALSE(tables->folderTableShort);
    ASSERT_EQ(tables->songs.size(), 1920u);
    EXPECT_EQ(tables->songs[0].name, "Complete");
    EXPECT_EQ(tables->songs[1].name, "Cut In H");
    EXPECT_EQ(tables->songs[2].name, "");
    EXPECT_EQ(tables->songs[1919].fileNumber, 12016);
    EXPECT_EQ(tables->folders.size(), 120u);
}

TEST(Readers, AnEmptyFolderTableLoadsAsUnnamedFolders) {
    TempDir dir;
    samples::writeSampleBackup(backupOf(KeyboardKind::KN6000, {}, {"Showtime"}), dir.path());
    std::filesystem::resize_file(dir / "Sx6bck.sxd", 0);
    auto tables = readFrom(realFileSystem(), dir.path());
    ASSERT_TRUE(tables) << tables.status().toString();
    EXPECT_TRUE(tables->folderTableShort);
    EXPECT_FALSE(tables->songTableShort);
    ASSERT_EQ(tables->folders.size(), 240u);
    EXPECT_EQ(tables->folders[0].name, "");
}

TEST(Readers, AShortKn2000FileIsShortForBothTables) {
    TempDir dir;
    samples::writeSampleBackup(backupOf(KeyboardKind::KN2000, {}, {"Evergreens"}), dir.path());
    std::filesystem::resize_file(dir / "dir.new", 300);
    auto tables = readFrom(realFileSystem(), dir.path());
    ASSERT_TRUE(tables) << tables.status().toString();
    EXPECT_TRUE(tables->folderTableShort);
    EXPECT_TRUE(tables->songTableShort);
    EXPECT_EQ(tables->folders[0].name, "Evergreens");
    EXPECT_EQ(tables->songs.size(), 640u);
}

TEST(Readers, BytesBeyondTheLayoutAreIgnored) {
    TempDir dir;
    samples::writeSampleBackup(backupOf(KeyboardKind::KN3000, {{96, 16, "Very Last", {}, 0}}), dir.path());
    auto grow = [&](const std::string& name) {
        auto bytes = test::readBytes(dir / name);
        bytes.insert(bytes.end(), 5000, 'J');
        test::writeBytes(dir / name, bytes);
    };
    grow("Filenew.dat");
    grow("Groupdir.dat");
    auto tables = readFrom(realFileSystem(), dir.path());
    ASSERT_TRUE(tables) << tables.status().toString();
    EXPECT_FALSE(tables->songTableShort);
    EXPECT_FALSE(tables->folderTableShort);
    EXPECT_EQ(tables->songs.size(), 1536u);
    EXPECT_EQ(tables->songs.back().name, "Very Last");
    EXPECT_EQ(tables->folders.size(), 96u);
    EXPECT_EQ(tables->folders.back().name, "");
}

TEST(Readers, TablesInAnyLetterCaseAreRead) {
    TempDir dir;
    SampleBackup b = backupOf(KeyboardKind::KN5000, {{3, 1, "Blue Night", {}, 0}}, {"", "", "My Folder"});
    b.upperCaseFileNames = true;
    samples::writeSampleBackup(b, dir.path());
    ASSERT_TRUE(std::filesystem::exists(dir / "FILEBLK.DAT"));
    ASSERT_TRUE(std::filesystem::exists(dir / "DIRBLK.DAT"));
    auto tables = readFrom(realFileSystem(), dir.path());
    ASSERT_TRUE(tables) << tables.status().toString();
    EXPECT_EQ(tables->songs[32].name, "Blue Night");
    EXPECT_EQ(tables->folders[2].name, "My Folder");
    EXPECT_EQ(tables->songTablePath, dir.path() / "FILEBLK.DAT");
}

// --- tables that cannot be read ---

TEST(Readers, AMissingSongTableFailsNamingItBeforeTheFolderTableIsTried) {
    TempDir dir;
    test::writeBytes(dir / "filedir.dat", {0});
    auto tables = readFrom(realFileSystem(), dir.path());
    ASSERT_FALSE(tables);
    EXPECT_EQ(tables.status().code(), ErrorCode::NotFound);
    EXPECT_EQ(tables.status().path(), pathToUtf8(dir.path() / "Filenew.dat"));
    EXPECT_FALSE(tables.status().reason().empty());
}

TEST(Readers, AMissingFolderTableFailsNamingIt) {
    TempDir dir;
    samples::writeSampleBackup(backupOf(KeyboardKind::KN3000), dir.path());
    std::filesystem::remove(dir / "Groupdir.dat");
    auto tables = readFrom(realFileSystem(), dir.path());
    ASSERT_FALSE(tables);
    EXPECT_EQ(tables.status().code(), ErrorCode::NotFound);
    EXPECT_EQ(tables.status().path(), pathToUtf8(dir.path() / "Groupdir.dat"));
}

struct FaultCase {
    const char* label;
    KeyboardKind kind;
    std::string file;
    bool failOpen;         // else the read fails after some bytes
    std::size_t failAfter; // bytes delivered before the read fails
    int err;
    ErrorCode code;
};

class UnreadableTable : public ::testing::TestWithParam<FaultCase> {};

TEST_P(UnreadableTable, FailsWithThePathAndTheSystemsReason) {
    const FaultCase& c = GetParam();
    TempDir dir;
    samples::writeSampleBackup(backupOf(c.kind, {{1, 1, "Song", {}, 0}}, {"Folder"}), dir.path());
    test::BackupFaultFs fs;
    if (c.failOpen) {
        fs.failOpenName = c.file;
        fs.openErrno = c.err;
    } else {
        fs.failReadName = c.file;
        fs.readFailAfter = c.failAfter;
        fs.readErrno = c.err;
    }
    auto tables = readFrom(fs, dir.path());
    ASSERT_FALSE(tables);
    EXPECT_EQ(tables.status().code(), c.code);
    EXPECT_EQ(tables.status().path(), pathToUtf8(dir.path() / c.file));
    EXPECT_EQ(tables.status().reason(), std::generic_category().message(c.err));
}

INSTANTIATE_TEST_SUITE_P(Faults, UnreadableTable,
                         ::testing::Values(FaultCase{"SongTableLocked", KeyboardKind::KN5000, "Fileblk.dat",
                                                     true, 0, EACCES, ErrorCode::PermissionDenied},
                                           FaultCase{"FolderTableLocked", KeyboardKind::KN6000, "Sx6bck.sxd",
                                                     true, 0, EACCES, ErrorCode::PermissionDenied},
                                           FaultCase{"SongTableReadFailsAtOnce", KeyboardKind::KN3000,
                                                     "Filenew.dat", false, 0, EIO, ErrorCode::IoError},
                                           FaultCase{"SongTableReadFailsMidway", KeyboardKind::KN6000,
                                                     "Sx6bck.sxf", false, 100000, EIO, ErrorCode::IoError},
                                           FaultCase{"FolderTableReadFailsMidway", KeyboardKind::KN5000,
                                                     "dirblk.dat", false, 1000, EIO, ErrorCode::IoError},
                                           FaultCase{"Kn2000FileReadFails", KeyboardKind::KN2000, "dir.new",
                                                     false, 604, EIO, ErrorCode::IoError}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace lw
