// Drawing helpers shared by every skin picture: the palette, the brushed
// anodised face, bevels, recesses and the title strip. Keeping them here
// means every window gets the same strip height, the same edges and the
// same close-button tab, whichever function paints it.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace skin {

// Palette. Silver is the accent and the text colour the program uses.
inline constexpr QColor kSilver{192, 192, 192};
inline constexpr QColor kFaceTop{50, 51, 56};
inline constexpr QColor kFaceBottom{22, 23, 26};
inline constexpr QColor kDisplayTop{8, 10, 12};
inline constexpr QColor kDisplayBottom{15, 17, 20};
inline constexpr QColor kTitleTop{58, 60, 66};
inline constexpr QColor kTitleBottom{30, 31, 35};

// Every window shares these: the title strip runs across the top, the
// program's icon sits at (11,4) and the close button hangs from the top
// edge, kCloseRightMargin pixels in from the right.
inline constexpr int kTitleHeight = 22;
inline constexpr int kCloseWidth = 44;
inline constexpr int kCloseHeight = 19;
inline constexpr int kCloseRightMargin = 5;

// A grey-on-transparent overlay of fine horizontal streaks, made from a fixed
// seed so the pictures come out byte-identical on every build.
// `strength` is the largest alpha of a streak (0..255).
QImage brushedNoise(QSize size, int strength, quint32 seed);

// Vertical anodised gradient with brushed streaks over it.
void paintFace(QPainter &p, const QRect &r, quint32 seed, QColor top = kFaceTop,
               QColor bottom = kFaceBottom);

// One-pixel outer bevel of a whole window: light top/left, dark bottom/right.
void paintWindowEdge(QPainter &p, const QRect &r);

// The strip across the top of a window, under the icon, the title and the
// window buttons. Plain gradient: the title label and buttons sit on it.
void paintTitleStrip(QPainter &p, int width);

// A panel sunk into the face: shadow along the top/left inner edge, a light
// lip along the bottom/right outer edge, calm fill (labels go over it).
void paintRecess(QPainter &p, const QRectF &r, qreal radius,
                 QColor fillTop = kDisplayTop, QColor fillBottom = kDisplayBottom);

// Same, drawn as an ellipse (the round seat of the play button).
void paintRoundRecess(QPainter &p, const QRectF &r, QColor fillTop, QColor fillBottom);

// A thin silver frame around a recess, brightest along the top where the
// light falls; `r` is the recess it surrounds.
void paintBezel(QPainter &p, const QRectF &r, qreal radius, int alpha);

// A hairline in the silver accent colour that fades out at both ends.
void paintSilverLine(QPainter &p, QPointF from, QPointF to, int alpha);

// Rows of small drilled holes, the look of a speaker grille.
void paintGrille(QPainter &p, const QRect &r, int pitch);

// The close glyph: a diagonal cross of `size` pixels centred on `centre`.
void paintCross(QPainter &p, QPointF centre, qreal size, QColor colour, qreal width);

// Outline of the window-button tab: square top (it hangs from the window
// edge), rounded bottom corners.
QPainterPath tabPath(const QRectF &r, qreal radius);

} // namespace skin
