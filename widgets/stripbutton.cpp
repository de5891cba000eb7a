#include "widgets/stripbutton.h"

#include <QPainter>
#include <algorithm>

TStripButton::TStripButton(const QPixmap& strip, int count, int upFace, int hoverFace, int downFace,
                           QWidget* parent)
    : QAbstractButton(parent), strip_(strip), count_(count > 0 ? count : 1), up_(upFace),
      hover_(hoverFace), down_(downFace) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover);
}

int TStripButton::CurrentFace() const {
  if (isDown()) return down_;
  if (hovered_) return hover_;
  return up_;
}

QSize TStripButton::sizeHint() const {
  if (strip_.isNull()) return {16, 16};
  return {strip_.width() / count_, strip_.height()};
}

void TStripButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (strip_.isNull()) return;
  const int w = strip_.width() / count_;
  const int face = std::clamp(CurrentFace(), 0, count_ - 1);
  // Centred in the button, as a glyph laid out in the middle.
  const QRect source(face * w, 0, w, strip_.height());
  const QPoint at((width() - w) / 2, (height() - strip_.height()) / 2);
  p.drawPixmap(at, strip_, source);
}

void TStripButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void TStripButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}
