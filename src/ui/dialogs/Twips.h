// The main window's places and sizes are kept in twips, the unit its layout was drawn
// in: 1440 twips to the inch, so 15 twips make one pixel at 96 dpi. Qt measures widgets
// in device-independent pixels, which are 96-dpi pixels on every screen, so the
// conversion is the same everywhere and high-dpi scaling is left to Qt.
#pragma once

#include <QRect>

namespace lw::ui {

inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels, rounded to the nearest pixel.
constexpr int px(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int twips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// A rectangle given as left, top, width and height in twips.
inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace lw::ui
