#include "widgets/btnstate.h"

int ComputeVisualState(TBasicBtnType type, TBasicBtnOptions options, bool stillDown, bool enabled,
                       bool pressed, bool pointerInside) {
  int state;
  if (!stillDown) {
    state = !enabled ? 6 : (pressed && pointerInside) ? 2 : 0;
  } else {
    state = !enabled ? 7 : (pressed && pointerInside) ? 5 : 3;
  }
  if (type != btAutoUp) {
    // A toggle being pressed may show the state it is about to take instead.
    if (state == 2 && !options.Has(boMSDownOnUp)) state = 3;
    if (state == 5 && !options.Has(boMSDownOnSD)) state = 0;
  }
  if (pointerInside) {
    if (state == 0 && options.Has(boMSMoveOnUp)) state = 1;
    if (state == 3 && options.Has(boMSMoveOnSD)) state = 4;
  }
  return state;
}

QPoint BtnLayoutPos(TBasicBtnLayout layout, QSize item, QSize button, int adjustH, int adjustV, int shift) {
  const int w = item.width(), h = item.height(), W = button.width(), H = button.height();
  const int centreX = (W - w) / 2 + adjustH + shift;
  const int middleY = (H - h) / 2 + adjustV + shift;
  switch (layout) {
    case laLeft: return {adjustH + shift, middleY};
    case laTop: return {centreX, adjustV + shift};
    case laRight: return {W - w + adjustH + shift, middleY};
    case laBottom: return {centreX, H - h + adjustV + shift};
    case laCenter: break;
  }
  return {centreX, middleY};
}
