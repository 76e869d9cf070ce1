// The pictures the dialogs show, drawn here rather than loaded from image files: the
// flags of the language buttons and the program's logo in the about window.
//
// The flags keep their real proportions of stripes and crosses within whatever
// rectangle they are given; the language buttons show them at 76 x 48 pixels.
#pragma once

#include <QPixmap>
#include <QRectF>
#include <QSize>

class QPainter;

namespace lw::ui {

inline constexpr QSize kFlagSize(76, 48);

// Black, red and gold in three equal horizontal stripes.
void drawGermanFlag(QPainter& painter, const QRectF& area);

// The Union Flag: the blue field, the white saltire of St Andrew with the counterchanged
// red saltire of St Patrick (the broad white above the red at the hoist), and the red
// cross of St George edged in white, after the proportions of the 1:2 flag (St George's
// cross 1/5 of the height with 1/15 white on each side; saltires 1/5 white, 1/15 red).
void drawUnionFlag(QPainter& painter, const QRectF& area);

// The logo: an SD card with keyboard keys on its label, the same motif as the icon.
void drawLogo(QPainter& painter, const QRectF& area);

// The pictures at a size, for a button or a label (device pixel ratio 1).
QPixmap germanFlag(QSize size = kFlagSize);
QPixmap unionFlag(QSize size = kFlagSize);
QPixmap logo(QSize size);

} // namespace lw::ui
