// TSongInfo: what the program knows about one local file, for the playlist and the main
// window: the engine's measurements (duration, stream type, sample rate, channel layout,
// a size-based bit rate for some formats), the bit rate of MPEG files from their first
// frame header, and the tag fields of the first tag reader that finds a tag.
//
// Which reader reads which file goes by the extension (from the last "." of the file
// name, compared ignoring case): ".mp3"/".mp2" ID3v2, then the APE list, then ID3v1
// (".mp3", ".mp2", ".mpc"), ".wma", ".ogg". The first reader that finds its tag wins:
// an ID3v2 tag hides an ID3v1 tag even where its fields are empty.
//
// Thread: the caller's; the engine must have been started (Init) for the measurements.
// One object is reused for every file: each ReadSongInfo starts from Clear.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

class TSongInfo {
 public:
  TSongInfo() = default;
  void Clear() { *this = TSongInfo(); }

  // Fills the fields for the file at `path`. `measure` asks the engine for the length,
  // type and format; `withPicture` asks the ID3v2 reader for the cover picture. A path
  // that is not a file leaves the fields cleared but FileName.
  void ReadSongInfo(const QString& path, bool measure, bool withPicture);

  // The extension of a path's file name, dot included; empty without a dot.
  static QString Extension(const QString& path);
  // "nn:ss" below one hour, else "hh:nn:ss"; 24 hours and more wrap around the day.
  static QString DurationText(double seconds);

  QString FileName;
  QString Artist;
  QString Album;
  QString Title;
  QString Duration;
  QString Track;
  QString Genre;
  QString Year;
  QString Comment;
  QString StreamType;  // "MP3", "OGG", "WAV" ... or "N/A"
  QString Channels;    // "Mono", "Stereo", "5.1" ... or "N/A"
  QString BitRate = QStringLiteral("???");  // kbit/s
  QString SampleRate;  // Hz
  int64_t LengthBytes = -1;
  float LengthSeconds = -1.0f;
  bool HasTag = false;
  QByteArray Picture;  // JPEG bytes of the ID3v2 cover, only on request

 private:
  void Measure(const QString& path, const QString& ext);
  void ReadTags(const QString& path, const QString& ext, bool withPicture);
  // The text fields of the tag that won, and HasTag.
  void SetTag(const QString& artist, const QString& album, const QString& title,
              const QString& track, const QString& genre, const QString& year,
              const QString& comment);
};
