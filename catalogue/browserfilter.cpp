#include "catalogue/browserfilter.h"

#include <array>

#include "catalogue/textcompare.h"

namespace {

struct TFilterTexts {
  const char* SettingName;
  const char* StatusPrefix;  // "Style " ...
  const char* HintPrefix;    // "Radio dans le style " ...
};

// Indexed by TBrowserFilter.
const std::array<TFilterTexts, kBrowserFilterCount> kTexts = {{
    {"Name", "Nom contenant ", "Radio dont le nom contient "},
    {"Genre", "Style ", "Radio dans le style "},
    {"Country", "Pays ", "Radio du pays "},
    {"Network", "Réseau ", "Radio du réseau "},
    {"Stream", "Flux ", "Radio en flux "},
    {"Quality", "Qualité ", "Radio en qualité "},
}};

const TFilterTexts& Texts(TBrowserFilter filter) { return kTexts[size_t(filter)]; }

const QChar kDoubleQuote = u'"';

}  // namespace

QString FilterSettingName(TBrowserFilter filter) { return QString::fromLatin1(Texts(filter).SettingName); }

std::optional<TBrowserFilter> FilterFromSettingName(const QString& name) {
  for (int i = 0; i < kBrowserFilterCount; ++i)
    if (name == QLatin1String(kTexts[size_t(i)].SettingName)) return TBrowserFilter(i);
  return std::nullopt;
}

const QStringList& StreamTypeItems() {
  static const QStringList items = {QStringLiteral("AAC"), QStringLiteral("MP3"), QStringLiteral("OGG"),
                                    QStringLiteral("WMA")};
  return items;
}

const QStringList& QualityItems() {
  static const QStringList items = {QStringLiteral("CD"), QStringLiteral("HI-FI"), QStringLiteral("LO-FI"),
                                    QStringLiteral("Surround 5.1")};
  return items;
}

QString QuotedFilterText(const QString& text) {
  QString quoted = text;
  quoted.replace(u'\'', QStringLiteral("''"));
  return quoted;
}

std::optional<QString> BrowserFilterExpression(TBrowserFilter filter, const QString& text) {
  // The contains filters ignore accents and case: the typed text is mapped as the column is.
  const QString folded = QuotedFilterText(FoldText(text, TFold::Unaccent));
  switch (filter) {
    case TBrowserFilter::Name:
      return QStringLiteral("unaccent(radio) like '%") + folded + QStringLiteral("%'");
    case TBrowserFilter::Genre:
      return QStringLiteral("unaccent(genre) like  '%") + folded + QStringLiteral("%'");
    case TBrowserFilter::Country:
      return QStringLiteral("unaccent(country) like '%") + folded + QStringLiteral("%'");
    case TBrowserFilter::Network:
      return QStringLiteral("unaccent(network) like '%") + folded + QStringLiteral("%'");
    case TBrowserFilter::Stream:
      return QStringLiteral("StreamType = '") + QuotedFilterText(text) + QStringLiteral("'");
    case TBrowserFilter::Quality:
      if (text == QLatin1String("LO-FI")) return QStringLiteral("BitRate <128");
      if (text == QLatin1String("HI-FI")) return QStringLiteral("BitRate >=128");
      if (text == QLatin1String("CD"))
        return QStringLiteral(
            "( ( StreamType='MP3' and BitRate >=320 ) or ( StreamType='OGG' and BitRate >=224 ) or "
            "( StreamType='AAC' and BitRate >=128 ) or ( StreamType='WMA' and BitRate >=192 ) ) and Channels <> '5.1'");
      if (text == QLatin1String("Surround 5.1")) return QStringLiteral("BitRate >=128 and Channels='5.1'");
      return std::nullopt;
  }
  return std::nullopt;
}

QString FoundCountText(int count) {
  const QString s = count > 1 ? QStringLiteral("s") : QString();
  return QStringLiteral(" : ") + QString::number(count) + QStringLiteral(" radio") + s + QStringLiteral(" trouvée") + s;
}

QString BrowserStatusText(TBrowserFilter filter, const QString& value, int count) {
  QString text;
  // A name text of spaces only still filters (on those spaces): it is named, since the
  // count is then not the total.
  if (filter == TBrowserFilter::Name && value.isEmpty())
    text = QStringLiteral("Nombre total de radios");
  else if (filter == TBrowserFilter::Name)
    text = QString::fromUtf8(Texts(filter).StatusPrefix) + kDoubleQuote + value + kDoubleQuote;
  else if (value.isEmpty())
    text = QString::fromUtf8(Texts(filter).StatusPrefix).trimmed();  // no value chosen yet
  else
    text = QString::fromUtf8(Texts(filter).StatusPrefix) + value;
  return text + FoundCountText(count);
}

TNavigationHints BrowserNavigationHints(TBrowserFilter filter, const QString& value) {
  if (filter == TBrowserFilter::Name && value.isEmpty())
    return {QStringLiteral("Radio précédente."), QStringLiteral("Radio suivante.")};
  QString stem = QString::fromUtf8(Texts(filter).HintPrefix);
  stem += filter == TBrowserFilter::Name ? kDoubleQuote + value + kDoubleQuote : value;
  return {stem + QStringLiteral(" précédente."), stem + QStringLiteral(" suivante.")};
}

TEditMenuState EditMenuAfterChange(bool localTuner, int count, const TEditMenuState& current) {
  if (!localTuner) return current;
  const bool shown = count >= 1;
  return TEditMenuState{true, shown, shown, shown};
}
