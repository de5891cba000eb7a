// The station editor of the local catalogue: a modal window on the station table's
// current row (put into insert or edit state by the caller), with the genre lines, the
// country and network pickers, the icon chooser, and "&Sauvegarder" writing the station
// file at once. The "..." buttons open the list editors.
#pragma once

#include <QEventLoop>
#include <functional>

#include "catalogue/catalogueschema.h"
#include "catalogue/stationedit.h"
#include "widgets/skinnedform.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class TFormListeRadio;

class TRadioEditForm : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TRadioEditForm(QWidget* parent = nullptr);

  // The browser whose tables the editor works on.
  void Attach(TFormListeRadio* browser) { browser_ = browser; }
  // Opens the list editor of `kind` (the genre, country and network buttons).
  std::function<void(TCatalogueKind)> EditList;

  // Shows the editor modally, filled from the current row; true when it was closed by
  // "&Sauvegarder".
  bool Execute();

  // The picture chooser (title, start folder) and the error box; tests replace them.
  std::function<QString(const QString& title, const QString& folder)> ChoosePicture;
  std::function<void(const QString& text)> ShowError;

  // Handlers, named after the controls and events they answer.
  void btAddGenreClick();
  void btDeleteGenreClick();
  void EdGenreClick();
  void IconButtonClick();
  void btSaveClick();
  void btCancelClick();
  // The list editors' refresh of the pickers, each reselecting the station's value
  // (the genre picker is left without a choice).
  void RefillGenres();
  void RefillCountries();
  void RefillNetworks();

  QLineEdit* edRadio() const { return edRadio_; }
  QLineEdit* edUrl() const { return edUrl_; }
  QListWidget* EdGenre() const { return edGenre_; }
  QComboBox* genreComboBox() const { return genreComboBox_; }
  QPushButton* btAddGenre() const { return btAddGenre_; }
  QPushButton* btDeleteGenre() const { return btDeleteGenre_; }
  QComboBox* edCountry() const { return edCountry_; }
  QComboBox* edNetWork() const { return edNetWork_; }
  QLineEdit* edWeb() const { return edWeb_; }
  QLineEdit* edIcon() const { return edIcon_; }
  QPushButton* btSave() const { return btSave_; }
  QPushButton* btCancel() const { return btCancel_; }
  QPushButton* genreBtn() const { return genreBtn_; }
  QPushButton* countryBtn() const { return countryBtn_; }
  QPushButton* networkBtn() const { return networkBtn_; }

 protected:
  void CloseBtnClick() override;

 private:
  void FormShow();
  void Finish(bool ok);
  QString TunerFolder() const;

  TFormListeRadio* browser_ = nullptr;
  QLineEdit *edRadio_ = nullptr, *edUrl_ = nullptr, *edWeb_ = nullptr, *edIcon_ = nullptr;
  QListWidget* edGenre_ = nullptr;
  QComboBox *genreComboBox_ = nullptr, *edCountry_ = nullptr, *edNetWork_ = nullptr;
  QPushButton *btAddGenre_ = nullptr, *btDeleteGenre_ = nullptr, *genreBtn_ = nullptr, *countryBtn_ = nullptr,
              *networkBtn_ = nullptr, *iconButton_ = nullptr, *btSave_ = nullptr, *btCancel_ = nullptr;
  QString stationCountry_, stationNetwork_;
  QEventLoop* loop_ = nullptr;
  bool result_ = false;
};
