#include "recording/cleantracks.h"

TCleanVerdict JudgeTrack(const TCleanRules& rules, const TTrackFacts& track) {
  if (rules.DropPartial && (!track.BeganAtTitle || !track.EndedAtTitle)) return TCleanVerdict::Partial;
  if (rules.MinSeconds > 0 && track.Seconds < rules.MinSeconds) return TCleanVerdict::TooShort;
  if (rules.MaxMinutes > 0 && track.Seconds > rules.MaxMinutes * 60.0) return TCleanVerdict::TooLong;
  for (const QString& word : rules.IgnoreWords)
    if (!word.isEmpty() && track.Title.contains(word, Qt::CaseInsensitive)) return TCleanVerdict::Ignored;
  if (rules.SkipRepeats && track.Repeat) return TCleanVerdict::Repeat;
  return TCleanVerdict::Keep;
}

QString CleanVerdictText(TCleanVerdict verdict, const QString& title) {
  switch (verdict) {
    case TCleanVerdict::Keep: return QString();
    case TCleanVerdict::Partial: return QStringLiteral("Titre incomplet non conservé : ") + title;
    case TCleanVerdict::TooShort: return QStringLiteral("Titre trop court non conservé : ") + title;
    case TCleanVerdict::TooLong: return QStringLiteral("Titre trop long non conservé : ") + title;
    case TCleanVerdict::Ignored: return QStringLiteral("Titre ignoré : ") + title;
    case TCleanVerdict::Repeat: return QStringLiteral("Titre déjà enregistré : ") + title;
  }
  return QString();
}

QStringList ParseIgnoreWords(const QString& text) {
  QStringList out;
  for (const QString& part : text.split(QLatin1Char(';'))) {
    const QString word = part.trimmed();
    if (!word.isEmpty() && !out.contains(word, Qt::CaseInsensitive)) out << word;
  }
  return out;
}

QString JoinIgnoreWords(const QStringList& words) { return words.join(QStringLiteral("; ")); }
