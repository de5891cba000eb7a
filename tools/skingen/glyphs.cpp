#include "glyphs.h"

#include <QPainterPathStroker>
#include <QPolygonF>
#include <QtMath>

namespace skin::glyph {

namespace {

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath stroked(const QPainterPath &line, qreal width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line).simplified();
}

QPainterPath arcs(QPointF c, qreal r1, qreal r2, qreal from, qreal span, qreal width)
{
    QPainterPath line;
    for (qreal r : {r1, r2}) {
        const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
        line.arcMoveTo(box, from);
        line.arcTo(box, from, span);
    }
    return stroked(line, width);
}

} // namespace

QPainterPath play(QPointF c, qreal s)
{
    const qreal h = s / 2, w = s * 0.86;
    // The eye puts a triangle's centre at its centroid, a third in from the flat side.
    const qreal left = c.x() - w / 3;
    return polygon({{left, c.y() - h}, {left + w, c.y()}, {left, c.y() + h}});
}

QPainterPath pause(QPointF c, qreal s)
{
    QPainterPath path;
    const qreal bar = s * 0.32, gap = s * 0.26;
    path.addRoundedRect(QRectF(c.x() - gap / 2 - bar, c.y() - s / 2, bar, s), 1, 1);
    path.addRoundedRect(QRectF(c.x() + gap / 2, c.y() - s / 2, bar, s), 1, 1);
    return path;
}

QPainterPath stop(QPointF c, qreal s)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(c.x() - s / 2, c.y() - s / 2, s, s), 1.2, 1.2);
    return path;
}

QPainterPath dot(QPointF c, qreal s)
{
    QPainterPath path;
    path.addEllipse(c, s / 2, s / 2);
    return path;
}

QPainterPath previous(QPointF c, qreal s)
{
    const qreal h = s / 2, w = s * 0.62;
    QPainterPath path;
    path.addRect(QRectF(c.x() - w - 2.2, c.y() - h, 1.8, s));
    path.addPath(polygon({{c.x(), c.y() - h}, {c.x(), c.y() + h}, {c.x() - w, c.y()}}));
    path.addPath(polygon({{c.x() + w, c.y() - h}, {c.x() + w, c.y() + h}, {c.x(), c.y()}}));
    return path.simplified();
}

QPainterPath next(QPointF c, qreal s)
{
    QTransform mirror;
    mirror.translate(2 * c.x(), 0);
    mirror.scale(-1, 1);
    return mirror.map(previous(c, s));
}

QPainterPath speaker(QPointF c, qreal s)
{
    const qreal h = s / 2;
    return polygon({{c.x() - h * 0.9, c.y() - h * 0.38},
                    {c.x() - h * 0.35, c.y() - h * 0.38},
                    {c.x() + h * 0.35, c.y() - h},
                    {c.x() + h * 0.35, c.y() + h},
                    {c.x() - h * 0.35, c.y() + h * 0.38},
                    {c.x() - h * 0.9, c.y() + h * 0.38}});
}

QPainterPath waves(QPointF c, qreal s)
{
    return arcs(c + QPointF(s * 0.1, 0), s * 0.42, s * 0.68, -45, 90, s * 0.11);
}

QPainterPath cross(QPointF c, qreal s, qreal width)
{
    QPainterPath line;
    const qreal h = s / 2;
    line.moveTo(c + QPointF(-h, -h));
    line.lineTo(c + QPointF(h, h));
    line.moveTo(c + QPointF(-h, h));
    line.lineTo(c + QPointF(h, -h));
    return stroked(line, width);
}

QPainterPath minimise(QPointF c, qreal s)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(c.x() - s / 2, c.y() + s * 0.25, s, s * 0.22), 0.8, 0.8);
    return path;
}

QPainterPath tower(QPointF c, qreal s)
{
    const qreal u = s / 16;  // drawn on a 16-unit grid, source of the waves at (0, -3)
    const QPointF src = c + QPointF(0, -3 * u);
    QPainterPath legs;
    legs.moveTo(c + QPointF(-4 * u, 8 * u));
    legs.lineTo(src + QPointF(0, 2 * u));
    legs.lineTo(c + QPointF(4 * u, 8 * u));
    legs.moveTo(c + QPointF(-2.3 * u, 3.5 * u));
    legs.lineTo(c + QPointF(2.3 * u, 3.5 * u));
    QPainterPath path = stroked(legs, 1.5 * u);
    path.addEllipse(src, 1.7 * u, 1.7 * u);
    path.addPath(arcs(src, 4 * u, 7 * u, -40, 80, 1.4 * u));
    path.addPath(arcs(src, 4 * u, 7 * u, 140, 80, 1.4 * u));
    return path.simplified();
}

QPainterPath folder(QPointF c, qreal s)
{
    const qreal h = s / 2, w = s * 0.62;
    QPainterPath path = polygon({{c.x() - w, c.y() - h},
                                 {c.x() - w * 0.2, c.y() - h},
                                 {c.x(), c.y() - h * 0.7},
                                 {c.x() + w, c.y() - h * 0.7},
                                 {c.x() + w, c.y() + h},
                                 {c.x() - w, c.y() + h}});
    // The open flap: a lighter cut across the front.
    QPainterPath cut;
    cut.addRect(QRectF(c.x() - w + 1.2, c.y() - h * 0.3, 2 * w - 2.4, 1.1));
    return path.subtracted(cut);
}

QPainterPath gear(QPointF c, qreal s)
{
    const qreal outer = s / 2, inner = s * 0.36, hole = s * 0.16;
    QPolygonF teeth;
    constexpr int kTeeth = 8;
    for (int i = 0; i < kTeeth * 4; ++i) {
        const qreal a = (i / qreal(kTeeth * 4)) * 2 * M_PI;
        const qreal r = (i % 4 == 0 || i % 4 == 1) ? outer : inner;
        teeth << c + QPointF(std::cos(a), std::sin(a)) * r;
    }
    QPainterPath path;
    path.addPolygon(teeth);
    path.closeSubpath();
    QPainterPath centre;
    centre.addEllipse(c, hole, hole);
    return path.subtracted(centre);
}

QPainterPath info(QPointF c, qreal s)
{
    const qreal r = s / 2;
    QPainterPath ring;
    ring.addEllipse(c, r, r);
    QPainterPath innerDisc;
    innerDisc.addEllipse(c, r - s * 0.12, r - s * 0.12);
    QPainterPath path = ring.subtracted(innerDisc);
    path.addEllipse(c + QPointF(0, -s * 0.2), s * 0.075, s * 0.075);
    path.addRoundedRect(QRectF(c.x() - s * 0.065, c.y() - s * 0.06, s * 0.13, s * 0.3), 0.5, 0.5);
    return path;
}

QPainterPath star(QPointF c, qreal s)
{
    QPolygonF points;
    const qreal outer = s / 2, inner = s * 0.21;
    for (int i = 0; i < 10; ++i) {
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const qreal r = i % 2 ? inner : outer;
        points << c + QPointF(std::cos(a), std::sin(a)) * r + QPointF(0, s * 0.04);
    }
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    return path;
}

QPainterPath note(QPointF c, qreal s)
{
    const qreal u = s / 12;
    QPainterPath path;
    path.addEllipse(c + QPointF(-2.2 * u, 3.6 * u), 2.4 * u, 1.9 * u);
    path.addRect(QRectF(c.x() - 0.1 * u, c.y() - 6 * u, 1.2 * u, 9.6 * u));
    QPainterPath flag;
    flag.moveTo(c + QPointF(0.5 * u, -5.5 * u));
    flag.cubicTo(c + QPointF(3.5 * u, -4 * u), c + QPointF(4.5 * u, -2 * u), c + QPointF(3 * u, 0.5 * u));
    path.addPath(stroked(flag, 1.2 * u));
    return path.simplified();
}

QPainterPath plus(QPointF c, qreal s)
{
    QPainterPath path;
    const qreal t = std::max<qreal>(1.6, s * 0.24);
    path.addRect(QRectF(c.x() - s / 2, c.y() - t / 2, s, t));
    path.addRect(QRectF(c.x() - t / 2, c.y() - s / 2, t, s));
    return path.simplified();
}

QPainterPath document(QPointF c, qreal s)
{
    const qreal h = s / 2, w = s * 0.4, fold = s * 0.28;
    QPainterPath page = polygon({{c.x() - w, c.y() - h},
                                 {c.x() + w - fold, c.y() - h},
                                 {c.x() + w, c.y() - h + fold},
                                 {c.x() + w, c.y() + h},
                                 {c.x() - w, c.y() + h}});
    QPainterPath inside = polygon({{c.x() - w + 1.3, c.y() - h + 1.3},
                                   {c.x() + w - fold - 0.5, c.y() - h + 1.3},
                                   {c.x() + w - 1.3, c.y() - h + fold + 0.5},
                                   {c.x() + w - 1.3, c.y() + h - 1.3},
                                   {c.x() - w + 1.3, c.y() + h - 1.3}});
    return page.subtracted(inside);
}

QPainterPath disk(QPointF c, qreal s)
{
    const qreal h = s / 2;
    QPainterPath body;
    body.addRoundedRect(QRectF(c.x() - h, c.y() - h, s, s), 1.2, 1.2);
    QPainterPath label;
    label.addRect(QRectF(c.x() - h * 0.6, c.y() + h * 0.05, h * 1.2, h * 0.75));
    QPainterPath shutter;
    shutter.addRect(QRectF(c.x() - h * 0.45, c.y() - h + 1.2, h * 0.9, h * 0.55));
    QPainterPath path = body.subtracted(label).subtracted(shutter);
    path.addRect(QRectF(c.x() + h * 0.12, c.y() - h + 1.6, h * 0.2, h * 0.4));
    return path;
}

QPainterPath list(QPointF c, qreal s)
{
    QPainterPath path;
    const qreal w = s, t = std::max<qreal>(1.4, s * 0.16);
    for (int i = -1; i <= 1; ++i)
        path.addRoundedRect(QRectF(c.x() - w / 2, c.y() + i * s * 0.36 - t / 2, w, t), 0.5, 0.5);
    return path;
}

QPainterPath caret(QPointF c, qreal s)
{
    return polygon({{c.x() - s / 2, c.y() - s / 4}, {c.x() + s / 2, c.y() - s / 4}, {c.x(), c.y() + s / 4}});
}

} // namespace skin::glyph
