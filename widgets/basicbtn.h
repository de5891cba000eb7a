// TBasicBtn: the behaviour of a skinned button, without its pictures. A push button
// (btAutoUp), a toggle (btUpSD) or a radio-group member (btGrouped, btGroupedAllUp: the
// group is the buttons with the same GroupIndex under the same parent). Its look is one
// of eight visual states, recomputed after every change of latch, enabled flag, press or
// hover; TSimpleBtn draws the matching picture.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "widgets/btnstate.h"
#include "widgets/colorvalue.h"

class TBasicBtn : public QWidget {
  Q_OBJECT
 public:
  explicit TBasicBtn(QWidget* parent = nullptr);

  QWidget* Associate = nullptr;  // another control, kept for the owner's use

  TBasicBtnType BtnType() const { return btnType_; }
  void SetBtnType(TBasicBtnType type);
  int32_t GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int32_t index);
  TBasicBtnOptions Options() const { return options_; }
  void SetOptions(TBasicBtnOptions options);

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  int32_t CaptionAdjustH() const { return captionAdjustH_; }
  void SetCaptionAdjustH(int32_t v);
  int32_t CaptionAdjustV() const { return captionAdjustV_; }
  void SetCaptionAdjustV(int32_t v);
  TBasicBtnLayout CaptionLayout() const { return captionLayout_; }
  void SetCaptionLayout(TBasicBtnLayout layout);
  TCaptionAlignment CaptionAlignment() const { return captionAlignment_; }
  void SetCaptionAlignment(TCaptionAlignment alignment);
  TColorValue CaptionColorDisabled = 0x808080;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // A control that must hold the focus before a press is taken.
  QWidget* FocusCtrl() const { return focusCtrl_; }
  void SetFocusCtrl(QWidget* control) { focusCtrl_ = control; }

  bool StillDown() const { return stillDown_; }
  // Latches or releases. Latching a grouped button releases the others of its group;
  // each change notifies through changeStillDown. A push button never stays down.
  void SetStillDown(bool value);

  int VisualState() const { return visualState_; }
  bool Pressed() const { return pressed_; }
  bool PointerInside() const { return pointerInside_; }

  // The click handler, as a click on the button runs it.
  void Click();

 Q_SIGNALS:
  void clicked();
  void mouseDown(QMouseEvent* event);  // the ordinary press notification
  void mouseUp(QMouseEvent* event);    // the ordinary release notification
  void mouseEnter();
  void mouseExit();
  void changeStillDown();

 protected:
  void UpdateState();
  void PointerEnters();
  void PointerLeaves();

  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ActOnClick();

  TBasicBtnType btnType_ = btAutoUp;
  int32_t groupIndex_ = 0;
  TBasicBtnOptions options_ = kDefaultBtnOptions;
  QString caption_;
  int32_t captionAdjustH_ = 0, captionAdjustV_ = 0;
  TBasicBtnLayout captionLayout_ = laCenter;
  TCaptionAlignment captionAlignment_ = taCenter;
  bool enabled_ = true;
  QPointer<QWidget> focusCtrl_;
  bool stillDown_ = false;
  int visualState_ = 0;
  bool pressed_ = false;
  bool pointerInside_ = false;
};
