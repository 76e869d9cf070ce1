// Which keyboard wrote the backup in a directory: the marker files in their order, the
// Manager.ini rule, file names in any letter case, the backup path's separator, and the
// space a restore file of the backup is estimated to need.
#include "backup/BackupReader.h"
#include "platform/Path.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace lw {
namespace {

using RO = RecognitionOutcome;
using KK = KeyboardKind;

struct RecognitionCase {
    const char* name;
    std::vector<std::string> files;
    RecognitionOutcome outcome;
    std::optional<KeyboardKind> kind; // the kind whose marker was found
};

class Recognise : public ::testing::TestWithParam<RecognitionCase> {};

TEST_P(Recognise, Directory) {
    test::TempDir dir;
    for (const std::string& f : GetParam().files)
        test::writeBytes(dir / f, {'x'});
    const Recognition r = recognizeBackup(realFileSystem(), pathToUtf8(dir.path()));
    EXPECT_EQ(r.outcome, GetParam().outcome);
    EXPECT_EQ(r.format ? std::optional(r.format->kind) : std::nullopt, GetParam().kind);
}

// The recognition order is KN2000, KN3000, KN5000, KN6000: each marker wins over the later ones.
// Manager.ini beside a KN5000 or KN6000/6500 backup, in any letter case, keeps it from loading.
INSTANTIATE_TEST_SUITE_P(
    Markers, Recognise,
    ::testing::Values(
        RecognitionCase{"Kn6000", {"Sx6bck.sxf"}, RO::Recognised, KK::KN6000},
        RecognitionCase{"Kn5000BeforeKn6000", {"Sx6bck.sxf", "Fileblk.dat"}, RO::Recognised, KK::KN5000},
        RecognitionCase{"Kn3000BeforeKn5000", {"Fileblk.dat", "filedir.dat"}, RO::Recognised, KK::KN3000},
        RecognitionCase{"Kn2000BeforeKn3000", {"filedir.dat", "dir.new"}, RO::Recognised, KK::KN2000},
        RecognitionCase{"TablesAndNearMissesAreNoMarkers",
                        {"Sx6bck.sxd", "dirblk.dat", "Groupdir.dat", "Filenew.dat", "dir.new.bak"},
                        RO::NoBackup,
                        std::nullopt},
        RecognitionCase{"ManagerIniKn5000", {"FILEBLK.DAT", "MANAGER.INI"}, RO::ManagerIniBeside, KK::KN5000},
        RecognitionCase{"ManagerIniKn6000", {"Sx6bck.sxf", "Manager.ini"}, RO::ManagerIniBeside, KK::KN6000},
        RecognitionCase{"ManagerIniKn3000", {"filedir.dat", "Manager.ini"}, RO::Recognised, KK::KN3000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Recognition, AFolderThatCannotBeListedIsUnreadable) {
    test::TempDir dir;
    const Recognition r = recognizeBackup(realFileSystem(), pathToUtf8(dir / "missing"));
    EXPECT_EQ(r.outcome, RecognitionOutcome::Unreadable);
    EXPECT_EQ(r.directory.listing().code(), ErrorCode::NotFound);
}

TEST(Recognition, TheBackupPathEndsInExactlyOneSeparator) {
#ifndef _WIN32
    const std::pair<std::string, std::string> cases[] = {
        {"/x/kn", "/x/kn/"}, {"/x/kn/", "/x/kn/"}, {"/", "/"}, {"", ""}};
#else
    const std::pair<std::string, std::string> cases[] = {{"C:\\Songs", "C:\\Songs\\"},
                                                         {"C:\\Songs\\", "C:\\Songs\\"},
                                                         {"C:\\", "C:\\"},
                                                         {"C:/Songs/", "C:/Songs/"},
                                                         {"\\\\server\\share", "\\\\server\\share\\"},
                                                         {"", ""}};
#endif
    for (const auto& [chosen, backupPath] : cases)
        EXPECT_EQ(recognizeBackup(realFileSystem(), chosen).directory.backupPath(), backupPath) << chosen;
}

// Files are found in any letter case (both ends of the alphabet), folders are no files; a
// backup copied onto a case-sensitive disk twice may hold two spellings of one name, and the
// spelling asked for must win whatever order the directory lists them in.
TEST(BackupDirectory, FindsFilesInAnyLetterCaseAndTheExactSpellingFirst) {
    std::vector<DirectoryEntry> entries = {{"FILEBLK.DAT", false}, {"Fileblk.dat", false},
                                           {"fileblk.DAT", false}, {"AZ.SQF", false},
                                           {"00301.sqt", false},   {"00101.SQT", true}};
    for (int order = 0; order < 2; ++order, std::reverse(entries.begin(), entries.end())) {
        test::FaultyFileSystem fs;
        fs.setListing(entries);
        const BackupDirectory d(fs, "/backup/");
        EXPECT_EQ(d.find("Fileblk.dat"), std::filesystem::path("/backup/Fileblk.dat"));
        EXPECT_EQ(d.find("FILEBLK.DAT"), std::filesystem::path("/backup/FILEBLK.DAT"));
        EXPECT_TRUE(d.find("fileblk.dat").has_value()); // no exact spelling: any of them
        EXPECT_EQ(d.find("az.sqf"), std::filesystem::path("/backup/AZ.SQF"));
        EXPECT_EQ(d.find("00101.SQT"), std::nullopt);
        EXPECT_EQ(d.find("00301.SQT"), std::filesystem::path("/backup/00301.sqt"));
        EXPECT_EQ(d.find("00301.SQF"), std::nullopt);
    }
}

// Twice the size plus 0.35 %, also beyond 1 GiB, where the doubled size no longer fits 32 bits.
TEST(EstimatedRestoreSize, TwiceTheSizePlusPointThreeFivePercent) {
    EXPECT_EQ(estimatedRestoreSize(3'000'000), 6'021'000u);
    EXPECT_EQ(estimatedRestoreSize(1'073'741'824), 2'154'999'841u);
}

} // namespace
} // namespace lw
