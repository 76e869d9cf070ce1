// Which keyboard wrote the backup in a directory: the marker files in their order, the
// Manager.ini rule, file names in any letter case, and the backup path's separator.
#include "backup/BackupFaultFs.h"
#include "backup/BackupReader.h"
#include "platform/Path.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace lw {
namespace {

using test::TempDir;

void touch(const std::filesystem::path& path, const std::string& content = "x") {
    test::writeBytes(path, std::vector<std::uint8_t>(content.begin(), content.end()));
}

struct RecognitionCase {
    const char* name;
    std::vector<std::string> files;
    RecognitionOutcome outcome;
    std::optional<KeyboardKind> kind; // the kind whose marker was found
};

class Recognise : public ::testing::TestWithParam<RecognitionCase> {};

TEST_P(Recognise, Directory) {
    const RecognitionCase& c = GetParam();
    TempDir dir;
    for (const auto& f : c.files)
        touch(dir / f);
    const Recognition r = recognizeBackup(realFileSystem(), pathToUtf8(dir.path()));
    EXPECT_EQ(r.outcome, c.outcome);
    if (c.kind) {
        ASSERT_NE(r.format, nullptr);
        EXPECT_EQ(r.format->kind, *c.kind);
    } else {
        EXPECT_EQ(r.format, nullptr);
    }
}

using RO = RecognitionOutcome;
using KK = KeyboardKind;

INSTANTIATE_TEST_SUITE_P(
    MarkerFiles, Recognise,
    ::testing::Values(
        RecognitionCase{"Kn2000", {"dir.new"}, RO::Recognised, KK::KN2000},
        RecognitionCase{"Kn3000", {"filedir.dat"}, RO::Recognised, KK::KN3000},
        RecognitionCase{"Kn5000", {"Fileblk.dat"}, RO::Recognised, KK::KN5000},
        RecognitionCase{"Kn6000", {"Sx6bck.sxf"}, RO::Recognised, KK::KN6000},
        RecognitionCase{"Kn2000BeforeKn6000", {"Sx6bck.sxf", "dir.new"}, RO::Recognised, KK::KN2000},
        RecognitionCase{"Kn3000BeforeKn5000", {"Fileblk.dat", "filedir.dat"}, RO::Recognised, KK::KN3000},
        RecognitionCase{"Kn5000BeforeKn6000", {"Sx6bck.sxf", "Fileblk.dat"}, RO::Recognised, KK::KN5000},
        RecognitionCase{"Empty", {}, RO::NoBackup, std::nullopt},
        RecognitionCase{"TablesWithoutMarkers",
                        {"Sx6bck.sxd", "dirblk.dat", "Groupdir.dat", "Filenew.dat", "00101.SQT"},
                        RO::NoBackup,
                        std::nullopt},
        RecognitionCase{
            "NearMiss", {"dir.new.bak", "Fileblk.da", "xSx6bck.sxf"}, RO::NoBackup, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    ManagerIni, Recognise,
    ::testing::Values(
        RecognitionCase{"BesideKn5000", {"Fileblk.dat", "Manager.ini"}, RO::ManagerIniBeside, KK::KN5000},
        RecognitionCase{"BesideKn6000", {"Sx6bck.sxf", "Manager.ini"}, RO::ManagerIniBeside, KK::KN6000},
        RecognitionCase{"BesideKn2000", {"dir.new", "Manager.ini"}, RO::Recognised, KK::KN2000},
        RecognitionCase{"BesideKn3000", {"filedir.dat", "Manager.ini"}, RO::Recognised, KK::KN3000},
        // The KN2000 marker wins before the Manager.ini test looks at the KN5000 one.
        RecognitionCase{"Kn2000WinsOverManagedKn5000",
                        {"Fileblk.dat", "dir.new", "Manager.ini"},
                        RO::Recognised,
                        KK::KN2000},
        RecognitionCase{
            "UpperCaseBesideKn5000", {"FILEBLK.DAT", "MANAGER.INI"}, RO::ManagerIniBeside, KK::KN5000}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    LetterCase, Recognise,
    ::testing::Values(RecognitionCase{"FILEBLK_DAT", {"FILEBLK.DAT"}, RO::Recognised, KK::KN5000},
                      RecognitionCase{"sx6bck_SXF", {"sx6bck.SXF"}, RO::Recognised, KK::KN6000},
                      RecognitionCase{"DIR_NEW", {"DIR.NEW"}, RO::Recognised, KK::KN2000},
                      RecognitionCase{"FileDir_Dat", {"FileDir.Dat"}, RO::Recognised, KK::KN3000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Recognition, AFolderNamedLikeAMarkerIsNoMarker) {
    TempDir dir;
    std::filesystem::create_directory(dir / "Fileblk.dat");
    EXPECT_EQ(recognizeBackup(realFileSystem(), pathToUtf8(dir.path())).outcome,
              RecognitionOutcome::NoBackup);
}

// --- the backup path: exactly one trailing separator ---

struct PathCase {
    std::string chosen;
    std::string backupPath;
};

class BackupPathOf : public ::testing::TestWithParam<PathCase> {};

TEST_P(BackupPathOf, ChosenDirectory) {
    const Recognition r = recognizeBackup(realFileSystem(), GetParam().chosen);
    EXPECT_EQ(r.directory.backupPath(), GetParam().backupPath);
}

#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(Separator, BackupPathOf,
                         ::testing::Values(PathCase{"/x/kn", "/x/kn/"}, PathCase{"/x/kn/", "/x/kn/"},
                                           PathCase{"/", "/"}, PathCase{"", ""}));
#else
INSTANTIATE_TEST_SUITE_P(Separator, BackupPathOf,
                         ::testing::Values(PathCase{"C:\\Songs", "C:\\Songs\\"},
                                           PathCase{"C:\\Songs\\", "C:\\Songs\\"}, PathCase{"C:\\", "C:\\"},
                                           PathCase{"", ""}));
#endif

TEST(Recognition, BackupPathOfARealDirectoryWithAndWithoutSeparator) {
    TempDir dir;
    touch(dir / "Fileblk.dat");
    const std::string plain = pathToUtf8(dir.path());
    const std::string expected = plain + std::string(nativeSeparator());
    EXPECT_EQ(recognizeBackup(realFileSystem(), plain).directory.backupPath(), expected);
    EXPECT_EQ(recognizeBackup(realFileSystem(), expected).directory.backupPath(), expected);
}

// --- finding a backup's files in any letter case ---

TEST(BackupDirectory, FindsFilesInAnyLetterCase) {
    TempDir dir;
    touch(dir / "FILEBLK.DAT");
    touch(dir / "00301.sqt");
    touch(dir / "dirBLK.dat");
    BackupDirectory d(realFileSystem(), pathToUtf8(dir.path()) + "/");
    EXPECT_EQ(d.find("Fileblk.dat"), dir.path() / "FILEBLK.DAT");
    EXPECT_EQ(d.find("00301.SQT"), dir.path() / "00301.sqt");
    EXPECT_EQ(d.find("dirblk.dat"), dir.path() / "dirBLK.dat");
    EXPECT_EQ(d.find("00301.SQF"), std::nullopt);
    EXPECT_EQ(d.find("00301"), std::nullopt);
}

TEST(BackupDirectory, SubfoldersAreNotFiles) {
    TempDir dir;
    std::filesystem::create_directory(dir / "00101.SQT");
    BackupDirectory d(realFileSystem(), pathToUtf8(dir.path()) + "/");
    EXPECT_EQ(d.find("00101.SQT"), std::nullopt);
}

// A backup copied onto a case-sensitive disk twice may hold two spellings of one name;
// the spelling asked for must win whatever order the directory lists them in.
class ExactSpelling : public ::testing::TestWithParam<bool> {};

TEST_P(ExactSpelling, WinsOverAnotherSpellingInEitherListingOrder) {
    test::BackupFaultFs fs;
    std::vector<DirectoryEntry> entries = {
        {"FILEBLK.DAT", false}, {"Fileblk.dat", false}, {"fileblk.DAT", false}};
    if (GetParam())
        std::reverse(entries.begin(), entries.end());
    fs.listing = entries;
    BackupDirectory d(fs, "/backup/");
    EXPECT_EQ(d.find("Fileblk.dat"), std::filesystem::path("/backup/Fileblk.dat"));
    EXPECT_EQ(d.find("FILEBLK.DAT"), std::filesystem::path("/backup/FILEBLK.DAT"));
    EXPECT_TRUE(d.find("fileblk.dat").has_value()); // no exact spelling: any of them
}

INSTANTIATE_TEST_SUITE_P(ListingOrder, ExactSpelling, ::testing::Bool());

TEST(BackupDirectory, AnUnlistableDirectoryHoldsNoFiles) {
    TempDir dir;
    BackupDirectory d(realFileSystem(), pathToUtf8(dir.path() / "missing") + "/");
    EXPECT_EQ(d.find("Fileblk.dat"), std::nullopt);
}

// --- the space a restore file of the backup needs ---

TEST(EstimatedRestoreSize, TwiceTheSizePlusPointThreeFivePercent) {
    EXPECT_EQ(estimatedRestoreSize(0), 0u);
    EXPECT_EQ(estimatedRestoreSize(3'000'000), 6'021'000u);
    // Beyond 1 GiB the doubled size no longer fits 32 bits; it must still come out right.
    EXPECT_EQ(estimatedRestoreSize(2'000'000'000), 4'014'000'000u);
    EXPECT_EQ(estimatedRestoreSize(1'073'741'824), 2'154'999'841u);
}

} // namespace
} // namespace lw
