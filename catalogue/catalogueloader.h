// Catalogue loading and tuners: re-creating the four catalogue tables, filling them from a
// tuner folder (after downloading a remote tuner's newer files or importing a source
// folder), the first load at start-up and the switch between the local and remote tuner.
// Core code: the splash window, error boxes and event processing are reached through
// TLoadDisplay, so the loader is tested without windows.
//
// Thread: interface thread only. Loads process pending events (through the display) so
// windows repaint; a load asked for while one runs is refused.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include "catalogue/cataloguetable.h"

class THttpClient;
class TStationDirectory;

// The four catalogue tables (the program's TCatalogue holds them for the whole run).
struct TCatalogueTables {
  TCatalogueTable radiosDataset{QStringLiteral("radiosDataset")};
  TCatalogueTable countryDataSet{QStringLiteral("countryDataSet")};
  TCatalogueTable genreDataSet{QStringLiteral("genreDataSet")};
  TCatalogueTable networkDataSet{QStringLiteral("networkDataSet")};
};

// The active tuner.
struct TCurrentTuner {
  QString Mode = QStringLiteral("remote");  // "local", "remote" or "directory" (the open directory)
  QString RemoteBase;                       // base address of the remote tuner, ending in "/"
};

// Where a load shows its progress and errors: the splash window and error boxes.
class TLoadDisplay {
 public:
  virtual ~TLoadDisplay() = default;
  virtual void ShowSplash() = 0;
  virtual void HideSplash() = 0;
  virtual void SetStatus(const QString& text) = 0;
  // Sets the bar's maximum and puts its position back to 0.
  virtual void SetProgressMax(int max) = 0;
  virtual void SetProgress(int position) = 0;
  // Lets the interface repaint (pending events, user input excepted).
  virtual void ProcessEvents() = 0;
  // The modal error box with the error icon and an OK button.
  virtual void ShowError(const QString& text) = 0;
};

// Whether `name` is a bare file name that stays inside its picture folder: not empty, no
// "/" or "\", not "." or "..".
bool IsBarePictureName(const QString& name);

class TCatalogueLoader : public QObject {
  Q_OBJECT
 public:
  // The splash bar's range: a download sets its maximum to the body's length; the four
  // phases of a load give positions 0-400 (percent plus the phase's offset), so the load
  // sets the maximum to 400 before each phase's rows. The bar always shows the operation
  // that is running.
  static constexpr int kLoadProgressMax = 400;

  TCatalogueLoader(TCatalogueTables& tables, THttpClient& http, TLoadDisplay& display, const QString& exeFolder,
                   const QString& dataFolder, QObject* parent = nullptr);

  TCurrentTuner Tuner;
  // The open station directory the "directory" tuner is read from (none: that tuner
  // shows what its folder holds).
  void SetDirectory(TStationDirectory* directory) { directory_ = directory; }
  TStationDirectory* Directory() const { return directory_; }
  // The tuner's tables are the user's to edit (the local tuner); the remote tuner and the
  // directory are read-only.
  bool Editable() const { return Tuner.Mode == QLatin1String("local"); }
  const QString& ExeFolder() const { return exeFolder_; }
  // DataFolder + "tuner/" + Mode + "/".
  QString TunerFolder() const;

  // Re-creates the four tables empty and editable; in local mode writes an empty file for
  // each table whose file is missing. False when a table failed (each failure is shown).
  bool CreateCatalogueTables();

  // Fills the tables from the tuner folder: "" reads it unchanged, a folder path ending in
  // "/" imports it first (local tuner), a base address ending in "/" downloads the newer
  // files first (remote tuner). True when every phase succeeded.
  bool LoadCatalogue(const QString& source);

  // The first load at start-up, once the connection test has run.
  void FirstLoad(bool connected);

  // The tuner switch of the browser's tuner list: index 0 "Distant", 1 "Local", 2
  // "Annuaire mondial". The caller saves and restores the filter around it.
  void SwitchTuner(int index);
  // The tuner list's index of the active tuner.
  int TunerIndex() const;
  // Switches to the directory tuner with its station list fetched now, whatever its age
  // ("Mettre à jour l'annuaire").
  void UpdateDirectory();
  // The switch to another remote tuner of the update descriptor, at `base` (ending in
  // "/"). RemoteBase stays the first tuner's.
  void SwitchToRemote(const QString& base);

  // ---- Tuner maintenance (the configuration page's "Tuner" buttons). The caller asks
  // the questions and saves and restores the browser's filter around them.
  // Empties the local tuner: the program's blank template replaces its four files.
  void NewLocalTuner();
  // Replaces the local tuner by the catalogue folder `folder` (ending in "/"). Nothing
  // changes when the folder holds no "radios.xml", or when one of its catalogue files
  // cannot be read (that error is shown): a damaged folder never replaces good files.
  enum class TImport { Done, NoStationFile, Damaged };
  TImport ImportLocalTuner(const QString& folder);
  // Copies the local tuner's files as last written, with the pictures its rows name, into
  // `folder` (ending in "/"), which is created when missing. Progress on the splash; each
  // failing step shows its error and the export goes on. False when a step failed.
  bool ExportLocalTuner(const QString& folder);

  bool Loading() const { return loading_; }
  // Whether the last load read every row of the station file (a local tuner's file may
  // then be written back from the table).
  bool StationsReadWhole() const { return stationsReadWhole_; }

  // The lists the loader fills: country, genre and network names (the browser's filter
  // lists) and, for a remote tuner, the station names (the information window's list).
  const QStringList& CountryNames() const { return countryNames_; }
  const QStringList& GenreNames() const { return genreNames_; }
  const QStringList& NetworkNames() const { return networkNames_; }
  const QStringList& StationNames() const { return stationNames_; }

  // The browser's editing menu is usable in the local tuner only.
  bool EditMenuEnabled() const { return editMenuEnabled_; }

  // The title of the browser: "Tuner local" or "Tuner " + the remote base address.
  QString TunerTitle(const QString& remoteAddress) const;

 Q_SIGNALS:
  // A line for the main window's status line: the directory's fetch, its result or failure.
  void StatusLine(const QString& text, bool error);
  void ListsChanged();
  void EditMenuEnabledChanged(bool enabled);
  void ModeChanged(const QString& mode);

 private:
  enum class TPhase { Stations, Countries, Genres, Networks };
  bool LoadPhase(TPhase phase, const QString& source);
  TCatalogueTable& TableOf(TPhase phase);
  void CopyOver(const QString& from, const QString& to);
  // Status and progress of row n of m; shown at most every 16 ms, and always for the
  // first and last row, so large catalogues are not slowed by repaints.
  void ShowRowProgress(const QString& countText, int n, int m, int offset);
  void SetMode(const QString& mode);
  // Directory tuner: fetches the station list when its copy is stale (or `force`), with
  // the status line telling the outcome. False when there is no copy to read.
  bool RefreshDirectory(bool force);

  TCatalogueTables& tables_;
  THttpClient& http_;
  TLoadDisplay& display_;
  TStationDirectory* directory_ = nullptr;
  bool forceDirectory_ = false;
  QString exeFolder_;
  QString dataFolder_;
  bool loading_ = false;
  bool stationsReadWhole_ = false;
  bool editMenuEnabled_ = false;
  QStringList countryNames_, genreNames_, networkNames_, stationNames_;
  QElapsedTimer sinceShown_;
};
