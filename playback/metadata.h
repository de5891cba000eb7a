// What a stream says about itself: the rules applied to the tag blocks read once a
// station connects, and the song title found in each metadata text. Plain functions,
// no widgets: the station player applies their results in order on the interface thread.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

// The tag block kinds of the engine (ID3 0, ID3v2 1, Ogg 2, HTTP 3, ICY 4, MP4 7, WMA 8).
enum class TTagKind { Id3 = 0, Id3v2 = 1, Ogg = 2, Http = 3, Icy = 4, Mp4 = 7, Wma = 8 };

// What one tag block changes.
struct TTagEffects {
  QStringList Lines;                 // for the information list: header line, then each text
  std::optional<QString> RadioName;  // icy-name
  std::optional<QString> BitRate;    // icy-br, or a WMA currentbitrate in kbit/s
  std::optional<QString> Genre;      // icy-genre
  // What the stream announces of itself, from an ICY or an HTTP block alike (a station
  // opened from an address takes them): icy-genre (the face shows only an ICY block's
  // genre, above) and icy-url, the station's web page.
  std::optional<QString> AnnouncedGenre;
  std::optional<QString> Web;
  std::optional<QString> ShownTitle; // WMA "title :" (shown only; the title is not changed)
};

// Splits an engine tag block (texts each ended by '\0', the block ended by an empty text)
// into its texts, each read as UTF-8, or as Windows-1252 when it is not valid UTF-8.
QStringList SplitTagBlock(const std::string& block);

// The rules of one tag block.
TTagEffects DumpTags(TTagKind kind, const QStringList& texts);

// An Ogg stream's "Quality n" bit rate as kbit/s ("Quality 5" gives "160"); other texts
// unchanged.
QString OggBitRate(const QString& bitRate);

// The song title in a metadata text, and whether one of the three keys was found
// ("StreamTitle=", "CAPTION :", "data : title="). A found key with a misplaced end gives
// an empty title.
struct TMetaTitle {
  bool KeyFound = false;
  QString Title;
};
TMetaTitle ParseMetadataTitle(const QString& text);

// Text of a metadata callback or tag: UTF-8, or Windows-1252 when it is not valid UTF-8.
QString StreamText(const std::string& bytes);

// "hh:mm:ss " and "yyyy/mm/dd " of a local date-time, as the history stamps them.
QString MetaTimeStampOf(int hours, int minutes, int seconds);
QString MetaDateStampOf(int year, int month, int day);
