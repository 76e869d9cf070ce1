// An InputFile over bytes held in memory, for the card format's tests and fuzz targets. Each
// read hands out at most maxChunk bytes, so that callers meet short reads; from byte failAt
// on, every read fails as a medium with a bad sector does.
#pragma once

#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <span>

namespace lw {

class SpanInputFile final : public InputFile {
public:
    explicit SpanInputFile(std::span<const std::uint8_t> bytes, std::size_t maxChunk = SIZE_MAX,
                           std::size_t failAt = SIZE_MAX)
        : m_bytes(bytes), m_maxChunk(maxChunk == 0 ? 1 : maxChunk), m_failAt(failAt) {}

    Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
        if (m_pos >= m_failAt)
            return statusFromErrno(EIO, "");
        const std::size_t n = std::min(
            {buffer.size(), m_bytes.size() - std::min(m_pos, m_bytes.size()), m_maxChunk, m_failAt - m_pos});
        std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos), n, buffer.begin());
        m_pos += n;
        return n;
    }
    std::uint64_t size() const override { return m_bytes.size(); }
    Status seek(std::uint64_t offset) override {
        m_pos = static_cast<std::size_t>(std::min<std::uint64_t>(offset, m_bytes.size()));
        return Status::ok();
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_maxChunk;
    std::size_t m_failAt;
    std::size_t m_pos = 0;
};

} // namespace lw
