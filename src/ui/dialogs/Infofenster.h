// The about window. It doubles as the splash window of the start-up: shown after the
// language is settled, it stands for two seconds, closes by itself and hands on to the
// main window. Opened later from the Help menu it stays until the user closes it.
#pragma once

#include "settings/Localisation.h"

#include <QDialog>

class QTimer;

namespace lw::ui {

// The program's version as the build knows it, "1.0.0".
QString programVersion();

class Infofenster : public QDialog {
    Q_OBJECT

public:
    // startupDone: StartupDone, false only while the program is starting.
    Infofenster(Localisation& localisation, bool startupDone, QWidget* parent = nullptr);

    QTimer* timer() const { return m_timer; }

    // Closing runs here; during start-up it first asks for the main window.
    void done(int result) override;

signals:
    // The window closed during start-up: the main window is to be shown now, and
    // StartupDone becomes true.
    void mainWindowDue();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_startupDone;
    bool m_handedOn = false;
    QTimer* m_timer = nullptr;
};

} // namespace lw::ui
