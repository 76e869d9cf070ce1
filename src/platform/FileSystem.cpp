// What every file system shares: the buffered append behind OutputFile::appendFrom, and
// whole-file reads and writes built on the interface.
#include "platform/FileSystem.h"

#include <algorithm>

namespace lw {

AppendOutcome OutputFile::appendFrom(InputFile& source, std::uint64_t length,
                                     std::span<std::uint8_t> buffer) {
    AppendOutcome outcome;
    while (outcome.appended < length && !buffer.empty()) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - outcome.appended));
        auto n = source.read(buffer.first(want));
        if (!n) {
            outcome.readError = n.status();
            break;
        }
        if (*n == 0)
            break;
        const std::size_t got = std::min(*n, want);
        if (Status s = write(buffer.first(got)); !s) {
            outcome.writeError = s;
            break;
        }
        outcome.appended += got;
    }
    return outcome;
}

Result<std::vector<std::uint8_t>> readFilePrefix(FileSystem& fs, const std::filesystem::path& path,
                                                 std::size_t maxBytes) {
    auto file = fs.openRead(path);
    if (!file)
        return file.status();
    std::vector<std::uint8_t> data(
        static_cast<std::size_t>(std::min<std::uint64_t>((*file)->size(), maxBytes)));
    std::size_t filled = 0;
    for (;;) {
        if (filled == data.size()) {
            // The file may have grown since it was opened: read on up to maxBytes.
            if (data.size() >= maxBytes)
                break;
            data.resize(std::min(maxBytes, std::max<std::size_t>(data.size() * 2, 4096)));
        }
        auto n = (*file)->read(std::span(data).subspan(filled));
        if (!n)
            return n.status();
        if (*n == 0)
            break;
        filled += *n;
    }
    data.resize(filled);
    return data;
}

Status writeWholeFile(FileSystem& fs, const std::filesystem::path& path, std::span<const std::uint8_t> data) {
    auto file = fs.openWrite(path);
    if (!file)
        return file.status();
    if (Status s = (*file)->write(data); !s)
        return s;
    return (*file)->close();
}

Status appendExactly(OutputFile& out, InputFile& source, const std::string& sourcePath, std::uint64_t length,
                     std::span<std::uint8_t> buffer) {
    const AppendOutcome outcome = out.appendFrom(source, length, buffer);
    if (!outcome.writeError.isOk())
        return outcome.writeError;
    if (!outcome.readError.isOk())
        return outcome.readError;
    if (outcome.appended < length)
        return Status::error(ErrorCode::IoError, sourcePath,
                             "the file ended after " + std::to_string(outcome.appended) + " of its " +
                                 std::to_string(length) + " bytes");
    return Status::ok();
}

} // namespace lw
