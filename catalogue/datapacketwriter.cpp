#include "catalogue/datapacketwriter.h"

#include <QSaveFile>
#include <QXmlStreamWriter>

QString XmlSafeText(const QString& text) {
  auto allowed = [&](qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c < 0x20) return c == u'\t' || c == u'\n' || c == u'\r';
    if (c == 0xFFFE || c == 0xFFFF) return false;
    if (QChar::isHighSurrogate(c)) return i + 1 < text.size() && text[i + 1].isLowSurrogate();
    if (QChar::isLowSurrogate(c)) return i > 0 && text[i - 1].isHighSurrogate();
    return true;
  };
  qsizetype i = 0;
  while (i < text.size() && allowed(i)) ++i;
  if (i == text.size()) return text;  // the usual case: shared, not copied
  QString safe = text.left(i);
  for (; i < text.size(); ++i)
    if (allowed(i)) safe += text[i];
  return safe;
}

bool WriteDataPacket(QIODevice& device, const TFieldList& fields, const std::vector<TRow>& rows) {
  QXmlStreamWriter xml(&device);
  xml.setAutoFormatting(true);
  xml.setAutoFormattingIndent(1);
  xml.writeStartDocument(QStringLiteral("1.0"), true);
  xml.writeStartElement(QStringLiteral("DATAPACKET"));
  xml.writeAttribute(QStringLiteral("Version"), QStringLiteral("2.0"));
  xml.writeStartElement(QStringLiteral("METADATA"));
  xml.writeStartElement(QStringLiteral("FIELDS"));
  for (const TFieldDef& f : fields) {
    xml.writeEmptyElement(QStringLiteral("FIELD"));
    xml.writeAttribute(QStringLiteral("attrname"), f.Name);
    if (f.Type == TFieldType::Integer) {
      xml.writeAttribute(QStringLiteral("fieldtype"), QStringLiteral("i4"));
    } else {
      xml.writeAttribute(QStringLiteral("fieldtype"), QStringLiteral("string"));
      xml.writeAttribute(QStringLiteral("WIDTH"), QString::number(f.Width));
    }
    if (f.Required) xml.writeAttribute(QStringLiteral("required"), QStringLiteral("true"));
  }
  xml.writeEndElement();  // FIELDS
  xml.writeEmptyElement(QStringLiteral("PARAMS"));
  xml.writeEndElement();  // METADATA
  xml.writeStartElement(QStringLiteral("ROWDATA"));
  for (const TRow& row : rows) {
    xml.writeEmptyElement(QStringLiteral("ROW"));
    for (int i = 0; i < fields.size(); ++i) {
      const TCell& c = row[size_t(i)];
      if (!c.HasValue) continue;
      xml.writeAttribute(fields[i].Name, fields[i].Type == TFieldType::Integer ? QString::number(c.Int) : c.Text);
    }
  }
  xml.writeEndElement();  // ROWDATA
  xml.writeEndElement();  // DATAPACKET
  xml.writeEndDocument();
  return !xml.hasError();
}

TTableResult WriteDataPacketFile(const QString& path, const TFieldList& fields, const std::vector<TRow>& rows) {
  // QSaveFile writes "<path>.XXXXXX" beside the target, syncs it and renames it over the
  // target on commit; until then the old file stays whole, even if the process dies.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return TTableResult::Fail(TTableErrorKind::FileError,
                              QStringLiteral("Impossible de créer le fichier « %1 » : %2").arg(path, file.errorString()));
  if (!WriteDataPacket(file, fields, rows)) {
    // Qt leaves out a text it cannot write: never replace the file with such a copy.
    file.cancelWriting();
    return TTableResult::Fail(TTableErrorKind::FileError,
                              QStringLiteral("Impossible d'écrire le fichier « %1 » : caractère interdit.").arg(path));
  }
  if (file.error() != QFileDevice::NoError || !file.commit())
    return TTableResult::Fail(TTableErrorKind::FileError,
                              QStringLiteral("Impossible d'écrire le fichier « %1 » : %2").arg(path, file.errorString()));
  return TTableResult::Success();
}
