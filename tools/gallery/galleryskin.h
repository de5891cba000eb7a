// The gallery's access to the skin pictures and its small construction helpers.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QString>

#include "widgets/imagelist.h"

class TSimpleBtn;

namespace gallery {

// The skin folder (the build's program folder + "skin/", or the one given on the
// command line).
QString& SkinDir();
QPixmap Picture(const QString& file);
// A strip of `count` equal faces.
TImageList Strip(const QString& file, int count);

// A skinned push button at `rect` showing faces (up, hover, down) of `list`.
TSimpleBtn* Button(QWidget* parent, const char* name, const TImageList& list, QRect rect, int up, int move,
                   int down);

// A transparent label in MS Sans Serif at a pixel height, as the windows use.
QLabel* Label(QWidget* parent, const QString& text, QRect rect, QColor colour, int pixels, bool bold = false,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);

}  // namespace gallery
