// The card reader's acceptance test, the card root of a drive text, finding a drive by its text
// or by a folder, the drive a list starts on and the saved one, and on Linux the drive list from
// the mount table and sysfs tree of a laptop (tests/data/platform: an NVMe disk, a USB stick, SD
// cards, soldered eMMC, LUKS, an optical drive, a network share, bind mounts, a mount over another).
#include "platform/Drives.h"

#include "support/FakeDrives.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <tuple>

namespace lw {
namespace {

namespace fs = std::filesystem;

DriveInfo drive(const std::string& text, const fs::path& root, DriveType type) {
    return DriveInfo{text, root, type, ""};
}

// Only a removable drive is a card reader, and never the floppy drives A: and B:. A card root
// ends in one separator.
TEST(CardDrive, OnlyRemovableAndNoFloppyDriveAndItsRoot) {
    const std::tuple<const char*, DriveType, bool> cases[] = {
        {"e:", DriveType::Removable, true},  {"/media/anna/SDCARD", DriveType::Removable, true},
        {"c:", DriveType::Fixed, false},     {"d:", DriveType::CdRom, false},
        {"A:", DriveType::Removable, false}, {"b:", DriveType::Removable, false},
        {"/b", DriveType::Removable, true}}; // a mount point that merely begins with b
    for (const auto& [text, type, accepted] : cases)
        EXPECT_EQ(isAcceptableCardDrive(drive(text, text, type)), accepted) << text;
    const std::pair<const char*, const char*> roots[] = {
#ifndef _WIN32
        {"/media/x", "/media/x/"},
        {"/", "/"},
#endif
        {"e:", "e:\\"},
        {"E:\\", "E:\\"},
        {"e:/", "e:/"},
        {"", ""}};
    for (const auto& [text, root] : roots)
        EXPECT_EQ(cardRootOf(text), root) << text;
}

TEST(FindDrive, ByTextAndNotByEmptyText) {
    test::FakeDrives drives(
        {drive("c:", "c:\\", DriveType::Fixed), drive("e:", "e:\\", DriveType::Removable)});
    EXPECT_EQ(findDrive(drives, "e:").value_or(DriveInfo{}).type, DriveType::Removable);
    EXPECT_FALSE(findDrive(drives, "f:"));
    EXPECT_FALSE(findDrive(drives, ""));
#ifdef _WIN32
    EXPECT_TRUE(findDrive(drives, "E:"));
    // A drive's root is found ignoring letter case and the kind of separator.
    for (const char* folder : {"e:\\", "E:\\", "E:/"})
        EXPECT_EQ(driveWithRoot(drives, folder).value_or(DriveInfo{}).text, "e:") << folder;
    EXPECT_FALSE(driveWithRoot(drives, "e:\\PRIVATE"));
#endif
}

// A list starts on its first fixed disk (on Linux the root "/"), else on its first drive. A saved
// drive letter finds its drive by the letter alone, even with a volume name; a mount point exactly.
TEST(DriveChoice, StartsOnTheFirstFixedDiskAndFindsTheSavedDrive) {
    using enum DriveType;
    const std::vector<DriveInfo> drives = {
        drive("a:", "a:", Removable), drive("/media/anna/SD", "/media/anna/SD", Removable),
        drive("z:", "z:", Remote),    drive("/", "/", Fixed),
        drive("E:", "E:", Removable), drive("d:", "d:", Fixed)};
    const std::pair<std::vector<DriveInfo>, int> starts[] = {
        {drives, 3}, {{drives[0], drives[4]}, 0}, {{}, -1}};
    for (const auto& [list, start] : starts)
        EXPECT_EQ(initialDriveIndex(list), start) << list.size();
    const std::pair<std::vector<std::string>, int> saved[] = {
        {{"e:", "E:", "e: [SDCARD]", "e:\\"}, 4},
        {{"/media/anna/SD"}, 1},
        {{"/media/anna/SD/", "/media/anna/sd", "/media/anna", "f:", "e", ""}, -1}};
    for (const auto& [texts, index] : saved)
        for (const std::string& text : texts)
            EXPECT_EQ(savedDriveIndex(drives, text), index) << text;
}

#ifndef _WIN32
// The mount point in normal form is the root; a folder on it or above it, or another case, is not.
TEST(DriveWithRoot, IsTheMountPointInNormalForm) {
    test::TempDir dir;
    fs::create_directory(dir / "SD CARD");
    fs::create_directory_symlink(dir / "SD CARD", dir / "link");
    const fs::path mount = fs::canonical(dir / "SD CARD");
    test::FakeDrives drives(
        {drive("/", "/", DriveType::Fixed), drive(mount.string(), mount, DriveType::Removable)});
    for (const fs::path& folder :
         {mount / "", mount.parent_path() / "." / "SD CARD" / "", mount / ".." / "SD CARD", dir / "link"})
        EXPECT_EQ(driveWithRoot(drives, folder).value_or(DriveInfo{}).text, mount.string()) << folder;
    for (const fs::path& folder : {mount / "PRIVATE", mount.parent_path(), mount.parent_path() / "sd card"})
        EXPECT_FALSE(driveWithRoot(drives, folder)) << folder;
    EXPECT_EQ(driveWithRoot(drives, "/")->text, "/");
}

// The laptop's sysfs tree, made once (it is slow on a busy disk) from its listing.
fs::path laptopSysfs() {
    static test::TempDir dir;
    static const bool built = [] {
        std::ifstream listing(test::sourceDir() / "tests/data/platform/laptop.sysfs");
        for (std::string line; std::getline(listing, line);) {
            const auto link = line.find(" -> "), file = line.find(" = ");
            if (line.empty() || line[0] == '#')
                continue;
            const fs::path path = dir / "sys" / line.substr(0, std::min(link, file));
            fs::create_directories(path.parent_path());
            if (link != std::string::npos)
                fs::create_directory_symlink(dir / "sys" / line.substr(link + 4), path);
            else
                std::ofstream(path) << line.substr(file + 3) << "\n";
        }
        return true;
    }();
    (void)built;
    return dir / "sys";
}

// The drives as lines "text|type|label", with "|root" added where the root is not the text.
std::string listed(const fs::path& mountInfo, const fs::path& sysfs = laptopSysfs()) {
    static const char* const kTypes[] = {"Unknown", "Removable", "Fixed", "Remote", "CdRom", "RamDisk"};
    std::string out;
    for (const DriveInfo& d : drivesFromMountInfo(mountInfo, sysfs))
        out += d.text + "|" + kTypes[static_cast<int>(d.type)] + "|" + d.label +
               (d.root == fs::path(d.text) ? "" : "|" + d.root.string()) + "\n";
    return out;
}

// Root first, then the user's mounts by mount point, each judged by the device below it.
TEST(MountInfo, ListsAndJudgesTheLaptopsDrives) {
    const fs::path laptop = test::sourceDir() / "tests/data/platform/laptop.mountinfo";
    EXPECT_EQ(listed(laptop), "/|Fixed|vg-root\n"       // LVM on the NVMe disk
                              "/home|Fixed|nvme0n1p4\n" // btrfs: found by name
                              "/media/anna/DISC|CdRom|sr0\n"
                              "/media/anna/MY STICK|Removable|sdb1\n"  // on USB
                              "/media/anna/READER|Removable|sdc1\n"    // removable flag
                              "/media/anna/SECRET|Removable|luks-42\n" // LUKS on the stick
                              "/mnt/emmc|Fixed|mmcblk1p1\n"            // soldered eMMC
                              "/mnt/nas|Remote|nas:/export\n"
                              "/mnt/over|Removable|sdc1\n"                     // the later mount counts
                              "/run/media/anna/SDCARD|Removable|mmcblk0p1\n"); // where desktops mount media
    // Without sysfs no drive is taken for removable.
    EXPECT_EQ(listed(laptop, "/nonexistent/sys").find("Removable"), std::string::npos);
    EXPECT_EQ(realDrives().list().at(0).text, "/"); // this machine's list, from /proc and /sys
}

// Device mapper is removable only when every device below is (an anonymous device number: the
// mapper's name leads to dm-1 on the stick); the root is listed whatever its file system;
// octal codes in mount points are unescaped ("\134" a backslash, "\011" a tab; a backslash
// without three octal digits stays).
TEST(MountInfo, JudgesEachMount) {
    const std::pair<const char*, const char*> cases[] = {
        {"26 1 253:2 / / rw - ext4 /dev/mapper/vg-span rw\n"
         "27 26 0:61 / /data rw - btrfs /dev/mapper/luks-42 rw\n",
         "/|Fixed|vg-span\n/data|Removable|luks-42\n"},
        {"600 500 0:40 / / rw - overlay overlay rw,lowerdir=/l\n"
         "601 600 0:41 / /proc rw - proc proc rw\n"
         "602 600 254:0 /var/lib/docker/containers/1/hosts /etc/hosts rw - ext4 /dev/vda rw\n",
         "/|Unknown|\n"},
        {"1 0 0:2 / / rw - tmpfs tmpfs rw\n", "/|RamDisk|\n"},
        {"26 1 8:33 / /media/a\\134b\\011c\\040d\\0 rw - vfat /dev/sdc1 rw\n",
         "/media/a\\b\tc d\\0|Removable|sdc1\n"}};
    for (const auto& [mountInfo, expected] : cases) {
        test::TempDir dir;
        std::ofstream(dir / "mountinfo") << mountInfo;
        EXPECT_EQ(listed(dir / "mountinfo"), expected);
    }
}
#endif

} // namespace
} // namespace lw
