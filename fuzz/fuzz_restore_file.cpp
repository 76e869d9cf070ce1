// Restore files of arbitrary bytes: the whole-file parser and the streaming reader must
// never crash, must agree on every file (same entries, or the same error), and what they
// accept must lie inside the file. A second part writes one entry with a name taken from
// the input and reads the file back.
#include "card/ByteIo.h"
#include "card/CardLayout.h"
#include "card/InfoFile.h"
#include "card/RestoreFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace lw;

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

// Reads the file with the streaming reader in small pieces; the entries, or the first error.
Status streamRead(std::span<const std::uint8_t> bytes, std::size_t chunk, std::size_t bufferSize,
                  std::vector<RestoreEntry>& entries) {
    SpanInputFile in(bytes, chunk);
    RestoreFileReader reader(in, bytes.size(), "fuzz.sdb");
    if (Status st = reader.readHeader(); !st)
        return st;
    std::vector<std::uint8_t> buffer(bufferSize);
    for (;;) {
        RestoreEntry e;
        auto more = reader.next(e);
        if (!more)
            return more.status();
        if (!*more)
            break;
        std::uint64_t seen = 0;
        const Status st = reader.readData(buffer, [&](std::span<const std::uint8_t> data) {
            check(!data.empty() && data.size() <= bufferSize);
            // The data handed out is the file's bytes at the entry's data offset.
            check(std::equal(data.begin(), data.end(),
                             bytes.begin() + static_cast<std::ptrdiff_t>(e.dataOffset + seen)));
            seen += data.size();
            return Status::ok();
        });
        if (!st)
            return st;
        check(seen == e.length);
        entries.push_back(std::move(e));
    }
    return reader.checkLastEntryIsInfoFile();
}

void readers(std::span<const std::uint8_t> bytes, std::size_t chunk, std::size_t bufferSize) {
    const auto parsed = parseRestoreFile(bytes, "fuzz.sdb");
    std::vector<RestoreEntry> streamed;
    const Status st = streamRead(bytes, chunk, bufferSize, streamed);
    check(parsed.isOk() == st.isOk());
    if (!st) {
        check(st.code() == ErrorCode::Corrupt && parsed.status().code() == ErrorCode::Corrupt);
        check(st.reason() == parsed.status().reason());
        return;
    }
    check(parsed->size() == streamed.size() && !streamed.empty());
    std::uint64_t pos = kRestoreHeaderSize;
    for (std::size_t i = 0; i < streamed.size(); ++i) {
        const RestoreEntry& a = (*parsed)[i];
        const RestoreEntry& b = streamed[i];
        check(a.name == b.name && a.headOffset == b.headOffset && a.dataOffset == b.dataOffset &&
              a.length == b.length);
        check(a.headOffset == pos && a.dataOffset == pos + kRestoreEntryHeadSize && !a.name.empty() &&
              a.name.size() < kRestoreNameSize);
        pos = a.dataOffset + a.length;
    }
    check(pos == bytes.size());
    check(parsed->back().name == kInfEntryName && parsed->back().length == kInfSize);
}

class VectorOutput final : public OutputFile {
public:
    explicit VectorOutput(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    Status write(std::span<const std::uint8_t> data) override {
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
        return Status::ok();
    }
    Status close() override { return Status::ok(); }

private:
    std::vector<std::uint8_t>& m_bytes;
};

// An entry named by the input's first bytes, with the rest as its data, then the
// information file: the writer accepts exactly the names that fit, and the file reads back.
void writeAndReadBack(std::span<const std::uint8_t> input) {
    if (input.empty())
        return;
    const std::size_t nameLength = std::min<std::size_t>(input[0], input.size() - 1);
    const std::string name(input.begin() + 1, input.begin() + 1 + static_cast<std::ptrdiff_t>(nameLength));
    const auto data = input.subspan(1 + nameLength);

    std::vector<std::uint8_t> file;
    RestoreFileWriter w(std::make_unique<VectorOutput>(file));
    check(w.writeHeader().isOk());
    const Status st = w.appendEntry(name, data);
    const bool fits = !name.empty() && name.size() < kRestoreNameSize && name.find('\0') == std::string::npos;
    check(st.isOk() == fits);
    if (!fits) {
        check(st.code() == ErrorCode::InvalidArgument && file.size() == kRestoreHeaderSize);
        return;
    }
    InfoFile inf;
    check(w.appendEntry(kInfEntryName, inf.content()).isOk());
    check(w.close().isOk());
    check(w.bytesWritten() == file.size());
    const auto parsed = parseRestoreFile(file, "fuzz.sdb");
    check(parsed.isOk() && parsed->size() == 2);
    check((*parsed)[0].name == name && (*parsed)[0].length == data.size());
    check(std::equal(data.begin(), data.end(),
                     file.begin() + static_cast<std::ptrdiff_t>((*parsed)[0].dataOffset)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::size_t chunk = size > 0 ? data[size - 1] % 61 + 1 : 1;
    const std::size_t bufferSize = size > 1 ? data[size - 2] % 97 + 1 : 1;
    readers(bytes, chunk, bufferSize);
    // The input after a correct header, and followed by a correct information file entry,
    // so that the entries are exercised without the fuzzer having to find the header first.
    std::vector<std::uint8_t> framed(kRestoreMagic.begin(), kRestoreMagic.end());
    framed.push_back(0x00);
    framed.insert(framed.end(), bytes.begin(), bytes.end());
    readers(framed, chunk, bufferSize);
    const auto infHead = restoreEntryHead(kInfEntryName, kInfSize);
    check(infHead.isOk());
    framed.insert(framed.end(), infHead->begin(), infHead->end());
    const InfoFile inf;
    framed.insert(framed.end(), inf.content().begin(), inf.content().end());
    readers(framed, chunk, bufferSize);
    writeAndReadBack(bytes);
    return 0;
}
