// Small station tables built in memory for the catalogue tests.
#pragma once

#include <QString>
#include <QStringList>

#include <ostream>
#include <vector>

#include "catalogue/catalogueschema.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace cattest {

struct TStation {
  QString Radio, Genre, Country, Network, StreamType;
  int BitRate = 0;
  int SampleRate = 0;
  QString Channels;
};

// Ten stations, each there for a quirk of the browser's filters.
inline const std::vector<TStation>& FilterStations() {
  static const std::vector<TStation> s = {
      {"FIP", "Eclectique,Jazz", "France", "Radio France", "MP3", 128, 44100, "Stereo"},
      {"Jazz Radio", "Jazz", "France", "", "AAC", 64, 44100, "Stereo"},      // LO-FI
      {"L'Esprit Libre", "Rock", "Belgique", "", "MP3", 320, 44100, "Stereo"},  // CD, apostrophe
      {"Nouveau Poste", "Pop", "Suisse", "", "N/A", 0, 0, "N/A"},           // never measured
      {"Surround Live", "Electro", "Allemagne", "", "AAC", 384, 48000, "5.1"},  // 5.1, not CD
      {"Ogg Classique", "Classique", "Canada", "CBC", "OGG", 256, 44100, "Stereo"},
      {"Windows Talk", "Talk", "Belgique", "", "WMA", 192, 44100, "Mono"},
      {"Ogg Low", "Electronique", "France", "", "OGG", 160, 44100, "Stereo"},  // HI-FI, not CD
      {"rock'n'roll FM", "Rock,Blues", "Canada", "", "MP3", 192, 44100, "Stereo"},
      {"Aac Stereo", "Pop", "Suisse", "", "AAC", 128, 44100, "Stereo"},  // CD at exactly 128
  };
  return s;
}

// Creates `table` as the station table and appends `stations` (all posted).
inline bool FillStations(TCatalogueTable& table, const std::vector<TStation>& stations) {
  if (!CreateCatalogueTable(table, TCatalogueKind::Stations)) return false;
  for (const TStation& s : stations) {
    bool ok = bool(table.Append());
    ok = ok && table.SetFieldText("Radio", s.Radio) && table.SetFieldText("Url", "http://" + s.Radio.toLower() + "/")
         && table.SetFieldText("Genre", s.Genre) && table.SetFieldText("Country", s.Country)
         && table.SetFieldText("Network", s.Network) && table.SetFieldText("StreamType", s.StreamType)
         && table.SetFieldInt("BitRate", s.BitRate) && table.SetFieldInt("SampleRate", s.SampleRate)
         && table.SetFieldText("Channels", s.Channels) && table.Post();
    if (!ok) return false;
  }
  return bool(table.First());
}

// The values of `field` over the rows passing the filter, in the current order.
inline QStringList Column(TCatalogueTable& table, const QString& field = "Radio") {
  QStringList values;
  for (table.First(); !table.Eof(); table.Next()) {
    values << table.FieldText(field).Value;
    if (table.RecNo() == table.RecordCount()) break;
  }
  return values;
}

}  // namespace cattest
