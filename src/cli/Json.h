// A few helpers for writing JSON text by hand: the command line prints small objects
// whose key order and layout are part of its contract.
#pragma once

#include <string>
#include <string_view>

namespace lw {

// The text as a JSON string literal, quotes included. Input is UTF-8; a malformed sequence
// becomes U+FFFD, and control characters (C0, DEL, C1) are escaped.
std::string jsonString(std::string_view utf8);
inline std::string jsonBool(bool b) {
    return b ? "true" : "false";
}

} // namespace lw
