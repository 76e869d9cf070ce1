#include "card/TransferRun.h"

#include "card/CardLayout.h"
#include "card/CardOutput.h"
#include "card/RestoreOutput.h"
#include "platform/Path.h"
#include "settings/MessageIds.h"

#include <limits>

namespace lw {

namespace fs = std::filesystem;

namespace {

// Song files are streamed through one buffer of this size, reused for every file.
constexpr std::size_t kCopyBufferSize = 1 << 20;

// Message numbers of the two orders, which show the same texts.
struct OrderMessages {
    int foldersUsedUp, foldersTitle, notFound, full, fullTitle, cardFull, cardFullTitle, ok, cancel,
        cancelTitle;
};
constexpr OrderMessages kKeepStructureMessages{msg::kKeepFoldersUsedUp,
                                               msg::kKeepFoldersUsedUpTitle,
                                               msg::kKeepNotFound,
                                               msg::kKeepRestoreCardFull,
                                               msg::kKeepRestoreCardFullTitle,
                                               msg::kKeepCardFull,
                                               msg::kKeepCardFullTitle,
                                               msg::kKeepOk,
                                               msg::kKeepCancelQuestion,
                                               msg::kKeepCancelTitle};
constexpr OrderMessages kSequentialMessages{msg::kSequentialFoldersUsedUp,
                                            msg::kSequentialFoldersUsedUpTitle,
                                            msg::kSequentialNotFound,
                                            msg::kSequentialRestoreCardFull,
                                            msg::kSequentialRestoreCardFullTitle,
                                            msg::kSequentialCardFull,
                                            msg::kSequentialCardFullTitle,
                                            msg::kSequentialOk,
                                            msg::kSequentialCancelQuestion,
                                            msg::kSequentialCancelTitle};

RunMessage info(int number, int title) {
    return {RunMessage::Kind::Info, {{number, {}}}, title, {}, RunStep::Claim};
}

std::unique_ptr<TransferOutput> makeOutput(FileSystem& fs, const TransferSetup& setup,
                                           std::span<std::uint8_t> buffer) {
    if (setup.mode == OutputMode::Card)
        return std::make_unique<CardOutput>(fs, setup.cardRoot, setup.addToCard, buffer);
    return std::make_unique<RestoreOutput>(fs, setup.restoreFile, setup.recreateRestoreFolder,
                                           setup.cardCapacity, setup.clusterSize, buffer);
}

bool sameFailure(const Status& a, const Status& b) {
    return a.code() == b.code() && a.path() == b.path() && a.reason() == b.reason();
}

} // namespace

// The files of one group of a song: the sum of the bits of the files transferred, and
// why the group stopped early, if it did.
struct TransferRun::GroupResult {
    int mask = 0;
    bool noRoom = false;
    Status error;
    RunStep step = RunStep::WriteSong;
    bool stopped() const { return noRoom || !error.isOk(); }
};

bool checkCardDrive(FileSystem& fs, const fs::path& cardRoot) {
    return !cardRoot.empty() && fs.freeSpace(cardRoot).isOk();
}

Status checkTransferOutput(FileSystem& fs, const TransferSetup& setup, const BackupDirectory& backup) {
    return makeOutput(fs, setup, {})->check(backup);
}

int errorNumber(const Status& status) {
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
    case ErrorCode::AlreadyExists:
        return 58;
    case ErrorCode::Corrupt:
    case ErrorCode::InvalidArgument:
    case ErrorCode::NotAFile:
    case ErrorCode::Busy:
    case ErrorCode::Cancelled:
    case ErrorCode::Ok:
        break;
    }
    return 75;
}

RunMessage errorReport(const Status& status, RunStep step, bool onCard) {
    const int number = errorNumber(status);
    RunMessage m;
    m.kind = RunMessage::Kind::ErrorReport;
    m.error = status;
    m.step = step;
    const std::string source = status.path().empty() ? std::string("Liedwerk") : displayPath(status.path());
    if (number == 70) {
        m.parts = {{msg::kDeniedErrorStart, {}},
                   {0, std::to_string(number)},
                   {msg::kDeniedErrorCause, {}},
                   {0, source},
                   {0, "\n" + status.reason()}};
        // The advice to check the card helps only where the card refused.
        if (onCard)
            m.parts.insert(m.parts.end(), {{0, "\n"}, {msg::kCheckCardAdvice, {}}});
        m.title = msg::kDeniedErrorTitle;
    } else {
        m.parts = {{msg::kErrorStart, {}},
                   {0, std::to_string(number)},
                   {msg::kErrorCause, {}},
                   {0, source},
                   {0, "\n" + status.reason()}};
        m.title = msg::kErrorTitle;
    }
    return m;
}

TransferRun::TransferRun(FileSystem& fs, WorkingList& list, TransferFrontEnd& frontEnd)
    : m_fs(fs), m_list(list), m_frontEnd(frontEnd) {}

TransferRun::~TransferRun() = default;

std::string TransferRun::targetText(int slot, const std::string& sixChar) const {
    return songFolderName(m_folderCount) + "/" + songFileBase(slot, sixChar);
}

Status TransferRun::openFolder(const std::string& title) {
    const int n = m_folderCount + 1;
    if (Status s = m_output->openFolder(n); !s)
        return s;
    (void)m_info->setFolderTitle(n, title); // n is 1..99 here
    m_folderCount = n;
    m_slot = 0;
    return Status::ok();
}

TransferRun::GroupResult TransferRun::transferSongFiles(const std::string& index,
                                                        const std::string& targetBase, bool secondGroup) {
    const auto transferGroup = [&](const auto& group) {
        GroupResult r;
        for (const SongFileType& type : group) {
            const auto source = m_backup.find(index + std::string(type.extension));
            if (!source)
                continue;
            auto input = m_fs.openRead(*source);
            if (!input && input.status().code() == ErrorCode::NotFound)
                continue; // gone since the backup folder was listed: it does not exist
            if (!input) {
                r.error = input.status();
                r.step = RunStep::ReadSong;
                return r;
            }
            const std::string sourcePath = pathToUtf8(*source);
            if ((*input)->size() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
                r.error = Status::error(ErrorCode::InvalidArgument, sourcePath,
                                        "the file is larger than 2 GiB, more than a song file can be");
                r.step = RunStep::ReadSong;
                return r;
            }
            const SongFileResult put =
                m_output->putSongFile(**input, sourcePath, targetBase + std::string(type.extension));
            if (put.kind == SongFileResult::Kind::NoRoom) {
                r.noRoom = true;
                return r;
            }
            if (put.kind == SongFileResult::Kind::Failed) {
                r.error = put.error;
                r.step = put.error.path() == sourcePath ? RunStep::ReadSong : RunStep::WriteSong;
                return r;
            }
            r.mask += type.bit;
        }
        return r;
    };
    return secondGroup ? transferGroup(kSecondGroup) : transferGroup(kFirstGroup);
}

RunResult TransferRun::abort(RunResult result, const Status& error, RunStep step, bool report) {
    m_frontEnd.beep();
    if (m_output)
        m_output->abandon();
    m_frontEnd.aborting();
    if (report && !error.isOk())
        m_frontEnd.message(errorReport(error, step, m_output && m_output->isOnCard(error.path())));
    m_output.reset();
    result.outcome = RunOutcome::Aborted;
    result.error = error;
    result.step = step;
    return result;
}

RunResult TransferRun::run(const TransferSetup& setup, const std::string& backupPath) {
    return run(setup, BackupDirectory(m_fs, backupPath));
}

RunResult TransferRun::run(const TransferSetup& setup, const BackupDirectory& backup) {
    return run(setup, backup, nullptr);
}

RunResult TransferRun::run(const TransferSetup& setup, const BackupDirectory& backup,
                           std::unique_ptr<TransferOutput> output) {
    RunResult result;
    // A press of the cancel button left over from an earlier run must not ask now.
    (void)m_frontEnd.takeCancelRequest();
    if (!transferHasWork(m_list))
        return result;

    m_setup = setup;
    if (m_list.order() == ListOrder::Alphabetical)
        m_setup.order = CardOrder::Sequential;
    const bool sequential = m_setup.order == CardOrder::Sequential;
    const OrderMessages& msg = sequential ? kSequentialMessages : kKeepStructureMessages;
    m_backup = backup;
    m_folderCount = 0;
    m_slot = 0;
    m_buffer.assign(kCopyBufferSize, 0);
    m_output = output ? std::move(output) : makeOutput(m_fs, m_setup, m_buffer);
    const int maximum = m_list.selectedCount();
    m_frontEnd.progress(0, maximum);

    // The card must answer before anything on it is touched.
    if (m_output->isCard() && !checkCardDrive(m_fs, m_setup.cardRoot)) {
        m_frontEnd.message({RunMessage::Kind::CardMissing,
                            {{msg::kCardNotAnswering, {}}},
                            msg::kCardNotAnsweringTitle,
                            {},
                            RunStep::Claim});
        return abort(result, Status::ok(), RunStep::Claim);
    }
    if (Status s = m_output->claim(m_backup); !s)
        return abort(result, s, RunStep::Claim);
    if (Status s = m_output->prepare(); !s)
        return abort(result, s, RunStep::Prepare);
    m_info = std::make_unique<InfoFile>(m_output->startingInfo());
    m_folderCount = m_output->highestFolderInUse();

    RunOutcome outcome = RunOutcome::Completed;
    const auto stopForFolder = [&](const Status& why) {
        // A card too full for another folder is a full card; anything else a failure.
        if (why.code() == ErrorCode::NoSpace) {
            m_frontEnd.message(info(msg.cardFull, msg.cardFullTitle));
            outcome = RunOutcome::OutputFull;
        } else {
            m_frontEnd.message(errorReport(why, RunStep::WriteSong, m_output->isOnCard(why.path())));
            result.error = why;
            result.step = RunStep::WriteSong;
            outcome = RunOutcome::SongFailed;
        }
    };
    bool stopped = false;
    if (sequential)
        if (Status s = openFolder(sequentialFolderTitle(m_folderCount + 1)); !s) {
            stopForFolder(s);
            stopped = true;
        }
    // Structure-keeping order: whether the folder row above the current row opened a folder.
    bool folderRowOpen = false;

    const std::size_t rows = stopped ? 0 : m_list.size();
    for (std::size_t i = 0; i < rows; ++i) {
        m_frontEnd.rowSelected(i);
        const ListRow& row = m_list.row(i);
        int slot = m_slot;
        if (sequential) {
            if (m_slot == kSlotsPerFolder) {
                if (m_folderCount >= kMaxSongFolders) {
                    m_frontEnd.message(info(msg.foldersUsedUp, msg.foldersTitle));
                    outcome = RunOutcome::FoldersUsedUp;
                    break;
                }
                if (Status s = openFolder(sequentialFolderTitle(m_folderCount + 1)); !s) {
                    stopForFolder(s);
                    break;
                }
            }
            slot = m_slot;
        } else {
            if (row.isFolder() && row.marked) {
                if (m_folderCount >= kMaxSongFolders) {
                    m_frontEnd.message(info(msg.foldersUsedUp, msg.foldersTitle));
                    outcome = RunOutcome::FoldersUsedUp;
                    break;
                }
                if (Status s = openFolder(row.text); !s) {
                    stopForFolder(s);
                    break;
                }
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
        if (!(sequential || folderRowOpen) || slot < 0 || slot >= kSlotsPerFolder) {
            // A song whose own folder was not opened (or that has no place in it) is never
            // written: it would land in another folder.
            m_list.setResult(i, msg::kNoEntry);
            m_frontEnd.rowHandled(i, SongOutcome::Skipped, {});
        } else {
            m_frontEnd.rowInView(i);
            // Both groups are always tried; their results are looked at afterwards.
            const GroupResult r1 = transferSongFiles(row.index, base, false);
            const GroupResult r2 = transferSongFiles(row.index, base, true);
            const GroupResult& stop = r1.stopped() ? r1 : r2;
            if (!stop.stopped() && r1.mask == 0 && r2.mask == 0) {
                m_list.setResult(i, msg.notFound);
                ++result.notFound;
                m_frontEnd.rowHandled(i, SongOutcome::NotFound, targetText(slot, sixChar));
            } else if (stop.stopped()) {
                m_output->dropSong(base);
                m_frontEnd.rowHandled(i, SongOutcome::Failed, targetText(slot, sixChar));
                if (stop.noRoom) {
                    m_frontEnd.message(m_output->isCard() ? info(msg.cardFull, msg.cardFullTitle)
                                                          : info(msg.full, msg.fullTitle));
                    outcome = RunOutcome::OutputFull;
                } else {
                    m_frontEnd.message(
                        errorReport(stop.error, stop.step, m_output->isOnCard(stop.error.path())));
                    result.error = stop.error;
                    result.step = stop.step;
                    outcome = RunOutcome::SongFailed;
                }
                break;
            } else {
                m_list.markTransferred(i);
                (void)m_info->setSongEntry(m_folderCount, slot, m_list.row(i).text, sixChar,
                                           static_cast<std::uint8_t>(r1.mask),
                                           static_cast<std::uint8_t>(r2.mask));
                ++m_slot;
                m_list.setResult(i, msg.ok);
                ++result.transferred;
                m_frontEnd.rowHandled(i, SongOutcome::Transferred, targetText(slot, sixChar));
                m_frontEnd.progress(result.transferred, maximum);
            }
        }
        m_frontEnd.processEvents();
        if (m_frontEnd.takeCancelRequest()) {
            if (m_frontEnd.askCancel(msg.cancel, msg.cancelTitle)) {
                outcome = RunOutcome::Cancelled;
                break;
            }
        }
    }

    if (Status s = m_output->finish(m_info->content()); !s) {
        // A failure already reported (a restore file that cannot be written) is not reported twice.
        const bool reported = outcome == RunOutcome::SongFailed && sameFailure(s, result.error);
        return abort(result, s, reported ? result.step : RunStep::Finish, !reported);
    }
    if (m_output->isCard())
        m_frontEnd.message(
            {RunMessage::Kind::Closing,
             {{msg::kCardClosingStart, {}}, {0, m_setup.cardRootText}, {msg::kCardClosingEnd, {}}},
             msg::kCardClosingTitle,
             {},
             RunStep::Finish});
    else
        m_frontEnd.message({RunMessage::Kind::Closing,
                            {{msg::kRestoreClosingStart, {}},
                             {0, m_setup.restoreLocationText},
                             {msg::kRestoreClosingEnd, {}}},
                            msg::kRestoreClosingTitle,
                            {},
                            RunStep::Finish});
    m_frontEnd.beep();
    m_output.reset();
    result.outcome = outcome;
    return result;
}

} // namespace lw
