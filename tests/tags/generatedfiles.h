// The tagged audio files that makefiles.py generates (ffmpeg + mutagen) once per test
// program, with what mutagen and ffprobe read in them.
#pragma once

#include <QJsonArray>
#include <QString>

namespace generatedfiles {

// The folder holding the files and manifest.json; generated on first use. Fails the
// calling test (and returns empty) when the generator fails.
QString Folder();

// manifest.json: one object per file with "file", "expect" (Title, Artist, Album, Track,
// Year, Genre, Comment as the program shows them), "hasTag", "duration", "sampleRate",
// "channels", "bitRate" (kbit/s of the audio stream, 0 when unknown) and "reader".
QJsonArray Manifest();

}  // namespace generatedfiles
