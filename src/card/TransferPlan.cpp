#include "card/TransferPlan.h"

#include "card/CardCheck.h"
#include "card/CardLayout.h"
#include "card/CardOutput.h"
#include "card/CardRoom.h"
#include "card/RestoreOutput.h"
#include "platform/Path.h"

#include <map>

namespace lw {

namespace fs = std::filesystem;

namespace {

// A folder on a FAT card holds 32 bytes per entry, "." and ".." included, in whole
// clusters: a new folder takes one cluster, and a full one grows by another.
constexpr std::uint64_t kFatEntrySize = 32;

std::uint64_t folderBytes(std::uint64_t entries, std::uint64_t unit) {
    return wholeUnits((entries + 2) * kFatEntrySize, unit);
}

// What the files and folders below `folder` take on the card, in whole units; the
// folder's own room included. Links are not followed: removing them frees nothing.
std::uint64_t treeBytes(FileSystem& fs, const fs::path& folder, std::uint64_t unit) {
    auto entries = fs.listDirectory(folder);
    if (!entries)
        return 0;
    std::uint64_t bytes = folderBytes(entries->size(), unit);
    for (const auto& e : *entries) {
        if (e.isLink)
            continue;
        const fs::path path = folder / pathFromUtf8(e.name);
        if (e.isDirectory)
            bytes += treeBytes(fs, path, unit);
        else if (auto size = fs.fileSize(path))
            bytes += wholeUnits(*size, unit);
    }
    return bytes;
}

// The files each song put, taken by the front end when the run reports the song.
struct PlanLedger {
    std::vector<std::string> files;
    std::uint64_t bytes = 0;
    std::uint64_t capacity = 0;
    std::uint64_t charged = 0;
    std::optional<DecodedInfoFile> finalInfo;
    int highestInUse = 0;
};

// An output that judges every folder and file as the real one would, and writes nothing.
// Its checks are the real output's (made on the card as it is, read only); it claims no
// lock. Room on a real card is counted down from its free space as a FAT card spends it:
// whole units per file, folders growing by a unit per unit of 32-byte entries.
class PlanOutput : public TransferOutput {
public:
    PlanOutput(FileSystem& fs, const TransferSetup& setup, PlanLedger& ledger)
        : m_fs(fs), m_setup(setup), m_ledger(ledger), m_card(setup.cardCapacity, setup.clusterSize) {
        if (isCard())
            m_real =
                std::make_unique<CardOutput>(fs, setup.cardRoot, setup.addToCard, std::span<std::uint8_t>{});
        else
            m_real = std::make_unique<RestoreOutput>(fs, setup.restoreFile, setup.recreateRestoreFolder,
                                                     setup.cardCapacity, setup.clusterSize,
                                                     std::span<std::uint8_t>{});
    }

    Status check(const BackupDirectory& backup) override { return m_real->check(backup); }

    Status claim(const BackupDirectory& backup) override {
        if (Status s = check(backup); !s)
            return s;
        if (!isCard() && !m_setup.recreateRestoreFolder) {
            const fs::path folder = restoreFolderOf(m_setup.restoreFile);
            if (!m_fs.isDirectory(folder))
                return Status::error(ErrorCode::NotFound, pathToUtf8(folder), "the folder does not exist");
        }
        return Status::ok();
    }

    Status prepare() override {
        if (!isCard()) {
            m_ledger.capacity = static_cast<std::uint64_t>(m_card.capacity());
            m_ledger.charged = static_cast<std::uint64_t>(m_card.capacity() - m_card.remaining());
            return Status::ok();
        }
        auto free = m_fs.freeSpace(m_setup.cardRoot);
        if (!free)
            return free.status();
        auto unit = m_fs.allocationUnit(m_setup.cardRoot);
        if (!unit)
            return unit.status();
        m_unit = *unit;
        m_ledger.capacity = *free;
        m_ledger.highestInUse = m_real->highestFolderInUse();
        // Adding: the new information file is written beside the old one at the end.
        if (m_setup.addToCard)
            m_reserve = wholeUnits(kInfSize, m_unit);
        if (const auto kn7000 = findKn7000Folder(m_fs, m_setup.cardRoot); m_setup.addToCard && kn7000) {
            auto entries = m_fs.listDirectory(*kn7000);
            m_kn7000Entries = entries ? entries->size() : 0;
            return Status::ok();
        }
        if (!m_setup.addToCard) {
            // The old PRIVATE goes first, and what it took is free again.
            const fs::path priv = m_setup.cardRoot / std::string(kPrivateFolder);
            if (m_fs.isDirectory(priv) && m_fs.identity(priv, false) == m_fs.identity(priv, true))
                m_ledger.capacity += treeBytes(m_fs, priv, m_unit);
        }
        // PRIVATE, TECHNICS and KN7000, and the information file at its full length.
        for (std::size_t i = 0; i < kKn7000FolderParts.size(); ++i)
            if (!take(folderBytes(1, m_unit)))
                return noRoom(m_setup.cardRoot);
        m_kn7000Entries = 0;
        if (!m_setup.addToCard) {
            if (!take(wholeUnits(kInfSize, m_unit)))
                return noRoom(m_setup.cardRoot);
            m_kn7000Entries = 1;
        }
        return Status::ok();
    }

    Status openFolder(int number) override {
        if (!isCard()) {
            m_card.openFolder();
            m_ledger.charged = static_cast<std::uint64_t>(m_card.capacity() - m_card.remaining());
            return Status::ok();
        }
        const std::uint64_t cost = growth(m_kn7000Entries) + folderBytes(0, m_unit);
        const bool keepsReserve =
            m_reserve == 0 || fitsOnCard(m_ledger.capacity - m_ledger.charged, 0, m_unit, m_unit + m_reserve);
        if (!keepsReserve || !take(cost))
            return noRoom(m_setup.cardRoot / std::string(kPrivateFolder) / songFolderName(number));
        ++m_kn7000Entries;
        m_folderEntries = 0;
        return Status::ok();
    }

    SongFileResult putSongFile(InputFile& source, const std::string&, const std::string& fileName) override {
        const std::uint64_t size = source.size();
        if (!isCard()) {
            const std::int64_t before = m_card.remaining();
            if (!m_card.takeFile(static_cast<std::int64_t>(size)))
                return SongFileResult::noRoom();
            m_ledger.bytes += static_cast<std::uint64_t>(before - m_card.remaining());
            m_ledger.charged = static_cast<std::uint64_t>(m_card.capacity() - m_card.remaining());
        } else {
            // The run's check against the free space, then the folder's entry and the file's units.
            const std::uint64_t free = m_ledger.capacity - m_ledger.charged;
            const std::uint64_t entry = growth(m_folderEntries);
            const std::uint64_t data = wholeUnits(size, m_unit);
            if (!fitsOnCard(free, size, m_unit, m_reserve) || free < entry + data)
                return SongFileResult::noRoom();
            m_ledger.charged += entry + data;
            m_ledger.bytes += entry + data;
            ++m_folderEntries;
        }
        m_ledger.files.push_back(fileName);
        return SongFileResult::transferred();
    }

    void dropSong(const std::string&) override {}

    InfoFile startingInfo() const override { return m_real->startingInfo(); }
    int highestFolderInUse() const override { return m_real->highestFolderInUse(); }

    Status finish(std::span<const std::uint8_t> info) override {
        if (auto decoded = decodeInfoFile(info); decoded)
            m_ledger.finalInfo = std::move(*decoded);
        return Status::ok();
    }
    void abandon() override {}
    bool isOnCard(const std::string& path) const override { return m_real->isOnCard(path); }
    bool isCard() const override { return m_setup.mode == OutputMode::Card; }

private:
    // The bytes a folder with `entries` entries needs for one more.
    std::uint64_t growth(std::uint64_t entries) const {
        return folderBytes(entries + 1, m_unit) - folderBytes(entries, m_unit);
    }
    bool take(std::uint64_t bytes) {
        if (m_ledger.capacity - m_ledger.charged < bytes)
            return false;
        m_ledger.charged += bytes;
        return true;
    }
    static Status noRoom(const fs::path& path) {
        return Status::error(ErrorCode::NoSpace, pathToUtf8(path), "there is no room left on the card");
    }

    FileSystem& m_fs;
    const TransferSetup& m_setup;
    PlanLedger& m_ledger;
    std::unique_ptr<TransferOutput> m_real;
    SimulatedCard m_card;
    std::uint64_t m_unit = 1;
    std::uint64_t m_reserve = 0;
    std::uint64_t m_kn7000Entries = 0;
    std::uint64_t m_folderEntries = 0;
};

// Notes what the run does with each row; never asks to cancel.
class PlanRecorder : public TransferFrontEnd {
public:
    PlanRecorder(const WorkingList& list, PlanLedger& ledger, TransferPlan& plan)
        : m_list(list), m_ledger(ledger), m_plan(plan) {}

    void rowSelected(std::size_t) override {}
    void rowInView(std::size_t) override {}
    void rowHandled(std::size_t row, SongOutcome outcome, const std::string& target) override {
        PlannedSong& song = m_songs.at(row);
        song.target = target;
        if (!target.empty()) {
            // "TFLD001/0100101_": the folder's number and the slot.
            song.folder = std::stoi(target.substr(4, 3));
            song.slot = std::stoi(target.substr(8, 2)) - 1;
        }
        switch (outcome) {
        case SongOutcome::Transferred:
            song.fate = PlannedSong::Fate::Transferred;
            song.files = std::move(m_ledger.files);
            song.bytes = m_ledger.bytes;
            break;
        case SongOutcome::NotFound:
            song.fate = PlannedSong::Fate::NotFound;
            break;
        case SongOutcome::Skipped:
            song.fate = PlannedSong::Fate::Skipped;
            break;
        case SongOutcome::Failed:
            m_failedRow = row;
            break;
        }
        m_ledger.files.clear();
        m_ledger.bytes = 0;
    }
    void progress(int, int) override {}
    void message(const RunMessage& message) override {
        if (message.kind == RunMessage::Kind::ErrorReport || message.kind == RunMessage::Kind::CardMissing)
            m_plan.error = message.error;
        if (message.kind == RunMessage::Kind::CardMissing)
            m_plan.error = Status::error(ErrorCode::DeviceUnavailable, pathToUtf8(m_cardRoot),
                                         "the card does not answer");
    }
    bool askCancel(int, int) override { return false; }
    void processEvents() override {}
    void beep() override {}

    void start(const fs::path& cardRoot) {
        m_cardRoot = cardRoot;
        for (std::size_t i = 0; i < m_list.size(); ++i) {
            const ListRow& row = m_list.row(i);
            if (row.isSong() && row.marked) {
                PlannedSong& song = m_songs[i];
                song.row = i;
                song.index = row.index;
                song.name = row.text;
            }
        }
    }

    // The songs in list order; those the run did not reach get the reason of its stop.
    std::vector<PlannedSong> songs(RunOutcome end) {
        std::vector<PlannedSong> out;
        for (auto& [row, song] : m_songs) {
            if (song.fate == PlannedSong::Fate::NotReached || row == m_failedRow) {
                if (end == RunOutcome::OutputFull && row >= m_failedRow.value_or(0))
                    song.fate = PlannedSong::Fate::NoRoom;
                else if (end == RunOutcome::FoldersUsedUp)
                    song.fate = PlannedSong::Fate::NoFolder;
                else if (row == m_failedRow)
                    song.fate = PlannedSong::Fate::Failed;
            }
            out.push_back(std::move(song));
        }
        return out;
    }

private:
    const WorkingList& m_list;
    PlanLedger& m_ledger;
    TransferPlan& m_plan;
    fs::path m_cardRoot;
    std::map<std::size_t, PlannedSong> m_songs;
    std::optional<std::size_t> m_failedRow;
};

} // namespace

TransferPlan planTransfer(FileSystem& fs, const WorkingList& list, const TransferSetup& setup,
                          const BackupDirectory& backup) {
    TransferPlan plan;
    WorkingList copy = list;
    copy.setObserver(nullptr);
    PlanLedger ledger;
    PlanRecorder recorder(copy, ledger, plan);
    recorder.start(setup.cardRoot);

    TransferRun run(fs, copy, recorder);
    const RunResult result = run.run(setup, backup, std::make_unique<PlanOutput>(fs, setup, ledger));
    plan.end = result.outcome;
    if (!result.error.isOk())
        plan.error = result.error;
    plan.songs = recorder.songs(result.outcome);
    plan.capacity = ledger.capacity;
    plan.charged = ledger.charged;

    if (ledger.finalInfo) {
        std::map<int, std::size_t> songsIn;
        for (const PlannedSong& song : plan.songs)
            if (song.fate == PlannedSong::Fate::Transferred)
                ++songsIn[song.folder];
        for (const InfoFolder& folder : ledger.finalInfo->folders) {
            PlannedFolder f;
            f.number = folder.number;
            f.title = folder.title;
            f.existing = folder.number <= ledger.highestInUse;
            f.songs = f.existing ? folder.songs.size() : songsIn[folder.number];
            plan.folders.push_back(std::move(f));
        }
    }
    return plan;
}

} // namespace lw
