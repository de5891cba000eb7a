#include "widgets/scrollstep.h"

#include <algorithm>
#include <cmath>

int ScrollVisibleChars(int controlWidth, int fontSize) {
  if (fontSize <= 0) return 0;
  return int(std::nearbyint(double(controlWidth) / fontSize));
}

int ScrollStartPos(TScrollMethod method, TScrollType type, int messageLength, int visibleChars,
                   int controlWidth, int messagePixelWidth) {
  if (method == smChar) return type == scRight ? visibleChars : -messageLength;
  return type == scRight ? controlWidth : -messagePixelWidth;
}

int ScrollPixelStep(int pos, TScrollType type, int messagePixelWidth, int controlWidth) {
  if (type == scRight) {
    pos -= 4;
    if (messagePixelWidth + pos < 0) pos = controlWidth;
  } else {
    pos += 4;
    if (pos > controlWidth) pos = -messagePixelWidth;
  }
  return pos;
}

int ScrollCharStep(int pos, TScrollType type, int messageLength, int visibleChars) {
  if (type == scRight) {
    if (--pos < -messageLength) pos = visibleChars;
  } else {
    if (++pos > visibleChars) pos = -messageLength;
  }
  return pos;
}

QString ScrollCharCaption(const QString& message, int pos, int visibleChars, int fontSize,
                          const std::function<int(const QString&)>& width) {
  if (pos <= 0) return message.mid(std::max(1, -pos) - 1);

  QString text(QLatin1Char(' '));
  const int indent = fontSize * pos;
  // Each space is at least a pixel wide, so `indent` spaces always reach the indent;
  // the bound only guards against a font that measures spaces as nothing.
  for (int spaces = 1; width(text) < indent && spaces < indent; ++spaces) text += QLatin1Char(' ');
  const int full = fontSize * visibleChars;
  for (int i = 0; i < message.size() && width(text) < full; ++i) text += message[i];
  return text;
}
