// TSpectrum: the bar-graph analyser renderer. Each band keeps a falling bar (in rows of
// two pixel lines) and a peak-hold line; a frame is drawn into the off-screen `Buffer`
// and copied whole onto the target surface. Fields are public: the configuration window
// changes the colours and ShowPeaks while the program runs, and the next frame shows it.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "widgets/colorvalue.h"

class TSpectrum {
 public:
  TSpectrum(int width, int height, int bandCount);

  // Copies `BandCount` levels from `values` (pixels of bar height) and paints one frame
  // onto `target` (an RGB32 image; the paint box's surface). Allocates nothing.
  void Draw(QImage* target, const float* values);

  QImage Buffer;           // Width x Height, RGB32
  QImage* Target = nullptr;  // the surface of the last Draw
  int32_t Width;
  int32_t Height;
  int32_t BandCount;
  bool ShowPeaks = true;
  TColorValue BackColor = 0;
  int32_t LowLevel = 15;   // pixels: up to this, ColorLow
  int32_t HighLevel = 30;  // pixels: from this, ColorHigh
  TColorValue ColorLow = 0x008000;
  TColorValue ColorMid = 0x00FFFF;
  TColorValue ColorHigh = 0x0000FF;
  std::vector<float> Levels;      // this frame's levels, pixels
  std::vector<float> PeakLevels;  // peak-hold levels, pixels
  std::vector<float> FallRows;    // displayed bar heights, rows
  float PeakFallStep = 0.5f;      // pixels per frame
  float BarFallStep = 1.5f;       // rows per frame
  int32_t BarWidth = 7;
  int32_t BandSpacing = 5;  // half the pitch from one band to the next
  int32_t LeftOffset = 5;
};

// Round to nearest, ties to even, as the analyser's arithmetic wants (2.5 -> 2,
// 3.5 -> 4). Non-finite or huge values are held to +-1e6 first: a level only ever
// decides how many rows are drawn, and anything that tall is clipped anyway.
int RoundEven(float value);
