// A stand-in for the program at the moment it saves: saves one of the user's files over
// and over, alternating two versions, with the program's own save functions, until it
// is killed. The faults test kills it at random instants and reads what is left.
//
//   zovalis_savestorm settings|catalogue|m3u PATH
//
// It prints "saved" once the first save is complete.
#include <QCoreApplication>
#include <QSettings>
#include <QStringList>
#include <cstdio>

#include "catalogue/catalogueschema.h"
#include "catalogue/cataloguetable.h"
#include "common/settings.h"
#include "localfiles/m3ufile.h"
#include "savestormversions.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) return 2;
  const QString mode = QString::fromLocal8Bit(argv[1]);
  const QString path = QString::fromLocal8Bit(argv[2]);
  for (long round = 0;; ++round) {
    const int version = int(round % 2);
    bool ok = false;
    if (mode == "settings") {
      // As the program opens its settings: a lock left broken by a kill is cleared.
      ClearBrokenSettingsLock(path);
      QSettings store(path, QSettings::IniFormat);
      ok = SaveSettings(store, StormSettings(version));
      store.sync();
      ok = ok && store.status() == QSettings::NoError;
    } else if (mode == "catalogue") {
      TCatalogueTable table("radiosDataset");
      ok = bool(CreateCatalogueTable(table, TCatalogueKind::Stations));
      for (int i = 0; ok && i < kStormRows; ++i) {
        ok = bool(table.Append()) && bool(table.SetFieldText("Radio", StormStation(version, i))) &&
             bool(table.SetFieldText("Url", "http://127.0.0.1/" + QString::number(i))) && bool(table.Post());
      }
      ok = ok && bool(table.SaveToFile(path));
    } else if (mode == "m3u") {
      ok = WriteM3UFile(path, StormPaths(version), nullptr);
    } else {
      return 2;
    }
    if (!ok) return 1;
    if (round == 0) {
      std::printf("saved\n");
      std::fflush(stdout);
    }
  }
}
