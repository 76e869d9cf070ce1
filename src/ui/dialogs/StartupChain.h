// The program's start: the language dialog first (asking, or closing unseen after
// reading the settings file), then the about window as a two-second splash, then the
// main window. StartupDone turns true when the splash has closed; from then on the
// language dialog and the about window only open from the menu.
#pragma once

#include "settings/Localisation.h"

#include <QObject>

#include <functional>

namespace lw::ui {

class StartupChain : public QObject {
    Q_OBJECT

public:
    // showMainWindow creates and shows the main window, not modally.
    StartupChain(Localisation& localisation, std::function<void()> showMainWindow, QObject* parent = nullptr);

    // Runs the language dialog (modally, when it has to ask) and shows the splash.
    // Returns before the splash closes; the event loop carries the rest.
    void start();

    bool startupDone() const { return m_startupDone; }

signals:
    void startupFinished();

private:
    void showSplash();

    Localisation& m_localisation;
    std::function<void()> m_showMainWindow;
    bool m_startupDone = false;
};

} // namespace lw::ui
