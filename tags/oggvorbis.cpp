#include "tags/oggvorbis.h"

#include <QByteArray>
#include <array>
#include <cmath>

#include "playback/engine/formats/oggheader.h"
#include "tags/filesource.h"
#include "tags/id3v2.h"
#include "tags/tagtext.h"

namespace {

constexpr int64_t kTextCap = 250;  // each comment is kept to its first 250 bytes
// Comments are read from at most this many bytes of the comment packet: a large cover
// picture stored as a comment must not make the reader hold the whole picture.
constexpr size_t kPacketCap = 1 << 20;

// Texts in this order: vendor, then the comment names.
constexpr const char* kNames[10] = {"", "TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE",
                                    "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};

// The comment packet's texts: the vendor, then the comments. A text without "=" is the
// vendor when none came before it.
void ReadComments(const std::string& packet, std::array<QString, 10>& texts) {
  for (const zengine::ogg::CommentText& t : zengine::ogg::ParseVorbisComments(packet, kTextCap)) {
    const bool cut = t.length > kTextCap;
    const QByteArrayView text = tagtext::TrimmedBytes(QByteArrayView(t.bytes.data(), qsizetype(t.bytes.size())));
    const qsizetype eq = text.indexOf('=');
    if (eq < 0) {
      if (texts[0].isEmpty()) texts[0] = tagtext::FromUtf8OrWindows1252(text, cut);
      continue;
    }
    const QByteArray name = text.first(eq).toByteArray().toUpper();
    for (int k = 1; k < 10; ++k) {
      if (name == kNames[k]) {
        texts[k] = tagtext::Trimmed(tagtext::FromUtf8OrWindows1252(tagtext::TrimmedBytes(text.sliced(eq + 1)), cut));
        break;
      }
    }
  }
}

}  // namespace

bool TOggVorbis::ReadTag(const QString& path) {
  Clear();
  TFileSource file(path);
  if (!file.IsOpen()) return false;
  return ReadTag(file);
}

bool TOggVorbis::ReadTag(const TByteSource& source) {
  Clear();
  const int64_t fileBytes = source.Size();
  const int64_t leading = std::max<int64_t>(TID3v2::LeadingTagSize(source), 0);
  const zengine::ReadAtFn readAt = ReadAtOf(source);

  const auto first = zengine::ogg::ReadPage(readAt, leading, fileBytes);
  if (!first) return false;
  const auto ident =
      zengine::ogg::ReadVorbisIdentification(readAt, leading + static_cast<int64_t>(first->headerSize));
  if (!ident) return false;

  // The comment packet starts the page after the identification page.
  std::array<QString, 10> texts;
  const int64_t second = leading + static_cast<int64_t>(first->headerSize + first->bodySize);
  const std::string packet = zengine::ogg::ReadPacket(readAt, second, fileBytes, kPacketCap);
  if (packet.starts_with("\x03vorbis")) ReadComments(packet, texts);

  // The sample count is the granule position of the last page.
  const std::vector<zengine::ogg::Page> tail = zengine::ogg::TailPages(readAt, fileBytes);
  FileBytes = fileBytes;
  LeadingTagBytes = leading;
  SampleCount = tail.empty() ? 0 : std::max<int64_t>(static_cast<int64_t>(tail.back().granule), 0);
  ChannelCount = ident->channels;
  SampleRateHz = static_cast<int32_t>(ident->rate);
  NominalKbps = static_cast<uint16_t>(ident->bitrateNominal / 1024);
  Title = texts[1];
  Artist = texts[2].isEmpty() ? texts[8] : texts[2];
  Album = texts[3];
  bool ok = false;
  const int track = tagtext::ToInt(texts[4].section(QLatin1Char('/'), 0, 0), &ok);
  Track = ok ? static_cast<uint16_t>(track & 0xFF) : 0;
  Date = texts[5];
  Genre = texts[6];
  Comment = texts[7].isEmpty() ? texts[9] : texts[7];
  Vendor = texts[0];
  return true;
}

double TOggVorbis::DurationSeconds() const {
  if (SampleCount > 0) return SampleRateHz > 0 ? double(SampleCount) / SampleRateHz : 0.0;
  if (NominalKbps > 0 && ChannelCount > 0)
    return double(FileBytes - LeadingTagBytes) / NominalKbps / ChannelCount / 125.0 * 2.0;
  return 0.0;
}

int TOggVorbis::AverageKbps() const {
  const double duration = DurationSeconds();
  if (duration <= 0) return 0;
  const double kbps = double(FileBytes - LeadingTagBytes) / duration / 125.0;
  if (!(kbps < 2147483647.0)) return 0;
  return static_cast<int>(std::nearbyint(kbps));  // the default rounding: half to even
}

bool TOggVorbis::ValidFile() const {
  return (ChannelCount == 1 || ChannelCount == 2 || ChannelCount == 6) && SampleRateHz > 0 &&
         DurationSeconds() > 0.1 && static_cast<uint16_t>(AverageKbps()) != 0;
}
