// The drive list on Windows: one drive per drive letter that the system reports, typed by
// GetDriveTypeW and labelled with the volume's name. The floppy drives A: and B: are never
// asked for their label, since that would spin the drive (and wait for it) on every listing.
#include "platform/Drives.h"
#include "platform/Path.h"

#include <windows.h>

namespace lw {

namespace {

DriveType driveTypeOf(UINT type) {
    switch (type) {
    case DRIVE_REMOVABLE:
        return DriveType::Removable;
    case DRIVE_FIXED:
        return DriveType::Fixed;
    case DRIVE_REMOTE:
        return DriveType::Remote;
    case DRIVE_CDROM:
        return DriveType::CdRom;
    case DRIVE_RAMDISK:
        return DriveType::RamDisk;
    default:
        return DriveType::Unknown;
    }
}

// The volume's label, or the empty text when the drive has no medium or does not answer.
std::string volumeLabel(const std::wstring& root) {
    wchar_t name[MAX_PATH + 1] = {};
    // No "insert a disk" box for an empty drive: the call just fails.
    DWORD previousMode = 0;
    const bool modeSet =
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode) != 0;
    const BOOL ok =
        GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
    if (modeSet)
        SetThreadErrorMode(previousMode, nullptr);
    if (!ok)
        return {};
    return pathToUtf8(std::filesystem::path(std::wstring(name)));
}

class WindowsDrives : public Drives {
public:
    std::vector<DriveInfo> list() override {
        std::vector<DriveInfo> drives;
        const DWORD present = GetLogicalDrives();
        for (int i = 0; i < 26; ++i) {
            if ((present & (DWORD{1} << i)) == 0)
                continue;
            const char letter = static_cast<char>('a' + i);
            const std::wstring root = {static_cast<wchar_t>(L'a' + i), L':', L'\\'};
            DriveInfo drive;
            drive.text = std::string{letter, ':'};
            drive.root = std::filesystem::path(root);
            drive.type = driveTypeOf(GetDriveTypeW(root.c_str()));
            if (letter != 'a' && letter != 'b')
                drive.label = volumeLabel(root);
            drives.push_back(std::move(drive));
        }
        return drives;
    }
};

} // namespace

Drives& realDrives() {
    static WindowsDrives instance;
    return instance;
}

} // namespace lw
