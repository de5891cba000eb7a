// Planned recordings: a station, a day and time, a repetition and a duration, with the
// format and the cut by title to record in. The list is kept in a JSON file of the data
// folder, written whole through a temporary file renamed over the old one, so a crash
// mid-write leaves the previous list intact.
//
// Times are local wall-clock times (QDateTime in Qt::LocalTime): "daily at 07:00" stays at
// 07:00 across a change of summer time.
//
// Core code: Qt Core only.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

enum class TPlanRepeat { Once, Daily, Weekdays, Weekly };

// What became of a plan's last occurrence, as the list shows it and the file keeps it.
enum class TPlanState { Waiting, Running, Done, Missed, Failed, Interrupted };

struct TRecordPlan {
  QString Id;          // stable identity across edits and restarts
  QString Station;     // the station's name in the tuner
  QString Url;         // its address when it was chosen (used when the tuner lacks the name)
  QDateTime Start;     // the first occurrence, local time (seconds kept)
  TPlanRepeat Repeat = TPlanRepeat::Once;
  int DurationSeconds = 3600;
  QString Format = QStringLiteral("MP3");
  bool CutByTitle = true;
  // Occurrences starting before this time are not this plan's (it was made or changed then).
  QDateTime Since;
  // The start of the last occurrence dealt with (started, missed or failed) and its fate.
  QDateTime Last;
  TPlanState State = TPlanState::Waiting;
  QString Note;  // why it failed or was missed, for the list

  QDateTime EndOf(const QDateTime& occurrence) const { return occurrence.addSecs(DurationSeconds); }
};

// The earliest occurrence of `plan` starting at or after `from`; nullopt when there is
// none (a single plan already past).
std::optional<QDateTime> NextOccurrence(const TRecordPlan& plan, const QDateTime& from);
// The latest occurrence of `plan` starting at or before `at`; nullopt when none.
std::optional<QDateTime> LatestOccurrence(const TRecordPlan& plan, const QDateTime& at);

// French texts for the list and the editor.
QString RepeatText(TPlanRepeat repeat);
QString StateText(TPlanState state);
// "lundi 07/12 à 07:00" and "1 h 30", "45 min", "20 s".
QString OccurrenceText(const QDateTime& when);
QString DurationText(int seconds);

// The file's contents and back. Reading checks every field: a damaged file gives
// nullopt and `error` says why; an entry with a bad field is skipped and named in
// `error` while the others are kept.
QByteArray WritePlans(const std::vector<TRecordPlan>& plans);
std::optional<std::vector<TRecordPlan>> ReadPlans(const QByteArray& bytes, QString* error);

// The file. LoadPlansFile: a missing file is an empty list. A damaged one is copied aside
// (`path` + ".illisible") so that the next save does not lose it, and `error` holds the
// message for the user. SavePlansFile returns an empty text or the error message.
std::vector<TRecordPlan> LoadPlansFile(const QString& path, QString* error);
QString SavePlansFile(const QString& path, const std::vector<TRecordPlan>& plans);

// The largest file read (a plan list is a few kilobytes).
constexpr qint64 kMaxPlansFileBytes = 1 << 20;
