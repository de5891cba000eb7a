// Colour values as the settings and the colour pickers carry them: 32 bits laid out
// 0x00BBGGRR (red in the low byte). A top byte of 0xFF names a system colour instead,
// by its index in the low byte; it is resolved against the current palette.
#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

using TColorValue = uint32_t;

// The value of a plain colour (alpha ignored).
constexpr TColorValue ColorValue(int red, int green, int blue) {
  return TColorValue(red & 0xFF) | TColorValue(green & 0xFF) << 8 | TColorValue(blue & 0xFF) << 16;
}

constexpr bool IsSystemColorValue(TColorValue value) {
  return (value >> 24) == 0xFF;
}

// The colour `value` stands for. System colours map to the palette role that plays the
// same part (window text, highlight, button face ...); an unknown index gives black.
QColor ColorFromValue(TColorValue value, const QPalette& palette);

// Same, as a 0xAARRGGBB pixel with full alpha (for direct writes into RGB32 images).
QRgb RgbFromValue(TColorValue value, const QPalette& palette);
