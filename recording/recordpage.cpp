#include "recording/recordpage.h"

#include <QFileInfo>

#include "recording/recordnaming.h"

QStringList TRecordPage::RecordOccItems() {
  return {QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("15"), QStringLiteral("20"),
          QStringLiteral("50"), QStringLiteral("100")};
}

QStringList TRecordPage::AvailableEncoders(const QString& programFolder) {
  QStringList out;
  for (const char* name : {"AAC", "AC3", "MP3", "OGG", "WAV", "WMA"}) {
    const QString format = QString::fromLatin1(name);
    const QString program = EncoderProgram(RecordFormatOf(format));
    if (!program.isEmpty()) {
      const QFileInfo info(programFolder + program);
      if (!info.isFile() || !info.isExecutable()) continue;
    }
    out << format;
  }
  return out;
}

void TRecordPage::Load(TSettings& settings, const QString& programFolder) {
  settings_ = &settings;
  edRecordDir = settings.RecordDir;
  Encoders = AvailableEncoders(programFolder);
  cbRecordOccText = QString::number(settings.RecordOcc);
  cbCutByTitleClick(settings.CutByTitle);
  cbEncoderChange(settings.RecordEncoder);
  cbCleanPartial = settings.CleanDropPartial;
  edCleanMinSeconds = settings.CleanMinSeconds;
  edCleanMaxMinutes = settings.CleanMaxMinutes;
  edCleanIgnore = settings.CleanIgnore;
  cbCleanSkipRepeats = settings.CleanSkipRepeats;
}

TCleanRules TRecordPage::CleanRules() const {
  TCleanRules r;
  r.DropPartial = cbCleanPartial;
  r.MinSeconds = edCleanMinSeconds;
  r.MaxMinutes = edCleanMaxMinutes;
  r.IgnoreWords = ParseIgnoreWords(edCleanIgnore);
  r.SkipRepeats = cbCleanSkipRepeats;
  return r;
}

void TRecordPage::cbCleanPartialClick(bool checked) {
  cbCleanPartial = checked;
  if (settings_) settings_->CleanDropPartial = checked;
}

void TRecordPage::edCleanMinSecondsChange(int seconds) {
  edCleanMinSeconds = qMax(0, seconds);
  if (settings_) settings_->CleanMinSeconds = edCleanMinSeconds;
}

void TRecordPage::edCleanMaxMinutesChange(int minutes) {
  edCleanMaxMinutes = qMax(0, minutes);
  if (settings_) settings_->CleanMaxMinutes = edCleanMaxMinutes;
}

void TRecordPage::edCleanIgnoreChange(const QString& text) {
  edCleanIgnore = text;
  if (settings_) settings_->CleanIgnore = text;
}

void TRecordPage::cbCleanRepeatChange(bool skip) {
  cbCleanSkipRepeats = skip;
  if (settings_) settings_->CleanSkipRepeats = skip;
}

void TRecordPage::btnSelectDirClick(const std::function<QString(const QString&, int)>& selectFolder) {
  const QString chosen = selectFolder(QStringLiteral("Sélectionnez un répertoire où stocker vos enregistrements"), 0x41);
  if (chosen.isEmpty()) return;
  edRecordDir = chosen;
  if (settings_) settings_->RecordDir = chosen;
}

void TRecordPage::cbCutByTitleClick(bool checked) {
  cbCutByTitle = checked;
  cbRecordOccEnabled = checked;
  if (settings_) settings_->CutByTitle = checked;
}

void TRecordPage::cbRecordOccChange(const QString& item) {
  if (!RecordOccItems().contains(item)) return;
  cbRecordOccText = item;
  if (settings_) settings_->RecordOcc = item.toInt();
}

void TRecordPage::cbEncoderChange(const QString& text) {
  cbEncoder = text;
  if (settings_) settings_->RecordEncoder = text;
  const QString description = RecordFormatDescription(text);
  if (!description.isEmpty()) Label19 = description;
}
