// Restore.sdb: everything a card would receive, packed into one file for the Song
// Manager's restore function. A plain byte stream without padding, count or trailer:
//
//   0   15  "SDBACKUP FILE01"
//  15    1  0x00
//  16  ...  entries, one after the other, to the end of the file
//
// Entry: a 128-byte head, then the data. Head: 100 bytes name (card-relative path with
// backslashes, "\PRIVATE\TECHNICS\KN7000\TFLD001\0100101_.SQT", then 0x00 to the end of
// the field), 4 bytes data length (unsigned, little-endian), 24 bytes 0x00.
// The last entry is the information file "\PRIVATE\TECHNICS\KN7000\KN7000MN.INF".
#pragma once

#include "platform/Status.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

inline constexpr std::string_view kRestoreMagic = "SDBACKUP FILE01";
inline constexpr std::size_t kRestoreHeaderSize = 16;
inline constexpr std::size_t kRestoreEntryHeadSize = 128;
inline constexpr std::size_t kRestoreNameSize = 100;
inline constexpr std::size_t kRestoreLengthOffset = 100;
static_assert(kRestoreMagic.size() + 1 == kRestoreHeaderSize);
static_assert(kRestoreLengthOffset + 4 + 24 == kRestoreEntryHeadSize);

// The 16 header bytes: the magic text and one 0x00 byte.
std::array<std::uint8_t, kRestoreHeaderSize> restoreHeader();

// The 128-byte head of an entry. InvalidArgument for a name that is empty, holds a 0x00
// byte or is 100 bytes or longer (the field must end in at least one 0x00; a name is never
// cut short silently).
Result<std::array<std::uint8_t, kRestoreEntryHeadSize>> restoreEntryHead(std::string_view name,
                                                                         std::uint32_t length);

struct RestoreEntry {
    std::string name;             // Windows-1252 bytes up to the first NUL of the name field
    std::uint64_t headOffset = 0; // where its head starts in the file
    std::uint64_t dataOffset = 0;
    std::uint32_t length = 0;
};

// The parts of an entry name below the card root ("\PRIVATE\X.SQT" -> PRIVATE, X.SQT), or
// the reason why the name has no safe place on a card: it must start with "\"; no part may
// be empty, "." or "..", hold a control character or one of / : * ? " < > |, end in a dot
// or a blank, or be a name that Windows keeps for a device (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9, with any extension). Such a name could leave the card's folder or
// write to a device where the card is read on Windows.
Result<std::vector<std::string>> cardPathParts(std::string_view name);

} // namespace lw
