#include "ui/dialogs/DialogKit.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QWidget>

#include <algorithm>

namespace lw::ui::dlg {

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsRect(left, top, width, height));
}

void sizeAndCentre(QWidget* window, int widthTwips, int heightTwips) {
    window->resize(px(widthTwips), px(heightTwips));
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    window->move(area.left() + (area.width() - window->width()) / 2,
                 area.top() + (area.height() - window->height()) / 2);
}

void sizeForParent(QWidget* dialog, int widthTwips, int heightTwips) {
    if (!dialog->parentWidget()) {
        sizeAndCentre(dialog, widthTwips, heightTwips);
        return;
    }
    dialog->resize(px(widthTwips), px(heightTwips));
}

void growToText(QLabel* label) {
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin() + 4;
    if (needed > label->width())
        label->resize(needed, label->height());
}

int makeRoomForText(QWidget* window, QList<QWidget*> texts) {
    std::sort(texts.begin(), texts.end(), [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    int grown = 0;
    for (QWidget* text : texts)
        grown += makeRoom(window, text, text->heightForWidth(text->width()));
    return grown;
}

int makeRoom(QWidget* window, QWidget* child, int neededHeight) {
    if (neededHeight <= child->height())
        return 0;
    const int extra = neededHeight - child->height();
    const int oldBottom = child->geometry().bottom();
    child->resize(child->width(), neededHeight);
    for (QWidget* other : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (other != child && !other->isWindow() && other->y() > oldBottom)
            other->move(other->x(), other->y() + extra);
    return extra;
}

int tallestTextHeight(QLabel* label, const QList<QString>& texts) {
    const QString shown = label->text();
    int tallest = 0;
    for (const QString& text : texts) {
        label->setText(text);
        tallest = std::max(tallest, label->heightForWidth(label->width()));
    }
    label->setText(shown);
    return tallest;
}

int WrapButton::heightForWidth(int width) const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect lines =
        fontMetrics().boundingRect(QRect(0, 0, std::max(1, width - 2 * kTextPadding - 8), 10000),
                                   Qt::AlignCenter | Qt::TextWordWrap, text());
    const QSize contents(width, lines.height() + 2 * kTextPadding);
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, contents, this).height();
}

void WrapButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect textArea = style()
                         ->subElementRect(QStyle::SE_PushButtonContents, &option, this)
                         .adjusted(kTextPadding, 0, -kTextPadding, 0);
    if (isDown() || isChecked())
        textArea.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    painter.drawItemText(textArea, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(),
                         isEnabled(), caption, QPalette::ButtonText);
}

} // namespace lw::ui::dlg
