// The station browser: shows the program's catalogue (tables, HTTP client, loader); at
// its creation it prepares the network side and loads the first catalogue.
// It shows the station table in a grid, filtered by one of six filters and ordered by a
// column title; its Previous and Next moves, its double click and its status line follow
// the filtered order. The tuner list switches between the remote tuner, the local tuner
// and the open station directory.
//
// The handlers keep their names and call TStationBrowser and the rules of browserfilter.h.
// Thread: interface thread only.
#pragma once

#include <functional>

#include <QStringList>
#include <array>
#include <memory>

#include "catalogue/browserfilter.h"
#include "catalogue/browserstartup.h"
#include "catalogue/catalogue.h"
#include "catalogue/catalogueloader.h"
#include "catalogue/httpclient.h"
#include "common/appcontext.h"
#include "catalogue/stationbrowser.h"
#include "catalogue/stationrecord.h"
#include "widgets/skinnedform.h"

class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QRadioButton;
class QTableView;
class TStationGrid;
class TStationGridModel;
struct TSupportMail;

// What the station browser asks of the rest of the program: the main window it opens
// beside and whose tray shows its messages, the station editor and the mail sender.
class TBrowserHost {
 public:
  virtual ~TBrowserHost() = default;
  // The main window (placement); nullptr when there is none.
  virtual QWidget* MainWindow() = 0;
  virtual void SetTrayHint(const QString& text) = 0;
  virtual void ShowBalloon(const QString& title, const QString& text, bool error, int timeoutMs) = 0;
  // Runs the station editor on the station table's pending row; true when it was saved.
  virtual bool EditStation() = 0;
  // Hands a prepared mail to the mail sender (the information window's).
  virtual void SendMail(const TSupportMail& mail) = 0;
};

class TFormListeRadio : public TSkinnedForm, private TStartupPrompts {
  Q_OBJECT
 public:
  // `catalogue` must be prepared (its loader made, showing progress in the splash window).
  TFormListeRadio(TAppContext& app, TCatalogue& catalogue, TBrowserHost& host, QWidget* parent = nullptr);
  ~TFormListeRadio() override;

  TCatalogueTables& Tables;
  TCatalogueTable& radiosDataset;
  TCatalogueTable& countryDataSet;
  TCatalogueTable& genreDataSet;
  TCatalogueTable& networkDataSet;
  THttpClient& IdHTTP;

  TCatalogueLoader& Loader() { return catalogue_.Loader(); }
  TStationBrowser& Browser() { return browser_; }
  const TStartupResult& Startup() const { return startup_; }
  const QString& ServerBase() const { return serverBase_; }

  // Controls.
  QRadioButton* FilterButton(TBrowserFilter filter) const { return filterButtons_[size_t(filter)]; }
  QWidget* ValueControl(TBrowserFilter filter) const { return valueControls_[size_t(filter)]; }
  QLineEdit* nameEditBox() const { return nameEditBox_; }
  QComboBox* genreComboBox() const { return genreComboBox_; }
  QComboBox* countryComboBox() const { return countryComboBox_; }
  QComboBox* networkComboBox() const { return networkComboBox_; }
  QComboBox* streamComboBox() const { return streamComboBox_; }
  QComboBox* qualityComboBox() const { return qualityComboBox_; }
  QComboBox* TunerComboBox() const { return tunerComboBox_; }
  QTableView* ListeRadio() const;
  QLabel* lbStatusBar() const { return lbStatusBar_; }
  QMenu* EditMenu() const { return editMenu_; }

  // The checked filter (exactly one is always checked) and its value control's text.
  TBrowserFilter CheckedFilter() const;
  QString FilterValue(TBrowserFilter filter) const;

  // Choosing a filter (its radio button's click): check it, show its value control, give
  // the name box the focus when the browser is the active window, apply the filter.
  void rbByNameClick();
  void rbByGenreClick();
  void rbByCountryClick();
  void rbByNetworkClick();
  void rbByStreamClick();
  void rbByQualityClick();
  // A change of a value control: apply its filter.
  void nameEditBoxChange();
  void genreComboBoxChange();
  void countryComboBoxChange();
  void networkComboBoxChange();
  void streamComboBoxChange();
  void qualityComboBoxChange();
  // A click on the title of grid column `column`: order by it.
  void ListeRadioTitleClick(int column);
  // Plays the current row: emits StationChosen when there is one.
  void ListeRadioDblClick();

  // The main window's Previous and Next buttons in station mode: move the station table's
  // current row to the previous (next) row passing the filter, wrapping round at the ends.
  // The main window then plays the current row.
  void PreviousStation();
  void NextStation();
  // The hints of the main window's Previous and Next buttons for the checked filter.
  QString PreviousHint() const { return hints_.Previous; }
  QString NextHint() const { return hints_.Next; }

  // The editing menu (local tuner): add, modify, delete the current station, and mail
  // it as a suggestion.
  void mnAddRadioClick();
  void mnUdpateRadioClick();
  void mnDeleteRadioClick();
  void mnSuggestRadioClick();
  // "Ajouter au tuner local" of the address dialog: switches to the local tuner when the
  // remote one is shown, appends a row holding `station` (what the stream announced) and
  // runs the station editor on it; a cancelled editor drops the row. False when no row
  // could be added (a load is running, or the table refused it).
  bool AddStationRecord(const TStationRecord& station);
  // The delete question (caption "Demande de confirmation"); tests replace it.
  std::function<bool(const QString& text)> ConfirmDelete;

  // The user's choice in the tuner list ("Distant", "Local", "Annuaire mondial").
  void TunerComboBoxChange(int index);
  // The directory tuner with its station list fetched again now ("Mettre à jour
  // l'annuaire"), the tuner list and the filter following.
  void UpdateDirectory();
  // Tuner maintenance of the configuration page, with the tuner list and the filter
  // following: a new (empty) local tuner, an import of `folder` (false when it holds no
  // station file), an export into `folder`.
  void NewLocalTuner();
  bool ImportLocalTuner(const QString& folder);
  bool ExportLocalTuner(const QString& folder);
  // After a list editor's save: the filter list of `table` (country, genre or network)
  // refilled from the table, in its order, showing the same text as before (nothing
  // selected when that text is gone). The filter is not applied again.
  void RefillFilterList(const TCatalogueTable& table);
  // The configuration page's choice of a remote tuner at `base`.
  void RemoteTunerComboBoxChange(const QString& base);
  // The filter kept across a tuner change and program runs: the checked filter and the
  // six value texts to the settings record, and back into the controls, applying the
  // saved filter.
  void SaveFilterState();
  void RestoreFilterState();

  // Chooses the name filter and puts the keyboard in its box (the main window's Ctrl+F).
  void FocusNameFilter();

  // Marks the station that plays in the grid (empty: none plays).
  void SetPlayingStation(const QString& name);

  // Writes the local tuner's station file (at close). Skipped when the stations were not
  // all read, so a damaged load never shortens the user's file.
  void SaveLocalStations();

 Q_SIGNALS:
  // A station was chosen in the grid (double click, Enter), with its record: the station
  // player opens it.
  void StationChosen(const TStationRecord& station);
  // After every change notification of the station table: the hints for the main
  // window's Previous and Next buttons, which it shows while it plays stations.
  void NavigationHintsChanged(const QString& previousHint, const QString& nextHint);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A key typed over the grid, sent on to the name filter; false when the grid keeps it.
  bool GridKeyToNameFilter(QKeyEvent* event);

 private:
  void FormCreate();
  void FormShow();
  void CreateFilterControls();
  void CreateGrid();
  void CreateEditMenu();
  void RegisterLiveSettings();
  // The settings record follows the filter controls from the user's first choice or the
  // first restore on; a tuner change suspends it until its restore.
  void FollowFilter();
  void SuspendFilterFollowing();
  void SelectTunerEntry();
  void ChooseFilter(TBrowserFilter filter);
  void ApplyFilter(TBrowserFilter filter);
  void FillLists();
  void UpdateSortMarkers();
  void radiosDataSourceDataChange();
  void ApplyEditMenu();
  void SyncGridToTable();
  void GridCurrentRowChanged(int row);
  TSettings& SettingsRecord() { return app_.Settings; }

  // TStartupPrompts: real dialogs and the tray.
  bool Confirm(const QString& text) override;
  std::optional<QString> AskText(const QString& caption, const QString& prompt) override;
  void SetBalloonText(const QString& text) override;
  void Balloon(const QString& text, bool error, int timeoutMs) override;
  void OpenUrl(const QString& url) override;
  void ShowStandardError(const QString& text) override;

  TAppContext& app_;
  TCatalogue& catalogue_;
  TBrowserHost& host_;
  TStationBrowser browser_{radiosDataset};
  TStartupResult startup_;
  QString serverBase_;

  std::array<QRadioButton*, kBrowserFilterCount> filterButtons_{};
  std::array<QLabel*, kBrowserFilterCount> filterLabels_{};
  std::array<QWidget*, kBrowserFilterCount> valueControls_{};
  QButtonGroup* filterGroup_ = nullptr;
  QLineEdit* nameEditBox_ = nullptr;
  QComboBox* genreComboBox_ = nullptr;
  QComboBox* countryComboBox_ = nullptr;
  QComboBox* networkComboBox_ = nullptr;
  QComboBox* streamComboBox_ = nullptr;
  QComboBox* qualityComboBox_ = nullptr;
  QComboBox* tunerComboBox_ = nullptr;
  TStationGrid* listeRadio_ = nullptr;
  TStationGridModel* model_ = nullptr;
  QLabel* lbStatusBar_ = nullptr;
  QMenu* editMenu_ = nullptr;
  std::array<QAction*, 4> editActions_{};  // add, modify, delete, suggest
  TEditMenuState editMenuState_;
  TNavigationHints hints_;
  bool syncingGrid_ = false;
  bool filterFollowed_ = false;
};
