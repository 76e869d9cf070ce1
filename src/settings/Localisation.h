// Which language the program speaks, and the message lookup in it.
//
// LngId is the language of the lookup: 0 while not yet settled, 1 German, 2 English.
// The first lookup settles it: from the settings file if there is one, then from the
// command-line key "LNGID=" if it holds 1 or 2 (the settings are not changed by it; any
// other number is ignored like 0), otherwise from LanguageId, which becomes "1" (German) when it names
// no language. A number that has no message table (3, 4, anything else, or text that is
// no number) counts as no language chosen: the lookup speaks German, and
// languageStillToAsk() tells the start-up to ask for the language as at a first start.
#pragma once

#include "platform/FileSystem.h"
#include "settings/MessageTables.h"
#include "settings/SettingsFile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace lw {

// Reads a leading decimal number from text the way the program always has: blanks
// skipped, reading stops at the first character that cannot continue the number, no
// number gives 0; the value is rounded to a whole number (halves to the even one).
double leadingNumber(std::string_view text);
long long wholeNumber(std::string_view text);

class Localisation {
public:
    Localisation(FileSystem& fs, std::filesystem::path settingsFile, std::string commandLine);

    // The program-wide LanguageId, CardDrive and SettingsReserved.
    Settings& settings() { return m_settings; }
    const std::filesystem::path& settingsFile() const { return m_settingsFile; }
    bool settingsFileExists();
    void readSettingsFile();
    Status writeSettingsFile();

    std::int16_t lngId() const { return m_lngId; }
    Language language() {
        settle();
        return m_lngId == 2 ? Language::English : Language::German;
    }

    // The message in the current language, settling the language first if needed.
    std::string_view text(int number);

    // The language dialog closed: LngId follows LanguageId (0 again when it names no
    // language with a table, so that the next lookup settles it anew).
    void applyLanguageId();

    // True when no settings file exists, or when it names no language with a table.
    bool languageStillToAsk();

private:
    void settle();

    FileSystem& m_fs;
    std::filesystem::path m_settingsFile;
    std::string m_commandLine;
    Settings m_settings;
    std::int16_t m_lngId = 0;
};

} // namespace lw
