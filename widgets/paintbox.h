// A paint box: a plain area whose pixels are kept in an RGB32 surface that its owner
// draws into (the analyser draws a frame every 20 ms), shown as it stands on each paint.
// It has no drawing of its own, so the owner's next frame is what an uncovered box shows.
#pragma once

#include <QImage>
#include <QWidget>

class TPaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPaintBox(QWidget* parent = nullptr);

  // The surface, sized to the box; draw into it, then call update().
  QImage& Surface() { return surface_; }

 Q_SIGNALS:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage surface_;
};
