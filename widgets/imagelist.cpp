#include "widgets/imagelist.h"

#include <QPainter>

TImageList::TImageList(const QPixmap& strip, QSize imageSize) : strip_(strip), size_(imageSize) {
  if (!strip.isNull() && imageSize.width() > 0 && imageSize.height() > 0 && strip.height() >= imageSize.height())
    count_ = strip.width() / imageSize.width();
}

TImageList TImageList::FromStrip(const QPixmap& strip, int count) {
  if (count <= 0 || strip.isNull()) return {};
  return TImageList(strip, QSize(strip.width() / count, strip.height()));
}

QPixmap TImageList::Image(int index) const {
  if (index < 0 || index >= count_) return {};
  return strip_.copy(index * size_.width(), 0, size_.width(), size_.height());
}

void TImageList::Draw(QPainter& painter, QPoint at, int index) const {
  if (index < 0 || index >= count_) return;
  painter.drawPixmap(at, strip_, QRect(index * size_.width(), 0, size_.width(), size_.height()));
}
