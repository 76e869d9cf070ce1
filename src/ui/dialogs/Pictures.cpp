#include "ui/dialogs/Pictures.h"

#include <QColor>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

#include <array>
#include <cmath>

namespace lw::ui {

namespace {

// Official colours of the two flags.
const QColor kGermanBlack(0x00, 0x00, 0x00);
const QColor kGermanRed(0xDD, 0x00, 0x00);
const QColor kGermanGold(0xFF, 0xCE, 0x00);
const QColor kUnionBlue(0x01, 0x21, 0x69);
const QColor kUnionRed(0xC8, 0x10, 0x2E);
const QColor kWhite(0xFF, 0xFF, 0xFF);

// The Union Flag's parts in units of 1/30 of its height.
constexpr double kUnitsHigh = 30.0;
constexpr double kSaltireWhite = 6.0; // St Andrew, across the diagonal
constexpr double kSaltireRed = 2.0;   // St Patrick, on one side of the diagonal
constexpr double kCrossWhite = 10.0;  // St George's cross with its white edges
constexpr double kCrossRed = 6.0;     // St George's cross

QPointF unitVector(QPointF v) {
    const double length = std::hypot(v.x(), v.y());
    return v / length;
}

QPixmap paintedPixmap(QSize size, void (*draw)(QPainter&, const QRectF&)) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

} // namespace

void drawGermanFlag(QPainter& painter, const QRectF& area) {
    const double stripe = area.height() / 3.0;
    painter.save();
    painter.fillRect(QRectF(area.left(), area.top(), area.width(), stripe), kGermanBlack);
    painter.fillRect(QRectF(area.left(), area.top() + stripe, area.width(), stripe), kGermanRed);
    painter.fillRect(QRectF(area.left(), area.top() + 2 * stripe, area.width(), area.height() - 2 * stripe),
                     kGermanGold);
    painter.restore();
}

void drawUnionFlag(QPainter& painter, const QRectF& area) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area, Qt::IntersectClip);
    const double unit = area.height() / kUnitsHigh;
    const QPointF centre = area.center();
    const double beyond = area.width() + area.height(); // lines run past the corners; the clip cuts them

    painter.fillRect(area, kUnionBlue);

    // St Andrew: the white saltire from corner to corner.
    QPen white(kWhite, kSaltireWhite * unit, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(white);
    for (const QLineF diagonal :
         {QLineF(area.topLeft(), area.bottomRight()), QLineF(area.bottomLeft(), area.topRight())}) {
        const QPointF along = unitVector(diagonal.p2() - diagonal.p1()) * beyond;
        painter.drawLine(QLineF(diagonal.p1() - along, diagonal.p2() + along));
    }

    // St Patrick: in each arm the red lies on one side of the diagonal, turning the same
    // way round the centre in all four arms, so that at the hoist the broad white is
    // above the red and at the fly below it.
    const std::array<QPointF, 4> corners = {area.topLeft(), area.topRight(), area.bottomRight(),
                                            area.bottomLeft()};
    painter.setPen(QPen(kUnionRed, kSaltireRed * unit, Qt::SolidLine, Qt::FlatCap));
    for (const QPointF& corner : corners) {
        const QPointF outwards = unitVector(corner - centre);
        const QPointF side(outwards.y(), -outwards.x()); // a quarter turn from the arm's direction
        const QPointF offset = side * (kSaltireRed / 2.0 * unit);
        painter.save();
        painter.setClipRect(QRectF(centre, corner).normalized(), Qt::IntersectClip);
        painter.drawLine(QLineF(centre + offset, corner + offset + outwards * beyond));
        painter.restore();
    }

    // St George: the red cross with its white edges, over the saltires.
    painter.setPen(Qt::NoPen);
    const auto cross = [&](double width, const QColor& colour) {
        const double w = width * unit;
        painter.fillRect(QRectF(area.left(), centre.y() - w / 2, area.width(), w), colour);
        painter.fillRect(QRectF(centre.x() - w / 2, area.top(), w, area.height()), colour);
    };
    cross(kCrossWhite, kWhite);
    cross(kCrossRed, kUnionRed);
    painter.restore();
}

// Drawn on a 64 x 64 grid, the same one as data/liedwerk.svg.
void drawLogo(QPainter& painter, const QRectF& area) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = std::min(area.width(), area.height()) / 64.0;
    painter.translate(area.center() - QPointF(32 * scale, 32 * scale));
    painter.scale(scale, scale);

    const QColor body(0x2C, 0x3E, 0x50);
    const QColor contact(0xF1, 0xC4, 0x0F);
    const QColor label(0xEC, 0xF0, 0xF1);

    // The card, its top right corner cut off like an SD card's.
    QPainterPath card;
    card.moveTo(14, 4);
    card.lineTo(42, 4);
    card.lineTo(52, 14);
    card.lineTo(52, 58);
    card.quadTo(52, 60, 50, 60);
    card.lineTo(16, 60);
    card.quadTo(14, 60, 14, 58);
    card.closeSubpath();
    painter.fillPath(card, body);

    for (int i = 0; i < 5; ++i)
        painter.fillRect(QRectF(18 + 4.5 * i, 7, 2.6, 9), contact);

    painter.setPen(Qt::NoPen);
    painter.setBrush(label);
    painter.drawRoundedRect(QRectF(17, 21, 32, 36), 2, 2);

    // Two beamed quavers above a short keyboard.
    painter.setBrush(body);
    painter.drawEllipse(QPointF(25, 31), 2.4, 1.8);
    painter.drawEllipse(QPointF(35, 30), 2.4, 1.8);
    painter.setPen(QPen(body, 1.2));
    painter.drawLine(QPointF(27.2, 31), QPointF(27.2, 24));
    painter.drawLine(QPointF(37.2, 30), QPointF(37.2, 23));
    painter.setPen(QPen(body, 2.2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(26.6, 24.2), QPointF(37.8, 23.2));

    const QRectF keys(19, 36, 28, 19);
    painter.setPen(QPen(body, 0.8));
    painter.setBrush(kWhite);
    painter.drawRect(keys);
    for (int i = 1; i < 7; ++i)
        painter.drawLine(QPointF(keys.left() + 4 * i, keys.top()),
                         QPointF(keys.left() + 4 * i, keys.bottom()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(body);
    for (int boundary : {1, 2, 4, 5, 6})
        painter.drawRect(QRectF(keys.left() + 4 * boundary - 1.3, keys.top(), 2.6, 11.5));
    painter.restore();
}

QPixmap germanFlag(QSize size) {
    return paintedPixmap(size, &drawGermanFlag);
}

QPixmap unionFlag(QSize size) {
    return paintedPixmap(size, &drawUnionFlag);
}

QPixmap logo(QSize size) {
    return paintedPixmap(size, &drawLogo);
}

} // namespace lw::ui
