#include "tags/wmafile.h"

#include <array>

#include "playback/engine/formats/asfheader.h"
#include "tags/filesource.h"
#include "tags/tagtext.h"

namespace {

constexpr int kTextCap = 250;  // characters kept of each text

enum Field { kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment, kFieldCount };
// Extended names, compared upper-cased; WM/TrackNumber is not among them.
constexpr const char* kExtendedNames[] = {"WM/TITLE", "WM/AUTHOR", "WM/ALBUMTITLE", "WM/TRACK",
                                          "WM/YEAR",  "WM/GENRE",  "WM/DESCRIPTION"};

struct FileData {
  uint32_t maxBitsPerSecond = 0;
  uint16_t channelCount = 0;
  uint32_t sampleRateHz = 0;
  uint32_t bytesPerSecond = 0;
  std::array<QString, kFieldCount> fields;
};

// A raw UTF-16LE text: its first 250 code units, up to a zero unit.
QString Text(const std::string& raw) {
  const size_t units = std::min<size_t>(raw.size() / 2, kTextCap);
  return tagtext::FromUtf16(QByteArray(raw.data(), static_cast<qsizetype>(units * 2)), false);
}

// The values of the header's objects. False when the header is truncated or damaged.
bool ReadHeaderObjects(const TByteSource& source, FileData& data) {
  zengine::asf::Options options;
  options.texts = true;
  options.textCap = 2 * kTextCap;
  const zengine::asf::Header header = zengine::asf::ReadHeader(ReadAtOf(source), source.Size(), options);
  if (header.status == zengine::asf::Status::NotAsf) return true;
  if (header.status != zengine::asf::Status::Ok) return false;
  for (const zengine::asf::Object& o : header.objects) {
    // Sizes are taken to 32 bits: a larger object is damage.
    if (o.size > 0xFFFFFFFFu) return false;
    switch (o.kind) {
      case zengine::asf::ObjectKind::FileProperties:
        data.maxBitsPerSecond = o.file.maxBitrate;
        break;
      case zengine::asf::ObjectKind::StreamProperties:
        // The last stream-properties object wins, whatever its stream type.
        data.channelCount = o.stream.channels;
        data.sampleRateHz = o.stream.sampleRate;
        data.bytesPerSecond = o.stream.bytesPerSecond;
        break;
      case zengine::asf::ObjectKind::ContentDescription:
      case zengine::asf::ObjectKind::ExtendedContent:
        if (!o.complete) return false;  // a text runs past its object
        break;
      case zengine::asf::ObjectKind::Other:
        break;
    }
  }
  // Texts in file order: a later one replaces an earlier one of the same field.
  for (const zengine::asf::Text& t : header.texts) {
    if (t.slot >= 0) {
      // title, author, rights, description, rating; rights and rating are dropped
      if (t.length == 0) continue;
      if (t.slot == 0) data.fields[kTitle] = Text(t.value);
      if (t.slot == 1) data.fields[kArtist] = Text(t.value);
      if (t.slot == 3) data.fields[kComment] = Text(t.value);
      continue;
    }
    if (t.type != 0) continue;  // not a text: nothing the program shows
    const QString name = tagtext::Trimmed(Text(t.name)).toUpper();
    for (int f = 0; f < kFieldCount; ++f)
      if (name == QLatin1String(kExtendedNames[f])) data.fields[f] = Text(t.value);
  }
  return true;
}

}  // namespace

bool TWMAfile::ReadTag(const QString& path) {
  Clear();
  TFileSource file(path);
  if (!file.IsOpen()) return false;
  return ReadTag(file);
}

bool TWMAfile::ReadTag(const TByteSource& source) {
  Clear();
  FileData data;
  if (!ReadHeaderObjects(source, data)) return false;
  if (!(data.maxBitsPerSecond > 0 && data.maxBitsPerSecond < 320000) ||
      !(data.channelCount == 1 || data.channelCount == 2) ||
      !(data.sampleRateHz >= 8000 && data.sampleRateHz <= 96000) ||
      !(data.bytesPerSecond > 0 && data.bytesPerSecond < 40000))
    return true;
  ValidFile = true;
  FileBytes = source.Size();
  ChannelCount = static_cast<uint8_t>(data.channelCount);
  SampleRateHz = static_cast<int32_t>(data.sampleRateHz);
  DurationSeconds = double(FileBytes) * 8.0 / data.maxBitsPerSecond;
  Kbps = static_cast<int32_t>(data.bytesPerSecond * 8 / 1000);
  Title = tagtext::Trimmed(data.fields[kTitle]);
  Artist = tagtext::Trimmed(data.fields[kArtist]);
  Album = tagtext::Trimmed(data.fields[kAlbum]);
  Year = tagtext::Trimmed(data.fields[kYear]);
  Genre = tagtext::Trimmed(data.fields[kGenre]);
  Comment = tagtext::Trimmed(data.fields[kComment]);
  bool ok = false;
  const int track = tagtext::ToInt(tagtext::Trimmed(data.fields[kTrack]), &ok);
  Track = ok ? track : 0;
  return true;
}
