// The three drawing operations the analyser needs, done straight on the pixels of an
// RGB32 image: a rectangle fill, a one-pixel horizontal line and a whole-image copy.
// They clip to the image and allocate nothing, which QPainter cannot promise (it sets up
// its paint engine state on every begin), and the analyser draws 50 frames a second.
#pragma once

#include <QImage>

// Fills the rectangle (left, top, right, bottom), right and bottom excluded, clipped.
void SurfaceFill(QImage& image, int left, int top, int right, int bottom, QRgb colour);

// A horizontal line on row y from x1 to x2: x1 is drawn, x2 is not, in either direction
// (a line from 9 to 5 covers 6..9, as a pen line drawn right to left does).
void SurfaceHLine(QImage& image, int x1, int x2, int y, QRgb colour);

// Copies `source` onto `target` at (0, 0), clipped to the smaller of the two. Both are
// expected in Format_RGB32; another target format is drawn through QPainter.
void SurfaceCopy(const QImage& source, QImage& target);
