// What a card already holds: its PRIVATE\TECHNICS\KN7000 folder, the information file
// KN7000MN.INF in it, and whether the song files on the card agree with that file. A FAT
// card mounted on Linux may show its names in either letter case, so every name below the
// card root is found without regard to it.
#pragma once

#include "card/InfoFile.h"
#include "platform/FileSystem.h"

#include <filesystem>
#include <optional>
#include <set>
#include <vector>

namespace lw {

// The card's KN7000 folder as spelled on the card, when PRIVATE\TECHNICS\KN7000 exists.
std::optional<std::filesystem::path> findKn7000Folder(FileSystem& fs, const std::filesystem::path& cardRoot);

// Reads and decodes an information file. NotFound when there is none; Corrupt (with the
// byte offset) when it is malformed; the file's own error when it cannot be read.
Result<DecodedInfoFile> readInfoFile(FileSystem& fs, const std::filesystem::path& path);

struct CardCheck {
    std::optional<std::filesystem::path> kn7000; // the KN7000 folder, when the card has one
    std::filesystem::path infPath;               // where the information file is (or would be)
    std::optional<DecodedInfoFile> info;         // the decoded information file
    std::vector<std::uint8_t> infBytes;          // its bytes, when it decoded
    Status infoError;                            // why `info` is empty: NotFound, Corrupt, a read error
    // Each song file that the information file lists but the card lacks, and each song file
    // on the card that no entry lists: the file's path and what is wrong with it.
    std::vector<Status> mismatches;
    std::set<int> songFolders; // numbers of the TFLDnnn folders present on the card

    bool agrees() const { return info.has_value() && mismatches.empty(); }
    int songCount() const;
    int folderCount() const { return info ? static_cast<int>(info->folders.size()) : 0; }
    // The highest folder number in use: its record in the information file is not empty,
    // or its TFLDnnn folder exists. 0 when none is.
    int highestFolderInUse() const;
};

// Looks at the card below cardRoot; changes nothing.
CardCheck checkCard(FileSystem& fs, const std::filesystem::path& cardRoot);

} // namespace lw
