// The station browser: owns the four catalogue tables, the shared HTTP client and the
// loader; at its creation it prepares the network side and loads the first catalogue.
// The grid shows the station table; the tuner list switches between the local and the
// remote tuner.
#pragma once

#include <QStringList>
#include <memory>

#include "catalogue/browserstartup.h"
#include "catalogue/catalogueloader.h"
#include "catalogue/httpclient.h"
#include "widgets/skinnedform.h"

class QComboBox;
class QLabel;
class QTableView;
class TStationGridModel;

class TFormListeRadio : public TSkinnedForm, private TStartupPrompts {
  Q_OBJECT
 public:
  // `display` shows the loads' progress; by default the splash window.
  explicit TFormListeRadio(QWidget* parent = nullptr, TLoadDisplay* display = nullptr);
  ~TFormListeRadio() override;

  TCatalogueTables Tables;
  TCatalogueTable& radiosDataset = Tables.radiosDataset;
  TCatalogueTable& countryDataSet = Tables.countryDataSet;
  TCatalogueTable& genreDataSet = Tables.genreDataSet;
  TCatalogueTable& networkDataSet = Tables.networkDataSet;
  THttpClient IdHTTP;

  TCatalogueLoader& Loader() { return *loader_; }
  const TStartupResult& Startup() const { return startup_; }
  const QString& ServerBase() const { return serverBase_; }

  QComboBox* TunerComboBox() const { return tunerComboBox_; }
  QTableView* ListeRadio() const { return listeRadio_; }
  QLabel* lbStatusBar() const { return lbStatusBar_; }

  // The user's choice in the tuner list ("Distant", "Local").
  void TunerComboBoxChange(int index);
  // The filter kept across a tuner change.
  void SaveFilterState();
  void RestoreFilterState();

  // The previous and next station of the filtered list, wrapping at both ends: the
  // station table's current row moves; the main window then plays it.
  void PreviousStation();
  void NextStation();

  // Writes the local tuner's station file (at close). Skipped when the stations were not
  // all read, so a damaged load never shortens the user's file.
  void SaveLocalStations();

 Q_SIGNALS:
  // The user chose the station table's current row (double click, Enter): play it.
  void StationChosen();

 private:
  void FormCreate();
  void SelectTunerEntry();
  void radiosDataSourceDataChange();

  // TStartupPrompts: real dialogs and the tray.
  bool Confirm(const QString& text) override;
  std::optional<QString> AskText(const QString& caption, const QString& prompt) override;
  void SetBalloonText(const QString& text) override;
  void Balloon(const QString& text, bool error, int timeoutMs) override;
  void OpenUrl(const QString& url) override;
  void ShowStandardError(const QString& text) override;

  std::unique_ptr<TLoadDisplay> ownDisplay_;
  std::unique_ptr<TCatalogueLoader> loader_;
  TStartupResult startup_;
  QString serverBase_;
  QString savedFilter_;
  QComboBox* tunerComboBox_ = nullptr;
  QTableView* listeRadio_ = nullptr;
  QLabel* lbStatusBar_ = nullptr;
  TStationGridModel* model_ = nullptr;
};
