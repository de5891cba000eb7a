// TTrackSkin: a horizontal slider drawn from two pictures, the track and a thumb bitmap
// holding the thumb image in its left half and its mask in its right half. The thumb is
// composited on the track the classic way (AND the mask, OR the image), over the pixels
// saved from under it, so moving it restores those and composites it at the new place.
//
// The control's pixels live in `Canvas`; paintEvent only shows it. With `Transparent`,
// pixels of the track's top-left colour let the parent show through, except where the
// thumb covers them.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>

class TTrackSkin : public QWidget {
  Q_OBJECT
 public:
  explicit TTrackSkin(QWidget* parent = nullptr);

  // The track picture. Bitmaps, JPEG and PNG pictures are taken (PNG is the platform's
  // usual lossless type); any other kind shows the message and keeps the old picture.
  bool SetPicture(const QImage& picture, const QByteArray& format);
  bool LoadPicture(const QString& fileName);
  const QImage& Picture() const { return picture_; }
  // Where the refusal of a picture type is shown; a message box unless replaced.
  std::function<void(const QString&)> ShowMessage;
  static QString PictureTypeMessage();

  // The thumb bitmap: thumb image (left half) and mask (right half) side by side.
  void SetCurseur(const QImage& curseur);
  const QImage& Curseur() const { return curseur_; }

  int32_t ValeurMin() const { return valeurMin_; }
  void SetValeurMin(int32_t value);
  int32_t ValeurMax() const { return valeurMax_; }
  void SetValeurMax(int32_t value);
  int32_t Position() const { return position_; }
  // Stores the value clamped to the range, moves the thumb and reports through
  // changed(), also when the value did not change.
  void SetPosition(int32_t value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);

  int ValueAt(int x) const;
  QRect ThumbRect() const { return thumbRect_; }
  int HalfThumb() const { return halfThumb_; }
  bool Dragging() const { return dragging_; }
  const QImage& Canvas() const { return canvas_; }
  const QImage& ThumbImage() const { return thumbImage_; }
  const QImage& ThumbMask() const { return thumbMask_; }

 Q_SIGNALS:
  void changed();  // after every position update

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void PictureChanged();
  void Redraw();  // the whole control: track, thumb split, place, save, thumb
  void PaintTrack();
  void SplitThumb();
  void PlaceThumb();
  void SaveBack();
  void RestoreBack();
  void DrawThumb();

  QImage picture_;
  QImage trackImage_;
  QImage curseur_;
  QImage thumbImage_;
  QImage thumbMask_;
  QImage savedBack_;
  QImage canvas_;
  int32_t valeurMax_ = 10;
  int32_t valeurMin_ = 0;
  int32_t position_ = 0;
  bool transparent_ = true;
  int32_t lastMouseX_ = 0;
  int32_t halfThumb_ = 0;
  QRect thumbRect_;
  bool dragging_ = false;
};
