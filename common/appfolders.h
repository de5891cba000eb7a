// The application folders: where the program lives, where the user's data goes, and the
// folder layout under it. Paths use "/" and end with "/".
#pragma once

#include <QString>
#include <QStringList>

// The platform's special folders the program uses.
enum class SpecialFolder {
  LocalAppData,  // ~/.local/share
  Documents,     // ~/Documents (default parent of the recording folder)
};

// The special folder's path, ending with "/". The folder is created when missing, as the
// desktop does for a new account, so that single-level creations under it can work.
// Empty when the platform gives no such folder or it cannot be created.
QString GetSpecialFolderPath(SpecialFolder folder);

// Folder of the running executable, ending with "/".
QString ExecutableFolder();

// The sub-folders of the data folder, in the order they are created.
const QStringList& DataSubFolders();

// Result of preparing the folder layout.
struct TFolderResult {
  bool Ok = true;
  QString FailedPath;  // the folder that could not be created
  QString Message;     // French text for the error box
};

// Creates `dataFolder` (one level) and each sub-folder of DataSubFolders() that does not
// exist, in order. Existing folders and their contents are left alone. Stops at the first
// folder that cannot be created.
TFolderResult CreateDataFolders(const QString& dataFolder);

// The tuner folder for a mode. Only "local", "remote" and "directory" (the open station
// directory) name tuner folders; any other
// value (a damaged settings file) falls back to "remote", so the path never leaves
// dataFolder + "tuner/".
QString TunerFolderFor(const QString& dataFolder, const QString& mode);

// The French text of a folder-creation failure, shown in the error box.
QString FolderCreationMessage(const QString& path);
