#include "card/CardOutput.h"

#include "card/BackupGuard.h"
#include "card/CardCheck.h"
#include "card/CardLayout.h"
#include "card/CardRoom.h"
#include "platform/Path.h"

#include <algorithm>

namespace lw {

namespace fs = std::filesystem;

CardOutput::CardOutput(FileSystem& fs, fs::path cardRoot, bool add, std::span<std::uint8_t> buffer)
    : m_fs(fs), m_root(std::move(cardRoot)), m_add(add), m_buffer(buffer) {}

CardOutput::~CardOutput() = default;

Status CardOutput::check(const BackupDirectory& backup) {
    OutputFootprint footprint;
    footprint.foldersWrittenInto = {m_root};
    if (!m_add)
        footprint.treesDeleted = {m_root / std::string(kPrivateFolder)};
    if (Status s = checkApartFromBackup(m_fs, footprint, backup); !s)
        return s;
    if (m_add)
        return checkForAdding();
    return Status::ok();
}

Status CardOutput::checkForAdding() {
    // Songs are added only to a card that is as its information file says.
    const CardCheck card = checkCard(m_fs, m_root);
    m_existingInfo.clear();
    m_highestInUse = 0;
    if (!card.kn7000)
        return Status::ok(); // no songs on it yet
    const std::string advice = "; write the card anew (replacing its songs) instead of adding to it";
    if (!card.info)
        return Status::error(ErrorCode::Corrupt, card.infoError.path(),
                             (card.infoError.code() == ErrorCode::NotFound
                                  ? std::string("the card has no information file")
                                  : card.infoError.reason()) +
                                 advice);
    if (!card.mismatches.empty())
        return Status::error(ErrorCode::Corrupt, card.mismatches.front().path(),
                             card.mismatches.front().reason() + " (" +
                                 std::to_string(card.mismatches.size()) +
                                 (card.mismatches.size() == 1 ? " mismatch)" : " mismatches)") + advice);
    m_highestInUse = card.highestFolderInUse();
    if (m_highestInUse >= kMaxSongFolders)
        return Status::error(ErrorCode::NoSpace, pathToUtf8(*card.kn7000),
                             "the card has no folder number left: folder " + std::to_string(kMaxSongFolders) +
                                 " is in use" + advice);
    m_existingInfo = card.infBytes;
    return Status::ok();
}

InfoFile CardOutput::startingInfo() const {
    if (auto existing = InfoFile::fromBytes(m_existingInfo); existing)
        return *existing;
    return InfoFile();
}

Status CardOutput::claim(const BackupDirectory& backup) {
    if (Status s = check(backup); !s)
        return s;
    auto lock = m_fs.lockOutput(m_root, {});
    if (!lock)
        return lock.status();
    m_lock = std::move(*lock);
    return Status::ok();
}

Status CardOutput::prepare() {
    const fs::path priv = m_root / std::string(kPrivateFolder);
    if (!m_add && m_fs.exists(priv))
        if (Status s = m_fs.removeTree(priv, true); !s)
            return s;
    fs::path folder = m_root;
    for (std::string_view part : kKn7000FolderParts) {
        folder /= std::string(part);
        if (Status s = m_fs.createDirectory(folder); !s)
            return s;
    }
    m_kn7000 = folder;
    auto unit = m_fs.allocationUnit(m_kn7000);
    if (!unit)
        return unit.status();
    m_unit = *unit;
    if (m_add) {
        // The new information file is written beside the old one at the end: its room is kept.
        m_reserve = wholeUnits(kInfSize, m_unit);
        return Status::ok();
    }

    const fs::path infPath = m_kn7000 / std::string(kInfFileName);
    auto inf = m_fs.createNew(infPath);
    if (!inf)
        return inf.status();
    const InfoFile empty;
    if (Status s = (*inf)->write(empty.content()); !s) {
        // No room even for the information file: leave no cut-off one behind.
        inf->reset();
        (void)m_fs.removeFile(infPath);
        return s;
    }
    m_inf = std::move(*inf);
    return Status::ok();
}

Status CardOutput::openFolder(int number) {
    const fs::path folder = m_kn7000 / songFolderName(number);
    if (m_reserve > 0) {
        // A new folder takes a unit of its own, never one of those kept for the new
        // information file.
        auto free = m_fs.freeSpace(m_kn7000);
        if (!free)
            return free.status();
        if (!fitsOnCard(*free, 0, m_unit, m_unit + m_reserve))
            return Status::error(ErrorCode::NoSpace, pathToUtf8(folder), "there is no room left on the card");
    }
    if (Status s = m_fs.createDirectory(folder); !s)
        return s;
    m_folder = folder;
    return Status::ok();
}

SongFileResult CardOutput::putSongFile(InputFile& source, const std::string& sourcePath,
                                       const std::string& fileName) {
    const std::uint64_t size = source.size();
    auto free = m_fs.freeSpace(m_folder);
    if (!free)
        return SongFileResult::failed(free.status());
    if (!fitsOnCard(*free, size, m_unit, m_reserve))
        return SongFileResult::noRoom();
    const fs::path target = m_folder / pathFromUtf8(fileName);
    auto out = m_fs.createNew(target);
    if (!out)
        return out.status().code() == ErrorCode::NoSpace ? SongFileResult::noRoom()
                                                         : SongFileResult::failed(out.status());
    Status s = appendExactly(**out, source, sourcePath, size, m_buffer);
    if (Status closed = (*out)->close(); s && !closed)
        s = closed;
    if (s)
        return SongFileResult::transferred();
    // The card filling up while the file is written is a full card.
    if (s.code() == ErrorCode::NoSpace && s.path() == pathToUtf8(target))
        return SongFileResult::noRoom();
    return SongFileResult::failed(s);
}

void CardOutput::dropSong(const std::string& fileBase) {
    // Every file of the song's slot and name, whatever its extension.
    auto entries = m_fs.listDirectory(m_folder);
    if (!entries)
        return;
    for (const auto& e : *entries)
        if (!e.isDirectory && e.name.size() > fileBase.size() &&
            e.name.compare(0, fileBase.size(), fileBase) == 0 && e.name[fileBase.size()] == '.')
            (void)m_fs.removeFile(m_folder / pathFromUtf8(e.name));
}

Status CardOutput::finish(std::span<const std::uint8_t> info) {
    if (m_add) {
        // The old information file stays until the new one is complete.
        auto staged = m_fs.createStaged(m_kn7000 / std::string(kInfFileName));
        if (!staged)
            return staged.status();
        if (Status s = (*staged)->write(info); !s)
            return s;
        if (Status s = (*staged)->commit(); !s)
            return s;
    } else {
        if (Status s = m_inf->writeAt(0, info); !s)
            return s;
        Status closed = m_inf->close();
        m_inf.reset();
        if (!closed)
            return closed;
    }
    // Only what has reached the card counts: the user takes it to the keyboard next.
    if (Status s = m_fs.flushTree(m_root / std::string(kPrivateFolder)); !s)
        return s;
    // Read back: a medium that took the information file's bytes without storing them all
    // (a full card whose driver says nothing) must not be reported as done.
    const fs::path infPath = m_kn7000 / std::string(kInfFileName);
    auto stored = readFilePrefix(m_fs, infPath, info.size() + 1);
    if (!stored)
        return stored.status();
    if (!std::equal(stored->begin(), stored->end(), info.begin(), info.end()))
        return Status::error(ErrorCode::IoError, pathToUtf8(infPath),
                             "the card did not keep the information file as it was written (" +
                                 std::to_string(stored->size()) + " of " + std::to_string(info.size()) +
                                 " bytes read back); the card may be full or faulty: check it with "
                                 "liedwerk-cli inspect, or write it again in replace mode");
    return Status::ok();
}

void CardOutput::abandon() {
    if (m_inf) {
        (void)m_inf->close();
        m_inf.reset();
    }
    if (!m_kn7000.empty())
        (void)m_fs.flushTree(m_root / std::string(kPrivateFolder));
}

bool CardOutput::isOnCard(const std::string& path) const {
    const std::string root = pathToUtf8(m_root);
    return !root.empty() && path.compare(0, root.size(), root) == 0;
}

} // namespace lw
