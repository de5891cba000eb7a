// What the two fuzz targets do with one input, shared with the normal test suite, which
// replays the kept corpus (tests/fixtures/catalogue/fuzz-*/) through the same code.
// Each function aborts on a broken invariant, so the fuzzer reports it.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <cstdlib>

#include "catalogue/catalogueschema.h"
#include "catalogue/datapacketreader.h"
#include "catalogue/datapacketwriter.h"

namespace catfuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// A few stations and countries the filters run over.
inline void FillSmallTables(TCatalogueTable& stations, TCatalogueTable& countries) {
  CreateCatalogueTable(stations, TCatalogueKind::Stations);
  const char* rows[][4] = {{"FIP", "Eclectique,Jazz", "MP3", "128"}, {"L'Esprit", "Rock", "AAC", "0"},
                           {"Été FM", "Pop", "", ""}, {"Surround", "Electro", "OGG", "384"}};
  for (const auto& r : rows) {
    stations.Append();
    stations.SetFieldText(QStringLiteral("Radio"), QString::fromUtf8(r[0]));
    stations.SetFieldText(QStringLiteral("Url"), QStringLiteral("http://x/"));
    stations.SetFieldText(QStringLiteral("Genre"), QString::fromUtf8(r[1]));
    stations.SetFieldText(QStringLiteral("StreamType"), QString::fromUtf8(r[2]));
    stations.SetFieldText(QStringLiteral("BitRate"), QString::fromUtf8(r[3]));
    stations.Post();
  }
  CreateCatalogueTable(countries, TCatalogueKind::Countries);
  countries.Append();
  countries.SetFieldText(QStringLiteral("Name"), QStringLiteral("France"));
  countries.SetFieldText(QStringLiteral("Flag"), QStringLiteral("fr.png"));
  countries.Post();
}

// Any text as a filter: it parses or fails with FilterSyntax; a failure keeps the
// previous filter; a success selects no more rows than there are.
inline void FilterInput(const QByteArray& data) {
  static TCatalogueTable* stations = nullptr;
  static TCatalogueTable* countries = nullptr;
  if (!stations) {
    stations = new TCatalogueTable(QStringLiteral("radiosDataset"));
    countries = new TCatalogueTable(QStringLiteral("countryDataSet"));
    FillSmallTables(*stations, *countries);
  }
  const QString text = QString::fromUtf8(data);
  for (TCatalogueTable* table : {stations, countries}) {
    Check(table->SetFilter(QString()).Ok());
    const TTableResult r = table->SetFilter(text);
    if (r.Ok()) {
      Check(table->Filter() == text);
      Check(table->RecordCount() <= int(table->Rows().size()));
      for (table->First(); !table->Eof(); table->Next()) (void)table->FieldText(QStringLiteral("Name"));
    } else {
      Check(r.Error->Kind == TTableErrorKind::FilterSyntax && !r.Error->Message.isEmpty());
      Check(table->Filter().isEmpty());
    }
  }
}

// Any bytes as a catalogue file: read or refused with BadFile; what is read can be
// written and read back unchanged, and copied into a station table.
inline void CatalogueInput(const QByteArray& data) {
  TTableValue<TDataPacket> packet = ReadDataPacket(data);
  if (!packet.Ok()) {
    Check(packet.Error->Kind == TTableErrorKind::BadFile && !packet.Error->Message.isEmpty());
    return;
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  WriteDataPacket(buffer, packet.Value.Fields, packet.Value.Rows);
  const TTableValue<TDataPacket> again = ReadDataPacket(buffer.data());
  Check(again.Ok());
  Check(again.Value.Rows.size() == packet.Value.Rows.size());
  for (size_t r = 0; r < packet.Value.Rows.size(); ++r)
    for (size_t c = 0; c < packet.Value.Rows[r].size(); ++c) {
      const TCell& a = packet.Value.Rows[r][c];
      const TCell& b = again.Value.Rows[r][c];
      Check(a.HasValue == b.HasValue && a.Text == b.Text && a.Int == b.Int);
    }

  TCatalogueTable scratch(QStringLiteral("scratch"));
  Check(scratch.Load(packet.Value.Fields, std::move(packet.Value.Rows)).Ok());
  TCatalogueTable working(QStringLiteral("radiosDataset"));
  CreateCatalogueTable(working, TCatalogueKind::Stations);
  for (scratch.First(); !scratch.Eof(); scratch.Next()) {
    if (!working.Append()) break;
    if (!working.CopyCatalogueRow(scratch) || !working.Post()) {
      working.Cancel();
      break;
    }
    if (scratch.RecNo() == scratch.RecordCount()) break;
  }
}

}  // namespace catfuzz
