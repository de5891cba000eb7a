#include "common/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>
#include <cmath>

#include "common/appfolders.h"

namespace {

// The raw text of a value, or nullopt when the value is absent.
std::optional<QString> ReadRaw(QSettings& store, const QString& name) {
  if (!store.contains(name)) return std::nullopt;
  const QVariant v = store.value(name);
  // The INI reader turns an unquoted "a, b" into a list; give the text back whole.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(u',');
  return v.toString();
}

std::optional<int> ParseInt(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return value;
}

QString ReadText(QSettings& store, const QString& name, const QString& fallback) {
  return ReadRaw(store, name).value_or(fallback);
}

QString ReadText(QSettings& store, const char* name, const QString& fallback) {
  return ReadText(store, QString::fromLatin1(name), fallback);
}

int ReadInt(QSettings& store, const char* name, int fallback) {
  const auto raw = ReadRaw(store, QLatin1String(name));
  if (!raw) return fallback;
  return ParseInt(*raw).value_or(fallback);
}

bool ReadBool(QSettings& store, const char* name, bool fallback) {
  const auto raw = ReadRaw(store, QLatin1String(name));
  if (!raw) return fallback;
  const QString t = raw->trimmed();
  if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
  if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
  const auto number = ParseInt(t);
  if (!number) return fallback;
  return *number != 0;  // any non-zero value is true
}

template <typename T, typename Getter>
T Live(const Getter& getter, const T& recorded) {
  return getter ? static_cast<T>(getter()) : recorded;
}

void WriteBool(QSettings& store, const char* name, bool value) {
  store.setValue(QLatin1String(name), value ? 1 : 0);
}

void WriteInt(QSettings& store, const char* name, int value) {
  store.setValue(QLatin1String(name), value);
}

void WriteText(QSettings& store, const char* name, const QString& value) {
  store.setValue(QLatin1String(name), value);
}

}  // namespace

TSettings DefaultSettings(QSize screen, const QString& documentsFolder) {
  TSettings s;
  s.TrayInformation = true;
  s.SpectroPeaks = false;
  s.SpectroColorL = 32768;  // 0x008000, green (0x00BBGGRR)
  s.SpectroColorM = 65535;  // 0x00FFFF, yellow
  s.SpectroColorH = 255;    // 0x0000FF, red
  s.IsProxyServer = false;
  s.Filter = QStringLiteral("Genre");
  s.FilterCountry = QStringLiteral("France");
  s.FilterGenre = QStringLiteral("Eclectique");
  s.FilterNetwork = QString::fromUtf8(kDefaultFilterNetwork);
  s.FilterQuality = QStringLiteral("HI-FI");
  s.FilterStream = QStringLiteral("MP3");
  s.RecordDir = documentsFolder + QStringLiteral("Zovalis");
  s.CutByTitle = true;
  s.RecordOcc = 20;
  s.RecordEncoder = QStringLiteral("OGG");
  // Centred: the division is done in floating point and truncated.
  s.Top = static_cast<int>(std::trunc((screen.height() - kMainFormHeight) / 2.0));
  s.Left = static_cast<int>(std::trunc((screen.width() - kMainFormWidth) / 2.0));
  s.Mode = QStringLiteral("remote");
  s.Volume = 100;
  return s;
}

void ReadSettingsValues(QSettings& store, TSettings& s, const TSettings& d) {
  s.TrayInformation = ReadBool(store, "TrayInformation", d.TrayInformation);
  s.SpectroPeaks = ReadBool(store, "SpectroPeaks", d.SpectroPeaks);
  s.SpectroColorL = ReadInt(store, "SpectroColorL", d.SpectroColorL);
  s.SpectroColorM = ReadInt(store, "SpectroColorM", d.SpectroColorM);
  s.SpectroColorH = ReadInt(store, "SpectroColorH", d.SpectroColorH);
  s.IsProxyServer = ReadBool(store, "IsProxyServer", d.IsProxyServer);
  s.ProxyServer = ReadText(store, "ProxyServer", d.ProxyServer);
  s.ProxyUser = ReadText(store, "ProxyUser", d.ProxyUser);
  s.ProxyPasswd = ReadText(store, "ProxyPasswd", d.ProxyPasswd);
  s.ProxyPort = ReadText(store, "ProxyPort", d.ProxyPort);
  s.LastRadio = ReadText(store, "LastRadio", d.LastRadio);
  s.Filter = ReadText(store, "Filter", d.Filter);
  s.FilterName = ReadText(store, "FilterName", d.FilterName);
  s.FilterCountry = ReadText(store, "FilterCountry", d.FilterCountry);
  s.FilterGenre = ReadText(store, "FilterGenre", d.FilterGenre);
  s.FilterNetwork = ReadText(store, "FilterNetwork", d.FilterNetwork);
  s.FilterQuality = ReadText(store, "FilterQuality", d.FilterQuality);
  s.FilterStream = ReadText(store, "FilterStream", d.FilterStream);
  s.RecordDir = ReadText(store, "RecordDir", d.RecordDir);
  s.CutByTitle = ReadBool(store, "CutByTitle", d.CutByTitle);
  s.RecordOcc = ReadInt(store, "RecordOcc", d.RecordOcc);
  s.RecordEncoder = ReadText(store, "RecordEncoder", d.RecordEncoder);
  s.CleanDropPartial = ReadBool(store, "CleanDropPartial", d.CleanDropPartial);
  s.CleanMinSeconds = std::max(0, ReadInt(store, "CleanMinSeconds", d.CleanMinSeconds));
  s.CleanMaxMinutes = std::max(0, ReadInt(store, "CleanMaxMinutes", d.CleanMaxMinutes));
  s.CleanIgnore = ReadText(store, "CleanIgnore", d.CleanIgnore);
  s.CleanSkipRepeats = ReadBool(store, "CleanSkipRepeats", d.CleanSkipRepeats);
  s.Top = ReadInt(store, "Top", d.Top);
  s.Left = ReadInt(store, "Left", d.Left);
  s.Mode = ReadText(store, "Mode", d.Mode);
  if (s.Mode != QLatin1String("local") && s.Mode != QLatin1String("remote") && s.Mode != QLatin1String("directory"))
    s.Mode = d.Mode;
  s.DirectoryServer = ReadText(store, "DirectoryServer", d.DirectoryServer);

  s.Favorites.clear();
  // A damaged count cannot make the load run away: every real favourite has a value of
  // its own, so there are never more favourites than values in the store.
  const int count = std::min<qsizetype>(ReadInt(store, "FavoritesCount", 0), store.allKeys().size());
  for (int i = 0; i < count; ++i) {
    s.Favorites << ReadText(store, QStringLiteral("Favorites_%1").arg(i), QString());
  }
  // Name and address pairs; an address is kept only for a favourite that is listed.
  s.FavoriteAddresses.clear();
  const QStringList pairs = store.value(QStringLiteral("FavoriteAddresses")).toStringList();
  for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
    if (s.Favorites.contains(pairs[i]) && !pairs[i + 1].isEmpty()) s.FavoriteAddresses.insert(pairs[i], pairs[i + 1]);

  s.Volume = std::clamp(ReadInt(store, "Volume", d.Volume), 0, 100);
}

TLoadResult LoadSettings(QSettings& store, TSettings& s, QSize screen, const QString& documentsFolder) {
  TLoadResult result;
  ReadSettingsValues(store, s, DefaultSettings(screen, documentsFolder));

  // The recording folder is created when missing, one level only: its parent must exist.
  if (!QFileInfo(s.RecordDir).isDir() && (s.RecordDir.isEmpty() || !QDir().mkdir(s.RecordDir))) {
    result = {false, s.RecordDir, FolderCreationMessage(s.RecordDir)};
  }

  store.remove(QStringLiteral("Filter1"));
  store.remove(QStringLiteral("Filter2"));
  store.sync();
  return result;
}

bool SaveSettings(QSettings& store, const TSettings& s) {
  WriteBool(store, "TrayInformation", s.TrayInformation);
  WriteBool(store, "SpectroPeaks", s.SpectroPeaks);
  WriteInt(store, "SpectroColorL", s.SpectroColorL);
  WriteInt(store, "SpectroColorM", s.SpectroColorM);
  WriteInt(store, "SpectroColorH", s.SpectroColorH);
  WriteBool(store, "IsProxyServer", s.IsProxyServer);
  WriteText(store, "ProxyServer", s.ProxyServer);
  WriteText(store, "ProxyUser", s.ProxyUser);
  WriteText(store, "ProxyPasswd", s.ProxyPasswd);
  WriteText(store, "ProxyPort", s.ProxyPort);
  WriteText(store, "LastRadio", s.LastRadio);
  WriteText(store, "Filter", s.Filter);
  WriteText(store, "FilterName", s.FilterName);
  WriteText(store, "FilterGenre", s.FilterGenre);
  WriteText(store, "FilterCountry", s.FilterCountry);
  WriteText(store, "FilterNetwork", s.FilterNetwork);
  WriteText(store, "FilterQuality", s.FilterQuality);
  WriteText(store, "FilterStream", s.FilterStream);
  WriteText(store, "RecordDir", s.RecordDir);
  WriteInt(store, "RecordOcc", s.RecordOcc);
  WriteText(store, "RecordEncoder", s.RecordEncoder);
  WriteBool(store, "CutByTitle", s.CutByTitle);
  WriteBool(store, "CleanDropPartial", s.CleanDropPartial);
  WriteInt(store, "CleanMinSeconds", s.CleanMinSeconds);
  WriteInt(store, "CleanMaxMinutes", s.CleanMaxMinutes);
  WriteText(store, "CleanIgnore", s.CleanIgnore);
  WriteBool(store, "CleanSkipRepeats", s.CleanSkipRepeats);
  WriteInt(store, "Top", s.Top);
  WriteInt(store, "Left", s.Left);
  WriteText(store, "Mode", s.Mode);
  WriteText(store, "DirectoryServer", s.DirectoryServer);
  for (qsizetype i = 0; i < s.Favorites.size(); ++i) {
    store.setValue(QStringLiteral("Favorites_%1").arg(i), s.Favorites[i]);
  }
  // Entries above the new count are left in the store; only FavoritesCount entries are read.
  WriteInt(store, "FavoritesCount", static_cast<int>(s.Favorites.size()));
  QStringList pairs;
  for (auto it = s.FavoriteAddresses.cbegin(); it != s.FavoriteAddresses.cend(); ++it)
    if (s.Favorites.contains(it.key())) pairs << it.key() << it.value();
  if (pairs.isEmpty()) {
    store.remove(QStringLiteral("FavoriteAddresses"));
  } else {
    store.setValue(QStringLiteral("FavoriteAddresses"), pairs);
  }
  WriteInt(store, "Volume", s.Volume);

  store.sync();
  return store.status() == QSettings::NoError;
}

void ClearBrokenSettingsLock(const QString& settingsFile) {
  // Qt's lock file holds the locking process's number on its first line. A process
  // killed while it wrote that file leaves it empty; Qt then waits for the lock to age
  // (30 s) at every read or save, as if another program held it. A lock whose process
  // is known is left to Qt, which clears it when that process has ended.
  QFile lock(settingsFile + QStringLiteral(".lock"));
  if (!lock.exists() || !lock.open(QIODevice::ReadOnly)) return;
  const QByteArray first = lock.readLine(64).trimmed();
  lock.close();
  bool number = false;
  first.toLongLong(&number);
  if (!number) QFile::remove(lock.fileName());
}

QSettings* OpenUserSettings() {
  auto* store = new QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kestrune"),
                              QStringLiteral("Zovaline"));
  ClearBrokenSettingsLock(store->fileName());
  return store;
}
