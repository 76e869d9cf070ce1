#include "backup/BackupReader.h"
#include "platform/Path.h"

#include <algorithm>
#include <cmath>

namespace lw {

namespace {

std::string foldCase(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The field at offset, or blanks for bytes that lie beyond the end of the file.
std::string fieldAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width) {
    std::string field(width, ' ');
    if (offset < bytes.size()) {
        const std::size_t n = std::min(width, bytes.size() - offset);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, field.begin());
    }
    return field;
}

Result<std::vector<std::uint8_t>> readTable(FileSystem& fs, const BackupDirectory& dir, std::string_view name,
                                            std::size_t layoutSize, std::filesystem::path& realPath) {
    const auto found = dir.find(name);
    realPath = found ? *found : dir.folder() / pathFromUtf8(name);
    if (!found)
        return Status::error(ErrorCode::NotFound, pathToUtf8(realPath), "the file does not exist");
    return readFilePrefix(fs, realPath, layoutSize);
}

} // namespace

const BackupFormat& backupFormat(KeyboardKind kind) {
    for (const auto& f : kBackupFormats)
        if (f.kind == kind)
            return f;
    return kBackupFormats.back();
}

BackupDirectory::BackupDirectory(FileSystem& fs, std::string backupPath)
    : m_backupPath(std::move(backupPath)) {
    auto entries = fs.listDirectory(folder());
    if (!entries) {
        m_listing = entries.status();
        return;
    }
    for (const auto& e : *entries) {
        if (e.isDirectory)
            continue;
        m_byFoldedName.emplace(foldCase(e.name), e.name);
        m_names.insert(e.name);
    }
}

std::filesystem::path BackupDirectory::folder() const {
    return pathFromUtf8(m_backupPath);
}

std::optional<std::filesystem::path> BackupDirectory::find(std::string_view name) const {
    const auto it = m_byFoldedName.find(foldCase(name));
    if (it == m_byFoldedName.end())
        return std::nullopt;
    // An exact spelling wins over another spelling of the same name, whatever the listing order.
    if (it->second != name && m_names.find(std::string(name)) != m_names.end())
        return folder() / pathFromUtf8(name);
    return folder() / pathFromUtf8(it->second);
}

std::vector<std::filesystem::path> BackupDirectory::files() const {
    std::vector<std::filesystem::path> out;
    out.reserve(m_names.size());
    for (const auto& name : m_names)
        out.push_back(folder() / pathFromUtf8(name));
    return out;
}

Recognition recognizeBackup(FileSystem& fs, std::string_view chosenPath) {
    Recognition r;
    if (chosenPath.empty())
        return r;
    BackupDirectory dir(fs, withTrailingSeparator(std::string(chosenPath)));
    if (!dir.listing()) {
        r.outcome = RecognitionOutcome::Unreadable;
        r.directory = std::move(dir);
        return r;
    }
    for (const auto& format : kBackupFormats) {
        if (!dir.find(format.markerFile))
            continue;
        r.format = &format;
        const bool managed = format.kind == KeyboardKind::KN5000 || format.kind == KeyboardKind::KN6000;
        r.outcome = managed && dir.find(kManagerIni) ? RecognitionOutcome::ManagerIniBeside
                                                     : RecognitionOutcome::Recognised;
        r.directory = std::move(dir);
        return r;
    }
    r.directory = std::move(dir);
    return r;
}

std::uint64_t estimatedRestoreSize(std::uint64_t directoryBytes) {
    const double doubled = static_cast<double>(directoryBytes) * 2.0;
    return static_cast<std::uint64_t>(std::nearbyint(doubled * 1.0035));
}

std::string tableName(std::string_view field) {
    std::size_t begin = 0;
    std::size_t end = field.size();
    while (begin < end && field[begin] == ' ')
        ++begin;
    while (end > begin && field[end - 1] == ' ')
        --end;
    std::string name(field.substr(begin, end - begin));
    if (const auto nul = name.find('\0'); nul != std::string::npos)
        name.resize(nul);
    return name;
}

std::vector<FolderEntry> parseFolderTable(const BackupFormat& format, std::span<const std::uint8_t> bytes) {
    std::vector<FolderEntry> folders;
    folders.reserve(format.folderCount);
    for (std::size_t n = 0; n < format.folderCount; ++n) {
        const std::string field =
            fieldAt(bytes, format.folderTableHead + n * format.folderRecordSize, format.folderNameSize);
        folders.push_back({static_cast<int>(n + 1), tableName(field)});
    }
    return folders;
}

std::vector<SongSlot> parseSongTable(const BackupFormat& format, std::span<const std::uint8_t> bytes) {
    std::vector<SongSlot> songs;
    songs.reserve(format.folderCount * kPlacesPerListFolder);
    std::int32_t folder = 1;
    std::int32_t place = 1;
    for (std::size_t i = 0; i < format.songRecordCount; ++i) {
        const std::string field =
            fieldAt(bytes, format.songTableHead + i * format.songRecordSize, kSongNameSize);
        songs.push_back({tableName(field), folder * 100 + place});
        ++place;
        if (place == static_cast<std::int32_t>(format.placesPerFolder) + 1) {
            // The KN2000 has 15 places a folder; its sixteenth list position stays empty.
            if (format.placesPerFolder < kPlacesPerListFolder)
                songs.push_back(
                    {std::string(), folder * 100 + static_cast<std::int32_t>(kPlacesPerListFolder)});
            place = 1;
            ++folder;
        }
    }
    return songs;
}

Result<BackupTables> readBackupTables(FileSystem& fs, const BackupFormat& format,
                                      const BackupDirectory& dir) {
    BackupTables tables;
    auto songBytes = readTable(fs, dir, format.songTableFile, format.songTableSize(), tables.songTablePath);
    if (!songBytes)
        return songBytes.status();
    tables.songs = parseSongTable(format, *songBytes);
    tables.songTableShort = songBytes->size() < format.songTableSize();

    auto folderBytes =
        readTable(fs, dir, format.folderTableFile, format.folderTableSize(), tables.folderTablePath);
    if (!folderBytes)
        return folderBytes.status();
    tables.folders = parseFolderTable(format, *folderBytes);
    tables.folderTableShort = folderBytes->size() < format.folderTableSize();
    return tables;
}

} // namespace lw
