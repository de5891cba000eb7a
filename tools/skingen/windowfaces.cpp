// Backgrounds of the secondary windows. They share the main window's title
// strip and edges; the body is one calm recessed panel because each window
// lays out its own lists, fields and buttons over it.
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

} // namespace skin
