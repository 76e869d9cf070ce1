// Appends entries to a restore file (see RestoreFormat.h for its layout).
#pragma once

#include "card/RestoreFormat.h"
#include "platform/FileSystem.h"

#include <span>
#include <string>
#include <string_view>

namespace lw {

// Writes to an output file that its caller owns. Each entry is checked before a byte of
// it is written; once a write to the output has failed, the file's end is unknown, so
// every later call returns that failure again instead of appending after a gap.
class RestoreFileWriter {
public:
    // path: the restore file, named in the writer's own errors.
    RestoreFileWriter(OutputFile& out, std::string path);

    // The 16-byte header; written once, first.
    Status writeHeader();

    // An entry whose data is given whole (the information file). The name must be 1 to 99
    // bytes without 0x00, the data at most 0xFFFFFFFF bytes; otherwise InvalidArgument and
    // nothing is written.
    Status appendEntry(std::string_view name, std::span<const std::uint8_t> data);

    // An entry whose data is the first `length` bytes of a source file, streamed through
    // `buffer` (reused by the caller for every file; at least 64 KiB). A source that ends
    // early or cannot be read is an error naming the source path. When that happens before
    // the first data byte, nothing is written. When it happens later, the head has already
    // promised `length` bytes: the rest of the entry is filled with 0x00 so that the file
    // stays readable entry by entry, and the source's error is still returned, so the
    // caller stops and does not list the song in the information file. A failure to write
    // names the restore file.
    Status appendFileEntry(std::string_view name, InputFile& source, const std::string& sourcePath,
                           std::uint32_t length, std::span<std::uint8_t> buffer);

    // The failure that made the file unusable, if any.
    const Status& failure() const { return m_failed; }

private:
    Status write(std::span<const std::uint8_t> bytes);
    Status usable() const;
    OutputFile& m_out;
    std::string m_path;
    Status m_failed;
    bool m_headerWritten = false;
};

} // namespace lw
