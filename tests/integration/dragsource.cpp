// A stand-in for a desktop file manager: a small window at the top left corner given on
// the command line that, when the pointer presses on it, drags the files named after it
// (text/uri-list; an item with "://" is dragged as the address it is) wherever the
// pointer is released. It ends 5 s after the drop: the target asks for the data after the
// drop, and a source that has gone cannot answer.
//
//   zovalis_dragsource X Y FILE|URL...
//
// With --clipboard it stands in for a program the user copied a text from: it owns the
// clipboard with TEXT, prints "ready" and runs until it is ended.
//
//   zovalis_dragsource --clipboard TEXT
#include <QApplication>
#include <QClipboard>
#include <cstdio>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {

class DragSource : public QWidget {
 public:
  explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
    setWindowFlags(Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("dragsource"));
    setStyleSheet(QStringLiteral("background: #3060c0;"));
  }

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setUrls(urls_);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
    QTimer::singleShot(5000, qApp, &QApplication::quit);
  }

 private:
  QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() == 3 && args[1] == QLatin1String("--clipboard")) {
    QApplication::clipboard()->setText(args[2]);
    std::printf("ready\n");
    std::fflush(stdout);
    return QApplication::exec();
  }
  if (args.size() < 4) return 2;
  QList<QUrl> urls;
  for (int i = 3; i < args.size(); ++i)
    urls << (args[i].contains(QLatin1String("://")) ? QUrl(args[i]) : QUrl::fromLocalFile(args[i]));
  DragSource source(urls);
  source.setGeometry(args[1].toInt(), args[2].toInt(), 80, 80);
  source.show();
  return QApplication::exec();
}
