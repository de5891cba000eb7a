#include "windows/configoptions.h"

#include <QFileInfo>

QStringList AvailableRecordFormats(const QString& exeFolder) {
  static const struct {
    const char* format;
    const char* program;
  } kEncoders[] = {{"AAC", "faac"}, {"AC3", "aften"}, {"MP3", "lame"}, {"OGG", "oggenc"}};
  QStringList formats;
  for (const auto& e : kEncoders) {
    const QFileInfo program(exeFolder + QStringLiteral("encoder/") + QLatin1String(e.program));
    if (program.isFile() && program.isExecutable()) formats << QLatin1String(e.format);
  }
  formats << QStringLiteral("WAV") << QStringLiteral("WMA");
  return formats;
}

int RecordFormatIndex(const QStringList& formats, const QString& stored) {
  if (formats.isEmpty()) return -1;
  const int exact = formats.indexOf(stored);
  return exact >= 0 ? exact : int(formats.size()) - 1;
}

QString RecordFormatDescription(const QString& format) {
  if (format == QLatin1String("AAC")) return QStringLiteral("Compression au format AAC, Qualité CD , Support du 5.1.");
  if (format == QLatin1String("AC3")) return QStringLiteral("Compression au format AC3 Stéréo.");
  if (format == QLatin1String("MP3"))
    return QStringLiteral("Compatibilité de lecture maximum pour les flux mono ou stéréo.");
  if (format == QLatin1String("OGG")) return QStringLiteral("Meilleur rapport Compression/Qualité.");
  if (format == QLatin1String("WAV"))
    return QStringLiteral("Non compressé, Sans perte de qualité , Support du 5.1.");
  if (format == QLatin1String("WMA")) return QStringLiteral("Compression au format Windows Media Player.");
  return QString();
}

const QStringList& RecordOccItems() {
  static const QStringList items{QStringLiteral("5"),  QStringLiteral("10"), QStringLiteral("15"),
                                 QStringLiteral("20"), QStringLiteral("50"), QStringLiteral("100")};
  return items;
}

int RecordOccIndex(int value) {
  return int(RecordOccItems().indexOf(QString::number(value)));
}

const std::vector<TNamedColor>& PickerColors() {
  constexpr TColorValue kSystem = 0xFF000000u;
  static const std::vector<TNamedColor> colors{
      // Standard colours.
      {QStringLiteral("Noir"), ColorValue(0, 0, 0)},
      {QStringLiteral("Bordeaux"), ColorValue(128, 0, 0)},
      {QStringLiteral("Vert"), ColorValue(0, 128, 0)},
      {QStringLiteral("Olive"), ColorValue(128, 128, 0)},
      {QStringLiteral("Bleu marine"), ColorValue(0, 0, 128)},
      {QStringLiteral("Violet"), ColorValue(128, 0, 128)},
      {QStringLiteral("Sarcelle"), ColorValue(0, 128, 128)},
      {QStringLiteral("Gris"), ColorValue(128, 128, 128)},
      {QStringLiteral("Argent"), ColorValue(192, 192, 192)},
      {QStringLiteral("Rouge"), ColorValue(255, 0, 0)},
      {QStringLiteral("Vert clair"), ColorValue(0, 255, 0)},
      {QStringLiteral("Jaune"), ColorValue(255, 255, 0)},
      {QStringLiteral("Bleu"), ColorValue(0, 0, 255)},
      {QStringLiteral("Fuchsia"), ColorValue(255, 0, 255)},
      {QStringLiteral("Cyan"), ColorValue(0, 255, 255)},
      {QStringLiteral("Blanc"), ColorValue(255, 255, 255)},
      // Extended colours.
      {QStringLiteral("Vert d'eau"), ColorValue(192, 220, 192)},
      {QStringLiteral("Bleu ciel"), ColorValue(166, 202, 240)},
      {QStringLiteral("Crème"), ColorValue(255, 251, 240)},
      {QStringLiteral("Gris moyen"), ColorValue(160, 160, 164)},
      // System colours, resolved against the desktop's palette when drawn.
      {QStringLiteral("Barre de défilement"), kSystem | 0},
      {QStringLiteral("Bureau"), kSystem | 1},
      {QStringLiteral("Titre actif"), kSystem | 2},
      {QStringLiteral("Titre inactif"), kSystem | 3},
      {QStringLiteral("Menu"), kSystem | 4},
      {QStringLiteral("Fenêtre"), kSystem | 5},
      {QStringLiteral("Cadre de fenêtre"), kSystem | 6},
      {QStringLiteral("Texte de menu"), kSystem | 7},
      {QStringLiteral("Texte de fenêtre"), kSystem | 8},
      {QStringLiteral("Texte de titre"), kSystem | 9},
      {QStringLiteral("Bordure active"), kSystem | 10},
      {QStringLiteral("Bordure inactive"), kSystem | 11},
      {QStringLiteral("Espace de travail"), kSystem | 12},
      {QStringLiteral("Sélection"), kSystem | 13},
      {QStringLiteral("Texte sélectionné"), kSystem | 14},
      {QStringLiteral("Face de bouton"), kSystem | 15},
      {QStringLiteral("Ombre de bouton"), kSystem | 16},
      {QStringLiteral("Texte grisé"), kSystem | 17},
      {QStringLiteral("Texte de bouton"), kSystem | 18},
      {QStringLiteral("Texte de titre inactif"), kSystem | 19},
      {QStringLiteral("Éclairage de bouton"), kSystem | 20},
      {QStringLiteral("Ombre 3D"), kSystem | 21},
      {QStringLiteral("Lumière 3D"), kSystem | 22},
      {QStringLiteral("Texte d'info-bulle"), kSystem | 23},
      {QStringLiteral("Fond d'info-bulle"), kSystem | 24},
      {QStringLiteral("Lien"), kSystem | 26},
      {QStringLiteral("Dégradé du titre actif"), kSystem | 27},
      {QStringLiteral("Dégradé du titre inactif"), kSystem | 28},
      {QStringLiteral("Menu sélectionné"), kSystem | 29},
      {QStringLiteral("Barre de menu"), kSystem | 30},
  };
  return colors;
}
