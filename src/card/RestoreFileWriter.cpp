#include "card/RestoreFileWriter.h"

#include "backup/Cp1252.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace lw {

namespace {

// A source is first read this far before anything of its entry is written, so that a
// file that cannot be read at all leaves the restore file as it was.
constexpr std::size_t kProbeSize = 4096;

Status withPath(const Status& status, const std::string& path) {
    if (status.isOk() || !status.path().empty())
        return status;
    return Status::error(status.code(), path, status.reason(), status.systemCode());
}

// A write fault names the restore file, also when the file is still written under its
// temporary name.
Status named(const Status& status, const std::string& path) {
    return Status::error(status.code(), path, status.reason(), status.systemCode());
}

Status invalid(const std::string& path, std::string reason) {
    return Status::error(ErrorCode::InvalidArgument, path, std::move(reason));
}

} // namespace

RestoreFileWriter::RestoreFileWriter(OutputFile& out, std::string path)
    : m_out(out), m_path(std::move(path)) {}

Status RestoreFileWriter::usable() const {
    if (!m_failed.isOk())
        return m_failed;
    if (!m_headerWritten)
        return invalid(m_path, "the restore file's header must be written before its entries");
    return Status::ok();
}

Status RestoreFileWriter::write(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return Status::ok();
    if (Status st = m_out.write(bytes); !st) {
        m_failed = named(st, m_path);
        return m_failed;
    }
    return Status::ok();
}

Status RestoreFileWriter::writeHeader() {
    if (!m_failed.isOk())
        return m_failed;
    if (m_headerWritten)
        return invalid(m_path, "the restore file's header is already written");
    if (Status st = write(restoreHeader()); !st)
        return st;
    m_headerWritten = true;
    return Status::ok();
}

Status RestoreFileWriter::appendEntry(std::string_view name, std::span<const std::uint8_t> data) {
    if (Status st = usable(); !st)
        return st;
    if (data.size() > std::numeric_limits<std::uint32_t>::max())
        return invalid(cp1252ToUtf8(name), "the entry's data of " + std::to_string(data.size()) +
                                               " bytes is too long for a restore file entry");
    auto head = restoreEntryHead(name, static_cast<std::uint32_t>(data.size()));
    if (!head)
        return head.status();
    if (Status st = write(*head); !st)
        return st;
    return write(data);
}

Status RestoreFileWriter::appendFileEntry(std::string_view name, InputFile& source,
                                          const std::string& sourcePath, std::uint32_t length,
                                          std::span<std::uint8_t> buffer) {
    if (Status st = usable(); !st)
        return st;
    if (buffer.size() < kRestoreEntryHeadSize + kProbeSize)
        return invalid(m_path, "the buffer to copy the entry's data through is too small");
    auto head = restoreEntryHead(name, length);
    if (!head)
        return head.status();

    // The head and as much of the data as the buffer holds (a whole song file, as a rule) go
    // out in one write; a longer file's rest is appended in one go, by the system where it
    // can. Nothing is written before the first kProbeSize bytes are read: a file that cannot
    // be read at all leaves the restore file as it was. A source that fails later leaves its
    // entry filled up with 0x00 below, so the file stays readable.
    std::memcpy(buffer.data(), head->data(), head->size());
    const std::size_t probe = std::min<std::size_t>(kProbeSize, length);
    const std::size_t first = std::min<std::size_t>(buffer.size() - kRestoreEntryHeadSize, length);
    const auto endedAfter = [&](std::uint64_t bytes) {
        return Status::error(ErrorCode::IoError, sourcePath,
                             "the file ended after " + std::to_string(bytes) + " of its " +
                                 std::to_string(length) + " bytes");
    };
    std::size_t read = 0;
    Status readFailure;
    while (read < first) {
        auto r = source.read(buffer.subspan(kRestoreEntryHeadSize + read, first - read));
        if (r && *r > 0) {
            read += *r;
            continue;
        }
        readFailure = r ? endedAfter(read) : withPath(r.status(), sourcePath);
        if (read < probe)
            return readFailure;
        break;
    }
    if (Status st = write(buffer.first(kRestoreEntryHeadSize + read)); !st)
        return st;

    std::uint64_t done = read;
    if (readFailure.isOk() && done < length) {
        const AppendOutcome appended = m_out.appendFrom(source, length - done, buffer);
        done += appended.appended;
        if (!appended.writeError.isOk()) {
            m_failed = named(appended.writeError, m_path);
            return m_failed;
        }
        readFailure = withPath(appended.readError, sourcePath);
        if (readFailure.isOk() && done < length)
            readFailure = endedAfter(done);
    }
    if (!readFailure.isOk()) {
        // The head has promised `length` bytes: keep the file readable after this entry.
        std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
        while (done < length) {
            const auto zeros =
                buffer.first(static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - done)));
            if (Status st = write(zeros); !st)
                return st;
            done += zeros.size();
        }
        return readFailure;
    }
    return Status::ok();
}

} // namespace lw
