// Qt's own texts (the buttons of message boxes, the context menus of edit fields, the
// folder dialog) in the program's language. German comes from Qt's translation file
// qtbase_de.qm, looked for in a folder "translations" beside the executable (where a
// download for Windows brings it) and then in Qt's own translations folder; English is
// what Qt writes without one. Without the file Qt's texts stay English.
#pragma once

#include "settings/Localisation.h"

namespace lw::ui {

// Installs (or removes) the application's translator for Qt's texts; does nothing when
// that language is in force already. Returns whether Qt's texts are now in it.
bool applyQtLanguage(Language language);

} // namespace lw::ui
