// Naming of recorded files, without a window: the artist/song split, forbidden
// characters, station folders and base names (the documented examples), numbering, path
// safety of hostile names, the encoder command lines, and the recording page's handlers.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "recording/recordnaming.h"
#include "recording/recordpage.h"
#include "mediaprobe.h"

namespace {

TEST(RecordNaming, ArtistAndSongFromTheTitle) {
  struct Case {
    const char* name;
    const char* title;
    const char* artist;
    const char* song;
  } cases[] = {
      {"plain", "AC/DC - T.N.T.", "AC/DC", "T.N.T."},
      {"no dash: the station is the artist", "Titre non disponible", "Radio X", "Titre non disponible"},
      {"leading dash: empty artist", "- Solo", "Radio X", "Solo"},
      {"first dash only", "A-ha - Take On Me", "A", "ha - Take On Me"},
      {"controls trimmed", "\t Artist \x01- Song \r\n", "Artist", "Song"},
      {"empty title", "", "Radio X", ""},
      {"controls inside become spaces", "Artist\x07 - Song\nNew\rLine\x1b[31m", "Artist", "Song New Line [31m"},
  };
  for (const Case& c : cases) {
    const TArtistSong s = SplitArtistSong(QString::fromUtf8(c.title), QStringLiteral("Radio X"));
    EXPECT_EQ(s.Artist, QString::fromUtf8(c.artist)) << c.name;
    EXPECT_EQ(s.Song, QString::fromUtf8(c.song)) << c.name;
  }
}

TEST(RecordNaming, ForbiddenCharacters) {
  EXPECT_EQ(ReplaceForbiddenChars(QStringLiteral("a\"b*c/d:e<f>g?h\\i|j"), QStringLiteral(" ")),
            QStringLiteral("a b c d e f g h i j"));
  EXPECT_EQ(ReplaceForbiddenChars(QStringLiteral("2024/03/07 "), QString()), QStringLiteral("20240307 "));
  EXPECT_EQ(ReplaceForbiddenChars(QStringLiteral("x:y"), QStringLiteral("__")), QStringLiteral("x__y"));
  EXPECT_EQ(ReplaceForbiddenChars(QString(), QStringLiteral(" ")), QString());
  EXPECT_EQ(ReplaceForbiddenChars(QString::fromUtf8("Café №5 ♫"), QString()), QString::fromUtf8("Café №5 ♫"));
  // Control characters (C0, DEL, C1) are forbidden like the nine.
  EXPECT_EQ(ReplaceForbiddenChars(QString::fromUtf8("a\x01" "b\tc\x7f\u0085" "d\u00a0" "e"), QStringLiteral(" ")),
            QString::fromUtf8("a b c  d\u00a0e"));
  // A hostile stream title as the recorder names its file: no control character left.
  const QString title = QString::fromUtf8("Artist\x07 - Song\nNew\rLine\x1b[31m");
  const QString base = RecordBaseName(QStringLiteral("/rec/R"), true, title, {}, {}, ".mp3", 20);
  EXPECT_EQ(base, QString::fromUtf8("/rec/R/Artist  - Song New Line [31m"));
}

TEST(RecordNaming, TheDocumentedExamples) {
  const QString folder = StationFolder(QStringLiteral("/rec"), QString::fromUtf8("Jazz: Live?"));
  EXPECT_EQ(folder, QString::fromUtf8("/rec/Jazz  Live "));
  EXPECT_EQ(RecordBaseName(folder, true, QStringLiteral("AC/DC - T.N.T."), {}, {}, ".mp3", 20) + ".mp3",
            QString::fromUtf8("/rec/Jazz  Live /AC DC - T.N.T..mp3"));
  EXPECT_EQ(RecordBaseName("/rec/R", false, "ignored", "2024/03/07 ", "21:05:09 ", ".ogg", 20),
            QStringLiteral("/rec/R/Enregistrement_20240307 _210509 "));
  // No metadata yet: both stamps are empty.
  EXPECT_EQ(RecordBaseName("/rec/R", false, "x", {}, {}, ".ogg", 20), QStringLiteral("/rec/R/Enregistrement__"));
}

TEST(RecordNaming, HostileNamesStayOneSafeComponent) {
  const QString longName = QString(300, QChar(0x00E9));       // 600 bytes in UTF-8
  const QString longEmoji = QString::fromUtf8("😀").repeated(100);  // 4 bytes each
  struct Case {
    const char* name;
    QString radio;
    QString title;
  } cases[] = {
      {"dot", ".", "."},
      {"dot dot", "..", ".."},
      {"only forbidden", "/:?*", "\\|<>"},
      {"only spaces", "   ", "   "},
      {"empty", "", ""},
      {"traversal", "../../etc", "../../../tmp/x"},
      {"too long", longName, longName},
      {"too long, surrogates", longEmoji, longEmoji},
  };
  for (const Case& c : cases) {
    const QString folder = StationFolder(QStringLiteral("/rec"), c.radio);
    const QString station = folder.mid(5);
    EXPECT_FALSE(station.isEmpty()) << c.name;
    EXPECT_NE(station, ".") << c.name;
    EXPECT_NE(station, "..") << c.name;
    EXPECT_FALSE(station.contains('/')) << c.name;
    EXPECT_LE(station.toUtf8().size(), kMaxNameBytes) << c.name;
    EXPECT_FALSE(station.trimmed().isEmpty()) << c.name;
    for (const char* ext : {".mp3", ".wav"}) {
      const QString base = RecordBaseName(folder, true, c.title, {}, {}, ext, 100);
      // The largest numbered name still fits.
      const QString file = base + "(100)" + ext;
      EXPECT_TRUE(IsDirectlyInside(file, folder)) << c.name << " " << qPrintable(file);
      const QString component = file.mid(folder.size() + 1);
      EXPECT_LE(component.toUtf8().size(), kMaxNameBytes) << c.name;
      EXPECT_FALSE(base.mid(folder.size() + 1).trimmed().isEmpty()) << c.name;
      // Cut at a character boundary: the name survives a round trip through UTF-8.
      EXPECT_EQ(QString::fromUtf8(component.toUtf8()), component) << c.name;
      EXPECT_FALSE(component.contains(QChar(0xFFFD))) << c.name;
    }
  }
  EXPECT_EQ(SafeNameComponent("."), "_");
  EXPECT_EQ(SafeNameComponent("  "), "_");
  EXPECT_EQ(SafeNameComponent(" a "), " a ");
  EXPECT_FALSE(IsDirectlyInside("/rec/R/../x.mp3", "/rec/R"));
  EXPECT_FALSE(IsDirectlyInside("/rec/R/sub/x.mp3", "/rec/R"));
  EXPECT_TRUE(IsDirectlyInside("/rec/R/x.mp3", "/rec/R"));
}

TEST(RecordNaming, NumberingUpToRecordOcc) {
  struct Case {
    const char* name;
    QStringList present;
    int occ;
    const char* expected;
  } cases[] = {
      {"free", {}, 20, "X"},
      {"taken once", {"X.ogg"}, 20, "X(1)"},
      {"taken twice", {"X.ogg", "X(1).ogg"}, 20, "X(2)"},
      {"hole reused", {"X.ogg", "X(2).ogg"}, 20, "X(1)"},
      {"all taken: the last is overwritten", {"X.ogg", "X(1).ogg", "X(2).ogg", "X(3).ogg", "X(4).ogg", "X(5).ogg"}, 5,
       "X(5)"},
      {"occ 1", {"X.ogg", "X(1).ogg"}, 1, "X(1)"},
      {"occ 0", {"X.ogg", "X(1).ogg"}, 0, "X(1)"},
      {"other extension does not count", {"X.mp3"}, 20, "X"},
  };
  for (const Case& c : cases) {
    const QSet<QString> files(c.present.begin(), c.present.end());
    EXPECT_EQ(NumberedBaseName("X", ".ogg", c.occ, [&](const QString& p) { return files.contains(p); }),
              QString::fromUtf8(c.expected))
        << c.name;
  }
}

TEST(RecordNaming, EncoderCommandLines) {
  const QString file = QStringLiteral("/rec/R/A - B.mp3");
  EXPECT_EQ(EncoderCommandLine(TRecordFormat::Aac, "A", "B", "/r/f.aac"), R"(encoder/faac -o "/r/f.aac" -)");
  EXPECT_EQ(EncoderCommandLine(TRecordFormat::Ac3, "A", "B", "/r/f.ac3"), R"(encoder/aften  - "/r/f.ac3")");
  EXPECT_EQ(EncoderCommandLine(TRecordFormat::Mp3, "AC/DC", "T.N.T.", file),
            R"(encoder/lame --ta "AC/DC" --tt "T.N.T." -V 0 --ignorelength - "/rec/R/A - B.mp3")");
  EXPECT_EQ(EncoderCommandLine(TRecordFormat::Ogg, "A", "B", "/r/f.ogg"),
            R"(encoder/oggenc --artist "A" --title "B" -o "/r/f.ogg" -)");
  // A quote in a title cannot end its word.
  EXPECT_EQ(EncoderCommandLine(TRecordFormat::Mp3, R"(x" --tc "y)", R"(a\b)", "/f"),
            R"(encoder/lame --ta "x\" --tc \"y" --tt "a\\b" -V 0 --ignorelength - "/f")");
  EXPECT_TRUE(EncoderCommandLine(TRecordFormat::Wav, "A", "B", "/f").isEmpty());
  EXPECT_TRUE(EncoderCommandLine(TRecordFormat::Wma, "A", "B", "/f").isEmpty());
}

TEST(RecordNaming, FormatsAndTheirRules) {
  struct Case {
    const char* text;
    TRecordFormat format;
    bool refuses51;
  } cases[] = {{"AAC", TRecordFormat::Aac, false}, {"AC3", TRecordFormat::Ac3, true},
               {"MP3", TRecordFormat::Mp3, true},  {"OGG", TRecordFormat::Ogg, true},
               {"WAV", TRecordFormat::Wav, false}, {"WMA", TRecordFormat::Wma, true},
               {"mp3", TRecordFormat::Unknown, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(RecordFormatOf(c.text), c.format) << c.text;
    EXPECT_EQ(RefusesSurround(c.format), c.refuses51) << c.text;
    EXPECT_EQ(RecordFormatDescription(c.text).isEmpty(), c.format == TRecordFormat::Unknown) << c.text;
  }
}

TEST(RecordPage, Handlers) {
  TSettings settings;
  settings.RecordDir = "/rec";
  settings.RecordOcc = 20;
  settings.RecordEncoder = "MP3";
  TRecordPage page;
  page.Load(settings, "/nonexistent/");
  EXPECT_EQ(page.Encoders, QStringList({"WAV", "WMA"}));  // no encoder program there
  EXPECT_FALSE(page.cbRecordOccEnabled);
  EXPECT_EQ(page.Label19, QString::fromUtf8("Compatibilité de lecture maximum pour les flux mono ou stéréo."));
  EXPECT_EQ(page.cbRecordOccText, "20");

  page.cbCutByTitleClick(true);
  EXPECT_TRUE(page.cbCutByTitle);
  EXPECT_TRUE(page.cbRecordOccEnabled);

  page.cbRecordOccChange("50");
  EXPECT_EQ(settings.RecordOcc, 50);  // the settings record changes at once
  page.cbRecordOccChange("7");
  EXPECT_EQ(settings.RecordOcc, 50);

  page.cbEncoderChange("AAC");
  EXPECT_EQ(page.Label19, QString::fromUtf8("Compression au format AAC, Qualité CD , Support du 5.1."));
  page.cbEncoderChange("FLAC");
  EXPECT_EQ(page.Label19, QString::fromUtf8("Compression au format AAC, Qualité CD , Support du 5.1."));

  QString askedTitle;
  int askedFlags = 0;
  page.btnSelectDirClick([&](const QString& title, int flags) {
    askedTitle = title;
    askedFlags = flags;
    return QString();
  });
  EXPECT_EQ(page.edRecordDir, "/rec");  // cancelled: unchanged
  EXPECT_EQ(askedTitle, QString::fromUtf8("Sélectionnez un répertoire où stocker vos enregistrements"));
  EXPECT_EQ(askedFlags, 0x41);
  page.btnSelectDirClick([](const QString&, int) { return QStringLiteral("/elsewhere"); });
  EXPECT_EQ(page.edRecordDir, "/elsewhere");
}

TEST(RecordPage, OffersTheFormatsWhoseProgramIsInTheProgramFolder) {
  const QStringList all = TRecordPage::AvailableEncoders(QStringLiteral(ZOVALIS_PROGRAM_DIR "/"));
  EXPECT_EQ(all, QStringList({"AAC", "AC3", "MP3", "OGG", "WAV", "WMA"}));
}

// A WAV file gets its comment after the sound, read back by ffprobe, the sound unchanged;
// trailing bytes the header does not count go; a file that is not a WAV is left alone.
TEST(RecordNaming, AWavFileTakesACommentAfterItsSound) {
  QTemporaryDir dir;
  const auto wav = [](quint32 frames, const QByteArray& tail) {
    const auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    const auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    const QByteArray data(int(frames * 4), '\x10');
    QByteArray fmt = le16(1) + le16(2) + le32(44100) + le32(44100 * 4) + le16(4) + le16(16);
    QByteArray body = QByteArrayLiteral("WAVE") + "fmt " + le32(16) + fmt + "data" + le32(frames * 4) + data;
    return QByteArrayLiteral("RIFF") + le32(quint32(body.size())) + body + tail;
  };
  const struct {
    const char* name;
    QByteArray bytes;
    bool ok;
  } cases[] = {
      {"a whole WAV", wav(44100, {}), true},
      {"a partial frame after the sound", wav(44100, QByteArray("\x01\x02\x03", 3)), true},
      {"not a WAV", QByteArray("ID3\x04 not a wave file at all, really"), false},
  };
  const QString comment = QString::fromUtf8("Début du titre manquant : enregistré à partir des 15 dernières minutes");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(QString::fromUtf8(c.name) + ".wav");
    {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(c.bytes);
    }
    EXPECT_EQ(AppendWavComment(path, comment), c.ok);
    if (!c.ok) {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::ReadOnly));
      EXPECT_EQ(f.readAll(), c.bytes);
      continue;
    }
    const ztest::MediaInfo info = ztest::Probe(path.toStdString());
    ASSERT_TRUE(info.ok) << info.raw;
    EXPECT_NEAR(info.duration, 1.0, 0.001) << info.raw;
    EXPECT_EQ(info.tags.count("comment") ? info.tags.at("comment") : "", comment.toStdString()) << info.raw;
  }
}

}  // namespace
