// TScrollText: the scrolling label as windows use it. Its four properties (message,
// direction, method, speed) are those of TCustomScroll; this class is the one forms
// create, so a window names one type for every marquee it holds.
#pragma once

#include "widgets/customscroll.h"

class TScrollText : public TCustomScroll {
  Q_OBJECT
 public:
  explicit TScrollText(QWidget* parent = nullptr);
};
