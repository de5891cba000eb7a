// The delivered catalogue folders of the program folder, laid out from the source
// files of data/catalogue/:
//
//   server/catalogue/  the catalogue the update server offers (server/version.xml names it)
//   base/              what the local tuner imports the first time
//   tuner/             what "Local" imports when the local tuner has no file; its
//                      drapeaux/ holds every flag, for the country editor's chooser
//   tuner/blank/       the empty template: the eleven station fields and no station,
//                      the reference tables, their flags, and noicon.png
//
// Each catalogue folder holds radios.xml, country.xml, genre.xml, network.xml,
// icones/ (a badge per station and noicon.png) and drapeaux/ (the flag of each
// country of country.xml).
#pragma once

#include <QString>
#include <QStringList>

struct TLayoutReport {
  bool Ok = true;
  int Skipped = 0;  // rows left out, each told on stderr
  int Written = 0;  // files written
};

// Reads the four files of `sourceDir` with the table engine, paints the badges and
// writes every folder under `programDir`. Flags are copied from `flagsDir` (one
// "<iso code>.png" per country). Messages go to stderr. A source file that cannot be
// read, or a file that cannot be written, fails the whole run; a row that cannot be
// used (no icon name, an icon or flag that is not a bare .png name, a missing flag) is
// skipped with a message.
TLayoutReport LayCatalogue(const QString& sourceDir, const QString& flagsDir, const QString& programDir);

// True when `name` can be used as a file inside a catalogue folder: a bare name
// ending in ".png", no folder part, no leading dot.
bool IsBarePngName(const QString& name);
