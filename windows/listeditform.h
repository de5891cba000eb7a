// The reference list editors (genres, networks, countries): a modal window with an
// in-place editable grid on the browser's table, a menu to add, modify and delete rows,
// and "Sauvegarder", which writes the table's file and refreshes the lists that show it
// (the browser's filter list and the station editor's picker). The country editor also
// chooses each country's flag picture (double click).
#pragma once

#include <QEventLoop>
#include <functional>

#include "catalogue/catalogueschema.h"
#include "catalogue/listtablemodel.h"
#include "widgets/skinnedform.h"

class QMenu;
class QPushButton;
class QTableView;
class TFormListeRadio;
class TRadioEditForm;

class TListEditForm : public TSkinnedForm {
  Q_OBJECT
 public:
  TListEditForm(const QString& instanceName, const QString& title, TCatalogueKind kind,
                QList<TListTableModel::TColumn> columns, QWidget* parent = nullptr);

  // `stationEditor` gives the station editor when it exists (it opens the list editors
  // and refills its lists after a save), nullptr otherwise.
  void Attach(TFormListeRadio* browser, std::function<TRadioEditForm*()> stationEditor = nullptr);
  // Shows the editor modally; true when closed by "Sauvegarder".
  bool Execute();

  // The picture chooser (title, start folder) and the error box; tests replace them.
  std::function<QString(const QString& title, const QString& folder)> ChoosePicture;
  std::function<void(const QString& text)> ShowError;

  // Handlers, named after the controls and events they answer.
  void mnAddClick();
  void mnUdpateClick();
  void mnDeleteClick();
  void btSaveClick();
  void DBGrid1DblClick();

  QTableView* DBGrid1() const { return grid_; }
  TListTableModel* Model() const { return model_; }
  QMenu* EditMenu() const { return editMenu_; }
  QPushButton* btSave() const { return btSave_; }
  TCatalogueTable* Table() const;

 protected:
  void CloseBtnClick() override;

 private:
  void Finish(bool ok);

  TCatalogueKind kind_;
  QList<TListTableModel::TColumn> columns_;
  TFormListeRadio* browser_ = nullptr;
  std::function<TRadioEditForm*()> stationEditor_;
  QTableView* grid_ = nullptr;
  TListTableModel* model_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QPushButton* btSave_ = nullptr;
  QEventLoop* loop_ = nullptr;
  bool result_ = false;
};
