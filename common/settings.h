// The user's settings: the record, its defaults, loading and saving.
//
// The store is ~/.config/Kestrune/Zovaline.ini (QSettings, INI format). Value names are
// fixed; a bool is written as 0 or 1, an int as an integer, a text as a string.
//
// Between load and save most settings live in the controls of other windows. Each window
// that holds a value registers a getter in TSettingsLive when it creates its control;
// SaveSettings reads the getter when there is one and the record otherwise, so a change
// made in a window is saved even when nothing copies it back into the record.
//
// Reading rules for values stored with another type than expected: a bool or int value
// that is not an integer ("abc", "1.5", empty) reads as the default; "true"/"false" are
// accepted for bools. A `Mode` other than "local" or "remote" reads as "remote". A value
// that the INI reader split into a list (an unquoted comma) is joined back.
//
// Thread: interface thread only.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

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
  int Top = 0;
  int Left = 0;
  QString Mode = QStringLiteral("remote");
  QStringList Favorites;  // in stored order; the main window's list keeps its own sorted copy
  int Volume = 0;
};

// Getters of the controls that hold settings between load and save. An empty getter means
// the control does not exist (yet): the record's value is saved instead.
struct TSettingsLive {
  std::function<bool()> TrayInformation, SpectroPeaks, IsProxyServer, CutByTitle;
  std::function<int()> SpectroColorL, SpectroColorM, SpectroColorH;
  std::function<QString()> ProxyServer, ProxyUser, ProxyPasswd, ProxyPort;
  // The checked filter radio button's name ("Name" ... "Stream"); nullopt when none is
  // checked, and then `Filter` is not written and keeps its stored value.
  std::function<std::optional<QString>()> Filter;
  std::function<QString()> FilterName, FilterCountry, FilterGenre, FilterNetwork, FilterQuality,
      FilterStream;
  std::function<QString()> RecordDir, RecordEncoder;
  // The text of the occurrences list. A text that is no integer (no selection) saves the
  // value that was loaded, so the stored setting is kept.
  std::function<QString()> RecordOccText;
  std::function<int()> Top, Left;
  std::function<QStringList()> Favorites;  // the main window's favourites list
  std::function<int()> FavoritesCount;     // entries of the configuration window's favourites list
  std::function<int()> Volume;             // the volume slider
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

// Writes every value in the save order, reading each from its live control when one is
// registered. Returns false when the store could not be written.
bool SaveSettings(QSettings& store, const TSettings& settings, const TSettingsLive& live);

// The user's settings store: ~/.config/Kestrune/Zovaline.ini.
QSettings* OpenUserSettings();
