// The readers against mutagen and the engine measurements against ffprobe, over the files
// that makefiles.py generates: ID3v2.3 and 2.4 in every encoding with COMM, TXXX and APIC
// frames, ID3v1, APEv2, Vorbis comments, ASF attributes, untagged WAV and AAC.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonObject>

#include "generatedfiles.h"
#include "tags/songinfo.h"
#include "testengine.h"

namespace {

const char* const kTagFields[] = {"Title", "Artist", "Album", "Track", "Year", "Genre", "Comment"};

QString Field(const TSongInfo& info, const QString& name) {
  if (name == "Title") return info.Title;
  if (name == "Artist") return info.Artist;
  if (name == "Album") return info.Album;
  if (name == "Track") return info.Track;
  if (name == "Year") return info.Year;
  if (name == "Genre") return info.Genre;
  return info.Comment;
}

TEST(TagOracle, TagsAgreeWithMutagen) {
  const QDir dir(generatedfiles::Folder());
  const QJsonArray manifest = generatedfiles::Manifest();
  TSongInfo info;
  for (const QJsonValue& entry : manifest) {
    const QJsonObject file = entry.toObject();
    SCOPED_TRACE(file["file"].toString().toStdString());
    info.ReadSongInfo(dir.filePath(file["file"].toString()), false, false);
    EXPECT_EQ(info.HasTag, file["hasTag"].toBool());
    const QJsonObject expect = file["expect"].toObject();
    for (const char* name : kTagFields) {
      EXPECT_EQ(Field(info, name), expect[name].toString()) << name;
    }
    if (file["file"].toString().endsWith(".mp3", Qt::CaseInsensitive)) {
      EXPECT_EQ(info.BitRate, QString::number(file["bitRate"].toInt()));
    }
  }
}

TEST(TagOracle, MeasurementsAgreeWithFfprobe) {
  ASSERT_TRUE(StartTestEngine()) << zengine::ErrorGetCode();
  const QDir dir(generatedfiles::Folder());
  const QJsonArray manifest = generatedfiles::Manifest();
  ASSERT_FALSE(manifest.isEmpty());
  const zengine::Handle probe =
      zengine::StreamCreateFile(QFile::encodeName(dir.filePath(manifest[0].toObject()["file"].toString())).toStdString());
  if (probe == 0) GTEST_SKIP() << "the engine's file streams cannot open a valid MP3 (error " << zengine::ErrorGetCode() << ")";
  zengine::StreamFree(probe);

  const QMap<QString, QString> types = {{".mp3", "MP3"}, {".ogg", "OGG"}, {".wma", "WMA"},
                                        {".wav", "PCM"}, {".aac", "AAC"}};
  TSongInfo info;
  for (const QJsonValue& entry : manifest) {
    const QJsonObject file = entry.toObject();
    const QString name = file["file"].toString();
    SCOPED_TRACE(name.toStdString());
    info.ReadSongInfo(dir.filePath(name), true, false);
    EXPECT_EQ(info.SampleRate, QString::number(file["sampleRate"].toInt()));
    EXPECT_EQ(info.Channels, file["channels"].toInt() == 1 ? "Mono" : "Stereo");
    EXPECT_NEAR(info.LengthSeconds, file["duration"].toDouble(), 0.1);
    EXPECT_EQ(info.Duration, TSongInfo::DurationText(file["duration"].toDouble()));
    const QString ext = TSongInfo::Extension(name).toLower();
    if (types.contains(ext)) {
      EXPECT_EQ(info.StreamType, types[ext]);
    }
    if (ext == ".wav" || ext == ".aac") {
      // Size-based: the file's kbit/s lowered to an even number.
      const double kbps = QFileInfo(dir.filePath(name)).size() / (double(info.LengthSeconds) * 125.0);
      const int r = int(kbps + 0.5);
      EXPECT_EQ(info.BitRate, QString::number(r - r % 2));
    }
  }
}

}  // namespace
