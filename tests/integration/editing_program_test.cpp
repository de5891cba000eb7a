// Editing the local catalogue in the real program, as a user does it with the mouse and
// keyboard: a station renamed in the editor reaches the station file on disk, and the
// browser's suggestion reaches a real SMTP sink through the system's mail program (msmtp
// standing in for sendmail, aiosmtpd listening on 127.0.0.1).
#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "catalogue/catalogueschema.h"
#include "catalogue/cataloguetable.h"
#include "programharness.h"

namespace {

void WriteFile(const QString& path, const QByteArray& text, bool executable = false) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
  f.close();
  if (executable) f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

QStringList StationsIn(const QString& file) {
  TCatalogueTable t("t");
  QStringList names;
  if (!t.LoadFromFile(file)) return {"<unreadable>"};
  for (t.First(); t.RecordCount() > 0; t.Next()) {
    names << t.FieldText("Radio").Value;
    if (t.RecNo() == t.RecordCount()) break;
  }
  return names;
}

TEST(EditingProgram, RenameReachesTheFileAndTheSuggestionReachesTheMailbox) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;

  // The mail chain: an SMTP sink, and a `sendmail` that hands the message to it.
  QTemporaryDir mail;
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const quint16 port = probe.serverPort();
  probe.close();
  QProcess sink;
  sink.start("/usr/bin/python3", {"-m", "aiosmtpd", "-n", "-l", QString("127.0.0.1:%1").arg(port), "-c",
                                  "aiosmtpd.handlers.Mailbox", mail.filePath("box")});
  ASSERT_TRUE(ProgramHarness::WaitFor([&] {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    return s.waitForConnected(100);
  }, 10000));
  QDir().mkpath(mail.filePath("bin"));
  WriteFile(mail.filePath("msmtprc"),
            QString("account default\nhost 127.0.0.1\nport %1\nauth off\ntls off\nfrom zovalis@example.org\n")
                .arg(port)
                .toUtf8());
  QFile::setPermissions(mail.filePath("msmtprc"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  WriteFile(mail.filePath("bin/sendmail"), ("#!/bin/sh\nexec msmtp -C '" + mail.filePath("msmtprc") + "' \"$@\"\n").toUtf8(),
            true);
  h.extraEnv.push_back({"PATH", mail.filePath("bin") + ":" + qEnvironmentVariable("PATH")});

  // A local tuner of two stations; the browser lists every station.
  const QString local = h.home.DataFolder() + "tuner/local/";
  QDir().mkpath(local);
  TCatalogueTable radios("radiosDataset");
  ASSERT_TRUE(CreateCatalogueTable(radios, TCatalogueKind::Stations));
  for (const char* name : {"Alpha Été", "Bravo"}) {
    radios.Append();
    radios.SetFieldText("Radio", QString::fromUtf8(name));
    radios.SetFieldText("Url", "http://127.0.0.1:9/stream");
    radios.SetFieldText("Web", "https://radio.example/");
    ASSERT_TRUE(radios.Post());
  }
  ASSERT_TRUE(radios.SaveToFile(local + "radios.xml"));
  {
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Mode", "local");
    settings.setValue("Filter", "Name");
    settings.setValue("FilterName", "");
  }
  int code = -1;
  h.Run("xmodmap", {"-e", "keycode 255 = eacute Eacute"}, &code);
  ASSERT_EQ(code, 0) << "xmodmap could not bind a key to é";
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << program->readAllStandardError().toStdString();

  // The station button's upper part opens the browser beside the main window, wholly on
  // the screen (the centred main window leaves room neither above nor below: a corner).
  h.ClickFace(15 + 10, 28 + 8);
  ASSERT_TRUE(h.WaitFor([&] { return h.WindowTitled("Tuner"); }, 10000));
  const QString browserId = h.Run("xdotool", {"search", "--onlyvisible", "--name", "^Tuner"}).section('\n', 0, 0);
  const auto m = QRegularExpression(R"(Position: (-?\d+),(-?\d+))")
                     .match(h.Run("xdotool", {"getwindowgeometry", browserId}));
  ASSERT_TRUE(m.hasMatch()) << browserId.toStdString();
  const int bx = m.captured(1).toInt(), by = m.captured(2).toInt();
  ASSERT_TRUE(bx >= 0 && by >= 0 && bx + 480 <= 1024 && by + 320 <= 768) << bx << "," << by;
  const QString rowX = QString::number(bx + 58), rowY = QString::number(by + 85);
  const auto key = [&](const QStringList& keys) { h.Run("xdotool", QStringList{"key", "--delay", "150"} + keys); };
  const auto rightClickFirstRow = [&] {
    h.Run("xdotool", {"mousemove", rowX, rowY, "click", "1"});
    h.Run("xdotool", {"mousemove", rowX, rowY, "click", "3"});
    QThread::msleep(500);
  };

  // "&Modifier cette radio": rename the first station and save.
  rightClickFirstRow();
  key({"Down", "Down", "Return"});
  if (!h.WaitFor([&] { return h.WindowTitled("Edition d"); }, 10000)) {
    h.Run("import", {"-window", "root", QDir::tempPath() + "/zovalis-editing-failure.png"});
    FAIL() << "no editor; screen in " << QDir::tempPath().toStdString() << "/zovalis-editing-failure.png";
  }
  h.Run("xdotool", {"key", "ctrl+a"});
  // "é" has a key of its own (bound before the program started): left to itself, xdotool
  // binds a spare key for the moment of each press, and a busy program that reads the key
  // after the binding went back gets nothing.
  h.Run("xdotool", {"type", "--delay", "150", "Alpha Renommée"});
  key({"alt+s"});
  EXPECT_TRUE(h.WaitFor([&] { return StationsIn(local + "radios.xml").contains("Alpha Renommée"); }, 10000))
      << StationsIn(local + "radios.xml").join(", ").toStdString();

  // "&Proposer cette radio ...": the mail arrives.
  rightClickFirstRow();
  key({"Down", "Down", "Down", "Down", "Return"});
  QStringList delivered;
  EXPECT_TRUE(h.WaitFor([&] {
    delivered = QDir(mail.filePath("box/new")).entryList(QDir::Files);
    return !delivered.isEmpty();
  }, 15000));
  if (!delivered.isEmpty()) {
    QProcess parse;
    parse.start("/usr/bin/python3",
                {"-c",
                 "import email,email.policy,sys;m=email.message_from_binary_file(open(sys.argv[1],'rb'),"
                 "policy=email.policy.default);print(m['subject']);print(m.get_body().get_content())",
                 mail.filePath("box/new/" + delivered[0])});
    parse.waitForFinished(10000);
    const QString text = QString::fromUtf8(parse.readAllStandardOutput());
    EXPECT_TRUE(text.startsWith("Proposition de radio : Alpha Renommée\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("Url du flux : http://127.0.0.1:9/stream")) << text.toStdString();
  }

  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0);
  sink.kill();
  sink.waitForFinished(3000);
}

}  // namespace
