// TBtnGlyphs: the pictures of a skinned button, one index per visual state (-1 = none,
// falling back to G0_Up), the list they come from and their placement. Owned by its
// button; every change that alters the look repaints the button at once.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "widgets/btnstate.h"
#include "widgets/imagelist.h"

class QWidget;

class TBtnGlyphs {
 public:
  explicit TBtnGlyphs(QWidget* owner) : owner_(owner) {}

  int32_t G0_Up() const { return g_[0]; }
  int32_t G1_MSMove() const { return g_[1]; }
  int32_t G2_MSDown() const { return g_[2]; }
  int32_t G3_StillDown() const { return g_[3]; }
  int32_t G4_MSMoveOnSD() const { return g_[4]; }
  int32_t G5_MSDownOnSD() const { return g_[5]; }
  int32_t G6_Disabled() const { return g_[6]; }
  int32_t G7_DisabledSD() const { return g_[7]; }
  void SetG0_Up(int32_t v) { SetG(0, v); }
  void SetG1_MSMove(int32_t v) { SetG(1, v); }
  void SetG2_MSDown(int32_t v) { SetG(2, v); }
  void SetG3_StillDown(int32_t v) { SetG(3, v); }
  void SetG4_MSMoveOnSD(int32_t v) { SetG(4, v); }
  void SetG5_MSDownOnSD(int32_t v) { SetG(5, v); }
  void SetG6_Disabled(int32_t v) { SetG(6, v); }
  void SetG7_DisabledSD(int32_t v) { SetG(7, v); }
  // The index of visual state `state` (0-7) by itself.
  int32_t G(int state) const { return g_[size_t(state & 7)]; }
  void SetG(int state, int32_t value);
  // A face: the up, hover and pressed pictures at once (one repaint).
  void SetFace(int32_t up, int32_t move, int32_t down);

  // The picture drawn in `state`: its own index, else G0_Up, else -1 (nothing).
  int32_t PictureFor(int state) const;

  const TImageList& GlyphList() const { return glyphList_; }
  void SetGlyphList(const TImageList& list);
  int32_t GlyphAdjustH() const { return adjustH_; }
  int32_t GlyphAdjustV() const { return adjustV_; }
  void SetGlyphAdjustH(int32_t v);
  void SetGlyphAdjustV(int32_t v);
  TBasicBtnLayout GlyphLayout() const { return layout_; }
  void SetGlyphLayout(TBasicBtnLayout layout);
  // Without a list: pictures are the resources ":/" + Prefix + index, loaded on paint.
  QString Prefix;
  // Prefix pictures: their bottom-left pixel's colour is see-through.
  bool Transparent = true;

 private:
  void Repaint();

  QWidget* owner_;
  std::array<int32_t, 8> g_{-1, -1, -1, -1, -1, -1, -1, -1};
  TImageList glyphList_;
  int32_t adjustH_ = 0, adjustV_ = 0;
  TBasicBtnLayout layout_ = laLeft;
};
