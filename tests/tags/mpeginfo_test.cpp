// ReadMPEGInfo: header search and bit-rate tables, from inline bytes.
#include <gtest/gtest.h>

#include "tags/memorysource.h"
#include "tags/mpeginfo.h"
#include "tagbytes.h"

using namespace tagbytes;

namespace {

// `lead` bytes, a 4-byte header b0-b3, then 400 bytes of frame data.
QByteArray Mpeg(const QByteArray& lead, unsigned char b1, unsigned char b2) {
  return lead + QByteArray("\xff", 1) + char(b1) + char(b2) + char(0x44) + QByteArray(400, '\x11');
}

TEST(MPEGInfo, BitRateTables) {
  const struct {
    const char* name;
    unsigned char b1, b2;
    const char *version, *layer, *bitRate;
  } cases[] = {
      {"mpeg1_layer3_index9", 0xFB, 0x90, "MPEG 1.0", "Layer 3", "128"},
      {"mpeg1_layer3_index14", 0xFB, 0xE0, "MPEG 1.0", "Layer 3", "320"},
      {"mpeg1_layer2_index14", 0xFD, 0xE0, "MPEG 1.0", "Layer 2", "384"},
      {"mpeg1_layer1_index14", 0xFF, 0xE0, "MPEG 1.0", "Layer 1", "448"},
      {"mpeg2_layer3_index9", 0xF3, 0x90, "MPEG 2.0", "Layer 3", "80"},
      {"mpeg2_layer1_index9", 0xF7, 0x90, "MPEG 2.0", "Layer 1", "144"},
      {"mpeg25_layer3_index1", 0xE3, 0x10, "MPEG 2.5", "Layer 3", "8"},
      {"reserved_version_uses_mpeg2", 0xEB, 0x90, "Reserved", "Layer 3", "80"},
      {"free", 0xFB, 0x00, "MPEG 1.0", "Layer 3", "free"},
      {"bad", 0xFB, 0xF0, "MPEG 1.0", "Layer 3", "bad"},
      {"reserved_layer", 0xF9, 0x90, "MPEG 1.0", "Reserved", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QByteArray bytes = Mpeg("", c.b1, c.b2);
    const InfosMPEG info = ReadMPEGInfo(TMemorySource(bytes));
    EXPECT_EQ(info.FileSize, bytes.size());
    EXPECT_EQ(info.HeaderPosition, 0);
    EXPECT_EQ(info.Version, c.version);
    EXPECT_EQ(info.Layer, c.layer);
    EXPECT_EQ(info.BitRate, c.bitRate);
  }
}

TEST(MPEGInfo, HeaderSearch) {
  // A cover picture's JPEG markers (FF D8 FF E0) inside a leading ID3v2 tag.
  const QByteArray jpeg = QByteArray("\xff\xd8\xff\xe0\x00\x10JFIF", 10) + QByteArray(3000, '\x20');
  const QByteArray id3 = QByteArray("ID3\x03\0\0", 6) + Syncsafe(jpeg.size()) + jpeg;
  const struct {
    const char* name;
    QByteArray bytes;
    int64_t position;
    const char* bitRate;
  } cases[] = {
      {"after_a_leading_id3v2_tag", Mpeg(id3, 0xFB, 0x90), id3.size(), "128"},  // mend
      {"after_junk", Mpeg(QByteArray(5000, '\x12') + "\xff\x12", 0xFB, 0x90), 5002, "128"},
      {"on_a_4096_byte_boundary", Mpeg(QByteArray(4095, '\x12'), 0xFB, 0xA0), 4095, "160"},
      {"none", QByteArray(5000, '\x12'), 0, ""},
      {"only_in_the_last_128_bytes", QByteArray(500, 0) + "\xff\xfb\x90\x44" + QByteArray(124, 0), 500, ""},
      {"shorter_than_130_bytes", QByteArray("\xff\xfb\x90\x44", 4), 0, ""},
      {"empty", QByteArray(), 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const InfosMPEG info = ReadMPEGInfo(TMemorySource(c.bytes));
    EXPECT_EQ(info.HeaderPosition, c.position);
    EXPECT_EQ(info.BitRate, c.bitRate);
  }
  EXPECT_EQ(ReadMPEGInfo(QStringLiteral("/nonexistent/file.mp3")).FileSize, 0);
}

}  // namespace
