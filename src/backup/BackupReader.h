// Reading a backup: recognising which keyboard wrote the backup in a directory, and the
// readers that turn its folder table and song table into the two ordered lists from
// which the working list is built.
#pragma once

#include "backup/BackupFormat.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace lw {

// One record of the folder table, in file order (also when the name is blank).
struct FolderEntry {
    int number = 0;   // position in the table, from 1
    std::string name; // Windows-1252 bytes, blanks trimmed
};

// One song place: 16 per folder, in file order. An empty name marks an empty place.
struct SongSlot {
    std::string name;            // Windows-1252 bytes, blanks trimmed, at most 26
    std::int32_t fileNumber = 0; // folder * 100 + place
};

// The files of a backup directory, found by name without regard to letter case (a
// backup copied to Linux may carry "FILEBLK.DAT" or "00301.sqt").
class BackupDirectory {
public:
    BackupDirectory() = default;
    // Lists the directory once; a directory that cannot be listed holds no files, and
    // listing() says why.
    BackupDirectory(FileSystem& fs, std::string backupPath);

    // The backup directory, ending in exactly one folder separator.
    const std::string& backupPath() const { return m_backupPath; }
    std::filesystem::path folder() const;
    // The file's real path when the directory holds a file of that name in any letter case.
    std::optional<std::filesystem::path> find(std::string_view name) const;
    // Every file of the directory.
    std::vector<std::filesystem::path> files() const;
    // Whether the directory could be listed.
    const Status& listing() const { return m_listing; }

private:
    std::string m_backupPath;
    Status m_listing;
    std::unordered_map<std::string, std::string> m_byFoldedName; // lower-case name -> one real spelling
    std::unordered_set<std::string> m_names; // every real spelling, to prefer an exact match
};

enum class RecognitionOutcome {
    Recognised,
    NoBackup,         // no marker file
    ManagerIniBeside, // a KN5000 or KN6000/6500 marker with "Manager.ini" beside it
    Unreadable,       // the directory cannot be listed (directory.listing() says why)
};

struct Recognition {
    RecognitionOutcome outcome = RecognitionOutcome::NoBackup;
    const BackupFormat* format = nullptr; // the kind whose marker was found
    BackupDirectory directory;
};

// Tests the marker files in the recognition order for the directory the user chose
// (a path with or without a trailing separator; a drive root keeps its single one).
Recognition recognizeBackup(FileSystem& fs, std::string_view chosenPath);

// Tables as read. A table file shorter than its layout still loads: its missing
// records count as blank, and the flag tells the caller so that it can warn.
struct BackupTables {
    std::vector<FolderEntry> folders;
    std::vector<SongSlot> songs;
    bool folderTableShort = false;
    bool songTableShort = false;
    std::filesystem::path folderTablePath;
    std::filesystem::path songTablePath;
};

// Reads the song table, then the folder table. A table file that is missing, cannot
// be opened or cannot be read is a failure naming the file and the system's reason.
Result<BackupTables> readBackupTables(FileSystem& fs, const BackupFormat& format, const BackupDirectory& dir);

// The space a restore file of a backup is estimated to need, from the total size in
// bytes of the backup directory: twice the size, plus 0.35 %, rounded to the nearest
// whole byte (halves to the even one). 64-bit throughout, so backups beyond 1 GiB work.
std::uint64_t estimatedRestoreSize(std::uint64_t directoryBytes);

// The parsers behind the readers, over the bytes of a table file (however long).
// A name is its field with blanks (0x20) trimmed at both ends, then cut at its first NUL.
std::vector<FolderEntry> parseFolderTable(const BackupFormat& format, std::span<const std::uint8_t> bytes);
std::vector<SongSlot> parseSongTable(const BackupFormat& format, std::span<const std::uint8_t> bytes);
std::string tableName(std::string_view field);

} // namespace lw
