// Restore files of arbitrary bytes: the streaming reader and a plain whole-file walk kept
// here as an oracle must never crash and must agree on every file (same entries, or the
// same error); the whole-file check that inspect and unpack use must never crash, and what
// it accepts must lie inside the file with names that stay on the card. A second part
// writes one entry with a name taken from the input and reads the file back.
#include "card/ByteIo.h"
#include "card/CardLayout.h"
#include "card/InfoFile.h"
#include "card/RestoreFileReader.h"
#include "card/RestoreFileWriter.h"
#include "support/SpanInputFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

using namespace lw;

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

// The oracle: heads walked in memory, each checked only for fitting into the file.
std::optional<std::vector<RestoreEntry>> walk(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kRestoreHeaderSize)
        return std::nullopt;
    const auto header = restoreHeader();
    if (!std::equal(header.begin(), header.end(), bytes.begin()))
        return std::nullopt;
    std::vector<RestoreEntry> entries;
    std::uint64_t pos = kRestoreHeaderSize;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < kRestoreEntryHeadSize)
            return std::nullopt;
        const auto head = bytes.subspan(static_cast<std::size_t>(pos), kRestoreEntryHeadSize);
        const std::string name = textUpToNul(head, 0, kRestoreNameSize);
        if (name.empty() || name.size() == kRestoreNameSize)
            return std::nullopt;
        const std::uint32_t length = getU32le(head, kRestoreLengthOffset);
        if (length > bytes.size() - pos - kRestoreEntryHeadSize)
            return std::nullopt;
        entries.push_back({name, pos, pos + kRestoreEntryHeadSize, length});
        pos += kRestoreEntryHeadSize + length;
    }
    if (entries.empty() || entries.back().name != kInfEntryName || entries.back().length != kInfSize)
        return std::nullopt;
    return entries;
}

void readers(std::span<const std::uint8_t> bytes, std::size_t chunk, std::size_t bufferSize) {
    const auto walked = walk(bytes);
    SpanInputFile in(bytes, chunk);
    RestoreFileReader reader(in, "fuzz.sdb");
    std::vector<RestoreEntry> streamed;
    std::vector<std::uint8_t> buffer(bufferSize);
    Status st = reader.readHeader();
    while (st) {
        RestoreEntry e;
        auto more = reader.next(e);
        if (!more) {
            st = more.status();
            break;
        }
        if (!*more) {
            st = reader.checkLastEntryIsInfoFile();
            break;
        }
        std::uint64_t seen = 0;
        st = reader.readData(buffer, [&](std::span<const std::uint8_t> data) {
            check(std::equal(data.begin(), data.end(),
                             bytes.begin() + static_cast<std::ptrdiff_t>(e.dataOffset + seen)));
            seen += data.size();
            return Status::ok();
        });
        check(!st || seen == e.length);
        streamed.push_back(std::move(e));
    }
    check(st.isOk() == walked.has_value());
    if (walked) {
        check(walked->size() == streamed.size());
        for (std::size_t i = 0; i < streamed.size(); ++i)
            check((*walked)[i].name == streamed[i].name &&
                  (*walked)[i].headOffset == streamed[i].headOffset &&
                  (*walked)[i].length == streamed[i].length);
    }

    SpanInputFile whole(bytes, chunk);
    const auto contents = readRestoreContents(whole, "fuzz.sdb");
    check(!contents || walked);
    if (contents) {
        check(contents->entries.size() == walked->size() && contents->parts.size() == walked->size());
        for (const auto& parts : contents->parts)
            for (const auto& part : parts)
                check(!part.empty() && part != "." && part != ".." &&
                      part.find_first_of("\\/:") == std::string::npos);
    }
}

class VectorOutput final : public OutputFile {
public:
    explicit VectorOutput(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    Status write(std::span<const std::uint8_t> data) override {
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
        return Status::ok();
    }
    Status writeAt(std::uint64_t, std::span<const std::uint8_t>) override { return Status::ok(); }
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
    VectorOutput out(file);
    RestoreFileWriter w(out, "fuzz.sdb");
    check(w.writeHeader().isOk());
    const Status st = w.appendEntry(name, data);
    const bool fits = !name.empty() && name.size() < kRestoreNameSize && name.find('\0') == std::string::npos;
    check(st.isOk() == fits);
    if (!fits) {
        check(st.code() == ErrorCode::InvalidArgument && file.size() == kRestoreHeaderSize);
        return;
    }
    const InfoFile inf;
    check(w.appendEntry(kInfEntryName, inf.content()).isOk());
    const auto walked = walk(file);
    check(walked && walked->size() == 2);
    check((*walked)[0].name == name && (*walked)[0].length == data.size());
    check(std::equal(data.begin(), data.end(),
                     file.begin() + static_cast<std::ptrdiff_t>((*walked)[0].dataOffset)));
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
