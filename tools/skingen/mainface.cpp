// Background of the main window, 480 x 241. The program lays its buttons and
// labels over it at fixed places; the seats and panels drawn here sit just
// outside those rectangles so the controls look set into the face.
#include "pictures.h"
#include "skinpainting.h"

#include <QPainter>

namespace skin {

namespace {

constexpr QColor kSeatTop{13, 14, 16};
constexpr QColor kSeatBottom{27, 28, 32};

// Lefts of the five drop-down buttons (39 x 31, top 28).
constexpr int kDropDownLefts[] = {15, 60, 107, 154, 425};

// The display panel runs from the station icon on the left to the right edge;
// the icon gets its own frame inside it and a divider separates it from the
// texts, which start at x 116.
constexpr QRectF kDisplay{9.5, 62.5, 464, 111};
constexpr QRectF kIconFrame{11.5, 67.5, 99, 99};
constexpr qreal kDividerX = 113.5;

void paintDisplay(QPainter &p)
{
    paintBezel(p, kDisplay, 6, 90);
    paintRecess(p, kDisplay, 6);

    // Faint glass sheen over the upper half, too smooth to disturb the text.
    p.save();
    QPainterPath glass;
    glass.addRoundedRect(kDisplay, 6, 6);
    p.setClipPath(glass);
    QLinearGradient sheen(kDisplay.topLeft(), QPointF(kDisplay.left(), kDisplay.center().y()));
    sheen.setColorAt(0, QColor(255, 255, 255, 0));
    sheen.setColorAt(0.3, QColor(255, 255, 255, 9));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(kDisplay, sheen);
    p.restore();

    // The station-icon window: a second, deeper recess.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0, 0, 0, 220));
    p.setBrush(QColor(4, 5, 6));
    p.drawRect(kIconFrame);
    p.setPen(QColor(255, 255, 255, 30));
    const QRectF outer = kIconFrame.adjusted(-1, -1, 1, 1);
    p.drawLine(outer.bottomLeft(), outer.bottomRight());
    p.drawLine(outer.topRight(), outer.bottomRight());
    p.restore();

    // Divider between the icon and the texts: a groove with a lit edge.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0, 0, 0, 200));
    p.drawLine(QPointF(kDividerX, kDisplay.top() + 6), QPointF(kDividerX, kDisplay.bottom() - 6));
    p.restore();
    paintSilverLine(p, QPointF(kDividerX + 1, kDisplay.top() + 4),
                    QPointF(kDividerX + 1, kDisplay.bottom() - 4), 45);

    // Hairlines between the station name, the title and the bottom rows.
    paintSilverLine(p, QPointF(118, 106.5), QPointF(470, 106.5), 28);
    paintSilverLine(p, QPointF(118, 129.5), QPointF(470, 129.5), 28);
}

void paintTransport(QPainter &p)
{
    // Progress groove under the display; the program fills it 448 x 3 at (16,177).
    paintRecess(p, QRectF(15.5, 176.5, 449, 4), 2, QColor(2, 2, 3), QColor(10, 11, 12));

    // One long recessed bar holds record, stop, previous, next, speaker and
    // the volume slider; the round play seat breaks into it in the middle.
    paintRecess(p, QRectF(96.5, 191.5, 291, 33), 9, kSeatTop, kSeatBottom);
    const QRectF play(199, 181.5, 57, 52.5);
    paintRoundRecess(p, play, kSeatTop, QColor(30, 31, 35));
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(192, 192, 192, 55), 1));
    p.drawEllipse(play.adjusted(-1.5, -1, 1.5, 1.5));
    p.restore();

    // Spectrum analyser: a black LCD window.
    paintRecess(p, QRectF(5.5, 208.5, 67, 26), 3, QColor(0, 0, 0), QColor(6, 8, 9));
    // Elapsed time, label at (421,209) 50 x 13.
    paintRecess(p, QRectF(416.5, 205.5, 58, 20), 3);

    paintGrille(p, QRect(8, 185, 82, 18), 5);
    paintGrille(p, QRect(392, 185, 80, 16), 5);
}

} // namespace

void paintMain(QPainter &p)
{
    const QRect all(0, 0, 480, 241);
    paintFace(p, all, 1);
    paintTitleStrip(p, all.width());

    for (int left : kDropDownLefts)
        paintRecess(p, QRectF(left - 1.5, 26.5, 42, 33.5), 11, kSeatTop, kSeatBottom);

    // Status line, label at (229,33) 196 x 14.
    paintRecess(p, QRectF(224.5, 30.5, 196, 19), 4);

    paintDisplay(p);
    paintTransport(p);
    paintWindowEdge(p, all);
}

} // namespace skin
