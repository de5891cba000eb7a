// The update descriptor "version.xml" of the update server: the newest program version,
// its download page and the remote tuners. Core code: no widgets.
//
//   <CurrentVersion>
//     <Major>2</Major> <Minor>1</Minor> <Release>2</Release>
//     <DownloadUrl>https://...</DownloadUrl>
//     <Tuner> <AnyName>https://server/tuner/</AnyName> ... </Tuner>
//   </CurrentVersion>
//
// Element names match exactly, attributes are ignored, a missing element reads as empty.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct TUpdateDescriptor {
  bool Ok = false;
  QString Error;        // French text of why the descriptor could not be used
  int ServerVersion = 0;  // Major * 10000 + Minor * 100 + Release; 0 when not read
  QString DownloadUrl;
  QStringList Tuners;   // base addresses in document order, as written
};

// Parses the descriptor. Not XML, another document element, or a Major, Minor or Release
// that is not an integer gives Ok = false with the reason; the caller treats the
// descriptor as absent.
TUpdateDescriptor ParseUpdateDescriptor(const QByteArray& xml);

// Reads `path` (at most 1 MB) and parses it.
TUpdateDescriptor ReadUpdateDescriptor(const QString& path);

// The program's own number in the descriptor's scale: major, then minor and release with
// two digits each (2.1.1 gives 20101).
int ProgramVersionNumber(int major, int minor, int release);

// A tuner address of the descriptor as a base address: taken as written when it carries a
// scheme, otherwise resolved against the update server's base address ("catalogue/"
// under "file:///opt/zovalis/server/"); always ending in "/".
QString ResolveTunerAddress(const QString& serverBase, const QString& tuner);
