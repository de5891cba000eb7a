// Helper of the atomic-write test: fills a station table with N rows and writes it to
// the target file again and again until it is killed.
//
//   catalogue_write_child TARGET ROWS [truncate]
//
// "truncate" writes the way the atomic write must not: the target itself is truncated,
// then written in place. The test uses it to show that it catches such a writer.
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstring>

#include "catalogue/catalogueschema.h"
#include "catalogue/datapacketwriter.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const QString target = QString::fromLocal8Bit(argv[1]);
  const int rows = QString::fromLatin1(argv[2]).toInt();
  const bool truncate = argc > 3 && std::strcmp(argv[3], "truncate") == 0;
  TCatalogueTable table(QStringLiteral("radiosDataset"));
  if (!CreateCatalogueTable(table, TCatalogueKind::Stations)) return 1;
  for (int i = 0; i < rows; ++i) {
    table.Append();
    table.SetFieldText(QStringLiteral("Radio"), QStringLiteral("Station %1").arg(i));
    table.SetFieldText(QStringLiteral("Url"), QStringLiteral("http://stream.example/%1/live.mp3").arg(i));
    table.SetFieldText(QStringLiteral("Genre"), QStringLiteral("Jazz,Blues,Eclectique"));
    table.Post();
  }
  const auto write = [&] {
    if (!truncate) return bool(table.SaveToFile(target));
    QFile file(target);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           WriteDataPacket(file, table.Fields(), table.Rows()) && file.flush();
  };
  // One byte on standard output once a whole new file is in place, then write on.
  if (!write()) return 1;
  fputc('w', stdout);
  fflush(stdout);
  for (;;)
    if (!write()) return 1;
}
