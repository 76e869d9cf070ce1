// The Linux drive list from a mount table and a sysfs tree, both fakes in a TempDir: a
// laptop with an NVMe disk (LVM root, btrfs home), a USB stick, an SD card in an MMC
// reader, soldered eMMC, a card reader that flags itself removable, a LUKS container on
// the stick, an optical disc, a network share and the usual kernel file systems.
#ifndef _WIN32

#include "platform/Drives.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace lw {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// A sysfs tree laid out as the kernel does: devices under devices/<bus path>/, reached
// through dev/block/MAJ:MIN and class/block/NAME.
class FakeSysfs {
public:
    explicit FakeSysfs(fs::path root) : m_root(std::move(root)) {}

    fs::path disk(const std::string& bus, const std::string& name, const std::string& device,
                  bool removable) {
        return add(m_root / "devices" / bus / "block" / name, device, "removable", removable ? "1" : "0");
    }
    fs::path partition(const fs::path& disk, const std::string& name, const std::string& device) {
        return add(disk / name, device, "partition", "1");
    }
    // A device-mapper device named dmName, standing on the given devices.
    void mapper(const std::string& name, const std::string& device, const std::string& dmName,
                const std::vector<fs::path>& slaves) {
        const fs::path dm = add(m_root / "devices" / "virtual" / "block" / name, device, "dm/name", dmName);
        writeFile(dm / "removable", "0\n");
        fs::create_directories(dm / "slaves");
        for (const fs::path& slave : slaves)
            fs::create_directory_symlink(slave, dm / "slaves" / slave.filename());
    }

private:
    fs::path add(const fs::path& folder, const std::string& device, const std::string& file,
                 const std::string& text) {
        writeFile(folder / file, text + "\n");
        for (const fs::path& link :
             {m_root / "dev" / "block" / device, m_root / "class" / "block" / folder.filename()}) {
            fs::create_directories(link.parent_path());
            fs::create_directory_symlink(folder, link);
        }
        return folder;
    }

    fs::path m_root;
};

// The laptop's sysfs tree, built once (creating it is slow on a busy disk).
fs::path laptopSysfs() {
    static test::TempDir dir;
    static const bool built = [] {
        FakeSysfs sys(dir / "sys");
        const std::string pci = "pci0000:00/";
        const fs::path nvme = sys.disk(pci + "0000:00:1d.0/nvme/nvme0", "nvme0n1", "259:0", false);
        const fs::path lvm = sys.partition(nvme, "nvme0n1p3", "259:3");
        sys.partition(nvme, "nvme0n1p4", "259:4");
        const fs::path p5 = sys.partition(nvme, "nvme0n1p5", "259:5");
        sys.mapper("dm-0", "253:0", "vg-root", {lvm});
        // A USB stick that does not call itself removable: the bus says it is.
        const fs::path stick =
            sys.disk(pci + "0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0", "sdb", "8:16", false);
        sys.partition(stick, "sdb1", "8:17");
        const fs::path luks = sys.partition(stick, "sdb2", "8:18");
        sys.mapper("dm-1", "253:1", "luks-42", {luks});
        sys.mapper("dm-2", "253:2", "vg-span", {luks, p5}); // a volume group over the stick and the NVMe disk
        // An SD card in an MMC reader (flag 0), and soldered-on eMMC.
        const fs::path sd = sys.disk(pci + "0000:00:1c.0/mmc_host/mmc0/mmc0:aaaa", "mmcblk0", "179:0", false);
        writeFile(sd / "device" / "type", "SD\n");
        sys.partition(sd, "mmcblk0p1", "179:1");
        const fs::path emmc =
            sys.disk(pci + "0000:00:1c.1/mmc_host/mmc1/mmc1:0001", "mmcblk1", "179:8", false);
        writeFile(emmc / "device" / "type", "MMC\n");
        sys.partition(emmc, "mmcblk1p1", "179:9");
        // A built-in card reader on SATA that flags its medium removable; an optical drive.
        const fs::path reader =
            sys.disk(pci + "0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0", "sdc", "8:32", true);
        sys.partition(reader, "sdc1", "8:33");
        sys.disk(pci + "0000:00:17.0/ata3/host2/target2:0:0/2:0:0:0", "sr0", "11:0", true);
        return true;
    }();
    (void)built;
    return dir / "sys";
}

std::vector<DriveInfo> drivesOf(const std::string& mountInfo, const fs::path& sysfs = laptopSysfs()) {
    test::TempDir dir;
    writeFile(dir / "mountinfo", mountInfo);
    return drivesFromMountInfo(dir / "mountinfo", sysfs);
}

const char* const kLaptopMountInfo =
    "26 1 253:0 / / rw,relatime shared:1 - ext4 /dev/mapper/vg-root rw\n"
    "27 26 0:5 / /proc rw,nosuid shared:12 - proc proc rw\n"
    "28 26 0:21 / /sys rw,nosuid shared:2 - sysfs sysfs rw\n"
    "30 26 0:24 / /run rw shared:5 - tmpfs tmpfs rw,size=1600k\n"
    "31 26 0:30 / /tmp rw shared:20 - tmpfs tmpfs rw\n"
    // btrfs reports an anonymous device number and its subvolume as the mount's root.
    "34 26 0:60 /@home /home rw,relatime shared:32 - btrfs /dev/nvme0n1p4 rw,subvol=/@home\n"
    "35 26 8:17 / /media/anna/MY\\040STICK rw,nosuid,nodev shared:400 - vfat /dev/sdb1 rw,uid=1000\n"
    "36 30 179:1 / /run/media/anna/SDCARD rw,nosuid shared:410 - exfat /dev/mmcblk0p1 rw\n"
    // A folder of the SD card bound into the home folder: not a drive of its own.
    "37 34 179:1 /Music /home/anna/Music rw shared:410 - exfat /dev/mmcblk0p1 rw\n"
    "38 26 0:50 / /mnt/nas rw shared:500 - nfs4 nas:/export rw,vers=4.2\n"
    "39 26 11:0 / /media/anna/DISC ro shared:600 - iso9660 /dev/sr0 ro\n"
    "40 26 7:3 / /snap/core/123 ro shared:7 - squashfs /dev/loop3 ro\n"
    "41 26 8:33 / /media/anna/READER rw - vfat /dev/sdc1 rw\n" // no optional fields at all
    "42 26 253:1 / /media/anna/SECRET rw - ext4 /dev/mapper/luks-42 rw\n"
    "44 26 179:9 / /mnt/emmc rw - ext4 /dev/mmcblk1p1 rw\n"
    // Mounted over: the later mount is what the mount point shows.
    "45 26 259:5 / /mnt/over rw - ext4 /dev/nvme0n1p5 rw\n"
    "46 45 8:33 / /mnt/over rw - vfat /dev/sdc1 rw\n"
    "47 26 0:70 / /dev/shm rw - tmpfs tmpfs rw\n"
    "this line is not a mount\n";

// Root first, then the user's mounts by mount point, each judged by the device below it.
TEST(MountInfo, ListsAndJudgesTheLaptopsDrives) {
    const std::tuple<const char*, DriveType, const char*> expected[] = {
        {"/", DriveType::Fixed, "vg-root"},       // LVM on the NVMe disk
        {"/home", DriveType::Fixed, "nvme0n1p4"}, // btrfs: found by name
        {"/media/anna/DISC", DriveType::CdRom, "sr0"},
        {"/media/anna/MY STICK", DriveType::Removable, "sdb1"},  // on USB
        {"/media/anna/READER", DriveType::Removable, "sdc1"},    // removable flag
        {"/media/anna/SECRET", DriveType::Removable, "luks-42"}, // LUKS on the stick
        {"/mnt/emmc", DriveType::Fixed, "mmcblk1p1"},            // soldered eMMC
        {"/mnt/nas", DriveType::Remote, "nas:/export"},
        {"/mnt/over", DriveType::Removable, "sdc1"},
        {"/run/media/anna/SDCARD", DriveType::Removable, "mmcblk0p1"}}; // where desktops mount media
    const auto drives = drivesOf(kLaptopMountInfo);
    ASSERT_EQ(drives.size(), std::size(expected));
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const auto& [text, type, label] = expected[i];
        EXPECT_EQ(drives[i].text, text);
        EXPECT_EQ(drives[i].root, fs::path(text));
        EXPECT_EQ(drives[i].type, type) << text;
        EXPECT_EQ(drives[i].label, label) << text;
    }
}

TEST(MountInfo, DeviceMapperIsRemovableOnlyWhenEveryDeviceBelowIs) {
    const auto drives = drivesOf("26 1 253:2 / / rw - ext4 /dev/mapper/vg-span rw\n"
                                 "27 26 0:61 / /data rw - btrfs /dev/mapper/luks-42 rw\n");
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].type, DriveType::Fixed);
    // An anonymous device number: the mapper's name leads to dm-1 on the USB stick.
    EXPECT_EQ(drives[1].type, DriveType::Removable);
}

TEST(MountInfo, RootIsListedWhateverItsFileSystem) {
    auto drives =
        drivesOf("600 500 0:40 / / rw - overlay overlay rw,lowerdir=/l\n"
                 "601 600 0:41 / /proc rw - proc proc rw\n"
                 "602 600 254:0 /var/lib/docker/containers/1/hosts /etc/hosts rw - ext4 /dev/vda rw\n");
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].text, "/");
    EXPECT_EQ(drives[0].type, DriveType::Unknown);
    drives = drivesOf("1 0 0:2 / / rw - tmpfs tmpfs rw\n");
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].type, DriveType::RamDisk);
}

TEST(MountInfo, UnescapesOctalCodesInMountPoints) {
    // "\134" is a backslash, "\011" a tab; a backslash without three octal digits stays.
    const auto drives = drivesOf("26 1 8:33 / /media/a\\134b\\011c\\040d\\0 rw - vfat /dev/sdc1 rw\n");
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].text, "/media/a\\b\tc d\\0");
}

TEST(MountInfo, WithoutSysfsNoDriveIsTakenForRemovable) {
    const auto drives = drivesOf(kLaptopMountInfo, "/nonexistent/sys");
    ASSERT_FALSE(drives.empty());
    EXPECT_TRUE(
        std::none_of(drives.begin(), drives.end(), [](auto& d) { return d.type == DriveType::Removable; }));
}

TEST(MountInfo, RealDrivesListRootFirst) {
    const auto list = realDrives().list();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].text, "/");
}

} // namespace
} // namespace lw

#endif
