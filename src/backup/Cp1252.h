// The Windows-1252 code page, in which the old keyboards' backups and the KN7000's
// card store names: one byte per character. The five bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control characters of the same
// number, so every byte survives the way to Unicode and back. A character that has
// no byte becomes "?".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lw {

char32_t cp1252ToCodePoint(std::uint8_t byte);
std::optional<std::uint8_t> cp1252FromCodePoint(char32_t cp);

// Windows-1252 bytes to UTF-8 text.
std::string cp1252ToUtf8(std::string_view bytes);

// UTF-8 text to Windows-1252 bytes; a character without a byte, and every malformed
// UTF-8 sequence, becomes "?". At most maxChars characters are converted.
std::string utf8ToCp1252(std::string_view utf8, std::size_t maxChars = std::string::npos);

// One character of UTF-8 text at pos, moving pos past it. A malformed sequence (also an
// overlong one, a surrogate, or one beyond U+10FFFF) gives kInvalidCodePoint and moves
// pos on by one byte.
inline constexpr char32_t kInvalidCodePoint = 0xFFFFFFFF;
char32_t decodeUtf8(std::string_view text, std::size_t& pos);
void appendUtf8(std::string& out, char32_t cp);

} // namespace lw
