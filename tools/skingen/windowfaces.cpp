// Backgrounds of the secondary windows. They share the main window's title
// strip and edges. The dialogs get one calm recessed panel because each lays
// out its own pages and fields over it; the two list windows (station browser,
// playlist) get a control band, a sunk panel framing their list (left 7..9,
// top 59..60, about 463 x 236) and a plain strip for the labels at y 300.
#include "pictures.h"
#include "skinpainting.h"

#include <QPainter>

namespace skin {

void paintDialog(QPainter &p, QSize size, unsigned seed)
{
    const QRect all(QPoint(0, 0), size);
    paintFace(p, all, seed);
    paintTitleStrip(p, size.width());
    const QRectF body(7.5, kTitleHeight + 7.5, size.width() - 15, size.height() - kTitleHeight - 15);
    paintBezel(p, body, 5, 70);
    paintRecess(p, body, 5, QColor(12, 13, 15), QColor(20, 21, 24));
    paintWindowEdge(p, all);
}

void paintListWindow(QPainter &p, unsigned seed, bool buttonSeats)
{
    const QRect all(0, 0, 480, 320);
    paintFace(p, all, seed);
    paintTitleStrip(p, all.width());
    constexpr QColor kSeatTop{13, 14, 16};
    constexpr QColor kSeatBottom{27, 28, 32};
    if (buttonSeats) {
        // The playlist: its status text at (17,34) and five 39 x 31 buttons at top 28.
        paintRecess(p, QRectF(12.5, 30.5, 94, 20), 4);
        for (int left : {110, 290, 333, 377, 425})
            paintRecess(p, QRectF(left - 1.5, 26.5, 42, 33.5), 11, kSeatTop, kSeatBottom);
    } else {
        // The browser: a row of filter choices and the filter value field at y 32.
        paintRecess(p, QRectF(7.5, 28.5, 465, 26), 5, kSeatTop, kSeatBottom);
    }
    const QRectF list(6.5, 57.5, 467, 239);
    paintBezel(p, list, 3, 70);
    paintRecess(p, list, 3, QColor(6, 7, 8), QColor(12, 13, 15));
    paintSilverLine(p, QPointF(8, 316.5), QPointF(472, 316.5), 30);
    paintWindowEdge(p, all);
}

} // namespace skin
