// The main window's side of opening by address: the "Ouvrir une adresse ..." dialog, the
// station played from an address (and added to the local tuner), and the command line's
// and drops' items sorted by app/openrequest.h.
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/mainform.h"
#include "app/openrequest.h"
#include "localfiles/fileplayer.h"
#include "windows/formlistefile.h"
#include "windows/formlisteradio.h"
#include "windows/openaddressform.h"

namespace {

// The items a drop carries: its URLs (local files as paths), or else its text's lines.
QStringList DroppedItems(const QMimeData* mime) {
  QStringList items;
  if (!mime) return items;
  if (mime->hasUrls()) {
    for (const QUrl& url : mime->urls()) items.append(url.isLocalFile() ? url.toLocalFile() : url.toString());
  } else if (mime->hasText()) {
    for (const QString& line : mime->text().left(kMaxAddressLength * 4).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
      if (!line.trimmed().isEmpty()) items.append(line.trimmed());
  }
  return items.mid(0, 1000);
}

}  // namespace

void TMainForm::ConnectOpening() {
  setAcceptDrops(true);
  ClipboardText = [] {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
  };
  RunOpenAddress = [](TOpenAddressForm* dialog) { dialog->exec(); };
  // A station to add to the local tuner is added once its connection has ended, with
  // what the stream announced (or only its address when nothing answered); a stop or
  // another station opened meanwhile drops the request.
  connect(player_, &TStationPlayer::StationShown, this, [this] { pendingAdd_.clear(); });
  connect(player_, &TStationPlayer::DisplayReset, this, [this] { pendingAdd_.clear(); });
  connect(player_, &TStationPlayer::ConnectionFinished, this, [this](bool) {
    if (pendingAdd_.isEmpty()) return;
    const QString url = std::exchange(pendingAdd_, QString());
    if (!player_->AddressStation() || player_->CurrentRadio.Url != url) return;
    const TStationRecord station = player_->AnnouncedStation();
    // The editor runs its own loop: not inside the player's signal.
    QTimer::singleShot(0, this, [this, station] {
      if (browser_) browser_->AddStationRecord(station);
    });
  });
}

void TMainForm::OpenAddressClick() {
  show();
  auto* dialog = new TOpenAddressForm(ClipboardText ? ClipboardText() : QString(), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &TOpenAddressForm::PlayRequested, this, &TMainForm::PlayAddress);
  connect(dialog, &TOpenAddressForm::AddRequested, this, &TMainForm::AddAddressToLocalTuner);
  RunOpenAddress(dialog);
}

void TMainForm::PlayAddress(const TStationRecord& station) {
  if (station.Url.isEmpty()) return;
  pendingAdd_.clear();
  player_->OpenAddress(station);
}

void TMainForm::AddAddressToLocalTuner(const TStationRecord& station) {
  if (station.Url.isEmpty() || !browser_) return;
  // Already playing: what it announced is known.
  if (player_->AddressStation() && player_->CurrentChannel && player_->CurrentRadio.Url == station.Url) {
    browser_->AddStationRecord(player_->AnnouncedStation());
    return;
  }
  PlayAddress(station);
  // Set after the start: a connection that failed at once has already ended.
  if (player_->Connecting()) {
    pendingAdd_ = station.Url;
  } else {
    browser_->AddStationRecord(player_->AnnouncedStation());
  }
}

void TMainForm::OpenAtStart(const QStringList& items, const QString& folder) {
  startItems_ = items;
  startFolder_ = folder;
}

void TMainForm::OpenItems(const QStringList& items, const QString& folder) {
  const TOpenPlan plan = PlanOpen(items, folder);
  if (!plan.Files.isEmpty() && playlist_) {
    playlist_->AddFilesToPlaylist(plan.Files);
    playlist_->show();
    playlist_->raise();
  }
  if (plan.Station) PlayAddress(*plan.Station);
  if (!plan.Refused.isEmpty()) {
    const QString first = plan.Refused.first();
    const QString name = QFileInfo(first).fileName().isEmpty() ? first : QFileInfo(first).fileName();
    SetStatus(QStringLiteral("Format non reconnu : ") + name, true);
  }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedItems(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
  event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  const QStringList items = DroppedItems(event->mimeData());
  if (items.isEmpty()) return;
  event->acceptProposedAction();
  // Opened once the drop has ended: the source waits for its answer meanwhile.
  QTimer::singleShot(0, this, [this, items] { OpenItems(items, QDir::homePath()); });
}
