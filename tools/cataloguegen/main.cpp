// cataloguegen SOURCEDIR FLAGSDIR PROGRAMDIR: lays the bundled station catalogue
// (data/catalogue/) into the program folder: server/catalogue/, base/, tuner/ and
// tuner/blank/, with a badge per station and the countries' flags (see layout.h).
// The build runs it whenever the source files or the tool change.
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

#include "layout.h"

int main(int argc, char* argv[]) {
  if (argc != 4 || !*argv[1] || !*argv[2] || !*argv[3]) {
    std::fprintf(stderr, "usage: cataloguegen SOURCEDIR FLAGSDIR PROGRAMDIR\n");
    return 2;
  }
  // Painting needs a GUI application (fonts, image formats) but never a screen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  const TLayoutReport report = LayCatalogue(args[1], args[2], args[3]);
  if (report.Skipped > 0) std::fprintf(stderr, "cataloguegen: %d row(s) skipped\n", report.Skipped);
  return report.Ok ? 0 : 1;
}
