#include "common/appfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString WithSlash(QString path) {
  if (!path.isEmpty() && !path.endsWith(u'/')) path += u'/';
  return path;
}

}  // namespace

QString GetSpecialFolderPath(SpecialFolder folder) {
  const auto location = folder == SpecialFolder::LocalAppData ? QStandardPaths::GenericDataLocation
                                                              : QStandardPaths::DocumentsLocation;
  const QString path = QStandardPaths::writableLocation(location);
  if (path.isEmpty()) return {};
  if (!QDir().mkpath(path)) return {};
  return WithSlash(QDir::cleanPath(path));
}

QString ExecutableFolder() {
  return WithSlash(QCoreApplication::applicationDirPath());
}

const QStringList& DataSubFolders() {
  static const QStringList folders = {
      QStringLiteral("temp/"),
      QStringLiteral("tuner/"),
      QStringLiteral("tuner/remote/"),
      QStringLiteral("tuner/remote/drapeaux/"),
      QStringLiteral("tuner/remote/icones/"),
      QStringLiteral("tuner/local/"),
      QStringLiteral("tuner/local/drapeaux/"),
      QStringLiteral("tuner/local/icones/"),
  };
  return folders;
}

QString FolderCreationMessage(const QString& path) {
  return QStringLiteral("Erreur d'entrée/sortie : impossible de créer le dossier « %1 ».")
      .arg(QDir::toNativeSeparators(path));
}

TFolderResult CreateDataFolders(const QString& dataFolder) {
  QStringList paths{dataFolder};
  for (const QString& sub : DataSubFolders()) paths << dataFolder + sub;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (info.isDir()) continue;
    // One level at a time, in order: each parent was made (or found) just before.
    if (!QDir().mkdir(path)) {
      return {false, path, FolderCreationMessage(path)};
    }
  }
  return {};
}

QString TunerFolderFor(const QString& dataFolder, const QString& mode) {
  const QString safe = mode == QLatin1String("local") || mode == QLatin1String("directory") ? mode : QStringLiteral("remote");
  return dataFolder + QStringLiteral("tuner/") + safe + u'/';
}
