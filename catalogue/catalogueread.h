// Reading a catalogue file into a working table: the file is read whole into a scratch
// table first, so a malformed file changes nothing; then each row is appended to the
// working table, its fields copied by name (TCatalogueTable::CopyCatalogueRow) and posted.
#pragma once

#include <QString>

#include <functional>

#include "catalogue/cataloguetable.h"

// Called before each row is copied with n from 1 to m, the scratch table's row count.
using TReadProgress = std::function<void(int n, int m)>;

// Appends the file's rows to `working` with its display suspended. A row that cannot be
// copied or posted ends the read with its error; the rows before it stay, the failing
// row is dropped and the remaining rows are skipped.
TTableResult ReadCatalogueFile(TCatalogueTable& working, const QString& path, const TReadProgress& progress = {});
