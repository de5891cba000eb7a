// The four catalogue tables: their names, files and field lists, and their creation.
#pragma once

#include <QString>

#include "catalogue/cataloguetable.h"

enum class TCatalogueKind { Stations, Countries, Genres, Networks };

// "radiosDataset", "countryDataSet", "genreDataSet", "networkDataSet".
QString CatalogueTableName(TCatalogueKind kind);
// "radios.xml", "country.xml", "genre.xml", "network.xml".
QString CatalogueFileName(TCatalogueKind kind);
// The fields in file order: the eleven station fields, or the reference table's.
TFieldList CatalogueFields(TCatalogueKind kind);

// Closes the table, defines its fields and creates it empty and open, change log off,
// read-only off. The station table's text comparisons ignore case; a reference table is
// ordered by Name.
TTableResult CreateCatalogueTable(TCatalogueTable& table, TCatalogueKind kind);
