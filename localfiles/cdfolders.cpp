#include "localfiles/cdfolders.h"

#include <QFile>
#include <QFileInfo>

#include "playback/engine/engine.h"

QString CdFolderOf(const QString& dataFolder, const QString& drive) {
  return dataFolder + QStringLiteral("CD/") + QFileInfo(drive).completeBaseName() + QLatin1Char('/');
}

QStringList RefreshCdFolders(const QString& dataFolder, const QStringList& drives) {
  QStringList folders;
  for (const QString& drive : drives) {
    const QString folder = CdFolderOf(dataFolder, drive);
    if (zengine::CDWriteTrackFiles(QFile::encodeName(drive).toStdString(), QFile::encodeName(folder).toStdString()))
      folders << folder;
  }
  return folders;
}

QStringList CdDrives() {
  QStringList out;
  for (const std::string& d : zengine::CDGetDrives()) out << QFile::decodeName(QByteArray::fromStdString(d));
  for (const QString& d : qEnvironmentVariable("ZOVALIS_CD_DRIVES").split(QLatin1Char(':'), Qt::SkipEmptyParts))
    if (!out.contains(d)) out << d;
  return out;
}
