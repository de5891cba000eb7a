// Program entry: one instance only, the program object with its windows, the event loop.
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QThread>
#include <cstdio>

#include "app/mainform.h"
#include "app/mpris.h"
#include "app/openrequest.h"
#include "app/program.h"
#include "app/signalbridge.h"
#include "app/singleinstance.h"
#include "common/eventloop.h"
#include "common/translations.h"
#include "widgets/skinnedform.h"
#include "windows/formcontrols.h"

int main(int argc, char* argv[]) {
  // A second start ends at once, silently, leaving the first instance undisturbed. The
  // guard is held until the process ends.
  TSingleInstance guard(QStringLiteral("ZOVAProject"));
  if (!guard.TryAcquire()) {
    // The program already runs, perhaps hidden in the tray with no tray to click on the
    // desktop: it is asked to open what this command line names (addresses, playlists,
    // audio files, with relative paths made absolute here) and to show its main window.
    QCoreApplication raiser(argc, argv);
    const QStringList items = AbsoluteItems(QCoreApplication::arguments().mid(1), QDir::currentPath());
    bool asked = TInstanceChannel::AskToOpen(guard.ChannelPath(), items);
    // A first start still loading its catalogue listens once its window exists: what this
    // start names waits for it (ten seconds at most) rather than being lost.
    for (int tries = 0; !asked && !items.isEmpty() && tries < 50; ++tries) {
      QThread::msleep(200);
      asked = TInstanceChannel::AskToOpen(guard.ChannelPath(), items);
    }
    if (!asked) TMpris::RaiseRunningInstance();
    return 0;
  }

  // The window is small and its analyser repaints 50 times a second: sending those few
  // pixels through the X connection costs less than shared memory, whose every paint
  // waits for the X server to release the previous image. A setting of the user wins.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
  ChooseEventLoop();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zovalis"));
  QApplication::setApplicationDisplayName(QStringLiteral("Zovalis"));
  InstallFontSubstitutes();
  if (!InstallQtFrench(app)) std::fprintf(stderr, "zovalis: Qt's French texts are not installed\n");
  // Closing the main window ends the program, even while another window is shown.
  QApplication::setQuitOnLastWindowClosed(false);

  TProgram program(zengine::OutputKind::Default);
  if (!program.Start(TFormCreation::OnDemand)) {
    std::fprintf(stderr, "zovalis: %s\n", qUtf8Printable(program.StartupError()));
    return program.StartupExitCode();
  }
  TMainForm* mainForm = program.MainForm();
  QApplication::setWindowIcon(QIcon(LoadSkinPicture(QStringLiteral("icon48.png"))));

  // Logout and Ctrl-C close the main window as "&Quitter" does, so the settings are saved.
  TSignalBridge terminationSignals;
  QObject::connect(&terminationSignals, &TSignalBridge::TerminateRequested, mainForm, [mainForm] { mainForm->close(); });

  // A second start asks through the guard's channel to see the window (no session bus
  // needed; the media controls' Raise does the same where a bus exists).
  TInstanceChannel channel;
  if (!channel.Listen(guard.ChannelPath()))
    std::fprintf(stderr, "zovalis: a second start cannot reach this one (%s)\n", qUtf8Printable(guard.ChannelPath()));
  QObject::connect(&channel, &TInstanceChannel::ShowRequested, mainForm, &TMainForm::Restore);
  QObject::connect(&channel, &TInstanceChannel::OpenRequested, mainForm,
                   [mainForm](const QStringList& items) { mainForm->OpenItems(items, QDir::homePath()); });

  // What the command line names (an address, a playlist, audio files) plays instead of
  // the last station.
  const QStringList items = QApplication::arguments().mid(1);
  if (!items.isEmpty()) mainForm->OpenAtStart(items, QDir::currentPath());

  mainForm->show();
  return QApplication::exec();
}
