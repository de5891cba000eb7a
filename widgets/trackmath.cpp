#include "widgets/trackmath.h"

#include <algorithm>
#include <cmath>

int TrackClamp(int value, int min, int max) {
  if (value < min) value = min;
  if (value > max) value = max;
  return value;
}

int TrackValueAt(int x, int controlWidth, int halfThumb, int min, int max) {
  const int span = controlWidth - halfThumb;
  if (span <= 0 || max <= min) return min;
  const double v = double(x) / span * (double(max) - min) + min;
  return TrackClamp(int(std::clamp(std::nearbyint(v), -2e9, 2e9)), min, max);
}

int TrackHoldThumb(int left, int controlWidth, int thumbWidth) {
  left = std::min(left, controlWidth - thumbWidth);
  return std::max(left, 0);
}

int TrackThumbLeft(int controlWidth, int thumbWidth, int position, int min, int max) {
  if (max <= min) return 0;
  const double x = double(controlWidth - thumbWidth) / (double(max) - min) * (double(position) - min);
  return TrackHoldThumb(int(std::clamp(std::nearbyint(x), -2e9, 2e9)), controlWidth, thumbWidth);
}

int TrackClickValue(int x, int thumbLeft, int halfThumb, int position) {
  const int centre = thumbLeft + halfThumb;
  if (x < centre) return position - 1;
  if (x > centre) return position + 1;
  return position;
}
