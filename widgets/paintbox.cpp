#include "widgets/paintbox.h"

#include <QMouseEvent>
#include <QPainter>

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent), surface_(1, 1, QImage::Format_RGB32) {
  surface_.fill(Qt::black);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, surface_);
}

void TPaintBox::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (surface_.size() == size() || size().isEmpty()) return;
  surface_ = QImage(size(), QImage::Format_RGB32);
  surface_.fill(Qt::black);
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Q_EMIT clicked();
  QWidget::mouseReleaseEvent(event);
}
