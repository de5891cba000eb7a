// The chrome every window but the splash window shares: no system frame, a background
// picture over the client area, a small icon at the top left, a title label, and a close
// button at the top right. Moving the pointer with the left button held over the
// background or the title drags the window.
#pragma once

#include <QLabel>
#include <QPoint>
#include <QString>
#include <QWidget>

class TSimpleBtn;

// Where the delivered pictures are: the program folder's "skin/".
QString SkinFolder();
QPixmap LoadSkinPicture(const QString& fileName);

struct TSkinnedFormLayout {
  QString InstanceName;   // "ConfigForm" ...
  QSize ClientSize;       // the window's size in pixels
  QString Background;     // picture in skin/
  QString Title;          // title label text
  QPoint TitlePos{41, 5};
  QPoint IconPos{11, 4};
  QRect CloseRect;        // close button place; empty = top right corner
  QString BackgroundName = QStringLiteral("Image2");
  QString TitleName = QStringLiteral("TitleWindow");
  QString IconName = QStringLiteral("RadioImage");
};

// The layout of a secondary window: icon at `iconPos`, title at `titlePos`, close button
// in `closeRect`, the usual names of their controls.
TSkinnedFormLayout SecondaryLayout(const QString& instanceName, QSize clientSize, const QString& background,
                                   const QString& title, QRect closeRect, QPoint titlePos = {42, 5},
                                   QPoint iconPos = {10, 4});

class TSkinnedForm : public QWidget {
  Q_OBJECT
 public:
  explicit TSkinnedForm(const TSkinnedFormLayout& layout, QWidget* parent = nullptr);

  QLabel* Background() const { return background_; }
  QLabel* TitleLabel() const { return title_; }
  QLabel* Icon() const { return icon_; }
  TSimpleBtn* CloseBtn() const { return closeBtn_; }

  // Makes `widget` a drag handle too (labels over the background, for instance).
  void AddDragHandle(QWidget* widget);

 protected:
  // The close button's action. Secondary windows hide; the main window overrides it.
  virtual void CloseBtnClick();
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* background_;
  QLabel* icon_;
  QLabel* title_;
  TSimpleBtn* closeBtn_;
  // Fallback drag when the window system cannot move the window itself (no window
  // manager): the window follows the pointer's travel since the press.
  bool manualDrag_ = false;
  QPoint dragStartGlobal_;
  QPoint dragStartPos_;
};
