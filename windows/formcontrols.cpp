#include "windows/formcontrols.h"

#include <QEventLoop>

#include "common/placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry, const char* family,
                  int pixelSize, bool bold, QColor colour) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  QFont font{QLatin1String(family)};
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  label->setFont(font);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
  if (geometry.size().isEmpty()) {
    label->move(geometry.topLeft());
    label->adjustSize();
  } else {
    label->setGeometry(geometry);
  }
  return label;
}

QLabel* MakeTextLabel(QWidget* parent, const char* name, const QString& text, QPoint at, bool bold) {
  return MakeLabel(parent, name, text, QRect(at, QSize()), "Tahoma", 11, bold, Qt::black);
}

namespace {

// Forwards a left click on a caption label to its check box.
class TCaptionClick : public QObject {
 public:
  TCaptionClick(QLabel* label, QCheckBox* box) : QObject(label), box_(box) { label->installEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && box_->isEnabled()) {
      box_->click();
      return true;
    }
    return false;
  }

 private:
  QCheckBox* box_;
};

}  // namespace

QCheckBox* MakeCheckWithLabel(QWidget* parent, const char* boxName, const char* labelName, const QString& caption,
                              QPoint at) {
  auto* box = new QCheckBox(parent);
  box->setObjectName(QLatin1String(boxName));
  box->setGeometry(at.x(), at.y(), 15, 15);
  QLabel* label = MakeTextLabel(parent, labelName, caption, at + QPoint(19, 1));
  new TCaptionClick(label, box);
  return box;
}

QLabel* MakeLink(QWidget* parent, const char* name, const QString& text, QPoint at) {
  QLabel* link = MakeLabel(parent, name, text, QRect(at, QSize()), "MS Sans Serif", 11, false, Qt::blue);
  QFont f = link->font();
  f.setUnderline(true);
  link->setFont(f);
  link->adjustSize();
  link->setCursor(Qt::PointingHandCursor);
  return link;
}

void RunUntilFinished(QWidget* window, QEventLoop*& loop) {
  window->show();
  window->raise();
  window->activateWindow();
  QEventLoop local;
  loop = &local;
  local.exec();
  loop = nullptr;
  window->hide();
}

void PlaceNextToMain(const QWidget* main, QWidget* window) {
  if (!main || !window) return;
  window->move(SecondaryPlacement(main->frameGeometry(), window->frameGeometry().size(),
                                  AvailableAreaFor(main->frameGeometry())));
}

QRect AvailableAreaFor(const QRect& window) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  std::vector<QRect> areas;
  for (const QScreen* s : screens) areas.push_back(s->geometry());
  const int i = ScreenIndexFor(window, areas);
  if (i >= 0) return screens[i]->availableGeometry();
  const QScreen* primary = QGuiApplication::primaryScreen();
  return primary ? primary->availableGeometry() : QRect(0, 0, 1 << 20, 1 << 20);
}

void InstallFontSubstitutes() {
  for (const char* family : {"MS Sans Serif", "Tahoma", "Arial"}) {
    QFont::insertSubstitution(QLatin1String(family), QStringLiteral("Liberation Sans"));
  }
}

void UseDialogPalette(QWidget* pages) {
  pages->setPalette(pages->style()->standardPalette());
}
