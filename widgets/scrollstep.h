// The stepping of the scrolling text, free of any widget: where the text starts, where
// one tick takes it, and the caption a character step shows.
#pragma once

#include <QString>
#include <functional>

enum TScrollType : unsigned char { scNone, scLeft, scRight };
enum TScrollMethod : unsigned char { smChar, smPixel };

// Round(width / fontSize), ties to even; 0 when the size is not positive.
int ScrollVisibleChars(int controlWidth, int fontSize);

// Start position after a reset: in character cells for smChar, in pixels for smPixel.
int ScrollStartPos(TScrollMethod method, TScrollType type, int messageLength, int visibleChars,
                   int controlWidth, int messagePixelWidth);

// One pixel step (4 px). scRight moves left and, once the text of `messagePixelWidth`
// has wholly left on the left, starts again at the right edge; otherwise the text moves
// right and, once past the right edge, starts again just outside the left edge.
int ScrollPixelStep(int pos, TScrollType type, int messagePixelWidth, int controlWidth);

// One character step: scRight moves one cell left and wraps below -messageLength to
// visibleChars; otherwise one cell right, wrapping above visibleChars to -messageLength.
int ScrollCharStep(int pos, TScrollType type, int messageLength, int visibleChars);

// The caption a character step shows at `pos`. At pos <= 0 the message loses its first
// (-pos - 1) characters; at pos > 0 it is pushed right by spaces up to fontSize x pos
// pixels, then characters are added until the text is fontSize x visibleChars pixels
// wide or the message is used up. `width` measures a text in the label's font.
QString ScrollCharCaption(const QString& message, int pos, int visibleChars, int fontSize,
                          const std::function<int(const QString&)>& width);
