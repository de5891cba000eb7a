#include "widgets/trackskin.h"

#include <QApplication>
#include <QImageReader>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "widgets/trackmath.h"

TTrackSkin::TTrackSkin(QWidget* parent) : QWidget(parent) {
  resize(100, 24);
  ShowMessage = [this](const QString& text) { QMessageBox::information(this, QApplication::applicationName(), text); };
}

QString TTrackSkin::PictureTypeMessage() {
  return QStringLiteral("Seuls les fichiers de type *.Bmp,*.Jpg et *.Jpeg sont autorisés");
}

bool TTrackSkin::SetPicture(const QImage& picture, const QByteArray& format) {
  const QByteArray f = format.toLower();
  if (!picture.isNull() && f != "bmp" && f != "dib" && f != "jpeg" && f != "jpg" && f != "png") {
    if (ShowMessage) ShowMessage(PictureTypeMessage());
    return false;
  }
  picture_ = picture;
  PictureChanged();
  return true;
}

bool TTrackSkin::LoadPicture(const QString& fileName) {
  QImageReader reader(fileName);
  const QByteArray format = reader.format();
  const QImage image = reader.read();
  if (image.isNull()) {
    if (ShowMessage) ShowMessage(PictureTypeMessage());
    return false;
  }
  return SetPicture(image, format);
}

void TTrackSkin::PictureChanged() {
  if (!picture_.isNull()) trackImage_ = picture_.convertToFormat(QImage::Format_RGB32);
  Redraw();
}

void TTrackSkin::SetCurseur(const QImage& curseur) {
  curseur_ = curseur.convertToFormat(QImage::Format_RGB32);
  Redraw();
}

void TTrackSkin::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
  Redraw();
}

void TTrackSkin::SetValeurMin(int32_t value) {
  if (value == valeurMin_) return;
  valeurMin_ = value;
  if (position_ < valeurMin_) position_ = valeurMin_;  // no notification
  Redraw();
}

void TTrackSkin::SetValeurMax(int32_t value) {
  if (value == valeurMax_) return;
  valeurMax_ = value;
  if (position_ > valeurMax_) position_ = valeurMax_;
  Redraw();
}

void TTrackSkin::SetPosition(int32_t value) {
  if (value != position_) position_ = TrackClamp(value, valeurMin_, valeurMax_);
  if (canvas_.isNull()) {
    Redraw();
  } else {
    const QRect old = thumbRect_;
    RestoreBack();
    PlaceThumb();
    SaveBack();
    DrawThumb();
    update(old.united(thumbRect_));
  }
  Q_EMIT changed();
}

int TTrackSkin::ValueAt(int x) const {
  return TrackValueAt(x, width(), halfThumb_, valeurMin_, valeurMax_);
}

void TTrackSkin::SplitThumb() {
  const int w = curseur_.width() / 2, h = curseur_.height();
  thumbImage_ = curseur_.copy(0, 0, w, h);
  thumbMask_ = curseur_.copy(w, 0, w, h);
  halfThumb_ = w / 2;
}

void TTrackSkin::PlaceThumb() {
  const int tw = thumbImage_.width(), th = thumbImage_.height();
  const int x = dragging_ ? TrackHoldThumb(lastMouseX_ - halfThumb_, width(), tw)
                          : TrackThumbLeft(width(), tw, position_, valeurMin_, valeurMax_);
  thumbRect_ = QRect(x, (height() - th) / 2, tw, th);
}

void TTrackSkin::SaveBack() {
  savedBack_ = canvas_.copy(thumbRect_);
}

void TTrackSkin::RestoreBack() {
  if (savedBack_.isNull()) return;
  QPainter p(&canvas_);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(thumbRect_.topLeft(), savedBack_);
}

void TTrackSkin::DrawThumb() {
  if (thumbImage_.isNull() || savedBack_.isNull()) return;
  QImage temp = savedBack_.convertToFormat(QImage::Format_RGB32);
  {
    QPainter p(&temp);
    // The mask is white where the track shows and black under the thumb; the image is
    // black outside the thumb.
    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.drawImage(0, 0, thumbMask_);
    p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    p.drawImage(0, 0, thumbImage_);
  }
  QPainter p(&canvas_);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(thumbRect_.topLeft(), temp);
}

void TTrackSkin::PaintTrack() {
  int trackTop = 0;
  if (!trackImage_.isNull()) {
    // The control takes the track's width, and the taller of track and thumb; a taller
    // thumb puts the track lower by half the difference.
    const int h = std::max(trackImage_.height(), curseur_.height());
    trackTop = std::max(0, (curseur_.height() - trackImage_.height()) / 2);
    resize(trackImage_.width(), h);
  } else if (curseur_.isNull()) {
    resize(100, 24);
  } else {
    resize(width(), curseur_.height());
  }
  canvas_ = QImage(size(), QImage::Format_RGB32);
  if (!trackImage_.isNull()) {
    canvas_.fill(trackImage_.pixel(0, 0));
    QPainter p(&canvas_);
    p.drawImage(0, trackTop, trackImage_);
  } else {
    const QWidget* back = parentWidget() ? parentWidget() : this;
    canvas_.fill(back->palette().color(back->backgroundRole()));
  }
}

void TTrackSkin::Redraw() {
  PaintTrack();
  SplitThumb();
  PlaceThumb();
  SaveBack();
  DrawThumb();
  update();
}

void TTrackSkin::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!transparent_ || canvas_.isNull()) {
    p.drawImage(0, 0, canvas_);
    return;
  }
  // Key out the canvas's top-left colour, but not the thumb's own pixels.
  QImage shown = canvas_.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = canvas_.pixel(0, 0);
  for (int y = 0; y < shown.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
    for (int x = 0; x < shown.width(); ++x) {
      if ((line[x] | 0xFF000000u) != (key | 0xFF000000u)) continue;
      const QPoint inThumb = QPoint(x, y) - thumbRect_.topLeft();
      const bool onThumb = thumbRect_.contains(x, y) && !thumbMask_.isNull() &&
                           qGray(thumbMask_.pixel(inThumb)) < 128;
      if (!onThumb) line[x] = 0;
    }
  }
  p.drawImage(0, 0, shown);
}

void TTrackSkin::mousePressEvent(QMouseEvent* event) {
  dragging_ = thumbRect_.contains(event->position().toPoint());
}

void TTrackSkin::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) || !dragging_) return;
  const int x = event->position().toPoint().x();
  if (x == lastMouseX_) return;
  lastMouseX_ = x;
  SetPosition(ValueAt(x));
}

void TTrackSkin::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int x = event->position().toPoint().x();
  const int value = dragging_ ? ValueAt(x) : TrackClickValue(x, thumbRect_.left(), halfThumb_, position_);
  dragging_ = false;
  SetPosition(TrackClamp(value, valeurMin_, valeurMax_));
}
