// Every modal message the window shows goes through this one seam: the program uses
// QMessageBox, tests a scripted double that records what was shown and answers as told.
// A carriage return in a text starts a new line, as the message tables write it.
#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

class QWidget;

namespace lw::ui {

// One answer of a question whose buttons carry captions of their own; the role places
// the button where the desktop puts such a button.
struct Answer {
    QString text;
    QMessageBox::ButtonRole role;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // A question with the question icon and one button per answer. Returns the index of
    // the answer chosen: Enter takes `defaultAnswer`, Escape and the close box `escapeAnswer`.
    virtual int choose(QWidget* parent, const QString& title, const QString& text,
                       const QList<Answer>& answers, int defaultAnswer, int escapeAnswer) = 0;

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
    int choose(QWidget* parent, const QString& title, const QString& text, const QList<Answer>& answers,
               int defaultAnswer, int escapeAnswer) override;
};

} // namespace lw::ui
