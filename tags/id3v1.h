// TID3v1: the 128-byte ID3v1 tag (versions 1.0 and 1.1) at the end of a file, and the
// Lyrics3 version 2.00 block that may stand just before it.
//
// Layout of the tag (offsets from its start): "TAG" 0, title 3 (30), artist 33 (30),
// album 63 (30), year 93 (4), comment 97 (30; in 1.1 the comment is 28 bytes, byte 125
// is zero and byte 126 the track), genre index 127.
//
// Lyrics3 v2.00 block, ending just before the ID3v1 tag (or at the end of the file):
// "LYRICSBEGIN", fields (3-letter name, 5-digit decimal size, data), a 6-digit decimal
// size counted from "LYRICSBEGIN" to the end of the last field, then "LYRICS200".
// Its fields replace the ID3v1 values and may be longer than 30 characters.
//
// Texts are Windows-1252. The reader only reads.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

class TByteSource;

class TID3v1 {
 public:
  TID3v1() = default;
  void Clear();

  // Resets, then reads. False when the file cannot be opened; otherwise true, and
  // TagFound tells whether there is a tag.
  bool ReadTag(const QString& path);
  bool ReadTag(const TByteSource& source);

  // The genre name of GenreIndex, empty for 148 and above (255 means none).
  QString Genre() const;

  // Title, Artist, Album and Comment hold the whole value. Values of 31 characters or
  // more (only Lyrics3 gives them) are kept in the Long* slot as well, which is empty
  // otherwise.
  bool TagFound = false;
  uint8_t TagVersion = 1;  // 1 = ID3v1.0, 2 = ID3v1.1
  QString Title, Artist, Album;
  QString Year;  // at most 4 characters
  QString Comment;
  uint8_t Track = 0;         // ID3v1.1 only
  uint8_t GenreIndex = 255;  // 255 = none
  bool Lyrics3Found = false;
  int32_t Lyrics3Size = 0;  // as the block's size field says
  QString LongArtist, LongAlbum, LongTitle, LongComment;
  QByteArray Image;  // Lyrics3 "IMG", raw
  QString Author;    // Lyrics3 "AUT"
  QString Lyrics;    // Lyrics3 "LYR", lines ended by CR LF

 private:
  void ReadLyrics3(const TByteSource& source, int64_t blockEnd);
};
