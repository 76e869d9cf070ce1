// The KN7000's card layout: below the card root, PRIVATE\TECHNICS\KN7000 holds up to 99
// song folders TFLD001 to TFLD099 of up to 20 songs each, and the information file
// KN7000MN.INF. A song's files are named by its slot (two digits, "01" to "20"), its
// six-character name (the backup's file number cut or filled with "_" to six
// characters) and a type extension: 0300101_.SQT is slot 2 of file number 00101.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace lw {

inline constexpr int kMaxSongFolders = 99;
inline constexpr int kSlotsPerFolder = 20;
inline constexpr std::size_t kSixCharNameLength = 6;

// The folders from the card root to the songs, in the order they are made. The first is
// the card's PRIVATE folder, which a transfer replaces.
inline constexpr std::array<std::string_view, 3> kKn7000FolderParts = {"PRIVATE", "TECHNICS", "KN7000"};
inline constexpr std::string_view kPrivateFolder = kKn7000FolderParts[0];
inline constexpr std::string_view kKn7000Folder =
    "PRIVATE\\TECHNICS\\KN7000"; // card-relative, as in restore files
inline constexpr std::string_view kInfFileName = "KN7000MN.INF";
// The information file's name in a restore file: card-relative, with a leading "\".
inline constexpr std::string_view kInfEntryName = "\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INF";

// One song file type: its extension as appended to the base names, and its bit in the
// information file's mask of its group.
struct SongFileType {
    std::string_view extension;
    std::uint8_t bit;
};

// The first group, in transfer order.
inline constexpr std::array<SongFileType, 7> kFirstGroup = {
    {{".LSW", 1}, {".PMT", 2}, {".SQT", 4}, {".CMP", 8}, {".TM", 16}, {".MSP", 32}, {".EFC", 64}}};
// The second group starts at bit value 4; its values 1 and 2 are never set.
inline constexpr std::array<SongFileType, 4> kSecondGroup = {
    {{".AST", 4}, {".SQF", 8}, {".SEQ", 16}, {".ACT", 32}}};

// Every bit that a mask of a group can hold: 0x7F for the first group, 0x3C for the second.
inline constexpr std::uint8_t kFirstGroupMaskBits = 0x7F;
inline constexpr std::uint8_t kSecondGroupMaskBits = 0x3C;
template <std::size_t N>
constexpr std::uint8_t maskBitsOf(const std::array<SongFileType, N>& group) {
    std::uint8_t bits = 0;
    for (const auto& type : group)
        bits = static_cast<std::uint8_t>(bits | type.bit);
    return bits;
}
static_assert(maskBitsOf(kFirstGroup) == kFirstGroupMaskBits);
static_assert(maskBitsOf(kSecondGroup) == kSecondGroupMaskBits);

// The KN7000 folder below a card root: root/PRIVATE/TECHNICS/KN7000.
std::filesystem::path kn7000Path(const std::filesystem::path& cardRoot);

// "00101" -> "00101_", "0312" -> "0312__"; a longer text keeps its first six characters.
std::string sixCharName(std::string_view index);

// "TFLD" and the folder number in three digits: 1 -> "TFLD001".
std::string songFolderName(int folderNumber);

// The title of a folder in the sequential order: "Direktory 01" for the first folder
// (spelled with k, as the keyboard software always has), "Directory 02" ... "Directory 99".
std::string sequentialFolderTitle(int folderNumber);

// The file name of a song without its extension: slot + 1 in two digits and the
// six-character name (slot 0 .. 19).
std::string songFileBase(int slot, std::string_view sixChar);

// The slot of a row in the structure-keeping order: the leading number of its number
// column minus 1 ("03" -> 2, "3a" -> 2; leading blanks are skipped). -1 when the column
// does not start with a number or the number is 0. Large numbers are capped, so the
// result is never above 999999; the caller accepts only slots 0 to 19.
int slotFromNumberColumn(std::string_view number);

// Card-relative path of a song folder, as restore file entry names use it:
// "\PRIVATE\TECHNICS\KN7000\TFLD001".
std::string restoreFolderPath(int folderNumber);

} // namespace lw
