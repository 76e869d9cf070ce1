#include "ui/MessageBoxes.h"

namespace lw::ui {

QMessageBox::StandardButton QtMessageBoxes::show(QWidget* parent, QMessageBox::Icon icon,
                                                 const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons) {
    QString shown = text;
    shown.replace(QChar(u'\r'), QChar(u'\n'));
    QMessageBox box(icon, title, shown, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return box.standardButton(box.clickedButton());
}

} // namespace lw::ui
