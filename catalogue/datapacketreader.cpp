#include "catalogue/datapacketreader.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <unordered_map>

namespace {

// RowState bits of rows written with a change log.
constexpr int RowDeleted = 2;
constexpr int RowModified = 8;

TTableValue<TDataPacket> Fail(const QString& message) {
  TTableValue<TDataPacket> r;
  r.Error = TTableError{TTableErrorKind::BadFile, message};
  return r;
}

QByteArray DeclaredEncoding(const QByteArray& bytes) {
  if (!bytes.startsWith("<?xml")) return QByteArray();
  const qsizetype end = bytes.indexOf("?>");
  static const QRegularExpression encodingRe(QStringLiteral("encoding\\s*=\\s*[\"']([A-Za-z0-9._:-]{1,40})[\"']"));
  const auto m = encodingRe.match(QString::fromLatin1(bytes.left(end < 0 ? 200 : std::min<qsizetype>(end, 200))));
  return m.hasMatch() ? m.captured(1).toLatin1().toLower() : QByteArray();
}

bool DeclaresOtherEncoding(const QByteArray& bytes) {
  const QByteArray declared = DeclaredEncoding(bytes);
  return !declared.isEmpty() && declared != "utf-8" && declared != "utf8";
}

bool IsValidUtf8(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8.decode(bytes);  // decode() is lazy: convert to run it
  return !utf8.hasError();
}

// The document as text: the declared encoding when there is one, UTF-8 when the bytes
// are valid UTF-8, Windows-1252 otherwise. Empty optional for an unknown declared encoding.
std::optional<QString> DecodeDocument(const QByteArray& bytes, QString& encodingError) {
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    QStringDecoder utf16(QStringDecoder::Utf16);
    QString text = utf16.decode(bytes);
    if (!utf16.hasError()) return text;
    encodingError = QStringLiteral("texte UTF-16 incorrect");
    return std::nullopt;
  }
  QByteArray declared = DeclaredEncoding(bytes);
  QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
  if (declared.isEmpty() || declared == "utf-8" || declared == "utf8") {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(body);
    if (!utf8.hasError()) return text;
    // Not UTF-8 after all: files of older editors are Windows-1252.
    declared = "windows-1252";
  }
  if (declared == "iso-8859-1" || declared == "latin1" || declared == "us-ascii") declared = "windows-1252";
  QStringDecoder decoder(declared.constData());
  if (!decoder.isValid()) {
    encodingError = QStringLiteral("encodage « %1 » inconnu").arg(QString::fromLatin1(declared));
    return std::nullopt;
  }
  return decoder.decode(body);
}

class TPacketParser {
 public:
  explicit TPacketParser(const QString& text) : xml_(text) {}
  explicit TPacketParser(const QByteArray& utf8) : xml_(utf8) {}

  TTableValue<TDataPacket> Run() {
    if (!NextStart() || xml_.name() != u"DATAPACKET") return Error(QStringLiteral("élément DATAPACKET attendu"));
    bool sawMetadata = false;
    while (NextChild()) {
      if (xml_.name() == u"METADATA") {
        // One declaration of the fields: a second one would change the columns of rows
        // already read.
        if (sawMetadata) return Error(QStringLiteral("section METADATA en double"));
        if (!ReadMetadata()) return Error(message_);
        sawMetadata = true;
      } else if (xml_.name() == u"ROWDATA") {
        if (!sawMetadata) return Error(QStringLiteral("ROWDATA avant METADATA"));
        if (!ReadRows()) return Error(message_);
      } else {
        xml_.skipCurrentElement();
      }
    }
    if (xml_.hasError()) return Error(xml_.errorString());
    if (!sawMetadata) return Error(QStringLiteral("section METADATA absente"));
    // Nothing may follow the root element but comments and spaces.
    while (!xml_.atEnd()) {
      xml_.readNext();
      if (xml_.isStartElement()) return Error(QStringLiteral("contenu après DATAPACKET"));
    }
    if (xml_.hasError()) return Error(xml_.errorString());
    TTableValue<TDataPacket> r;
    r.Value = std::move(packet_);
    return r;
  }

 private:
  TTableValue<TDataPacket> Error(const QString& what) {
    return Fail(QStringLiteral("Fichier catalogue incorrect (ligne %1, colonne %2) : %3")
                    .arg(xml_.lineNumber())
                    .arg(xml_.columnNumber())
                    .arg(what));
  }

  bool NextStart() {
    while (!xml_.atEnd()) {
      xml_.readNext();
      if (xml_.isStartElement()) return true;
    }
    return false;
  }

  // The next child element of the current one; false at its end or on an error.
  bool NextChild() { return xml_.readNextStartElement(); }

  bool ReadMetadata() {
    while (NextChild()) {
      if (xml_.name() == u"FIELDS") {
        while (NextChild()) {
          if (xml_.name() != u"FIELD") {
            xml_.skipCurrentElement();
            continue;
          }
          if (!ReadField()) return false;
          xml_.skipCurrentElement();  // PARAM children of a field, if any
        }
      } else {
        xml_.skipCurrentElement();  // PARAMS and anything else
      }
    }
    if (xml_.hasError()) return Set(xml_.errorString());
    return true;
  }

  bool ReadField() {
    const QXmlStreamAttributes a = xml_.attributes();
    TFieldDef def;
    def.Name = a.value(QLatin1String("attrname")).toString();
    if (def.Name.isEmpty()) def.Name = a.value(QLatin1String("fieldname")).toString();
    if (def.Name.isEmpty()) return Set(QStringLiteral("champ sans nom"));
    for (const TFieldDef& f : packet_.Fields)
      if (f.Name == def.Name) return Set(QStringLiteral("champ « %1 » déclaré deux fois").arg(def.Name));
    if (packet_.Fields.size() >= 1000) return Set(QStringLiteral("trop de champs"));
    const QStringView type = a.value(QLatin1String("fieldtype"));
    if (type == u"i4") {
      def.Type = TFieldType::Integer;
    } else if (type == u"string" || type == u"string.uni") {
      bool ok = false;
      def.Width = a.value(QLatin1String("WIDTH")).toInt(&ok);
      if (!ok || def.Width <= 0 || def.Width > 1000000)
        return Set(QStringLiteral("largeur incorrecte pour le champ « %1 »").arg(def.Name));
      if (type == u"string.uni") def.Width = std::max(1, def.Width / 2);  // bytes of UTF-16
    } else {
      return Set(QStringLiteral("type « %1 » inconnu pour le champ « %2 »").arg(type.toString(), def.Name));
    }
    def.Required = a.value(QLatin1String("required")).compare(u"true", Qt::CaseInsensitive) == 0;
    packet_.Fields.append(def);
    return true;
  }

  bool ReadRows() {
    while (NextChild()) {
      if (xml_.name() != u"ROW") return Set(QStringLiteral("élément « %1 » inattendu dans ROWDATA").arg(xml_.name().toString()));
      TRow row(size_t(packet_.Fields.size()));
      int rowState = 0;
      int hint = 0;
      for (const QXmlStreamAttribute& attr : xml_.attributes()) {
        const QStringView name = attr.name();
        // Writers put the attributes in field order: try the next field first.
        int col = -1;
        const int fieldCount = int(packet_.Fields.size());
        for (int k = 0; k < fieldCount; ++k) {
          const int i = (hint + k) % fieldCount;
          if (packet_.Fields[i].Name == name) {
            col = i;
            hint = i + 1;
            break;
          }
        }
        if (col < 0) {
          if (name == u"RowState") {
            rowState = attr.value().toInt();
            continue;
          }
          return Set(QStringLiteral("attribut « %1 » d'une ligne non déclaré").arg(name.toString()));
        }
        const TFieldDef& f = packet_.Fields[col];
        const QStringView value = attr.value();
        if (value.isEmpty()) continue;
        if (f.Type == TFieldType::Integer) {
          bool ok = false;
          const int v = value.trimmed().toInt(&ok);
          if (!ok) return Set(QStringLiteral("valeur « %1 » non entière pour « %2 »").arg(value.left(40).toString(), f.Name));
          row[size_t(col)] = TCell{QString(), v, true};
        } else {
          const QStringView kept = CutToWidth(value, f.Width);
          if (!kept.isEmpty()) row[size_t(col)] = TCell{Intern(col, kept), 0, true};
        }
      }
      xml_.skipCurrentElement();
      if (rowState & RowDeleted) continue;
      if ((rowState & RowModified) && !packet_.Rows.empty()) {
        TRow& before = packet_.Rows.back();
        for (size_t i = 0; i < row.size(); ++i)
          if (row[i].HasValue) before[i] = std::move(row[i]);
        continue;
      }
      packet_.Rows.push_back(std::move(row));
    }
    if (xml_.hasError()) return Set(xml_.errorString());
    return true;
  }

  // Genres, countries, networks, stream types repeat across thousands of rows: rows
  // share one copy of each such text. A column stops sharing once it has shown many
  // distinct values (names, addresses), so the pool stays small.
  QString Intern(int col, QStringView value) {
    if (pools_.size() <= size_t(col)) pools_.resize(size_t(col) + 1);
    TPool& pool = pools_[size_t(col)];
    if (pool.Closed) return value.toString();
    const auto it = pool.Texts.find(value);
    if (it != pool.Texts.end()) return it->second;
    if (pool.Texts.size() >= MaxPooled) {
      pool.Closed = true;
      pool.Texts.clear();
      return value.toString();
    }
    QString text = value.toString();
    pool.Texts.emplace(QStringView(text), text);  // the key views the value's shared data
    return text;
  }

  bool Set(const QString& message) {
    if (message_.isEmpty()) message_ = message;
    return false;
  }

  struct TViewHash {
    size_t operator()(QStringView v) const { return qHash(v); }
  };
  struct TPool {
    std::unordered_map<QStringView, QString, TViewHash> Texts;
    bool Closed = false;
  };
  static constexpr size_t MaxPooled = 2048;

  QXmlStreamReader xml_;
  std::vector<TPool> pools_;
  TDataPacket packet_;
  QString message_;
};

}  // namespace

TTableValue<TDataPacket> ReadDataPacket(const QByteArray& bytes) {
  if (bytes.size() > MaxDataPacketSize)
    return Fail(QStringLiteral("Fichier catalogue trop volumineux (%1 octets).").arg(bytes.size()));
  // Most files are UTF-8: the reader decodes them itself. Only when that fails on bytes
  // that are not UTF-8 is the document decoded here (Windows-1252, declared encodings).
  const bool maybeUtf8 = !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF") &&
                         !DeclaresOtherEncoding(bytes);
  if (maybeUtf8) {
    TPacketParser parser(bytes);
    TTableValue<TDataPacket> r = parser.Run();
    if (r.Ok() || IsValidUtf8(bytes)) return r;
  }
  QString encodingError;
  const std::optional<QString> text = DecodeDocument(bytes, encodingError);
  if (!text) return Fail(QStringLiteral("Fichier catalogue incorrect : %1").arg(encodingError));
  TPacketParser parser(*text);
  return parser.Run();
}

TTableValue<TDataPacket> ReadDataPacketFile(const QString& path) {
  TTableValue<TDataPacket> r;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    r.Error = TTableError{TTableErrorKind::FileError,
                          QStringLiteral("Impossible d'ouvrir le fichier « %1 » : %2").arg(path, file.errorString())};
    return r;
  }
  if (file.size() > MaxDataPacketSize)
    return Fail(QStringLiteral("Fichier « %1 » trop volumineux (%2 octets).").arg(path).arg(file.size()));
  const QByteArray bytes = file.read(MaxDataPacketSize + 1);
  if (file.error() != QFileDevice::NoError) {
    r.Error = TTableError{TTableErrorKind::FileError,
                          QStringLiteral("Impossible de lire le fichier « %1 » : %2").arg(path, file.errorString())};
    return r;
  }
  return ReadDataPacket(bytes);
}
