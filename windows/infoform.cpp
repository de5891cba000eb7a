#include "windows/infoform.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QTabWidget>
#include <QUrl>

#include "common/versiontext.h"
#include "playback/stationplayer.h"
#include "recording/recordpage.h"
#include "windows/formlisteradio.h"
#include "widgets/imagelist.h"
#include "widgets/simplebtn.h"
#include "windows/formcontrols.h"

namespace {

const QString kSite = QStringLiteral("https://zovalis.example.org/");
const QColor kSkyBlue(166, 202, 240);

QString SitePage(int page) {
  return kSite + QStringLiteral("index.php?page=") + QString::number(page);
}

}  // namespace

bool SavePlayListText(const QString& path, const QStringList& lines, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    if (error) *error = file.errorString();
    return false;
  }
  for (const QString& line : lines) {
    if (file.write(line.toUtf8() + "\r\n") < 0) {
      if (error) *error = file.errorString();
      return false;
    }
  }
  if (!file.flush()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

TSupportMail StationSuggestionMail(const QString& name, const QString& web, const QString& url) {
  return {QStringLiteral("Proposition de radio : ") + name,
          QStringLiteral("Site WEB de la radio : ") + web + QStringLiteral("\n\r") + QStringLiteral("Url du flux : ") +
              url + QStringLiteral("\n\r")};
}

TSupportMail MalfunctionMail(const QString& station) {
  return {QStringLiteral("Disfonctionnement de : ") + station,
          QStringLiteral("Un disfonctionnement a été signalé avec la radio  ") + station};
}

TInfoForm::TInfoForm(const QWidget* main, const TStationPlayer& player, const TRecordPage& page, QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("InfoForm"), QSize(406, 290), QStringLiteral("info.png"),
                                   QStringLiteral("Informations Supplémentaires"), QRect(356, 0, 44, 19),
                                   QPoint(50, 5), QPoint(10, 4)),
                   parent),
      main_(main),
      player_(player),
      page_(page) {
  Inform = [this](const QString& text) { QMessageBox::information(this, QStringLiteral("Zovalis"), text); };
  SaveFileName = [this](const QString& folder, const QString& proposed) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Sauvegarde la liste de lecture sous ..."),
                                        folder + QLatin1Char('/') + proposed, QStringLiteral("Fichier Texte (*.txt)"));
  };
  OpenUrl = [](const QString& url) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QDesktopServices::openUrl(QUrl(url));
    QApplication::restoreOverrideCursor();
  };
  MAPIMail.Recipients = QStringList{QStringLiteral("catalogue@zovalis.example.org")};
  MAPIMail.Subject = QStringLiteral("Proposition de radios");
  MAPIMail.EditDialog = false;
  SendMail = [this](const TSupportMail& mail) {
    MAPIMail.Subject = mail.Subject;
    MAPIMail.Body = mail.Body;
    try {
      MAPIMail.Send();
    } catch (const TMapiError& e) {
      QMessageBox::critical(this, QStringLiteral("Zovalis"), QString::fromStdString(e.what()));
    }
  };
  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  UseDialogPalette(pages_);
  pages_->setGeometry(10, 32, 386, 231);
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(11);
  pages_->setFont(f);
  BuildPlayListPage();
  BuildSupportPage();
  BuildDonationPage();
  BuildAboutPage();
  pages_->setCurrentIndex(0);
  SetView(TInfoView::PlayList);
}

QWidget* TInfoForm::AddPage(const QString& title, const char* name) {
  auto* page = new QWidget;
  page->setObjectName(QLatin1String(name));
  page->setAutoFillBackground(true);
  pages_->addTab(page, title);
  return page;
}

void TInfoForm::BuildPlayListPage() {
  QWidget* p = AddPage(QStringLiteral("Radio PlayList"), "TabSheet1");
  label2_ = MakeTextLabel(p, "Label2", QString(), {6, 4});
  label2_->setGeometry(6, 4, 216, 16);
  // "Enregistrer ce titre": the song playing, from its first sample.
  btRecordTitle_ = new QPushButton(QStringLiteral("Enregistrer ce titre"), p);
  btRecordTitle_->setObjectName(QStringLiteral("btRecordTitle"));
  btRecordTitle_->setGeometry(224, 1, 104, 20);
  btRecordTitle_->setToolTip(QStringLiteral("Enregistre le titre en cours depuis son début (Ctrl+Maj+R)"));
  connect(btRecordTitle_, &QPushButton::clicked, this, [this] {
    if (RecordTitle) RecordTitle();
  });
  simpleBtn1_ = new TSimpleBtn(p);
  simpleBtn1_->setObjectName(QStringLiteral("SimpleBtn1"));
  simpleBtn1_->setGeometry(331, 0, 34, 21);
  simpleBtn1_->Glyphs()->SetGlyphList(TImageList::FromStrip(LoadSkinPicture(QStringLiteral("save.png")), 3));
  simpleBtn1_->Glyphs()->SetFace(0, 1, 2);
  simpleBtn1_->Glyphs()->SetG3_StillDown(2);
  simpleBtn1_->setToolTip(QStringLiteral("Sauvegarder la liste de lecture"));
  connect(simpleBtn1_, &TSimpleBtn::clicked, this, &TInfoForm::SimpleBtn1Click);
  const char* names[] = {"PlayListBox", "Meta", "Informations"};
  for (int i = 0; i < 3; ++i) {
    models_[i] = new QStringListModel(this);
    auto* view = new QListView(p);
    view->setObjectName(QLatin1String(names[i]));
    view->setGeometry(4, 24, 370, 174);
    view->setModel(models_[i]);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformItemSizes(true);  // long lists stay quick to lay out
    QPalette pal = view->palette();
    pal.setColor(QPalette::Base, kSkyBlue);
    view->setPalette(pal);
    lists_[i] = view;
  }
}

void TInfoForm::AddLink(QWidget* page, const char* name, const QString& text, QPoint at, const QString& url,
                        int width) {
  QLabel* link = MakeLink(page, name, text, at);
  if (width > 0) {
    link->setGeometry(at.x(), at.y(), width, link->height());
    link->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  }
  link->setProperty("url", url);
  link->installEventFilter(this);
}

void TInfoForm::AddHotSpot(QWidget* page, const char* name, QRect geometry, TInfoView view) {
  auto* spot = new QLabel(page);
  spot->setObjectName(QLatin1String(name));
  spot->setGeometry(geometry);
  spot->setProperty("view", int(view));
  spot->installEventFilter(this);
}

void TInfoForm::BuildSupportPage() {
  QWidget* p = AddPage(QStringLiteral("Support"), "TabSheet3");
  auto* g1 = new QGroupBox(QStringLiteral("Aide en ligne"), p);
  g1->setObjectName(QStringLiteral("GroupBox1"));
  g1->setGeometry(0, -1, 137, 83);
  AddLink(g1, "Label3", QStringLiteral("Guide de l'utilisateur"), {8, 19}, SitePage(136), 121);
  AddLink(g1, "Label5", QStringLiteral("Page Support"), {8, 39}, SitePage(140), 121);
  AddLink(g1, "Label9", QStringLiteral("Signez le livre d'or"), {8, 59}, SitePage(137), 121);

  auto* g3 = new QGroupBox(QStringLiteral("Signaler le disfonctionnement d'une radio : "), p);
  g3->setObjectName(QStringLiteral("GroupBox3"));
  g3->setGeometry(141, 0, 235, 88);
  MakeTextLabel(g3, "Label16", QStringLiteral("Nom de la radio : "), {10, 20});
  dbRadioComboBox_ = new QComboBox(g3);
  dbRadioComboBox_->setObjectName(QStringLiteral("DBRadioComboBox"));
  dbRadioComboBox_->setGeometry(7, 35, 215, 20);
  auto* signal = new QPushButton(QStringLiteral("Signaler"), g3);
  signal->setObjectName(QStringLiteral("Button2"));
  signal->setGeometry(160, 58, 60, 19);
  connect(signal, &QPushButton::clicked, this, &TInfoForm::Button2Click);

  auto* g2 = new QGroupBox(QStringLiteral("Proposer une radio : "), p);
  g2->setObjectName(QStringLiteral("GroupBox2"));
  g2->setGeometry(2, 84, 374, 118);
  const struct {
    QLineEdit** edit;
    const char* name;
    const char* label;
    const char* caption;
    int y;
  } edits[] = {{&edRadioName_, "edRadioName", "Label13", "Nom de la radio : ", 19},
               {&edRadioWeb_, "edRadioWeb", "Label14", "Site Web de la radio : ", 40},
               {&edRadioUrl_, "edRadioUrl", "Label15", "Url du flux : ", 61}};
  for (const auto& e : edits) {
    QLabel* l = MakeTextLabel(g2, e.label, QString::fromUtf8(e.caption), {0, e.y + 3});
    l->move(122 - l->width(), e.y + 3);
    auto* edit = new QLineEdit(g2);
    edit->setObjectName(QLatin1String(e.name));
    edit->setGeometry(124, e.y, 244, 20);
    *e.edit = edit;
  }
  auto* send = new QPushButton(QStringLiteral("Envoyer votre proposition"), g2);
  send->setObjectName(QStringLiteral("Button1"));
  send->setGeometry(202, 87, 165, 25);
  connect(send, &QPushButton::clicked, this, &TInfoForm::Button1Click);
}

void TInfoForm::BuildDonationPage() {
  QWidget* p = AddPage(QStringLiteral("Sountenez le projet !"), "TabSheet4");
  auto* g = new QGroupBox(QStringLiteral("Faites un don !"), p);
  g->setObjectName(QStringLiteral("GroupBox4"));
  g->setGeometry(4, 4, 366, 192);
  auto* memo = new QPlainTextEdit(g);
  memo->setObjectName(QStringLiteral("Memo1"));
  memo->setGeometry(7, 18, 351, 123);
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setPlainText(QStringList{QStringLiteral("Ce geste n'est bien entendu pas obligatoire, mais votre contribution "),
                                 QStringLiteral("est un bon moyen :"), QString(),
                                 QStringLiteral("- d'aider au développement de futures versions, "),
                                 QStringLiteral("- de maintenir et d'enrichir la liste des radios,"),
                                 QStringLiteral("- de maintenir un service de qualité gratuit et sans abonnement,"),
                                 QStringLiteral("- de promouvoir les webradios,"),
                                 QStringLiteral("- de montrer votre soutien à mon travail."), QString()}
                         .join(QLatin1Char('\n')));
  AddLink(g, "Label17", QStringLiteral("Je désire faire un don "), {24, 158}, SitePage(141));
  if (auto* link = g->findChild<QLabel*>(QStringLiteral("Label17"))) {
    QFont bold = link->font();
    bold.setBold(true);
    bold.setPixelSize(13);
    link->setFont(bold);
    link->adjustSize();
  }
  auto* badge = new QLabel(g);
  badge->setObjectName(QStringLiteral("Image3"));
  badge->setGeometry(237, 152, 120, 30);
  badge->setPixmap(LoadSkinPicture(QStringLiteral("donate.png")));
  badge->setCursor(Qt::PointingHandCursor);
  badge->setProperty("url", SitePage(141));
  badge->installEventFilter(this);
}

void TInfoForm::BuildAboutPage() {
  QWidget* p = AddPage(QStringLiteral("A propos de ..."), "TabSheet2");
  const QColor blue(0, 0, 255);
  QLabel* app = MakeLabel(p, "lbApplication", QStringLiteral("Zovalis"), QRect(2, 16, 198, 16), "Tahoma", 13, true, blue);
  app->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  lbVersion_ = MakeLabel(p, "lbVersion", GetVersionText(QStringLiteral("Version %d.%d.%d ( Build %d )")),
                         QRect(14, 40, 180, 16), "Tahoma", 13, true, blue);
  lbVersion_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QLabel* notice = MakeTextLabel(p, "Label4", QStringLiteral("© 2026 Kestrune - Licence GPL 3+"),
                                 {0, 64});
  notice->setGeometry(2, 64, 204, 16);
  notice->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  AddLink(p, "HomePageLink", kSite, {2, 88}, kSite, 204);
  auto* artwork = new QLabel(p);
  artwork->setObjectName(QStringLiteral("Image1"));
  artwork->setGeometry(209, 11, 148, 113);
  artwork->setPixmap(LoadSkinPicture(QStringLiteral("artwork.png")));
  // The credits: the libraries the program is built on, with their licences.
  auto* credits = new QPlainTextEdit(p);
  credits->setObjectName(QStringLiteral("Label1"));
  credits->setGeometry(6, 128, 364, 68);
  credits->setReadOnly(true);
  credits->setFrameShape(QFrame::NoFrame);
  credits->viewport()->setAutoFillBackground(false);
  credits->setPlainText(QStringList{
      QStringLiteral("Utilise les bibliothèques et programmes libres suivants :"),
      QStringLiteral("FFmpeg (LGPL 2.1 ou ultérieure) : décodage des flux et des fichiers"),
      QStringLiteral("libcurl (licence curl) : téléchargements HTTP et HTTPS"),
      QStringLiteral("Qt 6 (LGPL 3) : fenêtres et réseau"),
      QStringLiteral("PulseAudio (LGPL 2.1 ou ultérieure) : sortie du son"),
      QStringLiteral("libcdio et libcdio-paranoia (GPL 3 ou ultérieure) : CD audio"),
      QStringLiteral("LAME (LGPL 2) : encodage MP3"),
      QStringLiteral("Vorbis tools, libvorbis et libogg (GPL 2 / BSD) : encodage OGG"),
      QStringLiteral("Drapeaux famfamfam de Mark James (domaine public)"),
      QStringLiteral("Analyseur de spectre et habillage : développés pour Zovalis")}
                            .join(QLatin1Char('\n')));
  AddHotSpot(p, "Label12", QRect(307, 57, 14, 14), TInfoView::PlayList);
  AddHotSpot(p, "Label10", QRect(296, 76, 14, 13), TInfoView::Meta);
  AddHotSpot(p, "Label11", QRect(313, 74, 14, 13), TInfoView::Informations);
}

bool TInfoForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    const QVariant url = watched->property("url");
    if (url.isValid()) {
      if (OpenUrl) OpenUrl(url.toString());
      return true;
    }
    const QVariant view = watched->property("view");
    if (view.isValid()) {
      pages_->setCurrentIndex(0);
      SetView(TInfoView(view.toInt()));
      return true;
    }
  }
  return TSkinnedForm::eventFilter(watched, event);
}

void TInfoForm::showEvent(QShowEvent* event) {
  PlaceNextToMain(main_, this);
  TSkinnedForm::showEvent(event);
}

void TInfoForm::ShowPage(const QString& page) {
  for (int i = 0; i < pages_->count(); ++i) {
    if (pages_->tabText(i) == page) pages_->setCurrentIndex(i);
  }
  show();
  raise();
}

QString TInfoForm::CurrentPage() const {
  return pages_->tabText(pages_->currentIndex());
}

QString TInfoForm::StationName() const {
  return player_.CurrentRadio.Radio;
}

void TInfoForm::SetView(TInfoView view) {
  view_ = view;
  for (int i = 0; i < 3; ++i) lists_[i]->setVisible(i == int(view));
  switch (view) {
    case TInfoView::PlayList:
      label2_->setText(QStringLiteral("Liste de lecture pour ") + StationName());
      break;
    case TInfoView::Meta:
      label2_->setText(QStringLiteral("Données de synchronisation"));
      break;
    case TInfoView::Informations:
      label2_->setText(QStringLiteral("Tags d'informations"));
      break;
  }
  simpleBtn1_->setVisible(view == TInfoView::PlayList);
}

void TInfoForm::SyncLists(const QStringList& playList, const QStringList& meta, const QStringList& informations) {
  const QStringList* sources[] = {&playList, &meta, &informations};
  for (int i = 0; i < 3; ++i) {
    QStringListModel* model = models_[i];
    const QStringList& source = *sources[i];
    const int shown = model->rowCount();
    if (source.size() < shown) {
      model->setStringList(source);
    } else if (source.size() > shown) {
      // Only the new lines are added: a long history is not copied again at each title.
      const int added = int(source.size()) - shown;
      model->insertRows(shown, added);
      for (int r = 0; r < added; ++r) model->setData(model->index(shown + r), source[shown + r]);
    } else {
      continue;
    }
    if (model->rowCount() > 0) {
      const QModelIndex last = model->index(model->rowCount() - 1);
      lists_[i]->setCurrentIndex(last);
      lists_[i]->scrollTo(last);
    }
  }
  if (view_ == TInfoView::PlayList) label2_->setText(QStringLiteral("Liste de lecture pour ") + StationName());
}

void TInfoForm::SetStationNames(const QStringList& names) {
  dbRadioComboBox_->clear();
  QStringList sorted = names;
  sorted.sort(Qt::CaseInsensitive);
  dbRadioComboBox_->addItems(sorted);
  dbRadioComboBox_->setCurrentIndex(-1);
}

void TInfoForm::AttachBrowser(TFormListeRadio* browser) {
  TCatalogueLoader* loader = &browser->Loader();
  SetStationNames(loader->StationNames());
  connect(loader, &TCatalogueLoader::ListsChanged, this, [this, loader] { SetStationNames(loader->StationNames()); });
}

void TInfoForm::SimpleBtn1Click() {
  const QString folder = page_.edRecordDir;
  const QString path = SaveFileName(folder, StationName() + QStringLiteral(".txt"));
  if (path.isEmpty()) return;
  QString error;
  if (!SavePlayListText(path, models_[0]->stringList(), &error)) {
    QMessageBox::critical(this, QStringLiteral("Zovalis"),
                          QStringLiteral("Impossible d'écrire le fichier ") + path + QStringLiteral(" : ") + error);
  }
}

void TInfoForm::Button1Click() {
  if (SendMail) SendMail(StationSuggestionMail(edRadioName_->text(), edRadioWeb_->text(), edRadioUrl_->text()));
}

void TInfoForm::Button2Click() {
  // A report names its station: without one there is nothing to send.
  if (dbRadioComboBox_->currentText().trimmed().isEmpty()) {
    if (Inform) Inform(QStringLiteral("Choisissez la radio à signaler."));
    return;
  }
  if (SendMail) SendMail(MalfunctionMail(dbRadioComboBox_->currentText()));
}
