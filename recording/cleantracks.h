// Clean tracks: which files of a recording cut by title are kept. A recording session
// started in the middle of a song begins with a partial title and, stopped by the user
// (or the station's end), ends with one; jingles and announcements are short; some
// titles are not songs at all (the station's name, "Publicité"); and a station plays
// the same song again. The rules are judged once a file is finished; a file that is not
// kept is deleted and not handed on.
//
// Plain values and functions (Qt Core only), tested without a window.
#pragma once

#include <QString>
#include <QStringList>

struct TCleanRules {
  bool DropPartial = false;    // drop the first and the last (partial) title of a session
  int MinSeconds = 0;          // skip titles shorter than this (0: no limit)
  int MaxMinutes = 0;          // skip titles longer than this (0: no limit)
  QStringList IgnoreWords;     // titles holding one of these (any case) are not saved
  bool SkipRepeats = false;    // a title already saved in the folder: skipped, not numbered
};

// What is known of a finished file.
struct TTrackFacts {
  QString Title;
  double Seconds = 0;          // its length
  bool BeganAtTitle = false;   // it began where its title began (a cut, or from the held song)
  bool EndedAtTitle = false;   // it ended where the next title began (a cut)
  bool Repeat = false;         // its un-numbered name was taken when it started
};

enum class TCleanVerdict { Keep, Partial, TooShort, TooLong, Ignored, Repeat };

// The verdict for one file: the first rule that refuses it, in the order of the
// fields above, or Keep.
TCleanVerdict JudgeTrack(const TCleanRules& rules, const TTrackFacts& track);

// The status line's text for a file not kept (its title); empty for Keep.
QString CleanVerdictText(TCleanVerdict verdict, const QString& title);

// The ignore list as the settings and the recording page write it: words or phrases
// separated by ";", trimmed, empty ones left out.
QStringList ParseIgnoreWords(const QString& text);
QString JoinIgnoreWords(const QStringList& words);
