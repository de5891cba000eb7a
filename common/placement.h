// Where windows open: always wholly inside the available area of their screen (the desktop
// less its panels), whatever the screen's size, scale factor or a position saved on
// another screen. Plain geometry in the desktop's logical pixels (outer window frames).
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

// A window of `size` at `topLeft`, moved the least so that it lies wholly inside `area`
// (its top left corner inside when it is larger than the area, so its title stays
// reachable).
QPoint KeptInside(QPoint topLeft, QSize size, const QRect& area);

// Where a secondary window of `size` opens next to the main window `main` inside `area`:
// directly below it, else directly above it, else to its right, else to its left (each
// side slid along the main window to stay inside the area); when no side has room, at the
// corner of the area that covers the least of the main window, sparing its title and
// status line first.
QPoint SecondaryPlacement(const QRect& main, QSize size, const QRect& area);

// The screen a window at `window` belongs to, among `screens` (their whole areas): the one
// it covers most (of two covered as much, the smaller: a monitor inside a larger desktop),
// else, when it is on none of them, the nearest. -1 when there is no screen.
int ScreenIndexFor(const QRect& window, const std::vector<QRect>& screens);
