// The named colours of the configuration window's colour pickers (the analyser's colours).
#pragma once

#include <QString>
#include <vector>

#include "widgets/colorvalue.h"

struct TNamedColor {
  QString Name;
  TColorValue Value;
};

// The colour pickers' list: the standard colours, the extended colours and the system
// colours (top byte 0xFF), each under its readable name.
const std::vector<TNamedColor>& PickerColors();
