#include "common/placement.h"

#include <algorithm>
#include <array>

namespace {

int Clamped(int value, int low, int high) { return high < low ? low : std::clamp(value, low, high); }

bool Inside(const QRect& window, const QRect& area) { return area.contains(window); }

qint64 Overlap(const QRect& a, const QRect& b) {
  const QRect i = a.intersected(b);
  return i.isEmpty() ? 0 : qint64(i.width()) * i.height();
}

}  // namespace

QPoint KeptInside(QPoint topLeft, QSize size, const QRect& area) {
  return {Clamped(topLeft.x(), area.left(), area.right() + 1 - size.width()),
          Clamped(topLeft.y(), area.top(), area.bottom() + 1 - size.height())};
}

QPoint SecondaryPlacement(const QRect& main, QSize size, const QRect& area) {
  const int w = size.width(), h = size.height();
  // Below and above keep the main window's left edge when they can; right and left its
  // top edge.
  const int x = Clamped(main.x(), area.left(), area.right() + 1 - w);
  const int y = Clamped(main.y(), area.top(), area.bottom() + 1 - h);
  const std::array<QPoint, 4> sides = {QPoint(x, main.bottom() + 1), QPoint(x, main.top() - h),
                                       QPoint(main.right() + 1, y), QPoint(main.left() - w, y)};
  for (const QPoint& at : sides) {
    const QRect window(at, size);
    if (Inside(window, area) && !window.intersects(main)) return at;
  }
  // No side has room: the corner of the area that covers the least of the main window,
  // its title and status line (the top 48 pixels) counting ten times.
  const QRect top(main.topLeft(), QSize(main.width(), std::min(main.height(), 48)));
  const auto cost = [&](const QPoint& at) {
    const QRect window(at, size);
    return Overlap(window, main) + 9 * Overlap(window, top);
  };
  const std::array<QPoint, 4> corners = {KeptInside(area.bottomLeft(), size, area),
                                         KeptInside(area.bottomRight(), size, area),
                                         KeptInside(area.topLeft(), size, area),
                                         KeptInside(area.topRight(), size, area)};
  return *std::min_element(corners.begin(), corners.end(),
                           [&](const QPoint& a, const QPoint& b) { return cost(a) < cost(b); });
}

int ScreenIndexFor(const QRect& window, const std::vector<QRect>& screens) {
  int best = -1;
  qint64 bestOverlap = 0, bestArea = 0;
  for (size_t i = 0; i < screens.size(); ++i) {
    const qint64 overlap = Overlap(window, screens[i]);
    const qint64 area = qint64(screens[i].width()) * screens[i].height();
    if (overlap > bestOverlap || (overlap > 0 && overlap == bestOverlap && area < bestArea)) {
      best = int(i);
      bestOverlap = overlap;
      bestArea = area;
    }
  }
  if (best >= 0 || screens.empty()) return best;
  // Off every screen: the one whose area is nearest to the window's centre.
  const QPoint c = window.center();
  qint64 nearest = -1;
  for (size_t i = 0; i < screens.size(); ++i) {
    const QRect& s = screens[i];
    const qint64 dx = c.x() < s.left() ? s.left() - c.x() : c.x() > s.right() ? c.x() - s.right() : 0;
    const qint64 dy = c.y() < s.top() ? s.top() - c.y() : c.y() > s.bottom() ? c.y() - s.bottom() : 0;
    const qint64 d = dx * dx + dy * dy;
    if (nearest < 0 || d < nearest) {
      nearest = d;
      best = int(i);
    }
  }
  return best;
}
