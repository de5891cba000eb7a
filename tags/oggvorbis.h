// TOggVorbis: an Ogg Vorbis file's stream parameters (identification header), comments
// (comment header) and sample count (granule position of the last page), from which it
// works out the duration, an average bit rate and whether the file is valid Vorbis.
//
// The pages and headers are read by the shared Ogg reader
// (playback/engine/formats/oggheader.h): the identification header opens the first page,
// the comment header (vendor, then "NAME=value" comments in UTF-8) starts the next page and
// may go on over the following ones, and the last page is searched for in the final 64 KiB.
// An ID3v2 tag in front of the Ogg data is passed over. The reader only reads.
#pragma once

#include <QString>
#include <cstdint>

class TByteSource;

class TOggVorbis {
 public:
  void Clear() { *this = TOggVorbis(); }

  // Resets, then reads. True when the identification header was found.
  bool ReadTag(const QString& path);
  bool ReadTag(const TByteSource& source);

  double DurationSeconds() const;
  int AverageKbps() const;  // Ogg data bytes over the duration, rounded half to even
  bool ValidFile() const;

  int64_t FileBytes = 0;
  uint8_t ChannelCount = 0;
  int32_t SampleRateHz = 0;
  uint16_t NominalKbps = 0;    // nominal bit rate / 1024, toward zero, kept to 16 bits
  int64_t SampleCount = 0;     // granule position of the last page; 0 when not found
  int64_t LeadingTagBytes = 0;
  QString Title;
  QString Artist;   // ARTIST, else PERFORMER
  QString Album;
  uint16_t Track = 0;  // TRACKNUMBER up to its "/", kept to its low 8 bits
  QString Date;
  QString Genre;
  QString Comment;  // COMMENT, else DESCRIPTION
  QString Vendor;
};
