#include "catalogue/stationedit.h"

#include <QFile>
#include <QFileInfo>

#include "catalogue/cataloguetable.h"

TStationFields ReadStationFields(const TCatalogueTable& t) {
  const auto text = [&t](const char* field) { return t.FieldText(QLatin1String(field)).Value; };
  return {text("Radio"), text("Url"), text("Genre"), text("Country"), text("Network"), text("Web"), text("Icon")};
}

QStringList GenreLines(const QString& genre) {
  if (genre.isEmpty()) return {};
  return genre.split(QLatin1Char(','), Qt::KeepEmptyParts);
}

QString JoinGenreLines(const QStringList& lines) {
  return lines.join(QLatin1Char(','));
}

TTableResult AppendNewStation(TCatalogueTable& t) {
  if (TTableResult r = t.Append(); !r) return r;
  const struct {
    const char* field;
    const char* text;
  } texts[] = {{"Radio", "<Sans Nom>"}, {"StreamType", "N/A"}, {"Channels", "N/A"}};
  for (const auto& f : texts) {
    if (TTableResult r = t.SetFieldText(QLatin1String(f.field), QLatin1String(f.text)); !r) return r;
  }
  for (const char* field : {"BitRate", "SampleRate"}) {
    if (TTableResult r = t.SetFieldInt(QLatin1String(field), 0); !r) return r;
  }
  return {};
}

TTableResult AppendStationRecord(TCatalogueTable& t, const TStationRecord& station) {
  if (TTableResult r = AppendNewStation(t); !r) return r;
  const struct {
    const char* field;
    QString text;
  } texts[] = {{"Radio", station.Radio.trimmed()},         {"Url", station.Url.trimmed()},
               {"Genre", station.Genre.trimmed()},         {"Web", station.Web.trimmed()},
               {"StreamType", station.StreamType.trimmed()}, {"Channels", station.Channels.trimmed()}};
  for (const auto& f : texts) {
    if (f.text.isEmpty()) continue;
    if (TTableResult r = t.SetFieldText(QLatin1String(f.field), f.text); !r) return r;
  }
  const struct {
    const char* field;
    QString text;
  } rates[] = {{"BitRate", station.BitRate.trimmed()}, {"SampleRate", station.SampleRate.trimmed()}};
  for (const auto& f : rates) {
    bool ok = false;
    const int value = f.text.toInt(&ok);
    if (!ok || value <= 0) continue;
    if (TTableResult r = t.SetFieldInt(QLatin1String(f.field), value); !r) return r;
  }
  return {};
}

TTableResult SaveStation(TCatalogueTable& t, const TStationFields& f, const QString& stationFile) {
  const struct {
    const char* field;
    const QString& text;
  } fields[] = {{"Radio", f.Radio},     {"Url", f.Url}, {"Genre", f.Genre}, {"Country", f.Country},
                {"Network", f.Network}, {"Web", f.Web}, {"Icon", f.Icon}};
  TTableResult result;
  for (const auto& field : fields) {
    result = t.SetFieldText(QLatin1String(field.field), field.text);
    if (!result) break;
  }
  if (result) result = t.Post();
  if (result) result = t.SaveToFile(stationFile);
  if (!result && (t.State() == TCatalogueTable::TState::Insert || t.State() == TCatalogueTable::TState::Edit))
    t.Cancel();
  return result;
}

QString DeleteStationQuestion(const QString& name) {
  return QStringLiteral("Voulez vraimment supprimer la radio ") + name + QStringLiteral(" ?");
}

bool IsSafePictureName(const QString& name) {
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
  if (name.toUtf8().size() > 255) return false;
  for (const QChar c : name) {
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control) return false;
  }
  return true;
}

std::optional<QString> TakePicture(const QString& file, const QString& targetFolder, QString* error) {
  const QFileInfo info(file);
  const QString name = info.fileName();
  if (!IsSafePictureName(name)) {
    if (error) *error = QStringLiteral("Ce nom de fichier ne peut pas être utilisé : ") + name;
    return std::nullopt;
  }
  const QString folder = info.absolutePath() + QLatin1Char('/');
  if (folder != targetFolder && info.isFile()) {
    // The copy goes under a temporary name first: a failed copy never leaves half a
    // picture under the real name, and a failed copy still gives the name.
    const QString target = targetFolder + name;
    const QString temp = target + QStringLiteral(".part");
    QFile::remove(temp);
    if (QFile::copy(file, temp)) {
      QFile::remove(target);
      if (!QFile::rename(temp, target)) QFile::remove(temp);
    }
  }
  return name;
}
