#include "syntheticdirectory.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

struct TCountry {
  const char* Name;
  const char* Code;
};
const TCountry kCountries[] = {
    {"The United States Of America", "US"}, {"Germany", "DE"}, {"France", "FR"}, {"The United Kingdom Of Great Britain And Northern Ireland", "GB"},
    {"Italy", "IT"}, {"Spain", "ES"}, {"Brazil", "BR"}, {"The Russian Federation", "RU"}, {"Greece", "GR"},
    {"Poland", "PL"}, {"The Netherlands", "NL"}, {"Canada", "CA"}, {"Mexico", "MX"}, {"Argentina", "AR"},
    {"Switzerland", "CH"}, {"Austria", "AT"}, {"Belgium", "BE"}, {"Türkiye", "TR"}, {"India", "IN"},
    {"Japan", "JP"}, {"Australia", "AU"}, {"Chile", "CL"}, {"Colombia", "CO"}, {"Romania", "RO"},
    {"Czechia", "CZ"}, {"Indonesia", "ID"}, {"Philippines", "PH"}, {"", ""}};
const char* const kWords[] = {"Radio", "FM", "Jazz", "Classic", "Hits", "Live", "Nova", "Sol", "Sud", "Nord",
                              "Latina", "Rock", "Inter", "Kultur", "Alpha", "Contact", "Fun", "Horizon",
                              "Swing", "Deep", "Groove", "Blues", "Country", "Vibes", "Lounge", "Studio", "Web",
                              "Antenne", "Café", "Énergie", "Ράδιο", "Радио", "Dance", "Oldies"};
const char* const kCities[] = {"Paris", "Berlin", "München", "Roma", "Madrid", "São Paulo", "Moskva", "Athína",
                               "Warszawa", "Amsterdam", "Toronto", "México", "Buenos Aires", "Zürich", "Wien",
                               "Bruxelles", "İstanbul", "Mumbai", "Tokyo", "Sydney"};
const char* const kTags[] = {"pop", "rock", "news", "talk", "jazz", "classical", "dance", "electronic", "80s",
                             "90s", "hits", "top 40", "oldies", "country", "christian", "music", "latin",
                             "hip-hop", "chillout", "ambient", "folk", "metal", "public radio", "sports",
                             "Pop", "Rock", "NEWS", "Jazz", "variety", "community radio", "house", "techno",
                             "reggae", "blues", "soul", "funk", "indie", "alternative", "world music",
                             "greek", "deutsch", "français", "español", "schlager", "easy listening"};
const char* const kLanguages[] = {"english", "german", "french", "italian", "spanish", "portuguese", "russian",
                                  "greek", "polish", "dutch"};

struct TRandom {
  std::uint32_t State = 20261211;
  std::uint32_t Next(std::uint32_t bound) {
    State ^= State << 13;
    State ^= State >> 17;
    State ^= State << 5;
    return State % bound;
  }
};

std::string Uuid(TRandom& r) {
  char text[40];
  std::snprintf(text, sizeof text, "%08x-%04x-%04x-%04x-%04x%08x", r.Next(0xFFFFFFFFu), r.Next(0x10000),
                r.Next(0x10000), r.Next(0x10000), r.Next(0x10000), r.Next(0xFFFFFFFFu));
  return text;
}

}  // namespace

QByteArray SyntheticDirectoryJson(int count) {
  TRandom r;
  std::string out;
  out.reserve(size_t(count) * 1100);
  out += '[';
  std::string lastUrl;
  for (int n = 1; n <= count; ++n) {
    const TCountry& c = kCountries[r.Next(std::size(kCountries))];
    std::string name = std::string(kWords[r.Next(std::size(kWords))]) + ' ' + kWords[r.Next(std::size(kWords))];
    if (r.Next(2)) name += std::string(" ") + kCities[r.Next(std::size(kCities))];
    name += ' ' + std::to_string(n);
    // Every address is on this machine's closed port: nothing leaves it, whatever is tried.
    std::string url = "http://127.0.0.1:9/cast-" + std::to_string(r.Next(9000)) + "/" + std::to_string(n) + "/live";
    // About one station in a hundred repeats the address of the one before.
    if (r.Next(100) == 0 && !lastUrl.empty()) url = lastUrl;
    lastUrl = url;
    std::string tags;
    const int tagCount = int(r.Next(6));
    for (int i = 0; i < tagCount; ++i) tags += std::string(i ? "," : "") + kTags[r.Next(std::size(kTags))];
    const std::uint32_t codecDraw = r.Next(100);
    const char* codec = codecDraw < 68 ? "MP3" : codecDraw < 88 ? "AAC" : codecDraw < 95 ? "AAC+" : codecDraw < 96 ? "OGG"
                        : codecDraw < 98 ? "UNKNOWN" : "FLAC";
    const int bitrates[] = {0, 32, 48, 64, 96, 128, 128, 128, 192, 256, 320};
    const bool hls = r.Next(100) == 0;
    const std::string uuid = Uuid(r);
    const std::string time = "2026-11-" + std::to_string(10 + r.Next(18)) + " 1" + std::to_string(r.Next(10)) + ":2" +
                             std::to_string(r.Next(10)) + ":0" + std::to_string(r.Next(10));
    const std::string iso = time.substr(0, 10) + "T" + time.substr(11) + "Z";
    out += n > 1 ? ",{" : "{";
    out += "\"changeuuid\":\"" + Uuid(r) + "\",\"stationuuid\":\"" + uuid + "\",\"serveruuid\":null,";
    out += "\"name\":\"" + name + "\",\"url\":\"" + url + "\",\"url_resolved\":\"" + url + "\",";
    out += "\"homepage\":\"http://127.0.0.1:9/station" + std::to_string(n) + "/\",";
    out += "\"favicon\":\"" +
           (r.Next(3) ? "http://127.0.0.1:9/station" + std::to_string(n) + "/favicon.png" : std::string()) + "\",";
    out += "\"tags\":\"" + tags + "\",\"country\":\"" + c.Name + "\",\"countrycode\":\"" + c.Code + "\",";
    out += "\"iso_3166_2\":null,\"state\":\"\",\"language\":\"" + std::string(kLanguages[r.Next(std::size(kLanguages))]) +
           "\",\"languagecodes\":\"\",";
    out += "\"votes\":" + std::to_string(r.Next(5000)) + ",\"lastchangetime\":\"" + time +
           "\",\"lastchangetime_iso8601\":\"" + iso + "\",";
    out += "\"codec\":\"" + std::string(codec) + "\",\"bitrate\":" + std::to_string(bitrates[r.Next(std::size(bitrates))]) +
           ",\"hls\":" + (hls ? "1" : "0") + ",\"lastcheckok\":1,";
    out += "\"lastchecktime\":\"" + time + "\",\"lastchecktime_iso8601\":\"" + iso + "\",\"lastcheckoktime\":\"" + time +
           "\",\"lastcheckoktime_iso8601\":\"" + iso + "\",\"lastlocalchecktime\":\"" + time +
           "\",\"lastlocalchecktime_iso8601\":\"" + iso + "\",\"clicktimestamp\":\"" + time +
           "\",\"clicktimestamp_iso8601\":\"" + iso + "\",";
    out += "\"clickcount\":" + std::to_string(r.Next(20000)) + ",\"clicktrend\":" + std::to_string(int(r.Next(40)) - 20) +
           ",\"ssl_error\":0,\"geo_lat\":" + std::to_string(int(r.Next(180)) - 90) + ".25,\"geo_long\":" +
           std::to_string(int(r.Next(360)) - 180) + ".5,\"has_extended_info\":false}";
  }
  out += ']';
  return QByteArray(out.data(), qsizetype(out.size()));
}
