#include "cli/Json.h"

#include "backup/Cp1252.h"

#include <cstdio>

namespace lw {

std::string jsonString(std::string_view utf8) {
    std::string out = "\"";
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const char32_t cp = decodeUtf8(utf8, pos);
        switch (cp) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case kInvalidCodePoint:
            appendUtf8(out, 0xFFFD); // JSON text is always valid UTF-8
            break;
        default:
            if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
                out += buf;
            } else {
                out.append(utf8.substr(start, pos - start));
            }
        }
    }
    out += '"';
    return out;
}

} // namespace lw
