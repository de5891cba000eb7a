#include "playback/engineerror.h"

#include <array>
#include <utility>

namespace {

// The texts are the program's own, spelling included.
constexpr std::array<std::pair<int, const char*>, 37> kTexts = {{
    {1, "Erreur Mémoire"},
    {2, "Flux indisponible"},
    {3, "Impossible de trouver un pilote son"},
    {4, "Le buffer son a été perdu"},
    {5, "Pointeur Invalide"},
    {6, "Format d'echantillon non supporté"},
    {7, "Position de lectuere invalide"},
    {8, "BASS_init n'a pas été appelé correctement"},
    {9, "BASS_start n'a pas été appelé correctement"},
    {14, "Opération déjà initalisé"},
    {16, "Pas en pause"},
    {18, "Impossible d'obtenir un nouveau cancal"},
    {19, "Type illégal"},
    {20, "Paramètre illégal"},
    {21, "Pas de support 3D"},
    {22, "Pas de support EAX"},
    {23, "Numéro de périphérique invalide"},
    {25, "Taux d'échantillon illégal"},
    {27, "Le fichier n'est un flux"},
    {29, "Pas de voix matériel trouvé"},
    {31, "Le module de musique n'a de données"},
    {32, "Pas de connexion internet"},
    {33, "Impossible de créer le fichier"},
    {34, "Effets non disponible"},
    {35, "Le canal est en cours de lecture"},
    {37, "Les données requises ne sont pas disponible"},
    {38, "Le canal est un décodeur"},
    {39, "Version DirectX insuffisante"},
    {40, "Délai de connexion dépassé"},
    {41, "Format de fichier non supporté"},
    {42, "Haut parleur non disponible"},
    {43, "Version de la bibilothèque BASS invalide"},
    {44, "Codec non supporté ou non disponible"},
    {1000, "Le Fichier WMA est protégé"},
    {1001, "Windows Media (9 or above) non installé"},
    {1002, "Accès refusé ( utilsateur ou mot de passe invalide )"},
    {1004, "Individualisation requise"},
}};

constexpr const char* kFallback = "Impossible de lire le flux";

}  // namespace

QString EngineErrorText(int code) {
  for (const auto& [number, text] : kTexts) {
    if (number == code) return QString::fromUtf8(text);
  }
  return QString::fromUtf8(kFallback);
}

QString EngineErrorMessage(int code) {
  return QStringLiteral("Erreur! ") + EngineErrorText(code) + u'.';
}
