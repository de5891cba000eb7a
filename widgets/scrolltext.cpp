#include "widgets/scrolltext.h"

TScrollText::TScrollText(QWidget* parent) : TCustomScroll(parent) {}
