#include "card/RestoreOutput.h"

#include "card/BackupGuard.h"
#include "card/CardLayout.h"
#include "platform/Path.h"

namespace lw {

namespace fs = std::filesystem;

namespace {

// A real folder, not a link to one.
bool isOwnFolder(FileSystem& fs, const fs::path& folder) {
    return fs.isDirectory(folder) && fs.identity(folder, false) == fs.identity(folder, true);
}

} // namespace

fs::path restoreFolderOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

RestoreOutput::RestoreOutput(FileSystem& fs, fs::path file, bool ownFolder, std::int64_t capacity,
                             std::int64_t cluster, std::span<std::uint8_t> buffer)
    : m_fs(fs), m_file(std::move(file)), m_ownFolder(ownFolder), m_card(capacity, cluster), m_buffer(buffer) {
}

RestoreOutput::~RestoreOutput() = default;

Status RestoreOutput::check(const BackupDirectory& backup) {
    const fs::path folder = restoreFolderOf(m_file);
    if (m_fs.exists(m_file)) {
        if (m_fs.isDirectory(m_file))
            return Status::error(ErrorCode::NotAFile, pathToUtf8(m_file), "it is a folder; give a file name");
        if (!m_fs.isFile(m_file) && m_fs.identity(m_file, true))
            return Status::error(
                ErrorCode::NotAFile, pathToUtf8(m_file),
                "it is not a regular file (a FIFO, a device or a socket); give another name");
    }
    OutputFootprint footprint;
    footprint.foldersWrittenInto = {folder};
    footprint.filesReplaced = {m_file};
    if (m_ownFolder) {
        // Everything else in RestorSDB goes. A RestorSDB that is no folder of its own (a
        // link, a file) goes itself, and a new one is made in the program's folder.
        footprint.treesDeleted = {folder};
        if (!isOwnFolder(m_fs, folder))
            footprint = {{folder.parent_path()}, {}, {folder}};
    }
    return checkApartFromBackup(m_fs, footprint, backup);
}

Status RestoreOutput::claim(const BackupDirectory& backup) {
    if (Status s = check(backup); !s)
        return s;
    const fs::path folder = restoreFolderOf(m_file);
    if (m_ownFolder) {
        // RestorSDB must be a folder of its own: a link or a file of that name goes first.
        if (m_fs.exists(folder) && !isOwnFolder(m_fs, folder))
            if (Status s = m_fs.removeTree(folder, false); !s)
                return s;
        if (Status s = m_fs.createDirectory(folder); !s)
            return s;
    }
    auto lock = m_fs.lockOutput(folder, pathToUtf8(m_file.filename()));
    if (!lock)
        return lock.status();
    m_lock = std::move(*lock);
    return Status::ok();
}

Status RestoreOutput::prepare() {
    const fs::path folder = restoreFolderOf(m_file);
    if (m_ownFolder) {
        // RestorSDB holds nothing but the restore file: whatever else is there goes now
        // (read-only files make this fail), the earlier restore file only when the new one
        // is complete.
        auto entries = m_fs.listDirectory(folder);
        if (!entries)
            return entries.status();
        for (const auto& e : *entries)
            if (pathFromUtf8(e.name) != m_file.filename())
                if (Status s = m_fs.removeTree(folder / pathFromUtf8(e.name), false); !s)
                    return s;
    }
    auto staged = m_fs.createStaged(m_file);
    if (!staged)
        return staged.status();
    m_staged = std::move(*staged);
    m_writer.emplace(*m_staged, pathToUtf8(m_file));
    if (Status s = m_writer->writeHeader(); !s)
        return s;
    return Status::ok();
}

Status RestoreOutput::openFolder(int number) {
    m_card.openFolder();
    m_folderText = restoreFolderPath(number);
    return Status::ok();
}

SongFileResult RestoreOutput::putSongFile(InputFile& source, const std::string& sourcePath,
                                          const std::string& fileName) {
    const auto size = static_cast<std::int64_t>(source.size());
    if (!m_card.takeFile(size))
        return SongFileResult::noRoom();
    if (Status s = m_writer->appendFileEntry(m_folderText + "\\" + fileName, source, sourcePath,
                                             static_cast<std::uint32_t>(size), m_buffer);
        !s)
        return SongFileResult::failed(s);
    return SongFileResult::transferred();
}

Status RestoreOutput::finish(std::span<const std::uint8_t> info) {
    if (Status s = m_writer->appendEntry(kInfEntryName, info); !s)
        return s;
    m_writer.reset();
    Status committed = m_staged->commit();
    m_staged.reset();
    return committed;
}

void RestoreOutput::abandon() {
    m_writer.reset();
    m_staged.reset(); // removes the temporary file; the earlier restore file stays
}

} // namespace lw
