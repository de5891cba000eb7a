// Small builders for the controls the secondary windows lay out at fixed places: labels
// in a given face, check boxes whose caption is a separate label, links, and the
// placement of a window beside the main window, and an editor's modal run.
#pragma once

#include <QCheckBox>
#include <QColor>
#include <QLabel>
#include <QPoint>
#include <QRect>
#include <QString>

class QEventLoop;

class QWidget;

// A label named `name` with `text` in `family` at `pixelSize` pixels. An empty size in
// `geometry` sizes the label to its text at the given top-left corner.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry, const char* family,
                  int pixelSize, bool bold, QColor colour);

// A label in the windows' usual face (Tahoma, 11 pixels), black.
QLabel* MakeTextLabel(QWidget* parent, const char* name, const QString& text, QPoint at, bool bold = false);

// A check box without text at `at` and its caption label just right of it; a click on the
// label clicks the box, as a caption would.
QCheckBox* MakeCheckWithLabel(QWidget* parent, const char* boxName, const char* labelName, const QString& caption,
                              QPoint at);

// A link: blue, underlined MS Sans Serif 11 pixels, with the pointing hand. `clicked`
// runs on a left click.
QLabel* MakeLink(QWidget* parent, const char* name, const QString& text, QPoint at);

// Tabbed pages over a skinned (black) window: the desktop style's own light colours, so
// their labels and controls read as on any dialog.
void UseDialogPalette(QWidget* pages);

// The windows are laid out for narrow sans-serif faces; Liberation Sans stands in for
// them, so fixed-width labels do not clip where the default stand-in is wider.
void InstallFontSubstitutes();


// The same, against the current desktop: places `window` next to `main`.
// An editor's modal run: shows `window` and runs a local event loop, published in `loop`
// for the editor's Finish to quit, then hides the window.
void RunUntilFinished(QWidget* window, QEventLoop*& loop);

void PlaceNextToMain(const QWidget* main, QWidget* window);

// The available area (the desktop less its panels) of the screen a window at `window`
// belongs to: the screen it covers most, else the nearest; the main screen's without one.
QRect AvailableAreaFor(const QRect& window);
