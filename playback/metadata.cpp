#include "playback/metadata.h"

#include <QStringDecoder>

#include <cmath>

namespace {

// The value after `key` when `text` starts with it, ignoring case; nullopt otherwise.
std::optional<QString> ValueAfter(const QString& text, const char* key) {
  const QString k = QString::fromLatin1(key);
  if (!text.startsWith(k, Qt::CaseInsensitive)) return std::nullopt;
  return text.mid(k.size());
}

bool NotBlank(const QString& value) {
  return !value.trimmed().isEmpty();
}

const char* HeaderOf(TTagKind kind) {
  switch (kind) {
    case TTagKind::Icy: return "------- TAD ICY --------";
    case TTagKind::Wma: return "------- TAG WMA -------";
    case TTagKind::Mp4: return "------- TAG MP4 -------";
    case TTagKind::Http: return "------- TAG HTTP -------";
    case TTagKind::Id3: return "------- TAG ID3 -------";
    case TTagKind::Id3v2: return "------- TAG ID3V2 -------";
    case TTagKind::Ogg: break;
  }
  return nullptr;
}

// "hh:mm:ss"-style fields: at least two digits each.
QString Two(int v) {
  return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString StreamText(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  if (!utf8.hasError()) return text;
  // Windows-1252: Latin-1 with the typographic characters in 0x80-0x9F.
  static const char16_t k1252[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  QString out;
  out.reserve(qsizetype(bytes.size()));
  for (unsigned char c : bytes) out.append(c >= 0x80 && c < 0xA0 ? QChar(k1252[c - 0x80]) : QChar(c));
  return out;
}

QStringList SplitTagBlock(const std::string& block) {
  QStringList texts;
  size_t at = 0;
  while (at < block.size()) {
    const size_t end = block.find('\0', at);
    const size_t stop = end == std::string::npos ? block.size() : end;
    if (stop == at) break;  // the empty text ends the block
    texts.append(StreamText(block.substr(at, stop - at)));
    at = stop + 1;
  }
  return texts;
}

TTagEffects DumpTags(TTagKind kind, const QStringList& texts) {
  TTagEffects e;
  const char* header = HeaderOf(kind);
  if (!header) return e;
  e.Lines.append(QString::fromUtf8(header));
  for (const QString& t : texts) {
    if (kind == TTagKind::Icy || kind == TTagKind::Http) {
      if (auto v = ValueAfter(t, "icy-name:"); v && NotBlank(*v)) e.RadioName = *v;
      if (auto v = ValueAfter(t, "icy-br:"); v && NotBlank(*v)) e.BitRate = *v;
      if (kind == TTagKind::Icy) {
        if (auto v = ValueAfter(t, "icy-genre:"); v && NotBlank(*v)) e.Genre = *v;
      }
      if (auto v = ValueAfter(t, "icy-genre:"); v && NotBlank(*v)) e.AnnouncedGenre = *v;
      if (auto v = ValueAfter(t, "icy-url:"); v && NotBlank(*v)) e.Web = *v;
    } else if (kind == TTagKind::Wma) {
      if (auto v = ValueAfter(t, "title :"); v && NotBlank(*v)) e.ShownTitle = *v;
      if (auto v = ValueAfter(t, "currentbitrate :")) {
        // A value that is no number leaves the bit rate as it was.
        bool ok = false;
        const qlonglong bps = v->trimmed().toLongLong(&ok);
        if (ok && bps >= 0) e.BitRate = QString::number(qlonglong(std::nearbyint(double(bps) / 1000.0)));
      }
    }
    e.Lines.append(t);
  }
  return e;
}

QString OggBitRate(const QString& bitRate) {
  static const struct {
    const char* quality;
    const char* kbps;
  } kTable[] = {{"Quality -1", "48"}, {"Quality 0", "64"},   {"Quality 1", "80"},  {"Quality 2", "96"},
                {"Quality 3", "112"}, {"Quality 4", "128"},  {"Quality 5", "160"}, {"Quality 6", "192"},
                {"Quality 7", "224"}, {"Quality 8", "256"},  {"Quality 9", "320"}, {"Quality 10", "400"}};
  for (const auto& row : kTable)
    if (bitRate == QLatin1String(row.quality)) return QString::fromLatin1(row.kbps);
  return bitRate;
}

TMetaTitle ParseMetadataTitle(const QString& text) {
  // key, the first character of the title (from 1), the end character, and how many
  // characters before the end character the title stops (2: a closing quote is dropped).
  static const struct {
    const char* key;
    int first;
    QChar end;
    int back;
  } kForms[] = {{"StreamTitle=", 14, QLatin1Char(';'), 2},
                {"CAPTION :", 11, QLatin1Char('('), 2},
                {"data : title=", 14, QLatin1Char('&'), 1}};
  TMetaTitle r;
  for (const auto& f : kForms) {
    const int at = text.indexOf(QLatin1String(f.key));
    if (at < 0) continue;
    r.KeyFound = true;
    const QString rest = text.mid(at);
    const int p = rest.indexOf(f.end) + 1;  // from 1; 0 when missing
    const int last = p - f.back;            // last character of the title, from 1
    if (p > 0 && last >= f.first) r.Title = rest.mid(f.first - 1, last - f.first + 1).trimmed();
    return r;
  }
  return r;
}

QString MetaTimeStampOf(int hours, int minutes, int seconds) {
  return Two(hours) + QLatin1Char(':') + Two(minutes) + QLatin1Char(':') + Two(seconds) + QLatin1Char(' ');
}

QString MetaDateStampOf(int year, int month, int day) {
  return QStringLiteral("%1/%2/%3 ").arg(year, 4, 10, QLatin1Char('0')).arg(Two(month), Two(day));
}
