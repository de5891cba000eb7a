// Glyph outlines for the buttons, each centred on `c` and about `s` pixels tall (wider
// glyphs grow sideways). Outlines only: caps.h fills them in the button's look.
#pragma once

#include <QPainterPath>
#include <QPointF>

namespace skin::glyph {

QPainterPath play(QPointF c, qreal s);
QPainterPath pause(QPointF c, qreal s);
QPainterPath stop(QPointF c, qreal s);
QPainterPath dot(QPointF c, qreal s);
QPainterPath previous(QPointF c, qreal s);  // bar and two triangles pointing left
QPainterPath next(QPointF c, qreal s);
QPainterPath speaker(QPointF c, qreal s);   // the cone alone
QPainterPath waves(QPointF c, qreal s);     // sound waves to the right of a speaker at c
QPainterPath cross(QPointF c, qreal s, qreal width);
QPainterPath minimise(QPointF c, qreal s);
QPainterPath tower(QPointF c, qreal s);     // radio mast sending waves
QPainterPath folder(QPointF c, qreal s);
QPainterPath gear(QPointF c, qreal s);
QPainterPath info(QPointF c, qreal s);      // "i" in a ring
QPainterPath star(QPointF c, qreal s);
QPainterPath note(QPointF c, qreal s);      // a quaver
QPainterPath plus(QPointF c, qreal s);
QPainterPath document(QPointF c, qreal s);  // a blank page, corner folded
QPainterPath disk(QPointF c, qreal s);      // a floppy disk
QPainterPath list(QPointF c, qreal s);      // three lines
QPainterPath caret(QPointF c, qreal s);     // small triangle pointing down (menu)

} // namespace skin::glyph
