#include "common/eventloop.h"

#include <QStringList>
#include <QtGlobal>

bool GtkThemeExpected(const QString& platformTheme, const QString& currentDesktop) {
  if (!platformTheme.isEmpty()) return platformTheme.contains(QLatin1String("gtk"), Qt::CaseInsensitive);
  static const char* const kGtkDesktops[] = {"GNOME", "X-CINNAMON", "CINNAMON", "UNITY", "MATE",
                                             "XFCE",  "LXDE",       "BUDGIE",   "PANTHEON"};
  for (const QString& desktop : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
    for (const char* gtk : kGtkDesktops)
      if (desktop.trimmed().compare(QLatin1String(gtk), Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

void ChooseEventLoop() {
  if (qEnvironmentVariableIsSet("QT_NO_GLIB")) return;
  if (GtkThemeExpected(qEnvironmentVariable("QT_QPA_PLATFORMTHEME"), qEnvironmentVariable("XDG_CURRENT_DESKTOP")))
    return;
  qputenv("QT_NO_GLIB", "1");
}
