#include "skinpainting.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <random>

namespace skin {

namespace {

// std::mt19937's sequence is fixed by the C++ standard (unlike the standard
// distributions), so raw draws keep the streaks identical on every build.
double signedUnit(std::mt19937 &gen)
{
    return gen() / double(std::mt19937::max()) * 2.0 - 1.0;
}

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

} // namespace

QImage brushedNoise(QSize size, int strength, quint32 seed)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    std::mt19937 gen(seed);
    // Each row is one brush stroke: a row-wide tone, a slow wander along the
    // row (the long streaks) and a little grain.
    constexpr double kWander = 0.04;
    for (int y = 0; y < size.height(); ++y) {
        const double rowTone = signedUnit(gen);
        double wander = signedUnit(gen) * 0.3;
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            wander += (signedUnit(gen) - wander) * kWander;
            const double grain = signedUnit(gen);
            const double v = std::clamp(rowTone * 0.35 + wander * 2.0 + grain * 0.2, -1.0, 1.0);
            const int a = int(std::lround(std::abs(v) * strength));
            const int c = v > 0 ? 255 : 0;
            line[x] = qPremultiply(qRgba(c, c, c, a));
        }
    }
    return img;
}

void paintFace(QPainter &p, const QRect &r, quint32 seed, QColor top, QColor bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(0.4, QColor((top.red() * 2 + bottom.red()) / 3, (top.green() * 2 + bottom.green()) / 3,
                             (top.blue() * 2 + bottom.blue()) / 3));
    g.setColorAt(1, bottom);
    p.fillRect(r, g);
    p.drawImage(r.topLeft(), brushedNoise(r.size(), 12, seed));
}

void paintWindowEdge(QPainter &p, const QRect &r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor(6, 6, 8));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    const QRect in = r.adjusted(1, 1, -2, -2);
    p.setPen(QColor(255, 255, 255, 40));
    p.drawLine(in.topLeft(), in.topRight());
    p.drawLine(in.topLeft(), in.bottomLeft());
    p.setPen(QColor(0, 0, 0, 110));
    p.drawLine(in.bottomLeft(), in.bottomRight());
    p.drawLine(in.topRight(), in.bottomRight());
    p.restore();
}

void paintTitleStrip(QPainter &p, int width)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect strip(0, 0, width, kTitleHeight);
    QLinearGradient g(strip.topLeft(), strip.bottomLeft());
    g.setColorAt(0, kTitleTop);
    g.setColorAt(0.5, QColor(40, 42, 47));
    g.setColorAt(1, kTitleBottom);
    p.fillRect(strip, g);
    // Seam under the strip: a dark groove, then a silver catch-light.
    p.setPen(QColor(0, 0, 0, 170));
    p.drawLine(0, kTitleHeight - 1, width - 1, kTitleHeight - 1);
    p.restore();
    paintSilverLine(p, QPointF(0, kTitleHeight + 0.5), QPointF(width, kTitleHeight + 0.5), 80);
}

void paintRecess(QPainter &p, const QRectF &r, qreal radius, QColor fillTop, QColor fillBottom)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);

    // The lip around the hole: in shadow above, catching light below.
    QLinearGradient lip(r.topLeft(), r.bottomLeft());
    lip.setColorAt(0, QColor(0, 0, 0, 120));
    lip.setColorAt(0.5, QColor(0, 0, 0, 40));
    lip.setColorAt(1, QColor(255, 255, 255, 55));
    p.setBrush(lip);
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);

    QPainterPath hole;
    hole.addRoundedRect(r, radius, radius);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, fillTop);
    fill.setColorAt(1, fillBottom);
    p.fillPath(hole, fill);

    // Soft inner shadow cast by the top and left walls.
    p.setClipPath(hole);
    const qreal depth = std::min<qreal>(5, r.height() / 4);
    QLinearGradient topShade(r.topLeft(), r.topLeft() + QPointF(0, depth));
    topShade.setColorAt(0, QColor(0, 0, 0, 150));
    topShade.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(r, topShade);
    QLinearGradient leftShade(r.topLeft(), r.topLeft() + QPointF(depth * 0.6, 0));
    leftShade.setColorAt(0, QColor(0, 0, 0, 90));
    leftShade.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(r, leftShade);
    p.restore();
}

void paintRoundRecess(QPainter &p, const QRectF &r, QColor fillTop, QColor fillBottom)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);

    QLinearGradient lip(r.topLeft(), r.bottomLeft());
    lip.setColorAt(0, QColor(0, 0, 0, 130));
    lip.setColorAt(0.55, QColor(0, 0, 0, 40));
    lip.setColorAt(1, QColor(255, 255, 255, 60));
    p.setBrush(lip);
    p.drawEllipse(r.adjusted(-1.2, -1.2, 1.2, 1.2));

    QPainterPath hole;
    hole.addEllipse(r);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, fillTop);
    fill.setColorAt(1, fillBottom);
    p.fillPath(hole, fill);

    p.setClipPath(hole);
    QLinearGradient topShade(r.topLeft(), r.topLeft() + QPointF(0, r.height() * 0.35));
    topShade.setColorAt(0, QColor(0, 0, 0, 150));
    topShade.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(r, topShade);
    p.restore();
}

void paintBezel(QPainter &p, const QRectF &r, qreal radius, int alpha)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF ring = r.adjusted(-2, -2, 2, 2);
    QLinearGradient g(ring.topLeft(), ring.bottomLeft());
    g.setColorAt(0, withAlpha(kSilver, alpha));
    g.setColorAt(0.5, withAlpha(kSilver, alpha / 3));
    g.setColorAt(1, withAlpha(kSilver, alpha * 2 / 3));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(g), 1));
    p.drawRoundedRect(ring, radius + 2, radius + 2);
    p.restore();
}

void paintSilverLine(QPainter &p, QPointF from, QPointF to, int alpha)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QLinearGradient g(from, to);
    g.setColorAt(0, withAlpha(kSilver, 0));
    g.setColorAt(0.12, withAlpha(kSilver, alpha));
    g.setColorAt(0.88, withAlpha(kSilver, alpha));
    g.setColorAt(1, withAlpha(kSilver, 0));
    p.setPen(QPen(QBrush(g), 1));
    p.drawLine(from, to);
    p.restore();
}

void paintGrille(QPainter &p, const QRect &r, int pitch)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    const qreal hole = pitch * 0.32;
    int row = 0;
    for (qreal y = r.top() + pitch / 2.0; y + hole <= r.bottom(); y += pitch * 0.866, ++row) {
        // Every other row shifted by half a pitch: a honeycomb of holes.
        const qreal shift = (row % 2) ? pitch / 2.0 : 0;
        for (qreal x = r.left() + pitch / 2.0 + shift; x + hole <= r.right(); x += pitch) {
            p.setBrush(QColor(255, 255, 255, 28));
            p.drawEllipse(QPointF(x + 0.5, y + 0.6), hole, hole);
            p.setBrush(QColor(0, 0, 0, 200));
            p.drawEllipse(QPointF(x, y), hole, hole);
        }
    }
    p.restore();
}

void paintCross(QPainter &p, QPointF centre, qreal size, QColor colour, qreal width)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    const qreal h = size / 2;
    p.drawLine(centre + QPointF(-h, -h), centre + QPointF(h, h));
    p.drawLine(centre + QPointF(-h, h), centre + QPointF(h, -h));
    p.restore();
}

QPainterPath tabPath(const QRectF &r, qreal radius)
{
    // A rounded rectangle pushed up past the top edge and cut there leaves
    // square top corners and round bottom ones.
    QPainterPath rounded;
    rounded.addRoundedRect(r.adjusted(0, -radius - 1, 0, 0), radius, radius);
    QPainterPath box;
    box.addRect(r);
    return rounded.intersected(box);
}

} // namespace skin
