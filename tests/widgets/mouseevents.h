// Pointer events sent straight to a widget, as the window system would deliver them.
#pragma once

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>

namespace testmouse {

inline void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
inline void Press(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
  Send(w, QEvent::MouseButtonPress, at, b, b);
}
inline void DoubleClick(QWidget* w, QPoint at) {
  Send(w, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
}
inline void Release(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
  Send(w, QEvent::MouseButtonRelease, at, b, Qt::NoButton);
}
inline void Move(QWidget* w, QPoint at, Qt::MouseButtons held = Qt::LeftButton) {
  Send(w, QEvent::MouseMove, at, Qt::NoButton, held);
}
inline void Enter(QWidget* w) {
  QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(w->mapToGlobal(QPoint(1, 1))));
  QApplication::sendEvent(w, &e);
}
inline void Leave(QWidget* w) {
  QEvent e(QEvent::Leave);
  QApplication::sendEvent(w, &e);
}

}  // namespace testmouse
