// Reading a backup: recognition (markers, Manager.ini, file names in any letter case, the path's
// separator), the estimated restore size, and the table readers of the four kinds (file
// numbers, the byte layout at offsets placed by hand, names, short or unreadable tables).
#include "backup/BackupReader.h"
#include "SampleBackup.h"
#include "platform/Path.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace lw {
namespace {

using KK = KeyboardKind;
using RO = RecognitionOutcome;

// The recognition order is KN2000, KN3000, KN5000, KN6000: each marker wins over the later
// ones. Manager.ini beside a KN5000 or KN6000/6500 backup, in any letter case, keeps it from
// loading. A folder that cannot be listed is unreadable.
TEST(Recognition, MarkersInTheirOrderTheManagerIniRuleAndTheBackupPath) {
    const std::tuple<std::vector<std::string>, RO, std::optional<KK>> cases[] = {
        {{"Sx6bck.sxf"}, RO::Recognised, KK::KN6000},
        {{"Sx6bck.sxf", "Fileblk.dat"}, RO::Recognised, KK::KN5000},
        {{"Fileblk.dat", "filedir.dat"}, RO::Recognised, KK::KN3000},
        {{"filedir.dat", "dir.new"}, RO::Recognised, KK::KN2000},
        {{"Sx6bck.sxd", "dirblk.dat", "Groupdir.dat", "Filenew.dat", "dir.new.bak"}, RO::NoBackup, {}},
        {{"FILEBLK.DAT", "MANAGER.INI"}, RO::ManagerIniBeside, KK::KN5000},
        {{"Sx6bck.sxf", "Manager.ini"}, RO::ManagerIniBeside, KK::KN6000},
        {{"filedir.dat", "Manager.ini"}, RO::Recognised, KK::KN3000}};
    for (const auto& [files, outcome, kind] : cases) {
        test::TempDir dir;
        for (const std::string& f : files)
            test::writeBytes(dir / f, {'x'});
        const Recognition r = recognizeBackup(realFileSystem(), pathToUtf8(dir.path()));
        EXPECT_EQ(std::tuple(r.outcome, r.format ? std::optional(r.format->kind) : std::nullopt),
                  std::tuple(outcome, kind))
            << files[0];
    }
    const Recognition r = recognizeBackup(realFileSystem(), "/nonexistent/backup");
    EXPECT_EQ(std::tuple(r.outcome, r.directory.listing().code()),
              std::tuple(RO::Unreadable, ErrorCode::NotFound));
    // The backup path ends in exactly one separator.
    const std::pair<std::string, std::string> paths[] = {
#ifndef _WIN32
        {"/x/kn", "/x/kn/"},
        {"/x/kn/", "/x/kn/"},
        {"/", "/"},
#else
        {"C:\\Songs", "C:\\Songs\\"},
        {"C:\\Songs\\", "C:\\Songs\\"},
        {"C:\\", "C:\\"},
        {"C:/Songs/", "C:/Songs/"},
        {"\\\\server\\share", "\\\\server\\share\\"},
#endif
        {"", ""}};
    for (const auto& [chosen, backupPath] : paths)
        EXPECT_EQ(recognizeBackup(realFileSystem(), chosen).directory.backupPath(), backupPath) << chosen;
}

// Files are found in any letter case (A to Z), folders are no files; of two spellings of one
// name (copied twice onto a case-sensitive disk) the one asked for wins in either listing order.
TEST(BackupDirectory, FindsFilesInAnyLetterCaseAndTheExactSpellingFirst) {
    std::vector<DirectoryEntry> entries = {{"FILEBLK.DAT", false}, {"Fileblk.dat", false},
                                           {"fileblk.DAT", false}, {"AZ.SQF", false},
                                           {"00301.sqt", false},   {"00101.SQT", true}};
    using P = std::optional<std::filesystem::path>;
    for (int order = 0; order < 2; ++order, std::reverse(entries.begin(), entries.end())) {
        test::FaultyFileSystem fs;
        fs.setListing(entries);
        const BackupDirectory d(fs, "/backup/");
        std::vector<P> found;
        for (const char* name :
             {"Fileblk.dat", "FILEBLK.DAT", "az.sqf", "00101.SQT", "00301.SQT", "00301.SQF"})
            found.push_back(d.find(name));
        EXPECT_EQ(found, (std::vector<P>{"/backup/Fileblk.dat", "/backup/FILEBLK.DAT", "/backup/AZ.SQF",
                                         std::nullopt, "/backup/00301.sqt", std::nullopt}));
        EXPECT_TRUE(d.find("fileblk.dat").has_value()); // no exact spelling: any of them
    }
}

// Twice the size plus 0.35 %, also beyond 1 GiB, where the doubled size no longer fits 32 bits.
TEST(EstimatedRestoreSize, TwiceTheSizePlusPointThreeFivePercent) {
    EXPECT_EQ(estimatedRestoreSize(3'000'000), 6'021'000u);
    EXPECT_EQ(estimatedRestoreSize(1'073'741'824), 2'154'999'841u);
}

// Every kind: every place, 16 a folder also on the KN2000 (whose sixteenth stays empty), place
// (f, s) at position (f - 1) * 16 + (s - 1) with file number f * 100 + s. Then the layout at
// offsets written by hand (the sample generator shares the reader's constants): head bytes "H",
// record 1 a name as wide as its field and record bytes that are no part of it ("Y"), record 2
// "Second".
TEST(Readers, EveryKindsPlacesAndRecordLayout) {
    // The kind; offsets of folder records 1 and 2, the folder name's width; of song records 1 and 2.
    const std::tuple<KK, std::size_t, std::size_t, std::size_t, std::size_t, std::size_t> kinds[] = {
        {KK::KN2000, 4, 19, 15, 604, 645},
        {KK::KN3000, 0, 26, 16, 0, 56},
        {KK::KN5000, 0, 16, 16, 0, 76},
        {KK::KN6000, 4, 20, 16, 4, 52}};
    for (const auto& [kind, folder1, folder2, folderNameWidth, song1, song2] : kinds) {
        const BackupFormat& f = backupFormat(kind);
        SCOPED_TRACE(f.text);
        const int folders = static_cast<int>(f.folderCount), lastPlace = kind == KK::KN2000 ? 15 : 16;
        samples::SampleBackup b{
            kind, std::vector<std::string>(f.folderCount), {{folders, lastPlace, "Last Song", {}, 0}}};
        b.folderNames.back() = "Last Folder";
        auto fs = parseFolderTable(f, samples::folderTableBytes(b));
        auto ss = parseSongTable(f, samples::songTableBytes(b));
        ASSERT_EQ(ss.size(), f.folderCount * 16);
        for (std::size_t pos = 0; pos < ss.size(); ++pos)
            ASSERT_EQ(ss[pos].fileNumber, static_cast<int>((pos / 16 + 1) * 100 + pos % 16 + 1)) << pos;
        EXPECT_EQ(std::tuple(fs.back().number, fs.back().name), std::tuple(folders, "Last Folder"));
        EXPECT_EQ(ss[(f.folderCount - 1) * 16 + lastPlace - 1].name, "Last Song");
        EXPECT_EQ(std::count_if(ss.begin(), ss.end(), [](auto& s) { return !s.name.empty(); }), 1);

        const auto table = [](std::size_t size, std::size_t first, std::size_t second, std::string name) {
            name = std::string(first, 'H') + name + std::string(second - first - name.size(), 'Y') + "Second";
            name.resize(size, ' ');
            return std::vector<std::uint8_t>(name.begin(), name.end());
        };
        const std::string folderName = std::string("ABCDEFGHIJKLMNOP").substr(0, folderNameWidth);
        const std::string songName = "Evening Star Serenade 2001"; // 26 bytes, the whole field
        fs = parseFolderTable(f, table(f.folderTableSize(), folder1, folder2, folderName));
        ss = parseSongTable(f, table(f.songTableSize(), song1, song2, songName));
        EXPECT_EQ(std::tuple(fs[0].name, fs[1].name, ss[0].name, ss[1].name),
                  std::tuple(folderName, "Second", songName, "Second"));
    }
}

// A name is its field with blanks trimmed at both ends, then cut at its first NUL.
TEST(TableName, TrimsBlanksThenCutsAtNul) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"  A  B   ", "A  B"}, {"                ", ""},   {" AB\0CD "s, "AB"},
        {"AB \0"s, "AB "},     {"\tTab\xA0", "\tTab\xA0"}, {" Caf\xE9 ", "Caf\xE9"}};
    for (const auto& [field, name] : cases)
        EXPECT_EQ(tableName(field), name) << field;
}

// A table shorter than its layout loads with blank missing records and a flag that says so;
// one that is missing, cannot be opened or fails while read is a failure naming the file. A
// row's file is cut to `bytes` (Ok), removed, not opened, or fails after `bytes` (IoError); a
// loaded backup shows its short flags, folders 1-2, songs 2-3 and how many places it has.
TEST(Readers, ShortMissingAndUnreadableTables) {
    const std::tuple<KK, const char*, ErrorCode, std::size_t, const char*> cases[] = {
        {KK::KN5000, "Fileblk.dat", ErrorCode::Ok, 76 + 8, "-S Evergreens| Cut In H| 1920"},
        {KK::KN6000, "Sx6bck.sxd", ErrorCode::Ok, 0, "F- | Cut In Half| 3840"},
        {KK::KN2000, "dir.new", ErrorCode::Ok, 300, "FS Evergreens| | 640"},
        {KK::KN3000, "Filenew.dat", ErrorCode::Ok, 90000, "-- Evergreens| Cut In Half| 1536"},
        {KK::KN3000, "Filenew.dat", ErrorCode::NotFound, 0, ""},
        {KK::KN3000, "Groupdir.dat", ErrorCode::NotFound, 0, ""},
        {KK::KN6000, "Sx6bck.sxd", ErrorCode::PermissionDenied, 0, ""},
        {KK::KN6000, "Sx6bck.sxf", ErrorCode::IoError, 100000, ""},
        {KK::KN2000, "dir.new", ErrorCode::IoError, 604, ""}}; // after the folders
    for (const auto& [kind, file, code, bytes, loaded] : cases) {
        SCOPED_TRACE(file);
        test::TempDir dir;
        samples::writeSampleBackup(
            {kind, {"Evergreens"}, {{1, 1, "Complete", {}, 0}, {1, 2, "Cut In Half", {}, 0}}}, dir.path());
        test::FaultyFileSystem fs;
        if (code == ErrorCode::Ok)
            std::filesystem::resize_file(dir / file, bytes);
        else if (code == ErrorCode::NotFound)
            std::filesystem::remove(dir / file);
        else if (code == ErrorCode::PermissionDenied)
            fs.failOn(test::FsOp::OpenRead, file, code, "Permission denied");
        else
            fs.failReadAfter(file, bytes);
        const Recognition r = recognizeBackup(fs, pathToUtf8(dir.path()));
        const auto t = readBackupTables(fs, *r.format, r.directory);
        ASSERT_EQ(t.status().code(), code) << t.status().toString();
        if (!t)
            EXPECT_EQ(std::tuple(t.status().path(), t.status().reason().empty()),
                      std::tuple(pathToUtf8(dir / file), false));
        else
            EXPECT_EQ(std::string(t->folderTableShort ? "F" : "-") + (t->songTableShort ? "S " : "- ") +
                          t->folders[0].name + "|" + t->folders[1].name + " " + t->songs[1].name + "|" +
                          t->songs[2].name + " " + std::to_string(t->songs.size()),
                      loaded);
    }
}

} // namespace
} // namespace lw
