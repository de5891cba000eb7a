#include "widgets/customscroll.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPointF>
#include <cmath>

TCustomScroll::TCustomScroll(QWidget* parent) : QLabel(parent), scrollTimer_(new QTimer(this)) {
  scrollTimer_->setInterval(50);
  connect(scrollTimer_, &QTimer::timeout, this, &TCustomScroll::ScrollTick);
  setText(scrollMessage_);
  setWordWrap(false);
}

TCustomScroll::~TCustomScroll() {
  setText(savedCaption_);
}

void TCustomScroll::Loaded() {
  savedCaption_ = text();
  if (scrollMethod_ == smPixel) setText(QString());
  ResetScroll();
}

int TCustomScroll::FontSizePoints() const {
  const QFont f = font();
  if (f.pointSizeF() > 0) return int(std::lround(f.pointSizeF()));
  return int(std::lround(f.pixelSize() * 72.0 / 96.0));
}

int TCustomScroll::MessagePixelWidth() const {
  // Shaping the text is the dearest part of a tick: measured once per message and font.
  if (pixelWidth_ < 0) pixelWidth_ = fontMetrics().horizontalAdvance(scrollMessage_);
  return pixelWidth_;
}

void TCustomScroll::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    pixelWidth_ = -1;
    staticText_ = QStaticText();
  }
  QLabel::changeEvent(event);
}

void TCustomScroll::ResetScroll() {
  messageLength_ = int(scrollMessage_.size());
  visibleChars_ = ScrollVisibleChars(width(), FontSizePoints());
  scrollPos_ = ScrollStartPos(scrollMethod_, scrolltype_, messageLength_, visibleChars_, width(),
                              MessagePixelWidth());
}

void TCustomScroll::SetScrollMessage(const QString& message) {
  if (message.isEmpty()) return;
  scrollMessage_ = message;
  pixelWidth_ = -1;
}

void TCustomScroll::SetScrolltype(TScrollType type) {
  scrolltype_ = type;
  if (type == scNone) {
    scrollTimer_->stop();
  } else if (!scrollTimer_->isActive() && !paused_) {
    scrollTimer_->start();
  }
}

void TCustomScroll::SetPaused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  if (paused) {
    scrollTimer_->stop();
    if (scrollMethod_ == smPixel && !scrollMessage_.isEmpty()) {
      scrollPos_ = 0;
      pixelTextShown_ = true;
      update();
    }
  } else if (scrolltype_ != scNone) {
    scrollTimer_->start();
  }
}

void TCustomScroll::SetSpeed(uint16_t speed) {
  speed_ = speed == 0 ? 500 : speed;
  scrollTimer_->setInterval(speed_);
}

void TCustomScroll::ScrollTick() {
  // An empty message has nothing to move: no repaint until there is one.
  if (scrollMessage_.isEmpty()) return;
  if (scrollMethod_ == smPixel) {
    scrollPos_ = ScrollPixelStep(scrollPos_, scrolltype_, MessagePixelWidth(), width());
    pixelTextShown_ = true;
    update();  // drawn with the window's next paint, together with the analyser's frame
    return;
  }
  scrollPos_ = ScrollCharStep(scrollPos_, scrolltype_, messageLength_, visibleChars_);
  const QFontMetrics metrics = fontMetrics();
  setText(ScrollCharCaption(scrollMessage_, scrollPos_, visibleChars_, FontSizePoints(),
                            [&metrics](const QString& s) { return metrics.horizontalAdvance(s); }));
}

void TCustomScroll::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  // The pixel method's message is drawn over the (empty) label on every paint, not only
  // on the tick, so a window uncovered between ticks still shows it where it stands.
  if (scrollMethod_ != smPixel || !pixelTextShown_) return;
  QPainter p(this);
  p.setFont(font());
  p.setPen(palette().color(QPalette::WindowText));
  // The laid-out text is kept from paint to paint (a new message or font lays it out again).
  if (staticText_.text() != scrollMessage_) {
    staticText_.setText(scrollMessage_);
    staticText_.setTextFormat(Qt::PlainText);
  }
  p.drawStaticText(QPointF(scrollPos_, 0), staticText_);
}
