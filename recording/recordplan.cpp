#include "recording/recordplan.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>

namespace {

const struct {
  TPlanRepeat Repeat;
  const char* Key;
  const char* Text;
} kRepeats[] = {{TPlanRepeat::Once, "once", "Une fois"},
                {TPlanRepeat::Daily, "daily", "Tous les jours"},
                {TPlanRepeat::Weekdays, "weekdays", "Du lundi au vendredi"},
                {TPlanRepeat::Weekly, "weekly", "Chaque semaine"}};

const struct {
  TPlanState State;
  const char* Key;
  const char* Text;
} kStates[] = {{TPlanState::Waiting, "waiting", "Prévu"},       {TPlanState::Running, "running", "En cours"},
               {TPlanState::Done, "done", "Enregistré"},        {TPlanState::Missed, "missed", "Manqué"},
               {TPlanState::Failed, "failed", "Échec"},         {TPlanState::Interrupted, "interrupted", "Interrompu"}};

const char* const kFormats[] = {"AAC", "AC3", "MP3", "OGG", "WAV", "WMA"};

// A plan longer than a day is surely a typing error; a day is the editor's limit too.
constexpr int kMaxDurationSeconds = 24 * 3600;

// Whether an occurrence of `plan` falls on `day`.
bool OnDay(const TRecordPlan& plan, const QDate& day) {
  const QDate first = plan.Start.date();
  if (day < first) return false;
  switch (plan.Repeat) {
    case TPlanRepeat::Once: return day == first;
    case TPlanRepeat::Daily: return true;
    case TPlanRepeat::Weekdays: return day.dayOfWeek() <= 5;
    case TPlanRepeat::Weekly: return day.dayOfWeek() == first.dayOfWeek();
  }
  return false;
}

QDateTime At(const QDate& day, const QTime& time) { return QDateTime(day, time, Qt::LocalTime); }

QString DateText(const QDateTime& t) { return t.isValid() ? t.toString(Qt::ISODate) : QString(); }

QDateTime ParseDate(const QJsonValue& v) {
  QDateTime t = QDateTime::fromString(v.toString(), Qt::ISODate);
  if (t.isValid()) t.setTimeSpec(Qt::LocalTime);
  return t;
}

}  // namespace

std::optional<QDateTime> NextOccurrence(const TRecordPlan& plan, const QDateTime& from) {
  if (!plan.Start.isValid()) return std::nullopt;
  if (plan.Repeat == TPlanRepeat::Once) {
    if (plan.Start >= from) return plan.Start;
    return std::nullopt;
  }
  // Every repetition has an occurrence within any eight days.
  const QDate first = std::max(plan.Start.date(), from.date());
  for (int i = 0; i < 9; ++i) {
    const QDate day = first.addDays(i);
    if (!OnDay(plan, day)) continue;
    const QDateTime t = At(day, plan.Start.time());
    if (t >= from) return t;
  }
  return std::nullopt;
}

std::optional<QDateTime> LatestOccurrence(const TRecordPlan& plan, const QDateTime& at) {
  if (!plan.Start.isValid()) return std::nullopt;
  if (plan.Repeat == TPlanRepeat::Once) {
    if (plan.Start <= at) return plan.Start;
    return std::nullopt;
  }
  for (int i = 0; i < 9; ++i) {
    const QDate day = at.date().addDays(-i);
    if (!OnDay(plan, day)) continue;
    const QDateTime t = At(day, plan.Start.time());
    if (t <= at) return t;
  }
  return std::nullopt;
}

QString RepeatText(TPlanRepeat repeat) {
  for (const auto& r : kRepeats)
    if (r.Repeat == repeat) return QString::fromUtf8(r.Text);
  return QString();
}

QString StateText(TPlanState state) {
  for (const auto& s : kStates)
    if (s.State == state) return QString::fromUtf8(s.Text);
  return QString();
}

QString OccurrenceText(const QDateTime& when) {
  if (!when.isValid()) return QStringLiteral("-");
  const QString format = when.time().second() != 0 ? QStringLiteral("dddd dd/MM/yyyy 'à' HH:mm:ss")
                                                   : QStringLiteral("dddd dd/MM/yyyy 'à' HH:mm");
  return QLocale(QLocale::French, QLocale::France).toString(when, format);
}

QString DurationText(int seconds) {
  if (seconds < 60) return QStringLiteral("%1 s").arg(seconds);
  const int minutes = seconds / 60;
  if (minutes < 60) return QStringLiteral("%1 min").arg(minutes);
  if (minutes % 60 == 0) return QStringLiteral("%1 h").arg(minutes / 60);
  return QStringLiteral("%1 h %2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QByteArray WritePlans(const std::vector<TRecordPlan>& plans) {
  QJsonArray list;
  for (const TRecordPlan& p : plans) {
    QJsonObject o;
    o[QStringLiteral("id")] = p.Id;
    o[QStringLiteral("station")] = p.Station;
    o[QStringLiteral("url")] = p.Url;
    o[QStringLiteral("start")] = DateText(p.Start);
    for (const auto& r : kRepeats)
      if (r.Repeat == p.Repeat) o[QStringLiteral("repeat")] = QLatin1String(r.Key);
    o[QStringLiteral("duration")] = p.DurationSeconds;
    o[QStringLiteral("format")] = p.Format;
    o[QStringLiteral("cut")] = p.CutByTitle;
    o[QStringLiteral("since")] = DateText(p.Since);
    o[QStringLiteral("last")] = DateText(p.Last);
    for (const auto& s : kStates)
      if (s.State == p.State) o[QStringLiteral("state")] = QLatin1String(s.Key);
    o[QStringLiteral("note")] = p.Note;
    list.append(o);
  }
  QJsonObject root;
  root[QStringLiteral("version")] = 1;
  root[QStringLiteral("plans")] = list;
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<std::vector<TRecordPlan>> ReadPlans(const QByteArray& bytes, QString* error) {
  QJsonParseError parse{};
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parse);
  if (parse.error != QJsonParseError::NoError) {
    *error = QStringLiteral("texte illisible à l'octet %1 (%2)").arg(parse.offset).arg(parse.errorString());
    return std::nullopt;
  }
  if (!doc.isObject() || !doc.object().value(QStringLiteral("plans")).isArray()) {
    *error = QStringLiteral("la liste des programmations est absente");
    return std::nullopt;
  }
  std::vector<TRecordPlan> plans;
  QStringList skipped;
  const QJsonArray list = doc.object().value(QStringLiteral("plans")).toArray();
  for (qsizetype i = 0; i < list.size(); ++i) {
    const QJsonObject o = list.at(i).toObject();
    TRecordPlan p;
    p.Id = o.value(QStringLiteral("id")).toString();
    p.Station = o.value(QStringLiteral("station")).toString();
    p.Url = o.value(QStringLiteral("url")).toString();
    p.Start = ParseDate(o.value(QStringLiteral("start")));
    const QString repeat = o.value(QStringLiteral("repeat")).toString();
    bool repeatKnown = false;
    for (const auto& r : kRepeats)
      if (repeat == QLatin1String(r.Key)) p.Repeat = r.Repeat, repeatKnown = true;
    const QJsonValue duration = o.value(QStringLiteral("duration"));
    p.DurationSeconds = duration.isDouble() ? duration.toInt(-1) : -1;
    p.Format = o.value(QStringLiteral("format")).toString();
    bool formatKnown = false;
    for (const char* f : kFormats) formatKnown = formatKnown || p.Format == QLatin1String(f);
    p.CutByTitle = o.value(QStringLiteral("cut")).toBool(true);
    p.Since = ParseDate(o.value(QStringLiteral("since")));
    p.Last = ParseDate(o.value(QStringLiteral("last")));
    const QString state = o.value(QStringLiteral("state")).toString();
    for (const auto& s : kStates)
      if (state == QLatin1String(s.Key)) p.State = s.State;
    p.Note = o.value(QStringLiteral("note")).toString();
    if (p.Id.isEmpty() || p.Station.isEmpty() || !p.Start.isValid() || !repeatKnown || !formatKnown ||
        p.DurationSeconds < 1 || p.DurationSeconds > kMaxDurationSeconds) {
      skipped << QStringLiteral("n° %1 (%2)").arg(i + 1).arg(p.Station.isEmpty() ? QStringLiteral("?") : p.Station);
      continue;
    }
    plans.push_back(p);
  }
  if (!skipped.isEmpty()) *error = QStringLiteral("programmations ignorées : ") + skipped.join(QStringLiteral(", "));
  return plans;
}

std::vector<TRecordPlan> LoadPlansFile(const QString& path, QString* error) {
  error->clear();
  QFile file(path);
  if (!file.exists()) return {};
  const auto damaged = [&](const QString& why) {
    // The damaged file is kept aside: the next save writes a new list over `path`.
    const QString aside = path + QStringLiteral(".illisible");
    QFile::remove(aside);
    const bool kept = QFile::copy(path, aside);
    *error = QStringLiteral("Le fichier des programmations « %1 » est endommagé : %2.").arg(path, why);
    if (kept) *error += QStringLiteral(" Il est conservé sous « %1 ».").arg(aside);
    return std::vector<TRecordPlan>{};
  };
  if (!file.open(QIODevice::ReadOnly)) return damaged(file.errorString());
  if (file.size() > kMaxPlansFileBytes) return damaged(QStringLiteral("fichier trop grand"));
  const QByteArray bytes = file.read(kMaxPlansFileBytes + 1);
  QString why;
  std::optional<std::vector<TRecordPlan>> plans = ReadPlans(bytes, &why);
  if (!plans) return damaged(why);
  if (!why.isEmpty()) {
    damaged(why);
    return *plans;
  }
  return *plans;
}

QString SavePlansFile(const QString& path, const std::vector<TRecordPlan>& plans) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(WritePlans(plans)) < 0 || !file.commit())
    return QStringLiteral("Impossible d'enregistrer les programmations dans « %1 » : %2").arg(path, file.errorString());
  return QString();
}
