// The event loop choice: GLib stays where Qt will show GTK dialogs.
#include <gtest/gtest.h>

#include "common/eventloop.h"

namespace {

TEST(EventLoop, GlibStaysWhereQtTakesItsGtkTheme) {
  const struct {
    const char* theme;
    const char* desktop;
    bool gtk;
  } cases[] = {
      {"", "", false},                   // a bare X server, a plain window manager
      {"", "KDE", false},
      {"", "GNOME", true},
      {"", "ubuntu:GNOME", true},        // a list: any GTK desktop in it counts
      {"", "X-Cinnamon", true},
      {"", "XFCE", true},
      {"", "i3", false},
      {"gtk3", "KDE", true},             // the user's theme wins over the desktop
      {"kde", "GNOME", false},
      {"xdgdesktopportal", "GNOME", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GtkThemeExpected(QString::fromLatin1(c.theme), QString::fromLatin1(c.desktop)), c.gtk)
        << c.theme << " / " << c.desktop;
}

}  // namespace
