// An OutputFile that keeps what it receives in memory and, given a limit, behaves like a
// medium that fills up: the write that would pass the limit stores what still fits and
// fails as a full medium does, and so does every later write.
#pragma once

#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lw::test {

class MemoryOutputFile final : public OutputFile {
public:
    explicit MemoryOutputFile(std::size_t limit = SIZE_MAX) : m_limit(limit) {}

    Status write(std::span<const std::uint8_t> data) override {
        const std::size_t n = std::min(m_limit - std::min(m_limit, bytes.size()), data.size());
        bytes.insert(bytes.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
        return n < data.size() ? statusFromErrno(ENOSPC, "card/Restore.sdb") : Status::ok();
    }
    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        bytes.resize(std::max<std::size_t>(bytes.size(), static_cast<std::size_t>(offset) + data.size()));
        std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        return Status::ok();
    }
    Status close() override { return Status::ok(); }

    std::vector<std::uint8_t> bytes; // everything written, in order
private:
    std::size_t m_limit;
};

} // namespace lw::test
