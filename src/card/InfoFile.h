// KN7000MN.INF, the card's information file: a fixed block of 54816 bytes that names
// every song folder (99 records of 496 bytes) and every song in it (20 entries of 24
// bytes a folder: name, six-character name, and a bit mask per file group). It is built
// in memory during a transfer and written once, at the end.
//
// Layout (offsets in bytes):
//      0    16  "KN7000 SDDIR INF"
//     16 49104  99 folder records; record f (0..98) describes song folder f + 1
//  49120   120  0xFF
//  49240  1362  0x00
//  50602  4212  0xFF
//  54814     2  0x00
// Folder record: 16 bytes title, then 20 song entries of 24 bytes (slot s at 16 + 24 s).
// Song entry: 16 bytes name, 6 bytes six-character name, first-group mask, second-group mask.
#pragma once

#include "platform/Status.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

inline constexpr std::size_t kInfSize = 54816;
inline constexpr std::string_view kInfMagic = "KN7000 SDDIR INF";
inline constexpr std::size_t kInfHeaderSize = 16;
inline constexpr std::size_t kInfFolderCount = 99;
inline constexpr std::size_t kInfFolderRecordSize = 496;
inline constexpr std::size_t kInfTitleSize = 16;
inline constexpr std::size_t kInfSongEntrySize = 24;
inline constexpr std::size_t kInfSongsPerFolder = 20;
inline constexpr std::size_t kInfSongNameSize = 16;
inline constexpr std::size_t kInfSixCharOffset = 16;
inline constexpr std::size_t kInfMask1Offset = 22;
inline constexpr std::size_t kInfMask2Offset = 23;
inline constexpr std::size_t kInfTrailerOffset =
    kInfHeaderSize + kInfFolderCount * kInfFolderRecordSize; // 49120

static_assert(kInfTitleSize + kInfSongsPerFolder * kInfSongEntrySize == kInfFolderRecordSize);
static_assert(kInfTrailerOffset == 49120);
static_assert(kInfTrailerOffset + 120 + 1362 + 4212 + 2 == kInfSize);

// The four constant areas after the folder records, which nothing ever changes.
struct InfConstantArea {
    std::size_t offset;
    std::size_t size;
    std::uint8_t value;
};
inline constexpr std::array<InfConstantArea, 4> kInfConstantAreas = {{
    {kInfTrailerOffset, 120, 0xFF},
    {49240, 1362, 0x00},
    {50602, 4212, 0xFF},
    {54814, 2, 0x00},
}};
static_assert(kInfConstantAreas[0].offset + kInfConstantAreas[0].size == kInfConstantAreas[1].offset);
static_assert(kInfConstantAreas[1].offset + kInfConstantAreas[1].size == kInfConstantAreas[2].offset);
static_assert(kInfConstantAreas[2].offset + kInfConstantAreas[2].size == kInfConstantAreas[3].offset);
static_assert(kInfConstantAreas[3].offset + kInfConstantAreas[3].size == kInfSize);
static_assert(kInfSixCharOffset == kInfSongNameSize && kInfMask1Offset == kInfSixCharOffset + 6 &&
              kInfMask2Offset + 1 == kInfSongEntrySize);

class InfoFile {
public:
    // A fresh buffer: the header, empty records and the constant trailer areas.
    InfoFile();
    // The buffer of an information file that a card holds, to be added to. Corrupt (as
    // decodeInfoFile says it) when the bytes are no information file.
    static Result<InfoFile> fromBytes(std::span<const std::uint8_t> bytes, const std::string& path = {});

    // Whether folder number n (1..99) has anything in its record.
    bool folderInUse(int folderNumber) const;

    // Writes the title's first 16 bytes (Windows-1252) at the start of folder record
    // folderNumber - 1 (folderNumber 1..99); the rest of the 16-byte field is 0x00. A folder
    // number outside 1..99 is InvalidArgument and changes nothing.
    Status setFolderTitle(int folderNumber, std::string_view title);

    // Fills the entry of a slot (0..19) in a folder (1..99): the name's first 16 bytes (the
    // rest of the field 0x00), the six-character name, and the two file-group masks.
    // InvalidArgument, changing nothing, for a folder or slot out of range, a six-character
    // name that is not 6 bytes long, a mask with a bit its group does not have
    // (kFirstGroupMaskBits, kSecondGroupMaskBits), or two empty masks (a filled entry
    // always names at least one file).
    Status setSongEntry(int folderNumber, int slot, std::string_view name, std::string_view sixChar,
                        std::uint8_t firstMask, std::uint8_t secondMask);

    std::span<const std::uint8_t> content() const { return m_bytes; }

private:
    explicit InfoFile(std::span<const std::uint8_t> bytes);
    std::array<std::uint8_t, kInfSize> m_bytes;
};

// What an information file says, for inspecting a card or a restore file.
struct InfoSong {
    int slot = 0;        // 0..19
    std::string name;    // Windows-1252 bytes up to the first NUL
    std::string sixChar; // the six bytes as stored
    std::uint8_t firstMask = 0;
    std::uint8_t secondMask = 0;
};

struct InfoFolder {
    int number = 0;    // 1..99 (TFLD number)
    std::string title; // Windows-1252 bytes up to the first NUL
    std::vector<InfoSong> songs;
};

struct DecodedInfoFile {
    std::vector<InfoFolder> folders; // folders whose record is not all 0x00, in number order
};

// Checks the length, the header and the constant areas, and decodes the records. A
// malformed file is an ErrorCode::Corrupt Status for `path` whose reason starts with
// "at byte N: " (the first wrong byte) and says what is wrong. The song entries' contents
// are not judged: masks with unknown bits or a name without masks are decoded as stored.
Result<DecodedInfoFile> decodeInfoFile(std::span<const std::uint8_t> bytes, const std::string& path = {});

// The extensions a mask stands for, in group order (".SQT", ".EFC").
std::vector<std::string_view> firstGroupTypes(std::uint8_t mask);
std::vector<std::string_view> secondGroupTypes(std::uint8_t mask);

} // namespace lw
