// A small picture button whose faces are cut from one horizontal strip of equal images.
// Used for the window chrome (close button) until the full skinned button takes over.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

class TStripButton : public QAbstractButton {
  Q_OBJECT
 public:
  // `strip` holds `count` faces side by side. upFace, hoverFace and downFace are indexes
  // into it (the close button uses 2, 0, 1).
  TStripButton(const QPixmap& strip, int count, int upFace, int hoverFace, int downFace,
               QWidget* parent = nullptr);

  int CurrentFace() const;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QPixmap strip_;
  int count_;
  int up_, hover_, down_;
  bool hovered_ = false;
};
