#include "layout.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QSaveFile>
#include <QSet>
#include <cstdio>

#include "badge.h"
#include "catalogue/catalogueschema.h"
#include "catalogue/cataloguetable.h"
#include "catalogue/datapacketwriter.h"

namespace {

const QStringList kCatalogueFiles = {QStringLiteral("radios.xml"), QStringLiteral("country.xml"),
                                     QStringLiteral("genre.xml"), QStringLiteral("network.xml")};
const QString kNoIcon = QStringLiteral("noicon.png");

void Say(const QString& message) { std::fprintf(stderr, "cataloguegen: %s\n", qPrintable(message)); }

QByteArray Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

class TWriter {
 public:
  explicit TWriter(TLayoutReport& report) : report_(report) {}

  // Writes through a temporary renamed at the end: a failed run never leaves half a
  // file where the program will look.
  bool Write(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
      return Fail(QStringLiteral("cannot create the folder of %1").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
      return Fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    ++report_.Written;
    return true;
  }

  // Removes the pictures of `folder` that are not in `keep`: a station or country
  // taken out of the catalogue takes its picture with it.
  void Prune(const QString& folder, const QSet<QString>& keep) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.png")}, QDir::Files))
      if (!keep.contains(name) && !QFile::remove(dir.filePath(name)))
        Say(QStringLiteral("cannot remove %1").arg(dir.filePath(name)));
  }

 private:
  bool Fail(const QString& message) {
    Say(message);
    report_.Ok = false;
    return false;
  }
  TLayoutReport& report_;
};

struct TSource {
  QMap<QString, QByteArray> Files;     // the four catalogue files, as they are
  QMap<QString, QByteArray> Icons;     // icon name -> PNG
  QMap<QString, QByteArray> Flags;     // flag name -> PNG, the countries' flags
  QMap<QString, QByteArray> AllFlags;  // every flag of the flags folder
  QByteArray NoIcon;
  QByteArray BlankRadios;
};

QString Field(const TCatalogueTable& table, const char* name) {
  return table.FieldText(QString::fromLatin1(name)).Value.trimmed();
}

bool ReadSource(const QString& sourceDir, const QString& flagsDir, TSource& source, TLayoutReport& report) {
  const QDir dir(sourceDir);
  // The table engine reads each file as the program will; a file it refuses is not
  // laid out at all.
  TCatalogueTable stations(CatalogueTableName(TCatalogueKind::Stations));
  TCatalogueTable countries(CatalogueTableName(TCatalogueKind::Countries));
  const struct {
    QString File;
    TCatalogueTable* Table;
  } reads[] = {{kCatalogueFiles[0], &stations},
               {kCatalogueFiles[1], &countries},
               {kCatalogueFiles[2], nullptr},
               {kCatalogueFiles[3], nullptr}};
  for (const auto& r : reads) {
    const QString path = dir.filePath(r.File);
    TCatalogueTable scratch(QStringLiteral("scratch"));
    TCatalogueTable& table = r.Table ? *r.Table : scratch;
    if (TTableResult result = table.LoadFromFile(path); !result) {
      Say(QStringLiteral("%1: %2").arg(path, result.Error->Text()));
      return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      Say(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
      return false;
    }
    source.Files.insert(r.File, file.readAll());
  }

  for (TTableResult r = stations.First(); r && !stations.Eof(); r = stations.Next()) {
    const QString radio = Field(stations, "Radio");
    const QString icon = Field(stations, "Icon");
    if (!IsBarePngName(icon)) {
      Say(QStringLiteral("station « %1 »: icon « %2 » is not a bare .png file name, no badge painted")
              .arg(radio, icon));
      ++report.Skipped;
      continue;
    }
    if (icon == kNoIcon || source.Icons.contains(icon)) continue;  // painted once
    const QString network = Field(stations, "Network");
    const QString firstGenre = Field(stations, "Genre").section(u',', 0, 0).trimmed();
    const QString colourKey = !network.isEmpty() ? network : firstGenre;
    source.Icons.insert(icon, Png(badge::Paint(badge::Initials(radio), badge::Colour(colourKey))));
  }
  source.NoIcon = Png(badge::PaintNoIcon());

  const QDir flags(flagsDir);
  for (TTableResult r = countries.First(); r && !countries.Eof(); r = countries.Next()) {
    const QString name = Field(countries, "Name");
    const QString flag = Field(countries, "Flag");
    QFile file(flags.filePath(flag));
    if (!IsBarePngName(flag) || !file.open(QIODevice::ReadOnly)) {
      Say(QStringLiteral("country « %1 »: no flag « %2 » in %3").arg(name, flag, flagsDir));
      ++report.Skipped;
      continue;
    }
    source.Flags.insert(flag, file.readAll());
  }
  for (const QString& flag : flags.entryList({QStringLiteral("*.png")}, QDir::Files)) {
    QFile file(flags.filePath(flag));
    if (!file.open(QIODevice::ReadOnly)) {
      Say(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
      return false;
    }
    source.AllFlags.insert(flag, file.readAll());
  }

  // The template's station file: the eleven fields, written by the engine's writer.
  QBuffer blank(&source.BlankRadios);
  blank.open(QIODevice::WriteOnly);
  if (!WriteDataPacket(blank, CatalogueFields(TCatalogueKind::Stations), {})) {
    Say(QStringLiteral("cannot write the empty station file"));
    return false;
  }
  return true;
}

// Writes every picture of `pictures` into `folder` and removes the others.
void WritePictures(TWriter& out, const QString& folder, const QMap<QString, QByteArray>& pictures) {
  QSet<QString> names;
  for (auto it = pictures.cbegin(); it != pictures.cend(); ++it) {
    out.Write(folder + u'/' + it.key(), it.value());
    names.insert(it.key());
  }
  out.Prune(folder, names);
}

void WriteCatalogue(TWriter& out, const QString& folder, const TSource& source, bool blank,
                    const QMap<QString, QByteArray>& flags) {
  for (const QString& name : kCatalogueFiles) {
    const bool emptyStations = blank && name == kCatalogueFiles[0];
    out.Write(folder + u'/' + name, emptyStations ? source.BlankRadios : source.Files.value(name));
  }
  QMap<QString, QByteArray> icons = blank ? QMap<QString, QByteArray>() : source.Icons;
  icons.insert(kNoIcon, source.NoIcon);
  WritePictures(out, folder + QStringLiteral("/icones"), icons);
  WritePictures(out, folder + QStringLiteral("/drapeaux"), flags);
}

}  // namespace

bool IsBarePngName(const QString& name) {
  return name.size() > 4 && name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) && !name.startsWith(u'.') &&
         !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}

TLayoutReport LayCatalogue(const QString& sourceDir, const QString& flagsDir, const QString& programDir) {
  TLayoutReport report;
  TSource source;
  if (!ReadSource(sourceDir, flagsDir, source, report)) {
    report.Ok = false;
    return report;
  }
  const QDir program(programDir);
  TWriter out(report);
  WriteCatalogue(out, program.filePath(QStringLiteral("server/catalogue")), source, false, source.Flags);
  WriteCatalogue(out, program.filePath(QStringLiteral("base")), source, false, source.Flags);
  // The tuner's drapeaux/ is where the country editor's flag chooser starts: all flags.
  QMap<QString, QByteArray> allFlags = source.AllFlags;
  allFlags.insert(source.Flags);
  WriteCatalogue(out, program.filePath(QStringLiteral("tuner")), source, false, allFlags);
  WriteCatalogue(out, program.filePath(QStringLiteral("tuner/blank")), source, true, source.Flags);
  return report;
}
