// Texts between the core and Qt. The core speaks UTF-8 (messages, paths) and keeps the
// names from the backups as Windows-1252 bytes; the window shows QStrings.
#pragma once

#include "backup/Cp1252.h"
#include "settings/Localisation.h"

#include <QString>

#include <string>
#include <string_view>

namespace lw::ui {

inline QString fromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A row text of the working list (Windows-1252 bytes) for display.
inline QString fromCp1252(std::string_view bytes) {
    return fromUtf8(cp1252ToUtf8(bytes));
}

// The numbered message in the current language, looked up now.
inline QString message(Localisation& localisation, int number) {
    return fromUtf8(localisation.text(number));
}

} // namespace lw::ui
