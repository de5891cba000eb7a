// The folders of ".cda" track descriptors the add-files dialog offers: one per CD drive,
// DataFolder + "CD/" + the drive's name, refreshed from the disc in the drive.
#pragma once

#include <QString>
#include <QStringList>

// The track folder of `drive` (a device path such as /dev/sr0, or a .cue image):
// `dataFolder` + "CD/" + the drive's file name without its extension + "/".
QString CdFolderOf(const QString& dataFolder, const QString& drive);

// Writes the descriptors of the disc in each drive into its folder and returns the
// folders that now hold tracks (drives without a disc are left out). Blocks while the
// drives are read.
QStringList RefreshCdFolders(const QString& dataFolder, const QStringList& drives);

// The machine's CD drives, then the extra drives named by ZOVALIS_CD_DRIVES: device
// paths or BIN/CUE images (.cue), separated by ':' (a disc image stands in for a disc
// in a drive, e.g. on a machine without one).
QStringList CdDrives();
