#include "widgets/simplebtn.h"

#include <QBitmap>
#include <QPainter>

TSimpleBtn::TSimpleBtn(QWidget* parent) : TBasicBtn(parent), glyphs_(this) {
  resize(23, 22);
}

int TSimpleBtn::Shift(TBasicBtnOption option) const {
  return Options().Has(option) && (VisualState() == 2 || VisualState() == 5) ? 1 : 0;
}

void TSimpleBtn::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  Q_EMIT beforePaint();
  DrawPicture(p);
  DrawCaption(p);
}

void TSimpleBtn::DrawPicture(QPainter& p) {
  const int g = CurrentPicture();
  if (g < 0) return;
  const int shift = Shift(boGlyphMoveOnClick);
  auto at = [&](QSize picture) {
    return BtnLayoutPos(glyphs_.GlyphLayout(), picture, size(), glyphs_.GlyphAdjustH(), glyphs_.GlyphAdjustV(),
                        shift);
  };
  const TImageList& list = glyphs_.GlyphList();
  if (!list.IsEmpty()) {
    if (g < list.Count()) list.Draw(p, at(list.ImageSize()), g);
    return;
  }
  if (glyphs_.Prefix.isEmpty()) return;
  // A missing resource draws nothing.
  QPixmap picture(QStringLiteral(":/") + glyphs_.Prefix + QString::number(g));
  if (picture.isNull()) return;
  if (glyphs_.Transparent) {
    const QImage image = picture.toImage();
    picture.setMask(QBitmap::fromImage(image.createMaskFromColor(image.pixel(0, image.height() - 1))));
  }
  p.drawPixmap(at(picture.size()), picture);
}

void TSimpleBtn::DrawCaption(QPainter& p) {
  if (Caption().isEmpty()) return;
  const QSize measured = p.fontMetrics().boundingRect(rect(), Qt::TextWordWrap, Caption()).size();
  const QPoint at =
      BtnLayoutPos(CaptionLayout(), measured, size(), CaptionAdjustH(), CaptionAdjustV(), Shift(boCaptionMoveOnClick));
  int flags = Qt::TextWordWrap | Qt::AlignTop;
  switch (CaptionAlignment()) {
    case taLeftJustify: flags |= Qt::AlignLeft; break;
    case taRightJustify: flags |= Qt::AlignRight; break;
    case taCenter: flags |= Qt::AlignHCenter; break;
  }
  p.setPen(Enabled() ? palette().color(QPalette::WindowText) : ColorFromValue(CaptionColorDisabled, palette()));
  p.drawText(QRect(at, measured), flags, Caption());
}
