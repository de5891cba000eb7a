// The choices the configuration window offers, as plain data: the recording formats the
// program folder's encoders allow and their descriptions, the occurrence counts, and the
// named colours of the analyser's colour pickers.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "widgets/colorvalue.h"

// The recording formats, sorted: "AAC", "AC3", "MP3", "OGG" when the encoder program of
// each is in `exeFolder` + "encoder/" (faac, aften, lame, oggenc), then always "WAV" and
// "WMA".
QStringList AvailableRecordFormats(const QString& exeFolder);

// The format a stored `RecordEncoder` selects in `formats`: the last item (WMA), unless an
// item equals `stored` exactly (case-sensitive).
int RecordFormatIndex(const QStringList& formats, const QString& stored);

// The description shown under the format list; empty for a text that is no format.
QString RecordFormatDescription(const QString& format);

// The occurrence counts of the numbering list, and the index of `value` in it (-1 when
// it is not one of them).
const QStringList& RecordOccItems();
int RecordOccIndex(int value);

struct TNamedColor {
  QString Name;
  TColorValue Value;
};

// The colour pickers' list: the standard colours, the extended colours and the system
// colours (top byte 0xFF), each under its readable name.
const std::vector<TNamedColor>& PickerColors();
