// The parts of the drive list that are the same on every system: finding a drive by its
// text or root, the card reader's acceptance test and the card root of a drive text.
// The list itself comes from DrivesLinux.cpp or DrivesWindows.cpp.
#include "platform/Drives.h"
#include "platform/Path.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace lw {
namespace fs = std::filesystem;

namespace {

char lowerAscii(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool sameText(const std::string& a, const std::string& b) {
#ifdef _WIN32
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
#else
    return a == b;
#endif
}

// A drive text of the Windows form: a letter and a colon, "e:" or "E:\".
bool startsWithDriveLetter(std::string_view text) {
    return text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]));
}

// A path's text in UTF-8 with "/" as separator on every system.
std::string genericText(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

// The normal form in which folders are compared: "/" separators, no "." or "..", no
// trailing separator except the root's own, lower case on Windows.
std::string comparableForm(const fs::path& path) {
    std::string text = genericText(path.lexically_normal());
    const std::size_t rootLength = genericText(path.lexically_normal().root_path()).size();
    while (text.size() > rootLength && text.size() > 1 && text.back() == '/')
        text.pop_back();
#ifdef _WIN32
    std::transform(text.begin(), text.end(), text.begin(), lowerAscii);
#endif
    return text;
}

// The folder as the system names it: it may reach its medium through a symbolic link or
// be given relative to the current folder.
fs::path resolvedFolder(const fs::path& folder) {
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(folder, ec);
    if (ec)
        resolved = fs::absolute(folder, ec);
    return ec ? folder : resolved;
}

} // namespace

std::optional<DriveInfo> findDrive(Drives& drives, const std::string& text) {
    if (text.empty())
        return std::nullopt;
    for (DriveInfo& drive : drives.list())
        if (sameText(drive.text, text))
            return std::move(drive);
    return std::nullopt;
}

std::optional<DriveInfo> driveWithRoot(Drives& drives, const fs::path& folder) {
    if (folder.empty())
        return std::nullopt;
    // The drive list's roots are the system's own names and are not touched (a floppy or
    // empty card drive could stall).
    const std::string wanted = comparableForm(resolvedFolder(folder));
    const std::string asGiven = comparableForm(folder);
    for (DriveInfo& drive : drives.list()) {
        const std::string root = comparableForm(drive.root);
        if (root == wanted || root == asGiven)
            return std::move(drive);
    }
    return std::nullopt;
}

std::optional<DriveInfo> driveHolding(Drives& drives, const fs::path& folder) {
    if (folder.empty())
        return std::nullopt;
    const std::string wanted = comparableForm(resolvedFolder(folder));
    std::optional<DriveInfo> best;
    std::size_t bestLength = 0;
    for (DriveInfo& drive : drives.list()) {
        const std::string root = comparableForm(drive.root);
        const bool holds =
            wanted == root || (wanted.size() > root.size() && wanted.compare(0, root.size(), root) == 0 &&
                               (root.back() == '/' || wanted[root.size()] == '/'));
        if (holds && (!best || root.size() > bestLength)) {
            best = std::move(drive);
            bestLength = root.size();
        }
    }
    return best;
}

bool isAcceptableCardDrive(const DriveInfo& drive) {
    if (drive.type != DriveType::Removable)
        return false;
    // The floppy drives A: and B: are removable too, but never a card reader.
    if (startsWithDriveLetter(drive.text)) {
        const char letter = lowerAscii(drive.text[0]);
        if (letter == 'a' || letter == 'b')
            return false;
    }
    return true;
}

std::string cardRootOf(const std::string& driveText) {
    if (driveText.empty())
        return driveText;
    if (startsWithDriveLetter(driveText)) {
        // A drive letter is a Windows name on any system: its separator is "\".
        if (driveText.back() == '\\' || driveText.back() == '/')
            return driveText;
        return driveText + "\\";
    }
    return withTrailingSeparator(driveText);
}

int initialDriveIndex(const std::vector<DriveInfo>& drives) {
    for (std::size_t i = 0; i < drives.size(); ++i)
        if (drives[i].type == DriveType::Fixed)
            return static_cast<int>(i);
    return drives.empty() ? -1 : 0;
}

int savedDriveIndex(const std::vector<DriveInfo>& drives, const std::string& cardDrive) {
    if (cardDrive.empty())
        return -1;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const std::string& text = drives[i].text;
        if (startsWithDriveLetter(cardDrive) && startsWithDriveLetter(text)) {
            if (lowerAscii(cardDrive[0]) == lowerAscii(text[0]))
                return static_cast<int>(i);
        } else if (text == cardDrive) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace lw
