// The user's settings: the record, its defaults, loading and saving.
//
// The store is ~/.config/Kestrune/Zovaline.ini (QSettings, INI format). Value names are
// fixed; a bool is written as 0 or 1, an int as an integer, a text as a string.
//
// The record is the one model of the settings between load and save: each control that
// holds a setting writes its value into the record as the user changes it (the windows'
// position and volume, the browser's filter, the configuration pages, the favourites),
// and SaveSettings writes the record alone.
//
// Reading rules for values stored with another type than expected: a bool or int value
// that is not an integer ("abc", "1.5", empty) reads as the default; "true"/"false" are
// accepted for bools. A `Mode` other than "local", "remote" or "directory" reads as "remote". A value
// that the INI reader split into a list (an unquoted comma) is joined back.
//
// Thread: interface thread only.
#pragma once

#include <QSize>
#include <QString>
#include <QMap>
#include <QStringList>

class QSettings;

// The settings record, in the order the values are loaded.
struct TSettings {
  bool TrayInformation = false;
  bool SpectroPeaks = false;
  int SpectroColorL = 0;
  int SpectroColorM = 0;
  int SpectroColorH = 0;
  bool IsProxyServer = false;
  QString ProxyServer;
  QString ProxyUser;
  QString ProxyPasswd;
  QString ProxyPort;
  QString LastRadio;
  QString Filter;
  QString FilterName;
  QString FilterCountry;
  QString FilterGenre;
  QString FilterNetwork;
  QString FilterQuality;
  QString FilterStream;
  QString RecordDir;
  bool CutByTitle = false;
  int RecordOcc = 0;
  QString RecordEncoder;
  // Clean tracks (recordings cut by title): drop the partial first and last titles,
  // the length limits (0: none), the ignore list ("; " between words), and whether a
  // title already saved is skipped rather than numbered.
  bool CleanDropPartial = false;
  int CleanMinSeconds = 0;
  int CleanMaxMinutes = 0;
  QString CleanIgnore;
  bool CleanSkipRepeats = false;
  int Top = 0;
  int Left = 0;
  QString Mode = QStringLiteral("remote");
  // The open station directory's base address (its server list is asked there).
  QString DirectoryServer = QStringLiteral("https://all.api.radio-browser.info/");
  QStringList Favorites;  // as stored at load; then the favourites list, sorted, as it changes
  // The stream address of each favourite that is in no tuner (opened by its address),
  // by its name in Favorites.
  QMap<QString, QString> FavoriteAddresses;
  int Volume = 0;
};


// The default network of the browser's network filter.
inline constexpr const char* kDefaultFilterNetwork = "Radio France";

// Width and height of the main window, used to centre it by default.
inline constexpr int kMainFormWidth = 480;
inline constexpr int kMainFormHeight = 241;

// The record with every default. `screen` is the primary screen's size (to centre the
// main window); `documentsFolder` ends with "/".
TSettings DefaultSettings(QSize screen, const QString& documentsFolder);

struct TLoadResult {
  bool Ok = true;
  QString FailedPath;  // the recording folder that could not be created
  QString Message;     // French text for the error box
};

// Reads every value from `store` into `settings`, creates the recording folder (one level)
// when missing, and deletes the obsolete Filter1/Filter2. When the recording folder cannot
// be created the result says so; the other values are still read, so that the save at
// exit cannot overwrite the user's favourites and volume with empty values.
TLoadResult LoadSettings(QSettings& store, TSettings& settings, QSize screen,
                         const QString& documentsFolder);

// Only reads: every value from `store` into `settings`, `defaults` standing in for
// absent or unreadable values. LoadSettings is this and the steps with effects.
void ReadSettingsValues(QSettings& store, TSettings& settings, const TSettings& defaults);

// Writes every value of the record in the save order. Returns false when the store could
// not be written.
bool SaveSettings(QSettings& store, const TSettings& settings);

// The user's settings store: ~/.config/Kestrune/Zovaline.ini (a broken lock file left
// beside it by a killed save is cleared first).
QSettings* OpenUserSettings();

// Removes `settingsFile`'s lock file when it names no process: a save killed while it
// took the lock leaves it empty, and every later save would wait for it to age.
void ClearBrokenSettingsLock(const QString& settingsFile);
