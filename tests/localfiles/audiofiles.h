// Audio files for the playlist tests, made by ffmpeg in the test's own folder.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace ztest {

// A sine of `seconds` at 8000 Hz mono in the format the extension of `path` names,
// without tags unless `artist`/`title` are given. False when ffmpeg failed.
inline bool MakeAudio(const QString& path, double seconds, const QString& artist = {}, const QString& title = {},
                      const QString& format = {}) {
  QStringList args{"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                   QStringLiteral("sine=frequency=440:sample_rate=8000:duration=%1").arg(seconds), "-ac", "1",
                   "-fflags", "+bitexact", "-map_metadata", "-1"};
  if (path.endsWith(".mp3", Qt::CaseInsensitive)) args << "-c:a" << "libmp3lame" << "-b:a" << "32k";
  if (artist.isEmpty() && title.isEmpty()) {
    if (path.endsWith(".mp3", Qt::CaseInsensitive)) args << "-id3v2_version" << "0" << "-write_id3v1" << "0";
  } else {
    args << "-metadata" << "artist=" + artist << "-metadata" << "title=" + title;
  }
  if (!format.isEmpty()) args << "-f" << format;
  args << path;
  QProcess p;
  p.start("ffmpeg", args);
  return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace ztest
