#include "localfiles/playlistrow.h"

#include "tags/songinfo.h"

namespace {

// Trimming as the title test wants it: spaces and control characters, both ends.
bool BlankText(const QString& text) {
  for (const QChar c : text)
    if (c.unicode() > 0x20 && c.unicode() != 0x7F) return false;
  return true;
}

}  // namespace

bool TPlaylistRow::IsStreamAddress(const QString& text) {
  return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
         text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

TPlaylistRow RowFromSongInfo(const QString& path, const TSongInfo& info) {
  TPlaylistRow row;
  row.FileName = path;
  if (!BlankText(info.Title)) {
    row.Artist = info.Artist;
    row.Title = info.Title;
  } else {
    QString base = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) base.truncate(dot);
    const qsizetype dash = base.indexOf(QLatin1Char('-'));
    if (dash >= 0) {
      row.Artist = base.left(dash);
      row.Title = base.mid(dash + 1);
    } else {
      row.Title = base;
    }
  }
  row.Duration = info.Duration;
  row.StreamType = info.StreamType;
  row.BitRate = info.BitRate;
  row.SampleRate = info.SampleRate;
  row.Channels = info.Channels;
  return row;
}

TPlaylistRow StreamRow(const QString& url) {
  TPlaylistRow row;
  row.FileName = url;
  row.Title = url;
  row.StreamType = QStringLiteral("URL");
  return row;
}
