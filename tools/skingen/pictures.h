// One function per skin picture. Each paints the whole picture onto a
// painter whose device already has the picture's size (see pictures.cpp for
// the file names and sizes) and is cleared to transparent.
#pragma once

#include <QSize>

#include <functional>
#include <vector>

class QPainter;

namespace skin {

struct Picture {
    const char *file;  // name inside the skin folder
    QSize size;        // pixels; the program relies on these exact sizes
    bool opaque;       // saved without an alpha channel
    std::function<void(QPainter &)> paint;
};

// Every picture the generator writes, in a fixed order.
const std::vector<Picture> &pictures();

void paintMain(QPainter &p);
// A secondary window: title strip, close-button place, calm body panel.
// `seed` varies the brushed streaks so windows side by side don't repeat.
void paintDialog(QPainter &p, QSize size, unsigned seed);
// The station browser (no seats) or the playlist (seats for its five buttons).
void paintListWindow(QPainter &p, unsigned seed, bool buttonSeats);
void paintCloseStrip(QPainter &p);
void paintMinimiseStrip(QPainter &p);
void paintToolStrip(QPainter &p);
void paintSaveStrip(QPainter &p);
void paintPlayStrip(QPainter &p);
void paintRecordStrip(QPainter &p);
void paintStopStrip(QPainter &p);
void paintSkipStrip(QPainter &p, bool forward);
void paintSpeakerStrip(QPainter &p);
void paintSliderTrack(QPainter &p);
void paintSliderThumb(QPainter &p);
void paintArtwork(QPainter &p);
void paintDonationBadge(QPainter &p);
void paintAudioCD(QPainter &p);
void paintAudioFile(QPainter &p);
void paintNoIcon(QPainter &p);
// `vector`: for SVG output, where strokes take plain colours only.
void paintIcon(QPainter &p, int size, bool vector = false);

} // namespace skin
