// What the program is asked to open from outside: the command line's and a drop's items
// sorted into the station to play and the files for the playlist window (local playlists
// read to tell stations from music, HLS routed as a stream), and the single-instance
// channel carrying a second start's items to the running program.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <thread>

#include "support/qtprint.h"

#include "app/openrequest.h"
#include "app/singleinstance.h"

namespace {

class OpenRequest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString Write(const QString& name, const QByteArray& body) {
    const QString path = dir.path() + "/" + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(body);
    return path;
  }
  QTemporaryDir dir;
};

TEST_F(OpenRequest, ItemsSortedIntoTheStationAndThePlaylistFiles) {
  const QString song = Write("Une chanson.mp3", "ID3");
  const QString other = Write("Autre.OGG", "OggS");
  const QString pls = Write("radio.pls", "[playlist]\nFile1=http://a.example/1\nFile2=http://a.example/2\n");
  const QString upper = Write("RADIO.PLS", "[playlist]\nFile1=http://b.example/1\n");
  const QString hls = Write("live.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\nseg.ts\n");
  const QString stations = Write("radios.m3u8", "#EXTM3U\nhttp://c.example/1\n");
  const QString music = Write("musique.m3u", "#EXTM3U\nUne chanson.mp3\nAutre.OGG\n");
  const QString fileUrls = Write("fichiers.m3u", ("file://" + song + "\n").toUtf8());
  const QString xspfMusic = Write("musique.xspf",
                                  "<playlist><trackList><track><location>Une%20chanson.mp3</location></track>"
                                  "<track><location>absent.mp3</location></track></trackList></playlist>");
  const QString xspfStation = Write("radio.xspf",
                                    "<playlist><trackList><track><location>https://d.example/s</location></track>"
                                    "</trackList></playlist>");
  const QString empty = Write("vide.pls", "[playlist]\n");
  const QString text = Write("notes.txt", "http://a.example/");

  const struct {
    const char* name;
    QStringList items;
    QString station;  // empty: none
    QStringList files;
    QStringList refused;
  } cases[] = {
      {"an address", {"http://a.example:8000/live"}, "http://a.example:8000/live", {}, {}},
      {"icy becomes http", {"icy://a.example/live"}, "http://a.example/live", {}, {}},
      {"a network playlist is read by the player", {"https://a.example/x.pls"}, "https://a.example/x.pls", {}, {}},
      {"a local pls", {pls}, pls, {}, {}},
      {"a relative path, as a shell gives it", {"radio.pls"}, pls, {}, {}},
      {"a file:// URL, as the desktop gives it", {QUrl::fromLocalFile(pls).toString()}, pls, {}, {}},
      {"a playlist ending in capitals: its first address", {upper}, "http://b.example/1", {}, {}},
      {"an HLS playlist is the stream", {hls}, hls, {}, {}},
      {"an m3u8 of stations", {stations}, stations, {}, {}},
      {"an xspf of stations", {xspfStation}, xspfStation, {}, {}},
      {"audio files go to the playlist", {song, other}, "", {song, other}, {}},
      {"an m3u of music", {music}, "", {song, other}, {}},
      {"an m3u of file:// entries is music", {fileUrls}, "", {song}, {}},
      {"an xspf of music, missing files left out", {xspfMusic}, "", {song}, {}},
      {"the first station plays, files still go", {song, "http://a.example/1", pls}, "http://a.example/1", {song}, {}},
      {"refused", {empty, text, dir.path() + "/absent.mp3", "ftp://a.example/x", "bonjour"}, "", {},
       {empty, text, dir.path() + "/absent.mp3", "ftp://a.example/x", "bonjour"}},
  };
  for (const auto& c : cases) {
    const TOpenPlan plan = PlanOpen(c.items, dir.path());
    EXPECT_EQ(plan.Station ? plan.Station->Url : QString(), c.station) << c.name;
    if (plan.Station) {
      EXPECT_EQ(plan.Station->Radio, c.station) << c.name << ": named after its address";
    }
    EXPECT_EQ(plan.Files, c.files) << c.name;
    EXPECT_EQ(plan.Refused, c.refused) << c.name;
  }
}

TEST_F(OpenRequest, ASecondStartMakesItsPathsAbsolute) {
  EXPECT_EQ(AbsoluteItems({"a.pls", "../b.mp3", "/c/d.m3u", "http://e.example/f", "file:///g.xspf"}, "/home/u/Musique"),
            QStringList({"/home/u/Musique/a.pls", "/home/u/b.mp3", "/c/d.m3u", "http://e.example/f", "file:///g.xspf"}));
}

TEST_F(OpenRequest, AudioFileNames) {
  for (const char* yes : {"a.mp3", "b.MP4", "c.aac", "d.Ogg", "e.wav", "f.wma", "Track01.cda"})
    EXPECT_TRUE(IsAudioFileName(yes)) << yes;
  for (const char* no : {"a.pls", "b.txt", "c", "mp3", "d.mp3.exe"}) EXPECT_FALSE(IsAudioFileName(no)) << no;
}

// ---- The channel: a second start's items reach the running program.

// Runs `ask` on a thread of its own (it blocks on its socket) while this thread's loop
// answers it; the ask's result.
template <typename F>
bool AskWhileServing(F ask) {
  std::atomic<int> result{-1};
  std::thread client([&] { result = ask() ? 1 : 0; });
  QElapsedTimer t;
  t.start();
  while (result < 0 && t.elapsed() < 20000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(10);
  }
  client.join();
  return result == 1;
}

TEST_F(OpenRequest, TheChannelCarriesTheItemsThenShows) {
  const QString path = dir.path() + "/ZOVAProject.sock";
  TInstanceChannel channel;
  ASSERT_TRUE(channel.Listen(path));
  QList<QStringList> opened;
  int shown = 0;
  QStringList order;
  QObject::connect(&channel, &TInstanceChannel::OpenRequested, [&](const QStringList& items) {
    opened.append(items);
    order << "open";
  });
  QObject::connect(&channel, &TInstanceChannel::ShowRequested, [&] {
    ++shown;
    order << "show";
  });

  // Names with blanks, accents, a line break and a percent sign arrive as they left.
  const QStringList items = {"http://a.example/live?x=1&y=%20", QString::fromUtf8("/home/u/Été 2024/liste.pls"),
                             "/tmp/deux\nlignes.mp3"};
  EXPECT_TRUE(AskWhileServing([&] { return TInstanceChannel::AskToOpen(path, items); }));
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0], items);
  EXPECT_EQ(order, QStringList({"open", "show"})) << "the items come before the window is shown";

  // A bare show carries nothing to open.
  EXPECT_TRUE(AskWhileServing([&] { return TInstanceChannel::AskToShow(path); }));
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(opened.size(), 1);

  // More items than a request holds: the first kMaxItems are sent.
  QStringList many;
  for (int i = 0; i < TInstanceChannel::kMaxItems + 10; ++i) many << QString("http://a.example/%1").arg(i);
  EXPECT_TRUE(AskWhileServing([&] { return TInstanceChannel::AskToOpen(path, many); }));
  ASSERT_EQ(opened.size(), 2);
  EXPECT_EQ(opened[1], many.mid(0, TInstanceChannel::kMaxItems));
}

TEST_F(OpenRequest, AnOversizedRequestIsDroppedUnread) {
  const QString path = dir.path() + "/ZOVAProject.sock";
  TInstanceChannel channel;
  ASSERT_TRUE(channel.Listen(path));
  int requests = 0;
  QObject::connect(&channel, &TInstanceChannel::OpenRequested, [&] { ++requests; });
  QObject::connect(&channel, &TInstanceChannel::ShowRequested, [&] { ++requests; });
  // A peer writing without end (no line break): dropped, nothing is asked.
  EXPECT_FALSE(AskWhileServing([&] {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(3000)) return true;
    socket.write(QByteArray(TInstanceChannel::kMaxRequestBytes + 4096, 'x') + "\nshow\n");
    socket.waitForBytesWritten(3000);
    return socket.waitForReadyRead(3000) && socket.readLine() == "show\n";
  }));
  EXPECT_EQ(requests, 0);
}

}  // namespace
