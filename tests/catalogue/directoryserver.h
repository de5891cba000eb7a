// A station directory server in the directory API's form for the tests, on 127.0.0.1
// (tests/catalogue/directoryserver.py), started here and stopped by PID, with a station
// list of the test's making.
#pragma once

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

namespace DirectoryTest {

inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& data) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return f.write(data) == data.size();
}

// The directory's identifier of station n.
inline QString Uuid(int n) {
  return QStringLiteral("96062a7b-0601-11e8-ae97-52543be04c%1").arg(n, 2, 16, QLatin1Char('0'));
}

// One station object as the directory's API gives it.
struct TDirectoryStation {
  QString Name, Url, Tags, Country, CountryCode, Codec;
  int BitRate = 128;
  QString Favicon;
};

inline QJsonObject StationObject(int n, const TDirectoryStation& s) {
  return QJsonObject{{"changeuuid", Uuid(n)}, {"stationuuid", Uuid(n)}, {"serveruuid", QJsonValue()},
                     {"name", s.Name},        {"url", s.Url},            {"url_resolved", s.Url},
                     {"homepage", ""},         {"favicon", s.Favicon},    {"tags", s.Tags},
                     {"country", s.Country},   {"countrycode", s.CountryCode}, {"state", ""},
                     {"language", ""},         {"votes", 0},              {"codec", s.Codec},
                     {"bitrate", s.BitRate},   {"hls", 0},                {"lastcheckok", 1},
                     {"clickcount", 0}};
}

inline QByteArray StationListJson(const QList<TDirectoryStation>& stations) {
  QJsonArray list;
  int n = 0;
  for (const TDirectoryStation& s : stations) list.append(StationObject(++n, s));
  return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

// A station list of `count` stations on unused addresses, all French jazz in MP3.
inline QByteArray StationList(int count, const QString& prefix = "Station") {
  QList<TDirectoryStation> stations;
  for (int i = 1; i <= count; ++i)
    stations.append({QStringLiteral("%1 %2").arg(prefix).arg(i), QStringLiteral("http://127.0.0.1:1/%1").arg(i),
                     "jazz,blues", "France", "FR", "MP3"});
  return StationListJson(stations);
}

class DirectoryServer {
 public:
  // Serves `stations` (the JSON list); its server list names itself alone.
  bool Start(const QByteArray& stations) {
    if (!WriteAll(Root() + "/stations.json", stations)) return false;
    const QString portFile = root_.path() + "/.port";
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start("/usr/bin/python3", {ZOVALIS_SOURCE_DIR "/tests/catalogue/directoryserver.py", Root(), portFile});
    if (!process_.waitForStarted(5000)) return false;
    for (int waited = 0; !QFile::exists(portFile) && waited < 10000; waited += 20) QThread::msleep(20);
    port_ = ReadAll(portFile).trimmed().toInt();
    if (port_ <= 0) return false;
    SetServers({Name()});
    return true;
  }
  ~DirectoryServer() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(3000);
    }
  }
  QString Root() const { return root_.path(); }
  QString Name() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
  QString Base() const { return "http://" + Name() + "/"; }
  // How the station list misbehaves (see directoryserver.py); "ok" serves it.
  void SetMode(const QByteArray& mode) { WriteAll(Root() + "/mode", mode); }
  // The servers its list names ("host:port").
  void SetServers(const QStringList& names) {
    QJsonArray list;
    for (const QString& n : names) list.append(QJsonObject{{"name", n}, {"ip", "127.0.0.1"}});
    WriteAll(Root() + "/servers.json", QJsonDocument(list).toJson());
  }
  // Each request: "path<TAB>user agent<TAB>accept-encoding".
  QStringList Requests() const {
    return QString::fromUtf8(ReadAll(Root() + "/requests.log")).split('\n', Qt::SkipEmptyParts);
  }
  // The identifiers of the plays reported.
  QStringList Clicks() const {
    return QString::fromUtf8(ReadAll(Root() + "/clicks.log")).split('\n', Qt::SkipEmptyParts);
  }

 private:
  QTemporaryDir root_;
  QProcess process_;
  int port_ = 0;
};

}  // namespace DirectoryTest
