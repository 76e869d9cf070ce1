// The computer's drives, as a drive list shows them. On Windows a drive is a drive
// letter ("c:", "e:"); on Linux it is a mounted file system, named by its mount point
// ("/", "/media/anna/SDCARD"). A drive's type tells whether it is a removable medium,
// which is what a card reader's drive must be.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lw {

enum class DriveType { Unknown, Removable, Fixed, Remote, CdRom, RamDisk };

struct DriveInfo {
    std::string text;           // as the drive list shows it and the settings store it: "e:" or a mount point
    std::filesystem::path root; // "e:\" or the mount point
    DriveType type = DriveType::Unknown;
    std::string label; // volume label or device name, for display only; may be empty
};

class Drives {
public:
    virtual ~Drives() = default;
    // Every drive, in the order a drive list shows them.
    virtual std::vector<DriveInfo> list() = 0;
};

Drives& realDrives();

// The drive whose text is given (letter case ignored on Windows), if present.
std::optional<DriveInfo> findDrive(Drives& drives, const std::string& text);
// The drive whose root is exactly the given folder, if any. Both are compared in normal form:
// symbolic links of the folder resolved, "." and ".." and trailing separators ignored, and on
// Windows letter case and the kind of separator ignored ("E:/" finds the drive "e:").
std::optional<DriveInfo> driveWithRoot(Drives& drives, const std::filesystem::path& folder);

// The drive that holds the folder: the one whose root is the longest leading part of the
// folder's path, compared as driveWithRoot compares (a link of the folder resolved).
std::optional<DriveInfo> driveHolding(Drives& drives, const std::filesystem::path& folder);

// A card reader's drive must be removable, and on Windows not the floppy drives A: or B:.
bool isAcceptableCardDrive(const DriveInfo& drive);

// The card root of a drive text: the text with one folder separator ("e:" -> "e:\",
// "/media/anna/SD" -> "/media/anna/SD/"); a text that already ends in one is returned as it is.
std::string cardRootOf(const std::string& driveText);

// The drive a drive list starts on: the first fixed disk (the system's disk, on Linux
// the root "/"), or the first drive when there is none. -1 for an empty list.
int initialDriveIndex(const std::vector<DriveInfo>& drives);

// The index of the saved CardDrive in the list, or -1. A drive-letter text is found by
// its letter alone, so that "E:" and a text saved with a volume name ("e: [SDCARD]")
// still find the drive "e:"; any other text (a mount point) must match exactly.
int savedDriveIndex(const std::vector<DriveInfo>& drives, const std::string& cardDrive);

#ifndef _WIN32
// Linux: the drives of a mount table in the form of /proc/self/mountinfo, judged against a
// sysfs tree (normally "/sys"). Both are parameters so that a test can give its own.
//
// Which mounts are drives: "/" always, whatever its file system (so the list is never empty,
// even in a container whose root is an overlay or a tmpfs). Other mounts are left out when
// they are kernel or memory file systems (proc, sysfs, cgroup, tmpfs, devpts, squashfs
// images, overlay layers ...), when they lie below /proc, /sys, /dev or /run (apart from
// /run/media, where desktops mount removable media), and when they show only a folder of
// their file system (a bind mount: the mount's root in its file system is not "/"; btrfs
// subvolumes, which always show their subvolume there, are kept). A mount point mounted over
// again counts once, as its last mount.
//
// Order: "/" first, then the others sorted by mount point (byte order).
//
// Type: network file systems are Remote, tmpfs/ramfs RamDisk, optical drives (sr*) CdRom.
// A mount on a block device is Removable when its disk's sysfs "removable" flag is 1, when
// the disk is an SD card (mmcblk*, unless the device reports itself as soldered eMMC), or
// when the disk sits on a USB bus; otherwise Fixed. A device-mapper or RAID device
// (LUKS, LVM) is Removable when every device below it is. The device is found through the
// mount's major:minor (/sys/dev/block/MAJ:MIN), or, for file systems that report an
// anonymous number (btrfs), through the device name of the mount's source.
//
// The label is the device's name ("sdb1", "vg-root") or, for a network mount, its source.
std::vector<DriveInfo> drivesFromMountInfo(const std::filesystem::path& mountInfoFile,
                                           const std::filesystem::path& sysfsRoot);

// The drives of a mount table and sysfs tree, read anew at every list().
class MountInfoDrives : public Drives {
public:
    MountInfoDrives(std::filesystem::path mountInfoFile, std::filesystem::path sysfsRoot)
        : m_mountInfoFile(std::move(mountInfoFile)), m_sysfsRoot(std::move(sysfsRoot)) {}
    std::vector<DriveInfo> list() override { return drivesFromMountInfo(m_mountInfoFile, m_sysfsRoot); }

private:
    std::filesystem::path m_mountInfoFile;
    std::filesystem::path m_sysfsRoot;
};
#endif

} // namespace lw
