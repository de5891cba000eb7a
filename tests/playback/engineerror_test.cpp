// Engine error codes to status-line messages.
#include <gtest/gtest.h>

#include "playback/engine/engine.h"
#include "playback/engineerror.h"

namespace {

TEST(EngineErrorTest, CodesGiveTheirMessageAndUnknownOnesTheFallback) {
  struct Case {
    int code;
    const char* message;
  } cases[] = {
      {zengine::kErrTimeout, "Erreur! Délai de connexion dépassé."},
      {zengine::kErrDriver, "Erreur! Impossible de trouver un pilote son."},
      {zengine::kErrInit, "Erreur! BASS_init n'a pas été appelé correctement."},
      {zengine::kErrCodec, "Erreur! Codec non supporté ou non disponible."},
      {18, "Erreur! Impossible d'obtenir un nouveau cancal."},
      {1002, "Erreur! Accès refusé ( utilsateur ou mot de passe invalide )."},
      {1004, "Erreur! Individualisation requise."},
      {24, "Erreur! Impossible de lire le flux."},   // not in the table
      {1003, "Erreur! Impossible de lire le flux."},
      {0, "Erreur! Impossible de lire le flux."},
      {zengine::kErrUnknown, "Erreur! Impossible de lire le flux."},
      {-40, "Erreur! Impossible de lire le flux."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EngineErrorMessage(c.code), QString::fromUtf8(c.message)) << c.code;
  }
}

}  // namespace
