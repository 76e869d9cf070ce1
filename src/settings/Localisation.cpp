#include "settings/Localisation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lw {

namespace {

bool hasTable(long long id) {
    return id == 1 || id == 2;
}

} // namespace

std::string_view messageText(Language language, int number) {
    const auto& table = messageTable();
    const auto it = std::lower_bound(table.begin(), table.end(), number,
                                     [](const MessageEntry& e, int n) { return e.number < n; });
    if (it == table.end() || it->number != number)
        return {};
    return language == Language::English ? it->english : it->german;
}

double leadingNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    std::string number;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        number += text[pos++];
    bool digits = false;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        number += text[pos++];
        digits = true;
    }
    if (pos < text.size() && text[pos] == '.') {
        number += text[pos++];
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            number += text[pos++];
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E' || text[pos] == 'd' || text[pos] == 'D')) {
        std::size_t p = pos + 1;
        std::string exponent = "e";
        if (p < text.size() && (text[p] == '+' || text[p] == '-'))
            exponent += text[p++];
        bool expDigits = false;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
            exponent += text[p++];
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    return std::strtod(number.c_str(), nullptr);
}

long long wholeNumber(std::string_view text) {
    const double value = leadingNumber(text);
    if (!std::isfinite(value) || std::fabs(value) > 1e15)
        return -1;                                        // far beyond any language number
    return static_cast<long long>(std::nearbyint(value)); // default rounding: halves to even
}

Localisation::Localisation(FileSystem& fs, std::filesystem::path settingsFile, std::string commandLine)
    : m_fs(fs), m_settingsFile(std::move(settingsFile)), m_commandLine(std::move(commandLine)) {}

bool Localisation::settingsFileExists() {
    return m_fs.isFile(m_settingsFile);
}

void Localisation::readSettingsFile() {
    readSettings(m_fs, m_settingsFile, m_settings);
}

Status Localisation::writeSettingsFile() {
    return writeSettings(m_fs, m_settingsFile, m_settings);
}

void Localisation::settle() {
    if (m_lngId != 0)
        return;
    if (settingsFileExists())
        readSettingsFile();
    const std::size_t key = m_commandLine.find("LNGID=");
    if (key != std::string::npos) {
        // A number without a message table is ignored like 0: the settings decide.
        const long long fromCommandLine = wholeNumber(std::string_view(m_commandLine).substr(key + 6));
        if (hasTable(fromCommandLine)) {
            m_lngId = static_cast<std::int16_t>(fromCommandLine);
            return;
        }
    }
    if (wholeNumber(m_settings.languageId) == 0)
        m_settings.languageId.assign(1, '1'); // German
    const long long id = wholeNumber(m_settings.languageId);
    m_lngId = hasTable(id) ? static_cast<std::int16_t>(id) : 1; // no table: German
}

std::string_view Localisation::text(int number) {
    return messageText(language(), number);
}

void Localisation::applyLanguageId() {
    const long long id = wholeNumber(m_settings.languageId);
    m_lngId = hasTable(id) ? static_cast<std::int16_t>(id) : 0;
}

bool Localisation::languageStillToAsk() {
    if (!settingsFileExists())
        return true;
    Settings onDisk;
    readSettings(m_fs, m_settingsFile, onDisk);
    return !hasTable(wholeNumber(onDisk.languageId));
}

} // namespace lw
