#include "windows/formlistefile.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QUrl>

#include "common/appcontext.h"
#include "common/placement.h"
#include "common/queuedcall.h"
#include "windows/formcontrols.h"
#include "localfiles/cdfolders.h"
#include "localfiles/fileplayer.h"
#include "localfiles/m3ufile.h"
#include "localfiles/playlistmodel.h"
#include "localfiles/playlistview.h"
#include "localfiles/songinfoqueue.h"
#include "widgets/imagelist.h"
#include "widgets/simplebtn.h"

namespace {

const QString kNoName = QStringLiteral("Sans Nom");
const QString kAddStatus = QStringLiteral("Ajouter vos fichiers");

QLabel* Label(QWidget* parent, const char* name, const QString& text, QPoint at, const QColor& colour, int pixels,
              const QString& family) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  QFont font(family);
  font.setPixelSize(pixels);
  label->setFont(font);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
  label->move(at);
  label->adjustSize();
  return label;
}

TSimpleBtn* ToolButton(QWidget* parent, const char* name, const TImageList& list, int left, int first,
                       const char* hint) {
  auto* b = new TSimpleBtn(parent);
  b->setObjectName(QLatin1String(name));
  b->setGeometry(left, 28, 39, 31);
  b->Glyphs()->SetGlyphList(list);
  b->Glyphs()->SetFace(first, first + 1, first + 2);
  b->setToolTip(QString::fromUtf8(hint));
  return b;
}

// The playing mark: a small play triangle.
QIcon MarkIcon() {
  QPixmap pic(12, 12);
  pic.fill(Qt::transparent);
  QPainter p(&pic);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(80, 220, 80));
  const QPointF triangle[3] = {{2, 1}, {11, 6}, {2, 11}};
  p.drawPolygon(triangle, 3);
  return QIcon(pic);
}

QString Filter(const char* name, const char* patterns) {
  return QString::fromUtf8(name) + QStringLiteral(" (") + QString::fromLatin1(patterns) + QLatin1Char(')');
}

const QString kListFilter = QStringLiteral("Liste de lecture (*.m3u)");

}  // namespace

QStringList TFormListeFile::AddDialogFilters() {
  return {Filter("Fichiers audio supportés", "*.mp3 *.mp4 *.aac *.ogg *.wav *.wma *.cda"),
          Filter("Fichiers AAC", "*.aac"),
          Filter("Fichiers CDA (Piste CD Audio)", "*.cda"),
          Filter("Fichiers MP3", "*.mp3"),
          Filter("Fichiers MP4", "*.mp4"),
          Filter("Fichiers OGG", "*.ogg"),
          Filter("Fichiers WAV", "*.wav"),
          Filter("Fichiers WMA", "*.wma")};
}

TFormListeFile::TFormListeFile(const TAppContext& app, TPlaylistModel& model, const QWidget* main, QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("FormListeFile"), QSize(480, 320), QStringLiteral("playlist.png"),
                                   QStringLiteral("Ecoutez vos enregistrements ...."), QRect(428, 0, 44, 19), QPoint(42, 4), QPoint(10, 4)),
                   parent),
      app_(app),
      model_(&model),
      main_(main) {
  setWindowTitle(QStringLiteral("Playlist"));
  const QString tahoma = QStringLiteral("Tahoma");
  const QString sans = QStringLiteral("MS Sans Serif");
  const QColor silver(192, 192, 192);
  // Clear of the add button at x = 110.
  statut_ = Label(this, "Statut", kAddStatus, QPoint(12, 34), silver, 11, tahoma);
  statut_->setFixedSize(94, 14);
  Label(this, "Label1", QStringLiteral("Liste de lecture"), QPoint(213, 33), silver, 11, tahoma);

  const TImageList tools = TImageList::FromStrip(LoadSkinPicture(QStringLiteral("toolbar.png")), 30);
  addFileBtn_ = ToolButton(this, "AddFileBtn", tools, 110, 15, "Ajouter des fichiers à la liste de lecture ...");
  clearBtn_ = ToolButton(this, "ClearPlaylistBtn", tools, 290, 18, "Nouvelle la liste de lecture");
  openBtn_ = ToolButton(this, "OpenPlaylistBtn", tools, 333, 21, "Ouvrir une liste de lecture ...");
  saveBtn_ = ToolButton(this, "SavePlaylistBtn", tools, 377, 24, "Sauvegarder la liste de lecture ...");
  runBtn_ = ToolButton(this, "RunPlayListBtn", tools, 425, 27, "Jouer la liste de lecture");
  connect(addFileBtn_, &TSimpleBtn::clicked, this, &TFormListeFile::AddFileBtnClick);
  connect(clearBtn_, &TSimpleBtn::clicked, this, &TFormListeFile::ClearPlaylistBtnClick);
  connect(openBtn_, &TSimpleBtn::clicked, this, &TFormListeFile::OpenPlaylistBtnClick);
  connect(saveBtn_, &TSimpleBtn::clicked, this, &TFormListeFile::SavePlaylistBtnClick);
  connect(runBtn_, &TSimpleBtn::clicked, this, &TFormListeFile::RunPlayListBtnClick);

  model_->SetMarkDecoration(MarkIcon());
  view_ = new TPlaylistView(this);
  view_->setObjectName(QStringLiteral("PlayListView"));
  view_->setGeometry(9, 60, 463, 236);
  QFont listFont(tahoma);
  listFont.setPixelSize(11);
  view_->setFont(listFont);
  view_->horizontalHeader()->setFont(listFont);
  view_->setStyleSheet(QStringLiteral(
      "QTableView { background: black; color: silver; gridline-color: #404040;"
      " selection-background-color: #303a52; selection-color: white; }"
      "QHeaderView { background: #202020; }"
      "QScrollBar:vertical { background: #101010; width: 12px; margin: 0; }"
      "QScrollBar::handle:vertical { background: #505050; min-height: 20px; border-radius: 3px; }"
      "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
      "QHeaderView::section { background: #202020; color: silver; border: 1px solid #404040; padding: 0 3px; }"));
  // The columns fill the list; a vertical scroll bar hides a pixel of the last one
  // rather than adding a horizontal bar.
  view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view_->SetPlaylistModel(model_);
  const int widths[TPlaylistModel::ColumnCount] = {20, 150, 220, 60, 0, 0, 0, 0};
  for (int c = 0; c < TPlaylistModel::ColumnCount; ++c) {
    if (widths[c] > 0) {
      view_->setColumnWidth(c, widths[c]);
    } else {
      view_->setColumnHidden(c, true);
    }
  }
  view_->horizontalHeader()->setSectionResizeMode(TPlaylistModel::ColMark, QHeaderView::Fixed);
  connect(view_, &QAbstractItemView::doubleClicked, this, [this] { PlayListViewDblClick(); });
  connect(view_, &TPlaylistView::DeletePressed, this, [this] { PlayListViewKeyDown(Qt::Key_Delete); });
  connect(view_, &TPlaylistView::RowsDropped, this, &TFormListeFile::PlayListViewDragDrop);
  connect(view_, &TPlaylistView::FilesDropped, this, &TFormListeFile::TraiteMessage);

  const QColor white(255, 255, 255);
  QLabel* label2 = Label(this, "Label2", QStringLiteral("Liste de lecture : "), QPoint(12, 300), white, 13, sans);
  playListName_ = Label(this, "PlayListName", kNoName, QPoint(117, 300), white, 13, sans);
  playListName_->setFixedWidth(190);
  QLabel* label4 = Label(this, "Label4", QStringLiteral("Nombre de pistes : "), QPoint(310, 300), white, 13, sans);
  nbTracks_ = Label(this, "NbTracks", QStringLiteral("00000"), QPoint(430, 300), white, 13, sans);
  for (QWidget* w : {static_cast<QWidget*>(label2), static_cast<QWidget*>(playListName_),
                     static_cast<QWidget*>(label4), static_cast<QWidget*>(nbTracks_)})
    AddDragHandle(w);

  FormCreate();
}

void TFormListeFile::FormCreate() {
  // One reader of song information for every file added, on its own thread.
  queue_ = new TSongInfoQueue(this);
  connect(queue_, &TSongInfoQueue::RowRead, model_, &TPlaylistModel::Append);
  connect(model_, &TPlaylistModel::CountChanged, this, [this] { RefreshCount(); });
  connect(queue_, &TSongInfoQueue::BusyChanged, this, [this](bool busy) {
    if (busy && !cursorBusy_) QApplication::setOverrideCursor(Qt::BusyCursor);
    if (!busy && cursorBusy_) QApplication::restoreOverrideCursor();
    cursorBusy_ = busy;
    RefreshCount();
    if (!busy) Q_EMIT AddingFinished();
  });

  CdDriveList = CdDrives();
}

TFormListeFile::~TFormListeFile() {
  if (cursorBusy_) QApplication::restoreOverrideCursor();
}

bool TFormListeFile::Adding() const {
  return queue_->Busy();
}

void TFormListeFile::SetFilePlayer(TFilePlayer* player) {
  player_ = player;
  player->PlaylistName = [this] { return playListName_->text(); };
  connect(player, &TFilePlayer::RowShown, this, [this](int row) {
    view_->selectRow(row);
    view_->scrollTo(model_->index(row, TPlaylistModel::ColArtist), QAbstractItemView::EnsureVisible);
  });
}

QString TFormListeFile::DataFolder() const {
  return app_.DataFolder;
}

QString TFormListeFile::RecordDir() const {
  return app_.Settings.RecordDir;
}

void TFormListeFile::RefreshCount() {
  nbTracks_->setText(QStringLiteral("%1").arg(model_->Count(), 5, 10, QLatin1Char('0')));
  statut_->setText(queue_->Busy() ? QStringLiteral("Ajout ... ") + QString::number(queue_->Pending()) : kAddStatus);
}

void TFormListeFile::AddFileToPlaylist(const QString& path) {
  AddFilesToPlaylist({path});
}

void TFormListeFile::AddFilesToPlaylist(const QStringList& paths) {
  if (QThread::currentThread() != thread()) {
    PostQueued(this, [this, paths] { AddFilesToPlaylist(paths); });
    return;
  }
  queue_->Add(paths);
}

QStringList TFormListeFile::RunDialog(QFileDialog* dialog) {
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  QStringList chosen;
  if (dialog->exec() == QDialog::Accepted) chosen = dialog->selectedFiles();
  delete dialog;
  return chosen;
}

void TFormListeFile::AddFileBtnClick() {
  // The tracks of the discs in the drives, as ".cda" files the dialog shows.
  const QStringList cdFolders = DataFolder().isEmpty() ? QStringList() : RefreshCdFolders(DataFolder(), CdDriveList);
  auto* dialog = new QFileDialog(this, QStringLiteral("Ajouter des fichiers à la liste de lecture"), RecordDir());
  dialog->setObjectName(QStringLiteral("OpenDialog"));
  dialog->setFileMode(QFileDialog::ExistingFiles);
  dialog->setNameFilters(AddDialogFilters());
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  QList<QUrl> places;
  if (!RecordDir().isEmpty()) places << QUrl::fromLocalFile(RecordDir());
  for (const QString& f : cdFolders) places << QUrl::fromLocalFile(f);
  places << QUrl::fromLocalFile(QDir::homePath());
  dialog->setSidebarUrls(places);
  const QStringList chosen = RunDialog(dialog);
  if (!chosen.isEmpty()) AddFilesToPlaylist(chosen);
}

void TFormListeFile::TraiteMessage(const QStringList& paths) {
  AddFilesToPlaylist(paths);
}

void TFormListeFile::ClearPlaylistBtnClick() {
  queue_->Clear();
  model_->Clear();
  playListName_->setText(kNoName);
  RefreshCount();
}

void TFormListeFile::OpenPlaylistBtnClick() {
  auto* dialog = new QFileDialog(this, QStringLiteral("Ouvrir une liste de lecture ..."), RecordDir(), kListFilter);
  dialog->setObjectName(QStringLiteral("OpenPlaylistDialog"));
  dialog->setFileMode(QFileDialog::ExistingFile);
  const QStringList chosen = RunDialog(dialog);
  if (chosen.isEmpty() || !QFileInfo(chosen.first()).isFile()) return;
  const QString path = chosen.first();
  // The list is read before the playlist is emptied: a list that cannot be read leaves
  // the playlist as it was.
  const TM3URead read = ReadM3UFile(path);
  if (!read.Ok) {
    QMessageBox::critical(this, QStringLiteral("Zovalis"), read.Error);
    return;
  }
  ClearPlaylistBtnClick();
  AddFilesToPlaylist(read.Entries);
  playListName_->setText(QFileInfo(path).fileName());
}

void TFormListeFile::SavePlaylistBtnClick() {
  auto* dialog = new QFileDialog(this, QStringLiteral("Sauvegarder une liste de lecture ..."), RecordDir(), kListFilter);
  dialog->setObjectName(QStringLiteral("SavePlaylistDialog"));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setDefaultSuffix(QStringLiteral("m3u"));
  // The question below is the window's own.
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList chosen = RunDialog(dialog);
  if (chosen.isEmpty()) return;
  const QString path = chosen.first();
  if (QFileInfo::exists(path)) {
    const auto answer = QMessageBox::question(
        this, QStringLiteral("Confirmation"),
        QStringLiteral("Le fichier ") + path + QStringLiteral(" existe déjà voulez-vous le remplacer ?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
  }
  QString error;
  if (!WriteM3UFile(path, model_->Paths(), &error)) {
    QMessageBox::critical(this, QStringLiteral("Zovalis"), error);
    return;
  }
  playListName_->setText(QFileInfo(path).fileName());
}

void TFormListeFile::RunPlayListBtnClick() {
  if (model_->Count() > 0 && player_) player_->PlayFile(0);
}

int TFormListeFile::SelectedRow() const {
  // Whole rows are selected, the hidden columns aside: any selected cell names the row.
  const QModelIndexList selected = view_->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void TFormListeFile::PlayListViewDblClick() {
  const int row = SelectedRow();
  if (row >= 0 && player_) player_->PlayFile(row);
}

void TFormListeFile::PlayListViewKeyDown(int key) {
  if (key != Qt::Key_Delete) return;
  const int row = SelectedRow();
  if (row >= 0) model_->RemoveRow(row);
}

void TFormListeFile::PlayListViewDragDrop(const QList<int>& rows, int target) {
  model_->MoveRows(rows, target);
}

void TFormListeFile::showEvent(QShowEvent* event) {
  TSkinnedForm::showEvent(event);
  FormShow();
}

void TFormListeFile::FormShow() {
  if (!main_) return;
  move(SecondaryPlacement(main_->frameGeometry(), frameGeometry().size(), AvailableAreaFor(main_->frameGeometry())));
}
