// The state and handlers of the configuration window's page "Enregistrement": the
// recording folder (edRecordDir), the cut-by-title box (cbCutByTitle) with the numbering
// list it enables (cbRecordOcc and its label Label6), and the format list (cbEncoder)
// with its description (Label19). Core code: the configuration window lays out controls
// that show this state and calls the handlers; the recorder reads the live values here.
//
// Thread: interface thread only.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "common/settings.h"
#include "recording/cleantracks.h"

class TRecordPage {
 public:
  // The numbering list's items.
  static QStringList RecordOccItems();
  // The formats offered: AAC, AC3, MP3 and OGG when their encoder program exists and is
  // executable in `programFolder` (ending with "/"), WAV and WMA always; in list order.
  static QStringList AvailableEncoders(const QString& programFolder);

  // Fills the page from the loaded settings record, which the handlers then keep up to
  // date (folder, cut by title, numbering, format) as the user changes them.
  void Load(TSettings& settings, const QString& programFolder);

  // The live values.
  QString edRecordDir;
  bool cbCutByTitle = true;
  QString cbEncoder;        // the chosen format text
  QString cbRecordOccText;  // the chosen numbering item
  bool cbRecordOccEnabled = true;  // cbRecordOcc and Label6
  QString Label19;          // the format's description
  QStringList Encoders;     // the formats offered
  // Clean tracks (they apply to recordings cut by title, and are enabled with it).
  bool cbCleanPartial = false;
  int edCleanMinSeconds = 0;
  int edCleanMaxMinutes = 0;
  QString edCleanIgnore;
  bool cbCleanSkipRepeats = false;  // the repeat list's choice: skip rather than number
  // The rules a recording started now follows.
  TCleanRules CleanRules() const;

  // Handlers. `selectFolder` is the folder dialog (title, flags) -> path, empty when
  // cancelled.
  void btnSelectDirClick(const std::function<QString(const QString&, int)>& selectFolder);
  void cbCutByTitleClick(bool checked);
  void cbRecordOccChange(const QString& item);
  void cbEncoderChange(const QString& text);
  void cbCleanPartialClick(bool checked);
  void edCleanMinSecondsChange(int seconds);
  void edCleanMaxMinutesChange(int minutes);
  void edCleanIgnoreChange(const QString& text);
  void cbCleanRepeatChange(bool skip);

 private:
  TSettings* settings_ = nullptr;
};
