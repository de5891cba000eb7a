#include "app/mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QWheelEvent>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QThread>
#include <QUrl>
#include <memory>
#include <utility>

#include "catalogue/catalogue.h"
#include "catalogue/cataloguetable.h"
#include "catalogue/stationrecord.h"
#include "common/appfolders.h"
#include "common/placement.h"
#include "common/queuedcall.h"
#include "windows/formcontrols.h"
#include "common/versiontext.h"
#include "localfiles/fileplayer.h"
#include "playback/engineerror.h"
#include "widgets/paintbox.h"
#include "widgets/scrolltext.h"
#include "widgets/simplebtn.h"
#include "widgets/trackskin.h"
#include "windows/configform.h"
#include "windows/formlistefile.h"
#include "windows/formlisteradio.h"
#include "windows/infoform.h"

namespace {


TSkinnedFormLayout MainLayout() {
  TSkinnedFormLayout l;
  l.InstanceName = QStringLiteral("MainForm");
  l.ClientSize = QSize(kMainFormWidth, kMainFormHeight);
  l.Background = QStringLiteral("main.png");
  l.Title = QStringLiteral("Zovalis");
  l.TitlePos = QPoint(41, 5);
  l.IconPos = QPoint(11, 4);
  l.CloseRect = QRect(431, 0, 44, 19);
  l.BackgroundName = QStringLiteral("Image1");
  l.TitleName = QStringLiteral("NomAppli");
  l.IconName = QStringLiteral("RadioImage");
  return l;
}


}  // namespace

TMainForm::TMainForm(const TMainFormParts& parts)
    : TSkinnedForm(MainLayout()),
      Settings(parts.App->Settings),
      ExeFolder(parts.App->ExeFolder),
      DataFolder(parts.App->DataFolder),
      TunerFolder(parts.App->TunerFolder),
      Favourites(*parts.Favourites),
      RecordPage(*parts.RecordPage),
      player_(parts.Player),
      recorder_(parts.Recorder) {
  statut_ = FaceLabel(this, "Statut", QRect(229, 33, 196, 14), kFaceSilver, 11);
  face_ = BuildMainFace(this);
  FormCreate();
}

TMainForm::~TMainForm() {
  FormDestroy();
}

void TMainForm::FormCreate() {
  FirstShow = true;

  const QString versionText = GetVersionText(QStringLiteral(" %d.%d.%d"));
  NomAppli()->setText(QStringLiteral("Zovalis") + versionText);
  NomAppli()->adjustSize();
  MenuAProposCaption = QStringLiteral("&A Propos de Zovalis") + versionText;

  // The saved place, brought wholly onto the screen it is most on (or the nearest): a
  // screen may be gone, smaller or scaled since the last run.
  const QPoint saved(Settings.Left, Settings.Top);
  move(KeptInside(saved, size(), AvailableAreaFor(QRect(saved, size()))));

  BuildTray();
  BuildMenus();
  BuildKeys();
  if (!Favourites.Names().isEmpty()) BuildFavouritesMenu();
  ConnectPlayer();
  ConnectRecorder();
  ConnectOpening();

  InitRadioButton();
  face_.RadioName->clear();
  CreateSpectrum();
  ApplyVolume(Settings.Volume);
}

// ---- Tray and menus ----------------------------------------------------------------------

void TMainForm::BuildTray() {
  // The tray icon lives as long as the program, with the program's icon.
  trayIcon_ = new QSystemTrayIcon(QIcon(LoadSkinPicture(QStringLiteral("icon48.png"))), this);
  trayIcon_->setToolTip(QStringLiteral("Zovalis"));
  systrayPopupMenu_ = new QMenu(this);
  systrayPopupMenu_->setObjectName(QStringLiteral("SystrayPopupMenu"));
  systrayPopupMenu_->addAction(QStringLiteral("&Afficher le tuner"), this, &TMainForm::Restore);
  balloonSwitch_ = systrayPopupMenu_->addAction(QString(), this, [this] { SetBalloonSwitch(!Settings.TrayInformation); });
  systrayPopupMenu_->addAction(QStringLiteral("&Quitter"), this, [this] { close(); });
  UpdateBalloonSwitchCaption();
  trayIcon_->setContextMenu(systrayPopupMenu_);
  connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger) Restore();
  });
  if (QSystemTrayIcon::isSystemTrayAvailable()) trayIcon_->show();
  TrayShown = [this] { return trayIcon_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable(); };
}

void TMainForm::SetBalloonSwitch(bool on) {
  Settings.TrayInformation = on;
  UpdateBalloonSwitchCaption();
  Q_EMIT BalloonSwitchChanged(on);
}

void TMainForm::UpdateBalloonSwitchCaption() {
  if (balloonSwitch_)
    balloonSwitch_->setText(Settings.TrayInformation ? QStringLiteral("Désactiver les infos bulles")
                                                     : QStringLiteral("Activer les infos bulles"));
}

void TMainForm::BuildMenus() {
  const auto menu = [this](const char* name) {
    auto* m = new QMenu(this);
    m->setObjectName(QLatin1String(name));
    return m;
  };
  popupRadioMenu_ = menu("PopupRadioMenu");
  popupRadioMenu_->addAction(QStringLiteral("Ouvrir une &radio ..."), this, [this] {
    show();
    if (browser_) {
      browser_->show();
      browser_->raise();
    }
  });
  popupRadioMenu_->addAction(QStringLiteral("Ouvrir une adresse ..."), this, &TMainForm::OpenAddressClick);
  // The open station directory: shown in the browser, its list fetched again on demand.
  popupRadioMenu_->addAction(QStringLiteral("Annuaire mondial"), this, [this] {
    if (!browser_) return;
    browser_->TunerComboBoxChange(2);
    browser_->show();
    browser_->raise();
  })->setObjectName(QStringLiteral("mnDirectory"));
  popupRadioMenu_->addAction(QStringLiteral("Mettre à jour l'annuaire"), this, [this] {
    if (!browser_) return;
    browser_->UpdateDirectory();
    browser_->show();
    browser_->raise();
  })->setObjectName(QStringLiteral("mnUpdateDirectory"));
  popupRadioMenu_->addSeparator();
  popupRadioMenu_->addAction(QStringLiteral("&Quitter"), this, [this] { close(); });

  popupOpenMenu_ = menu("PopupOpenMenu");
  popupOpenMenu_->addAction(QStringLiteral("Ouvrir la liste de lecture ..."), this, [this] {
    show();
    if (playlist_) {
      playlist_->show();
      playlist_->raise();
    }
  });
  popupOpenMenu_->addAction(QStringLiteral("Explorer le répertoire d'enregistrement ..."), this,
                            &TMainForm::MenuExplorerRecordDirClick);

  popupSetupMenu_ = menu("PopupSetupMenu");
  const struct {
    const char* caption;
    const char* page;
  } setup[] = {{"&Affichage ...", "Affichage"},
               {"Tuner ...", "Tuner"},
               {"Mode de connexion ...", "Connexion"},
               {"&Enregistrement ...", "Enregistrement"},
               {"&Favoris ...", "Favoris"}};
  for (const auto& item : setup) {
    const QString page = QString::fromUtf8(item.page);
    popupSetupMenu_->addAction(QString::fromUtf8(item.caption), this, [this, page] { ShowConfigPage(page); });
  }

  popupInfoMenu_ = menu("PopupInfoMenu");
  const struct {
    QString caption;
    const char* page;
  } info[] = {{QStringLiteral("&Radio Playlist"), "Radio PlayList"},
              {QStringLiteral("Documentation - Support - FAQ"), "Support"},
              {QStringLiteral("Soutenez le projet : faites un don !"), "Sountenez le projet !"},
              {MenuAProposCaption, "A propos de ..."}};
  for (const auto& item : info) {
    const QString page = QString::fromUtf8(item.page);
    popupInfoMenu_->addAction(item.caption, this, [this, page] { ShowInfoPage(page); });
  }

  popupFavorisMenu_ = menu("PopupFavorisMenu");
  popupFavorisMenu_->addAction(QStringLiteral("&Ajouter cette radio aux favoris"), this,
                               &TMainForm::MenuAjouterFavorisClick);
  popupFavorisMenu_->addSeparator();

  // The drop-down buttons: a press in the top 20 pixels toggles a window, lower opens the
  // button's menu (the favourites button always opens its menu).
  connect(face_.RadioBtn, &TSimpleBtn::mouseDown, this, [this](QMouseEvent* e) {
    DropDown(face_.RadioBtn, popupRadioMenu_, e, [this] { ToggleWindow(browser_); });
  });
  connect(face_.OpenBtn, &TSimpleBtn::mouseDown, this, [this](QMouseEvent* e) {
    DropDown(face_.OpenBtn, popupOpenMenu_, e, [this] { ToggleWindow(playlist_); });
  });
  connect(face_.ConfigBtn, &TSimpleBtn::mouseDown, this, [this](QMouseEvent* e) {
    DropDown(face_.ConfigBtn, popupSetupMenu_, e, [this] { ToggleWindow(Windows.Config(true)); });
  });
  connect(face_.InfoBtn, &TSimpleBtn::mouseDown, this, [this](QMouseEvent* e) {
    DropDown(face_.InfoBtn, popupInfoMenu_, e, [this] {
      TInfoForm* info = Windows.Info(false);
      if (info && info->isVisible()) {
        info->hide();
      } else {
        info = Windows.Info(true);
        info->SetView(TInfoView::PlayList);
        ShowInfoPage(info->CurrentPage());
      }
    });
  });
  connect(face_.FavorisBtn, &TSimpleBtn::mouseDown, this,
          [this](QMouseEvent* e) { DropDown(face_.FavorisBtn, popupFavorisMenu_, e, nullptr); });

  connect(face_.MinBtn, &TSimpleBtn::clicked, this, &TMainForm::MinBtnClick);
  connect(face_.PlayBtn, &TSimpleBtn::clicked, this, &TMainForm::PlayBtnClick);
  connect(face_.StopBtn, &TSimpleBtn::clicked, this, &TMainForm::StopBtnClick);
  connect(face_.PrevBtn, &TSimpleBtn::clicked, this, &TMainForm::PrevBtnClick);
  connect(face_.NextBtn, &TSimpleBtn::clicked, this, &TMainForm::NextBtnClick);
  connect(face_.SpeakerBtn, &TSimpleBtn::clicked, this, &TMainForm::SpeakerBtnClick);
  connect(face_.VolumeBar, &TTrackSkin::changed, this, &TMainForm::VolumeBarChange);
  connect(face_.PaintBox1, &TPaintBox::clicked, this, [this] {
    if (spectrum_) spectrum_->ShowPeaks = !spectrum_->ShowPeaks;
  });
  face_.ImgRadio->installEventFilter(this);
  face_.ImgRadio->setAttribute(Qt::WA_Hover);
}

void TMainForm::DropDown(TSimpleBtn* button, QMenu* menu, QMouseEvent* event,
                         const std::function<void()>& shortPress) {
  if (event->button() != Qt::LeftButton) return;
  // The upper half toggles the button's window, the lower half opens its menu.
  if (shortPress && event->position().y() < button->height() / 2) {
    shortPress();
    return;
  }
  // Under the button's left edge.
  lastPopped_ = menu;
  lastPopupPoint_ = QPoint(x() + button->x(), y() + button->y() + button->height());
  if (menusModal_) {
    menu->exec(lastPopupPoint_);
  } else {
    menu->popup(lastPopupPoint_);
  }
}

void TMainForm::ToggleWindow(QWidget* window) {
  if (!window) return;
  if (window->isVisible()) {
    window->hide();
  } else {
    window->show();
    window->raise();
  }
}

void TMainForm::ShowConfigPage(const QString& page) {
  Windows.Config(true)->ShowPage(page);
}

void TMainForm::ShowInfoPage(const QString& page) {
  Windows.Info(true)->ShowPage(page);
}

void TMainForm::SetTrayHint(const QString& text) {
  if (trayIcon_) trayIcon_->setToolTip(text);
}

void TMainForm::ShowBalloon(const QString& title, const QString& text, bool error, int timeoutMs) {
  if (!trayIcon_ || !trayIcon_->isVisible()) {
    notifier_.Notify(title, text, error, timeoutMs);
    return;
  }
  trayIcon_->showMessage(title, text, error ? QSystemTrayIcon::Critical : QSystemTrayIcon::Information, timeoutMs);
}

void TMainForm::MinBtnClick() {
  // Without a notification area nothing would bring hidden windows back: the window goes
  // to the taskbar instead.
  if (!TrayShown()) {
    showMinimized();
    return;
  }
  // Every window hides (no taskbar entry remains); the tray icon is the way back.
  if (Windows.All)
    for (QWidget* w : Windows.All()) w->hide();
  hide();
  ShowBalloon(QStringLiteral("Zovalis"), QStringLiteral("Retrouvez votre lecteur radio ici !"), false, 10000);
}

void TMainForm::Restore() {
  move(KeptInside(pos(), frameGeometry().size(), AvailableAreaFor(frameGeometry())));
  if (isMinimized()) {
    showNormal();
  } else {
    show();
  }
  raise();
  activateWindow();
}

// ---- Favourites ----------------------------------------------------------------------------

void TMainForm::BuildFavouritesMenu() {
  popupFavorisMenu_->clear();
  popupFavorisMenu_->addAction(QStringLiteral("Ajouter aux favoris"), this, &TMainForm::MenuAjouterFavorisClick);
  popupFavorisMenu_->addSeparator();
  const QStringList& names = Favourites.Names();
  for (int i = 0; i < names.size(); ++i) {
    // "&" in a station name is shown, not taken as an access key.
    QString caption = names[i];
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* a = popupFavorisMenu_->addAction(caption);
    a->setData(i);
    connect(a, &QAction::triggered, this, [this, i] {
      if (i < Favourites.Names().size()) PlayFavourite(Favourites.Names()[i]);
    });
  }
}

void TMainForm::MenuAjouterFavorisClick() {
  const QString name = player_ ? player_->CurrentRadio.Radio : QString();
  const auto answer =
      QMessageBox::question(this, QStringLiteral("Zovalis"),
                            QStringLiteral("Voulez-vous ajouter \"") + name + QStringLiteral("\" à vos favoris ?"),
                            QMessageBox::Yes | QMessageBox::No);
  if (answer != QMessageBox::Yes) return;
  // A station opened by its address keeps its address with its name.
  const QString address = player_ && player_->AddressStation() ? player_->CurrentRadio.Url : QString();
  if (!Favourites.Add(name, address)) return;
  CopyFavouritesToConfig();
  BuildFavouritesMenu();
}

void TMainForm::CopyFavouritesToConfig() {
  if (TConfigForm* config = Windows.Config ? Windows.Config(false) : nullptr) config->MirrorFavourites(Favourites.Names());
}

void TMainForm::FavouritesEdited(const QStringList& names) {
  Favourites.SetNames(names);
  BuildFavouritesMenu();
}

void TMainForm::PlayFavourite(const QString& name) {
  // A favourite opened by its address plays from it, as it was heard.
  if (const QString address = Favourites.AddressOf(name); !address.isEmpty()) {
    TStationRecord station;
    station.Radio = name;
    station.Url = address;
    return PlayAddress(station);
  }
  if (!catalogue_) return;
  // Looked up by name whatever its case; the browser's filter and row stay as they are.
  if (const std::optional<TStationRecord> station = FindStationRecord(catalogue_->radiosDataset, name)) {
    player_->LoadCurrentStation(*station);
    player_->OpenStation();
  }
}

// ---- Station playback display ------------------------------------------------------------

void TMainForm::AttachCatalogue(TCatalogue& catalogue, TFormListeRadio* browser) {
  catalogue_ = &catalogue;
  browser_ = browser;
  TStationPlayer::TContext c;
  c.Stations = &catalogue.radiosDataset;
  c.Countries = &catalogue.countryDataSet;
  c.Http = &catalogue.IdHTTP;
  c.TunerFolder = [this] { return TunerFolder; };
  c.DataFolder = [this] { return DataFolder; };
  c.RemoteBase = [&catalogue] { return catalogue.Loader().Tuner.RemoteBase; };
  c.Remote = [this] { return Settings.Mode == QLatin1String("remote"); };
  c.Directory = [this] { return Settings.Mode == QLatin1String("directory"); };
  c.FetchPicture = [this, &catalogue](const QString& icon) { catalogue.Directory.FetchFavicon(TunerFolder, icon); };
  // A play of a directory station is reported to the directory, in the background.
  c.Played = [this, &catalogue](const TCurrentRadio& station) {
    if (Settings.Mode == QLatin1String("directory")) catalogue.Directory.ReportPlay(station.Icon.trimmed());
  };
  connect(&catalogue.Directory, &TStationDirectory::FaviconReady, player_, &TStationPlayer::PictureArrived);
  c.Proxy = [this] {
    return TProxyFields{Settings.IsProxyServer, Settings.ProxyServer, Settings.ProxyPort, Settings.ProxyUser,
                        Settings.ProxyPasswd};
  };
  c.Recording = [r = recorder_] { return r->Recording(); };
  player_->SetContext(std::move(c));
  connect(browser, &TFormListeRadio::StationChosen, this, [this](const TStationRecord& station) {
    player_->LoadCurrentStation(station);
    player_->OpenStation();
  });
  // The Previous and Next hints name the browser's active filter while stations play.
  connect(browser, &TFormListeRadio::NavigationHintsChanged, this,
          [this](const QString& previous, const QString& next) {
            if (player_ && player_->PlayMode != QLatin1String("Radio")) return;
            face_.PrevBtn->setToolTip(previous);
            face_.NextBtn->setToolTip(next);
          });
  face_.PrevBtn->setToolTip(browser->PreviousHint());
  face_.NextBtn->setToolTip(browser->NextHint());
}

void TMainForm::ConnectPlayer() {
  TStationPlayer* p = player_;
  connect(p, &TStationPlayer::StatusChanged, this, &TMainForm::SetStatus);
  connect(p, &TStationPlayer::BusyChanged, this, [](bool busy) {
    if (busy) {
      QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
      while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    }
  });
  connect(p, &TStationPlayer::FacesChanged, this, [this](TPlayFace play, TStopFace stop) {
    if (play == TPlayFace::Ready) {
      face_.PlayBtn->Glyphs()->SetFace(1, 2, 0);
      face_.PlayBtn->setToolTip(QStringLiteral("Démarrer la lecture."));
    } else {
      face_.PlayBtn->Glyphs()->SetFace(0, -1, -1);
      face_.PlayBtn->setToolTip(QString());
    }
    if (stop == TStopFace::Active) {
      WakeSpectrum();
      face_.StopBtn->Glyphs()->SetFace(0, 1, 2);
      face_.StopBtn->setToolTip(QString());
    } else {
      face_.StopBtn->Glyphs()->SetFace(3, -1, -1);
      face_.StopBtn->setToolTip(QStringLiteral("Stopper la lecture et l'enregistrement."));
    }
    face_.PlayBtn->update();
    face_.StopBtn->update();
  });
  connect(p, &TStationPlayer::ProgressChanged, face_.ProgressBar, [this](int level) {
    face_.ProgressBar->setValue(qBound(0, level, 100));
  });
  connect(p, &TStationPlayer::StationShown, this,
          [this](const QString& name, const QString& genre, const QString& country, const QString& web) {
            face_.RadioName->setText(name);
            face_.edGenre->setText(genre);
            face_.edCountry->setText(country);
            face_.ImgRadio->setToolTip(web);
          });
  connect(p, &TStationPlayer::IconChanged, this, [this](const QString& path) {
    const QPixmap pic = path.isEmpty() ? QPixmap() : QPixmap(path);
    face_.ImgRadio->setPixmap(pic.isNull() ? QPixmap()
                                           : pic.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  });
  connect(p, &TStationPlayer::FlagChanged, this, [this](const QString& path, const QString& hint) {
    face_.imgFlag->setPixmap(path.isEmpty() ? QPixmap() : QPixmap(path));
    face_.imgFlag->setToolTip(hint);
  });
  connect(p, &TStationPlayer::RadioNameChanged, face_.RadioName, &QLabel::setText);
  connect(p, &TStationPlayer::GenreChanged, face_.edGenre, &QLabel::setText);
  connect(p, &TStationPlayer::TitleShown, this, [this](const QString& title) {
    face_.EdTitle->SetScrollMessage(title);
    // The desktop's window lists and accessibility tools see the song too.
    const bool known = player_ && player_->CurrentRadio.Title == title && title != QLatin1String("Titre non disponible");
    setWindowTitle(known ? title + QStringLiteral(" - Zovalis") : QStringLiteral("Zovalis"));
  });
  connect(p, &TStationPlayer::StreamInfoShown, this,
          [this](const QString& type, const QString& rate, const QString& freq, const QString& channels) {
            face_.TypeFlux->setText(type);
            face_.Debit->setText(rate);
            face_.Frequence->setText(freq);
            face_.Canaux->setText(channels);
          });
  connect(p, &TStationPlayer::ElapsedChanged, face_.labelTimeEllapsed, &QLabel::setText);
  connect(p, &TStationPlayer::RecordButtonVisible, face_.RecordBtn, &QWidget::setVisible);
  connect(p, &TStationPlayer::DisplayReset, this, [this] { InitRadioButton(); });
  connect(p, &TStationPlayer::Balloon, this, [this](const QString&, const QString& title) {
    if (Settings.TrayInformation) ShowBalloon(face_.RadioName->text(), title, false, 10000);
  });
  connect(p, &TStationPlayer::InformationListsChanged, this, [this] {
    SyncInfoForm();
  });
  connect(p, &TStationPlayer::ErrorBox, this,
          [this](const QString& text) { QMessageBox::critical(this, QStringLiteral("Zovalis"), text); });
  connect(p, &TStationPlayer::Beep, this, [] { QApplication::beep(); });
}

void TMainForm::SyncInfoForm() {
  if (TInfoForm* info = Windows.Info ? Windows.Info(false) : nullptr)
    info->SyncLists(player_->PlayListBox, player_->Meta, player_->Informations);
}

// Each text of the status line, for whoever follows the program from a terminal or a
// log: QT_LOGGING_RULES="zovalis.status.info=true". Off by default.
Q_LOGGING_CATEGORY(lcStatus, "zovalis.status", QtWarningMsg)

void TMainForm::SetStatus(const QString& text, bool error) {
  qCInfo(lcStatus).noquote() << (error ? "erreur:" : "statut:") << text;
  QPalette pal = statut_->palette();
  pal.setColor(QPalette::WindowText, error ? kFaceRed : kFaceSilver);
  statut_->setPalette(pal);
  statut_->setText(text);
  statut_->setToolTip(text);  // a long text is cut by the label: its hint shows it whole
  if (error) QApplication::beep();
}

void TMainForm::InitRadioButton() {
  // The labels the player's reset empties; the station name, picture and flag stay.
  statut_->clear();
  for (QLabel* l : {face_.TypeFlux, face_.Debit, face_.Frequence, face_.Canaux, face_.edCountry, face_.edGenre})
    l->clear();
  face_.ImgRadio->setToolTip(QString());
  face_.ProgressBar->setValue(0);
  face_.labelTimeEllapsed->setText(QStringLiteral("00:00:00"));
  face_.PlayBtn->Glyphs()->SetFace(1, 2, 0);
  face_.StopBtn->Glyphs()->SetFace(3, -1, -1);
  face_.PrevBtn->Glyphs()->SetFace(0, 1, 2);
  face_.NextBtn->Glyphs()->SetFace(0, 1, 2);
  face_.labelRecordEllapsed->hide();
  face_.LabelRecordType->hide();
  face_.RecordBtn->hide();
  face_.RecordBtn->Glyphs()->SetFace(0, 1, 2);
  face_.RecordBtn->setToolTip(QStringLiteral("Démarrer l'enregistrement."));
  face_.SpeakerBtn->setToolTip(QStringLiteral("Et je coupe le son !"));
  if (player_) face_.EdTitle->SetScrollMessage(player_->CurrentRadio.Title);
}

void TMainForm::PlayBtnClick() {
  if (filePlayer_ && filePlayer_->Active()) return filePlayer_->PlayBtnClick();
  if (player_->PlayMode != QLatin1String("Radio")) return;
  // The player's state, not the button's face, tells whether Play may start a station.
  if (player_->PlayFace() == TPlayFace::Ready) {
    player_->OpenStation();
    face_.PlayBtn->setToolTip(QString());
  } else {
    face_.PlayBtn->setToolTip(QStringLiteral("Démarrer la lecture."));
  }
}

void TMainForm::StopBtnClick() {
  // Something plays (a file, or a station connecting or playing): Stop ends it.
  const bool active = filePlayer_ && filePlayer_->Active() ? filePlayer_->Face() != TFileFace::Ready
                                                           : player_->StopFace() == TStopFace::Active;
  if (active) {
    player_->StopAll();
    face_.StopBtn->setToolTip(QString());
  } else {
    face_.StopBtn->setToolTip(QStringLiteral("Stopper la lecture et l'enregistrement."));
  }
}

void TMainForm::MoveStation(bool next) {
  if (!browser_) return;
  TCatalogueTable& t = catalogue_->radiosDataset;
  if (!t.Active() || t.RecordCount() == 0) return;
  // The browser's row moves through its filter; the station reached is handed on.
  if (next) {
    browser_->NextStation();
  } else {
    browser_->PreviousStation();
  }
  player_->LoadCurrentStation(CurrentStationRecord(t));
  player_->OpenStation();
}

void TMainForm::PrevBtnClick() {
  if (filePlayer_ && filePlayer_->Active()) return filePlayer_->PrevBtnClick();
  MoveStation(false);
}

void TMainForm::NextBtnClick() {
  if (filePlayer_ && filePlayer_->Active()) return filePlayer_->NextBtnClick();
  MoveStation(true);
}

void TMainForm::VolumeBarChange() {
  const int position = face_.VolumeBar->Position();
  // The slider's position is the volume of the next start.
  Settings.Volume = position;
  SetStatus(QStringLiteral("Volume :") + QString::number(position) + QStringLiteral(" %"), false);
  if (!muted_) zengine::SetVolume(position);
}

void TMainForm::SpeakerBtnClick() {
  muted_ = !muted_;
  if (muted_) {
    zengine::SetVolume(0);
    face_.SpeakerBtn->Glyphs()->SetFace(3, 4, 5);
    face_.SpeakerBtn->setToolTip(QStringLiteral("Et je remets le son !"));
  } else {
    zengine::SetVolume(face_.VolumeBar->Position());
    face_.SpeakerBtn->Glyphs()->SetFace(0, 1, 2);
    face_.SpeakerBtn->setToolTip(QStringLiteral("Et je coupe le son !"));
  }
  face_.SpeakerBtn->update();
}

void TMainForm::ImgRadioClick() {
  QApplication::setOverrideCursor(Qt::BusyCursor);
  const QString web = face_.ImgRadio->toolTip().trimmed();
  if (!web.isEmpty()) QDesktopServices::openUrl(QUrl(web));
  QApplication::restoreOverrideCursor();
}

void TMainForm::BuildKeys() {
  const auto key = [this](const QKeySequence& sequence, const std::function<void()>& action) {
    auto* shortcut = new QShortcut(sequence, this);
    connect(shortcut, &QShortcut::activated, this, action);
  };
  // Space plays, or pauses a file, or stops a station (a live stream has no pause).
  key(Qt::Key_Space, [this] {
    const bool file = filePlayer_ && filePlayer_->Active();
    if (!file && player_->StopFace() == TStopFace::Active) return StopBtnClick();
    PlayBtnClick();
  });
  key(Qt::Key_S, [this] { StopBtnClick(); });
  key(Qt::Key_M, [this] { SpeakerBtnClick(); });
  key(Qt::Key_Up, [this] { StepVolume(1); });
  key(Qt::Key_Down, [this] { StepVolume(-1); });
  key(Qt::Key_Left, [this] { PrevBtnClick(); });
  key(Qt::Key_Right, [this] { NextBtnClick(); });
  key(Qt::Key_R, [this] {
    if (face_.RecordBtn->isVisible()) RecordBtnClick();
  });
  key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), [this] { RecordTitleClick(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_O), [this] {
    if (playlist_) ToggleWindow(playlist_);
  });
  key(QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
    if (!browser_) return;
    browser_->show();
    browser_->raise();
    browser_->activateWindow();
    browser_->FocusNameFilter();
  });
  key(QKeySequence(Qt::CTRL | Qt::Key_L), [this] { OpenAddressClick(); });
  key(Qt::Key_F1, [this] { ShowInfoPage(Windows.Info(true)->CurrentPage()); });
  setToolTip(QStringLiteral("Espace : lecture/arrêt · S : stop · M : muet · Haut/Bas : volume · "
                            "Gauche/Droite : radio précédente/suivante · R : enregistrer · Ctrl+Maj+R : enregistrer ce titre · Ctrl+O : liste de lecture · "
                            "Ctrl+F : chercher une radio · Ctrl+L : ouvrir une adresse · F1 : informations"));
}

void TMainForm::StepVolume(int steps) {
  TTrackSkin* bar = face_.VolumeBar;
  bar->SetPosition(qBound(bar->ValeurMin(), bar->Position() + 5 * steps, bar->ValeurMax()));
  VolumeBarChange();
}

void TMainForm::wheelEvent(QWheelEvent* event) {
  // Over the face (and over the slider, whose wheel comes here): 5 per notch.
  const int notches = event->angleDelta().y() / 120;
  if (notches != 0) StepVolume(notches);
  event->accept();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == face_.ImgRadio) {
    if (event->type() == QEvent::MouseButtonRelease) {
      ImgRadioClick();
      return true;
    }
    if (event->type() == QEvent::Enter) face_.ImgRadio->setCursor(Qt::PointingHandCursor);
    if (event->type() == QEvent::Leave) face_.ImgRadio->unsetCursor();
  }
  return TSkinnedForm::eventFilter(watched, event);
}

// ---- Analyser and volume -------------------------------------------------------------------

void TMainForm::CreateSpectrum() {
  spectrum_ = std::make_unique<TSpectrum>(64, 23, kSpectrumBandCount);
  spectrum_->LowLevel = 16;
  spectrum_->HighLevel = 20;
  spectrum_->BarWidth = 2;
  spectrum_->BandSpacing = 2;
  spectrum_->LeftOffset = 0;
  spectrum_->ShowPeaks = Settings.SpectroPeaks;
  spectrum_->ColorLow = TColorValue(Settings.SpectroColorL);
  spectrum_->ColorMid = TColorValue(Settings.SpectroColorM);
  spectrum_->ColorHigh = TColorValue(Settings.SpectroColorH);
  spectrumTimer_.setInterval(kSpectrumFrameMs);
  connect(&spectrumTimer_, &QTimer::timeout, this, &TMainForm::SpectrumTimerTimer);
  spectrumTimer_.start();
}

void TMainForm::SpectrumTimerTimer() {
  const zengine::Handle channel = player_ ? player_->CurrentChannel : 0;
  const bool data = FetchSpectrumBands(channel, fft_, bands_);
  // Once nothing plays and the bars and peaks have fallen (two seconds), nothing changes
  // on screen: the analyser stops drawing until sound comes back.
  // The timer then only looks for sound four times a second, and is back at its pace
  // (20 ms) with the first block of sound or when a station starts.
  idleFrames_ = data ? 0 : idleFrames_ + 1;
  // The scrolling title rests with it, readable at the left edge.
  if (idleFrames_ > 100) {
    if (spectrumTimer_.interval() != kSpectrumRestMs) {
      spectrumTimer_.setInterval(kSpectrumRestMs);
      face_.EdTitle->SetPaused(true);
    }
    return;
  }
  if (spectrumTimer_.interval() != kSpectrumFrameMs) WakeSpectrum();
  if (!isVisible()) return;
  spectrum_->Draw(&face_.PaintBox1->Surface(), bands_.data());
  face_.PaintBox1->update();
}

void TMainForm::WakeSpectrum() {
  idleFrames_ = 0;
  spectrumTimer_.setInterval(kSpectrumFrameMs);
  face_.EdTitle->SetPaused(false);
}

void TMainForm::ApplyVolume(int volume) {
  zengine::SetVolume(volume);
  // The slider reports this like a user move: the status line shows the volume.
  face_.VolumeBar->SetPosition(volume);
  VolumeBarChange();
}

// ---- Showing, closing ----------------------------------------------------------------------

void TMainForm::showEvent(QShowEvent* event) {
  TSkinnedForm::showEvent(event);
  if (FirstShow) FormShow();
}

void TMainForm::FormShow() {
  // Let the window paint before any work starts.
  QCoreApplication::processEvents();
  if (FirstShow) {
    FirstShow = false;
    // Items of the command line play instead of the last station.
    AutoPlayLastStation(startItems_.isEmpty());
    if (!startItems_.isEmpty()) OpenItems(std::exchange(startItems_, {}), startFolder_);
  }
}

void TMainForm::AutoPlayLastStation(bool play) {
  if (!browser_) return;
  TCatalogueTable& t = catalogue_->radiosDataset;
  if (!t.Active()) return;
  // The browser starts on every station in name order, then takes back its saved filter.
  t.SetFilter(QString());
  t.SortByFields(QStringLiteral("radio"));
  // An empty table opens nothing (an empty address could only fail).
  if (play && t.RecordCount() > 0) {
    std::optional<TStationRecord> station;
    if (!Settings.LastRadio.isEmpty()) {
      const int row = t.FindRow(QStringLiteral("Radio"), Settings.LastRadio, Qt::CaseSensitive);
      if (row >= 0) station = StationRecordAt(t, row);
    } else if (t.First()) {
      station = CurrentStationRecord(t);
    }
    if (station) {
      player_->LoadCurrentStation(*station);
      player_->OpenStation();
    }
  }
  browser_->RestoreFilterState();
}

void TMainForm::moveEvent(QMoveEvent* event) {
  TSkinnedForm::moveEvent(event);
  // Where the window is, is where the next start opens it.
  Settings.Left = x();
  Settings.Top = y();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
  // Closing the main window ends the program, whatever other window is shown.
  QCoreApplication::quit();
}

void TMainForm::CloseBtnClick() {
  if (player_) player_->StopAll();
  close();
}

void TMainForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  if (player_ && !player_->LastRadio.isEmpty()) Settings.LastRadio = player_->LastRadio;
  if (Settings.Mode == QLatin1String("local")) SaveLocalCatalogue();
  std::unique_ptr<QSettings> store(OpenUserSettings());
  if (!SaveSettings(*store, Settings)) {
    std::fprintf(stderr, "zovalis: impossible d'enregistrer les réglages dans %s\n",
                 qUtf8Printable(store->fileName()));
  }
}

void TMainForm::SaveLocalCatalogue() {
  if (browser_) browser_->SaveLocalStations();
}

void TMainForm::FormDestroy() {
  spectrumTimer_.stop();
}

void TMainForm::ShowEngineError(int code) {
  if (QThread::currentThread() != thread()) {
    PostQueued(this, [this, code] { ShowEngineError(code); });
    return;
  }
  SetStatus(EngineErrorMessage(code), true);
}

// ---- Recording -----------------------------------------------------------------------------

void TMainForm::ConnectRecorder() {
  RecordPage.Load(Settings, ExeFolder);

  TRecorder* r = recorder_;
  // The record button: its upper half starts or stops a recording, its lower half opens
  // its menu.
  popupRecordMenu_ = new QMenu(this);
  popupRecordMenu_->setObjectName(QStringLiteral("PopupRecordMenu"));
  QAction* title = popupRecordMenu_->addAction(QStringLiteral("Enregistrer ce titre"), this, &TMainForm::RecordTitleClick);
  title->setObjectName(QStringLiteral("mnRecordTitle"));
  title->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
  title->setShortcutContext(Qt::WidgetShortcut);  // shown here; the window's own key acts
  title->setShortcutVisibleInContextMenu(true);
  popupRecordMenu_->addSeparator();
  popupRecordMenu_->addAction(QStringLiteral("Explorer le répertoire d'enregistrement ..."), this,
                              &TMainForm::MenuExplorerRecordDirClick);
  popupRecordMenu_->addAction(QStringLiteral("&Enregistrement ..."), this,
                              [this] { ShowConfigPage(QStringLiteral("Enregistrement")); });
  connect(face_.RecordBtn, &TSimpleBtn::mouseDown, this, [this](QMouseEvent* e) {
    recordPressLower_ = e->button() == Qt::LeftButton && e->position().y() >= face_.RecordBtn->height() / 2.0;
    if (recordPressLower_) DropDown(face_.RecordBtn, popupRecordMenu_, e, nullptr);
  });
  connect(face_.RecordBtn, &TSimpleBtn::clicked, this, [this] {
    if (!recordPressLower_) RecordBtnClick();
  });
  // Why a title was not kept: after the next file's start (a cut) has written its own status.
  connect(r, &TRecorder::TrackSkipped, this,
          [this](const QString& text) { QTimer::singleShot(0, this, [this, text] { SetStatus(text, false); }); });
  connect(r, &TRecorder::TitleRecordingEnded, this, [this] {
    SetRecordFace(false);
    SetStatus(QStringLiteral("Titre enregistré."), false);
  });
  connect(r, &TRecorder::RecordingShown, this, [this](const QString& format) {
    face_.LabelRecordType->setText(format);
    face_.labelRecordEllapsed->setText(QStringLiteral("00:00:00"));
    face_.labelRecordEllapsed->show();
    face_.LabelRecordType->show();
    SetRecordFace(true);
    SetStatus(QStringLiteral("Lecture/Enregistrement en cours."), false);
  });
  connect(r, &TRecorder::RecordingHidden, this, [this] {
    face_.labelRecordEllapsed->hide();
    face_.LabelRecordType->hide();
    SetRecordFace(false);
    SetStatus(QStringLiteral("Enregistrement Stoppé."), false);
  });
  connect(r, &TRecorder::ElapsedChanged, face_.labelRecordEllapsed, &QLabel::setText);
  connect(r, &TRecorder::FileFinished, this, &TMainForm::RecordingFinished);
  connect(r, &TRecorder::MessageBox, this,
          [this](const QString& text) { QMessageBox::information(this, QStringLiteral("Zovalis"), text); });
  connect(r, &TRecorder::StartFailed, this, [this](const QString& text) {
    QPalette pal = statut_->palette();
    pal.setColor(QPalette::WindowText, kFaceRed);
    statut_->setPalette(pal);
    QMessageBox::warning(this, QStringLiteral("Zovalis"), text);
    QApplication::beep();
    SetRecordFace(false);
  });
  connect(r, &TRecorder::RecordingFailed, this, [this](const QString& status, const QString& text) {
    // Playback goes on; the record button and the status line say the recording ended.
    SetRecordFace(false);
    SetStatus(status, true);
    QMessageBox::warning(this, QStringLiteral("Zovalis"), text);
  });
  connect(r, &TRecorder::FolderFailed, this, [this](const QString& text) {
    QMessageBox::critical(this, QStringLiteral("Zovalis"), text);
    // Nothing records: the button says so.
    SetRecordFace(false);
  });
  // Every stop of playback ends the recording first; a new title cuts it.
  connect(player_, &TStationPlayer::StopRecordingRequested, r, &TRecorder::StopRecording);
  // A reconnected station: the recording follows the new channel, in the same file.
  connect(player_, &TStationPlayer::Reconnected, r,
          [r](zengine::Handle, zengine::Handle channel) { r->FollowChannel(channel); });
  connect(player_, &TStationPlayer::TitleChanged, this, [this](const QString& previous, const QString& title) {
    if (!recorder_->Recording()) return;
    Settings.RecordEncoder = RecordPage.cbEncoder;
    recorder_->CutByTitle(previous, title, RecordRequest());
  });
}

TRecordRequest TMainForm::RecordRequest() const {
  TRecordRequest q;
  if (player_) {
    q.Channel = player_->CurrentChannel;
    q.Radio = player_->CurrentRadio.Radio;
    q.Title = player_->CurrentRadio.Title;
    q.SampleRate = player_->CurrentRadio.SampleRate;
    q.Channels = player_->CurrentRadio.Channels;
    q.MetaDateStamp = player_->MetaDateStamp;
    q.MetaTimeStamp = player_->MetaTimeStamp;
  }
  q.RecordDir = RecordPage.edRecordDir;
  q.Format = RecordPage.cbEncoder;
  q.CutByTitle = RecordPage.cbCutByTitle;
  q.RecordOcc = Settings.RecordOcc;
  q.Clean = RecordPage.CleanRules();
  if (PlanRequest) PlanRequest(q);
  return q;
}

void TMainForm::SetRecordFace(bool recording) {
  if (recording) {
    face_.RecordBtn->Glyphs()->SetFace(3, 4, 5);
    face_.RecordBtn->setToolTip(QStringLiteral("Arrêter l'enregistrement."));
  } else {
    face_.RecordBtn->Glyphs()->SetFace(0, 1, 2);
    face_.RecordBtn->setToolTip(QStringLiteral("Démarrer l'enregistrement."));
  }
  face_.RecordBtn->update();
}

void TMainForm::StartRecording() {
  Settings.RecordEncoder = RecordPage.cbEncoder;
  recorder_->StartRecording(RecordRequest());
}

void TMainForm::RecordBtnClick() {
  if (recorder_->Recording()) {
    recorder_->StopRecording();
    SetRecordFace(false);
  } else {
    // The face is set before the start; a failed start puts the idle face back.
    SetRecordFace(true);
    StartRecording();
  }
}

void TMainForm::RecordTitleClick() {
  // Only a playing station is recorded (its record button is shown).
  if (face_.RecordBtn->isHidden()) {
    QApplication::beep();
    return;
  }
  SetRecordFace(true);
  Settings.RecordEncoder = RecordPage.cbEncoder;
  recorder_->StartTitleRecording(RecordRequest());
}

void TMainForm::MenuExplorerRecordDirClick() {
  // The recording folder as the configuration page last chose it (where recordings go).
  const QString folder = RecordPage.edRecordDir;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  const bool opened = QFileInfo(folder).isDir() && QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
  QApplication::restoreOverrideCursor();
  // Nothing may answer (no file manager): the user is told where the folder is.
  if (!opened) SetStatus(QStringLiteral("Impossible d'ouvrir ") + folder, true);
}

void TMainForm::RecordingFinished(const QString& path) {
  recordedFiles_.append(path);
  if (playlist_) playlist_->AddFileToPlaylist(path);
}
