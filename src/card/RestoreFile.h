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
#include <optional>
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

// Appends entries to an open restore file. The writer owns the output file. Each entry
// is checked before a byte of it is written; once a write to the output has failed, the
// file's end is unknown, so every later call returns that failure again instead of
// appending after a gap.
class RestoreFileWriter {
public:
    // path: the restore file, named in the writer's own errors.
    explicit RestoreFileWriter(std::unique_ptr<OutputFile> out, std::string path = {});

    // The 16-byte header; written once, first.
    Status writeHeader();

    // An entry whose data is given whole (the information file). The name must be 1 to 99
    // bytes without 0x00, the data at most 0xFFFFFFFF bytes; otherwise InvalidArgument and
    // nothing is written.
    Status appendEntry(std::string_view name, std::span<const std::uint8_t> data);

    // An entry whose data is the first `length` bytes of a source file, streamed through
    // `buffer` (reused by the caller for every file; never empty). A source that ends early
    // or cannot be read is an error naming the source path. When that happens before the
    // first data byte, nothing is written. When it happens later, the head has already
    // promised `length` bytes: the rest of the entry is filled with 0x00 so that the file
    // stays readable entry by entry, and the error is still returned, so the caller stops
    // and does not list the song in the information file.
    Status appendFileEntry(std::string_view name, InputFile& source, const std::string& sourcePath,
                           std::uint32_t length, std::span<std::uint8_t> buffer);

    // Flushes and closes the file.
    Status close();

    // Bytes handed to the output so far.
    std::uint64_t bytesWritten() const { return m_written; }

private:
    Status writeHead(std::string_view name, std::uint32_t length);
    Status write(std::span<const std::uint8_t> bytes);
    Status usable() const;
    std::unique_ptr<OutputFile> m_out;
    std::string m_path;
    Status m_failed;
    bool m_headerWritten = false;
    std::uint64_t m_written = 0;
};

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

// Reads a restore file entry by entry, without holding the data in memory.
//
// A malformed file is an ErrorCode::Corrupt Status for the path whose reason starts with
// "at byte N: " and says what is wrong: a bad header (N = the first wrong byte), an entry
// head cut short by the end of the file (N = the head), an empty name or a name field
// without a closing 0x00 (N = the head), an entry whose data runs past the end of the file
// (N = its length field). After any error every later call returns the same error.
class RestoreFileReader {
public:
    // fileSize: the whole file's length, so that entries running past the end are found.
    RestoreFileReader(InputFile& in, std::uint64_t fileSize, std::string path);

    // Checks the header.
    Status readHeader();
    // The next entry's head; false at the clean end of the file. After it, call
    // readData or skipData before the next call (InvalidArgument otherwise).
    Result<bool> next(RestoreEntry& entry);
    // Streams the current entry's data to a sink, chunk by chunk, through `buffer`.
    Status readData(std::span<std::uint8_t> buffer,
                    const std::function<Status(std::span<const std::uint8_t>)>& sink);
    Status skipData(std::span<std::uint8_t> buffer);

    // After next() has returned false: whether the last entry is the 54816-byte information
    // file "\PRIVATE\TECHNICS\KN7000\KN7000MN.INF" (Corrupt, with the offset, if not).
    Status checkLastEntryIsInfoFile() const;

private:
    Status readExact(std::span<std::uint8_t> bytes);
    Status fail(Status status);
    InputFile& m_in;
    std::uint64_t m_size;
    std::string m_path;
    std::uint64_t m_pos = 0;
    std::uint64_t m_pendingData = 0;
    bool m_headerRead = false;
    bool m_atEnd = false;
    std::optional<RestoreEntry> m_last;
    Status m_failed;
};

// Parses a whole restore file held in memory: every entry, checked as the reader checks
// them; also that the last entry is a 54816-byte information file. For inspect and tests.
Result<std::vector<RestoreEntry>> parseRestoreFile(std::span<const std::uint8_t> bytes,
                                                   const std::string& path);

} // namespace lw
