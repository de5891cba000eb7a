// TID3v2: the ID3v2 tag (versions 2.2, 2.3 and 2.4) at the start of a file.
//
// From a fixed list of 18 frames it takes texts, the comment, a user link and, on
// request, a JPEG picture. Frames of other names are passed over.
//
// Header (10 bytes): "ID3", major version, revision, flags (0x40 extended header,
// 0x10 footer), size as four 7-bit bytes. Frames of 2.3/2.4: name (4), size (4: plain
// in 2.3, 7-bit bytes in 2.4), flags (2), data. Frames of 2.2: name (3), size (3), data.
// The first data byte of a text frame names its encoding: 0 Latin-1 (read as
// Windows-1252), 1 UTF-16 with a byte-order mark, 2 UTF-16 big-endian, 3 UTF-8.
//
// Unsynchronisation is undone before frames are read: tag-wide (header flag 0x80) in
// 2.2 and 2.3, per frame in 2.4 (frame flag 0x02, or the header flag for every frame).
//
// Frames up to 500 bytes are always read. Larger ones are read only when the picture is
// asked for and they hold at most 1 000 000 bytes; otherwise they are skipped, and the
// frames after them are still read. The reader only reads.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

class TByteSource;

class TID3v2 {
 public:
  void Clear() { *this = TID3v2(); }

  // Resets, then reads. False only when the file cannot be opened or has fewer than
  // 10 bytes; otherwise true, and TagFound tells whether there is a tag.
  bool ReadTag(const QString& path, bool withPicture);
  bool ReadTag(const TByteSource& source, bool withPicture);

  // The size of the ID3v2 tag that starts the bytes: the header's size + 10 (+10 with a
  // footer), 0 when it exceeds the bytes, -1 when they do not start with "ID3".
  // Other readers use it to pass over a leading tag.
  static int64_t LeadingTagSize(const TByteSource& source);

  bool TagFound = false;
  uint8_t TagVersion = 0;  // major version: 2, 3 or 4
  int32_t TagSize = 0;     // header + frames (+ footer); 0 when larger than the file
  QString Title;           // TIT2, else TIT1
  QString Artist;          // TPE1, else TOPE
  QString Album;           // TALB, else TOAL
  uint16_t Track = 0;      // TRCK up to its "/", 0 when not a number
  QString TrackText;       // TRCK as written
  QString Year;            // TYER, else the first 4 characters of TDRC
  QString Genre;           // TCON after its last ")": "(17)Rock" gives "Rock"; a bare
                           // "(17)" gives the ID3v1 name of the number ("Rock")
  QString Comment;         // COMM after language and description
  QString Composer, Encoder, Rights, Language;
  QString Link;            // WXXX after its description
  QString AudioSize;       // TSIZ
  QByteArray Picture;      // APIC, JPEG only, only on request

 private:
  static constexpr int kFrameCount = 18;
  // Raw data of the last stored frame of each listed name (encoding byte first).
  std::array<QByteArray, kFrameCount> frames_;
  bool unsynchronisedFrames_ = false;  // 2.4 header flag 0x80: every frame is

  void ReadFrames(const TByteSource& source, int64_t start, int64_t end, bool withPicture);
  void ReadFrames22(const TByteSource& source, int64_t start, int64_t end);
  void Store(QByteArrayView name, QByteArray data);
  void FillFields(bool withPicture);
};
