#include "tags/songinfo.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "playback/engine/engine.h"
#include "tags/apetag.h"
#include "tags/filesource.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/mpeginfo.h"
#include "tags/oggvorbis.h"
#include "tags/tagtext.h"
#include "tags/wmafile.h"

namespace {

// Extension lists, "$" between the extensions.
const QString kSizeBitRateList = QStringLiteral("$.wav$.cda$.aac$.mp4$.m4a$.ac3$");
const QString kMpegList = QStringLiteral("$.mp3$.mp2$");
const QString kApeList = QStringLiteral("$.mpc$.wv$.ofr$.ofs$.ape$.mac$");
const QString kID3v1List = QStringLiteral("$.mp3$.mp2$.mpc$");
const QString kWmaList = QStringLiteral("$.wma$");
const QString kOggList = QStringLiteral("$.ogg$");

bool InList(const QString& ext, const QString& list) {
  return !ext.isEmpty() && list.contains(QLatin1Char('$') + ext + QLatin1Char('$'), Qt::CaseInsensitive);
}

QString StreamTypeText(uint32_t type) {
  switch (type) {
    case zengine::kTypeOgg: return QStringLiteral("OGG");
    case zengine::kTypeMp2: return QStringLiteral("MP2");
    case zengine::kTypeMp3: return QStringLiteral("MP3");
    case zengine::kTypeCda: return QStringLiteral("CDA");
    case zengine::kTypeWma: return QStringLiteral("WMA");
    case zengine::kTypeWm3: return QStringLiteral("WM3");
    case zengine::kTypeAac: return QStringLiteral("AAC");
    case zengine::kTypeMp4: return QStringLiteral("MP4");
    case zengine::kTypeAc3: return QStringLiteral("AC3");
    case zengine::kTypeOpus: return QStringLiteral("OPUS");
    case zengine::kTypeFlac:
    case zengine::kTypeOggFlac: return QStringLiteral("FLAC");
    case zengine::kTypeWav: return QStringLiteral("WAV");
    case zengine::kTypeWavPcm: return QStringLiteral("PCM");
    case zengine::kTypeWavFloat: return QStringLiteral("W32");
    default: return QStringLiteral("N/A");
  }
}

QString ChannelsText(int channels) {
  static const char* const kLayouts[] = {"Mono", "Stereo", "3.0", "4.0", "5.0", "5.1", "6.1", "7.1"};
  if (channels < 1 || channels > 8) return QStringLiteral("N/A");
  return QLatin1String(kLayouts[channels - 1]);
}

}  // namespace

QString TSongInfo::Extension(const QString& path) {
  const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : name.mid(dot);
}

QString TSongInfo::DurationText(double seconds) {
  if (!(seconds >= 0) || !std::isfinite(seconds)) return {};
  // Whole milliseconds first, as a time of day would be; the hours then wrap at 24.
  const auto ms = static_cast<int64_t>(std::llround(std::min(seconds, 1e12) * 1000.0));
  const int64_t s = ms / 1000;
  const auto two = [](int64_t n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
  if (s < 3600) return two(s / 60) + QLatin1Char(':') + two(s % 60);
  return two(s / 3600 % 24) + QLatin1Char(':') + two(s / 60 % 60) + QLatin1Char(':') + two(s % 60);
}

void TSongInfo::ReadSongInfo(const QString& path, bool measure, bool withPicture) {
  Clear();
  FileName = path;
  const QString ext = Extension(path);
  if (!QFileInfo(path).isFile()) return;
  if (measure) Measure(path, ext);
  if (InList(ext, kMpegList)) BitRate = ReadMPEGInfo(path).BitRate;
  ReadTags(path, ext, withPicture);
}

void TSongInfo::Measure(const QString& path, const QString& ext) {
  const std::string name = QFile::encodeName(path).toStdString();
  // Only the exact lower-case ".cda" is a CD track; ".CDA" goes to the general opener.
  zengine::Handle channel =
      ext == QLatin1String(".cda") ? zengine::CDStreamCreateFile(name) : zengine::StreamCreateFile(name);
  if (channel == 0) channel = zengine::MusicLoad(name);
  if (channel == 0) return;

  LengthBytes = zengine::ChannelGetLength(channel);
  if (LengthBytes >= 0) {
    LengthSeconds = static_cast<float>(zengine::ChannelBytes2Seconds(channel, LengthBytes));
    Duration = DurationText(LengthSeconds);
  }
  zengine::ChannelInfo info;
  if (zengine::ChannelGetInfo(channel, &info)) {
    StreamType = StreamTypeText(info.ctype);
    SampleRate = QString::number(info.freq);
    Channels = ChannelsText(info.chans);
  }
  if (InList(ext, kSizeBitRateList)) {
    const int64_t bytes = zengine::StreamGetFilePosition(channel, 2);
    if (bytes >= 0 && LengthSeconds > 0) {
      // Rounded kbit/s, lowered to an even number.
      auto r = static_cast<int64_t>(double(bytes) / (double(LengthSeconds) * 125.0) + 0.5);
      if (r % 2 != 0) r -= 1;
      BitRate = QString::number(r);
    }
  }
  zengine::StreamFree(channel);
}

void TSongInfo::SetTag(const QString& artist, const QString& album, const QString& title,
                       const QString& track, const QString& genre, const QString& year,
                       const QString& comment) {
  Artist = artist;
  Album = album;
  Title = title;
  Track = track;
  Genre = genre;
  Year = year;
  Comment = comment;
  HasTag = true;
}

void TSongInfo::ReadTags(const QString& path, const QString& ext, bool withPicture) {
  TFileSource file(path);
  if (InList(ext, kMpegList)) {
    TID3v2 id3v2;
    id3v2.ReadTag(file, withPicture);
    if (id3v2.TagFound) {
      SetTag(id3v2.Artist, id3v2.Album, id3v2.Title, tagtext::TwoDigits(id3v2.Track), id3v2.Genre,
             id3v2.Year, id3v2.Comment);
      Picture = id3v2.Picture;
      return;
    }
  }
  if (InList(ext, kApeList)) {
    TAPETag ape;
    ape.ReadTag(file);
    if (ape.TagFound) {
      const auto item = [&ape](const char* name) { return ape.ItemValue(QLatin1String(name)); };
      SetTag(item("Artist"), item("Album"), item("Title"), item("Track"), item("Genre"),
             item("Year"), item("Comment"));
      return;
    }
  }
  if (InList(ext, kID3v1List)) {
    TID3v1 id3v1;
    id3v1.ReadTag(file);
    if (id3v1.TagFound) {
      SetTag(id3v1.Artist, id3v1.Album, id3v1.Title, tagtext::TwoDigits(id3v1.Track),
             id3v1.Genre(), id3v1.Year, id3v1.Comment);
      return;
    }
  }
  if (InList(ext, kWmaList)) {
    TWMAfile wma;
    wma.ReadTag(file);
    if (wma.ValidFile) {
      SetTag(wma.Artist, wma.Album, wma.Title, tagtext::TwoDigits(wma.Track), wma.Genre, wma.Year,
             wma.Comment);
      BitRate = QString::number(wma.Kbps);
      return;
    }
  }
  if (InList(ext, kOggList)) {
    TOggVorbis ogg;
    ogg.ReadTag(file);
    if (ogg.ValidFile()) {
      SetTag(ogg.Artist, ogg.Album, ogg.Title, tagtext::TwoDigits(ogg.Track), ogg.Genre, ogg.Date,
             ogg.Comment);
      BitRate = QString::number(ogg.AverageKbps());
    }
  }
}
