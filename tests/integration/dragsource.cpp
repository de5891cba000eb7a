// A stand-in for a desktop file manager: a small window at the top left corner given on
// the command line that, when the pointer presses on it, drags the files named after it
// (text/uri-list) wherever the pointer is released. It ends 5 s after the drop: the
// target asks for the data after the drop, and a source that has gone cannot answer.
//
//   zovalis_dragsource X Y FILE...
#include <QApplication>
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
  if (args.size() < 4) return 2;
  QList<QUrl> urls;
  for (int i = 3; i < args.size(); ++i) urls << QUrl::fromLocalFile(args[i]);
  DragSource source(urls);
  source.setGeometry(args[1].toInt(), args[2].toInt(), 80, 80);
  source.show();
  return QApplication::exec();
}
