// The card reader's acceptance test, the card root of a drive text, and finding a drive by
// its text or by a folder (the command line's card folder, the settings' saved drive).
#include "platform/Drives.h"

#include "support/FakeDrives.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

namespace lw {
namespace {

namespace fs = std::filesystem;

DriveInfo drive(const std::string& text, const fs::path& root, DriveType type) {
    return DriveInfo{text, root, type, ""};
}

// Only a removable drive is a card reader, and never the floppy drives A: and B:.
TEST(CardDrive, OnlyRemovableAndNoFloppyDrive) {
    const std::tuple<const char*, DriveType, bool> cases[] = {
        {"e:", DriveType::Removable, true},  {"/media/anna/SDCARD", DriveType::Removable, true},
        {"c:", DriveType::Fixed, false},     {"d:", DriveType::CdRom, false},
        {"A:", DriveType::Removable, false}, {"b:", DriveType::Removable, false},
        {"/b", DriveType::Removable, true}}; // a mount point that merely begins with b
    for (const auto& [text, type, accepted] : cases)
        EXPECT_EQ(isAcceptableCardDrive(drive(text, text, type)), accepted) << text;
}

TEST(CardDrive, RootEndsInOneSeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"e:", "e:\\"},
        {"E:\\", "E:\\"},
        {"e:/", "e:/"},
        {"", ""},
#ifndef _WIN32
        {"/media/x", "/media/x/"},
        {"/", "/"},
#endif
    };
    for (const auto& [text, root] : cases)
        EXPECT_EQ(cardRootOf(text), root) << text;
}

TEST(FindDrive, ByTextAndNotByEmptyText) {
    test::FakeDrives drives(
        {drive("c:", "c:\\", DriveType::Fixed), drive("e:", "e:\\", DriveType::Removable)});
    ASSERT_TRUE(findDrive(drives, "e:"));
    EXPECT_EQ(findDrive(drives, "e:")->type, DriveType::Removable);
    EXPECT_FALSE(findDrive(drives, "f:"));
    EXPECT_FALSE(findDrive(drives, ""));
#ifdef _WIN32
    EXPECT_TRUE(findDrive(drives, "E:"));
#endif
}

#ifndef _WIN32
TEST(DriveWithRoot, IsTheMountPointInNormalForm) {
    test::TempDir dir;
    fs::create_directory(dir / "SD CARD");
    fs::create_directory_symlink(dir / "SD CARD", dir / "link");
    const fs::path mount = fs::canonical(dir / "SD CARD");
    test::FakeDrives drives(
        {drive("/", "/", DriveType::Fixed), drive(mount.string(), mount, DriveType::Removable)});
    for (const fs::path& folder :
         {mount / "", mount.parent_path() / "." / "SD CARD" / "", mount / ".." / "SD CARD", dir / "link"}) {
        const auto found = driveWithRoot(drives, folder);
        ASSERT_TRUE(found) << folder;
        EXPECT_EQ(found->text, mount.string()) << folder;
    }
    // A folder on the drive, the folder above it, or another letter case is not the drive's root.
    for (const fs::path& folder : {mount / "PRIVATE", mount.parent_path(), mount.parent_path() / "sd card"})
        EXPECT_FALSE(driveWithRoot(drives, folder)) << folder;
    EXPECT_EQ(driveWithRoot(drives, "/")->text, "/");
}
#else
TEST(DriveWithRoot, IgnoresLetterCaseAndSeparatorKind) {
    test::FakeDrives drives(
        {drive("c:", "c:\\", DriveType::Fixed), drive("e:", "e:\\", DriveType::Removable)});
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
