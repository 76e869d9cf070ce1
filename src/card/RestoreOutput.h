// A restore file as a transfer's output: every song file becomes an entry, and the
// information file the last one. Nothing is written to a card; the card's room is
// simulated (a card of the chosen capacity and cluster size).
//
// The file is written under a temporary name beside its final name and takes the final
// name only when the run has finished (a stopped run included), so that the final name
// always holds an earlier complete file or the new complete one.
#pragma once

#include "card/CardRoom.h"
#include "card/RestoreFileWriter.h"
#include "card/TransferOutput.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace lw {

// The folder a restore file is written in: its parent, or the current folder for a bare name.
std::filesystem::path restoreFolderOf(const std::filesystem::path& file);

class RestoreOutput : public TransferOutput {
public:
    // file: the restore file. ownFolder: its folder is the program's RestorSDB, made when
    // missing and holding only the restore file afterwards. capacity and cluster: the
    // simulated card, in bytes.
    RestoreOutput(FileSystem& fs, std::filesystem::path file, bool ownFolder, std::int64_t capacity,
                  std::int64_t cluster, std::span<std::uint8_t> buffer);
    ~RestoreOutput() override;

    Status check(const BackupDirectory& backup) override;
    Status claim(const BackupDirectory& backup) override;
    Status prepare() override;
    Status openFolder(int number) override;
    SongFileResult putSongFile(InputFile& source, const std::string& sourcePath,
                               const std::string& fileName) override;
    void dropSong(const std::string&) override {}
    Status finish(std::span<const std::uint8_t> info) override;
    void abandon() override;
    bool isOnCard(const std::string&) const override { return false; }
    bool isCard() const override { return false; }

private:
    FileSystem& m_fs;
    std::filesystem::path m_file;
    bool m_ownFolder;

    SimulatedCard m_card;
    std::span<std::uint8_t> m_buffer;
    std::unique_ptr<OutputLock> m_lock;
    std::unique_ptr<StagedFile> m_staged;
    std::optional<RestoreFileWriter> m_writer;
    std::string m_folderText; // "\PRIVATE\TECHNICS\KN7000\TFLD001"
};

} // namespace lw
