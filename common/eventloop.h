// Which event loop the program runs on. Qt's own loop costs less per wake-up than the
// GLib one (about a sixth of the playing window's CPU time, the analyser waking it 50
// times a second), but the GTK dialogs Qt shows on GNOME-like desktops need GLib.
#pragma once

#include <QString>

// True when Qt will take its GTK platform theme: the user named it (QT_QPA_PLATFORMTHEME),
// or named none on a desktop for which Qt chooses it (XDG_CURRENT_DESKTOP, a list
// separated by ':').
bool GtkThemeExpected(const QString& platformTheme, const QString& currentDesktop);

// Before the application object exists: asks Qt for its own event loop unless the GTK
// theme is expected or the user already chose (QT_NO_GLIB set either way).
void ChooseEventLoop();
