// The transport keys under the display: play, record, stop, previous, next and the
// speaker. Each strip holds the faces in the order the program picks them by index.
#include "caps.h"
#include "glyphs.h"
#include "pictures.h"

#include <QPainter>

namespace skin {

namespace {

constexpr QColor kRecordRed{214, 38, 32};
constexpr QColor kBusyAmber{255, 178, 60};
constexpr QColor kMuteRed{226, 64, 56};

// One square transport key of 25 x 25 at column `index` of a strip.
QRectF keyCell(int index)
{
    return QRectF(index * 25, 0, 25, 25);
}

void squareKey(QPainter &p, int index, Face face)
{
    paintCap(p, keyCell(index).adjusted(0.5, 0.5, -0.5, -0.5), 5, face);
}

QPointF keyCentre(int index, Face face)
{
    return keyCell(index).center() + QPointF(0, -0.5) + faceShift(face);
}

} // namespace

// play 4 x 58 x 54: pressed or busy (amber), play, play under the pointer, pause. The
// round key sits in the face's round seat; the button shows the strip one pixel up.
void paintPlayStrip(QPainter &p)
{
    struct Cell {
        Face face;
        bool pause;
    } cells[] = {{Face::Down, false}, {Face::Up, false}, {Face::Hover, false}, {Face::Up, true}};
    for (int i = 0; i < 4; ++i) {
        const QPointF centre(i * 58 + 27.5, 26.75);
        paintRoundCap(p, QRectF(centre - QPointF(24, 24), QSizeF(48, 48)), cells[i].face);
        const QPointF c = centre + faceShift(cells[i].face);
        if (cells[i].pause)
            paintGlyph(p, glyph::pause(c, 17), cells[i].face);
        else if (cells[i].face == Face::Down)
            paintGlyph(p, glyph::play(c, 19), Face::Up, kBusyAmber);
        else
            paintGlyph(p, glyph::play(c, 19), cells[i].face);
    }
}

// record 6 x 25 x 25: idle (up, hover, pressed), recording (up, hover, pressed). While
// recording the dot glows.
void paintRecordStrip(QPainter &p)
{
    const Face faces[] = {Face::Up, Face::Hover, Face::Down};
    for (int i = 0; i < 6; ++i) {
        const Face face = faces[i % 3];
        const bool recording = i >= 3;
        squareKey(p, i, face);
        const QPointF c = keyCentre(i, face);
        if (recording) {
            QRadialGradient glow(c, 9);
            glow.setColorAt(0, QColor(255, 60, 40, 150));
            glow.setColorAt(1, QColor(255, 60, 40, 0));
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(glow);
            p.drawEllipse(c, 9, 9);
            p.restore();
            paintGlyph(p, glyph::dot(c, 9), face, QColor(255, 52, 40));
        } else {
            paintGlyph(p, glyph::dot(c, 8), face, kRecordRed.darker(125));
        }
    }
}

// stop 4 x 25 x 25: active (up, hover, pressed), inactive.
void paintStopStrip(QPainter &p)
{
    const Face faces[] = {Face::Up, Face::Hover, Face::Down, Face::Off};
    for (int i = 0; i < 4; ++i) {
        squareKey(p, i, faces[i]);
        paintGlyph(p, glyph::stop(keyCentre(i, faces[i]), 8), faces[i]);
    }
}

// previous / next 4 x 52 x 25: up, hover, pressed, off. The keys leave room on the
// play key's side, which overlaps their buttons by a few pixels.
void paintSkipStrip(QPainter &p, bool forward)
{
    const Face faces[] = {Face::Up, Face::Hover, Face::Down, Face::Off};
    for (int i = 0; i < 4; ++i) {
        const QRectF cap = forward ? QRectF(i * 52 + 4.5, 0.5, 47, 24) : QRectF(i * 52 + 0.5, 0.5, 47, 24);
        paintCap(p, cap, 6, faces[i]);
        const QPointF c = cap.center() + QPointF(0, -0.5) + faceShift(faces[i]);
        paintGlyph(p, forward ? glyph::next(c, 10) : glyph::previous(c, 10), faces[i]);
    }
}

// speaker 6 x 25 x 25: sound on (up, hover, pressed), muted (up, hover, pressed).
void paintSpeakerStrip(QPainter &p)
{
    const Face faces[] = {Face::Up, Face::Hover, Face::Down};
    for (int i = 0; i < 6; ++i) {
        const Face face = faces[i % 3];
        squareKey(p, i, face);
        const QPointF c = keyCentre(i, face) + QPointF(-2.5, 0);
        paintGlyph(p, glyph::speaker(c, 11), face);
        if (i < 3)
            paintGlyph(p, glyph::waves(c + QPointF(1, 0), 11), face);
        else
            paintGlyph(p, glyph::cross(c + QPointF(7.5, 0), 5.5, 1.6), face, kMuteRed);
    }
}

} // namespace skin
