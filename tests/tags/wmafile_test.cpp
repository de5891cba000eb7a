// TWMAfile: ASF header objects, plausibility test and texts, from objects built inline.
#include <gtest/gtest.h>

#include <QList>

#include "tags/memorysource.h"
#include "tags/wmafile.h"
#include "tagbytes.h"

using namespace tagbytes;

namespace {

const QByteArray kHeader("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const QByteArray kFileProps("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16);
const QByteArray kStreamProps("\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16);
const QByteArray kContent("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const QByteArray kExtended("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);

QByteArray Object(const QByteArray& id, const QByteArray& body) { return id + LE64(24 + body.size()) + body; }

// The maximum bit rate sits at object offset 100.
QByteArray FileProps(uint32_t maxBps) { return Object(kFileProps, QByteArray(76, 0) + LE32(maxBps)); }

// Channels, samples per second and average bytes per second at object offsets 80, 82, 86.
QByteArray StreamProps(int channels, uint32_t rate, uint32_t bytesPerSecond) {
  return Object(kStreamProps, QByteArray(54, 0) + LE16(0x161) + LE16(channels) + LE32(rate) +
                                  LE32(bytesPerSecond) + LE16(0) + LE16(16) + LE16(0));
}

QByteArray Wide(const QString& s) { return Utf16LE(s) + QByteArray(2, 0); }

QByteArray Content(const QString& title, const QString& author, const QString& description) {
  const QByteArray t = title.isEmpty() ? QByteArray() : Wide(title);
  const QByteArray a = author.isEmpty() ? QByteArray() : Wide(author);
  const QByteArray r = Wide("rights");
  const QByteArray d = description.isEmpty() ? QByteArray() : Wide(description);
  return Object(kContent, LE16(t.size()) + LE16(a.size()) + LE16(r.size()) + LE16(d.size()) + LE16(0) +
                              t + a + r + d);
}

QByteArray Descriptor(const QString& name, const QString& value) {
  return LE16(Wide(name).size()) + Wide(name) + LE16(0) + LE16(Wide(value).size()) + Wide(value);
}
QByteArray BoolDescriptor(const QString& name) { return LE16(Wide(name).size()) + Wide(name) + LE16(2) + LE16(4) + LE32(1); }

QByteArray Extended(const QList<QByteArray>& descriptors) {
  QByteArray body = LE16(descriptors.size());
  for (const QByteArray& d : descriptors) body += d;
  return Object(kExtended, body);
}

QByteArray Asf(const QList<QByteArray>& objects, int64_t declaredCount = -1) {
  QByteArray body;
  for (const QByteArray& o : objects) body += o;
  return kHeader + LE64(30 + body.size()) + LE32(uint32_t(declaredCount < 0 ? objects.size() : declaredCount)) +
         "\x01\x02" + body + QByteArray(2000, '\x77');
}

QByteArray Good(const QList<QByteArray>& more) {
  return Asf(QList<QByteArray>{FileProps(128000), StreamProps(2, 44100, 16000)} + more);
}

TWMAfile Read(const QByteArray& bytes, bool expected = true) {
  TWMAfile wma;
  EXPECT_EQ(wma.ReadTag(TMemorySource(bytes)), expected);
  return wma;
}

TEST(WMAfile, Texts) {
  const TWMAfile wma = Read(Good({Content("  Title ", "Author", "Comment"),
                             Extended({Descriptor("WM/AlbumTitle", "Best of"), BoolDescriptor("IsVBR"),
                                       Descriptor("WM/Genre", "Jazz"), Descriptor("WM/Year", "2001"),
                                       Descriptor("WM/TrackNumber", "9"), Descriptor("WM/Track", " 5 "),
                                       Descriptor("wm/title", QString::fromUtf8("Titre étendu 🎵"))})}));
  EXPECT_TRUE(wma.ValidFile);
  EXPECT_EQ(wma.Title, QString::fromUtf8("Titre étendu 🎵"));  // the later field wins
  EXPECT_EQ(wma.Artist, "Author");
  EXPECT_EQ(wma.Comment, "Comment");
  EXPECT_EQ(wma.Album, "Best of");
  EXPECT_EQ(wma.Genre, "Jazz");
  EXPECT_EQ(wma.Year, "2001");
  EXPECT_EQ(wma.Track, 5);  // WM/TrackNumber is not read
  EXPECT_EQ(wma.Kbps, 128);
  EXPECT_EQ(wma.ChannelCount, 2);
  EXPECT_EQ(wma.SampleRateHz, 44100);
  EXPECT_DOUBLE_EQ(wma.DurationSeconds, wma.FileBytes * 8.0 / 128000);
}

TEST(WMAfile, LongTextsAreCutAndReadingGoesOn) {
  const QString longTitle(300, QLatin1Char('t'));
  const TWMAfile wma = Read(Good({Content(longTitle, "Author after", {})}));
  EXPECT_EQ(wma.Title, QString(250, QLatin1Char('t')));
  EXPECT_EQ(wma.Artist, "Author after");
}

TEST(WMAfile, Plausibility) {
  const struct {
    const char* name;
    uint32_t maxBps;
    int channels;
    uint32_t rate, bytesPerSecond;
    bool valid;
  } cases[] = {
      {"typical", 128000, 2, 44100, 16000, true},
      {"mono_8000", 32000, 1, 8000, 4000, true},
      {"byte_rate_at_limit", 128000, 2, 44100, 40000, false},
      {"byte_rate_48000", 128000, 2, 44100, 48000, false},
      {"three_channels", 128000, 3, 44100, 16000, false},
      {"rate_96001", 128000, 2, 96001, 16000, false},
      {"rate_7999", 128000, 2, 7999, 16000, false},
      {"no_max_bit_rate", 0, 2, 44100, 16000, false},
      {"max_bit_rate_320000", 320000, 2, 44100, 16000, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TWMAfile wma =
        Read(Asf({FileProps(c.maxBps), StreamProps(c.channels, c.rate, c.bytesPerSecond), Content("T", {}, {})}));
    EXPECT_EQ(wma.ValidFile, c.valid);
    EXPECT_EQ(wma.Title, c.valid ? "T" : "");
  }
  // The last stream-properties object wins.
  EXPECT_FALSE(Good({StreamProps(6, 44100, 16000)}).isEmpty());
  EXPECT_FALSE(Read(Good({StreamProps(6, 44100, 16000)})).ValidFile);
}

TEST(WMAfile, DamagedHeaders) {
  const QByteArray good = Good({Content("Title", {}, {})});
  const struct {
    const char* name;
    QByteArray bytes;
    bool result;
  } cases[] = {
      {"truncated_in_the_content", good.left(good.indexOf(kContent) + 40), false},
      {"truncated_in_an_object_header", good.left(good.indexOf(kContent) + 10), false},
      {"object_size_zero", Asf({FileProps(128000), kContent + LE64(0)}), false},
      {"object_size_beyond_the_file", Asf({FileProps(128000), kContent + LE64(1u << 30)}), false},
      {"object_size_over_32_bits", Asf({FileProps(128000), kContent + LE64(1ull << 32)}), false},
      {"count_of_4_billion", Asf({FileProps(128000)}, 0xFFFFFFFEll), false},
      {"descriptor_running_past_the_end", kHeader + LE64(100) + LE32(1) + "\x01\x02" + kExtended + LE64(60) +
                                              LE16(1) + LE16(40) + Wide("WM/Genre"), false},
      {"not_asf", "RIFF\x24\0\0\0WAVEfmt " + QByteArray(100, 0), true},
      {"empty", QByteArray(), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TWMAfile wma = Read(c.bytes, c.result);
    EXPECT_FALSE(wma.ValidFile);
    EXPECT_TRUE(wma.Title.isEmpty());
  }
  TWMAfile wma;
  EXPECT_FALSE(wma.ReadTag(QStringLiteral("/nonexistent/file.wma")));
}

}  // namespace
