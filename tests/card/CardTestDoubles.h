// Output files for the card format tests: one that keeps what it receives in memory, and
// one that behaves like a medium that fills up after a given number of bytes.
#pragma once

#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace lw::test {

// What an output file received, kept by the test after the writer has taken the file.
struct OutputRecord {
    std::vector<std::uint8_t> bytes;
    int writeCalls = 0;
    bool closed = false;
};

// Takes up to `limit` bytes; the write that would go beyond stores what still fits and
// fails as a full medium does, and so does every later write. Optionally close fails too.
class LimitedOutputFile final : public OutputFile {
public:
    explicit LimitedOutputFile(OutputRecord& record,
                               std::size_t limit = std::numeric_limits<std::size_t>::max(),
                               bool failClose = false)
        : m_record(record), m_limit(limit), m_failClose(failClose) {}

    Status write(std::span<const std::uint8_t> data) override {
        ++m_record.writeCalls;
        const std::size_t room = m_limit - std::min(m_limit, m_record.bytes.size());
        const std::size_t n = std::min(room, data.size());
        m_record.bytes.insert(m_record.bytes.end(), data.begin(),
                              data.begin() + static_cast<std::ptrdiff_t>(n));
        if (n < data.size())
            return statusFromErrno(ENOSPC, "card/Restore.sdb");
        return Status::ok();
    }

    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        std::copy(data.begin(), data.end(), m_record.bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        return Status::ok();
    }

    Status close() override {
        m_record.closed = true;
        if (m_failClose)
            return statusFromErrno(EIO, "card/Restore.sdb");
        return Status::ok();
    }

private:
    OutputRecord& m_record;
    std::size_t m_limit;
    bool m_failClose;
};

inline std::unique_ptr<OutputFile> memoryOutput(OutputRecord& record) {
    return std::make_unique<LimitedOutputFile>(record);
}

inline std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

} // namespace lw::test
