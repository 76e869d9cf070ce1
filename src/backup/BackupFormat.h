// The table formats of the four older keyboards' song backups. Each backup directory
// holds a folder table (the names of the keyboard's song folders) and a song table (one
// record per song place); the KN2000 keeps both in one file. The four kinds share one
// reader design and differ only in the constants below. All widths and offsets are bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lw {

enum class KeyboardKind { KN2000, KN3000, KN5000, KN6000 };

struct BackupFormat {
    KeyboardKind kind;
    std::string_view text;       // the kind as shown to people: "KN6000/6500"
    std::string_view markerFile; // whose presence recognises the backup
    std::string_view folderTableFile;
    std::string_view songTableFile;
    std::size_t folderTableHead; // bytes before the first folder record
    std::size_t folderCount;
    std::size_t folderRecordSize;
    std::size_t folderNameSize; // leading bytes of a folder record that hold its name
    std::size_t songTableHead;  // bytes before the first song record
    std::size_t songRecordCount;
    std::size_t songRecordSize;
    std::size_t placesPerFolder; // song places of one folder in the file (15 on the KN2000)
    int indexDigits;             // digits of the file number in the list's Index column

    constexpr std::size_t folderTableSize() const { return folderTableHead + folderCount * folderRecordSize; }
    constexpr std::size_t songTableSize() const { return songTableHead + songRecordCount * songRecordSize; }
};

// A number written with at least `digits` digits, leading zeros added: (7, 3) -> "007". The
// backups' file numbers, the list's columns and the card's folder and file names all
// write their numbers this way.
inline std::string zeroPadded(long value, int digits) {
    std::string text = std::to_string(value < 0 ? -value : value);
    if (text.size() < static_cast<std::size_t>(digits))
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    return value < 0 ? "-" + text : text;
}

// Every song table's name field: the first 26 bytes of a record.
inline constexpr std::size_t kSongNameSize = 26;
// Song places of every folder in the working lists: 16, also for the KN2000, whose
// sixteenth place is kept empty so that each folder takes exactly 16 positions.
inline constexpr std::size_t kPlacesPerListFolder = 16;

// The recognition order: the first kind whose marker file exists wins.
inline constexpr std::array<BackupFormat, 4> kBackupFormats = {{
    {KeyboardKind::KN2000, "KN2000", "dir.new", "dir.new", "dir.new", 4, 40, 15, 15, 604, 600, 41, 15, 4},
    {KeyboardKind::KN3000, "KN3000", "filedir.dat", "Groupdir.dat", "Filenew.dat", 0, 96, 26, 16, 0, 1536, 56,
     16, 4},
    {KeyboardKind::KN5000, "KN5000", "Fileblk.dat", "dirblk.dat", "Fileblk.dat", 0, 120, 16, 16, 0, 1920, 76,
     16, 5},
    {KeyboardKind::KN6000, "KN6000/6500", "Sx6bck.sxf", "Sx6bck.sxd", "Sx6bck.sxf", 4, 240, 16, 16, 4, 3840,
     48, 16, 5},
}};

static_assert(kBackupFormats[0].folderTableSize() == 604, "KN2000 folder table ends where its songs begin");
static_assert(kBackupFormats[0].songTableSize() == 25204);
static_assert(kBackupFormats[1].folderTableSize() == 2496 && kBackupFormats[1].songTableSize() == 86016);
static_assert(kBackupFormats[2].folderTableSize() == 1920 && kBackupFormats[2].songTableSize() == 145920);
static_assert(kBackupFormats[3].folderTableSize() == 3844 && kBackupFormats[3].songTableSize() == 184324);
static_assert(kBackupFormats[0].songRecordCount == kBackupFormats[0].folderCount * 15);
static_assert(kBackupFormats[3].songRecordCount == kBackupFormats[3].folderCount * 16);

const BackupFormat& backupFormat(KeyboardKind kind);

// The "Manager.ini" file that stands beside a KN5000 or KN6000/6500 backup written by
// another tool; such a directory is not offered for loading.
inline constexpr std::string_view kManagerIni = "Manager.ini";

} // namespace lw
