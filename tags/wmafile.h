// TWMAfile: a Windows Media Audio file (ASF container). Walks the objects of the ASF
// header object and takes the maximum bit rate (file properties), the channels, sample
// rate and byte rate of the audio (stream properties), title, author and description
// (content description) and album, track, year, genre (extended content description),
// then checks the values for plausibility.
//
// The objects are read by the shared ASF reader (playback/engine/formats/asfheader.h);
// texts are UTF-16 little-endian, each kept here to its first 250 characters.
// The reader only reads.
#pragma once

#include <QString>
#include <cstdint>

class TByteSource;

class TWMAfile {
 public:
  void Clear() { *this = TWMAfile(); }

  // Resets, then reads. False when the file cannot be opened or its header is truncated
  // or damaged (then nothing of it is used); true otherwise, and ValidFile tells whether
  // the values are plausible.
  bool ReadTag(const QString& path);
  bool ReadTag(const TByteSource& source);

  bool ValidFile = false;
  int64_t FileBytes = 0;
  uint8_t ChannelCount = 0;
  int32_t SampleRateHz = 0;
  double DurationSeconds = 0;  // file bytes * 8 / maximum bit rate
  int32_t Kbps = 0;            // average byte rate * 8 div 1000
  QString Title;
  QString Artist;
  QString Album;
  int32_t Track = 0;  // WM/Track as a number, 0 when it is not one
  QString Year;
  QString Genre;
  QString Comment;
};
