// The settings file "Liedwerk.ini" in the program's folder: one line of three quoted
// fields, ended by CR LF: the language number, the card reader's drive, and a third
// field that the program carries along unchanged. Example: "2","e:","" CR LF.
#pragma once

#include "platform/FileSystem.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace lw {

struct Settings {
    std::string languageId = "0"; // "1" German, "2" English, "0" none chosen (LanguageId)
    std::string cardDrive;        // the card reader's drive as the drive list names it (CardDrive)
    std::string reserved;         // carried unchanged (SettingsReserved)
};

// Reads the three fields in order. Fields may be quoted (the text between the quotes)
// or bare (trimmed, ending at the next comma or line end). Reading stops silently at
// the first failure: the fields read before it keep their new values, the others their
// old ones.
void readSettings(FileSystem& fs, const std::filesystem::path& file, Settings& settings);
void parseSettings(std::string_view content, Settings& settings);

// Replaces the file with exactly one line holding the three values. A value holding a
// quotation mark or a line end cannot be stored: InvalidArgument, and the file stays as it was.
Status writeSettings(FileSystem& fs, const std::filesystem::path& file, const Settings& settings);
std::string formatSettings(const Settings& settings);

} // namespace lw
