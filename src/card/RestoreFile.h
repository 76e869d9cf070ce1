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

#include "platform/FileSystem.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
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

// Appends entries to an open restore file. The writer owns the output file.
class RestoreFileWriter {
public:
    explicit RestoreFileWriter(std::unique_ptr<OutputFile> out);

    // The 16-byte header; written once, first.
    Status writeHeader();

    // An entry whose data is given whole (the information file).
    Status appendEntry(std::string_view name, std::span<const std::uint8_t> data);

    // An entry whose data is the first `length` bytes of a source file, streamed through
    // `buffer` (reused by the caller for every file). A source that ends early or cannot
    // be read is an error naming the source path.
    Status appendFileEntry(std::string_view name, InputFile& source, const std::string& sourcePath,
                           std::uint32_t length, std::span<std::uint8_t> buffer);

    // Flushes and closes the file.
    Status close();

private:
    Status writeHead(std::string_view name, std::uint32_t length);
    std::unique_ptr<OutputFile> m_out;
};

// The 128-byte head of an entry (name must be shorter than 100 bytes).
std::array<std::uint8_t, kRestoreEntryHeadSize> restoreEntryHead(std::string_view name, std::uint32_t length);

struct RestoreEntry {
    std::string name;           // Windows-1252 bytes up to the first NUL of the name field
    std::uint64_t headOffset = 0; // where its head starts in the file
    std::uint64_t dataOffset = 0;
    std::uint32_t length = 0;
};

// Reads a restore file entry by entry, without holding the data in memory.
class RestoreFileReader {
public:
    // fileSize: the whole file's length, so that entries running past the end are found.
    RestoreFileReader(InputFile& in, std::uint64_t fileSize, std::string path);

    // Checks the header.
    Status readHeader();
    // The next entry's head; false at the clean end of the file. After it, call
    // readData or skipData before the next call.
    Result<bool> next(RestoreEntry& entry);
    // Streams the current entry's data to a sink, chunk by chunk, through `buffer`.
    Status readData(std::span<std::uint8_t> buffer, const std::function<Status(std::span<const std::uint8_t>)>& sink);
    Status skipData(std::span<std::uint8_t> buffer);

private:
    InputFile& m_in;
    std::uint64_t m_size;
    std::string m_path;
    std::uint64_t m_pos = 0;
    std::uint64_t m_pendingData = 0;
};

// Parses a whole restore file held in memory: every entry, checked as the reader checks
// them; also that the last entry is a 54816-byte information file. For inspect and tests.
Result<std::vector<RestoreEntry>> parseRestoreFile(std::span<const std::uint8_t> bytes, const std::string& path);

} // namespace lw
