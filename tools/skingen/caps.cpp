#include "caps.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace skin {

namespace {

QColor lighter(QColor c, int by)
{
    return QColor(std::clamp(c.red() + by, 0, 255), std::clamp(c.green() + by, 0, 255),
                  std::clamp(c.blue() + by, 0, 255), c.alpha());
}

struct CapLook {
    QColor top, bottom, rimLight;
};

CapLook capLook(Face face)
{
    switch (face) {
    case Face::Hover:
        return {QColor(86, 89, 97), QColor(36, 37, 42), QColor(255, 255, 255, 80)};
    case Face::Down:
        // Lit from below: the key is pushed in, its top in shadow.
        return {QColor(20, 21, 24), QColor(48, 50, 56), QColor(255, 255, 255, 25)};
    case Face::Off:
        return {QColor(46, 47, 52), QColor(26, 27, 30), QColor(255, 255, 255, 30)};
    case Face::Up:
        break;
    }
    return {QColor(70, 72, 80), QColor(30, 31, 35), QColor(255, 255, 255, 55)};
}

} // namespace

void paintCap(QPainter &p, const QRectF &r, qreal radius, Face face)
{
    const CapLook look = capLook(face);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    // Outline: the gap between key and face, dark all round.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 200));
    p.drawRoundedRect(r, radius, radius);

    const QRectF body = r.adjusted(1, 1, -1, -1);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, look.top);
    g.setColorAt(0.5, lighter(look.top, -((look.top.red() - look.bottom.red()) / 2)));
    g.setColorAt(1, look.bottom);
    p.setBrush(g);
    p.drawRoundedRect(body, radius - 1, radius - 1);

    // Catch-light along the top rim, or along the bottom for a pushed key.
    QLinearGradient rim(body.topLeft(), body.bottomLeft());
    if (face == Face::Down) {
        rim.setColorAt(0, QColor(0, 0, 0, 120));
        rim.setColorAt(1, look.rimLight);
    } else {
        rim.setColorAt(0, look.rimLight);
        rim.setColorAt(0.45, QColor(255, 255, 255, 0));
        rim.setColorAt(1, QColor(0, 0, 0, 90));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rim), 1));
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), radius - 1.5, radius - 1.5);
    p.restore();
}

void paintRoundCap(QPainter &p, const QRectF &r, Face face)
{
    const CapLook look = capLook(face);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 210));
    p.drawEllipse(r);

    const QRectF body = r.adjusted(1.5, 1.5, -1.5, -1.5);
    // A domed key: the light sits high on the left.
    QRadialGradient dome(body.center() + QPointF(-body.width() * 0.15, -body.height() * 0.25),
                         body.width() * 0.75);
    const bool down = face == Face::Down;
    dome.setColorAt(0, down ? look.bottom : lighter(look.top, 14));
    dome.setColorAt(0.7, down ? look.top : look.bottom);
    dome.setColorAt(1, down ? QColor(12, 12, 14) : lighter(look.bottom, -10));
    p.setBrush(dome);
    p.drawEllipse(body);

    // Silver ring machined round the key.
    QLinearGradient ring(body.topLeft(), body.bottomLeft());
    ring.setColorAt(0, down ? QColor(120, 120, 124, 120) : QColor(215, 215, 220, face == Face::Hover ? 200 : 150));
    ring.setColorAt(0.5, QColor(120, 120, 126, 60));
    ring.setColorAt(1, QColor(190, 190, 196, down ? 130 : 90));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(ring), 1.2));
    p.drawEllipse(body.adjusted(0.6, 0.6, -0.6, -0.6));
    p.restore();
}

QPointF faceShift(Face face)
{
    return face == Face::Down ? QPointF(0.6, 0.8) : QPointF(0, 0);
}

void paintGlyph(QPainter &p, const QPainterPath &glyph, Face face)
{
    const QRectF box = glyph.boundingRect();
    QLinearGradient metal(box.topLeft(), box.bottomLeft());
    switch (face) {
    case Face::Hover:
        metal.setColorAt(0, QColor(255, 255, 255));
        metal.setColorAt(1, QColor(205, 210, 218));
        break;
    case Face::Down:
        metal.setColorAt(0, QColor(170, 170, 174));
        metal.setColorAt(1, QColor(130, 130, 136));
        break;
    case Face::Off:
        metal.setColorAt(0, QColor(96, 97, 102));
        metal.setColorAt(1, QColor(72, 73, 78));
        break;
    case Face::Up:
        metal.setColorAt(0, QColor(236, 236, 238));
        metal.setColorAt(1, QColor(168, 168, 174));
        break;
    }
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.fillPath(glyph.translated(0, 1), QColor(0, 0, 0, 170));
    p.fillPath(glyph, metal);
    p.restore();
}

void paintGlyph(QPainter &p, const QPainterPath &glyph, Face face, QColor colour)
{
    const QRectF box = glyph.boundingRect();
    QColor top = colour, bottom = colour.darker(150);
    if (face == Face::Hover) {
        top = colour.lighter(135);
        bottom = colour;
    } else if (face == Face::Down) {
        top = colour.darker(140);
        bottom = colour.darker(180);
    } else if (face == Face::Off) {
        top = QColor(90, 90, 95);
        bottom = QColor(70, 70, 75);
    }
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.fillPath(glyph.translated(0, 1), QColor(0, 0, 0, 170));
    p.fillPath(glyph, g);
    p.restore();
}

} // namespace skin
