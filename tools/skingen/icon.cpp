// The program icon: an antenna mast sending radio waves, silver on a dark
// anodised badge. The 24 px size is drawn on the pixel grid on its own so the
// mast and base stay crisp in the title strip; the desktop sizes are drawn
// from the same design, scaled, with more finish (brushed badge, tower legs).
#include "pictures.h"
#include "skinpainting.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace skin {

namespace {

// The design lives on a 24-unit grid; the source of the waves is at (12, 9).
constexpr QPointF kSource{12, 9};

void paintBadge(QPainter &p, int size)
{
    const qreal s = size / 24.0;
    const bool small = size < 32;
    const QRectF badge = small ? QRectF(0.5, 0.5, 23, 23) : QRectF(s, s, 22 * s, 22 * s);
    const qreal radius = small ? 4.5 : 4.8 * s;
    QPainterPath shape;
    shape.addRoundedRect(badge, radius, radius);

    QLinearGradient fill(badge.topLeft(), badge.bottomLeft());
    fill.setColorAt(0, QColor(70, 72, 80));
    fill.setColorAt(1, QColor(14, 15, 18));
    p.fillPath(shape, fill);

    p.save();
    p.setClipPath(shape);
    if (!small)
        p.drawImage(QPointF(0, 0), brushedNoise(QSize(size, size), 14, 0x1c0u + size));
    QLinearGradient gloss(badge.topLeft(), QPointF(badge.left(), badge.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 40));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(badge, gloss);
    p.restore();

    // Silver rim, bright where light falls on the top edge.
    QLinearGradient rim(badge.topLeft(), badge.bottomLeft());
    rim.setColorAt(0, QColor(225, 225, 225));
    rim.setColorAt(1, QColor(80, 80, 84));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rim), small ? 1.0 : std::max(1.0, size / 80.0)));
    p.drawPath(shape);
}

// Small sizes use radii that put the outer edge of each arc on a pixel
// centre, so the upright parts of the waves render as crisp columns.
void paintWaves(QPainter &p, qreal s, qreal width, const QBrush &silver, bool small)
{
    p.setPen(QPen(silver, width, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF c = kSource * s;
    const qreal radii[2][2] = {{4.3, 7.3}, {4.5, 7.5}};
    for (qreal r : radii[small ? 1 : 0]) {
        const QRectF box(c - QPointF(r, r) * s, c + QPointF(r, r) * s);
        // Qt angles: counter-clockwise in 1/16 degree; one arc each side.
        p.drawArc(box, -42 * 16, 84 * 16);
        p.drawArc(box, 138 * 16, 84 * 16);
    }
}

} // namespace

void paintIcon(QPainter &p, int size, bool vector)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    paintBadge(p, size);

    const qreal s = size / 24.0;
    QLinearGradient metal(QPointF(0, 4 * s), QPointF(0, 20 * s));
    metal.setColorAt(0, QColor(240, 240, 240));
    metal.setColorAt(1, QColor(165, 165, 170));
    // Vector output cannot stroke with a gradient: the metal is one even silver there.
    const QBrush silver = vector ? QBrush(QColor(210, 210, 214)) : QBrush(metal);

    if (size < 32) {
        paintWaves(p, s, 1.0, silver, true);
        // Mast and base on whole pixels.
        p.fillRect(QRect(11, 11, 2, 8), silver);
        p.fillRect(QRect(8, 19, 8, 1), silver);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(245, 245, 245));
        p.drawEllipse(kSource, 2.0, 2.0);
        return;
    }

    // Halo round the source, then the waves.
    QRadialGradient halo(kSource * s, 5 * s);
    halo.setColorAt(0, QColor(192, 192, 192, 70));
    halo.setColorAt(1, QColor(192, 192, 192, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(kSource * s, 5 * s, 5 * s);
    paintWaves(p, s, 1.5 * s, silver, false);

    // Lattice tower: two legs, cross braces and a foot.
    QPainterPath tower;
    const QPointF top(12 * s, 11 * s);
    const QPointF footL(8.6 * s, 19.8 * s), footR(15.4 * s, 19.8 * s);
    tower.moveTo(footL);
    tower.lineTo(top);
    tower.lineTo(footR);
    auto leg = [&](qreal t, bool right) {
        const QPointF foot = right ? footR : footL;
        return top + (foot - top) * t;
    };
    tower.moveTo(leg(0.45, false));
    tower.lineTo(leg(0.45, true));
    tower.moveTo(leg(0.45, false));
    tower.lineTo(leg(0.8, true));
    tower.moveTo(leg(0.45, true));
    tower.lineTo(leg(0.8, false));
    tower.moveTo(leg(0.8, false));
    tower.lineTo(leg(0.8, true));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(silver, 1.1 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tower);
    p.setPen(QPen(silver, 1.3 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7.4 * s, 20.2 * s), QPointF(16.6 * s, 20.2 * s));

    p.setPen(Qt::NoPen);
    QRadialGradient bead(kSource * s - QPointF(0.6, 0.6) * s, 2.2 * s);
    bead.setColorAt(0, QColor(255, 255, 255));
    bead.setColorAt(1, QColor(170, 170, 175));
    p.setBrush(bead);
    p.drawEllipse(kSource * s, 1.9 * s, 1.9 * s);
}

} // namespace skin
