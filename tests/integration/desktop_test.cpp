// The program on a desktop session bus: the media controls (MPRIS, driven by playerctl as
// the desktop's media keys are), title balloons as desktop notifications when there is no
// tray, and a second start showing the window hidden in the tray. A private bus, a local
// Icecast and the notification service (offered by the test itself) are started here.
#include <gtest/gtest.h>

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QSettings>

#include "catalogue/catalogueschema.h"
#include "catalogue/cataloguetable.h"
#include "programharness.h"
#include "support/icecast.h"

namespace {

// The desktop's notification service, as far as the program uses it.
class FakeNotifications : public QObject {
  Q_OBJECT
 public:
  struct Shown {
    QString Summary, Body;
  };
  std::vector<Shown> shown;
};

class NotificationsAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  explicit NotificationsAdaptor(FakeNotifications* owner) : QDBusAbstractAdaptor(owner), owner_(owner) {}
 public Q_SLOTS:
  uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body, const QStringList&,
              const QVariantMap&, int) {
    owner_->shown.push_back({summary, body});
    return uint(owner_->shown.size());
  }
  QStringList GetCapabilities() { return {"body"}; }

 private:
  FakeNotifications* owner_;
};

// Records the player's PropertiesChanged signals.
class ChangeListener : public QObject {
  Q_OBJECT
 public:
  QStringList changed;  // names of the changed properties, in order
 public Q_SLOTS:
  void Changed(const QString&, const QVariantMap& properties, const QStringList&) { changed << properties.keys(); }
};

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(h.Start(&error)) << error;
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForReadyRead(10000));
    address = QString::fromUtf8(bus.readLine()).trimmed();
    ASSERT_FALSE(address.isEmpty());
    h.extraEnv.push_back({"DBUS_SESSION_BUS_ADDRESS", address});
  }
  void TearDown() override {
    QDBusConnection::disconnectFromBus("test");
    bus.kill();
    bus.waitForFinished(3000);
  }

  QString Ctl(const QStringList& args) { return h.Run("playerctl", QStringList{"-p", "zovalis"} + args); }

  ProgramHarness h;
  QProcess bus;
  QString address;
};

TEST_F(DesktopTest, MediaControlsNotificationsAndTheHiddenWindow) {
  ztest::Icecast icecast;
  std::string error;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Live", "Jazz"}, &error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/deux", ztest::Icecast::Codec::Mp3, 660, 128, "Zova Deux", "Rock"}, &error)) << error;
  const QString local = h.home.DataFolder() + "tuner/local/";
  QDir().mkpath(local);
  TCatalogueTable radios("radiosDataset");
  ASSERT_TRUE(CreateCatalogueTable(radios, TCatalogueKind::Stations));
  for (const auto& [name, mount] : {std::pair<QString, std::string>{"Zova Live", "/live"}, {"Zova Deux", "/deux"}}) {
    radios.Append();
    radios.SetFieldText("Radio", name);
    radios.SetFieldText("Url", QString::fromStdString(icecast.Url(mount)));
    ASSERT_TRUE(radios.Post());
  }
  ASSERT_TRUE(radios.SaveToFile(local + "radios.xml"));
  {
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Mode", "local");
    settings.setValue("LastRadio", "Zova Live");
    settings.setValue("Filter", "Name");  // every station passes: Next has somewhere to go
    settings.setValue("FilterName", "");
  }

  // The test offers the notification service and listens to the player's changes.
  QDBusConnection test = QDBusConnection::connectToBus(address, "test");
  ASSERT_TRUE(test.isConnected());
  FakeNotifications notifications;
  new NotificationsAdaptor(&notifications);
  ASSERT_TRUE(test.registerObject("/org/freedesktop/Notifications", &notifications));
  ASSERT_TRUE(test.registerService("org.freedesktop.Notifications"));
  ChangeListener listener;
  ASSERT_TRUE(test.connect(QString(), "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties",
                           "PropertiesChanged", &listener,
                           SLOT(Changed(QString, QVariantMap, QStringList))));

  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitFor([&] { return Ctl({"status"}) == "Playing"; }, 30000))
      << program->readAllStandardError().toStdString();
  EXPECT_EQ(Ctl({"metadata", "xesam:album"}), "Zova Live");
  ASSERT_TRUE(h.WaitFor([&] { return h.SinkLevel() > 0.01; })) << "no sound";

  // A title change: metadata split into artist and title, announced, and shown as a
  // desktop notification since there is no tray.
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste Test - Chanson", &error)) << error;
  EXPECT_TRUE(h.WaitFor([&] { return Ctl({"metadata", "xesam:title"}) == "Chanson"; }, 30000));
  EXPECT_EQ(Ctl({"metadata", "xesam:artist"}), "Artiste Test");
  EXPECT_TRUE(h.WaitFor([&] { return listener.changed.contains("Metadata"); }));
  EXPECT_TRUE(h.WaitFor([&] {
    for (const auto& n : notifications.shown)
      if (n.Summary == "Zova Live" && n.Body == "Artiste Test - Chanson") return true;
    return false;
  })) << "no notification of the title";

  // Volume both ways.
  Ctl({"volume", "0.3"});
  EXPECT_TRUE(h.WaitFor([&] { return Ctl({"volume"}).startsWith("0.3"); }));
  EXPECT_TRUE(h.WaitFor([&] { return listener.changed.contains("Volume"); }));

  // Pause (a station stops), play, next station.
  Ctl({"pause"});
  EXPECT_TRUE(h.WaitFor([&] { return Ctl({"status"}) == "Stopped"; }));
  EXPECT_TRUE(h.WaitFor([&] { return h.SinkLevel() < 0.001; })) << "still sounding after pause";
  Ctl({"play"});
  EXPECT_TRUE(h.WaitFor([&] { return Ctl({"status"}) == "Playing"; }, 30000));
  // The start put the station table back on its first row ("Zova Deux", by name): Next
  // goes to "Zova Live", then round to "Zova Deux".
  Ctl({"next"});
  EXPECT_TRUE(h.WaitFor([&] { return Ctl({"status"}) == "Playing"; }, 30000));
  Ctl({"next"});
  EXPECT_TRUE(h.WaitFor([&] { return Ctl({"metadata", "xesam:album"}) == "Zova Deux"; }, 30000))
      << Ctl({"metadata", "xesam:album"}).toStdString();
  EXPECT_TRUE(listener.changed.contains("PlaybackStatus"));

  // An address the desktop asks to open plays, named by its stream.
  ASSERT_TRUE(icecast.AddSource({"/trois", ztest::Icecast::Codec::Mp3, 550, 128, "Zova Trois", "Pop"}, &error)) << error;
  Ctl({"open", QString::fromStdString(icecast.Url("/trois"))});
  EXPECT_TRUE(h.WaitFor([&] { return Ctl({"metadata", "xesam:album"}) == "Zova Trois"; }, 30000))
      << Ctl({"metadata", "xesam:album"}).toStdString();
  EXPECT_TRUE(h.WaitFor([&] { return Ctl({"status"}) == "Playing"; }, 30000));

  // Minimised with no tray to click: the window is not hidden (it goes to the taskbar), and
  // starting the program again shows it.
  h.ClickFace(405 + 13, 9);
  QThread::msleep(1000);
  EXPECT_TRUE(h.WindowTitled("Zovalis")) << "minimising hid the window with no tray to bring it back";
  QProcess* second = h.Launch(QStringLiteral(ZOVALIS_EXE));
  // It only asks the first to show itself and ends; a busy machine may take its time, a
  // second start that keeps running is what fails.
  ASSERT_TRUE(second->waitForFinished(60000)) << second->readAllStandardError().toStdString();
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_TRUE(h.WaitFor([&] { return h.WindowTitled("Zovalis"); }, 5000));

  // Quit from the desktop closes in order.
  h.Run("dbus-send", {"--session", "--type=method_call", "--dest=org.mpris.MediaPlayer2.zovalis",
                      "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Quit"});
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0);
}

}  // namespace

#include "desktop_test.moc"
