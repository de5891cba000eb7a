// The playlist window (FormListeFile): local files, audio-CD tracks, stream addresses of
// M3U lists and finished recordings, one row each, played through the main window.
// The window only shows and routes: the rows live in TPlaylistModel, the song
// information is read by TSongInfoQueue on its worker thread, M3U reading and writing
// is in m3ufile.h and playback in TFilePlayer.
#pragma once

#include <QPointer>
#include <QStringList>

#include "widgets/skinnedform.h"

class QLabel;
class QFileDialog;
class TFilePlayer;
struct TAppContext;
class TPlaylistModel;
class TPlaylistView;
class TSimpleBtn;
class TSongInfoQueue;

class TFormListeFile : public TSkinnedForm {
  Q_OBJECT
 public:
  // The window shows `model` (the program's playlist), takes the data and recording
  // folders from `app`, and opens below or above `main`.
  TFormListeFile(const TAppContext& app, TPlaylistModel& model, const QWidget* main, QWidget* parent = nullptr);
  ~TFormListeFile() override;

  // Appends the file (or stream address) as a row once its song information is read;
  // names that are not files are skipped. Callable from any thread (the recorder hands
  // its finished files here); rows follow the order of the calls.
  void AddFileToPlaylist(const QString& path);
  void AddFilesToPlaylist(const QStringList& paths);

  // Local playback, once the main window has made it.
  void SetFilePlayer(TFilePlayer* player);

  // Handlers, named after the controls and events they answer.
  void AddFileBtnClick();
  void ClearPlaylistBtnClick();
  void OpenPlaylistBtnClick();
  void SavePlaylistBtnClick();
  void RunPlayListBtnClick();
  void PlayListViewDblClick();
  void PlayListViewKeyDown(int key);
  void PlayListViewDragDrop(const QList<int>& rows, int target);
  // Files dropped from the desktop, in drop order.
  void TraiteMessage(const QStringList& paths);

  TPlaylistModel* Model() const { return model_; }
  TPlaylistView* PlayListView() const { return view_; }
  QLabel* PlayListName() const { return playListName_; }
  QLabel* NbTracks() const { return nbTracks_; }
  QLabel* Statut() const { return statut_; }
  TSimpleBtn* AddFileBtn() const { return addFileBtn_; }
  TSimpleBtn* ClearPlaylistBtn() const { return clearBtn_; }
  TSimpleBtn* OpenPlaylistBtn() const { return openBtn_; }
  TSimpleBtn* SavePlaylistBtn() const { return saveBtn_; }
  TSimpleBtn* RunPlayListBtn() const { return runBtn_; }
  // True while song information is still being read for rows to come.
  bool Adding() const;
  // The CD drives whose tracks the add dialog offers (the machine's drives by default).
  QStringList CdDriveList;

  // The add dialog's filter, as a Qt name filter list.
  static QStringList AddDialogFilters();

 Q_SIGNALS:
  // Every file asked for has been read (or skipped).
  void AddingFinished();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void RefreshCount();
  int SelectedRow() const;  // -1: none
  QString DataFolder() const;
  QString RecordDir() const;
  // Runs a file dialog of this window (not the desktop's native one, so it behaves the
  // same everywhere and tests can answer it).
  QStringList RunDialog(QFileDialog* dialog);

  const TAppContext& app_;
  TPlaylistModel* model_ = nullptr;
  const QWidget* main_;
  TSongInfoQueue* queue_ = nullptr;
  TPlaylistView* view_ = nullptr;
  QLabel *statut_ = nullptr, *playListName_ = nullptr, *nbTracks_ = nullptr;
  TSimpleBtn *addFileBtn_ = nullptr, *clearBtn_ = nullptr, *openBtn_ = nullptr, *saveBtn_ = nullptr,
             *runBtn_ = nullptr;
  QPointer<TFilePlayer> player_;
  bool cursorBusy_ = false;
};
