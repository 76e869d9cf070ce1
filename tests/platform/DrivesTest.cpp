// The card reader's acceptance test, the card root of a drive text, and finding a drive by
// its text or by a folder (the command line's card folder, the settings' saved drive).
#include "platform/Drives.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

namespace lw {
namespace {

namespace fs = std::filesystem;

class ListedDrives : public Drives {
public:
    explicit ListedDrives(std::vector<DriveInfo> drives) : m_drives(std::move(drives)) {}
    std::vector<DriveInfo> list() override { return m_drives; }

private:
    std::vector<DriveInfo> m_drives;
};

// --- Acceptance test -------------------------------------------------------------------

struct AcceptanceCase {
    const char* text;
    DriveType type;
    bool accepted;
};

std::ostream& operator<<(std::ostream& out, const AcceptanceCase& c) {
    return out << c.text;
}

class CardDriveAcceptance : public ::testing::TestWithParam<AcceptanceCase> {};

TEST_P(CardDriveAcceptance, JudgesTypeAndFloppyLetters) {
    const AcceptanceCase& c = GetParam();
    DriveInfo drive;
    drive.text = c.text;
    drive.root = c.text;
    drive.type = c.type;
    EXPECT_EQ(isAcceptableCardDrive(drive), c.accepted) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Drives, CardDriveAcceptance,
                         ::testing::Values(AcceptanceCase{"e:", DriveType::Removable, true},
                                           AcceptanceCase{"E:", DriveType::Removable, true},
                                           AcceptanceCase{"/media/anna/SDCARD", DriveType::Removable, true},
                                           AcceptanceCase{"c:", DriveType::Fixed, false},
                                           AcceptanceCase{"/", DriveType::Fixed, false},
                                           AcceptanceCase{"d:", DriveType::CdRom, false},
                                           AcceptanceCase{"z:", DriveType::Remote, false},
                                           AcceptanceCase{"r:", DriveType::RamDisk, false},
                                           AcceptanceCase{"f:", DriveType::Unknown, false},
                                           // The floppy drives are removable, but never card readers.
                                           AcceptanceCase{"a:", DriveType::Removable, false},
                                           AcceptanceCase{"A:", DriveType::Removable, false},
                                           AcceptanceCase{"b:", DriveType::Removable, false},
                                           // A mount point that merely begins with a or b is no floppy.
                                           AcceptanceCase{"/b", DriveType::Removable, true}));

// --- Card root -------------------------------------------------------------------------

struct CardRootCase {
    const char* driveText;
    const char* root;
};

class CardRoot : public ::testing::TestWithParam<CardRootCase> {};

TEST_P(CardRoot, AddsOneSeparator) {
    EXPECT_EQ(cardRootOf(GetParam().driveText), GetParam().root);
}

const CardRootCase kCardRootCases[] = {
    {"e:", "e:\\"},
    {"E:", "E:\\"},
    {"e:\\", "e:\\"},
    {"", ""},
#ifndef _WIN32
    {"/media/x", "/media/x/"},
    {"/media/x/", "/media/x/"},
    {"/", "/"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Drives, CardRoot, ::testing::ValuesIn(kCardRootCases));

// --- Finding drives --------------------------------------------------------------------

DriveInfo drive(const std::string& text, const fs::path& root, DriveType type) {
    DriveInfo d;
    d.text = text;
    d.root = root;
    d.type = type;
    return d;
}

TEST(FindDrive, ByTextAndNotByEmptyText) {
    ListedDrives drives({drive("c:", "c:\\", DriveType::Fixed), drive("e:", "e:\\", DriveType::Removable)});
    ASSERT_TRUE(findDrive(drives, "e:"));
    EXPECT_EQ(findDrive(drives, "e:")->type, DriveType::Removable);
    EXPECT_FALSE(findDrive(drives, "f:"));
    EXPECT_FALSE(findDrive(drives, ""));
#ifdef _WIN32
    EXPECT_TRUE(findDrive(drives, "E:"));
#endif
}

#ifndef _WIN32
TEST(DriveWithRoot, IgnoresTrailingSeparatorsAndDotSegments) {
    ListedDrives drives({drive("/", "/", DriveType::Fixed),
                         drive("/media/anna/SD CARD", "/media/anna/SD CARD", DriveType::Removable)});
    for (const char* folder : {"/media/anna/SD CARD", "/media/anna/SD CARD/", "/media/anna/./SD CARD//",
                               "/media/anna/x/../SD CARD"}) {
        const auto found = driveWithRoot(drives, folder);
        ASSERT_TRUE(found) << folder;
        EXPECT_EQ(found->text, "/media/anna/SD CARD") << folder;
    }
    // A folder on a drive is not the drive's root.
    EXPECT_FALSE(driveWithRoot(drives, "/media/anna/SD CARD/PRIVATE"));
    EXPECT_FALSE(driveWithRoot(drives, "/media/anna"));
    EXPECT_FALSE(driveWithRoot(drives, "/media/anna/sd card"));
    ASSERT_TRUE(driveWithRoot(drives, "/"));
    EXPECT_EQ(driveWithRoot(drives, "/")->text, "/");
}

TEST(DriveWithRoot, FollowsSymbolicLinksToTheMountPoint) {
    test::TempDir dir;
    fs::create_directory(dir / "mnt");
    fs::create_directory_symlink(dir / "mnt", dir / "link");
    const fs::path mountPoint = fs::canonical(dir / "mnt");
    ListedDrives drives({drive(mountPoint.string(), mountPoint, DriveType::Removable)});
    const auto found = driveWithRoot(drives, dir / "link");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->root, mountPoint);
}
#else
TEST(DriveWithRoot, IgnoresLetterCaseAndSeparatorKind) {
    ListedDrives drives({drive("c:", "c:\\", DriveType::Fixed), drive("e:", "e:\\", DriveType::Removable)});
    for (const char* folder : {"e:\\", "E:\\", "E:/"}) {
        const auto found = driveWithRoot(drives, folder);
        ASSERT_TRUE(found) << folder;
        EXPECT_EQ(found->text, "e:") << folder;
    }
    EXPECT_FALSE(driveWithRoot(drives, "e:\\PRIVATE"));
}
#endif

} // namespace
} // namespace lw
