// Pictures shown inside windows rather than behind them: the information window's
// product artwork and donation badge, and the 96 x 96 station pictures for CD tracks,
// local files and stations without an icon. All on transparent ground.
#include "caps.h"
#include "glyphs.h"
#include "pictures.h"
#include "skinpainting.h"

#include <QConicalGradient>
#include <QFont>
#include <QPainter>
#include <QRadialGradient>

namespace skin {

namespace {

// A dark rounded tile, the station picture's ground.
void paintTile(QPainter &p, const QRectF &r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(46, 48, 54));
    g.setColorAt(1, QColor(16, 17, 20));
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 10, 10);
    QLinearGradient rim(r.topLeft(), r.bottomLeft());
    rim.setColorAt(0, QColor(255, 255, 255, 60));
    rim.setColorAt(0.5, QColor(255, 255, 255, 0));
    p.setPen(QPen(QBrush(rim), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 9, 9);
    p.restore();
}

} // namespace

void paintArtwork(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    // The radio itself, seen from the front: a brushed cabinet with a lit display, a
    // speaker grille, a round play key, and the mast of the program's icon on top.
    const QRectF cabinet(6, 34, 136, 72);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(cabinet.translated(2, 4), 10, 10);
    QPainterPath shape;
    shape.addRoundedRect(cabinet, 10, 10);
    p.save();
    p.setClipPath(shape);
    paintFace(p, cabinet.toAlignedRect(), 77);
    p.restore();
    p.setBrush(Qt::NoBrush);
    QLinearGradient rim(cabinet.topLeft(), cabinet.bottomLeft());
    rim.setColorAt(0, QColor(220, 220, 225));
    rim.setColorAt(1, QColor(60, 60, 64));
    p.setPen(QPen(QBrush(rim), 1.2));
    p.drawPath(shape);

    const QRectF display(16, 44, 72, 30);
    paintRecess(p, display, 3, QColor(6, 16, 14), QColor(10, 24, 22));
    // Spectrum bars on the display.
    const int heights[] = {6, 10, 14, 18, 15, 12, 16, 11, 8, 6, 9, 5};
    for (int i = 0; i < 12; ++i) {
        for (int k = 0; k * 2 < heights[i]; ++k) {
            const qreal y = display.bottom() - 3 - k * 2;
            const QColor c = k < 5 ? QColor(40, 200, 90) : k < 7 ? QColor(230, 220, 60) : QColor(235, 70, 50);
            p.fillRect(QRectF(display.left() + 4 + i * 5.4, y, 3.6, 1), c);
        }
    }
    paintGrille(p, QRect(16, 80, 72, 18), 5);

    // Play key on the right.
    const QRectF key(98, 48, 34, 34);
    paintRoundCap(p, key, Face::Up);
    paintGlyph(p, glyph::play(key.center(), 13), Face::Up);
    paintCap(p, QRectF(98, 88, 15, 10), 3, Face::Up);
    paintCap(p, QRectF(117, 88, 15, 10), 3, Face::Up);

    // Mast and waves above the cabinet.
    p.setPen(QPen(QColor(200, 200, 206), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(118, 34), QPointF(108, 8));
    paintGlyph(p, glyph::tower(QPointF(108, 14), 26), Face::Up);
}

void paintDonationBadge(QPainter &p)
{
    const QRectF pill(0.5, 0.5, 119, 29);
    paintCap(p, pill, 14.5, Face::Up);
    p.setRenderHint(QPainter::Antialiasing, true);
    // A heart on the left.
    QPainterPath heart;
    const QPointF c(19, 15.5);
    heart.moveTo(c + QPointF(0, 7));
    heart.cubicTo(c + QPointF(-11, -1), c + QPointF(-5, -11), c + QPointF(0, -4));
    heart.cubicTo(c + QPointF(5, -11), c + QPointF(11, -1), c + QPointF(0, 7));
    paintGlyph(p, heart, Face::Up, QColor(228, 60, 70));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 170));
    const QRectF text(32, 0, 84, 30);
    p.drawText(text.translated(0, 1), Qt::AlignCenter, QStringLiteral("Faire un don"));
    p.setPen(kSilver.lighter(115));
    p.drawText(text, Qt::AlignCenter, QStringLiteral("Faire un don"));
}

void paintAudioCD(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c(48, 48);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 100));
    p.drawEllipse(c + QPointF(1.5, 3), 42, 42);
    // The disc: silver with the rainbow sheen of its tracks.
    QConicalGradient sheen(c, 30);
    sheen.setColorAt(0.00, QColor(205, 208, 214));
    sheen.setColorAt(0.10, QColor(170, 200, 235));
    sheen.setColorAt(0.18, QColor(215, 180, 230));
    sheen.setColorAt(0.26, QColor(240, 226, 170));
    sheen.setColorAt(0.36, QColor(190, 192, 198));
    sheen.setColorAt(0.50, QColor(225, 228, 232));
    sheen.setColorAt(0.60, QColor(170, 205, 230));
    sheen.setColorAt(0.68, QColor(220, 185, 225));
    sheen.setColorAt(0.76, QColor(235, 225, 175));
    sheen.setColorAt(0.86, QColor(185, 188, 194));
    sheen.setColorAt(1.00, QColor(205, 208, 214));
    QPainterPath disc;
    disc.addEllipse(c, 42, 42);
    QPainterPath hole;
    hole.addEllipse(c, 7, 7);
    p.setBrush(sheen);
    p.drawPath(disc.subtracted(hole));
    // Track rings and the clear hub.
    p.setBrush(Qt::NoBrush);
    for (qreal r = 20; r < 41; r += 3.5) {
        p.setPen(QPen(QColor(255, 255, 255, 28), 0.8));
        p.drawEllipse(c, r, r);
    }
    p.setPen(QPen(QColor(120, 122, 128), 1));
    p.setBrush(QColor(160, 165, 172, 120));
    p.drawPath(QPainterPath(disc).subtracted(hole).intersected([&] {
        QPainterPath hub;
        hub.addEllipse(c, 17, 17);
        return hub;
    }()));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(60, 62, 68), 1.2));
    p.drawEllipse(c, 42, 42);
    p.drawEllipse(c, 7, 7);
}

void paintAudioFile(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    // A page with its corner folded, a note engraved on it.
    const QRectF page(18, 6, 60, 84);
    QPainterPath sheet;
    sheet.moveTo(page.topLeft());
    sheet.lineTo(page.right() - 18, page.top());
    sheet.lineTo(page.right(), page.top() + 18);
    sheet.lineTo(page.bottomRight());
    sheet.lineTo(page.bottomLeft());
    sheet.closeSubpath();
    p.fillPath(sheet.translated(2, 3), QColor(0, 0, 0, 100));
    QLinearGradient metal(page.topLeft(), page.bottomRight());
    metal.setColorAt(0, QColor(222, 224, 228));
    metal.setColorAt(1, QColor(140, 142, 150));
    p.fillPath(sheet, metal);
    p.setPen(QPen(QColor(50, 52, 58), 1.2));
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(page.right() - 18, page.top());
    fold.lineTo(page.right() - 18, page.top() + 18);
    fold.lineTo(page.right(), page.top() + 18);
    fold.closeSubpath();
    p.fillPath(fold, QColor(250, 250, 252));
    p.drawPath(fold);
    const QPainterPath note = glyph::note(QPointF(47, 54), 40);
    p.fillPath(note.translated(0, 1), QColor(255, 255, 255, 160));
    p.fillPath(note, QColor(38, 40, 46));
}

void paintNoIcon(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    paintTile(p, QRectF(4.5, 4.5, 87, 87));
    paintGlyph(p, glyph::tower(QPointF(48, 46), 56), Face::Off);
}

} // namespace skin
