// The Linux drive list from a mount table and a sysfs tree, both fakes in a TempDir: a
// laptop with an NVMe disk (LVM root, btrfs home), a USB stick, an SD card in an MMC
// reader, a card reader that flags itself removable, a LUKS container on the stick, an
// optical disc, a network share and the usual kernel file systems.
#ifndef _WIN32

#include "platform/Drives.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <ostream>

namespace lw {
namespace {

namespace fs = std::filesystem;

// Builds a sysfs tree the way the kernel lays it out: devices under devices/<bus path>/,
// reached through dev/block/MAJ:MIN, class/block/NAME and block/DISK links.
class FakeSysfs {
public:
    explicit FakeSysfs(fs::path root) : m_root(std::move(root)) {
        for (const char* folder : {"dev/block", "class/block", "block"})
            fs::create_directories(m_root / folder);
    }
    const fs::path& root() const { return m_root; }

    fs::path addDisk(const std::string& busPath, const std::string& name, const std::string& device,
                     bool removableFlag) {
        const fs::path disk = m_root / "devices" / busPath / "block" / name;
        fs::create_directories(disk);
        write(disk / "removable", removableFlag ? "1\n" : "0\n");
        registerDevice(disk, name, device);
        fs::create_directory_symlink(disk, m_root / "block" / name);
        return disk;
    }

    fs::path addPartition(const fs::path& disk, const std::string& name, const std::string& device) {
        const fs::path part = disk / name;
        fs::create_directories(part);
        write(part / "partition", "1\n");
        registerDevice(part, name, device);
        return part;
    }

    // A device-mapper device ("dm-0") named dmName, standing on the given devices.
    fs::path addMapper(const std::string& name, const std::string& device, const std::string& dmName,
                       const std::vector<fs::path>& slaves) {
        const fs::path dm = m_root / "devices" / "virtual" / "block" / name;
        fs::create_directories(dm / "dm");
        fs::create_directories(dm / "slaves");
        write(dm / "removable", "0\n");
        write(dm / "dm" / "name", dmName + "\n");
        for (const fs::path& slave : slaves)
            fs::create_directory_symlink(slave, dm / "slaves" / slave.filename());
        registerDevice(dm, name, device);
        fs::create_directory_symlink(dm, m_root / "block" / name);
        return dm;
    }

    static void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }

private:
    void registerDevice(const fs::path& folder, const std::string& name, const std::string& device) {
        fs::create_directory_symlink(folder, m_root / "dev" / "block" / device);
        fs::create_directory_symlink(folder, m_root / "class" / "block" / name);
    }

    fs::path m_root;
};

const char* const kLaptopMountInfo =
    "26 1 253:0 / / rw,relatime shared:1 - ext4 /dev/mapper/vg-root rw\n"
    "27 26 0:5 / /proc rw,nosuid shared:12 - proc proc rw\n"
    "28 26 0:21 / /sys rw,nosuid shared:2 - sysfs sysfs rw\n"
    "29 28 0:26 / /sys/fs/cgroup rw shared:9 - cgroup2 cgroup2 rw\n"
    "30 26 0:24 / /run rw shared:5 - tmpfs tmpfs rw,size=1600k\n"
    "31 26 0:30 / /tmp rw shared:20 - tmpfs tmpfs rw\n"
    "32 26 259:2 / /boot rw,relatime shared:30 - ext4 /dev/nvme0n1p2 rw\n"
    "33 32 259:1 / /boot/efi rw,relatime shared:31 - vfat /dev/nvme0n1p1 rw\n"
    // btrfs reports an anonymous device number and its subvolume as the mount's root.
    "34 26 0:60 /@home /home rw,relatime shared:32 - btrfs /dev/nvme0n1p4 rw,subvol=/@home\n"
    "35 26 8:17 / /media/anna/MY\\040STICK rw,nosuid,nodev shared:400 - vfat /dev/sdb1 rw,uid=1000\n"
    "36 30 179:1 / /run/media/anna/SDCARD rw,nosuid shared:410 - exfat /dev/mmcblk0p1 rw\n"
    // A folder of the SD card bound into the home folder: not a drive of its own.
    "37 34 179:1 /Music /home/anna/Music rw shared:410 - exfat /dev/mmcblk0p1 rw\n"
    "38 26 0:50 / /mnt/nas rw shared:500 - nfs4 nas:/export rw,vers=4.2\n"
    "39 26 11:0 / /media/anna/DISC ro shared:600 - iso9660 /dev/sr0 ro\n"
    "40 26 7:3 / /snap/core/123 ro shared:7 - squashfs /dev/loop3 ro\n"
    // No optional fields at all.
    "41 26 8:33 / /media/anna/READER rw - vfat /dev/sdc1 rw\n"
    "42 26 253:1 / /media/anna/SECRET rw - ext4 /dev/mapper/luks-42 rw\n"
    // The whole SD card once more at a second place.
    "43 26 179:1 / /mnt/again rw - exfat /dev/mmcblk0p1 rw\n"
    "44 26 179:9 / /mnt/emmc rw - ext4 /dev/mmcblk1p1 rw\n"
    // Mounted over: the later mount is what the mount point shows.
    "45 26 259:5 / /mnt/over rw - ext4 /dev/nvme0n1p5 rw\n"
    "46 45 8:33 / /mnt/over rw - vfat /dev/sdc1 rw\n"
    "47 26 0:70 / /dev/shm rw - tmpfs tmpfs rw\n"
    "this line is not a mount\n";

// The sysfs tree is built once for all tests (creating it is slow on a busy disk); each test
// starts from the laptop's mount table and may write its own.
class MountInfoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new test::TempDir;
        s_sysfs = new FakeSysfs(s_dir->path() / "sys");
        FakeSysfs& sysfs = *s_sysfs;
        const std::string pci = "pci0000:00/";
        const fs::path nvme = sysfs.addDisk(pci + "0000:00:1d.0/nvme/nvme0", "nvme0n1", "259:0", false);
        sysfs.addPartition(nvme, "nvme0n1p1", "259:1");
        sysfs.addPartition(nvme, "nvme0n1p2", "259:2");
        const fs::path lvm = sysfs.addPartition(nvme, "nvme0n1p3", "259:3");
        sysfs.addPartition(nvme, "nvme0n1p4", "259:4");
        sysfs.addPartition(nvme, "nvme0n1p5", "259:5");
        sysfs.addMapper("dm-0", "253:0", "vg-root", {lvm});

        // A USB stick that does not call itself removable: the bus says it is.
        const fs::path stick = sysfs.addDisk(pci + "0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0",
                                             "sdb", "8:16", false);
        sysfs.addPartition(stick, "sdb1", "8:17");
        const fs::path luks = sysfs.addPartition(stick, "sdb2", "8:18");
        sysfs.addMapper("dm-1", "253:1", "luks-42", {luks});
        // A volume group spread over the stick and the NVMe disk.
        sysfs.addMapper("dm-2", "253:2", "vg-span", {luks, lvm.parent_path() / "nvme0n1p5"});

        // An SD card in an MMC reader (flag 0), and soldered-on eMMC.
        const fs::path sd =
            sysfs.addDisk(pci + "0000:00:1c.0/mmc_host/mmc0/mmc0:aaaa", "mmcblk0", "179:0", false);
        FakeSysfs::write(sd / "device" / "type", "SD\n");
        sysfs.addPartition(sd, "mmcblk0p1", "179:1");
        const fs::path emmc =
            sysfs.addDisk(pci + "0000:00:1c.1/mmc_host/mmc1/mmc1:0001", "mmcblk1", "179:8", false);
        FakeSysfs::write(emmc / "device" / "type", "MMC\n");
        sysfs.addPartition(emmc, "mmcblk1p1", "179:9");

        // A built-in card reader on SATA that flags its medium removable; an optical drive.
        const fs::path reader =
            sysfs.addDisk(pci + "0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0", "sdc", "8:32", true);
        sysfs.addPartition(reader, "sdc1", "8:33");
        sysfs.addDisk(pci + "0000:00:17.0/ata3/host2/target2:0:0/2:0:0:0", "sr0", "11:0", true);
    }
    static void TearDownTestSuite() {
        delete s_sysfs;
        delete s_dir;
    }
    void SetUp() override { writeMountInfo(kLaptopMountInfo); }

    static void writeMountInfo(const std::string& text) { FakeSysfs::write(mountInfo(), text); }
    static fs::path mountInfo() { return s_dir->path() / "mountinfo"; }
    static const fs::path& sysfsRoot() { return s_sysfs->root(); }

    static std::vector<DriveInfo> drives() { return drivesFromMountInfo(mountInfo(), sysfsRoot()); }

    static std::optional<DriveInfo> drive(const std::string& mountPoint) {
        for (DriveInfo& d : drives())
            if (d.text == mountPoint)
                return d;
        return std::nullopt;
    }

    static test::TempDir* s_dir;
    static FakeSysfs* s_sysfs;
};

test::TempDir* MountInfoTest::s_dir = nullptr;
FakeSysfs* MountInfoTest::s_sysfs = nullptr;

TEST_F(MountInfoTest, ListsUserMountsRootFirstThenByMountPoint) {
    std::vector<std::string> texts;
    for (const DriveInfo& d : drives()) {
        texts.push_back(d.text);
        EXPECT_EQ(d.root, fs::path(d.text));
    }
    const std::vector<std::string> expected = {"/",
                                               "/boot",
                                               "/boot/efi",
                                               "/home",
                                               "/media/anna/DISC",
                                               "/media/anna/MY STICK",
                                               "/media/anna/READER",
                                               "/media/anna/SECRET",
                                               "/mnt/again",
                                               "/mnt/emmc",
                                               "/mnt/nas",
                                               "/mnt/over",
                                               "/run/media/anna/SDCARD"};
    EXPECT_EQ(texts, expected);
}

struct TypeCase {
    const char* mountPoint;
    DriveType type;
    const char* label;
};

std::ostream& operator<<(std::ostream& out, const TypeCase& c) {
    return out << c.mountPoint;
}

class MountInfoType : public MountInfoTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(MountInfoType, JudgesTheDeviceBelowTheMount) {
    const auto d = drive(GetParam().mountPoint);
    ASSERT_TRUE(d) << GetParam().mountPoint;
    EXPECT_EQ(d->type, GetParam().type) << GetParam().mountPoint;
    EXPECT_EQ(d->label, GetParam().label) << GetParam().mountPoint;
}

INSTANTIATE_TEST_SUITE_P(
    Drives, MountInfoType,
    ::testing::Values(TypeCase{"/", DriveType::Fixed, "vg-root"}, // LVM on the NVMe disk
                      TypeCase{"/boot", DriveType::Fixed, "nvme0n1p2"},
                      TypeCase{"/home", DriveType::Fixed, "nvme0n1p4"},               // btrfs: found by name
                      TypeCase{"/media/anna/MY STICK", DriveType::Removable, "sdb1"}, // on USB
                      TypeCase{"/run/media/anna/SDCARD", DriveType::Removable, "mmcblk0p1"},
                      TypeCase{"/mnt/again", DriveType::Removable, "mmcblk0p1"},
                      TypeCase{"/mnt/emmc", DriveType::Fixed, "mmcblk1p1"},            // soldered eMMC
                      TypeCase{"/media/anna/READER", DriveType::Removable, "sdc1"},    // removable flag
                      TypeCase{"/media/anna/SECRET", DriveType::Removable, "luks-42"}, // LUKS on the stick
                      TypeCase{"/media/anna/DISC", DriveType::CdRom, "sr0"},
                      TypeCase{"/mnt/nas", DriveType::Remote, "nas:/export"},
                      TypeCase{"/mnt/over", DriveType::Removable, "sdc1"}));

TEST_F(MountInfoTest, DeviceMapperOverFixedAndRemovableDevicesIsFixed) {
    writeMountInfo("26 1 253:2 / / rw - ext4 /dev/mapper/vg-span rw\n"
                   "27 26 0:61 / /data rw - btrfs /dev/mapper/luks-42 rw\n");
    EXPECT_EQ(drive("/")->type, DriveType::Fixed);
    // An anonymous device number: the mapper's name leads to dm-1 on the USB stick.
    EXPECT_EQ(drive("/data")->type, DriveType::Removable);
}

TEST_F(MountInfoTest, RootIsListedWhateverItsFileSystem) {
    writeMountInfo("600 500 0:40 / / rw - overlay overlay rw,lowerdir=/l\n"
                   "601 600 0:41 / /proc rw - proc proc rw\n"
                   "602 600 254:0 /var/lib/docker/containers/1/hosts /etc/hosts rw - "
                   "ext4 /dev/vda rw\n");
    const auto list = drives();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].text, "/");
    EXPECT_EQ(list[0].type, DriveType::Unknown);

    writeMountInfo("1 0 0:2 / / rw - tmpfs tmpfs rw\n");
    ASSERT_EQ(drives().size(), 1u);
    EXPECT_EQ(drives()[0].type, DriveType::RamDisk);
}

TEST_F(MountInfoTest, UnescapesOctalCodesInMountPoints) {
    writeMountInfo("26 1 8:33 / /media/a\\134b\\011c\\040d\\0 rw - vfat /dev/sdc1 rw\n");
    const auto list = drives();
    ASSERT_EQ(list.size(), 1u);
    // "\134" is a backslash, "\011" a tab; a backslash without three octal digits stays.
    EXPECT_EQ(list[0].text, "/media/a\\b\tc d\\0");
    EXPECT_EQ(list[0].type, DriveType::Removable);
}

TEST_F(MountInfoTest, MissingMountTableGivesNoDrives) {
    EXPECT_TRUE(drivesFromMountInfo(s_dir->path() / "absent", sysfsRoot()).empty());
}

TEST_F(MountInfoTest, MissingSysfsLeavesBlockDevicesUnknown) {
    const auto list = drivesFromMountInfo(mountInfo(), s_dir->path() / "no-sysfs");
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].type, DriveType::Unknown);
    EXPECT_TRUE(std::none_of(list.begin(), list.end(),
                             [](const DriveInfo& d) { return d.type == DriveType::Removable; }));
}

TEST(RealDrives, ListRootFirst) {
    const auto list = realDrives().list();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].text, "/");
}

} // namespace
} // namespace lw

#endif
