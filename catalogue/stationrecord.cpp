#include "catalogue/stationrecord.h"

#include "catalogue/cataloguetable.h"

namespace {

template <typename Read>
TStationRecord ReadRecord(const Read& field) {
  TStationRecord r;
  r.Radio = field("Radio");
  r.Url = field("Url");
  r.Genre = field("Genre");
  r.Country = field("Country");
  r.Network = field("Network");
  r.Web = field("Web");
  r.Icon = field("Icon");
  r.StreamType = field("StreamType");
  r.BitRate = field("BitRate");
  r.SampleRate = field("SampleRate");
  r.Channels = field("Channels");
  return r;
}

}  // namespace

TStationRecord CurrentStationRecord(const TCatalogueTable& stations) {
  if (!stations.Active() || stations.RecNo() < 1) return {};
  return ReadRecord([&](const char* name) { return stations.FieldText(QLatin1String(name)).Value; });
}

TStationRecord StationRecordAt(const TCatalogueTable& stations, int row) {
  return ReadRecord([&](const char* name) { return stations.RowText(row, QLatin1String(name)); });
}

std::optional<TStationRecord> FindStationRecord(const TCatalogueTable& stations, const QString& name) {
  if (!stations.Active()) return std::nullopt;
  const int row = stations.FindRow(QStringLiteral("Radio"), name, Qt::CaseInsensitive);
  if (row < 0) return std::nullopt;
  return StationRecordAt(stations, row);
}
