#include "catalogue/catalogueloader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <utility>

#include "common/appfolders.h"
#include "catalogue/catalogueschema.h"
#include "catalogue/datapacketreader.h"
#include "catalogue/httpclient.h"
#include "catalogue/stationdirectory.h"

namespace {

// The texts and offsets of the four phases, in load order.
struct TPhaseText {
  TCatalogueKind Kind;
  const char* File;
  const char* CountText;
  int Offset;
  const char* PictureFolder;  // nullptr: the phase imports no pictures
  const char* PictureField;
};

constexpr TPhaseText kPhases[] = {
    {TCatalogueKind::Stations, "radios.xml", "Chargement des radios (", 0, "icones/", "Icon"},
    {TCatalogueKind::Countries, "country.xml", "Chargement des pays (", 100, "drapeaux/", "Flag"},
    {TCatalogueKind::Genres, "genre.xml", "Chargement des styles musicaux (", 200, nullptr, nullptr},
    {TCatalogueKind::Networks, "network.xml", "Chargement des réseaux (", 300, nullptr, nullptr},
};

// Minimum time between two repaints of the progress (one screen frame).
constexpr qint64 kRepaintIntervalMs = 16;

bool SameFields(const TFieldList& a, const TFieldList& b) {
  if (a.size() != b.size()) return false;
  for (int i = 0; i < a.size(); ++i) {
    if (a[i].Name != b[i].Name || a[i].Type != b[i].Type || a[i].Width != b[i].Width || a[i].Required != b[i].Required)
      return false;
  }
  return true;
}

}  // namespace

bool IsBarePictureName(const QString& name) {
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
  return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

TCatalogueLoader::TCatalogueLoader(TCatalogueTables& tables, THttpClient& http, TLoadDisplay& display,
                                   const QString& exeFolder, const QString& dataFolder, QObject* parent)
    : QObject(parent),
      tables_(tables),
      http_(http),
      display_(display),
      exeFolder_(exeFolder),
      dataFolder_(dataFolder) {}

QString TCatalogueLoader::TunerFolder() const {
  return TunerFolderFor(dataFolder_, Tuner.Mode);
}

QString TCatalogueLoader::TunerTitle(const QString& remoteAddress) const {
  // The tuner's name, as the tuner list names it; an address means nothing to a listener.
  Q_UNUSED(remoteAddress);
  if (Tuner.Mode == QLatin1String("directory")) return QStringLiteral("Annuaire mondial");
  return Tuner.Mode != QLatin1String("remote") ? QStringLiteral("Tuner local") : QStringLiteral("Tuner distant");
}

void TCatalogueLoader::SetMode(const QString& mode) {
  if (Tuner.Mode == mode) return;
  Tuner.Mode = mode;
  Q_EMIT ModeChanged(mode);
}

TCatalogueTable& TCatalogueLoader::TableOf(TPhase phase) {
  switch (phase) {
    case TPhase::Stations: return tables_.radiosDataset;
    case TPhase::Countries: return tables_.countryDataSet;
    case TPhase::Genres: return tables_.genreDataSet;
    case TPhase::Networks: break;
  }
  return tables_.networkDataSet;
}

bool TCatalogueLoader::CreateCatalogueTables() {
  if (loading_) return false;
  loading_ = true;
  stationsReadWhole_ = false;
  display_.ShowSplash();
  display_.SetStatus(QStringLiteral("Initialisation de la base de données ..."));
  display_.ProcessEvents();
  const QString folder = TunerFolder();
  const bool local = Tuner.Mode == QLatin1String("local");
  bool ok = true;
  for (const TPhaseText& p : kPhases) {
    TCatalogueTable& table = TableOf(TPhase(&p - kPhases));
    TTableResult r = CreateCatalogueTable(table, p.Kind);
    const QString file = folder + QLatin1String(p.File);
    if (r && local && !QFileInfo::exists(file)) r = table.SaveToFile(file);
    if (!r) {
      display_.ShowError(r.Error->Text());
      ok = false;
    }
  }
  display_.HideSplash();
  loading_ = false;
  return ok;
}

bool TCatalogueLoader::LoadCatalogue(const QString& source) {
  if (loading_) return false;
  loading_ = true;
  display_.ShowSplash();
  display_.SetProgress(0);
  const bool remote = Tuner.Mode == QLatin1String("remote");
  const bool directory = Tuner.Mode == QLatin1String("directory");
  display_.SetStatus(remote ? QStringLiteral("Vérification des mises à jour ...")
                     : directory ? QStringLiteral("Annuaire mondial ...")
                                 : QStringLiteral("Mode Local détecté."));
  display_.ProcessEvents();

  bool ok = true;
  if (directory && !RefreshDirectory(std::exchange(forceDirectory_, false))) {
    // No copy of the directory yet: the tables stay empty and read-only, the status line
    // said why.
    for (int i = 0; i < 4; ++i) TableOf(TPhase(i)).SetReadOnly(true);
    stationNames_.clear();
    countryNames_.clear();
    genreNames_.clear();
    networkNames_.clear();
    ok = false;
  } else {
    for (int i = 0; i < 4; ++i) {
      if (!LoadPhase(TPhase(i), source)) ok = false;
    }
  }
  Q_EMIT ListsChanged();

  editMenuEnabled_ = Editable();
  Q_EMIT EditMenuEnabledChanged(editMenuEnabled_);
  display_.HideSplash();
  loading_ = false;
  return ok;
}

void TCatalogueLoader::CopyOver(const QString& from, const QString& to) {
  // A copy that fails is ignored: the tuner's own file is used. The new file goes under a
  // temporary name first, so a failed copy never leaves half a file under the real name.
  if (!QFileInfo(from).isFile()) return;
  const QString temp = to + QStringLiteral(".part");
  QFile::remove(temp);
  if (!QFile::copy(from, temp)) return;
  QFile(temp).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
  if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(to).constData()) != 0) QFile::remove(temp);
}

void TCatalogueLoader::ShowRowProgress(const QString& countText, int n, int m, int offset) {
  if (n != 1 && n != m && sinceShown_.isValid() && sinceShown_.elapsed() < kRepaintIntervalMs) return;
  sinceShown_.start();
  display_.SetStatus(countText + QString::number(n) + QLatin1Char('/') + QString::number(m) +
                     QStringLiteral(") ..."));
  // n / m x 100 rounded to the nearest integer, halves to even.
  display_.SetProgress(int(std::nearbyint(double(n) * 100.0 / double(m))) + offset);
  display_.ProcessEvents();
}

bool TCatalogueLoader::LoadPhase(TPhase phase, const QString& source) {
  const TPhaseText& p = kPhases[int(phase)];
  const QString fileName = QLatin1String(p.File);
  const QString folder = TunerFolder();
  const bool remote = Tuner.Mode == QLatin1String("remote");
  const bool import = Editable() && !source.isEmpty();
  TCatalogueTable& working = TableOf(phase);

  // 1. Fetch the file.
  if (remote) {
    if (!source.isEmpty()) {
      http_.DownloadIfNewer(source + fileName, folder + fileName);
      if (phase == TPhase::Stations)
        http_.DownloadIfNewer(source + QStringLiteral("icones/noicon.png"), folder + QStringLiteral("icones/noicon.png"));
    }
  } else if (import) {
    display_.SetStatus(QStringLiteral("Importation de ") + fileName + QStringLiteral(" ..."));
    display_.ProcessEvents();
    CopyOver(source + fileName, folder + fileName);
    if (phase == TPhase::Stations) {
      QDir().mkpath(folder + QStringLiteral("icones"));
      CopyOver(source + QStringLiteral("icones/noicon.png"), folder + QStringLiteral("icones/noicon.png"));
    }
  }

  // 2. Read the file whole into a scratch table; a malformed file changes nothing.
  QStringList* list = nullptr;
  switch (phase) {
    case TPhase::Stations: list = &stationNames_; break;
    case TPhase::Countries: list = &countryNames_; break;
    case TPhase::Genres: list = &genreNames_; break;
    case TPhase::Networks: list = &networkNames_; break;
  }
  // The directory's station file, written by the program in the table's own layout, is
  // tens of thousands of rows: taken whole, without a scratch table and a copy per row.
  if (phase == TPhase::Stations && Tuner.Mode == QLatin1String("directory")) {
    TTableValue<TDataPacket> packet = ReadDataPacketFile(folder + fileName);
    if (packet.Ok() && SameFields(packet.Value.Fields, working.Fields())) {
      const int m = int(packet.Value.Rows.size());
      const QString countText = QString::fromUtf8(p.CountText);
      list->clear();
      working.SuspendDisplay();
      display_.SetProgressMax(kLoadProgressMax);
      sinceShown_.invalidate();
      if (m > 0) ShowRowProgress(countText, 1, m, p.Offset);
      TTableResult loaded = working.Load(working.Fields(), std::move(packet.Value.Rows));
      if (m > 0) ShowRowProgress(countText, m, m, p.Offset);
      working.ResumeDisplay();
      if (!loaded) display_.ShowError(loaded.Error->Text());
      stationsReadWhole_ = bool(loaded);
      working.SetReadOnly(true);
      return bool(loaded);
    }
  }

  TCatalogueTable scratch(QStringLiteral("scratch"));
  TTableResult result = scratch.LoadFromFile(folder + fileName);
  bool readAll = false;
  bool sameLayout = false;
  if (result) {
    sameLayout = SameFields(scratch.Fields(), working.Fields());
    list->clear();
    working.SuspendDisplay();
    display_.SetProgressMax(kLoadProgressMax);
    display_.SetProgress(p.Offset);
    display_.ProcessEvents();
    sinceShown_.invalidate();

    const int m = scratch.RecordCount();
    const QString countText = QString::fromUtf8(p.CountText);
    const QString nameField = phase == TPhase::Stations ? QStringLiteral("Radio") : QStringLiteral("Name");
    const bool pictures = import && p.PictureFolder;
    if (pictures) QDir().mkpath(folder + QLatin1String(p.PictureFolder));
    int n = 1;
    scratch.First();
    for (; m > 0 && !scratch.Eof(); ++n) {
      ShowRowProgress(countText, n, m, p.Offset);
      result = working.Append();
      if (result) result = working.CopyCatalogueRow(scratch);
      if (!result) break;
      if (phase != TPhase::Stations || remote) list->append(working.FieldText(nameField).Value);
      if (pictures) {
        const QString picture = working.FieldText(QLatin1String(p.PictureField)).Value;
        // Names that would leave the picture folder are not followed.
        if (IsBarePictureName(picture)) {
          display_.SetStatus(QStringLiteral("Importation de ") + picture + QStringLiteral(" ..."));
          display_.ProcessEvents();
          CopyOver(source + QLatin1String(p.PictureFolder) + picture, folder + QLatin1String(p.PictureFolder) + picture);
        }
      }
      result = working.Post();
      if (!result) break;
      if (n == m) {
        readAll = true;
        break;
      }
      scratch.Next();
    }
    if (m == 0) readAll = true;
    if (!result && working.State() != TCatalogueTable::TState::Browse) working.Cancel();
    working.ResumeDisplay();
  }
  if (!result) display_.ShowError(result.Error->Text());
  if (phase == TPhase::Stations) stationsReadWhole_ = readAll && result;

  if (!Editable()) {
    working.SetReadOnly(true);
  } else if (readAll && result && (import || !sameLayout)) {
    // A phase that failed part-way does not write its partial table over the file: the
    // rows it could not read would be lost. A file read as it stands, already in the
    // table's layout, would be written back unchanged: the write is skipped.
    if (TTableResult w = working.SaveToFile(folder + fileName); !w) {
      display_.ShowError(w.Error->Text());
      return false;
    }
  }
  return bool(result);
}

void TCatalogueLoader::FirstLoad(bool connected) {
  if (Tuner.Mode == QLatin1String("directory")) {
    if (CreateCatalogueTables()) LoadCatalogue(QString());
    return;
  }
  if (Tuner.Mode == QLatin1String("remote")) {
    if (connected && CreateCatalogueTables()) LoadCatalogue(Tuner.RemoteBase);
    return;
  }
  const QString folder = TunerFolder();
  if (QFileInfo::exists(folder + QStringLiteral("radios.xml"))) {
    if (CreateCatalogueTables()) LoadCatalogue(QString());
  } else if (QFileInfo::exists(exeFolder_ + QStringLiteral("base/radios.xml"))) {
    if (CreateCatalogueTables()) LoadCatalogue(exeFolder_ + QStringLiteral("base/"));
  } else {
    if (CreateCatalogueTables()) LoadCatalogue(exeFolder_ + QStringLiteral("tuner/blank/"));
  }
}

void TCatalogueLoader::NewLocalTuner() {
  if (loading_) return;
  SetMode(QStringLiteral("local"));
  if (CreateCatalogueTables()) LoadCatalogue(exeFolder_ + QStringLiteral("tuner/blank/"));
}

TCatalogueLoader::TImport TCatalogueLoader::ImportLocalTuner(const QString& folder) {
  if (!QFileInfo(folder + QStringLiteral("radios.xml")).isFile()) return TImport::NoStationFile;
  if (loading_) return TImport::Damaged;
  for (const char* file : {"radios.xml", "country.xml", "genre.xml", "network.xml"}) {
    const QString path = folder + QLatin1String(file);
    if (!QFileInfo::exists(path)) continue;  // a missing list keeps the local one
    TCatalogueTable scratch(QStringLiteral("import"));
    if (TTableResult r = scratch.LoadFromFile(path); !r) {
      display_.ShowError(r.Error->Text());
      return TImport::Damaged;
    }
  }
  SetMode(QStringLiteral("local"));
  if (CreateCatalogueTables()) LoadCatalogue(folder);
  return TImport::Done;
}

bool TCatalogueLoader::ExportLocalTuner(const QString& folder) {
  if (loading_) return false;
  loading_ = true;
  const QString source = dataFolder_ + QStringLiteral("tuner/local/");
  bool ok = true;
  display_.SetProgressMax(kLoadProgressMax);
  display_.SetProgress(0);
  display_.ShowSplash();
  if (!QDir().mkpath(folder)) {
    display_.HideSplash();
    display_.ShowError(QStringLiteral("Impossible de créer le répertoire ") + folder);
    loading_ = false;
    return false;
  }
  QDir().mkpath(folder + QStringLiteral("drapeaux"));
  QDir().mkpath(folder + QStringLiteral("icones"));
  display_.SetStatus(QStringLiteral("Exportation vers le répertoire ") + folder);
  display_.ProcessEvents();

  // The pictures the rows of a list file name, with the status text and progress of each.
  const auto copyPictures = [&](const QString& file, const char* field, const char* pictureFolder, int offset) {
    CopyOver(source + file, folder + file);
    TCatalogueTable scratch(QStringLiteral("export"));
    if (TTableResult r = scratch.LoadFromFile(folder + file); !r) {
      display_.ShowError(r.Error->Text());
      ok = false;
      return;
    }
    const int m = scratch.RecordCount();
    int n = 0;
    for (scratch.First(); !scratch.Eof() && m > 0; scratch.Next()) {
      ++n;
      const QString picture = scratch.FieldText(QLatin1String(field)).Value;
      display_.SetStatus(QStringLiteral("Exportation de ") + picture + QStringLiteral(" ..."));
      display_.SetProgress(offset + int(std::lrint(n * 100.0 / m)));
      display_.ProcessEvents();
      // A name from the file never reaches outside the picture folders.
      if (IsBarePictureName(picture)) {
        CopyOver(source + QLatin1String(pictureFolder) + picture, folder + QLatin1String(pictureFolder) + picture);
      }
      if (scratch.RecNo() == m) break;
    }
  };
  copyPictures(QStringLiteral("radios.xml"), "Icon", "icones/", 0);
  copyPictures(QStringLiteral("country.xml"), "Flag", "drapeaux/", 100);
  CopyOver(source + QStringLiteral("genre.xml"), folder + QStringLiteral("genre.xml"));
  display_.SetProgress(300);
  CopyOver(source + QStringLiteral("network.xml"), folder + QStringLiteral("network.xml"));
  display_.SetProgress(400);
  display_.HideSplash();
  loading_ = false;
  return ok;
}

void TCatalogueLoader::SwitchToRemote(const QString& base) {
  if (loading_) return;
  SetMode(QStringLiteral("remote"));
  if (CreateCatalogueTables()) LoadCatalogue(base);
}

int TCatalogueLoader::TunerIndex() const {
  if (Tuner.Mode == QLatin1String("directory")) return 2;
  return Tuner.Mode == QLatin1String("remote") ? 0 : 1;
}

void TCatalogueLoader::UpdateDirectory() {
  if (loading_) return;
  SetMode(QStringLiteral("directory"));
  forceDirectory_ = true;
  if (CreateCatalogueTables()) LoadCatalogue(QString());
  forceDirectory_ = false;
}

bool TCatalogueLoader::RefreshDirectory(bool force) {
  const QString folder = TunerFolder();
  QDir().mkpath(folder);
  const bool haveCopy = QFileInfo(folder + QStringLiteral("radios.xml")).isFile();
  if (!directory_ || (!force && !TStationDirectory::Stale(folder))) return haveCopy;
  display_.SetStatus(QStringLiteral("Téléchargement de l'annuaire ..."));
  Q_EMIT StatusLine(QStringLiteral("Téléchargement de l'annuaire ..."), false);
  display_.ProcessEvents();
  const TDirectoryUpdate u = directory_->Update(folder, exeFolder_);
  // Short texts: the status line shows about forty characters (its hint holds them all).
  if (u.Ok) {
    QString text = QStringLiteral("Annuaire : %1 radios").arg(u.Stations);
    if (u.Hls > 0) text += QStringLiteral(", %1 HLS omises").arg(u.Hls);
    Q_EMIT StatusLine(text, false);
    return true;
  }
  Q_EMIT StatusLine((haveCopy ? QStringLiteral("Annuaire indisponible, copie affichée : ")
                              : QStringLiteral("Annuaire indisponible : ")) +
                        u.Error,
                    true);
  return haveCopy;
}

void TCatalogueLoader::SwitchTuner(int index) {
  if (loading_) return;
  if (index == 2) {
    SetMode(QStringLiteral("directory"));
    if (CreateCatalogueTables()) LoadCatalogue(QString());
    return;
  }
  if (index == 0) {
    SetMode(QStringLiteral("remote"));
    // No connection test: without a server the downloads fail and the copies downloaded
    // earlier are read.
    if (CreateCatalogueTables()) LoadCatalogue(Tuner.RemoteBase);
    return;
  }
  SetMode(QStringLiteral("local"));
  if (QFileInfo::exists(TunerFolder() + QStringLiteral("radios.xml"))) {
    if (CreateCatalogueTables()) LoadCatalogue(QString());
  } else {
    if (CreateCatalogueTables()) LoadCatalogue(exeFolder_ + QStringLiteral("tuner/"));
  }
}
