// The language dialog, and the program's first window. At a first start it asks for
// German or English; at later starts it reads the settings file and closes without
// being seen. From the main window's menu it can be opened again to change the language.
//
// Whenever it closes, the lookup's language (LngId) follows LanguageId and the settings
// file is written; during start-up the about window follows.
//
// Two rules keep the user in a language that has texts:
// - a settings file naming a language without a message table ("3", "4", text) makes
//   the start-up ask, as at a first start, instead of ending the program; the dialog
//   then offers German, the language it speaks, for the close box;
// - opened from the menu and closed by its close box, the dialog keeps the language in
//   force, rather than dropping to "no language chosen" (which would turn the program
//   German and make the next start ask again).
#pragma once

#include "settings/Localisation.h"

#include <QDialog>

#include <string>

namespace lw::ui {

// The start-up's choice: ask for the language, or take it from the settings file.
bool languageMustBeAsked(Localisation& localisation);

class Sprachwahl : public QDialog {
    Q_OBJECT

public:
    // startupDone: StartupDone, false only while the program is starting.
    Sprachwahl(Localisation& localisation, bool startupDone, QWidget* parent = nullptr);

    // At start-up with a usable settings file: the settings were read and the dialog
    // closes without being shown.
    bool closesUnseen() const { return m_closesUnseen; }

    // The dialog's whole run: shown modally unless it closes unseen; the closing steps
    // run in either case.
    int run();

    // Closing: LngId from LanguageId, the settings file written, the start-up handed on.
    void done(int result) override;

signals:
    // Closed while the program is starting: the about window is to follow.
    void startupContinues();

private:
    void choose(const char* languageId);

    Localisation& m_localisation;
    bool m_startupDone;
    bool m_closesUnseen = false;
    bool m_chosen = false;
    bool m_closed = false;
    std::string m_languageInForce;
};

} // namespace lw::ui
