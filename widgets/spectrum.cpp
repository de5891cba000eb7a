#include "widgets/spectrum.h"

#include <QGuiApplication>
#include <algorithm>
#include <cmath>

#include "widgets/pixelsurface.h"

int RoundEven(float value) {
  if (std::isnan(value)) return 0;
  value = std::clamp(value, -1e6f, 1e6f);
  return int(std::nearbyint(value));  // default rounding mode: to nearest, ties to even
}

TSpectrum::TSpectrum(int width, int height, int bandCount)
    : Buffer(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32),
      Width(width),
      Height(height),
      BandCount(std::max(bandCount, 0)),
      Levels(size_t(BandCount), 0.0f),
      PeakLevels(size_t(BandCount), 0.0f),
      FallRows(size_t(BandCount), 0.0f) {
  Buffer.fill(Qt::black);
}

namespace {

QRgb Resolve(TColorValue value) {
  // System colours need the palette; plain ones do not (and need no application).
  if (!IsSystemColorValue(value)) return qRgb(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
  return qGuiApp ? RgbFromValue(value, QGuiApplication::palette()) : qRgb(0, 0, 0);
}

}  // namespace

void TSpectrum::Draw(QImage* target, const float* values) {
  Target = target;
  // Levels are held finite: one NaN or infinity from a broken FFT would otherwise stick
  // in the peak and fall arithmetic for good.
  for (int i = 0; i < BandCount; ++i) Levels[i] = std::isnan(values[i]) ? 0.0f : std::clamp(values[i], -1e6f, 1e6f);

  const QRgb low = Resolve(ColorLow), mid = Resolve(ColorMid), high = Resolve(ColorHigh);
  auto colourFor = [&](float level) {
    if (level <= float(LowLevel)) return low;
    if (level < float(HighLevel)) return mid;
    return high;
  };

  SurfaceFill(Buffer, 0, 0, Width, Height, Resolve(BackColor));
  if (Target) SurfaceCopy(Buffer, *Target);  // the blank frame, as the bands are drawn

  int x = LeftOffset;
  for (int i = 0; i < BandCount; ++i) {
    if (ShowPeaks) {
      if (PeakLevels[i] > 0) PeakLevels[i] -= PeakFallStep;
      // The colour comes from the decayed old peak, before the new level raises it.
      const QRgb colour = colourFor(PeakLevels[i]);
      if (Levels[i] > PeakLevels[i]) PeakLevels[i] = Levels[i];
      const int y = Height - 5 - RoundEven(PeakLevels[i]);
      SurfaceHLine(Buffer, x, x + BarWidth, y, colour);
    }
    x += BandSpacing;

    int h = RoundEven(Levels[i]) / 2;
    if (FallRows[i] > 0) FallRows[i] -= BarFallStep;
    if (float(h) > FallRows[i]) {
      FallRows[i] = float(h);
    } else {
      h = RoundEven(FallRows[i]);
    }
    // Rows lie on every second line from the bottom up; those above the top edge are
    // clipped, so the loop stops at the last visible one.
    const int lastVisible = Height > 0 ? (Height - 1) / 2 : -1;
    for (int k = 0; k <= std::min(h, lastVisible); ++k) {
      const int y = Height - 1 - 2 * k;
      const int d = Height - y;
      SurfaceHLine(Buffer, x - BandSpacing - 1 + BarWidth, x - BandSpacing - 1, y, colourFor(float(d)));
    }
    x += BandSpacing;
  }

  if (Target) SurfaceCopy(Buffer, *Target);
}
