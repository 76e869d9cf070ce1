// Small tools shared by the dialogs: places in twips, numbered messages as QStrings,
// centring on the screen or on the parent window, labels that grow to their text, and a push button whose
// caption wraps onto several lines.
//
// The dialogs were drawn in twips (1/1440 inch); at 96 dpi 15 twips make one pixel. Qt
// measures widgets in device-independent pixels (96-dpi pixels on every screen), so the
// conversion is fixed and high-dpi scaling is left to Qt.
#pragma once

#include "settings/Localisation.h"
#include "ui/dialogs/Twips.h"
#include "ui/dialogs/UiText.h"

#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QRect>
#include <QString>

#include <string_view>

class QWidget;

namespace lw::ui::dlg {

using ui::fromUtf8;
using ui::kTwipsPerPixel;
using ui::message;
using ui::px;
using ui::twipsRect;

// What a window's frame adds to its client area: the borders and the title bar. Sizes
// given for a whole window are turned into client sizes with them.
inline constexpr int kFrameWidthTwips = 120;
inline constexpr int kFrameHeightTwips = 420;

// Places the widget at the rectangle in twips.
void place(QWidget* widget, int left, int top, int width, int height);

// Gives a window the client size in twips and centres it on its screen: left edge at
// half the difference of the screen's width and the window's, top edge likewise.
void sizeAndCentre(QWidget* window, int widthTwips, int heightTwips);

// Gives a dialog of the main window the client size in twips and leaves its place to Qt,
// which centres a dialog on its parent window when it is shown, as it does message boxes.
void sizeForParent(QWidget* dialog, int widthTwips, int heightTwips);

// Widens a one-line label to the width its text needs, never narrower than it is, so
// that a font wider than the one the dialog was drawn with does not cut the text off.
void growToText(QLabel* label);

// Gives each of the texts (word-wrapped labels, wrapping buttons) the height its text
// needs at its width, where that is more than it has, and moves the window's other
// children below it down by as much. Returns the pixels the window must grow by.
int makeRoomForText(QWidget* window, QList<QWidget*> texts);

// The same for one child and a height: grows it to the height and moves what lies below.
int makeRoom(QWidget* window, QWidget* child, int neededHeight);

// The height a word-wrapped label needs at its width for the tallest of several texts
// that it shows in turn.
int tallestTextHeight(QLabel* label, const QList<QString>& texts);

// A push button whose caption is broken into lines to fit its width, for captions too
// long for one line. text() stays the whole caption.
class WrapButton : public QPushButton {
public:
    explicit WrapButton(QWidget* parent = nullptr) : QPushButton(parent) {}

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kTextPadding = 4; // pixels between the caption and the button's sides
};

} // namespace lw::ui::dlg
