#include "catalogue/stationdirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <chrono>
#include <malloc.h>
#include <random>

#include "catalogue/catalogueloader.h"
#include "catalogue/catalogueschema.h"
#include "catalogue/directorymapping.h"
#include "common/queuedcall.h"

namespace {

// A server name of the list as it may stand in an address: host name or address, with
// an optional port. Anything else (a path, credentials, spaces) is not a server.
bool IsServerName(const QString& name) {
  if (name.isEmpty() || name.size() > 253) return false;
  for (const QChar ch : name) {
    const char16_t c = ch.unicode();
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' ||
          c == u'-' || c == u':'))
      return false;
  }
  return true;
}

// The French names of the delivered catalogue's countries, by flag code ("fr" -> "France").
QHash<QString, QString> DeliveredCountryNames(const QString& exeFolder) {
  QHash<QString, QString> names;
  TCatalogueTable scratch(QStringLiteral("countries"));
  if (!scratch.LoadFromFile(exeFolder + QStringLiteral("tuner/country.xml"))) return names;
  const int nameCol = scratch.FieldIndex(QStringLiteral("Name"));
  const int flagCol = scratch.FieldIndex(QStringLiteral("Flag"));
  if (nameCol < 0 || flagCol < 0) return names;
  for (const TRow& row : scratch.Rows()) {
    const QString flag = row[size_t(flagCol)].Text;
    if (flag.size() == 6 && flag.endsWith(QLatin1String(".png"))) names.insert(flag.left(2).toLower(), row[size_t(nameCol)].Text);
  }
  return names;
}

// Writes one catalogue file of the directory tuner from mapped rows.
TTableResult WriteTable(TCatalogueKind kind, std::vector<TRow>&& rows, const QString& path) {
  TCatalogueTable table(CatalogueTableName(kind));
  if (TTableResult r = CreateCatalogueTable(table, kind); !r) return r;
  if (TTableResult r = table.Load(CatalogueFields(kind), std::move(rows)); !r) return r;
  return table.SaveToFile(path);
}

// Copies `from` to `to` through a temporary name, unless `to` exists.
void CopyIfMissing(const QString& from, const QString& to) {
  if (QFileInfo::exists(to) || !QFileInfo(from).isFile()) return;
  const QString temp = to + QStringLiteral(".part");
  QFile::remove(temp);
  if (QFile::copy(from, temp) && !QFile::rename(temp, to)) QFile::remove(temp);
}

}  // namespace

QString DirectoryBaseAddress(const QString& setting) {
  const QString env = QString::fromLocal8Bit(qgetenv("ZOVALIS_DIRECTORY_SERVER")).trimmed();
  return env.isEmpty() ? setting.trimmed() : env;
}

TStationDirectory::TStationDirectory(QObject* parent) : QObject(parent) {
  worker_ = std::thread([this] { WorkerLoop(); });
}

TStationDirectory::~TStationDirectory() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    jobs_.clear();
  }
  wake_.notify_all();
  // The running request sees the stop flag within one slice.
  if (worker_.joinable()) worker_.join();
}

void TStationDirectory::SetBase(const QString& base) {
  base_ = base.trimmed();
  if (!base_.isEmpty() && !base_.endsWith(QLatin1Char('/'))) base_ += QLatin1Char('/');
  lastServer_.clear();
}

void TStationDirectory::SetUserAgent(const QString& agent) {
  userAgent_ = agent;
}

void TStationDirectory::SetTimeouts(int connectMs, int stallMs) {
  connectTimeoutMs_ = connectMs;
  stallTimeoutMs_ = stallMs;
}

void TStationDirectory::TRequestConfig::Apply(THttpClient& http) const {
  http.SetUserAgent(Agent);
  http.SetProxy(Proxy);
  http.SetTimeouts(ConnectMs, StallMs);
  http.SetAcceptGzip(Gzip);
  http.SetMaxBodyBytes(MaxBytes);
}

TStationDirectory::TRequestConfig TStationDirectory::Config(qint64 maxBytes) const {
  return {base_, userAgent_, proxySource_ ? proxySource_() : THttpProxy{}, connectTimeoutMs_, stallTimeoutMs_, true,
          maxBytes};
}

QStringList TStationDirectory::Servers(THttpClient& http, QString* error) const {
  return ServersOf(http, base_, error);
}

QStringList TStationDirectory::ServersOf(THttpClient& http, const QString& baseAddress, QString* error) {
  if (baseAddress.isEmpty()) {
    if (error) *error = QStringLiteral("aucun serveur d'annuaire n'est configuré");
    return {};
  }
  const QUrl base(baseAddress);
  QByteArray body;
  const THttpResult got = http.Get(baseAddress + QStringLiteral("json/servers"), body);
  QStringList servers;
  if (got.Ok) {
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    for (const QJsonValue& v : doc.array()) {
      const QString name = v.toObject().value(QLatin1String("name")).toString().trimmed();
      if (!IsServerName(name)) continue;
      const QString server = base.scheme() + QStringLiteral("://") + name + QLatin1Char('/');
      if (!servers.contains(server)) servers.append(server);
    }
  }
  // Without a list, the base address itself answers the API (it names every server).
  if (servers.isEmpty()) servers.append(baseAddress);
  return servers;
}

QStringList TStationDirectory::TryOrder(const QStringList& servers) const {
  return TryOrderWith(servers, chooseFirst_);
}

QStringList TStationDirectory::TryOrderWith(const QStringList& servers, const std::function<int(int)>& chooser) {
  const int n = int(servers.size());
  if (n == 0) return {};
  int first = 0;
  if (chooser) {
    first = chooser(n);
  } else {
    static thread_local std::mt19937 random{std::random_device{}()};
    first = int(std::uniform_int_distribution<int>(0, n - 1)(random));
  }
  first = ((first % n) + n) % n;
  QStringList order;
  for (int i = 0; i < n; ++i) order.append(servers[(first + i) % n]);
  return order;
}

bool TStationDirectory::Stale(const QString& folder, const QDateTime& now) {
  const QFileInfo info(folder + QStringLiteral("radios.xml"));
  if (!info.isFile()) return true;
  const qint64 age = info.lastModified().secsTo(now);
  return age < 0 || age >= kMaxAgeSeconds;
}

TDirectoryUpdate TStationDirectory::Update(const QString& folder, const QString& exeFolder) {
  TDirectoryUpdate u;
  QDir().mkpath(folder + QStringLiteral("icones"));
  QDir().mkpath(folder + QStringLiteral("drapeaux"));
  Config(kMaxSmallBytes).Apply(http_);
  const QStringList order = TryOrder(Servers(http_, &u.Error));
  if (order.isEmpty()) return u;
  http_.SetMaxBodyBytes(kMaxListBytes);

  const QString temp = folder + QStringLiteral(".stations.json.part");
  TDirectoryMapping mapping;
  for (const QString& server : order) {
    const THttpResult got = http_.GetToFile(server + QStringLiteral("json/stations?hidebroken=true"), temp);
    if (!got.Ok) {
      u.Error = QStringLiteral("%1 : %2").arg(QUrl(server).host(), got.Error);
      continue;
    }
    {
      // Read in place (mapped), not copied into memory: the rows are what must fit.
      QFile file(temp);
      const uchar* bytes = nullptr;
      if (file.open(QIODevice::ReadOnly) && file.size() > 0 && file.size() <= kMaxListBytes)
        bytes = file.map(0, file.size());
      mapping = MapDirectoryStations(
          bytes ? QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(file.size())) : QByteArray(),
          DeliveredCountryNames(exeFolder));
    }
    QFile::remove(temp);
    if (!mapping.Error.isEmpty() || mapping.Stations.empty()) {
      // A damaged answer from one server: another may hold a good copy.
      u.Error = QStringLiteral("%1 : %2").arg(QUrl(server).host(),
                                              mapping.Error.isEmpty() ? QStringLiteral("aucune station dans la réponse")
                                                                      : mapping.Error);
      continue;
    }
    u.Server = server;
    u.Error.clear();
    break;
  }
  QFile::remove(temp);
  if (u.Server.isEmpty()) return u;

  u.Stations = int(mapping.Stations.size());
  u.Dropped = mapping.Entries - u.Stations;
  u.Hls = mapping.Hls;
  u.Error = StoreMapping(std::move(mapping), folder, exeFolder);
  // The parse's memory goes back to the system at once: the loader is about to fill the
  // tables, and a long run should not keep the high-water mark of one update.
  malloc_trim(0);
  if (!u.Error.isEmpty()) {
    u.Server.clear();
    return u;
  }
  u.Ok = true;
  lastServer_ = u.Server;
  return u;
}

QString TStationDirectory::StoreMapping(TDirectoryMapping&& mapping, const QString& folder, const QString& exeFolder) {
  QDir().mkpath(folder + QStringLiteral("icones"));
  QDir().mkpath(folder + QStringLiteral("drapeaux"));
  // The flags of the countries shown, and the tuner's placeholder picture.
  for (const TRow& country : mapping.Countries) {
    const QString flag = country[1].Text;
    if (IsBarePictureName(flag))
      CopyIfMissing(exeFolder + QStringLiteral("tuner/drapeaux/") + flag, folder + QStringLiteral("drapeaux/") + flag);
  }
  CopyIfMissing(exeFolder + QStringLiteral("tuner/icones/noicon.png"), folder + QStringLiteral("icones/noicon.png"));

  // The station file last: its date is the copy's age, and it exists only once the lists
  // beside it were written.
  {
    QFile index(folder + QLatin1String(kFaviconIndex) + QStringLiteral(".part"));
    if (!index.open(QIODevice::WriteOnly) || index.write(mapping.Favicons) != mapping.Favicons.size() || !index.flush())
      return QStringLiteral("écriture impossible de %1").arg(index.fileName());
    index.close();
    QFile::remove(folder + QLatin1String(kFaviconIndex));
    QFile::rename(index.fileName(), folder + QLatin1String(kFaviconIndex));
  }
  for (TTableResult r :
       {WriteTable(TCatalogueKind::Countries, std::move(mapping.Countries), folder + QStringLiteral("country.xml")),
        WriteTable(TCatalogueKind::Genres, std::move(mapping.Genres), folder + QStringLiteral("genre.xml")),
        WriteTable(TCatalogueKind::Networks, {}, folder + QStringLiteral("network.xml")),
        WriteTable(TCatalogueKind::Stations, std::move(mapping.Stations), folder + QStringLiteral("radios.xml"))}) {
    if (!r) return r.Error->Text();
  }
  return QString();
}

QHash<QString, QString> TStationDirectory::CountryNames(const QString& exeFolder) {
  return DeliveredCountryNames(exeFolder);
}

void TStationDirectory::Enqueue(TJob job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_all();
}

bool TStationDirectory::WaitIdle(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::unique_lock<std::mutex> lock(mutex_);
  return wake_.wait_until(lock, until, [this] { return jobs_.empty() && !busy_; });
}

// Worker thread.
void TStationDirectory::WorkerLoop() {
  THttpClient http;
  http.SetAbortFlag(&stop_);
  for (;;) {
    TJob job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
      if (stop_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
      busy_ = true;
    }
    job(http);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      busy_ = false;
    }
    wake_.notify_all();
  }
}

void TStationDirectory::ReportPlay(const QString& uuid) {
  if (!IsDirectoryUuid(uuid) || base_.isEmpty()) return;
  // Everything the job reads is copied now: the interface may change it meanwhile.
  const TRequestConfig config = Config(kMaxSmallBytes);
  const QString lastServer = lastServer_;
  const std::function<int(int)> chooser = chooseFirst_;
  Enqueue([this, uuid, lastServer, config, chooser](THttpClient& http) {
    config.Apply(http);
    QStringList order;
    if (!lastServer.isEmpty()) order.append(lastServer);
    for (const QString& s : TryOrderWith(ServersOf(http, config.Base), chooser))
      if (!order.contains(s)) order.append(s);
    bool ok = false;
    for (const QString& server : order) {
      if (stop_) return;
      QByteArray body;
      if (http.Get(server + QStringLiteral("json/url/") + uuid, body).Ok) {
        ok = true;
        break;
      }
    }
    PostQueued(this, [this, uuid, ok] { Q_EMIT PlayReported(uuid, ok); });
  });
}

QString TStationDirectory::FaviconAddress(const QString& folder, const QString& uuid) {
  QFile index(folder + QLatin1String(kFaviconIndex));
  if (!index.open(QIODevice::ReadOnly)) return QString();
  const QByteArray key = uuid.toLatin1() + '\t';
  // One line per station with a favicon; a damaged index gives no address.
  while (!index.atEnd()) {
    const QByteArray line = index.readLine(4096);
    if (line.startsWith(key)) {
      const QString url = QString::fromUtf8(line.mid(key.size()).trimmed());
      return url.startsWith(QLatin1String("http://")) || url.startsWith(QLatin1String("https://")) ? url : QString();
    }
  }
  return QString();
}

void TStationDirectory::FetchFavicon(const QString& folder, const QString& uuid) {
  if (!IsDirectoryUuid(uuid)) return;  // the name becomes a file name: nothing else is taken
  const QString target = folder + QStringLiteral("icones/") + uuid;
  if (QFileInfo::exists(target) || faviconsAsked_.contains(uuid)) return;
  faviconsAsked_.append(uuid);
  TRequestConfig config = Config(kMaxFaviconBytes);
  config.Gzip = false;
  Enqueue([this, folder, uuid, target, config](THttpClient& http) {
    const QString url = FaviconAddress(folder, uuid);
    if (url.isEmpty()) return;
    config.Apply(http);
    QDir().mkpath(folder + QStringLiteral("icones"));
    const QString temp = target + QStringLiteral(".part");
    const THttpResult got = http.GetToFile(url, temp);
    if (!got.Ok || QFileInfo(temp).size() == 0 || !QFile::rename(temp, target)) {
      QFile::remove(temp);
      return;
    }
    PostQueued(this, [this, uuid, target] { Q_EMIT FaviconReady(uuid, target); });
  });
}
