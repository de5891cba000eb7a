// The configuration window: the live copy of most settings, on five pages ("Affichage",
// "Tuner", "Connexion", "Enregistrement", "Favoris"). A change takes effect at once and
// is kept in the program's settings record, which is written when the program ends.
// There is no OK or Cancel: closing hides the window.
#pragma once

#include <QStringList>
#include <functional>
#include <memory>

#include "widgets/colorvalue.h"
#include "widgets/skinnedform.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QListWidget;
class QPushButton;
class QTabWidget;
class TFormListeRadio;
class TRecordPage;
class TSpectrum;
struct TAppContext;
struct TSettings;

// What the configuration window changes beyond the settings record: the main window it
// opens beside, its analyser, its balloon switch and its favourites.
class TConfigHost {
 public:
  virtual ~TConfigHost() = default;
  virtual QWidget* MainWindow() = 0;
  // The main window's analyser; nullptr when there is none.
  virtual TSpectrum* Spectrum() = 0;
  virtual void SetBalloonSwitch(bool on) = 0;
  virtual void PlayFavourite(const QString& name) = 0;
  // The favourites page's list after the user removed an entry.
  virtual void FavouritesEdited(const QStringList& names) = 0;
};

class TConfigForm : public TSkinnedForm {
  Q_OBJECT
 public:
  // `page` is the recording page's live state (the recorder's).
  TConfigForm(TAppContext& app, TRecordPage& page, TConfigHost& host, QWidget* parent = nullptr);

  // Shows the window with `page` active ("Affichage" ... "Favoris").
  void ShowPage(const QString& page);
  // The title of the active page.
  QString CurrentPage() const;

  // Joins the station browser once it exists: the remote tuner list and the proxy values
  // its start-up may have changed.
  void AttachBrowser(TFormListeRadio* browser);

  // Favourites page: the mirror of the main window's list.
  void MirrorFavourites(const QStringList& names);
  QStringList FavouriteNames() const;

  // Fills the format list from the encoder programs in `exeFolder` + "encoder/" and
  // selects the chosen format, or WMA when it is not offered (creation does this once
  // with the program folder).
  void FillEncoderList(const QString& exeFolder);

  // The balloon switch, flipped from the tray menu.
  void SetBalloonSwitch(bool on);

  // The folder chooser; tests replace the dialog. Returns an empty text when cancelled.
  std::function<QString(const QString& title)> SelectFolder;

  // Handlers, named after the controls and events they answer.
  void cbInfoSystrayClick();
  void cbSpectroPeaksClick();
  void SpectroColorChange(int which);  // 0 low, 1 middle, 2 high
  void cbProxyConnexionClick();
  void btnSelectDirClick();
  void cbCutByTitleClick();
  void cbRecordOccChange();
  void cbEncoderChange();
  void RemoteTunerComboBoxChange(int index);
  void NewButtonDbClick();
  void ImportButtonDBClick();
  void ExportButtonDBClick();
  // The open station directory: shown in the browser, or its list fetched again now.
  void DirectoryButtonClick();
  void UpdateDirectoryButtonClick();

  // Yes/No questions and error boxes of the tuner page; tests replace them.
  std::function<bool(const QString& text)> Confirm;
  std::function<void(const QString& text)> ShowError;
  void FavoritesListBoxClick();
  void btPlayFavoritesClick();
  void btDeleteFavoritesClick();

  // The controls, for the windows that read them and for tests.
  QTabWidget* PageControl1() const { return pages_; }
  QCheckBox* cbInfoSystray() const { return cbInfoSystray_; }
  QCheckBox* cbSpectroPeaks() const { return cbSpectroPeaks_; }
  QComboBox* SpectroColorBox(int which) const { return colorBoxes_[which]; }
  QCheckBox* cbProxyConnexion() const { return cbProxyConnexion_; }
  QLineEdit* edProxyServer() const { return edProxyServer_; }
  QLineEdit* edProxyUser() const { return edProxyUser_; }
  QLineEdit* edProxyPasswd() const { return edProxyPasswd_; }
  QLineEdit* edProxyPort() const { return edProxyPort_; }
  QLineEdit* edRecordDir() const { return edRecordDir_; }
  QCheckBox* cbCutByTitle() const { return cbCutByTitle_; }
  QComboBox* cbRecordOcc() const { return cbRecordOcc_; }
  QComboBox* cbEncoder() const { return cbEncoder_; }
  QLabel* Label19() const { return label19_; }
  QCheckBox* cbCleanPartial() const { return cbCleanPartial_; }
  QSpinBox* edCleanMinSeconds() const { return edCleanMinSeconds_; }
  QSpinBox* edCleanMaxMinutes() const { return edCleanMaxMinutes_; }
  QLineEdit* edCleanIgnore() const { return edCleanIgnore_; }
  QComboBox* cbCleanRepeat() const { return cbCleanRepeat_; }
  QComboBox* RemoteTunerComboBox() const { return remoteTunerComboBox_; }
  QListWidget* FavoritesListBox() const { return favoritesListBox_; }
  QPushButton* btPlayFavorites() const { return btPlayFavorites_; }
  QPushButton* btDeleteFavorites() const { return btDeleteFavorites_; }
  QPushButton* NewButtonDb() const { return newButtonDb_; }
  QPushButton* ImportButtonDB() const { return importButtonDb_; }
  QPushButton* ExportButtonDB() const { return exportButtonDb_; }
  QPushButton* DirectoryButton() const { return directoryButton_; }
  QPushButton* UpdateDirectoryButton() const { return updateDirectoryButton_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* AddPage(const QString& title, const char* name);
  void BuildDisplayPage();
  void BuildTunerPage();
  void BuildConnectionPage();
  void BuildRecordingPage();
  void BuildCleanControls(QWidget* page);
  void BuildFavouritesPage();
  void FormCreate();
  void FillProxyControls();
  void FillRecordingControls();
  TRecordPage& Page() { return page_; }
  void SelectColor(QComboBox* box, TColorValue value);
  TSettings& Record();

  QTabWidget* pages_ = nullptr;
  QCheckBox *cbInfoSystray_ = nullptr, *cbSpectroPeaks_ = nullptr, *cbProxyConnexion_ = nullptr,
            *cbCutByTitle_ = nullptr;
  QComboBox* colorBoxes_[3] = {};
  QLineEdit *edProxyServer_ = nullptr, *edProxyUser_ = nullptr, *edProxyPasswd_ = nullptr,
            *edProxyPort_ = nullptr, *edRecordDir_ = nullptr;
  QList<QWidget*> proxyControls_;
  QComboBox *cbRecordOcc_ = nullptr, *cbEncoder_ = nullptr, *remoteTunerComboBox_ = nullptr;
  QLabel *label6_ = nullptr, *label19_ = nullptr;
  // Clean tracks, enabled with cutting by title.
  QCheckBox* cbCleanPartial_ = nullptr;
  QSpinBox *edCleanMinSeconds_ = nullptr, *edCleanMaxMinutes_ = nullptr;
  QLineEdit* edCleanIgnore_ = nullptr;
  QComboBox* cbCleanRepeat_ = nullptr;
  QList<QWidget*> cleanControls_;
  QListWidget* favoritesListBox_ = nullptr;
  QPushButton *btPlayFavorites_ = nullptr, *btDeleteFavorites_ = nullptr, *newButtonDb_ = nullptr,
              *importButtonDb_ = nullptr, *exportButtonDb_ = nullptr, *directoryButton_ = nullptr,
              *updateDirectoryButton_ = nullptr;
  TFormListeRadio* browser_ = nullptr;
  TAppContext& app_;
  TRecordPage& page_;
  TConfigHost& host_;
};
