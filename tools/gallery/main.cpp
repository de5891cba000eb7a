// gallery [--windows] [--dejavu] [--shot FILE] [SKINDIR]: shows the widget gallery and the main
// window's look (or, with --windows, the secondary windows' look) in one 1024 x 768
// window at the screen's top-left corner, for screenshots under Xvfb. `--shot FILE`
// renders the same window into a PNG and quits.
#include <QApplication>
#include <QFont>
#include <QTimer>

#include "galleryskin.h"
#include "mainmockup.h"
#include "widgetpage.h"
#include "windowspage.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      std::puts("usage: gallery [--windows] [--dejavu] [--shot FILE] [SKINDIR]\n"
                "  --windows    the secondary windows' look instead of the widgets and main window\n"
                "  --dejavu     keep DejaVu Sans for the narrow font families\n"
                "  --shot FILE  render the window into a PNG file and quit\n"
                "  SKINDIR      the skin pictures (default: the program folder's skin/)");
      return 0;
    }
  }
  QApplication app(argc, argv);
  // The windows ask for "MS Sans Serif" and "Tahoma"; fontconfig's default stand-in,
  // DejaVu Sans, is about 15 % wider and overflows the fixed label widths. Liberation
  // Sans keeps close to the widths the layouts were made for.
  if (!QCoreApplication::arguments().contains("--dejavu")) {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
  }
  QString shot;
  bool windows = false;
  const QStringList args = QCoreApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--dejavu") {
      continue;
    } else if (args[i] == "--windows") {
      windows = true;
    } else if (args[i] == "--shot" && i + 1 < args.size()) {
      shot = args[++i];
    } else {
      gallery::SkinDir() = args[i].endsWith('/') ? args[i] : args[i] + '/';
    }
  }

  QWidget window(nullptr, Qt::FramelessWindowHint);
  window.setFixedSize(1024, 768);
  window.setAutoFillBackground(true);
  QPalette pal;
  pal.setColor(QPalette::Window, QColor(32, 33, 36));
  window.setPalette(pal);

  if (windows) {
    (new WindowsPage(&window))->setGeometry(0, 0, 1024, 768);
  } else {
    (new WidgetPage(&window))->setGeometry(0, 0, 1024, 768);
    (new MainMockup(&window))->move(8, 8);
  }

  window.move(0, 0);
  window.show();
  if (!shot.isEmpty()) {
    QTimer::singleShot(300, [&] {
      window.grab().save(shot);
      app.quit();
    });
  }
  return app.exec();
}
