// The catalogue delivered in the program folder (laid out by cataloguegen from
// data/catalogue/): each catalogue folder read with the table engine, every station
// checked against the reference tables and its pictures, and the update descriptor
// that points at the server's copy.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>
#include <functional>
#include <map>

#include "catalogue/catalogueschema.h"
#include "catalogue/cataloguetable.h"
#include "catalogue/textcompare.h"

namespace {

struct TFolderCase {
  const char* Folder;  // inside the program folder
  bool Blank;          // the empty template: no station
};

std::ostream& operator<<(std::ostream& os, const TFolderCase& c) { return os << c.Folder; }

QString ProgramPath(const QString& relative) { return QStringLiteral(ZOVALIS_PROGRAM_DIR "/") + relative; }

// Calls `visit` on each row of `table` in the table's order; returns how many.
int ForEachRow(TCatalogueTable& table, const std::function<void()>& visit) {
  int n = 0;
  for (TTableResult r = table.First(); r.Ok() && !table.Eof(); r = table.Next()) {
    visit();
    ++n;
  }
  return n;
}

QString Text(const TCatalogueTable& table, const char* field) {
  return table.FieldText(QString::fromLatin1(field)).Value;
}

bool IsWebAddress(const QString& text) {
  const QUrl url(text, QUrl::StrictMode);
  return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") && !url.host().isEmpty();
}

bool IsBareName(const QString& name) {
  return !name.isEmpty() && QFileInfo(name).fileName() == name && !name.startsWith(u'.') && !name.contains(u'\\');
}

class DeliveredCatalogue : public ::testing::TestWithParam<TFolderCase> {
 protected:
  QString Folder() const { return ProgramPath(QString::fromLatin1(GetParam().Folder)); }
  QString File(const QString& name) const { return Folder() + u'/' + name; }

  // Loads a catalogue file of this folder with the engine and checks its field list.
  void Load(TCatalogueTable& table, TCatalogueKind kind) {
    const QString path = File(CatalogueFileName(kind));
    const TTableResult r = table.LoadFromFile(path);
    ASSERT_TRUE(r.Ok()) << qPrintable(path) << ": " << qPrintable(r.Error->Text());
    const TFieldList expected = CatalogueFields(kind);
    ASSERT_EQ(table.FieldCount(), expected.size()) << qPrintable(path);
    for (int i = 0; i < expected.size(); ++i) {
      const TFieldDef& f = table.Fields()[i];
      EXPECT_EQ(f.Name, expected[i].Name) << qPrintable(path);
      EXPECT_EQ(f.Type, expected[i].Type) << qPrintable(f.Name);
      EXPECT_EQ(f.Width, expected[i].Width) << qPrintable(f.Name);
      EXPECT_EQ(f.Required, expected[i].Required) << qPrintable(f.Name);
    }
  }

  // The Name column of a reference table, checked: present where required, unique, and
  // in the order the engine sorts reference tables by.
  QSet<QString> Names(TCatalogueKind kind, TCatalogueTable& table) {
    Load(table, kind);
    QSet<QString> names;
    QString previous;
    ForEachRow(table, [&] {
      const QString name = Text(table, "Name");
      EXPECT_FALSE(name.trimmed().isEmpty()) << "row without a name in " << qPrintable(CatalogueFileName(kind));
      EXPECT_FALSE(names.contains(name)) << "twice: " << qPrintable(name);
      EXPECT_LE(CollateText(previous, name, false), 0) << qPrintable(previous) << " before " << qPrintable(name);
      names.insert(name);
      previous = name;
    });
    return names;
  }
};

TEST_P(DeliveredCatalogue, ReferenceTablesAndFlags) {
  TCatalogueTable countries(CatalogueTableName(TCatalogueKind::Countries));
  TCatalogueTable genres(CatalogueTableName(TCatalogueKind::Genres));
  TCatalogueTable networks(CatalogueTableName(TCatalogueKind::Networks));
  const QSet<QString> countryNames = Names(TCatalogueKind::Countries, countries);
  const QSet<QString> genreNames = Names(TCatalogueKind::Genres, genres);
  const QSet<QString> networkNames = Names(TCatalogueKind::Networks, networks);
  EXPECT_GE(countryNames.size(), 25);
  EXPECT_GE(genreNames.size(), 15);
  EXPECT_TRUE(networkNames.contains(QStringLiteral("Radio France")));
  // Genre names are joined by "," in a station's Genre field.
  for (const QString& g : genreNames) EXPECT_FALSE(g.contains(u',')) << qPrintable(g);

  // A flag is the country's ISO 3166 code in lower case, and its picture is here.
  static const QRegularExpression isoFlag(QStringLiteral("^[a-z]{2}\\.png$"));
  ForEachRow(countries, [&] {
    const QString flag = Text(countries, "Flag");
    EXPECT_TRUE(isoFlag.match(flag).hasMatch()) << qPrintable(Text(countries, "Name")) << ": " << qPrintable(flag);
    const QImage picture(File(QStringLiteral("drapeaux/") + flag));
    EXPECT_FALSE(picture.isNull()) << "no flag picture " << qPrintable(flag);
  });
}

TEST_P(DeliveredCatalogue, EveryStationIsComplete) {
  TCatalogueTable countries(CatalogueTableName(TCatalogueKind::Countries));
  TCatalogueTable genres(CatalogueTableName(TCatalogueKind::Genres));
  TCatalogueTable networks(CatalogueTableName(TCatalogueKind::Networks));
  const QSet<QString> countryNames = Names(TCatalogueKind::Countries, countries);
  const QSet<QString> genreNames = Names(TCatalogueKind::Genres, genres);
  const QSet<QString> networkNames = Names(TCatalogueKind::Networks, networks);

  TCatalogueTable stations(CatalogueTableName(TCatalogueKind::Stations));
  Load(stations, TCatalogueKind::Stations);
  if (HasFatalFailure()) return;
  EXPECT_FALSE(QImage(File(QStringLiteral("icones/noicon.png"))).isNull());
  if (GetParam().Blank) {
    EXPECT_EQ(stations.FieldCount(), 11);
    EXPECT_EQ(stations.RecordCount(), 0);
    return;
  }

  static const QSet<QString> streamTypes = {"MP3", "AAC", "OGG", "OPUS", "FLAC"};
  static const QSet<int> sampleRates = {22050, 24000, 32000, 44100, 48000};
  QSet<QString> names;
  std::map<QString, int> perType;
  std::map<QString, QString> networkOf;
  const int visited = ForEachRow(stations, [&] {
    const QString radio = Text(stations, "Radio");
    const QByteArray where = radio.toUtf8();
    EXPECT_FALSE(radio.trimmed().isEmpty());
    EXPECT_FALSE(names.contains(radio)) << "twice: " << where.constData();
    names.insert(radio);

    const QString url = Text(stations, "Url");
    EXPECT_TRUE(IsWebAddress(url)) << where.constData() << ": " << qPrintable(url);
    // The player reads continuous streams, not segmented HLS playlists.
    EXPECT_FALSE(QUrl(url).path().endsWith(QStringLiteral(".m3u8"), Qt::CaseInsensitive)) << where.constData();
    const QString web = Text(stations, "Web");
    EXPECT_TRUE(web.isEmpty() || IsWebAddress(web)) << where.constData() << ": " << qPrintable(web);

    const QString genre = Text(stations, "Genre");
    EXPECT_FALSE(genre.isEmpty()) << where.constData();
    for (const QString& g : genre.split(u','))
      EXPECT_TRUE(genreNames.contains(g)) << where.constData() << ": unknown genre \"" << qPrintable(g) << '"';
    const QString country = Text(stations, "Country");
    EXPECT_TRUE(countryNames.contains(country)) << where.constData() << ": unknown country " << qPrintable(country);
    const QString network = Text(stations, "Network");
    EXPECT_TRUE(network.isEmpty() || networkNames.contains(network))
        << where.constData() << ": unknown network " << qPrintable(network);
    networkOf[radio] = network;

    const QString icon = Text(stations, "Icon");
    EXPECT_TRUE(IsBareName(icon) && icon.endsWith(QStringLiteral(".png")))
        << where.constData() << ": " << qPrintable(icon);
    const QImage badge(File(QStringLiteral("icones/") + icon));
    EXPECT_EQ(badge.size(), QSize(96, 96)) << where.constData() << ": " << qPrintable(icon);

    const QString type = Text(stations, "StreamType");
    EXPECT_TRUE(streamTypes.contains(type)) << where.constData() << ": " << qPrintable(type);
    ++perType[type];
    const int bitRate = stations.FieldInt(QStringLiteral("BitRate")).Value;
    EXPECT_TRUE(bitRate >= 16 && bitRate <= 1411) << where.constData() << ": " << bitRate;
    EXPECT_TRUE(sampleRates.contains(stations.FieldInt(QStringLiteral("SampleRate")).Value)) << where.constData();
    const QString channels = Text(stations, "Channels");
    EXPECT_TRUE(channels == u"Stereo" || channels == u"Mono") << where.constData() << ": " << qPrintable(channels);
  });

  EXPECT_EQ(visited, stations.RecordCount());
  EXPECT_GE(visited, 120);
  for (const char* type : {"MP3", "AAC", "OGG"}) EXPECT_GT(perType[QString::fromLatin1(type)], 0) << type;
  // The program's default network filter shows Radio France's national stations.
  for (const char* national : {"France Inter", "franceinfo", "France Culture", "France Musique", "FIP", "Mouv'"})
    EXPECT_EQ(networkOf[QString::fromUtf8(national)], QStringLiteral("Radio France")) << national;
}

// The engine cuts a text to its field's width when it reads a file: a value written
// longer (an address, say) would load without a word and no longer work.
TEST_P(DeliveredCatalogue, ValuesFitTheirFields) {
  for (const QString& name : {QStringLiteral("radios.xml"), QStringLiteral("country.xml"), QStringLiteral("genre.xml"),
                              QStringLiteral("network.xml")}) {
    QFile file(File(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(file.fileName());
    QXmlStreamReader xml(&file);
    QHash<QString, int> widths;
    int rows = 0;
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement) continue;
      const QXmlStreamAttributes a = xml.attributes();
      if (xml.name() == u"FIELD" && a.value(QStringLiteral("fieldtype")) == u"string") {
        widths.insert(a.value(QStringLiteral("attrname")).toString(), a.value(QStringLiteral("WIDTH")).toInt());
      } else if (xml.name() == u"ROW") {
        ++rows;
        for (const QXmlStreamAttribute& attr : a) {
          const QString field = attr.name().toString();
          if (widths.contains(field)) {
            EXPECT_LE(attr.value().size(), widths.value(field))
                << qPrintable(name) << " row " << rows << ": " << qPrintable(field);
          }
        }
      }
    }
    EXPECT_FALSE(xml.hasError()) << qPrintable(name) << ": " << qPrintable(xml.errorString());
  }
}

INSTANTIATE_TEST_SUITE_P(Folders, DeliveredCatalogue,
                         ::testing::Values(TFolderCase{"server/catalogue", false}, TFolderCase{"base", false},
                                           TFolderCase{"tuner", false}, TFolderCase{"tuner/blank", true}),
                         [](const ::testing::TestParamInfo<TFolderCase>& info) {
                           QString name = QString::fromLatin1(info.param.Folder);
                           name.replace(u'/', u'_');
                           return name.toStdString();
                         });

// The country editor's flag chooser starts in tuner/drapeaux/: every flag is there.
TEST(DeliveredCatalogueFolders, TunerHoldsEveryFlag) {
  const QStringList flags =
      QDir(ProgramPath(QStringLiteral("tuner/drapeaux"))).entryList({QStringLiteral("*.png")}, QDir::Files);
  EXPECT_GE(flags.size(), 200);
  for (const char* code : {"fr.png", "de.png", "us.png", "jp.png", "br.png"})
    EXPECT_TRUE(flags.contains(QString::fromLatin1(code))) << code;
}

// server/version.xml: the update descriptor, whose catalogue address is relative to
// the server's base address and leads to the server's catalogue folder.
TEST(DeliveredCatalogueFolders, UpdateDescriptorNamesTheServerCatalogue) {
  QFile file(ProgramPath(QStringLiteral("server/version.xml")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QHash<QString, QString> values;
  QString open;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      open = xml.name().toString();
    } else if (xml.isCharacters() && !xml.isWhitespace()) {
      values[open] = xml.text().toString();
    }
  }
  ASSERT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
  EXPECT_EQ(values.value("Major"), "2");
  EXPECT_EQ(values.value("Minor"), "1");
  EXPECT_EQ(values.value("Release"), "1");
  EXPECT_TRUE(IsWebAddress(values.value("DownloadUrl")));
  const QString catalogue = values.value("Catalogue");
  ASSERT_FALSE(catalogue.isEmpty());
  const QUrl server = QUrl::fromLocalFile(ProgramPath(QStringLiteral("server/")));
  const QString folder = server.resolved(QUrl(catalogue)).toLocalFile();
  EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("radios.xml"))) << qPrintable(folder);
}

}  // namespace
