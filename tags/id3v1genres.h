// The 148 genre names an ID3v1 genre byte indexes: the original list (0-79) and the
// extensions players added (80-147), spelled as those players spell them.
#pragma once

#include <QString>

namespace id3v1genres {

constexpr int kCount = 148;

// The name at `index`, or the empty text from kCount on.
QString Name(int index);

}  // namespace id3v1genres
