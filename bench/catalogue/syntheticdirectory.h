// Generator of a synthetic station list of the open station directory, in its API's JSON
// form (every field a station object of "json/stations" carries), with the spread of the
// real directory: codecs MP3 68 %, AAC and AAC+ 27 %, Ogg 1 %, the rest other or unknown;
// a few HLS streams and duplicate addresses; tags in several cases; about 25 countries.
#pragma once

#include <QByteArray>

// `count` stations; the same count gives the same bytes.
QByteArray SyntheticDirectoryJson(int count);
