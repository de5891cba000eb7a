#include "syntheticcatalogue.h"

#include <QStringList>

#include "catalogue/catalogueschema.h"

namespace {

const QStringList kWords = {"Radio", "FM", "Jazz", "Classic", "Hits", "Live", "Nova", "Soleil", "Sud", "Nord",
                            "Latina", "Chérie", "Rock", "Inter", "Culture", "Alpha", "Beur", "Contact", "Fun",
                            "Oxygène", "Horizon", "Metropolys", "Swing", "Deep", "Groove", "Blues", "Country",
                            "Vibes", "Lounge", "Studio"};
const QStringList kCities = {"Paris", "Lyon", "Marseille", "Bruxelles", "Liège", "Genève", "Montréal", "Québec",
                             "Dakar", "Abidjan", "Toulouse", "Lille", "Nantes", "Bordeaux", "Nice", "Berlin",
                             "London", "Madrid", "Roma", "Tokyo"};
const QStringList kGenres = {"Eclectique", "Jazz", "Rock", "Pop", "Classique", "Electro", "Electronique", "Hip-Hop",
                             "Reggae", "Blues", "Country", "Metal", "Talk", "Info", "Sport", "Dance", "House",
                             "Techno", "Ambient", "Lounge", "Soul", "Funk", "Latino", "Chanson", "Variété", "Oldies",
                             "Années 80", "World", "Folk", "Gospel", "Trance", "Indie", "Punk", "Disco", "R&B",
                             "Zouk", "Rai", "Baroque", "Opéra", "Enfants"};
const QStringList kCountries = {"France", "Belgique", "Suisse", "Canada", "Sénégal", "Côte d'Ivoire", "Allemagne",
                                "Royaume-Uni", "Espagne", "Italie", "Japon", "Etats-Unis", "Maroc", "Algérie",
                                "Tunisie", "Luxembourg", "Monaco", "Pays-Bas", "Portugal", "Brésil"};
const QStringList kNetworks = {"Radio France", "RTBF", "RTS", "Radio-Canada", "BBC", "NRJ Group", "Lagardère",
                               "RFI", "Indépendants", "SomaFM", "Shoutcast", "Icecast", "Digitally Imported"};
const QStringList kTypes = {"MP3", "MP3", "MP3", "MP3", "AAC", "AAC", "OGG", "WMA", "N/A", "AC3"};
const int kBitRates[] = {0, 24, 32, 48, 64, 96, 128, 128, 128, 160, 192, 256, 320};
const int kSampleRates[] = {22050, 32000, 44100, 44100, 44100, 48000};
const QStringList kChannels = {"Stereo", "Stereo", "Stereo", "Stereo", "Mono", "5.1"};

}  // namespace

std::uint32_t TSyntheticCatalogue::Random(std::uint32_t bound) {
  // xorshift32: fast, deterministic, good enough for test data.
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_ % bound;
}

TSyntheticStation TSyntheticCatalogue::Next() {
  TSyntheticStation s;
  const int n = ++serial_;
  s.Radio = kWords[Random(kWords.size())] + u' ' + kWords[Random(kWords.size())];
  if (Random(2)) s.Radio += u' ' + kCities[Random(kCities.size())];
  s.Radio += QStringLiteral(" %1").arg(n);
  if (Random(20) == 0) s.Radio.replace(0, 1, QStringLiteral("L'"));
  s.Url = QStringLiteral("http://stream%1.broadcast-%2.example.net:8000/live/%3.mp3")
              .arg(n % 97).arg(Random(5000)).arg(n);
  const int genres = 1 + int(Random(3));
  QStringList g;
  for (int i = 0; i < genres; ++i) g << kGenres[Random(kGenres.size())];
  s.Genre = g.join(u',');
  s.Country = kCountries[Random(kCountries.size())];
  if (Random(4)) s.Network = kNetworks[Random(kNetworks.size())];
  s.Web = QStringLiteral("http://www.station%1.example.org/").arg(n);
  s.Icon = QStringLiteral("station%1.png").arg(n);
  s.StreamType = kTypes[Random(kTypes.size())];
  if (s.StreamType == u"N/A") {
    s.Channels = QStringLiteral("N/A");
  } else {
    s.BitRate = kBitRates[Random(std::size(kBitRates))];
    s.SampleRate = kSampleRates[Random(std::size(kSampleRates))];
    s.Channels = kChannels[Random(kChannels.size())];
  }
  return s;
}

bool TSyntheticCatalogue::Fill(TCatalogueTable& table, int count) {
  if (!CreateCatalogueTable(table, TCatalogueKind::Stations)) return false;
  table.SuspendDisplay();
  bool ok = true;
  for (int i = 0; i < count && ok; ++i) {
    const TSyntheticStation s = Next();
    ok = table.Append() && table.SetFieldText(QStringLiteral("Radio"), s.Radio) &&
         table.SetFieldText(QStringLiteral("Url"), s.Url) && table.SetFieldText(QStringLiteral("Genre"), s.Genre) &&
         table.SetFieldText(QStringLiteral("Country"), s.Country) &&
         table.SetFieldText(QStringLiteral("Network"), s.Network) && table.SetFieldText(QStringLiteral("Web"), s.Web) &&
         table.SetFieldText(QStringLiteral("Icon"), s.Icon) &&
         table.SetFieldText(QStringLiteral("StreamType"), s.StreamType) &&
         table.SetFieldInt(QStringLiteral("BitRate"), s.BitRate) &&
         table.SetFieldInt(QStringLiteral("SampleRate"), s.SampleRate) &&
         table.SetFieldText(QStringLiteral("Channels"), s.Channels) && table.Post();
  }
  table.ResumeDisplay();
  return ok && table.First();
}
