// Button strips: each strip holds the faces of one button side by side, in
// the order the program picks them.
#include "pictures.h"
#include "skinpainting.h"

#include <QPainter>

namespace skin {

namespace {

struct TabLook {
    QColor top, bottom;   // body gradient
    QColor glyph;
    QPointF glyphShift;   // pressed faces sink by a pixel
};

// One window-button tab hanging from the top edge, with its glyph drawn by
// `glyph` inside `face`.
template <typename Glyph>
void paintTab(QPainter &p, const QRectF &face, const TabLook &look, Glyph glyph)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF body = face.adjusted(0.5, 0, -0.5, -0.5);
    const QPainterPath path = tabPath(body, 5);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, look.top);
    g.setColorAt(1, look.bottom);
    p.fillPath(path, g);
    // Light rim along the inside, dark outline around it.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 35), 1));
    p.drawPath(tabPath(body.adjusted(1, 0, -1, -1), 4));
    p.setPen(QPen(QColor(0, 0, 0, 190), 1));
    p.drawPath(path);
    glyph(body.center() + QPointF(0, -0.5) + look.glyphShift, look.glyph);
    p.restore();
}

} // namespace

// minimise 3 x 27 x 18: hover, pressed, normal, as the close strip (faces 2, 0, 1).
void paintMinimiseStrip(QPainter &p)
{
    const TabLook looks[] = {
        {QColor(96, 99, 108), QColor(46, 48, 54), QColor(255, 255, 255), {0, 0}},
        {QColor(24, 25, 28), QColor(56, 58, 64), QColor(190, 190, 190), {1, 1}},
        {QColor(64, 66, 72), QColor(30, 31, 35), kSilver, {0, 0}},
    };
    auto bar = [&p](QPointF c, QColor colour) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRectF(c.x() - 4, c.y() + 2, 8, 2), colour);
        p.restore();
    };
    for (int i = 0; i < 3; ++i)
        paintTab(p, QRectF(i * 27, 0, 27, 18), looks[i], bar);
}

void paintCloseStrip(QPainter &p)
{
    const TabLook looks[] = {
        // hover: lit red
        {QColor(168, 40, 36), QColor(96, 16, 14), QColor(245, 245, 245), {0, 0}},
        // pressed: darker, lit from below, glyph sunk
        {QColor(60, 14, 12), QColor(120, 30, 26), QColor(200, 200, 200), {1, 1}},
        // normal
        {QColor(64, 66, 72), QColor(30, 31, 35), kSilver, {0, 0}},
    };
    auto cross = [&p](QPointF c, QColor colour) { paintCross(p, c, 7, colour, 1.7); };
    for (int i = 0; i < 3; ++i)
        paintTab(p, QRectF(i * kCloseWidth, 0, kCloseWidth, kCloseHeight), looks[i], cross);
}

} // namespace skin
