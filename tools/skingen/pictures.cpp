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
//   minimise.png     81 x 18   minimise button, 3 faces of 27 x 18, same order
//   toolbar.png    1170 x 32   30 buttons of 39 x 32, up/hover/pressed each:
//                              0 radio, 3 configuration, 6 information,
//                              9 favourites, 12 open (these five open a menu
//                              from their lower part), 15 add files, 18 new
//                              playlist, 21 open playlist, 24 save playlist,
//                              27 play the playlist
//   play.png        232 x 54   4 faces of 58 x 54: pressed/busy, play,
//                              play hover, pause
//   record.png      150 x 25   6 faces of 25 x 25: idle up/hover/pressed,
//                              recording up/hover/pressed
//   stop.png        100 x 25   4 faces: active up/hover/pressed, inactive
//   previous.png    208 x 25   4 faces of 52 x 25: up, hover, pressed, off
//   next.png        208 x 25   same
//   speaker.png     150 x 25   6 faces: sound on up/hover/pressed, muted x 3
//   track.png        46 x 20   volume slider track (cut from main.png's face)
//   thumb.png        24 x 13   slider knob on black (left) and its mask (right)
//   save.png        102 x 21   information window's save button, 3 faces of
//                              34 x 21: up, hover, pressed
//   artwork.png     148 x 113  product artwork of the about page
//   donate.png      120 x 30   donation badge
//   AudioCD.png      96 x 96   station picture for a CD track
//   AudioFile.png    96 x 96   station picture for a local file
//   noicon.png       96 x 96   station picture for a station without an icon
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
        {"browser.png", {480, 320}, true, [](QPainter &p) { paintListWindow(p, 11, false); }},
        {"playlist.png", {480, 320}, true, [](QPainter &p) { paintListWindow(p, 12, true); }},
        {"config.png", {406, 291}, true, [](QPainter &p) { paintDialog(p, {406, 291}, 13); }},
        {"info.png", {406, 290}, true, [](QPainter &p) { paintDialog(p, {406, 290}, 14); }},
        {"editor.png", {403, 285}, true, [](QPainter &p) { paintDialog(p, {403, 285}, 15); }},
        {"listeditor.png", {403, 290}, true, [](QPainter &p) { paintDialog(p, {403, 290}, 16); }},
        {"close.png", {3 * kCloseWidth, kCloseHeight}, false, paintCloseStrip},
        {"minimise.png", {81, 18}, false, paintMinimiseStrip},
        {"toolbar.png", {30 * 39, 32}, false, paintToolStrip},
        {"play.png", {4 * 58, 54}, false, paintPlayStrip},
        {"record.png", {6 * 25, 25}, false, paintRecordStrip},
        {"stop.png", {4 * 25, 25}, false, paintStopStrip},
        {"previous.png", {4 * 52, 25}, false, [](QPainter &p) { paintSkipStrip(p, false); }},
        {"next.png", {4 * 52, 25}, false, [](QPainter &p) { paintSkipStrip(p, true); }},
        {"speaker.png", {6 * 25, 25}, false, paintSpeakerStrip},
        {"track.png", {46, 20}, true, paintSliderTrack},
        {"thumb.png", {24, 13}, true, paintSliderThumb},
        {"save.png", {3 * 34, 21}, false, paintSaveStrip},
        {"artwork.png", {148, 113}, false, paintArtwork},
        {"donate.png", {120, 30}, false, paintDonationBadge},
        {"AudioCD.png", {96, 96}, false, paintAudioCD},
        {"AudioFile.png", {96, 96}, false, paintAudioFile},
        {"noicon.png", {96, 96}, false, paintNoIcon},
        {"icon24.png", {24, 24}, false, [](QPainter &p) { paintIcon(p, 24); }},
        {"icon48.png", {48, 48}, false, [](QPainter &p) { paintIcon(p, 48); }},
        {"icon128.png", {128, 128}, false, [](QPainter &p) { paintIcon(p, 128); }},
        {"icon256.png", {256, 256}, false, [](QPainter &p) { paintIcon(p, 256); }},
    };
    return all;
}

} // namespace skin
