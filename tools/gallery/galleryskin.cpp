#include "galleryskin.h"

#include <QFont>
#include <QPalette>

#include "widgets/simplebtn.h"

namespace gallery {

QString& SkinDir() {
  static QString dir = QStringLiteral(GALLERY_SKIN_DIR);
  return dir;
}

QPixmap Picture(const QString& file) {
  return QPixmap(SkinDir() + file);
}

TImageList Strip(const QString& file, int count) {
  return TImageList::FromStrip(Picture(file), count);
}

TSimpleBtn* Button(QWidget* parent, const char* name, const TImageList& list, QRect rect, int up, int move,
                   int down) {
  auto* b = new TSimpleBtn(parent);
  b->setObjectName(QLatin1String(name));
  b->setGeometry(rect);
  b->Glyphs()->SetGlyphList(list);
  b->Glyphs()->SetFace(up, move, down);
  return b;
}

QLabel* Label(QWidget* parent, const QString& text, QRect rect, QColor colour, int pixels, bool bold,
              Qt::Alignment align) {
  auto* l = new QLabel(text, parent);
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  l->setFont(f);
  QPalette pal = l->palette();
  pal.setColor(QPalette::WindowText, colour);
  l->setPalette(pal);
  l->setAlignment(align);
  if (rect.size().isEmpty()) {
    l->move(rect.topLeft());
    l->adjustSize();
  } else {
    l->setGeometry(rect);
  }
  return l;
}

}  // namespace gallery
