// The card in a card reader as a transfer's output: the old PRIVATE folder is replaced
// by PRIVATE\TECHNICS\KN7000, song folders and files are made below it, and the
// information file KN7000MN.INF is written in place at the end.
//
// The information file is made at its full length as soon as the KN7000 folder exists,
// holding an empty list: its room on the card is taken before any song, and a run that
// is killed leaves a card that the keyboard reads (with no songs listed). Room for a song
// file is judged in whole allocation units of the card's file system, and a card that
// fills up during a copy is a full card, not an error.
#pragma once

#include "card/TransferOutput.h"

#include <filesystem>
#include <memory>

namespace lw {

class CardOutput : public TransferOutput {
public:
    // buffer: reused for every copy that the system cannot make by itself.
    CardOutput(FileSystem& fs, std::filesystem::path cardRoot, std::span<std::uint8_t> buffer);
    ~CardOutput() override;

    Status check(const BackupDirectory& backup) override;
    Status claim(const BackupDirectory& backup) override;
    Status prepare() override;
    Status openFolder(int number) override;
    SongFileResult putSongFile(InputFile& source, const std::string& sourcePath,
                               const std::string& fileName) override;
    void dropSong(const std::string& fileBase) override;
    Status finish(std::span<const std::uint8_t> info) override;
    void abandon() override;
    bool isOnCard(const std::string& path) const override;
    bool isCard() const override { return true; }

private:
    FileSystem& m_fs;
    std::filesystem::path m_root;
    std::span<std::uint8_t> m_buffer;
    std::unique_ptr<OutputLock> m_lock;
    std::filesystem::path m_kn7000;
    std::filesystem::path m_folder; // the open song folder
    std::unique_ptr<OutputFile> m_inf;
    std::uint64_t m_unit = 1;
};

} // namespace lw
