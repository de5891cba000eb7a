// The information window: the titles heard on the playing station (with two diagnostic
// views: the raw synchronisation data and the stream tags), the support page with its
// two mail forms, the donation page and the about page.
#pragma once

#include <QStringList>
#include <functional>

#include "widgets/skinnedform.h"
#include "windows/sendmail.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStringListModel;
class QTabWidget;
class TFormListeRadio;
class TRecordPage;
class TStationPlayer;
class TSimpleBtn;

// The three lists the playback side fills, as the window shows them.
enum class TInfoView { PlayList, Meta, Informations };

// The playlist file: each line followed by CR LF, in UTF-8. False when the file could not
// be created or written (lines written before the error stay).
bool SavePlayListText(const QString& path, const QStringList& lines, QString* error);

// A mail the support page sends: subject and body as the support page builds them.
struct TSupportMail {
  QString Subject;
  QString Body;
};
TSupportMail StationSuggestionMail(const QString& name, const QString& web, const QString& url);
TSupportMail MalfunctionMail(const QString& station);

class TInfoForm : public TSkinnedForm {
  Q_OBJECT
 public:
  // `main` is the window it opens beside; `player` names the station of the saved
  // playlist; `page` holds the recording folder, where the save dialog starts.
  TInfoForm(const QWidget* main, const TStationPlayer& player, const TRecordPage& page, QWidget* parent = nullptr);

  // Shows the window with `page` active ("Radio PlayList", "Support",
  // "Sountenez le projet !", "A propos de ...").
  void ShowPage(const QString& page);
  QString CurrentPage() const;

  // Shows one of the three lists on the first page (the hot spots also make that page the
  // active one; the main window's button does not).
  void SetView(TInfoView view);
  TInfoView View() const { return view_; }

  // Copies the playback side's lists (lines added since the last call are appended; a
  // shorter list replaces the shown one) and scrolls each to its last line.
  void SyncLists(const QStringList& playList, const QStringList& meta, const QStringList& informations);
  // The station list of the malfunction form.
  void SetStationNames(const QStringList& names);
  // Follows the loader's station names (remote tuner) once the browser exists.
  void AttachBrowser(TFormListeRadio* browser);

  // The file the save button writes; tests replace the dialog. Empty: cancelled.
  std::function<QString(const QString& folder, const QString& proposed)> SaveFileName;
  // The mail sender of the support page and the browser's suggestions.
  TMAPIMail MAPIMail;
  // Where the support page's mails go (MAPIMail by default); tests replace it.
  std::function<void(const TSupportMail&)> SendMail;
  // An information box (tests replace it).
  std::function<void(const QString& text)> Inform;
  // Opens a web address (the desktop's browser); tests replace it.
  std::function<void(const QString&)> OpenUrl;

  // "Enregistrer ce titre" (the main window's; set by the program).
  std::function<void()> RecordTitle;
  QPushButton* btRecordTitle() const { return btRecordTitle_; }

  // Handlers, named after the controls and events they answer.
  void SimpleBtn1Click();
  void Button1Click();
  void Button2Click();

  QTabWidget* PageControl1() const { return pages_; }
  QListView* PlayListBox() const { return lists_[0]; }
  QListView* Meta() const { return lists_[1]; }
  QListView* Informations() const { return lists_[2]; }
  QLabel* Label2() const { return label2_; }
  TSimpleBtn* SimpleBtn1() const { return simpleBtn1_; }
  QComboBox* DBRadioComboBox() const { return dbRadioComboBox_; }
  QLineEdit* edRadioName() const { return edRadioName_; }
  QLineEdit* edRadioWeb() const { return edRadioWeb_; }
  QLineEdit* edRadioUrl() const { return edRadioUrl_; }
  QLabel* lbVersion() const { return lbVersion_; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* AddPage(const QString& title, const char* name);
  void BuildPlayListPage();
  void BuildSupportPage();
  void BuildDonationPage();
  void BuildAboutPage();
  void AddLink(QWidget* page, const char* name, const QString& text, QPoint at, const QString& url, int width = 0);
  void AddHotSpot(QWidget* page, const char* name, QRect geometry, TInfoView view);
  QString StationName() const;

  QTabWidget* pages_ = nullptr;
  QListView* lists_[3] = {};
  QStringListModel* models_[3] = {};
  QLabel* label2_ = nullptr;
  TSimpleBtn* simpleBtn1_ = nullptr;
  QPushButton* btRecordTitle_ = nullptr;
  QComboBox* dbRadioComboBox_ = nullptr;
  QLineEdit *edRadioName_ = nullptr, *edRadioWeb_ = nullptr, *edRadioUrl_ = nullptr;
  QLabel* lbVersion_ = nullptr;
  TInfoView view_ = TInfoView::PlayList;
  const QWidget* main_;
  const TStationPlayer& player_;
  const TRecordPage& page_;
};
