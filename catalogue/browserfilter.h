// The station browser's filters as plain rules: the six filters and their setting names,
// the expression each gives the station table, the status line, the hints of the main
// window's Previous and Next buttons, and the enabling of the grid's editing menu.
// Core code: no widgets.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

enum class TBrowserFilter { Name, Genre, Country, Network, Stream, Quality };
inline constexpr int kBrowserFilterCount = 6;

// The setting `Filter` of each filter: "Name", "Genre", "Country", "Network", "Stream",
// "Quality".
QString FilterSettingName(TBrowserFilter filter);
// The filter named by a setting text (exact comparison); nullopt for any other text.
std::optional<TBrowserFilter> FilterFromSettingName(const QString& name);

// The entries of the stream-type and quality lists, in list order.
const QStringList& StreamTypeItems();
const QStringList& QualityItems();

// `text` as the inside of a quoted literal of a filter expression: each quote doubled, so
// the text is matched as typed.
QString QuotedFilterText(const QString& text);

// The expression set on the station table for `filter` with the value text `text` (the
// genre form keeps its two spaces). The contains filters (name, genre, country, network)
// ignore accents and case: unaccent(field) like '%text%', the text mapped the same way;
// "%" and "_" typed in a text act as wildcards. Nullopt for a quality text other than the four qualities:
// the table's filter is then left as it was.
std::optional<QString> BrowserFilterExpression(TBrowserFilter filter, const QString& text);

// " : " + count + " radio" + "s" when above 1 + " trouvée" + "s" when above 1.
QString FoundCountText(int count);

// The status line under the grid: what the filter shows, then FoundCountText. With the
// name filter and an empty text: "Nombre total de radios".
QString BrowserStatusText(TBrowserFilter filter, const QString& value, int count);

// The hints of the main window's Previous and Next buttons while it plays stations.
struct TNavigationHints {
  QString Previous;
  QString Next;
  bool operator==(const TNavigationHints&) const = default;
};
TNavigationHints BrowserNavigationHints(TBrowserFilter filter, const QString& value);

// The entries of the grid's editing menu that can be used.
struct TEditMenuState {
  bool Add = false;
  bool Update = false;
  bool Delete = false;
  bool Suggest = false;
  bool operator==(const TEditMenuState&) const = default;
};
// After a change of the station table: in the local tuner, adding is always possible and
// the others need a station shown; in the remote tuner the menu stays as the loader left
// it (`current`: all off).
TEditMenuState EditMenuAfterChange(bool localTuner, int count, const TEditMenuState& current);
