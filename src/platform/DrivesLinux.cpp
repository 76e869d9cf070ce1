// The drive list on Linux: the mounted file systems of /proc/self/mountinfo, each judged
// through sysfs as removable, fixed, optical, network or memory. The rules for which mounts
// show and how their type is found are in Drives.h, beside drivesFromMountInfo().
//
// A mountinfo line (see proc(5)):
//   36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue
//   (1)(2)(3)   (4)   (5)      (6)      (7)   (8) (9)     (10)        (11)
// (3) is the device's major:minor, (4) the folder of the file system that the mount shows,
// (5) the mount point, (7) zero or more optional fields ended by "-", (9) the file system
// type and (10) the source. Blanks, tabs, newlines and backslashes inside (4), (5) and (10)
// are written as octal escapes ("\040" for a blank).
#include "platform/Drives.h"
#include "platform/Path.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string_view>
#include <system_error>

namespace lw {
namespace fs = std::filesystem;

namespace {

struct MountEntry {
    std::string device; // "major:minor"
    std::string root;   // the folder of the file system that the mount shows
    std::string mountPoint;
    std::string fsType;
    std::string source;
};

// "\040" -> " ": a backslash and three octal digits stand for one byte.
std::string unescapeMountField(std::string_view field) {
    const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
            isOctal(field[i + 3])) {
            out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                            (field[i + 3] - '0')));
            i += 3;
            continue;
        }
        out.push_back(field[i]);
    }
    return out;
}

std::optional<MountEntry> parseMountLine(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> fields;
    for (std::string field; in >> field;)
        fields.push_back(field);
    // Six fixed fields, the optional ones, the "-" separator and three more.
    const auto separator =
        std::find(fields.begin() + std::min<std::ptrdiff_t>(6, std::ssize(fields)), fields.end(), "-");
    if (fields.size() < 10 || separator == fields.end() || fields.end() - separator < 3)
        return std::nullopt;
    MountEntry entry;
    entry.device = fields[2];
    entry.root = unescapeMountField(fields[3]);
    entry.mountPoint = unescapeMountField(fields[4]);
    entry.fsType = separator[1];
    entry.source = unescapeMountField(separator[2]);
    return entry;
}

// Kernel and memory file systems that are never a drive (unless mounted at "/").
bool isPseudoFileSystem(const std::string& type) {
    static const std::set<std::string> kPseudo = {
        "autofs",      "binfmt_misc", "bpf",           "cgroup",
        "cgroup2",     "configfs",    "debugfs",       "devpts",
        "devtmpfs",    "efivarfs",    "fusectl",       "hugetlbfs",
        "mqueue",      "nsfs",        "overlay",       "proc",
        "pstore",      "ramfs",       "rpc_pipefs",    "securityfs",
        "selinuxfs",   "squashfs",    "sysfs",         "tmpfs",
        "tracefs",     "binder",      "rootfs",        "fuse.gvfsd-fuse",
        "fuse.portal", "fuse.lxcfs",  "fuse.snapfuse", "nfsd",
        "aufs"};
    return kPseudo.count(type) != 0;
}

bool isNetworkFileSystem(const std::string& type) {
    static const std::set<std::string> kNetwork = {
        "nfs",       "nfs4",           "cifs",     "smb3",  "smbfs",      "ncpfs",       "afs",
        "ceph",      "glusterfs",      "9p",       "davfs", "fuse.sshfs", "fuse.rclone", "fuse.davfs2",
        "fuse.s3fs", "fuse.glusterfs", "fuse.ceph"};
    return kNetwork.count(type) != 0;
}

bool isBelow(const std::string& path, std::string_view folder) {
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == '/');
}

// System folders whose mounts are the system's own business, not the user's drives.
bool isSystemMountPoint(const std::string& mountPoint) {
    if (isBelow(mountPoint, "/run/media"))
        return false;
    for (std::string_view folder : {"/proc", "/sys", "/dev", "/run"})
        if (isBelow(mountPoint, folder))
            return true;
    return false;
}

std::string firstLineOf(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// What sysfs tells about the disk that a block device belongs to.
struct DiskFacts {
    bool removable = false;
    bool optical = false;
};

class SysfsWalk {
public:
    explicit SysfsWalk(fs::path sysfsRoot) : m_root(std::move(sysfsRoot)) {
        std::error_code ec;
        m_canonicalRoot = fs::canonical(m_root, ec);
        if (ec)
            m_canonicalRoot = m_root;
    }

    // The sysfs folder of a mount's block device (a disk or a partition), if it has one.
    std::optional<fs::path> deviceFolder(const MountEntry& mount) const {
        std::error_code ec;
        if (!mount.device.empty() && !startsWith(mount.device, "0:")) {
            const fs::path byNumber = m_root / "dev" / "block" / mount.device;
            if (fs::exists(byNumber, ec))
                return canonical(byNumber);
        }
        // btrfs and some others report an anonymous major 0: go by the source's name.
        if (startsWith(mount.source, "/dev/mapper/")) {
            const std::string name = mount.source.substr(std::string_view("/dev/mapper/").size());
            for (auto it = fs::directory_iterator(m_root / "class" / "block", ec);
                 !ec && it != fs::directory_iterator(); it.increment(ec))
                if (firstLineOf(it->path() / "dm" / "name") == name)
                    return canonical(it->path());
            return std::nullopt;
        }
        if (startsWith(mount.source, "/dev/")) {
            const fs::path byName = m_root / "class" / "block" / fs::path(mount.source).filename();
            if (fs::exists(byName, ec))
                return canonical(byName);
        }
        return std::nullopt;
    }

    DiskFacts facts(const fs::path& device, int depth = 0) const {
        std::error_code ec;
        // A partition's folder lies inside its disk's folder: sdb/sdb1, mmcblk0/mmcblk0p1.
        const fs::path disk = fs::exists(device / "partition", ec) ? device.parent_path() : device;

        // A device-mapper or RAID device (LUKS, LVM, md) stands on the devices in "slaves".
        std::vector<fs::path> slaves;
        for (auto it = fs::directory_iterator(disk / "slaves", ec); !ec && it != fs::directory_iterator();
             it.increment(ec))
            slaves.push_back(canonical(it->path()));
        if (!slaves.empty() && depth < kMaxStackDepth) {
            DiskFacts all{true, false};
            for (const fs::path& slave : slaves)
                all.removable = all.removable && facts(slave, depth + 1).removable;
            return all;
        }

        DiskFacts out;
        const std::string name = pathToUtf8(disk.filename());
        out.optical = startsWith(name, "sr");
        out.removable = firstLineOf(disk / "removable") == "1" || isSdCard(disk, name) || isOnUsb(disk);
        return out;
    }

private:
    // Device-mapper stacks are a few levels deep at most; the limit guards against loops.
    static constexpr int kMaxStackDepth = 8;

    static fs::path canonical(const fs::path& path) {
        std::error_code ec;
        fs::path out = fs::canonical(path, ec);
        return ec ? path : out;
    }

    // mmcblk* is an SD card, unless the device says it is soldered-on eMMC ("MMC").
    static bool isSdCard(const fs::path& disk, const std::string& name) {
        return startsWith(name, "mmcblk") && firstLineOf(disk / "device" / "type") != "MMC";
    }

    // A disk on a USB bus lies below a USB root hub's folder, "usb1", "usb2" ...
    bool isOnUsb(const fs::path& disk) const {
        for (const fs::path& part : disk.lexically_relative(m_canonicalRoot)) {
            const std::string name = part.string();
            if (name.size() > 3 && startsWith(name, "usb") &&
                std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return true;
        }
        return false;
    }

    fs::path m_root;
    fs::path m_canonicalRoot;
};

std::string deviceName(const std::string& source) {
    if (!startsWith(source, "/dev/"))
        return {};
    return pathToUtf8(pathFromUtf8(source).filename());
}

} // namespace

std::vector<DriveInfo> drivesFromMountInfo(const fs::path& mountInfoFile, const fs::path& sysfsRoot) {
    std::ifstream in(mountInfoFile);
    // By mount point, so that a later mount over the same point replaces the earlier one.
    std::map<std::string, MountEntry> mounts;
    for (std::string line; std::getline(in, line);) {
        std::optional<MountEntry> entry = parseMountLine(line);
        if (!entry || entry->mountPoint.empty() || entry->mountPoint[0] != '/')
            continue;
        if (entry->mountPoint != "/") {
            if (isPseudoFileSystem(entry->fsType) || isSystemMountPoint(entry->mountPoint))
                continue;
            if (entry->root != "/" && entry->fsType != "btrfs")
                continue;
        }
        mounts[entry->mountPoint] = std::move(*entry);
    }

    const SysfsWalk sysfs(sysfsRoot);
    std::vector<DriveInfo> drives;
    for (const auto& [mountPoint, mount] : mounts) {
        DriveInfo drive;
        drive.text = mountPoint;
        drive.root = pathFromUtf8(mountPoint);
        drive.label = deviceName(mount.source);
        if (isNetworkFileSystem(mount.fsType)) {
            drive.type = DriveType::Remote;
            drive.label = mount.source;
        } else if (mount.fsType == "tmpfs" || mount.fsType == "ramfs") {
            drive.type = DriveType::RamDisk;
        } else if (const std::optional<fs::path> device = sysfs.deviceFolder(mount)) {
            const DiskFacts facts = sysfs.facts(*device);
            drive.type = facts.optical     ? DriveType::CdRom
                         : facts.removable ? DriveType::Removable
                                           : DriveType::Fixed;
        } else if (mount.fsType == "iso9660" || mount.fsType == "udf") {
            drive.type = DriveType::CdRom;
        }
        drives.push_back(std::move(drive));
    }
    // std::map sorts by mount point, and "/" sorts before every other absolute path.
    return drives;
}

Drives& realDrives() {
    static MountInfoDrives instance("/proc/self/mountinfo", "/sys");
    return instance;
}

} // namespace lw
