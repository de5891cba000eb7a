// A station as a value: the eleven fields of a catalogue row. A chosen station travels as
// this record (the browser's double click, Previous and Next, favourites, the start's last
// station), so nobody moves a shared table cursor to look a row up.
#pragma once

#include <QString>
#include <optional>

class TCatalogueTable;

struct TStationRecord {
  QString Radio, Url, Genre, Country, Network, Web, Icon, StreamType, BitRate, SampleRate, Channels;
};

// The station table's current row; an empty record when there is none.
TStationRecord CurrentStationRecord(const TCatalogueTable& stations);

// Posted row `row` of the station table (its place in Rows()).
TStationRecord StationRecordAt(const TCatalogueTable& stations, int row);

// The first station named `name` whatever its case, over every row whatever the filter
// and order, without moving the current row; nullopt when there is none.
std::optional<TStationRecord> FindStationRecord(const TCatalogueTable& stations, const QString& name);
