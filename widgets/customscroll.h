// TCustomScroll: a label that moves its message across its area like a marquee, on its
// own timer. smChar steps whole characters by rewriting the caption; smPixel steps
// 4 pixels and draws the message itself, the caption staying empty.
#pragma once

#include <QLabel>
#include <QStaticText>
#include <QString>
#include <QTimer>
#include <cstdint>

#include "widgets/scrollstep.h"

class TCustomScroll : public QLabel {
  Q_OBJECT
 public:
  explicit TCustomScroll(QWidget* parent = nullptr);
  ~TCustomScroll() override;

  // Runs once the properties are set (as after loading a form): keeps the caption to
  // give back on destruction, empties it for smPixel, and resets the scroll.
  void Loaded();
  // Takes the message length and the visible character count, and puts the message at
  // its start position for the method and direction.
  void ResetScroll();

  QString ScrollMessage() const { return scrollMessage_; }
  // An empty message is ignored. Nothing is recomputed: the next tick shows the new
  // message from the current position.
  void SetScrollMessage(const QString& message);

  TScrollType Scrolltype() const { return scrolltype_; }
  // The timer runs exactly while the direction is not scNone.
  void SetScrolltype(TScrollType type);

  TScrollMethod ScrollMethod() const { return scrollMethod_; }
  void SetScrollMethod(TScrollMethod method) { scrollMethod_ = method; }

  // Timer interval in ms; reads 0 until first written, 0 is taken as 500.
  uint16_t Speed() const { return speed_; }
  void SetSpeed(uint16_t speed);

  int MessageLength() const { return messageLength_; }
  int VisibleChars() const { return visibleChars_; }
  int ScrollPos() const { return scrollPos_; }
  QTimer* ScrollTimer() const { return scrollTimer_; }

  // Rests the message while nothing plays: the timer stops and, for smPixel, the
  // message stands still at the left edge, readable, until SetPaused(false) moves it on
  // from there. Nothing repaints meanwhile.
  void SetPaused(bool paused);
  bool Paused() const { return paused_; }

  // One timer tick (public so the owner and tests can step it by hand).
  void ScrollTick();

  // The label font's size in points, as the character stepping measures by it
  // (a pixel-sized font converts at 96 dots per inch: 11 px is 8 pt).
  int FontSizePoints() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  int MessagePixelWidth() const;

  QString scrollMessage_;
  int messageLength_ = 0;
  int visibleChars_ = 0;
  int scrollPos_ = 0;
  TScrollType scrolltype_ = scNone;
  uint16_t speed_ = 0;
  QTimer* scrollTimer_;
  QString savedCaption_;
  TScrollMethod scrollMethod_ = smChar;
  bool pixelTextShown_ = false;  // a pixel step has placed the message
  bool paused_ = false;
  mutable int pixelWidth_ = -1;  // the message's width in pixels, -1 until measured
  QStaticText staticText_;        // the message laid out for the pixel method's paints
};
