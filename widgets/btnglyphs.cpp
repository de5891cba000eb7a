#include "widgets/btnglyphs.h"

#include <QWidget>

void TBtnGlyphs::Repaint() {
  // Faces change while a station connects or a file plays; show them now, not at the
  // next event-loop turn.
  if (owner_ && owner_->isVisible()) owner_->repaint();
}

void TBtnGlyphs::SetG(int state, int32_t value) {
  g_[size_t(state & 7)] = value;
  Repaint();
}

void TBtnGlyphs::SetFace(int32_t up, int32_t move, int32_t down) {
  g_[0] = up;
  g_[1] = move;
  g_[2] = down;
  Repaint();
}

int32_t TBtnGlyphs::PictureFor(int state) const {
  const int32_t g = G(state);
  return g != -1 ? g : g_[0];
}

void TBtnGlyphs::SetGlyphList(const TImageList& list) {
  if (list == glyphList_) return;
  glyphList_ = list;
  Repaint();
}

void TBtnGlyphs::SetGlyphAdjustH(int32_t v) {
  if (v == adjustH_) return;
  adjustH_ = v;
  Repaint();
}

void TBtnGlyphs::SetGlyphAdjustV(int32_t v) {
  if (v == adjustV_) return;
  adjustV_ = v;
  Repaint();
}

void TBtnGlyphs::SetGlyphLayout(TBasicBtnLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Repaint();
}
