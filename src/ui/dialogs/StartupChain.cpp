#include "ui/dialogs/StartupChain.h"
#include "ui/dialogs/Infofenster.h"
#include "ui/dialogs/Sprachwahl.h"

#include <utility>

namespace lw::ui {

StartupChain::StartupChain(Localisation& localisation, std::function<void()> showMainWindow, QObject* parent)
    : QObject(parent), m_localisation(localisation), m_showMainWindow(std::move(showMainWindow)) {}

void StartupChain::start() {
    Sprachwahl languageDialog(m_localisation, m_startupDone);
    connect(&languageDialog, &Sprachwahl::startupContinues, this, &StartupChain::showSplash);
    languageDialog.run();
}

void StartupChain::showSplash() {
    auto* splash = new Infofenster(m_localisation, m_startupDone);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    connect(splash, &Infofenster::mainWindowDue, this, [this] {
        if (m_startupDone)
            return;
        if (m_showMainWindow)
            m_showMainWindow();
        m_startupDone = true;
        emit startupFinished();
    });
    splash->show();
}

} // namespace lw::ui
