#include "widgets/skinnedform.h"

#include <QFont>
#include <QMouseEvent>
#include <QPalette>
#include <QWindow>

#include "common/appfolders.h"
#include "widgets/imagelist.h"
#include "widgets/simplebtn.h"

QString SkinFolder() {
  return ExecutableFolder() + QStringLiteral("skin/");
}

QPixmap LoadSkinPicture(const QString& fileName) {
  return QPixmap(SkinFolder() + fileName);
}

TSkinnedFormLayout SecondaryLayout(const QString& instanceName, QSize clientSize, const QString& background,
                                   const QString& title, QRect closeRect, QPoint titlePos, QPoint iconPos) {
  TSkinnedFormLayout l;
  l.InstanceName = instanceName;
  l.ClientSize = clientSize;
  l.Background = background;
  l.Title = title;
  l.TitlePos = titlePos;
  l.IconPos = iconPos;
  l.CloseRect = closeRect;
  return l;
}

TSkinnedForm::TSkinnedForm(const TSkinnedFormLayout& layout, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setObjectName(layout.InstanceName);
  setWindowTitle(layout.Title);
  setFixedSize(layout.ClientSize);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);

  background_ = new QLabel(this);
  background_->setObjectName(layout.BackgroundName);
  background_->setGeometry(0, 0, layout.ClientSize.width(), layout.ClientSize.height());
  background_->setAlignment(Qt::AlignCenter);
  background_->setPixmap(LoadSkinPicture(layout.Background));

  icon_ = new QLabel(this);
  icon_->setObjectName(layout.IconName);
  icon_->setGeometry(QRect(layout.IconPos, QSize(24, 24)));
  icon_->setPixmap(LoadSkinPicture(QStringLiteral("icon24.png")));

  title_ = new QLabel(layout.Title, this);
  title_->setObjectName(layout.TitleName);
  QFont titleFont(QStringLiteral("MS Sans Serif"));
  titleFont.setPixelSize(13);
  title_->setFont(titleFont);
  QPalette titlePal = title_->palette();
  titlePal.setColor(QPalette::WindowText, Qt::white);
  title_->setPalette(titlePal);
  title_->move(layout.TitlePos);
  title_->adjustSize();

  const QPixmap closeStrip = LoadSkinPicture(QStringLiteral("close.png"));
  closeBtn_ = new TSimpleBtn(this);
  closeBtn_->setObjectName(QStringLiteral("CloseBtn"));
  // Faces 2 (up), 0 (hover), 1 (pressed) of the three-image close strip, centred.
  closeBtn_->Glyphs()->SetGlyphList(TImageList::FromStrip(closeStrip, 3));
  closeBtn_->Glyphs()->SetFace(2, 0, 1);
  closeBtn_->Glyphs()->SetG3_StillDown(1);
  closeBtn_->Glyphs()->SetGlyphLayout(laCenter);
  QRect closeRect = layout.CloseRect;
  if (closeRect.isEmpty()) closeRect = QRect(layout.ClientSize.width() - 49, 0, 44, 19);
  closeBtn_->setGeometry(closeRect);
  connect(closeBtn_, &TSimpleBtn::clicked, this, [this] { CloseBtnClick(); });

  AddDragHandle(background_);
  AddDragHandle(title_);
}

void TSkinnedForm::AddDragHandle(QWidget* widget) {
  widget->installEventFilter(this);
}

void TSkinnedForm::CloseBtnClick() {
  hide();
}

bool TSkinnedForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched != this && watched->isWidgetType()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton) {
          manualDrag_ = false;
          dragStartGlobal_ = me->globalPosition().toPoint();
          dragStartPos_ = pos();
        }
        break;
      }
      case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (!(me->buttons() & Qt::LeftButton)) break;  // moves without a button do nothing
        if (!manualDrag_) {
          // Hand the drag to the window system; it moves the window with the pointer.
          if (windowHandle() && windowHandle()->startSystemMove()) return true;
          manualDrag_ = true;
        }
        move(dragStartPos_ + (me->globalPosition().toPoint() - dragStartGlobal_));
        return true;
      }
      case QEvent::MouseButtonRelease:
        manualDrag_ = false;
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}
