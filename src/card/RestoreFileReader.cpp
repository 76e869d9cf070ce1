#include "card/RestoreFileReader.h"

#include "backup/Cp1252.h"
#include "card/ByteIo.h"
#include "card/CardLayout.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace lw {

namespace {

Status withPath(const Status& status, const std::string& path) {
    if (status.isOk() || !status.path().empty())
        return status;
    return Status::error(status.code(), path, status.reason(), status.systemCode());
}

Status corruptAt(const std::string& path, std::uint64_t at, const std::string& what) {
    return Status::error(ErrorCode::Corrupt, path, "at byte " + std::to_string(at) + ": " + what);
}

Status invalid(const std::string& path, std::string reason) {
    return Status::error(ErrorCode::InvalidArgument, path, std::move(reason));
}

std::string quotedName(std::string_view cp1252Name) {
    return "\"" + cp1252ToUtf8(cp1252Name) + "\"";
}

// The first min(16, file size) bytes against the header.
Status checkHeader(std::span<const std::uint8_t> start, std::uint64_t fileSize, const std::string& path) {
    static const auto kHeader = restoreHeader();
    // memcmp first: it also lets a fuzzer learn the magic text.
    if (!start.empty() && std::memcmp(start.data(), kHeader.data(), start.size()) != 0)
        for (std::size_t i = 0; i < start.size(); ++i)
            if (start[i] != kHeader[i])
                return corruptAt(path, i,
                                 "the header is not \"" + std::string(kRestoreMagic) +
                                     "\" followed by a 0x00 byte");
    if (fileSize < kRestoreHeaderSize)
        return corruptAt(path, fileSize,
                         "the file ends inside its " + std::to_string(kRestoreHeaderSize) + "-byte header");
    return Status::ok();
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

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

} // namespace

RestoreFileReader::RestoreFileReader(InputFile& in, std::string path)
    : m_in(in), m_size(in.size()), m_path(std::move(path)) {}

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
        return fail(corruptAt(m_path, m_pos,
                              "the entry head is cut short: the file ends after " +
                                  std::to_string(remaining) + " of its " +
                                  std::to_string(kRestoreEntryHeadSize) + " bytes"));
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

Status RestoreFileReader::skipData() {
    if (!m_failed.isOk())
        return m_failed;
    if (m_pendingData == 0)
        return Status::ok();
    if (Status st = m_in.seek(m_pos + m_pendingData); !st)
        return fail(withPath(st, m_path));
    m_pos += m_pendingData;
    m_pendingData = 0;
    return Status::ok();
}

Status RestoreFileReader::checkLastEntryIsInfoFile() const {
    if (!m_failed.isOk())
        return m_failed;
    if (!m_atEnd)
        return invalid(m_path, "the restore file has not been read to its end");
    const std::string inf = quotedName(kInfEntryName);
    if (!m_last)
        return corruptAt(m_path, kRestoreHeaderSize,
                         "the file holds no entries; its last entry must be the information file " + inf);
    if (m_last->name != kInfEntryName)
        return corruptAt(m_path, m_last->headOffset,
                         "the last entry is " + quotedName(m_last->name) + ", not the information file " +
                             inf);
    if (m_last->length != kInfSize)
        return corruptAt(m_path, m_last->headOffset + kRestoreLengthOffset,
                         "the information file entry holds " + std::to_string(m_last->length) +
                             " bytes instead of " + std::to_string(kInfSize));
    return Status::ok();
}

Result<RestoreContents> readRestoreContents(InputFile& in, const std::string& path) {
    RestoreContents contents;
    RestoreFileReader reader(in, path);
    if (Status st = reader.readHeader(); !st)
        return st;
    // Every name's folders and file, letter case folded: what each one is and where it was named.
    struct Use {
        bool folder;
        std::uint64_t at;
    };
    std::map<std::string, Use> uses;
    for (;;) {
        RestoreEntry e;
        auto more = reader.next(e);
        if (!more)
            return more.status();
        if (!*more)
            break;
        auto parts = cardPathParts(e.name);
        if (!parts)
            return corruptAt(path, e.headOffset,
                             "the entry " + quotedName(e.name) +
                                 " has no safe place on a card: " + parts.status().reason());
        std::string key;
        for (std::size_t i = 0; i < parts->size(); ++i) {
            key += "\\" + upperAscii((*parts)[i]);
            const bool folder = i + 1 < parts->size();
            const auto [it, added] = uses.emplace(key, Use{folder, e.headOffset});
            if (!added && !(folder && it->second.folder))
                return corruptAt(path, e.headOffset,
                                 "the entry " + quotedName(e.name) + " clashes with the entry at byte " +
                                     std::to_string(it->second.at) + ": both need the name " +
                                     quotedName(key) +
                                     (folder || it->second.folder ? ", one as a folder" : ""));
        }
        if (Status st = reader.skipData(); !st)
            return st;
        contents.entries.push_back(std::move(e));
        contents.parts.push_back(std::move(*parts));
    }
    if (Status st = reader.checkLastEntryIsInfoFile(); !st)
        return st;
    const RestoreEntry& last = contents.entries.back();
    std::vector<std::uint8_t> bytes(kInfSize);
    if (Status st = in.seek(last.dataOffset); !st)
        return st;
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        auto n = in.read(std::span(bytes).subspan(filled));
        if (!n)
            return withPath(n.status(), path);
        if (*n == 0)
            return Status::error(ErrorCode::IoError, path,
                                 "the file ended while its information file was read");
        filled += *n;
    }
    auto info = decodeInfoFile(bytes, path);
    if (!info)
        return corruptAt(path, last.dataOffset,
                         "the information file entry is malformed: " + info.status().reason());
    contents.info = std::move(*info);
    return contents;
}

} // namespace lw
