// The computer's drives, as a drive list shows them. On Windows a drive is a drive
// letter ("c:", "e:"); on Linux it is a mounted file system, named by its mount point
// ("/", "/media/anna/SDCARD"). A drive's type tells whether it is a removable medium,
// which is what a card reader's drive must be.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lw {

enum class DriveType { Unknown, Removable, Fixed, Remote, CdRom, RamDisk };

struct DriveInfo {
    std::string text;           // as the drive list shows it and the settings store it: "e:" or a mount point
    std::filesystem::path root; // "e:\" or the mount point
    DriveType type = DriveType::Unknown;
    std::string label;          // volume label or device name, for display only; may be empty
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
// The drive whose root is exactly the given folder, if any.
std::optional<DriveInfo> driveWithRoot(Drives& drives, const std::filesystem::path& folder);

// A card reader's drive must be removable, and on Windows not the floppy drives A: or B:.
bool isAcceptableCardDrive(const DriveInfo& drive);

// The card root of a drive text: the text with one folder separator ("e:" -> "e:\").
std::string cardRootOf(const std::string& driveText);

} // namespace lw
