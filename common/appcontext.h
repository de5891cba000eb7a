// The folders and settings of one run of the program. The program object owns the one
// instance; windows and services that read or change settings get it by reference.
//
// Thread: interface thread only.
#pragma once

#include <QString>

#include "common/settings.h"

struct TAppContext {
  // The settings record, loaded at start and saved at exit; controls write into it as the
  // user changes them.
  TSettings Settings;

  // Application folders, each ending with "/": the program's own files, the user's data,
  // the active tuner's folder (follows the tuner mode).
  QString ExeFolder;
  QString DataFolder;
  QString TunerFolder;
};
