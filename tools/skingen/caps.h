// Button caps and glyph finishing shared by every button strip: a cap is the raised,
// brushed-metal key a glyph is engraved on; each face of a strip is the same cap in one
// of four looks. Keeping them here gives every button the same light, rim and press.
#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace skin {

// The looks of one button: at rest, under the pointer, held down, and switched off
// (an inactive stop, for instance).
enum class Face { Up, Hover, Down, Off };

// A rounded key cap filling `r`.
void paintCap(QPainter &p, const QRectF &r, qreal radius, Face face);
// A round cap (the play key) filling the ellipse `r`.
void paintRoundCap(QPainter &p, const QRectF &r, Face face);

// How far a held key's glyph sinks.
QPointF faceShift(Face face);

// Fills `glyph` as silver engraved in the cap: a dark lip below it, then the metal,
// brighter under the pointer, dimmer held down, dull grey when off.
void paintGlyph(QPainter &p, const QPainterPath &glyph, Face face);
// Same in a colour of its own (the record dot, the mute cross).
void paintGlyph(QPainter &p, const QPainterPath &glyph, Face face, QColor colour);

} // namespace skin
