// TSimpleBtn: the skinned button every window uses. Draws the picture of its visual
// state from its glyph list (or a resource named by Prefix), then its caption.
#pragma once

#include <cstdint>

#include "widgets/basicbtn.h"
#include "widgets/btnglyphs.h"

class TSimpleBtn : public TBasicBtn {
  Q_OBJECT
 public:
  explicit TSimpleBtn(QWidget* parent = nullptr);

  TBtnGlyphs* Glyphs() { return &glyphs_; }
  const TBtnGlyphs* Glyphs() const { return &glyphs_; }
  int32_t Tag2 = 0;  // for the owner's use

  // The picture index the current state draws (-1: none).
  int CurrentPicture() const { return glyphs_.PictureFor(VisualState()); }

  QSize sizeHint() const override { return {23, 22}; }

 Q_SIGNALS:
  // At the start of every paint, before the picture is drawn.
  void beforePaint();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void DrawPicture(QPainter& p);
  void DrawCaption(QPainter& p);
  int Shift(TBasicBtnOption option) const;

  TBtnGlyphs glyphs_;
};
