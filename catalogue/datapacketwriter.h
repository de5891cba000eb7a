// Writer of catalogue files in the XML data-packet layout:
//   <DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname= fieldtype= WIDTH= required=/>
//   ...</FIELDS><PARAMS/></METADATA><ROWDATA><ROW Field="value" .../>...</ROWDATA></DATAPACKET>
// UTF-8 with a declaration; a field without a value is left out of its ROW.
#pragma once

#include <QIODevice>
#include <QString>

#include <vector>

#include "catalogue/fielddef.h"
#include "catalogue/tableerror.h"

// `text` without the characters XML 1.0 cannot carry (control characters other than
// tab, line feed and carriage return, U+FFFE, U+FFFF, unpaired surrogates). The tables
// store only such texts, so every table can be written and read back.
QString XmlSafeText(const QString& text);

// Writes the packet to an open device. False when a text could not be written.
bool WriteDataPacket(QIODevice& device, const TFieldList& fields, const std::vector<TRow>& rows);

// Writes the packet to `path` atomically: a temporary file in the same folder is written,
// flushed to disk and renamed over `path`. On failure the old file is untouched.
TTableResult WriteDataPacketFile(const QString& path, const TFieldList& fields, const std::vector<TRow>& rows);
