// An image list: equal-size pictures cut from one horizontal strip (image i is the
// strip's columns i x width to (i + 1) x width). Copies share the strip's pixels, so
// several buttons can hold the same list by value.
#pragma once

#include <QPixmap>
#include <QSize>

class QPainter;

class TImageList {
 public:
  TImageList() = default;
  // Images of `imageSize` cut from `strip`; a last partial image is left out.
  TImageList(const QPixmap& strip, QSize imageSize);
  // `count` images side by side, as wide as the strip allows.
  static TImageList FromStrip(const QPixmap& strip, int count);

  int Count() const { return count_; }
  QSize ImageSize() const { return size_; }
  bool IsEmpty() const { return count_ == 0; }
  QPixmap Image(int index) const;
  // Draws image `index` with its top-left corner at `at`; an index out of range draws nothing.
  void Draw(QPainter& painter, QPoint at, int index) const;

  bool operator==(const TImageList& other) const {
    return strip_.cacheKey() == other.strip_.cacheKey() && size_ == other.size_;
  }

 private:
  QPixmap strip_;
  QSize size_;
  int count_ = 0;
};
