#include "tags/mpeginfo.h"

#include <QByteArray>

#include "tags/filesource.h"
#include "tags/id3v2.h"

namespace {

constexpr int64_t kBlock = 4096;
constexpr int kTail = 128;  // the header must end before the last 128 bytes

// Bit rates in kbit/s by index 1-14; index 0 is "free" and 15 "bad".
constexpr int kMpeg1[3][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // layer 1
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // layer 2
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};     // layer 3
constexpr int kMpeg2[3][15] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // layer 1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // layer 2
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};         // layer 3

// Offset of the first 0xFF whose next byte has its three high bits set, from `from`;
// -1 when none.
int64_t FindHeader(const TByteSource& source, int64_t from) {
  const int64_t size = source.Size();
  QByteArray block;
  for (int64_t at = from; at + 1 < size; at += kBlock) {
    block = source.Read(at, kBlock + 1);  // one byte of overlap for a pair on the boundary
    const auto* b = reinterpret_cast<const unsigned char*>(block.constData());
    for (qsizetype i = 0; i + 1 < block.size(); ++i)
      if (b[i] == 0xFF && (b[i + 1] & 0xE0) == 0xE0) return at + i;
    if (block.size() < 2) break;
  }
  return -1;
}

}  // namespace

InfosMPEG ReadMPEGInfo(const QString& path) {
  TFileSource file(path);
  if (!file.IsOpen()) return {};
  return ReadMPEGInfo(file);
}

InfosMPEG ReadMPEGInfo(const TByteSource& source) {
  InfosMPEG info;
  info.FileSize = source.Size();
  const int64_t start = std::max<int64_t>(TID3v2::LeadingTagSize(source), 0);
  const int64_t at = FindHeader(source, start);
  if (at < 0) return info;
  info.HeaderPosition = at;
  unsigned char h[4] = {};
  if (at + 2 > info.FileSize - kTail || !source.ReadExact(at, h, 4)) return info;

  static const char* const kVersions[4] = {"MPEG 2.5", "Reserved", "MPEG 2.0", "MPEG 1.0"};
  static const char* const kLayers[4] = {"Reserved", "Layer 3", "Layer 2", "Layer 1"};
  const int version = (h[1] >> 3) & 3;
  const int layer = (h[1] >> 1) & 3;
  info.Version = QLatin1String(kVersions[version]);
  info.Layer = QLatin1String(kLayers[layer]);
  if (layer == 0) return info;
  const int index = h[2] >> 4;
  const int (&table)[3][15] = version == 3 ? kMpeg1 : kMpeg2;
  if (index == 0)
    info.BitRate = QStringLiteral("free");
  else if (index == 15)
    info.BitRate = QStringLiteral("bad");
  else
    info.BitRate = QString::number(table[3 - layer][index]);
  return info;
}
