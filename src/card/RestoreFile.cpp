#include "card/RestoreFile.h"

#include "backup/Cp1252.h"
#include "card/ByteIo.h"
#include "card/CardLayout.h"
#include "card/InfoFile.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>

namespace lw {

namespace {

// Header: the magic text and one 0x00 byte.
constexpr std::array<std::uint8_t, kRestoreHeaderSize> restoreHeader() {
    std::array<std::uint8_t, kRestoreHeaderSize> header{};
    for (std::size_t i = 0; i < kRestoreMagic.size(); ++i)
        header[i] = static_cast<std::uint8_t>(kRestoreMagic[i]);
    return header;
}
constexpr auto kHeaderBytes = restoreHeader();

Status withPath(const Status& status, const std::string& path) {
    if (status.isOk() || !status.path().empty())
        return status;
    return Status::error(status.code(), path, status.reason(), status.systemCode());
}

Status corruptAt(const std::string& path, std::uint64_t at, const std::string& what) {
    return Status::error(ErrorCode::Corrupt, path, "at byte " + std::to_string(at) + ": " + what);
}

std::string quotedName(std::string_view cp1252Name) {
    return "\"" + cp1252ToUtf8(cp1252Name) + "\"";
}

// The first min(16, file size) bytes against the header.
Status checkHeader(std::span<const std::uint8_t> start, std::uint64_t fileSize, const std::string& path) {
    // memcmp first: it also lets a fuzzer learn the magic text.
    if (!start.empty() && std::memcmp(start.data(), kHeaderBytes.data(), start.size()) != 0)
        for (std::size_t i = 0; i < start.size(); ++i)
            if (start[i] != kHeaderBytes[i])
                return corruptAt(path, i,
                                 "the header is not \"" + std::string(kRestoreMagic) +
                                     "\" followed by a 0x00 byte");
    if (fileSize < kRestoreHeaderSize)
        return corruptAt(path, fileSize,
                         "the file ends inside its " + std::to_string(kRestoreHeaderSize) + "-byte header");
    return Status::ok();
}

Status headCutShort(const std::string& path, std::uint64_t at, std::uint64_t remaining) {
    return corruptAt(path, at,
                     "the entry head is cut short: the file ends after " + std::to_string(remaining) +
                         " of its " + std::to_string(kRestoreEntryHeadSize) + " bytes");
}

// One entry head at headOffset; leftAfterHead is what the file holds after the head.
Result<RestoreEntry> decodeHead(std::span<const std::uint8_t> head, std::uint64_t headOffset,
                                std::uint64_t leftAfterHead, const std::string& path) {
    const auto nameField = byteField(head, 0, kRestoreNameSize);
    const auto nul = std::find(nameField.begin(), nameField.end(), std::uint8_t{0});
    if (nul == nameField.end())
        return corruptAt(path, headOffset,
                         "the entry name fills its " + std::to_string(kRestoreNameSize) +
                             "-byte field without a closing 0x00");
    if (nul == nameField.begin())
        return corruptAt(path, headOffset, "the entry has no name");
    RestoreEntry entry;
    entry.name = textUpToNul(head, 0, kRestoreNameSize);
    entry.headOffset = headOffset;
    entry.dataOffset = headOffset + kRestoreEntryHeadSize;
    entry.length = getU32le(head, kRestoreLengthOffset);
    if (entry.length > leftAfterHead)
        return corruptAt(path, headOffset + kRestoreLengthOffset,
                         "the entry " + quotedName(entry.name) + " declares " + std::to_string(entry.length) +
                             " data bytes, but only " + std::to_string(leftAfterHead) + " follow its head");
    return entry;
}

Status checkLastEntry(const RestoreEntry* last, const std::string& path) {
    const std::string inf = quotedName(kInfEntryName);
    if (last == nullptr)
        return corruptAt(path, kRestoreHeaderSize,
                         "the file holds no entries; its last entry must be the information file " + inf);
    if (last->name != kInfEntryName)
        return corruptAt(path, last->headOffset,
                         "the last entry is " + quotedName(last->name) + ", not the information file " + inf);
    if (last->length != kInfSize)
        return corruptAt(path, last->headOffset + kRestoreLengthOffset,
                         "the information file entry holds " + std::to_string(last->length) +
                             " bytes instead of " + std::to_string(kInfSize));
    return Status::ok();
}

Status invalid(const std::string& path, std::string reason) {
    return Status::error(ErrorCode::InvalidArgument, path, std::move(reason));
}

} // namespace

Result<std::array<std::uint8_t, kRestoreEntryHeadSize>> restoreEntryHead(std::string_view name,
                                                                         std::uint32_t length) {
    if (name.empty())
        return invalid({}, "a restore file entry needs a name");
    if (name.find('\0') != std::string_view::npos)
        return invalid(cp1252ToUtf8(name), "the entry name holds a 0x00 byte");
    if (name.size() >= kRestoreNameSize)
        return invalid(cp1252ToUtf8(name), "the entry name is " + std::to_string(name.size()) +
                                               " bytes long; a restore file holds names of at most " +
                                               std::to_string(kRestoreNameSize - 1) + " bytes");
    std::array<std::uint8_t, kRestoreEntryHeadSize> head{};
    putText(head, 0, name);
    putU32le(head, kRestoreLengthOffset, length);
    return head;
}

// ---------------------------------------------------------------------------------------
// Writer

RestoreFileWriter::RestoreFileWriter(std::unique_ptr<OutputFile> out, std::string path)
    : m_out(std::move(out)), m_path(std::move(path)) {}

Status RestoreFileWriter::usable() const {
    if (!m_failed.isOk())
        return m_failed;
    if (!m_out)
        return invalid(m_path, "the restore file is closed");
    return Status::ok();
}

Status RestoreFileWriter::write(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return Status::ok();
    const Status st = m_out->write(bytes);
    if (!st) {
        m_failed = withPath(st, m_path);
        return m_failed;
    }
    m_written += bytes.size();
    return Status::ok();
}

Status RestoreFileWriter::writeHeader() {
    if (Status st = usable(); !st)
        return st;
    if (m_headerWritten)
        return invalid(m_path, "the restore file's header is already written");
    [[maybe_unused]] const std::uint64_t before = m_written;
    if (Status st = write(kHeaderBytes); !st)
        return st;
    m_headerWritten = true;
    assert(m_written - before == kRestoreHeaderSize);
    return Status::ok();
}

Status RestoreFileWriter::writeHead(std::string_view name, std::uint32_t length) {
    auto head = restoreEntryHead(name, length);
    if (!head)
        return head.status();
    return write(*head);
}

Status RestoreFileWriter::appendEntry(std::string_view name, std::span<const std::uint8_t> data) {
    if (Status st = usable(); !st)
        return st;
    if (!m_headerWritten)
        return invalid(m_path, "the restore file's header must be written before its entries");
    if (data.size() > std::numeric_limits<std::uint32_t>::max())
        return invalid(cp1252ToUtf8(name), "the entry's data of " + std::to_string(data.size()) +
                                               " bytes is too long for a restore file entry");
    [[maybe_unused]] const std::uint64_t before = m_written;
    if (Status st = writeHead(name, static_cast<std::uint32_t>(data.size())); !st)
        return st;
    if (Status st = write(data); !st)
        return st;
    assert(m_written - before == kRestoreEntryHeadSize + data.size());
    return Status::ok();
}

Status RestoreFileWriter::appendFileEntry(std::string_view name, InputFile& source,
                                          const std::string& sourcePath, std::uint32_t length,
                                          std::span<std::uint8_t> buffer) {
    if (Status st = usable(); !st)
        return st;
    if (!m_headerWritten)
        return invalid(m_path, "the restore file's header must be written before its entries");
    if (buffer.empty())
        return invalid(m_path, "no buffer to copy the entry's data through");
    auto head = restoreEntryHead(name, length);
    if (!head)
        return head.status();
    const auto chunk = [&](std::uint64_t done) {
        return buffer.first(static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - done)));
    };

    // A first piece is read before anything is written, so that a source that cannot be
    // read at all leaves the restore file as it was; the rest is appended in one go, by
    // the system where it can. A source that fails later leaves its entry filled up with
    // 0x00 below, so the file stays readable.
    constexpr std::size_t kProbeSize = 4096;
    std::size_t n = 0;
    if (length > 0) {
        const auto probe = chunk(0).first(std::min(kProbeSize, chunk(0).size()));
        auto r = source.read(probe);
        if (!r)
            return withPath(r.status(), sourcePath);
        if (*r == 0)
            return Status::error(ErrorCode::IoError, sourcePath,
                                 "the file ended after 0 of the " + std::to_string(length) +
                                     " bytes to copy");
        n = std::min(*r, probe.size());
    }
    [[maybe_unused]] const std::uint64_t before = m_written;
    if (Status st = write(*head); !st)
        return st;
    if (Status st = write(buffer.first(n)); !st)
        return st;
    std::uint64_t done = n;
    Status readFailure;
    if (done < length) {
        const AppendOutcome appended = m_out->appendFrom(source, length - done, buffer);
        m_written += appended.appended;
        done += appended.appended;
        if (!appended.writeError.isOk()) {
            m_failed = withPath(appended.writeError, m_path);
            return m_failed;
        }
        readFailure = appended.readError.isOk() ? Status::ok() : withPath(appended.readError, sourcePath);
        if (readFailure.isOk() && done < length)
            readFailure = Status::error(ErrorCode::IoError, sourcePath,
                                        "the file ended after " + std::to_string(done) + " of the " +
                                            std::to_string(length) + " bytes to copy");
    }
    if (!readFailure.isOk()) {
        // The head has promised `length` bytes: keep the file readable after this entry.
        std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
        while (done < length) {
            const auto zeros = chunk(done);
            if (Status st = write(zeros); !st)
                return st;
            done += zeros.size();
        }
        return readFailure;
    }
    assert(m_written - before == kRestoreEntryHeadSize + std::uint64_t{length});
    return Status::ok();
}

Status RestoreFileWriter::close() {
    if (!m_out)
        return m_failed;
    const Status st = m_out->close();
    m_out.reset();
    if (!m_failed.isOk())
        return m_failed;
    if (!st)
        m_failed = withPath(st, m_path);
    return m_failed;
}

// ---------------------------------------------------------------------------------------
// Reader

RestoreFileReader::RestoreFileReader(InputFile& in, std::uint64_t fileSize, std::string path)
    : m_in(in), m_size(fileSize), m_path(std::move(path)) {}

Status RestoreFileReader::fail(Status status) {
    m_failed = std::move(status);
    return m_failed;
}

Status RestoreFileReader::readExact(std::span<std::uint8_t> bytes) {
    while (!bytes.empty()) {
        auto r = m_in.read(bytes);
        if (!r)
            return fail(withPath(r.status(), m_path));
        if (*r == 0)
            return fail(Status::error(ErrorCode::IoError, m_path,
                                      "at byte " + std::to_string(m_pos) +
                                          ": the file ended before its size of " + std::to_string(m_size) +
                                          " bytes"));
        const std::size_t n = std::min(*r, bytes.size());
        m_pos += n;
        bytes = bytes.subspan(n);
    }
    return Status::ok();
}

Status RestoreFileReader::readHeader() {
    if (!m_failed.isOk())
        return m_failed;
    if (m_headerRead)
        return invalid(m_path, "the restore file's header is already read");
    std::array<std::uint8_t, kRestoreHeaderSize> header{};
    const auto start = std::span(header).first(static_cast<std::size_t>(std::min<std::uint64_t>(m_size, 16)));
    if (Status st = readExact(start); !st)
        return st;
    if (Status st = checkHeader(start, m_size, m_path); !st)
        return fail(st);
    m_headerRead = true;
    return Status::ok();
}

Result<bool> RestoreFileReader::next(RestoreEntry& entry) {
    if (!m_failed.isOk())
        return m_failed;
    if (!m_headerRead)
        return invalid(m_path, "the restore file's header must be read before its entries");
    if (m_pendingData != 0)
        return invalid(m_path, "the data of the entry at byte " + std::to_string(m_last->headOffset) +
                                   " must be read or skipped first");
    if (m_pos >= m_size) {
        m_atEnd = true;
        return false;
    }
    const std::uint64_t remaining = m_size - m_pos;
    if (remaining < kRestoreEntryHeadSize)
        return fail(headCutShort(m_path, m_pos, remaining));
    const std::uint64_t headOffset = m_pos;
    std::array<std::uint8_t, kRestoreEntryHeadSize> head{};
    if (Status st = readExact(head); !st)
        return st;
    auto decoded = decodeHead(head, headOffset, remaining - kRestoreEntryHeadSize, m_path);
    if (!decoded)
        return fail(decoded.status());
    entry = *decoded;
    m_last = std::move(*decoded);
    m_pendingData = entry.length;
    return true;
}

Status RestoreFileReader::readData(std::span<std::uint8_t> buffer,
                                   const std::function<Status(std::span<const std::uint8_t>)>& sink) {
    if (!m_failed.isOk())
        return m_failed;
    if (m_pendingData != 0 && buffer.empty())
        return invalid(m_path, "no buffer to read the entry's data through");
    while (m_pendingData != 0) {
        const auto chunk =
            buffer.first(static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), m_pendingData)));
        if (Status st = readExact(chunk); !st)
            return st;
        m_pendingData -= chunk.size();
        if (sink)
            if (Status st = sink(chunk); !st)
                return st;
    }
    return Status::ok();
}

Status RestoreFileReader::skipData(std::span<std::uint8_t> buffer) {
    return readData(buffer, nullptr);
}

Status RestoreFileReader::checkLastEntryIsInfoFile() const {
    if (!m_failed.isOk())
        return m_failed;
    if (!m_atEnd)
        return invalid(m_path, "the restore file has not been read to its end");
    return checkLastEntry(m_last ? &*m_last : nullptr, m_path);
}

// ---------------------------------------------------------------------------------------

Result<std::vector<RestoreEntry>> parseRestoreFile(std::span<const std::uint8_t> bytes,
                                                   const std::string& path) {
    const std::uint64_t size = bytes.size();
    if (Status st = checkHeader(bytes.first(std::min(bytes.size(), kRestoreHeaderSize)), size, path); !st)
        return st;
    std::vector<RestoreEntry> entries;
    std::uint64_t pos = kRestoreHeaderSize;
    while (pos < size) {
        const std::uint64_t remaining = size - pos;
        if (remaining < kRestoreEntryHeadSize)
            return headCutShort(path, pos, remaining);
        auto entry = decodeHead(byteField(bytes, static_cast<std::size_t>(pos), kRestoreEntryHeadSize), pos,
                                remaining - kRestoreEntryHeadSize, path);
        if (!entry)
            return entry.status();
        pos = entry->dataOffset + entry->length;
        entries.push_back(std::move(*entry));
    }
    if (Status st = checkLastEntry(entries.empty() ? nullptr : &entries.back(), path); !st)
        return st;
    return entries;
}

} // namespace lw
