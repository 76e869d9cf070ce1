// The card in a card reader as a transfer's output: the old PRIVATE folder is replaced
// by PRIVATE\TECHNICS\KN7000, song folders and files are made below it, and the
// information file KN7000MN.INF is written in place at the end.
//
// Or the songs are added to what the card holds: nothing on the card is deleted or
// rewritten, the new songs go into folders numbered after the highest one in use, and the
// information file, holding the old and the new songs, replaces the old one only once it
// is complete (written under a temporary name, then renamed). The card must agree with its
// information file before anything is added; a card without PRIVATE\TECHNICS\KN7000 holds
// no songs.
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
#include <vector>

namespace lw {

class CardOutput : public TransferOutput {
public:
    // buffer: reused for every copy that the system cannot make by itself.
    CardOutput(FileSystem& fs, std::filesystem::path cardRoot, bool add, std::span<std::uint8_t> buffer);
    ~CardOutput() override;

    Status check(const BackupDirectory& backup) override;
    Status claim(const BackupDirectory& backup) override;
    Status prepare() override;
    Status openFolder(int number) override;
    SongFileResult putSongFile(InputFile& source, const std::string& sourcePath,
                               const std::string& fileName) override;
    void dropSong(const std::string& fileBase) override;
    InfoFile startingInfo() const override;
    int highestFolderInUse() const override { return m_highestInUse; }
    Status finish(std::span<const std::uint8_t> info) override;
    void abandon() override;
    bool isOnCard(const std::string& path) const override;
    bool isCard() const override { return true; }

private:
    Status checkForAdding();

    FileSystem& m_fs;
    std::filesystem::path m_root;
    bool m_add;
    std::span<std::uint8_t> m_buffer;
    std::vector<std::uint8_t> m_existingInfo; // add: the card's information file
    int m_highestInUse = 0;                   // add: the highest folder number in use
    std::unique_ptr<OutputLock> m_lock;
    std::filesystem::path m_kn7000;
    std::filesystem::path m_folder; // the open song folder
    std::unique_ptr<OutputFile> m_inf;
    std::uint64_t m_unit = 1;
    std::uint64_t m_reserve = 0; // bytes kept free for the information file written at the end
};

} // namespace lw
