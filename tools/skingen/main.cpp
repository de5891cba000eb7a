// skingen OUTDIR: paints the skin pictures and writes them as PNG files, and the
// program icon also as SVG, into OUTDIR (created if missing). The build runs it to lay
// the skin beside the program. Pictures are drawn with fixed seeds, so a rerun gives the same
// files. Each file is written through a temporary and renamed at the end,
// so a failed run never leaves a half-written picture behind.
#include "pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cstdio>

namespace {

void fail(const QString &message)
{
    std::fprintf(stderr, "skingen: %s\n", qPrintable(message));
}

QImage render(const skin::Picture &picture)
{
    QImage img(picture.size, picture.opaque ? QImage::Format_RGB32
                                            : QImage::Format_ARGB32_Premultiplied);
    img.fill(picture.opaque ? Qt::black : Qt::transparent);
    QPainter p(&img);
    picture.paint(p);
    p.end();
    return img;
}

bool write(const QImage &img, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (!img.save(&file, "PNG")) {
        fail(QStringLiteral("cannot encode %1: %2").arg(path, file.errorString()));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Painting needs a GUI application (fonts, image formats) but never a
    // screen: the build may run on a machine without one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2 || args[1].isEmpty()) {
        fail(QStringLiteral("usage: skingen OUTDIR"));
        return 2;
    }
    const QDir out(args[1]);
    if (!QDir().mkpath(out.path())) {
        fail(QStringLiteral("cannot create folder %1").arg(out.path()));
        return 1;
    }
    for (const skin::Picture &picture : skin::pictures()) {
        if (!write(render(picture), out.filePath(QString::fromLatin1(picture.file))))
            return 1;
    }
    // The program icon once more as a scalable picture, for the desktop's launcher.
    QSaveFile svg(out.filePath(QStringLiteral("icon.svg")));
    if (!svg.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("cannot write %1: %2").arg(svg.fileName(), svg.errorString()));
        return 1;
    }
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(QSize(256, 256));
    generator.setViewBox(QRect(0, 0, 256, 256));
    generator.setTitle(QStringLiteral("Zovalis"));
    {
        QPainter p(&generator);
        skin::paintIcon(p, 256, true);
    }
    if (!svg.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(svg.fileName(), svg.errorString()));
        return 1;
    }
    return 0;
}
