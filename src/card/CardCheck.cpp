#include "card/CardCheck.h"

#include "card/CardLayout.h"
#include "platform/Path.h"

#include <algorithm>
#include <map>
#include <string>

namespace lw {

namespace fs = std::filesystem;

namespace {

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The folder's entries by their upper-case name.
std::map<std::string, DirectoryEntry> foldedListing(FileSystem& fs, const fs::path& dir) {
    std::map<std::string, DirectoryEntry> out;
    if (auto entries = fs.listDirectory(dir))
        for (auto& e : *entries)
            out.emplace(upperAscii(e.name), std::move(e));
    return out;
}

// TFLD001 .. TFLD099 -> 1 .. 99; 0 for any other name.
int songFolderNumber(const std::string& upperName) {
    for (int n = 1; n <= kMaxSongFolders; ++n)
        if (upperName == songFolderName(n))
            return n;
    return 0;
}

} // namespace

std::optional<fs::path> findKn7000Folder(FileSystem& fs, const fs::path& cardRoot) {
    fs::path folder = cardRoot;
    for (std::string_view part : kKn7000FolderParts) {
        const auto listing = foldedListing(fs, folder);
        const auto it = listing.find(std::string(part));
        if (it == listing.end() || !it->second.isDirectory)
            return std::nullopt;
        folder /= pathFromUtf8(it->second.name);
    }
    return folder;
}

Result<DecodedInfoFile> readInfoFile(FileSystem& fs, const fs::path& path) {
    auto bytes = readFilePrefix(fs, path, kInfSize + 1);
    if (!bytes)
        return bytes.status();
    return decodeInfoFile(*bytes, pathToUtf8(path));
}

int CardCheck::songCount() const {
    int songs = 0;
    if (info)
        for (const auto& folder : info->folders)
            songs += static_cast<int>(folder.songs.size());
    return songs;
}

int CardCheck::highestFolderInUse() const {
    int highest = songFolders.empty() ? 0 : *songFolders.rbegin();
    if (info)
        for (const auto& folder : info->folders)
            highest = std::max(highest, folder.number);
    return highest;
}

CardCheck checkCard(FileSystem& fs, const fs::path& cardRoot) {
    CardCheck check;
    check.kn7000 = findKn7000Folder(fs, cardRoot);
    const fs::path kn7000 = check.kn7000 ? *check.kn7000 : kn7000Path(cardRoot);
    const auto top = check.kn7000 ? foldedListing(fs, kn7000) : std::map<std::string, DirectoryEntry>{};
    const auto inf = top.find(std::string(kInfFileName));
    check.infPath = kn7000 / (inf == top.end() ? std::string(kInfFileName) : inf->second.name);
    if (inf == top.end()) {
        check.infoError =
            Status::error(ErrorCode::NotFound, pathToUtf8(check.infPath), "the card has no information file");
        return check;
    }
    auto bytes = readFilePrefix(fs, check.infPath, kInfSize + 1);
    if (!bytes) {
        check.infoError = bytes.status();
        return check;
    }
    auto decoded = decodeInfoFile(*bytes, pathToUtf8(check.infPath));
    if (!decoded) {
        check.infoError = decoded.status();
        return check;
    }
    check.info = std::move(*decoded);
    check.infBytes = std::move(*bytes);

    // Every file type an entry lists must be on the card; every song file must be listed.
    std::map<int, std::set<std::string>> expected; // folder number -> upper-case file names
    for (const auto& folder : check.info->folders)
        for (const auto& s : folder.songs) {
            const std::string base = upperAscii(songFileBase(s.slot, s.sixChar));
            for (auto t : firstGroupTypes(s.firstMask))
                expected[folder.number].insert(base + std::string(t));
            for (auto t : secondGroupTypes(s.secondMask))
                expected[folder.number].insert(base + std::string(t));
        }
    std::map<int, fs::path> folders;
    for (const auto& [upper, entry] : top)
        if (const int n = songFolderNumber(upper); n && entry.isDirectory) {
            folders[n] = kn7000 / pathFromUtf8(entry.name);
            check.songFolders.insert(n);
        }
    for (const auto& [number, files] : expected) {
        const auto folder = folders.find(number);
        const auto present = folder != folders.end() ? foldedListing(fs, folder->second)
                                                     : std::map<std::string, DirectoryEntry>{};
        for (const auto& file : files)
            if (!present.count(file))
                check.mismatches.push_back(
                    Status::error(ErrorCode::Corrupt, pathToUtf8(kn7000 / songFolderName(number) / file),
                                  "listed in the information file but missing on the card"));
    }
    for (const auto& [number, path] : folders)
        for (const auto& [upper, entry] : foldedListing(fs, path))
            if (!expected[number].count(upper))
                check.mismatches.push_back(
                    Status::error(ErrorCode::Corrupt, pathToUtf8(path / pathFromUtf8(entry.name)),
                                  "a song file that no entry of the information file lists"));
    return check;
}

} // namespace lw
