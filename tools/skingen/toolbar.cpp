// The 39 x 32 button strip shared by the main window and the playlist window, and the
// information window's small save button. Faces come in threes: up, hover, pressed.
#include "caps.h"
#include "glyphs.h"
#include "pictures.h"

#include <QPainter>

#include <functional>

namespace skin {

namespace {

using GlyphMaker = std::function<QPainterPath(QPointF, qreal)>;

struct ToolButton {
    GlyphMaker glyph;
    bool dropDown;  // the main window's buttons open a menu from their lower part
};

QPainterPath addFile(QPointF c, qreal s)
{
    QPainterPath path = glyph::note(c + QPointF(-s * 0.25, s * 0.05), s);
    path.addPath(glyph::plus(c + QPointF(s * 0.45, -s * 0.3), s * 0.42));
    return path.simplified();
}

QPainterPath runList(QPointF c, qreal s)
{
    QPainterPath path = glyph::list(c + QPointF(-s * 0.22, 0), s * 0.8);
    path.addPath(glyph::play(c + QPointF(s * 0.5, 0), s * 0.62));
    return path;
}

QPainterPath openList(QPointF c, qreal s)
{
    return glyph::folder(c, s);
}

QPainterPath newList(QPointF c, qreal s)
{
    return glyph::document(c, s);
}

// In strip order: index / 3 picks the button.
const ToolButton kButtons[] = {
    {glyph::tower, true},    // 0-2 radio
    {glyph::gear, true},     // 3-5 configuration
    {glyph::info, true},     // 6-8 information
    {glyph::star, true},     // 9-11 favourites
    {glyph::folder, true},   // 12-14 open
    {addFile, false},        // 15-17 add files to the playlist
    {newList, false},        // 18-20 new (empty) playlist
    {openList, false},       // 21-23 open a playlist
    {glyph::disk, false},    // 24-26 save the playlist
    {runList, false},        // 27-29 play the playlist
};

void paintToolCell(QPainter &p, int index)
{
    const Face faces[] = {Face::Up, Face::Hover, Face::Down};
    const Face face = faces[index % 3];
    const ToolButton &button = kButtons[index / 3];
    const QRectF cap(index * 39 + 1, 1, 37, 29);
    paintCap(p, cap, 7, face);
    const QPointF shift = faceShift(face);
    if (!button.dropDown) {
        paintGlyph(p, button.glyph(cap.center() + QPointF(0, -0.5) + shift, 14), face);
        return;
    }
    // Upper part: the action; below the hairline (the button's y 20): the menu.
    paintGlyph(p, button.glyph(QPointF(cap.center().x(), 11.5) + shift, 13), face);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawLine(QPointF(cap.left() + 7, 20), QPointF(cap.right() - 7, 20));
    p.setPen(QColor(255, 255, 255, 22));
    p.drawLine(QPointF(cap.left() + 7, 21), QPointF(cap.right() - 7, 21));
    p.restore();
    paintGlyph(p, glyph::caret(QPointF(cap.center().x(), 25) + shift, 6), face == Face::Hover ? Face::Hover : Face::Down);
}

} // namespace

void paintToolStrip(QPainter &p)
{
    for (int i = 0; i < 30; ++i)
        paintToolCell(p, i);
}

// save 3 x 34 x 21: up, hover, pressed.
void paintSaveStrip(QPainter &p)
{
    const Face faces[] = {Face::Up, Face::Hover, Face::Down};
    for (int i = 0; i < 3; ++i) {
        const QRectF cap(i * 34 + 0.5, 0.5, 33, 20);
        paintCap(p, cap, 5, faces[i]);
        paintGlyph(p, glyph::disk(cap.center() + QPointF(0, -0.5) + faceShift(faces[i]), 11), faces[i]);
    }
}

} // namespace skin
