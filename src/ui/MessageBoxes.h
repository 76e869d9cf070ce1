// Every modal message the window shows goes through this one seam: the program uses
// QMessageBox, tests a scripted double that records what was shown and answers as told.
// A carriage return in a text starts a new line, as the message tables write it.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace lw::ui {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // Shows the message and returns the button that closed it (NoButton if none did).
    virtual QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                             const QString& text, QMessageBox::StandardButtons buttons) = 0;

    // OK button, no icon.
    QMessageBox::StandardButton plain(QWidget* parent, const QString& title, const QString& text) {
        return show(parent, QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    }
    QMessageBox::StandardButton information(QWidget* parent, const QString& title, const QString& text) {
        return show(parent, QMessageBox::Information, title, text, QMessageBox::Ok);
    }
    // Yes and No buttons with the question icon.
    QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text) {
        return show(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No);
    }
    // OK button with the exclamation icon.
    QMessageBox::StandardButton warning(QWidget* parent, const QString& title, const QString& text) {
        return show(parent, QMessageBox::Warning, title, text, QMessageBox::Ok);
    }
    // OK button with the stop icon.
    QMessageBox::StandardButton critical(QWidget* parent, const QString& title, const QString& text) {
        return show(parent, QMessageBox::Critical, title, text, QMessageBox::Ok);
    }
};

class QtMessageBoxes : public MessageBoxes {
public:
    QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                     const QString& text, QMessageBox::StandardButtons buttons) override;
};

} // namespace lw::ui
