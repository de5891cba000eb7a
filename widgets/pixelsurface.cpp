#include "widgets/pixelsurface.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

void SurfaceFill(QImage& image, int left, int top, int right, int bottom, QRgb colour) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, image.width());
  bottom = std::min(bottom, image.height());
  for (int y = top; y < bottom; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(line + left, line + std::max(left, right), colour);
  }
}

void SurfaceHLine(QImage& image, int x1, int x2, int y, QRgb colour) {
  if (y < 0 || y >= image.height() || x1 == x2) return;
  // From x1 towards x2, x2 excluded: the covered span is [x1, x2) or (x2, x1].
  const int from = x1 < x2 ? x1 : x2 + 1;
  const int to = x1 < x2 ? x2 : x1 + 1;
  SurfaceFill(image, from, y, to, y + 1, colour);
}

void SurfaceCopy(const QImage& source, QImage& target) {
  if (target.format() != source.format()) {
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, source);
    return;
  }
  const int rows = std::min(source.height(), target.height());
  const size_t bytes = size_t(std::min(source.width(), target.width())) * 4;
  for (int y = 0; y < rows; ++y) std::memcpy(target.scanLine(y), source.constScanLine(y), bytes);
}
