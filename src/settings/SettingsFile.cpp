#include "settings/SettingsFile.h"

#include "platform/Path.h"

#include <array>
#include <optional>

namespace lw {

namespace {

// Settings files are a few dozen bytes; anything beyond this is not ours to read.
constexpr std::size_t kMaxSettingsBytes = 64 * 1024;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Reads one field at pos and moves past its delimiter; nullopt at the end of the content.
std::optional<std::string> nextField(std::string_view s, std::size_t& pos) {
    while (pos < s.size() && isBlank(s[pos]))
        ++pos;
    if (pos >= s.size())
        return std::nullopt;
    std::string value;
    if (s[pos] == '"') {
        const std::size_t close = s.find('"', pos + 1);
        const std::size_t end = close == std::string_view::npos ? s.size() : close;
        value = std::string(s.substr(pos + 1, end - pos - 1));
        pos = close == std::string_view::npos ? s.size() : close + 1;
        while (pos < s.size() && isBlank(s[pos]))
            ++pos;
    } else {
        const std::size_t start = pos;
        while (pos < s.size() && s[pos] != ',' && !isLineEnd(s[pos]))
            ++pos;
        std::size_t end = pos;
        while (end > start && isBlank(s[end - 1]))
            --end;
        value = std::string(s.substr(start, end - start));
    }
    if (pos < s.size() && s[pos] == ',') {
        ++pos;
    } else if (pos < s.size() && isLineEnd(s[pos])) {
        if (s[pos] == '\r' && pos + 1 < s.size() && s[pos + 1] == '\n')
            ++pos;
        ++pos;
    }
    return value;
}

} // namespace

void parseSettings(std::string_view content, Settings& settings) {
    std::size_t pos = 0;
    while (pos < content.size() && isLineEnd(content[pos]))
        ++pos;
    const std::array<std::string*, 3> targets = {&settings.languageId, &settings.cardDrive,
                                                 &settings.reserved};
    for (std::string* target : targets) {
        auto field = nextField(content, pos);
        if (!field)
            return;
        *target = std::move(*field);
    }
}

void readSettings(FileSystem& fs, const std::filesystem::path& file, Settings& settings) {
    auto bytes = readFilePrefix(fs, file, kMaxSettingsBytes);
    if (!bytes)
        return;
    parseSettings(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), settings);
}

std::string formatSettings(const Settings& settings) {
    return "\"" + settings.languageId + "\",\"" + settings.cardDrive + "\",\"" + settings.reserved + "\"\r\n";
}

Status writeSettings(FileSystem& fs, const std::filesystem::path& file, const Settings& settings) {
    // A field is stored between quotes on one line: a quote or a line end in it could not
    // be read back, so such a value is not stored at all.
    for (const std::string* field : {&settings.languageId, &settings.cardDrive, &settings.reserved})
        if (field->find_first_of("\"\r\n") != std::string::npos)
            return Status::error(
                ErrorCode::InvalidArgument, pathToUtf8(file),
                "the value \"" + *field +
                    "\" holds a quotation mark or a line end, which the settings file cannot store");
    const std::string line = formatSettings(settings);
    return writeWholeFile(fs, file,
                          std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
}

} // namespace lw
