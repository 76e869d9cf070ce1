#include "platform/Path.h"

namespace lw {

std::filesystem::path pathFromUtf8(std::string_view utf8) {
#ifndef _WIN32
    return std::filesystem::path(std::string(utf8)); // the native narrow encoding is UTF-8 here
#else
    std::u8string u8(utf8.size(), u8'\0');
    for (std::size_t i = 0; i < utf8.size(); ++i)
        u8[i] = static_cast<char8_t>(utf8[i]);
    return std::filesystem::path(u8);
#endif
}

std::string pathToUtf8(const std::filesystem::path& path) {
#ifndef _WIN32
    return path.native();
#else
    const std::u8string u8 = path.u8string();
    std::string out(u8.size(), '\0');
    for (std::size_t i = 0; i < u8.size(); ++i)
        out[i] = static_cast<char>(u8[i]);
    return out;
#endif
}

std::string_view nativeSeparator() {
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
}

namespace {

// True when the text already ends in a folder separator ("C:\\", "/media/", "dir/").
bool endsWithSeparator(std::string_view text) {
    if (text.empty())
        return false;
    const char last = text.back();
#ifdef _WIN32
    return last == '\\' || last == '/';
#else
    return last == '/';
#endif
}

} // namespace

std::string withTrailingSeparator(std::string text) {
    if (!endsWithSeparator(text))
        text += nativeSeparator();
    return text;
}

std::string displayPath(std::string_view text) {
    std::string out(text);
#ifndef _WIN32
    for (char& c : out)
        if (c == '\\')
            c = '/';
#endif
    return out;
}

} // namespace lw
