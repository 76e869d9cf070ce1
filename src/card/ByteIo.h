// Small helpers for the card's fixed binary layouts: fields at explicit byte offsets,
// numbers little-endian (least significant byte first), text one byte per character.
//
// Every helper checks that its field lies inside the buffer. A field outside it is a
// fault of the calling code (the layouts are fixed, and readers of untrusted files check
// lengths before they look at a field), so it stops the program at once instead of
// touching memory it does not own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lw {

[[noreturn]] inline void byteFieldOutOfBounds() {
    std::abort();
}

template <class Byte>
std::span<Byte> byteField(std::span<Byte> bytes, std::size_t offset, std::size_t size) {
    if (offset > bytes.size() || size > bytes.size() - offset)
        byteFieldOutOfBounds();
    return bytes.subspan(offset, size);
}

inline void putU32le(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    const auto f = byteField(bytes, offset, 4);
    for (std::size_t i = 0; i < 4; ++i)
        f[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint32_t getU32le(std::span<const std::uint8_t> bytes, std::size_t offset) {
    const auto f = byteField(bytes, offset, 4);
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(f[i]) << (8 * i);
    return value;
}

// Writes the text's bytes at offset, exactly text.size() of them.
inline void putText(std::span<std::uint8_t> bytes, std::size_t offset, std::string_view text) {
    const auto f = byteField(bytes, offset, text.size());
    std::transform(text.begin(), text.end(), f.begin(), [](char c) { return static_cast<std::uint8_t>(c); });
}

inline void fillBytes(std::span<std::uint8_t> bytes, std::size_t offset, std::size_t size,
                      std::uint8_t value) {
    const auto f = byteField(bytes, offset, size);
    std::fill(f.begin(), f.end(), value);
}

// The field's bytes up to its first 0x00 (all of them when there is none).
inline std::string textUpToNul(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t size) {
    const auto f = byteField(bytes, offset, size);
    const auto end = std::find(f.begin(), f.end(), std::uint8_t{0});
    std::string text(static_cast<std::size_t>(end - f.begin()), '\0');
    std::transform(f.begin(), end, text.begin(), [](std::uint8_t b) { return static_cast<char>(b); });
    return text;
}

// The offset within `bytes` of the first byte that differs from `value`, if any.
inline std::optional<std::size_t> firstByteNotEqual(std::span<const std::uint8_t> bytes, std::uint8_t value) {
    const auto it = std::find_if(bytes.begin(), bytes.end(), [value](std::uint8_t b) { return b != value; });
    if (it == bytes.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - bytes.begin());
}

inline bool allBytesEqual(std::span<const std::uint8_t> bytes, std::uint8_t value) {
    return !firstByteNotEqual(bytes, value).has_value();
}

} // namespace lw
