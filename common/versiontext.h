// The program's file version and its display text.
#pragma once

#include <QString>
#include <optional>

struct TFileVersion {
  int Major = 0;
  int Minor = 0;
  int Release = 0;
  int Build = 0;
};

// The version compiled into this program (2.1.1.273).
TFileVersion CompiledFileVersion();

// Formats the version with a format text holding "%d" place holders, filled in the order
// major, minor, release, build (" %d.%d.%d" gives " 2.1.1"). Only "%d" and "%%" are
// understood; any other character is copied. Without a version the result is empty,
// so a program without one shows its bare title.
QString FormatVersionText(const std::optional<TFileVersion>& version, const QString& format);

// The program's own version text: FormatVersionText(CompiledFileVersion(), format).
QString GetVersionText(const QString& format);
