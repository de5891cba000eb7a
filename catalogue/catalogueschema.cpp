#include "catalogue/catalogueschema.h"

QString CatalogueTableName(TCatalogueKind kind) {
  switch (kind) {
    case TCatalogueKind::Stations: return QStringLiteral("radiosDataset");
    case TCatalogueKind::Countries: return QStringLiteral("countryDataSet");
    case TCatalogueKind::Genres: return QStringLiteral("genreDataSet");
    case TCatalogueKind::Networks: return QStringLiteral("networkDataSet");
  }
  return QString();
}

QString CatalogueFileName(TCatalogueKind kind) {
  switch (kind) {
    case TCatalogueKind::Stations: return QStringLiteral("radios.xml");
    case TCatalogueKind::Countries: return QStringLiteral("country.xml");
    case TCatalogueKind::Genres: return QStringLiteral("genre.xml");
    case TCatalogueKind::Networks: return QStringLiteral("network.xml");
  }
  return QString();
}

TFieldList CatalogueFields(TCatalogueKind kind) {
  using T = TFieldType;
  switch (kind) {
    case TCatalogueKind::Stations:
      return {{QStringLiteral("Radio"), T::String, 64, true},       {QStringLiteral("Url"), T::String, 256, true},
              {QStringLiteral("Genre"), T::String, 128, false},     {QStringLiteral("Country"), T::String, 48, false},
              {QStringLiteral("Network"), T::String, 48, false},    {QStringLiteral("Web"), T::String, 256, false},
              {QStringLiteral("Icon"), T::String, 128, false},      {QStringLiteral("StreamType"), T::String, 7, false},
              {QStringLiteral("BitRate"), T::Integer, 0, false},    {QStringLiteral("SampleRate"), T::Integer, 0, false},
              {QStringLiteral("Channels"), T::String, 7, false}};
    case TCatalogueKind::Countries:
      return {{QStringLiteral("Name"), T::String, 40, true}, {QStringLiteral("Flag"), T::String, 64, true}};
    case TCatalogueKind::Genres:
      return {{QStringLiteral("Name"), T::String, 40, true}};
    case TCatalogueKind::Networks:
      return {{QStringLiteral("Name"), T::String, 40, false}};
  }
  return {};
}

TTableResult CreateCatalogueTable(TCatalogueTable& table, TCatalogueKind kind) {
  table.Close();
  table.ClearFields();
  for (const TFieldDef& f : CatalogueFields(kind))
    if (TTableResult r = table.AddField(f); !r) return r;
  table.SetIgnoreCase(kind == TCatalogueKind::Stations);
  if (kind != TCatalogueKind::Stations) {
    if (TTableResult r = table.SortByFields(QStringLiteral("Name")); !r) return r;
  }
  if (TTableResult r = table.CreateDataSet(); !r) return r;
  table.SetLogChanges(false);
  table.SetReadOnly(false);
  return TTableResult::Success();
}
