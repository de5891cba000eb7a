// Station badges: a rounded square in a colour of the station's network (or first
// genre) with the station's initials, and the neutral badge of stations without one.
// Drawn, not copied: the catalogue never ships the broadcasters' own logos.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace badge {

constexpr int kSize = 96;

// Up to three letters or digits standing for the name: "FIP", "FI" (France Inter),
// "KX" (KEXP), "DP3" (DR P3). A number ending the name is kept, so numbered
// stations of one network stay apart. Never empty: "?" when the name has no letter.
QString Initials(const QString& name);

// A colour of the palette picked from `key` (network or genre name): the same key
// always gives the same colour, on every machine.
QColor Colour(const QString& key);

// The 96 x 96 badge, transparent around the rounded square.
QImage Paint(const QString& initials, const QColor& colour);

// The badge of a station without a picture: a radio set on grey.
QImage PaintNoIcon();

}  // namespace badge
