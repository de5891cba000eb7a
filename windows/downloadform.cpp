#include "windows/downloadform.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

TDownLoadForm::TDownLoadForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("DownLoadForm"));
  setWindowTitle(QStringLiteral("Zovalis"));
  setFixedSize(441, 162);
  // One panel with a raised bevel fills the window, in the button-face colour.
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(3);
  panel->setGeometry(rect());
  panel->setAutoFillBackground(true);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
}
