// Helper of the atomic-write test: fills a station table with N rows and writes it to
// the target file again and again until it is killed.
#include <QString>

#include <cstdio>

#include "catalogue/catalogueschema.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const QString target = QString::fromLocal8Bit(argv[1]);
  const int rows = QString::fromLatin1(argv[2]).toInt();
  TCatalogueTable table(QStringLiteral("radiosDataset"));
  if (!CreateCatalogueTable(table, TCatalogueKind::Stations)) return 1;
  for (int i = 0; i < rows; ++i) {
    table.Append();
    table.SetFieldText(QStringLiteral("Radio"), QStringLiteral("Station %1").arg(i));
    table.SetFieldText(QStringLiteral("Url"), QStringLiteral("http://stream.example/%1/live.mp3").arg(i));
    table.SetFieldText(QStringLiteral("Genre"), QStringLiteral("Jazz,Blues,Eclectique"));
    table.Post();
  }
  // One byte on standard output once a whole new file is in place, then write on.
  if (!table.SaveToFile(target)) return 1;
  fputc('w', stdout);
  fflush(stdout);
  for (;;)
    if (!table.SaveToFile(target)) return 1;
}
