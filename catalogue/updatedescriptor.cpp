#include "catalogue/updatedescriptor.h"

#include <QFile>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

constexpr qint64 kMaxDescriptorBytes = 1 << 20;

// The text of the current element, children's text included; the reader ends on its end.
QString ElementText(QXmlStreamReader& xml) {
  return xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
}

}  // namespace

TUpdateDescriptor ParseUpdateDescriptor(const QByteArray& bytes) {
  TUpdateDescriptor d;
  QXmlStreamReader xml(bytes);
  QString major, minor, release;
  if (!xml.readNextStartElement() || xml.name() != QLatin1String("CurrentVersion")) {
    d.Error = xml.hasError() ? QStringLiteral("version.xml illisible : %1").arg(xml.errorString())
                             : QStringLiteral("version.xml ne décrit aucune version");
    return d;
  }
  while (xml.readNextStartElement()) {
    const auto name = xml.name();
    if (name == QLatin1String("Major")) {
      major = ElementText(xml);
    } else if (name == QLatin1String("Minor")) {
      minor = ElementText(xml);
    } else if (name == QLatin1String("Release")) {
      release = ElementText(xml);
    } else if (name == QLatin1String("DownloadUrl")) {
      d.DownloadUrl = ElementText(xml);
    } else if (name == QLatin1String("Tuner")) {
      while (xml.readNextStartElement()) {
        const QString address = ElementText(xml);
        if (!address.isEmpty()) d.Tuners.append(address);
      }
    } else {
      xml.skipCurrentElement();
    }
  }
  if (xml.hasError()) {
    d.Error = QStringLiteral("version.xml illisible : %1").arg(xml.errorString());
    d.Tuners.clear();
    return d;
  }
  bool okMajor = false, okMinor = false, okRelease = false;
  const int ma = major.toInt(&okMajor), mi = minor.toInt(&okMinor), re = release.toInt(&okRelease);
  if (!okMajor || !okMinor || !okRelease || ma < 0 || mi < 0 || re < 0 || ma > 99999 || mi > 9999 || re > 9999) {
    d.Error = QStringLiteral("version.xml : numéro de version invalide (%1.%2.%3)").arg(major, minor, release);
    d.Tuners.clear();
    return d;
  }
  d.ServerVersion = ProgramVersionNumber(ma, mi, re);
  d.Ok = true;
  return d;
}

TUpdateDescriptor ReadUpdateDescriptor(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    TUpdateDescriptor d;
    d.Error = QStringLiteral("version.xml introuvable (%1)").arg(path);
    return d;
  }
  if (f.size() > kMaxDescriptorBytes) {
    TUpdateDescriptor d;
    d.Error = QStringLiteral("version.xml trop volumineux (%1 octets)").arg(f.size());
    return d;
  }
  return ParseUpdateDescriptor(f.read(kMaxDescriptorBytes));
}

int ProgramVersionNumber(int major, int minor, int release) {
  return major * 10000 + minor * 100 + release;
}

QString ResolveTunerAddress(const QString& serverBase, const QString& tuner) {
  const QUrl given(tuner);
  QString address = given.scheme().isEmpty() ? QUrl(serverBase).resolved(given).toString() : tuner;
  if (!address.endsWith(QLatin1Char('/'))) address += QLatin1Char('/');
  return address;
}
