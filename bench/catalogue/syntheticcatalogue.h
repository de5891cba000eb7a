// Generator of realistic synthetic station catalogues for the benchmarks: names built
// from station words and cities, several genres per station, a quarter without network,
// stream information with the spread seen in real catalogues (some never measured).
#pragma once

#include <QString>

#include <cstdint>

#include "catalogue/cataloguetable.h"

struct TSyntheticStation {
  QString Radio, Url, Genre, Country, Network, Web, Icon, StreamType, Channels;
  int BitRate = 0, SampleRate = 0;
};

class TSyntheticCatalogue {
 public:
  explicit TSyntheticCatalogue(std::uint32_t seed = 20261210) : state_(seed) {}
  // The next station; the same seed gives the same sequence.
  TSyntheticStation Next();
  // Creates `table` as the station table holding `count` stations.
  bool Fill(TCatalogueTable& table, int count);

 private:
  std::uint32_t Random(std::uint32_t bound);
  std::uint32_t state_;
  int serial_ = 0;
};
