#include "recording/recordnaming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "playback/engine/engine.h"

namespace {

// Trimming as the naming rules mean it: spaces and control characters at both ends.
QString TrimControls(const QString& text) {
  int begin = 0, end = int(text.size());
  while (begin < end && text[begin].unicode() <= 0x20) ++begin;
  while (end > begin && text[end - 1].unicode() <= 0x20) --end;
  return text.mid(begin, end - begin);
}

// A tag's readable text: trimmed, and each run of control characters inside it (a line
// feed, a bell, a terminal colour code's escape) made one space.
QString ReadableText(const QString& text) {
  const QString t = TrimControls(text);
  QString out;
  out.reserve(t.size());
  bool inControls = false;
  for (QChar c : t) {
    const char16_t u = c.unicode();
    if (u < 0x20 || (u >= 0x7F && u <= 0x9F)) {
      if (!inControls) out += QLatin1Char(' ');
      inControls = true;
    } else {
      out += c;
      inControls = false;
    }
  }
  return out;
}

int Utf8Size(const QString& text) {
  return int(text.toUtf8().size());
}

// Room the numbering may add to a name: "(" + the highest number + ")".
int NumberingRoom(int recordOcc) {
  return 2 + int(QString::number(recordOcc > 1 ? recordOcc : 1).size());
}

}  // namespace

TRecordFormat RecordFormatOf(const QString& text) {
  static const struct {
    const char* name;
    TRecordFormat format;
  } kFormats[] = {{"AAC", TRecordFormat::Aac}, {"AC3", TRecordFormat::Ac3}, {"MP3", TRecordFormat::Mp3},
                  {"OGG", TRecordFormat::Ogg}, {"WAV", TRecordFormat::Wav}, {"WMA", TRecordFormat::Wma}};
  for (const auto& f : kFormats)
    if (text == QLatin1String(f.name)) return f.format;
  return TRecordFormat::Unknown;
}

bool RefusesSurround(TRecordFormat format) {
  return format == TRecordFormat::Ac3 || format == TRecordFormat::Mp3 || format == TRecordFormat::Ogg ||
         format == TRecordFormat::Wma;
}

QString RecordFormatDescription(const QString& text) {
  switch (RecordFormatOf(text)) {
    case TRecordFormat::Aac: return QStringLiteral("Compression au format AAC, Qualité CD , Support du 5.1.");
    case TRecordFormat::Ac3: return QStringLiteral("Compression au format AC3 Stéréo.");
    case TRecordFormat::Mp3:
      return QStringLiteral("Compatibilité de lecture maximum pour les flux mono ou stéréo.");
    case TRecordFormat::Ogg: return QStringLiteral("Meilleur rapport Compression/Qualité.");
    case TRecordFormat::Wav: return QStringLiteral("Non compressé, Sans perte de qualité , Support du 5.1.");
    case TRecordFormat::Wma: return QStringLiteral("Compression au format Windows Media Player.");
    case TRecordFormat::Unknown: break;
  }
  return QString();
}

QString EncoderProgram(TRecordFormat format) {
  switch (format) {
    case TRecordFormat::Aac: return QStringLiteral("encoder/faac");
    case TRecordFormat::Ac3: return QStringLiteral("encoder/aften");
    case TRecordFormat::Mp3: return QStringLiteral("encoder/lame");
    case TRecordFormat::Ogg: return QStringLiteral("encoder/oggenc");
    default: return QString();
  }
}

bool IsForbiddenFileChar(QChar c) {
  const char16_t u = c.unicode();
  // Control characters (C0, DEL and C1) would make a name that lists, types and
  // copies badly, or rewrites a terminal showing it.
  if (u < 0x20 || (u >= 0x7F && u <= 0x9F)) return true;
  switch (u) {
    case '"': case '*': case '/': case ':': case '<': case '>': case '?': case '\\': case '|':
      return true;
    default:
      return false;
  }
}

QString ReplaceForbiddenChars(const QString& text, const QString& replacement) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    if (IsForbiddenFileChar(c)) {
      out += replacement;
    } else {
      out += c;
    }
  }
  return out;
}

TArtistSong SplitArtistSong(const QString& title, const QString& radio) {
  TArtistSong r;
  const qsizetype dash = title.indexOf(QLatin1Char('-'));
  if (dash < 0) {
    r.Song = ReadableText(title);
  } else {
    r.Artist = ReadableText(title.left(dash));
    r.Song = ReadableText(title.mid(dash + 1));
  }
  if (r.Artist.isEmpty()) r.Artist = radio;
  return r;
}

QString SafeNameComponent(const QString& name, int maxBytes) {
  // A NUL cannot be in a file name; it is the one control character the system refuses.
  QString n = name;
  n.replace(QChar(0), QLatin1Char(' '));
  if (n.trimmed().isEmpty() || n == QLatin1String(".") || n == QLatin1String("..")) return QStringLiteral("_");
  if (Utf8Size(n) > maxBytes) {
    // Cut whole characters (a surrogate pair stays together) until the bytes fit.
    qsizetype end = n.size();
    int bytes = Utf8Size(n);
    while (end > 0 && bytes > maxBytes) {
      qsizetype start = end - 1;
      if (start > 0 && n[start].isLowSurrogate() && n[start - 1].isHighSurrogate()) --start;
      bytes -= Utf8Size(n.mid(start, end - start));
      end = start;
    }
    n.truncate(end);
    if (n.trimmed().isEmpty() || n == QLatin1String(".") || n == QLatin1String("..")) return QStringLiteral("_");
  }
  return n;
}

QString StationFolder(const QString& recordDir, const QString& radio) {
  return recordDir + QLatin1Char('/') + SafeNameComponent(ReplaceForbiddenChars(radio, QStringLiteral(" ")));
}

QString RecordBaseName(const QString& stationFolder, bool cutByTitle, const QString& title,
                       const QString& dateStamp, const QString& timeStamp, const QString& extension,
                       int recordOcc) {
  const int room = kMaxNameBytes - Utf8Size(extension) - NumberingRoom(recordOcc);
  QString name;
  if (cutByTitle) {
    name = ReplaceForbiddenChars(title, QStringLiteral(" "));
  } else {
    name = QStringLiteral("Enregistrement_") + ReplaceForbiddenChars(dateStamp, QString()) + QLatin1Char('_') +
           ReplaceForbiddenChars(timeStamp, QString());
  }
  return stationFolder + QLatin1Char('/') + SafeNameComponent(name, room);
}

QString NumberedBaseName(const QString& base, const QString& extension, int recordOcc,
                         const std::function<bool(const QString&)>& exists) {
  if (!exists(base + extension)) return base;
  int i = 1;
  QString candidate = base + QStringLiteral("(%1)").arg(i);
  while (exists(candidate + extension) && i < recordOcc) {
    ++i;
    candidate = base + QStringLiteral("(%1)").arg(i);
  }
  return candidate;
}

QString EncoderCommandLine(TRecordFormat format, const QString& artist, const QString& song,
                           const QString& file, const QString& comment) {
  const auto quoted = [](const QString& text) {
    return QLatin1Char('"') + QString::fromStdString(zengine::EncodeEscape(text.toStdString())) + QLatin1Char('"');
  };
  const QString program = EncoderProgram(format);
  switch (format) {
    case TRecordFormat::Aac:
      return program + (comment.isEmpty() ? QString() : QStringLiteral(" -c ") + quoted(comment)) +
             QStringLiteral(" -o ") + quoted(file) + QStringLiteral(" -");
    case TRecordFormat::Ac3: return program + QStringLiteral("  - ") + quoted(file);
    case TRecordFormat::Mp3:
      return program + QStringLiteral(" --ta ") + quoted(artist) + QStringLiteral(" --tt ") + quoted(song) +
             (comment.isEmpty() ? QString() : QStringLiteral(" --tc ") + quoted(comment)) +
             QStringLiteral(" -V 0 --ignorelength - ") + quoted(file);
    case TRecordFormat::Ogg:
      return program + QStringLiteral(" --artist ") + quoted(artist) + QStringLiteral(" --title ") + quoted(song) +
             (comment.isEmpty() ? QString() : QStringLiteral(" -c ") + quoted(QStringLiteral("COMMENT=") + comment)) +
             QStringLiteral(" -o ") + quoted(file) + QStringLiteral(" -");
    default: return QString();
  }
}

bool IsDirectlyInside(const QString& file, const QString& folder) {
  const QString parent = QDir::cleanPath(QFileInfo(file).absolutePath());
  return !folder.isEmpty() && parent == QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) &&
         QFileInfo(file).fileName() != QLatin1String("..") && QFileInfo(file).fileName() != QLatin1String(".");
}

bool AppendWavComment(const QString& path, const QString& comment) {
  QFile f(path);
  if (!f.open(QIODevice::ReadWrite)) return false;
  const QByteArray head = f.read(12);
  if (head.size() != 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE") return false;
  // The comment goes right after the sound (the data chunk, padded to an even size):
  // anything after it is no chunk the header counts.
  qint64 size = -1;
  for (qint64 at = 12; at + 8 <= f.size();) {
    if (!f.seek(at)) return false;
    const QByteArray chunkHead = f.read(8);
    if (chunkHead.size() != 8) return false;
    const quint32 length = quint32(quint8(chunkHead[4])) | quint32(quint8(chunkHead[5])) << 8 |
                           quint32(quint8(chunkHead[6])) << 16 | quint32(quint8(chunkHead[7])) << 24;
    const qint64 end = at + 8 + length + (length % 2);
    if (chunkHead.startsWith("data")) {
      if (end > f.size() + 1) return false;
      size = end;
      break;
    }
    at = end;
  }
  if (size < 0) return false;
  const qint64 oldSize = f.size();
  QByteArray text = comment.toUtf8();
  text.append('\0');
  const auto le32 = [](quint32 v) {
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
  };
  QByteArray info = QByteArrayLiteral("INFO") + QByteArrayLiteral("ICMT") + le32(quint32(text.size())) + text;
  if (text.size() % 2) info.append('\0');
  const QByteArray chunk = QByteArrayLiteral("LIST") + le32(quint32(info.size())) + info;
  if (size + chunk.size() - 8 > 0xFFFFFFFFLL) return false;
  if (!f.resize(size) || !f.seek(size) || f.write(chunk) != chunk.size()) {
    f.resize(oldSize);
    return false;
  }
  if (!f.seek(4) || f.write(le32(quint32(size + chunk.size() - 8))) != 4) {
    f.resize(oldSize);
    return false;
  }
  return true;
}
