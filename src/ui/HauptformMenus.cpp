// The Program and Help menus' dialogs: the language dialog (which re-labels the window
// when it closes, through the activation that follows), the help viewer, the web page
// and the about window, which from the menu never closes by itself.
#include "ui/Hauptform.h"
#include "ui/dialogs/Help.h"
#include "ui/dialogs/Infofenster.h"
#include "ui/dialogs/Sprachwahl.h"
#include "ui/dialogs/WebPage.h"

namespace lw::ui {

void Hauptform::connectMenuDialogs() {
    connect(this, &Hauptform::languageSelectionRequested, this, [this] {
        Sprachwahl dialog(m_ctx.localisation, true, this);
        dialog.run();
        applyTexts();
    });
    connect(this, &Hauptform::helpRequested, this,
            [this] { openHelp(m_ctx.localisation, m_ctx.programFolder, this); });
    connect(this, &Hauptform::internetRequested, this, [] { openWebPage(); });
    connect(this, &Hauptform::infoRequested, this, [this] {
        Infofenster about(m_ctx.localisation, true, this);
        about.exec();
    });
}

} // namespace lw::ui
