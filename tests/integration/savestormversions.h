// The two versions the save storm alternates, for the storm and for the test that reads
// what a kill left.
#pragma once

#include <QString>
#include <QStringList>

#include "common/settings.h"

inline constexpr int kStormRows = 3000;

inline QString StormStation(int version, int i) {
  return QStringLiteral("Station %1 n° %2").arg(version ? 'B' : 'A').arg(i);
}

inline QStringList StormPaths(int version) {
  QStringList paths;
  for (int i = 0; i < kStormRows; ++i)
    paths << QStringLiteral("/musique/version %1/morceau n° %2.mp3").arg(version ? 'B' : 'A').arg(i);
  return paths;
}

// Settings whose every value says which version wrote it.
inline TSettings StormSettings(int version) {
  TSettings s;
  const QString v = version ? QStringLiteral("B") : QStringLiteral("A");
  s.Volume = version ? 90 : 10;
  s.LastRadio = "Station " + v;
  s.RecordDir = "/enregistrements/" + v;
  s.Mode = version ? QStringLiteral("local") : QStringLiteral("remote");
  for (int i = 0; i < 200; ++i) s.Favorites << StormStation(version, i);
  return s;
}
