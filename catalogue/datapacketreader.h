// Reader of catalogue files in the XML data-packet layout (see datapacketwriter.h).
// The bytes come from anyone (an update server, an imported folder): sizes are checked,
// and anything unexpected ends the read with a BadFile error naming line and column.
//
// Accepted: UTF-8 or UTF-16 with or without declaration; bytes that are not valid UTF-8
// in a file without a declared encoding are Windows-1252; other declared encodings;
// `RowState` on rows (deleted rows are skipped, a modified row's values replace those of
// the row before it); any PARAMS; unknown elements under METADATA and FIELD are skipped.
// Refused: another root, a FIELD without name or with an unknown type ("string",
// "string.uni" and "i4" are known), a ROW attribute that names no declared field, an i4
// value that is no 32-bit integer, a file larger than MaxFileSize.
#pragma once

#include <QByteArray>
#include <QString>

#include "catalogue/datapacket.h"
#include "catalogue/tableerror.h"

// Largest catalogue file read: ten times a 50,000-station catalogue.
inline constexpr qint64 MaxDataPacketSize = 160LL * 1024 * 1024;

TTableValue<TDataPacket> ReadDataPacket(const QByteArray& bytes);
TTableValue<TDataPacket> ReadDataPacketFile(const QString& path);
