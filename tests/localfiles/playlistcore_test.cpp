// The playlist without a window: rows from song information, M3U reading and writing,
// the model's moves and the playing row, and the seek and time maths.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>

#include "audiofiles.h"
#include "localfiles/fileplayer.h"
#include "localfiles/m3ufile.h"
#include "localfiles/playlistmodel.h"
#include "localfiles/playlistrow.h"
#include "tags/songinfo.h"

namespace {

TPlaylistRow PathRow(const QString& path) {
  TPlaylistRow row;
  row.FileName = path;
  return row;
}

TEST(PlaylistRowTest, ArtistAndTitleFromTagsOrFromTheFileName) {
  struct Case {
    const char* name;
    TSongInfo info;
    const char* artist;
    const char* title;
  };
  TSongInfo tagged;
  tagged.Artist = "Groupe";
  tagged.Title = "Chanson";
  TSongInfo blankTitle;
  blankTitle.Artist = "Groupe";
  blankTitle.Title = " \t\x01";
  const Case cases[] = {
      {"/m/Artist - Song.mp3", {}, "Artist ", " Song"},  // spaces around the dash kept
      {"/m/Song.wav", {}, "", "Song"},
      {"/m/a-b-c.ogg", {}, "a", "b-c"},                // the first dash only
      {"/m.d/NoExt", {}, "", "NoExt"},                 // a dot in a folder is no extension
      {"/m/Été - Noël.flac", {}, "Été ", " Noël"},
      {"/m/x - y.mp3", tagged, "Groupe", "Chanson"},
      {"/m/x - y.mp3", blankTitle, "x ", " y"},        // a blank title is no title
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TPlaylistRow row = RowFromSongInfo(QString::fromUtf8(c.name), c.info);
    EXPECT_EQ(row.Artist, QString::fromUtf8(c.artist));
    EXPECT_EQ(row.Title, QString::fromUtf8(c.title));
    EXPECT_EQ(row.FileName, QString::fromUtf8(c.name));
  }
  EXPECT_TRUE(PathRow("/cd/Track01.cda").IsCdTrack());
  EXPECT_FALSE(PathRow("/cd/Track01.CDA").IsCdTrack());
  EXPECT_TRUE(PathRow("HTTPS://radio.example/x").IsStream());
}

TEST(M3UTest, EntriesOfPlainAndExtendedLists) {
  const QByteArray list =
      "\xEF\xBB\xBF#EXTM3U\r\n"
      "#EXTINF:123,A - B\r\n"
      "/music/a.mp3\r\n"
      "\r\n"
      "relative/b.ogg\n"
      "../up.wav\n"
      "http://127.0.0.1:8000/live\n"
      "file:///music/%C3%A9t%C3%A9.mp3\n"
      "file://localhost/music/local%20host.mp3\n"
      "FILE://LocalHost/music/upper.mp3\n"
      "file://server/share/remote.mp3\n"    // another machine's share: skipped
      "/music/\xC3\xA9t\xC3\xA9 2.mp3\n"   // UTF-8
      "/music/caf\xE9.mp3\n"               // Windows-1252
      ":x/../:sons.mp3\n"                   // a file name, not one of the program's resources
      "/music/last.mp3";                   // no line end
  const QStringList expected = {"/music/a.mp3",
                                "/lists/relative/b.ogg",
                                "/up.wav",
                                "http://127.0.0.1:8000/live",
                                "/music/été.mp3",
                                "/music/local host.mp3",
                                "/music/upper.mp3",
                                "/music/été 2.mp3",
                                "/music/café.mp3",
                                "/lists/:sons.mp3",
                                "/music/last.mp3"};
  EXPECT_EQ(ParseM3U(list, "/lists"), expected);
  EXPECT_TRUE(ParseM3U("", "/lists").isEmpty());
  EXPECT_TRUE(ParseM3U("#EXTM3U\n\n\r\n", "/lists").isEmpty());
}

TEST(M3UTest, SavedListIsPathsWithCrLfInUtf8AndReadsBack) {
  const QStringList paths = {"/music/Artist - Song.mp3", "/music/Été.wav"};
  EXPECT_EQ(MakeM3U(paths), QByteArray("/music/Artist - Song.mp3\r\n/music/\xC3\x89t\xC3\xA9.wav\r\n"));
  EXPECT_EQ(MakeM3U({}), QByteArray());
  // A line break in a file's name does not split its entry, nor pick up another file.
  const QStringList hostile = {"/music/a\nb.mp3", "/music/c\rd.mp3", "/music/e\r\n/etc/passwd", "/music/50%.mp3"};
  EXPECT_EQ(ParseM3U(MakeM3U(hostile), "/lists"), hostile);
  QTemporaryDir dir;
  const QString file = dir.filePath("l.m3u");
  QString error;
  ASSERT_TRUE(WriteM3UFile(file, paths, &error)) << error.toStdString();
  const TM3URead read = ReadM3UFile(file);
  ASSERT_TRUE(read.Ok);
  EXPECT_EQ(read.Entries, paths);

  // Unreadable lists and unwritable places give a message and change nothing.
  EXPECT_FALSE(ReadM3UFile(dir.filePath("missing.m3u")).Ok);
  EXPECT_FALSE(ReadM3UFile(dir.filePath("missing.m3u")).Error.isEmpty());
  EXPECT_FALSE(WriteM3UFile(dir.filePath("no/such/folder/l.m3u"), paths, &error));
  EXPECT_FALSE(error.isEmpty());
}

TPlaylistModel* ModelOf(int rows, QObject* parent) {
  auto* m = new TPlaylistModel(parent);
  m->SetMarkDecoration(QStringLiteral("mark"));
  for (int i = 0; i < rows; ++i) m->Append(PathRow(QString::number(i)));
  return m;
}

QStringList Order(const TPlaylistModel& m) {
  return m.Paths();
}

TEST(PlaylistModelTest, MovesKeepRelativeOrderAndThePlayingRow) {
  struct Case {
    const char* name;
    QList<int> rows;
    int target;
    QStringList order;
    int playingBefore, playingAfter;
  };
  const Case cases[] = {
      {"down before a row", {0}, 3, {"1", "2", "0", "3", "4"}, 0, 2},
      {"up before a row", {3}, 1, {"0", "3", "1", "2", "4"}, 1, 2},
      {"to the end", {1}, -1, {"0", "2", "3", "4", "1"}, 4, 3},
      {"on itself", {2}, 2, {"0", "1", "2", "3", "4"}, 2, 2},
      {"several", {0, 2}, 4, {"1", "3", "0", "2", "4"}, 3, 1},
      {"the playing row moves", {1}, 4, {"0", "2", "3", "1", "4"}, 1, 3},
  };
  QObject owner;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPlaylistModel* m = ModelOf(5, &owner);
    m->SetPlayingIndex(c.playingBefore);
    m->MoveRows(c.rows, c.target);
    EXPECT_EQ(Order(*m), c.order);
    EXPECT_EQ(m->PlayingIndex(), c.playingAfter);
    // The mark is on the playing row, and on no other.
    for (int r = 0; r < m->Count(); ++r)
      EXPECT_EQ(m->data(m->index(r, 0), Qt::DecorationRole).isValid(), r == c.playingAfter) << r;
  }
}

TEST(PlaylistModelTest, RemovalsKeepThePlayingRowOrForgetIt) {
  QObject owner;
  TPlaylistModel* m = ModelOf(5, &owner);
  m->SetPlayingIndex(3);
  m->RemoveRow(4);  // after it
  EXPECT_EQ(m->PlayingIndex(), 3);
  m->RemoveRow(0);  // before it
  EXPECT_EQ(m->PlayingIndex(), 2);
  EXPECT_EQ(m->Row(2).FileName, "3");
  m->RemoveRow(2);  // itself: nothing marked, the next row is the one in its place
  EXPECT_EQ(m->PlayingIndex(), -1);
  EXPECT_EQ(m->ResumeRow(), 2);
  EXPECT_FALSE(m->RemoveRow(7));
  m->Clear();
  EXPECT_EQ(m->PlayingIndex(), -1);
  EXPECT_EQ(m->ResumeRow(), -1);
}

TEST(PlaylistModelTest, OnlyItsOwnDragsAreRowDrags) {
  QObject owner;
  TPlaylistModel* a = ModelOf(3, &owner);
  TPlaylistModel* b = ModelOf(3, &owner);
  std::unique_ptr<QMimeData> mime(a->mimeData({a->index(2, 1), a->index(0, 2), a->index(2, 3)}));
  EXPECT_EQ(a->DraggedRows(mime.get()), QList<int>({0, 2}));
  EXPECT_TRUE(b->DraggedRows(mime.get()).isEmpty());
  QMimeData forged;
  forged.setData(TPlaylistModel::kRowsMimeType, "garbage");
  EXPECT_TRUE(a->DraggedRows(&forged).isEmpty());
}

TEST(FilePlayerMathsTest, SeekPercentAndElapsedText) {
  EXPECT_EQ(TFilePlayer::SeekPercent(222, 448), 50);  // Round(100 x 222 / 444)
  EXPECT_EQ(TFilePlayer::SeekPercent(0, 448), 0);
  EXPECT_EQ(TFilePlayer::SeekPercent(-30, 448), 0);
  EXPECT_EQ(TFilePlayer::SeekPercent(447, 448), 100);  // past the end: kept at 100
  EXPECT_EQ(TFilePlayer::SeekPercent(1, 204), 0);      // 0.5: halves go to even
  EXPECT_EQ(TFilePlayer::SeekPercent(3, 204), 2);      // 1.5
  EXPECT_EQ(TFilePlayer::ElapsedText(0), "00:00:00");
  EXPECT_EQ(TFilePlayer::ElapsedText(120.9), "00:02:00");
  EXPECT_EQ(TFilePlayer::ElapsedText(3725), "01:02:05");
}

}  // namespace
