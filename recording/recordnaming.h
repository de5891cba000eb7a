// Naming of recorded files: the artist and song taken from a stream title, the station
// folder, the base name with and without cutting by title, the numbering of same-named
// files, and the encoder command lines. Plain functions (Qt Core only), tested without a
// window; the recorder (recorder.h) strings them together.
//
// Path safety: station names and titles come from catalogues and streams, so anyone can
// forge them. Every name part built here is one file-name component: never empty, never
// "." or "..", at most kMaxNameBytes bytes in UTF-8 (cut at a character boundary), and
// free of "/" and the other forbidden characters, so a recording stays inside its
// station folder.
#pragma once

#include <QString>

#include <functional>

// The six formats, as the encoder list names them.
enum class TRecordFormat { Aac, Ac3, Mp3, Ogg, Wav, Wma, Unknown };

// "AAC" ... "WMA" (exact, upper case); anything else is Unknown.
TRecordFormat RecordFormatOf(const QString& text);

// Whether the format refuses a stream whose channel text is exactly "5.1".
bool RefusesSurround(TRecordFormat format);

// The description the recording page shows for a format text; empty for another text.
QString RecordFormatDescription(const QString& text);

// The encoder program of a format, relative to the program folder ("encoder/lame");
// empty for WAV, WMA and Unknown, which the engine writes itself.
QString EncoderProgram(TRecordFormat format);

// The characters a file name may not hold: " * / : < > ? \ | and the control
// characters (U+0000-U+001F, U+007F-U+009F).
bool IsForbiddenFileChar(QChar c);

// `text` with each forbidden character replaced by `replacement` (which may be empty).
QString ReplaceForbiddenChars(const QString& text, const QString& replacement);

// Artist and song of a stream title: the artist is what comes before the first "-", the
// song what follows it, both trimmed of spaces and control characters, and a run of
// control characters inside either made one space; without a "-" the song is the whole
// title. An empty artist becomes the station's name.
struct TArtistSong {
  QString Artist;
  QString Song;
};
TArtistSong SplitArtistSong(const QString& title, const QString& radio);

// The longest file-name component the file systems take, in UTF-8 bytes.
inline constexpr int kMaxNameBytes = 255;

// `name` made a safe file-name component of at most `maxBytes` UTF-8 bytes: a name that
// is empty, only spaces, "." or ".." becomes "_"; a longer name is cut at a character
// boundary. The caller has already replaced the forbidden characters.
QString SafeNameComponent(const QString& name, int maxBytes = kMaxNameBytes);

// The station folder: `recordDir` + "/" + the station name with forbidden characters
// replaced by spaces (made safe).
QString StationFolder(const QString& recordDir, const QString& radio);

// The base name (path without extension) of a recording in `stationFolder`:
// - cutting by title: the whole title, forbidden characters replaced by spaces;
// - otherwise "Enregistrement_" + date stamp + "_" + time stamp, forbidden characters
//   dropped (slashes and colons go, trailing spaces stay).
// `extension` (with its dot) and `recordOcc` size the room kept for the numbering.
QString RecordBaseName(const QString& stationFolder, bool cutByTitle, const QString& title,
                       const QString& dateStamp, const QString& timeStamp, const QString& extension,
                       int recordOcc);

// Numbering: when base + extension exists, base + "(1)", "(2)" ... up to `recordOcc`,
// the first that does not exist; when all are taken, the one numbered `recordOcc`
// (overwritten). With `recordOcc` at 1 or below, "(1)" is always used. `exists` answers
// for a full path.
QString NumberedBaseName(const QString& base, const QString& extension, int recordOcc,
                         const std::function<bool(const QString&)>& exists);

// The command line starting the encoder program of `format` on `file`, with the artist
// and song tags for MP3 and OGG. Every text put between double quotes is escaped, so a
// title cannot end its word and add arguments. The MP3 line carries --ignorelength:
// the piped WAV header's sizes are "unknown" (0xFFFFFFFF), which lame would otherwise
// write into the file as a length tag of 4294967295 ms. Empty for WAV, WMA and Unknown.
// `comment`, when not empty, goes into the file's comment tag (MP3, OGG, AAC).
QString EncoderCommandLine(TRecordFormat format, const QString& artist, const QString& song,
                           const QString& file, const QString& comment = QString());

// Adds a comment (a LIST/INFO chunk with ICMT, UTF-8) at the end of a finished WAV file
// and makes its RIFF size count it. False when the file is not a RIFF/WAVE file or
// cannot be written; the file is then left as it was.
bool AppendWavComment(const QString& path, const QString& comment);

// True when `file` lies directly in `folder` (both absolute), which every recording path
// must.
bool IsDirectlyInside(const QString& file, const QString& folder);
