// Reading a restore file (see RestoreFormat.h): entry by entry, without holding the data
// in memory, and a whole-file check of its structure.
#pragma once

#include "card/InfoFile.h"
#include "card/RestoreFormat.h"
#include "platform/FileSystem.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lw {

// A malformed file is an ErrorCode::Corrupt Status for the path whose reason starts with
// "at byte N: " and says what is wrong: a bad header (N = the first wrong byte), an entry
// head cut short by the end of the file (N = the head), an empty name or a name field
// without a closing 0x00 (N = the head), an entry whose data runs past the end of the file
// (N = its length field). After any error every later call returns the same error.
class RestoreFileReader {
public:
    // Reads the open file from its current position, which must be its start; the file's
    // size is the one it had when it was opened.
    RestoreFileReader(InputFile& in, std::string path);

    // Checks the header.
    Status readHeader();
    // The next entry's head; false at the clean end of the file. After it, call
    // readData or skipData before the next call (InvalidArgument otherwise).
    Result<bool> next(RestoreEntry& entry);
    // Streams the current entry's data to a sink, chunk by chunk, through `buffer`.
    Status readData(std::span<std::uint8_t> buffer,
                    const std::function<Status(std::span<const std::uint8_t>)>& sink);
    // Goes past the current entry's data without reading it.
    Status skipData();

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

// What a restore file holds, every part of it checked.
struct RestoreContents {
    std::vector<RestoreEntry> entries;
    std::vector<std::vector<std::string>> parts; // each entry's place below the card root
    DecodedInfoFile info;                        // the last entry, decoded
};

// Checks a whole restore file as a card would receive it, reading its heads and its
// information file but skipping the song data: the structure as the reader checks it;
// every entry name as a place on a card (cardPathParts); no two entries of one name and
// no entry where another one needs a folder (letter case ignored, as on a card); the last
// entry an information file that decodes. The first fault is a Corrupt Status whose reason
// starts with "at byte N: ". The file is left positioned at its end.
Result<RestoreContents> readRestoreContents(InputFile& in, const std::string& path);

} // namespace lw
