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
