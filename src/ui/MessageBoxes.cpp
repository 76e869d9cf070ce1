#include "ui/MessageBoxes.h"

#include <QPushButton>

namespace lw::ui {

namespace {

QString withLineBreaks(const QString& text) {
    QString shown = text;
    shown.replace(QChar(u'\r'), QChar(u'\n'));
    return shown;
}

} // namespace

QMessageBox::StandardButton QtMessageBoxes::show(QWidget* parent, QMessageBox::Icon icon,
                                                 const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, withLineBreaks(text), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return box.standardButton(box.clickedButton());
}

int QtMessageBoxes::choose(QWidget* parent, const QString& title, const QString& text,
                           const QList<Answer>& answers, int defaultAnswer, int escapeAnswer) {
    QMessageBox box(QMessageBox::Question, title, withLineBreaks(text), QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton*> buttons;
    for (const Answer& answer : answers)
        buttons.append(box.addButton(answer.text, answer.role));
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.value(defaultAnswer)));
    box.setEscapeButton(buttons.value(escapeAnswer));
    box.exec();
    const auto chosen = buttons.indexOf(box.clickedButton());
    return chosen >= 0 ? static_cast<int>(chosen) : escapeAnswer;
}

} // namespace lw::ui
