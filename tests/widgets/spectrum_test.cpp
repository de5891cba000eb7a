// The analyser renderer frame by frame, read back from the target image, with the main
// window's values: 64 x 23, 16 bands at a pitch of 4 (band i fills columns 4i, 4i + 1),
// LowLevel 16, HighLevel 20.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <array>

#include "widgets/spectrum.h"

namespace {

const QRgb kLow = qRgb(0, 128, 0), kMid = qRgb(255, 255, 0), kHigh = qRgb(255, 0, 0), kBack = qRgb(0, 0, 0);

class SpectrumTest : public ::testing::Test {
 protected:
  SpectrumTest() : s(64, 23, 16), target(64, 23, QImage::Format_RGB32) {
    s.LowLevel = 16;
    s.HighLevel = 20;
    s.BarWidth = 2;
    s.BandSpacing = 2;
    s.LeftOffset = 0;
    s.ColorLow = 0x008000;
    s.ColorMid = 0x00FFFF;
    s.ColorHigh = 0x0000FF;
    target.fill(Qt::white);
  }
  void Frame(float level) {
    levels.fill(level);
    s.Draw(&target, levels.data());
  }
  void FrameBand(int band, float level) {
    levels.fill(0);
    levels[band] = level;
    s.Draw(&target, levels.data());
  }
  // Lit rows of band i's bar, counted from the bottom line up on every second line.
  int BarRows(int band) const {
    int rows = 0;
    for (int y = 22; y >= 0; y -= 2)
      if (target.pixel(4 * band, y) != kBack) ++rows;
    return rows;
  }
  TSpectrum s;
  QImage target;
  std::array<float, 16> levels{};
};

TEST_F(SpectrumTest, ConstructorDefaults) {
  TSpectrum d(10, 20, 3);
  EXPECT_TRUE(d.ShowPeaks);
  EXPECT_EQ(d.BackColor, 0u);
  EXPECT_EQ(d.LowLevel, 15);
  EXPECT_EQ(d.HighLevel, 30);
  EXPECT_EQ(d.ColorLow, 0x008000u);
  EXPECT_EQ(d.ColorMid, 0x00FFFFu);
  EXPECT_EQ(d.ColorHigh, 0x0000FFu);
  EXPECT_FLOAT_EQ(d.PeakFallStep, 0.5f);
  EXPECT_FLOAT_EQ(d.BarFallStep, 1.5f);
  EXPECT_EQ(d.BarWidth, 7);
  EXPECT_EQ(d.BandSpacing, 5);
  EXPECT_EQ(d.LeftOffset, 5);
  EXPECT_EQ(d.Levels.size(), 3u);
  EXPECT_EQ(d.Buffer.size(), QSize(10, 20));
}

TEST_F(SpectrumTest, SilenceDrawsOneBottomRowPerBandInTheLowColour) {
  s.ShowPeaks = false;
  Frame(0);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool bar = y == 22 && x % 4 < 2;
      ASSERT_EQ(target.pixel(x, y), bar ? kLow : kBack) << x << "," << y;
    }
}

TEST_F(SpectrumTest, PeaksComeToRestFourLinesAboveTheBottomRow) {
  Frame(10);
  for (int i = 0; i < 30; ++i) Frame(0);
  for (int x = 0; x < 64; ++x) EXPECT_EQ(target.pixel(x, 18), x % 4 < 2 ? kLow : kBack) << x;
  // A peak that sinks below zero (0.3 - 0.5 = -0.2) still rounds to the resting line.
  FrameBand(3, 0.3f);
  FrameBand(3, -0.4f);  // the peak sinks to -0.2; the level stays under it
  EXPECT_FLOAT_EQ(s.PeakLevels[3], -0.2f);
  EXPECT_EQ(target.pixel(12, 18), kLow);
  EXPECT_EQ(target.pixel(12, 17), kBack);
}

TEST_F(SpectrumTest, BarsFallOneAndAHalfRowsPerTickRoundingTiesToEven) {
  s.ShowPeaks = false;
  struct Case {
    const char* name;
    float level;            // the loud frame
    std::vector<int> rows;  // rows drawn on the quiet frames after it
  } cases[] = {
      // Round(8) / 2 = 4 rows up: 4 -> 2.5 (3 rows) -> 1.0 (2) -> -0.5 (1)
      {"from 4 rows", 8, {3, 2, 1, 1}},
      // 5 -> 3.5 (Round 4: 5 rows) -> 2.0 (3) -> 0.5 (Round 0: 1)
      {"from 5 rows", 10, {5, 3, 1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    s.FallRows.assign(16, 0);
    FrameBand(2, c.level);
    EXPECT_EQ(BarRows(2), int(c.level) / 2 + 1);
    for (int expected : c.rows) {
      Frame(0);
      EXPECT_EQ(BarRows(2), expected);
    }
  }
}

TEST_F(SpectrumTest, RowColoursFollowTheirHeight) {
  s.ShowPeaks = false;
  Frame(22);  // 11 rows up: 12 rows, every visible one
  for (int k = 0; k < 12; ++k) {
    const int y = 22 - 2 * k;
    const QRgb expected = k <= 7 ? kLow : k <= 9 ? kMid : kHigh;
    EXPECT_EQ(target.pixel(0, y), expected) << "row " << k;
    EXPECT_EQ(target.pixel(1, y), expected) << "row " << k;
    EXPECT_EQ(target.pixel(2, y), kBack) << "gap between bands";
    if (y > 0) {
      EXPECT_EQ(target.pixel(0, y - 1), kBack) << "gap between rows";
    }
  }
}

TEST_F(SpectrumTest, TheFirstPeakAfterSilenceTakesTheDecayedOldPeaksColour) {
  FrameBand(0, 17);  // placed at y = 23 - 5 - 17 = 1, coloured by the old peak 0
  EXPECT_EQ(target.pixel(0, 1), kLow);
  FrameBand(0, 17);  // old peak 17 sinks to 16.5: above LowLevel, so mid
  EXPECT_EQ(target.pixel(0, 1), kMid);
}

TEST_F(SpectrumTest, LevelsAboveTheTopAreClippedWithoutWrapping) {
  s.ShowPeaks = false;
  FrameBand(5, 1000);
  EXPECT_EQ(BarRows(5), 12);
  EXPECT_EQ(target.pixel(20, 0), kHigh);
  EXPECT_EQ(target.pixel(20, 22), kLow);
  EXPECT_EQ(BarRows(4), 1);  // neighbours untouched
  EXPECT_EQ(BarRows(6), 1);
  // Absurd levels draw like tall ones, not like nothing.
  FrameBand(5, std::numeric_limits<float>::infinity());
  EXPECT_EQ(target.pixel(20, 0), kHigh);
}

TEST_F(SpectrumTest, PeaksOffKeepTheirLevelsAndSinkFromThereWhenBackOn) {
  FrameBand(1, 12);
  s.ShowPeaks = false;
  for (int i = 0; i < 5; ++i) Frame(0);
  EXPECT_FLOAT_EQ(s.PeakLevels[1], 12.0f);
  for (int y = 0; y < 22; ++y) EXPECT_EQ(target.pixel(4, y), kBack);
  s.ShowPeaks = true;
  Frame(0);  // 11.5 -> Round 12 (ties to even) -> y = 6
  EXPECT_EQ(target.pixel(4, 6), kLow);
}

TEST_F(SpectrumTest, ColourChangesShowInTheNextFrame) {
  s.ShowPeaks = false;
  Frame(0);
  s.ColorLow = 0xFF0000;  // blue, as 0x00BBGGRR
  Frame(0);
  EXPECT_EQ(target.pixel(0, 22), qRgb(0, 0, 255));
  // A system colour (top byte 0xFF) takes the palette's matching role: 13 = highlight.
  s.ColorLow = 0xFF00000D;
  Frame(0);
  EXPECT_EQ(target.pixel(0, 22), QApplication::palette().color(QPalette::Highlight).rgb());
}

TEST_F(SpectrumTest, TheTargetHoldsTheWholeFrameAndTheBufferMatches) {
  Frame(6);
  EXPECT_EQ(target, s.Buffer);
  EXPECT_EQ(s.Target, &target);
}

}  // namespace
