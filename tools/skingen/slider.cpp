// The volume slider's two pictures. The track is opaque, so it is cut from the main
// window's own face at the slider's place (338, 197) and the groove is drawn on that:
// it then sits seamlessly in the transport bar. The thumb bitmap holds the knob on black
// (left half) and its mask (right half): black under the knob, white where the track
// shows, as the slider composites them with AND and OR.
#include "pictures.h"
#include "skinpainting.h"

#include <QImage>
#include <QPainter>

namespace skin {

void paintSliderTrack(QPainter &p)
{
    QImage face(480, 241, QImage::Format_RGB32);
    face.fill(Qt::black);
    {
        QPainter f(&face);
        paintMain(f);
    }
    p.drawImage(0, 0, face.copy(338, 197, 46, 20));

    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    // A wedge that widens to the right, as loudness grows, sunk into the face.
    QPainterPath wedge;
    wedge.moveTo(5, 11.5);
    wedge.lineTo(41, 8);
    wedge.lineTo(41, 13.5);
    wedge.lineTo(5, 12.5);
    wedge.closeSubpath();
    p.fillPath(wedge.translated(0, 1), QColor(255, 255, 255, 30));
    QLinearGradient fill(QPointF(5, 0), QPointF(41, 0));
    fill.setColorAt(0, QColor(40, 42, 46));
    fill.setColorAt(1, QColor(120, 122, 128));
    p.fillPath(wedge, fill);
    p.setPen(QPen(QColor(0, 0, 0, 160), 0.8));
    p.drawPath(wedge);
    // Ticks under the wedge every fifth of the range.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i <= 4; ++i) {
        const int x = 6 + i * 34 / 4;
        p.setPen(QColor(192, 192, 192, 70));
        p.drawLine(x, 16, x, 17);
    }
    p.restore();
}

void paintSliderThumb(QPainter &p)
{
    // The knob on a transparent layer first, so its coverage gives the mask.
    QImage knob(12, 13, QImage::Format_ARGB32_Premultiplied);
    knob.fill(Qt::transparent);
    {
        QPainter k(&knob);
        k.setRenderHint(QPainter::Antialiasing, true);
        const QRectF body(1, 0.5, 10, 12);
        QLinearGradient metal(body.topLeft(), body.bottomLeft());
        metal.setColorAt(0, QColor(238, 238, 240));
        metal.setColorAt(0.5, QColor(178, 178, 184));
        metal.setColorAt(1, QColor(118, 118, 124));
        k.setPen(QPen(QColor(20, 20, 22), 1));
        k.setBrush(metal);
        k.drawRoundedRect(body, 2.5, 2.5);
        // Grip: three grooves.
        k.setRenderHint(QPainter::Antialiasing, false);
        for (int x : {4, 6, 8}) {
            k.setPen(QColor(70, 70, 76));
            k.drawLine(x - 1, 3, x - 1, 9);
            k.setPen(QColor(250, 250, 252));
            k.drawLine(x, 3, x, 9);
        }
    }
    QImage image(12, 13, QImage::Format_RGB32), mask(12, 13, QImage::Format_RGB32);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 12; ++x) {
            const QRgb px = knob.pixel(x, y);
            const bool covered = qAlpha(px) > 40;
            // On black the premultiplied colour is the composited one.
            image.setPixel(x, y, covered ? qRgb(qRed(px), qGreen(px), qBlue(px)) : qRgb(0, 0, 0));
            mask.setPixel(x, y, covered ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    p.drawImage(0, 0, image);
    p.drawImage(12, 0, mask);
}

} // namespace skin
