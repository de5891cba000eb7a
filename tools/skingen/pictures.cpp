// The skin pictures, written into the skin folder beside the program:
//
//   main.png        480 x 241  main window background (title strip, seats for
//                              the drop-down, transport and volume controls,
//                              the display panel, station-icon frame, progress
//                              groove, spectrum and elapsed-time windows)
//   browser.png     480 x 320  station browser window background
//   playlist.png    480 x 320  playlist window background
//   config.png      406 x 291  settings window background
//   info.png        406 x 290  station information window background
//   editor.png      403 x 285  station editor window background
//   listeditor.png  403 x 290  list editor window background
//   close.png       132 x 19   close button, 3 faces of 44 x 19 side by side:
//                              hover, pressed, normal
//   icon24.png       24 x 24   program icon in every window's title strip
//   icon48.png       48 x 48   program icon for the desktop
//   icon128.png     128 x 128  program icon for the desktop
//   icon256.png     256 x 256  program icon for the desktop
//
// Backgrounds carry no text: the program draws its labels over them.
// tools/skingen/CMakeLists.txt lists the same files as build outputs.
#include "pictures.h"

#include "skinpainting.h"

namespace skin {

const std::vector<Picture> &pictures()
{
    static const std::vector<Picture> all{
        {"main.png", {480, 241}, true, paintMain},
        {"browser.png", {480, 320}, true, [](QPainter &p) { paintDialog(p, {480, 320}, 11); }},
        {"playlist.png", {480, 320}, true, [](QPainter &p) { paintDialog(p, {480, 320}, 12); }},
        {"config.png", {406, 291}, true, [](QPainter &p) { paintDialog(p, {406, 291}, 13); }},
        {"info.png", {406, 290}, true, [](QPainter &p) { paintDialog(p, {406, 290}, 14); }},
        {"editor.png", {403, 285}, true, [](QPainter &p) { paintDialog(p, {403, 285}, 15); }},
        {"listeditor.png", {403, 290}, true, [](QPainter &p) { paintDialog(p, {403, 290}, 16); }},
        {"close.png", {3 * kCloseWidth, kCloseHeight}, false, paintCloseStrip},
        {"icon24.png", {24, 24}, false, [](QPainter &p) { paintIcon(p, 24); }},
        {"icon48.png", {48, 48}, false, [](QPainter &p) { paintIcon(p, 48); }},
        {"icon128.png", {128, 128}, false, [](QPainter &p) { paintIcon(p, 128); }},
        {"icon256.png", {256, 256}, false, [](QPainter &p) { paintIcon(p, 256); }},
    };
    return all;
}

} // namespace skin
