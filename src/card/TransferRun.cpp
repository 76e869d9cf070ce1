#include "card/TransferRun.h"
#include "card/CardLayout.h"
#include "platform/Path.h"

#include <limits>

namespace lw {

namespace fs = std::filesystem;

namespace {

// Song files are streamed through one buffer of this size, reused for every file.
constexpr std::size_t kCopyBufferSize = 1 << 20;

// Message numbers of the structure-keeping order and of the sequential order, which
// show the same texts.
constexpr OrderMessages kKeepStructureMessages{46, 47, 48, 49, 50, 76, 77, 51, 52, 53};
constexpr OrderMessages kSequentialMessages{54, 55, 56, 57, 58, 78, 79, 59, 60, 61};
// Row result of a marked song that has no song folder to go into, or no valid slot.
constexpr int kNoEntryMessage = 75;

RunMessage info(int number, int title) {
    return {RunMessage::Kind::Info, {{number, {}}}, title};
}

} // namespace

Status checkOutputApartFromBackup(const TransferSetup& setup, const fs::path& backupFolder) {
    if (setup.mode == OutputMode::Card) {
        const fs::path priv = setup.cardRoot / std::string(kCardFolders[0]);
        if (isWithinFolder(setup.cardRoot, backupFolder) || isWithinFolder(backupFolder, priv))
            return Status::error(
                ErrorCode::InvalidArgument, pathToUtf8(backupFolder),
                "the card and the backup folder overlap, and the backup is never written to");
    } else {
        fs::path folder = setup.restoreFile.parent_path();
        if (folder.empty())
            folder = ".";
        if (isWithinFolder(folder, backupFolder) ||
            (setup.recreateRestoreFolder && isWithinFolder(backupFolder, folder)))
            return Status::error(ErrorCode::InvalidArgument, pathToUtf8(backupFolder),
                                 "the restore file would be written into the backup folder, which is never "
                                 "written to");
    }
    return Status::ok();
}

bool checkCardDrive(FileSystem& fs, const fs::path& cardRoot) {
    return !cardRoot.empty() && fs.freeSpace(cardRoot).isOk();
}

TransferRun::TransferRun(FileSystem& fs, WorkingList& list, TransferFrontEnd& frontEnd)
    : m_fs(fs), m_list(list), m_frontEnd(frontEnd) {}

int TransferRun::errorNumber(const Status& status) {
    switch (status.code()) {
    case ErrorCode::PermissionDenied:
        return 70;
    case ErrorCode::NotFound:
        return 53;
    case ErrorCode::NoSpace:
        return 61;
    case ErrorCode::DeviceUnavailable:
        return 71;
    case ErrorCode::IoError:
        return 57;
    case ErrorCode::Corrupt:
    case ErrorCode::InvalidArgument:
    case ErrorCode::Cancelled:
    case ErrorCode::Ok:
        break;
    }
    return 75;
}

RunMessage TransferRun::errorReport(const Status& status) {
    const int number = errorNumber(status);
    RunMessage m;
    m.kind = RunMessage::Kind::ErrorReport;
    const std::string source = status.path().empty() ? std::string("Liedwerk") : displayPath(status.path());
    if (number == 70) {
        m.parts = {{68, {}},    {0, std::to_string(number)}, {69, {}},
                   {0, source}, {0, "\r" + status.reason()}, {73, {}}};
        m.title = 70;
    } else {
        m.parts = {{71, {}}, {0, std::to_string(number)}, {72, {}}, {0, source}, {0, "\r" + status.reason()}};
        m.title = 74;
    }
    return m;
}

std::string TransferRun::targetText(int slot, const std::string& sixChar) const {
    return songFolderName(m_folderCount) + "/" + songFileBase(slot, sixChar);
}

Status TransferRun::openFolder(const std::string& title) {
    const int n = m_folderCount + 1;
    if (m_setup.mode == OutputMode::Card) {
        const fs::path folder = m_kn7000Folder / songFolderName(n);
        if (Status s = m_fs.createDirectory(folder); !s)
            return s;
        m_currentFolder = folder;
    } else {
        m_remaining -= m_setup.clusterSize;
        m_currentFolderText = restoreFolderPath(n);
    }
    (void)m_info->setFolderTitle(n, title); // n is 1..99 here
    m_folderCount = n;
    m_slot = 0;
    return Status::ok();
}

// Transfers the files of one group of a song; the sum of the bits of the files
// transferred, or -1 when the output has no room for a file (m_songError empty) or a
// file operation failed (m_songError says which and why).
int TransferRun::transferSongFiles(const std::string& index, const std::string& targetBase,
                                   bool secondGroup) {
    const auto transferGroup = [&](const auto& group) -> int {
        int sum = 0;
        for (const SongFileType& type : group) {
            const std::string name = index + std::string(type.extension);
            const auto source = m_backup.find(name);
            if (!source)
                continue;
            const auto size = m_fs.fileSize(*source);
            if (!size && size.status().code() == ErrorCode::NotFound)
                continue; // gone since the backup folder was listed: it does not exist
            if (!size) {
                m_songError = size.status();
                return -1;
            }
            if (*size > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
                m_songError = Status::error(ErrorCode::InvalidArgument, pathToUtf8(*source),
                                            "the file is larger than 2 GiB, more than a song file can be");
                return -1;
            }
            const auto bytes = static_cast<std::int64_t>(*size);
            if (m_setup.mode == OutputMode::Card) {
                const auto free = m_fs.freeSpace(m_currentFolder);
                if (!free) {
                    m_songError = free.status();
                    return -1;
                }
                m_remaining = static_cast<std::int64_t>(*free) - static_cast<std::int64_t>(kInfReserve);
            } else {
                const std::int64_t cluster = m_setup.clusterSize;
                m_remaining -= cluster * (bytes / cluster + 1);
            }
            if (!(m_remaining > bytes))
                return -1;
            sum += type.bit;
            if (m_setup.mode == OutputMode::Card) {
                const fs::path target =
                    m_currentFolder / pathFromUtf8(targetBase + std::string(type.extension));
                if (Status s = m_fs.copyFile(*source, target); !s) {
                    m_songError = s;
                    return -1;
                }
            } else {
                auto input = m_fs.openRead(*source);
                if (!input) {
                    m_songError = input.status();
                    return -1;
                }
                const std::string entry =
                    m_currentFolderText + "\\" + targetBase + std::string(type.extension);
                if (Status s = m_restore->appendFileEntry(entry, **input, pathToUtf8(*source),
                                                          static_cast<std::uint32_t>(bytes), m_buffer);
                    !s) {
                    m_songError = s;
                    return -1;
                }
            }
        }
        return sum;
    };
    return secondGroup ? transferGroup(kSecondGroup) : transferGroup(kFirstGroup);
}

void TransferRun::abort(const Status& error) {
    m_frontEnd.beep();
    if (m_restore)
        (void)m_restore->close();
    m_restore.reset();
    m_frontEnd.aborting();
    if (!error.isOk())
        m_frontEnd.message(errorReport(error));
}

Status TransferRun::finish() {
    if (m_setup.mode == OutputMode::RestoreFile) {
        if (Status s = m_restore->appendEntry(kInfEntryName, m_info->content()); !s)
            return s;
        Status closed = m_restore->close();
        m_restore.reset();
        if (!closed)
            return closed;
        m_frontEnd.message(
            {RunMessage::Kind::Closing, {{62, {}}, {0, m_setup.restoreLocationText}, {63, {}}}, 67});
    } else {
        const fs::path inf = m_kn7000Folder / std::string(kInfFileName);
        if (Status s = writeWholeFile(m_fs, inf, m_info->content()); !s)
            return s;
        m_frontEnd.message({RunMessage::Kind::Closing, {{65, {}}, {0, m_setup.cardRootText}, {66, {}}}, 64});
    }
    m_frontEnd.beep();
    return Status::ok();
}

RunResult TransferRun::run(const TransferSetup& setup, const std::string& backupPath) {
    return run(setup, BackupDirectory(m_fs, backupPath));
}

RunResult TransferRun::run(const TransferSetup& setup, const BackupDirectory& backup) {
    RunResult result;
    // A press of the cancel button left over from an earlier run must not ask now.
    m_cancelRequested = false;
    if (!transferHasWork(m_list))
        return result;

    m_setup = setup;
    if (m_list.order() == ListOrder::Alphabetical)
        m_setup.order = CardOrder::Sequential;
    const OrderMessages& msg =
        m_setup.order == CardOrder::KeepStructure ? kKeepStructureMessages : kSequentialMessages;
    m_backup = backup;
    m_restore.reset();
    m_folderCount = 0;
    m_slot = 0;
    m_currentFolder.clear();
    m_currentFolderText.clear();
    m_buffer.assign(kCopyBufferSize, 0);
    const int maximum = m_list.selectedCount();
    m_frontEnd.progress(0, maximum);

    const auto aborted = [&](const Status& error) {
        abort(error);
        result.outcome = RunOutcome::Aborted;
        result.error = error;
        return result;
    };

    if (Status s = checkOutputApartFromBackup(m_setup, m_backup.folder()); !s)
        return aborted(s);
    if (m_setup.mode == OutputMode::RestoreFile) {
        m_remaining = m_setup.cardCapacity;
        if (m_setup.recreateRestoreFolder) {
            const fs::path folder = m_setup.restoreFile.parent_path();
            if (m_fs.isDirectory(folder))
                if (Status s = m_fs.removeTree(folder, false); !s)
                    return aborted(s);
            if (Status s = m_fs.createDirectory(folder); !s)
                return aborted(s);
        }
        auto out = m_fs.openWrite(m_setup.restoreFile);
        if (!out)
            return aborted(out.status());
        m_restore = std::make_unique<RestoreFileWriter>(std::move(*out));
        if (Status s = m_restore->writeHeader(); !s)
            return aborted(s);
    } else {
        // The card must answer before anything on it is touched.
        if (!checkCardDrive(m_fs, m_setup.cardRoot)) {
            m_frontEnd.message({RunMessage::Kind::CardMissing, {{131, {}}}, 132});
            return aborted(Status::ok());
        }
        const fs::path priv = m_setup.cardRoot / std::string(kCardFolders[0]);
        if (m_fs.isDirectory(priv))
            if (Status s = m_fs.removeTree(priv, true); !s)
                return aborted(s);
        fs::path folder = m_setup.cardRoot;
        for (std::string_view part :
             {std::string_view("PRIVATE"), std::string_view("TECHNICS"), std::string_view("KN7000")}) {
            folder /= std::string(part);
            if (Status s = m_fs.createDirectory(folder); !s)
                return aborted(s);
        }
        m_kn7000Folder = folder;
    }
    if (m_setup.mode == OutputMode::RestoreFile)
        m_remaining -= 3 * static_cast<std::int64_t>(m_setup.clusterSize);
    m_info = std::make_unique<InfoFile>();

    RunOutcome outcome = RunOutcome::Completed;
    if (m_setup.order == CardOrder::Sequential)
        if (Status s = openFolder(sequentialFolderTitle(1)); !s)
            return aborted(s);
    // Structure-keeping order: whether the folder row above the current row opened a folder.
    bool folderRowOpen = false;

    const std::size_t rows = m_list.size();
    for (std::size_t i = 0; i < rows; ++i) {
        m_frontEnd.rowSelected(i);
        const ListRow& row = m_list.row(i);
        int slot = m_slot;
        if (m_setup.order == CardOrder::Sequential) {
            if (m_slot == kSlotsPerFolder) {
                if (m_folderCount >= kMaxSongFolders) {
                    m_frontEnd.message(info(msg.foldersUsedUp, msg.foldersTitle));
                    outcome = RunOutcome::FoldersUsedUp;
                    break;
                }
                if (Status s = openFolder(sequentialFolderTitle(m_folderCount + 1)); !s)
                    return aborted(s);
            }
            slot = m_slot;
        } else {
            if (row.isFolder() && row.marked) {
                if (m_folderCount >= kMaxSongFolders) {
                    m_frontEnd.message(info(msg.foldersUsedUp, msg.foldersTitle));
                    outcome = RunOutcome::FoldersUsedUp;
                    break;
                }
                if (Status s = openFolder(row.text); !s)
                    return aborted(s);
                folderRowOpen = true;
                continue;
            }
            if (row.isFolder())
                folderRowOpen = false;
            slot = m_slot = slotFromNumberColumn(row.number);
        }
        if (!row.marked || !row.isSong())
            continue;

        const std::string sixChar = sixCharName(row.index);
        const std::string base = songFileBase(slot, sixChar);
        const bool hasFolder = m_setup.order == CardOrder::Sequential || folderRowOpen;
        if (!hasFolder || slot < 0 || slot >= kSlotsPerFolder) {
            // A song whose own folder was not opened (or that has no place in it) is never
            // written: it would land in another folder.
            m_list.setResult(i, kNoEntryMessage);
            m_frontEnd.rowHandled(i, SongOutcome::Skipped, {});
        } else {
            m_frontEnd.rowInView(i);
            m_songError = Status::ok();
            const int r1 = transferSongFiles(row.index, base, false);
            const Status firstError = m_songError;
            const int r2 = transferSongFiles(row.index, base, true);
            if (m_songError.isOk())
                m_songError = firstError;
            if (r1 == 0 && r2 == 0) {
                m_list.setResult(i, msg.notFound);
                ++result.notFound;
                m_frontEnd.rowHandled(i, SongOutcome::NotFound, targetText(slot, sixChar));
            } else if (r1 == -1 || r2 == -1) {
                if (m_setup.mode == OutputMode::Card) {
                    // Remove what was copied of this song: every file of its slot and name.
                    auto entries = m_fs.listDirectory(m_currentFolder);
                    if (entries)
                        for (const auto& e : *entries)
                            if (!e.isDirectory && e.name.size() > base.size() &&
                                e.name.compare(0, base.size(), base) == 0 && e.name[base.size()] == '.')
                                (void)m_fs.removeFile(m_currentFolder / pathFromUtf8(e.name));
                }
                m_frontEnd.rowHandled(i, SongOutcome::Failed, targetText(slot, sixChar));
                if (m_songError.isOk())
                    m_frontEnd.message(m_setup.mode == OutputMode::Card
                                           ? info(msg.cardFull, msg.cardFullTitle)
                                           : info(msg.full, msg.fullTitle));
                else
                    m_frontEnd.message(errorReport(m_songError));
                result.error = m_songError;
                outcome = RunOutcome::OutputFull;
                break;
            } else {
                m_list.markTransferred(i);
                (void)m_info->setSongEntry(m_folderCount, slot, m_list.row(i).text, sixChar,
                                           static_cast<std::uint8_t>(r1), static_cast<std::uint8_t>(r2));
                ++m_slot;
                m_list.setResult(i, msg.ok);
                ++result.transferred;
                m_frontEnd.rowHandled(i, SongOutcome::Transferred, targetText(slot, sixChar));
                m_frontEnd.progress(result.transferred, maximum);
            }
        }
        m_frontEnd.processEvents();
        if (m_cancelRequested) {
            m_cancelRequested = false;
            if (m_frontEnd.askCancel(msg.cancel, msg.cancelTitle)) {
                outcome = RunOutcome::Cancelled;
                break;
            }
        }
    }

    if (Status s = finish(); !s) {
        abort(s);
        result.outcome = RunOutcome::Aborted;
        result.error = s;
        return result;
    }
    result.outcome = outcome;
    return result;
}

} // namespace lw
