// The numbered messages in English and German (UTF-8).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lw {

struct MessageEntry {
    std::uint16_t number;
    std::string_view english;
    std::string_view german;
};

inline constexpr std::size_t kMessageCount = 102;

// Sorted by number.
const std::array<MessageEntry, kMessageCount>& messageTable();

enum class Language : std::int16_t { German = 1, English = 2 };

// The text of a message number in a language; the empty text for a number without one.
std::string_view messageText(Language language, int number);

} // namespace lw
