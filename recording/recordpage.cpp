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

void TRecordPage::Load(const QString& recordDir, bool cutByTitle, int* recordOcc, const QString& encoder,
                       const QString& programFolder) {
  edRecordDir = recordDir;
  recordOcc_ = recordOcc;
  Encoders = AvailableEncoders(programFolder);
  cbRecordOccText = recordOcc ? QString::number(*recordOcc) : QString();
  cbCutByTitleClick(cutByTitle);
  cbEncoder = encoder;
  cbEncoderChange(encoder);
}

void TRecordPage::btnSelectDirClick(const std::function<QString(const QString&, int)>& selectFolder) {
  const QString chosen = selectFolder(QStringLiteral("Sélectionnez un répertoire où stocker vos enregistrements"), 0x41);
  if (!chosen.isEmpty()) edRecordDir = chosen;
}

void TRecordPage::cbCutByTitleClick(bool checked) {
  cbCutByTitle = checked;
  cbRecordOccEnabled = checked;
}

void TRecordPage::cbRecordOccChange(const QString& item) {
  if (!RecordOccItems().contains(item)) return;
  cbRecordOccText = item;
  if (recordOcc_) *recordOcc_ = item.toInt();
}

void TRecordPage::cbEncoderChange(const QString& text) {
  cbEncoder = text;
  const QString description = RecordFormatDescription(text);
  if (!description.isEmpty()) Label19 = description;
}
