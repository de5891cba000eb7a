#include "widgets/basicbtn.h"

#include <QEvent>
#include <QMouseEvent>

TBasicBtn::TBasicBtn(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(false);
}

void TBasicBtn::SetBtnType(TBasicBtnType type) {
  if (type == btnType_) return;
  btnType_ = type;
  if (type == btAutoUp || type == btUpSD) groupIndex_ = 0;
}

void TBasicBtn::SetGroupIndex(int32_t index) {
  groupIndex_ = (btnType_ == btGrouped || btnType_ == btGroupedAllUp) ? index : 0;
}

void TBasicBtn::SetOptions(TBasicBtnOptions options) {
  options_ = options;
  UpdateState();
}

void TBasicBtn::SetCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  update();
}

void TBasicBtn::SetCaptionAdjustH(int32_t v) {
  if (v == captionAdjustH_) return;
  captionAdjustH_ = v;
  update();
}

void TBasicBtn::SetCaptionAdjustV(int32_t v) {
  if (v == captionAdjustV_) return;
  captionAdjustV_ = v;
  update();
}

void TBasicBtn::SetCaptionLayout(TBasicBtnLayout layout) {
  if (layout == captionLayout_) return;
  captionLayout_ = layout;
  update();
}

void TBasicBtn::SetCaptionAlignment(TCaptionAlignment alignment) {
  if (alignment == captionAlignment_) return;
  captionAlignment_ = alignment;
  update();
}

void TBasicBtn::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateState();
  setEnabled(enabled);
}

void TBasicBtn::changeEvent(QEvent* event) {
  // Keep the own flag in step when the control is enabled or disabled directly.
  if (event->type() == QEvent::EnabledChange && isEnabled() != enabled_) {
    enabled_ = isEnabled();
    UpdateState();
  }
  QWidget::changeEvent(event);
}

void TBasicBtn::UpdateState() {
  const int state = ComputeVisualState(btnType_, options_, stillDown_, enabled_, pressed_, pointerInside_);
  if (state == visualState_) return;
  visualState_ = state;
  update();
}

void TBasicBtn::SetStillDown(bool value) {
  if (btnType_ == btAutoUp) {
    stillDown_ = false;
    UpdateState();
    return;
  }
  if (value && groupIndex_ > 0 && parentWidget()) {
    for (QObject* child : parentWidget()->children()) {
      auto* other = qobject_cast<TBasicBtn*>(child);
      if (other && other != this && other->groupIndex_ == groupIndex_ && other->stillDown_)
        other->SetStillDown(false);
    }
  }
  stillDown_ = value;
  UpdateState();
  Q_EMIT changeStillDown();
}

void TBasicBtn::Click() {
  Q_EMIT clicked();
}

void TBasicBtn::PointerEnters() {
  if (!enabled_ || (stillDown_ && btnType_ == btGrouped)) return;
  pointerInside_ = true;
  UpdateState();
  Q_EMIT mouseEnter();
}

void TBasicBtn::PointerLeaves() {
  if (!enabled_) return;
  if (pointerInside_) {
    pointerInside_ = false;
    UpdateState();
  }
  Q_EMIT mouseExit();
}

void TBasicBtn::enterEvent(QEnterEvent* event) {
  PointerEnters();
  QWidget::enterEvent(event);
}

void TBasicBtn::leaveEvent(QEvent* event) {
  PointerLeaves();
  QWidget::leaveEvent(event);
}

void TBasicBtn::ActOnClick() {
  pressed_ = false;
  if (!options_.Has(boMSAfterClick)) pointerInside_ = false;
  SetStillDown(!stillDown_);  // recomputes the look, also for a push button
  Click();
}

void TBasicBtn::mousePressEvent(QMouseEvent* event) {
  if (!enabled_ || (btnType_ == btGrouped && stillDown_) || event->button() != Qt::LeftButton) return;
  if (focusCtrl_) {
    if (focusCtrl_->focusPolicy() != Qt::NoFocus && focusCtrl_->isEnabled() && focusCtrl_->isVisible())
      focusCtrl_->setFocus(Qt::MouseFocusReason);
    if (!focusCtrl_->hasFocus()) return;
  }
  if (options_.Has(boDirectAction)) {
    ActOnClick();
    return;
  }
  pressed_ = true;
  UpdateState();
  Q_EMIT mouseDown(event);
}

void TBasicBtn::mouseDoubleClickEvent(QMouseEvent*) {
  // The second press of a double click is ignored; its release only notifies.
}

void TBasicBtn::mouseMoveEvent(QMouseEvent* event) {
  // While the button holds the pointer after a press, leaving and coming back over it
  // changes the look as hovering does.
  if (pressed_) {
    const bool inside = rect().contains(event->position().toPoint());
    if (inside && !pointerInside_) PointerEnters();
    if (!inside && pointerInside_) PointerLeaves();
  }
  QWidget::mouseMoveEvent(event);
}

void TBasicBtn::mouseReleaseEvent(QMouseEvent* event) {
  const bool over = rect().contains(event->position().toPoint());
  if (over && pressed_ && !options_.Has(boDirectAction)) ActOnClick();
  pressed_ = false;
  Q_EMIT mouseUp(event);
}
