#include "common/versiontext.h"

#include "zovalis_version.h"

TFileVersion CompiledFileVersion() {
  return {ZOVALIS_VERSION_MAJOR, ZOVALIS_VERSION_MINOR, ZOVALIS_VERSION_PATCH, ZOVALIS_VERSION_BUILD};
}

QString FormatVersionText(const std::optional<TFileVersion>& version, const QString& format) {
  if (!version) return {};
  const int numbers[4] = {version->Major, version->Minor, version->Release, version->Build};
  QString out;
  int next = 0;
  for (qsizetype i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size()) {
      if (format[i + 1] == u'd') {
        // A fifth "%d" has no number to show: it stays empty rather than reading past the four.
        if (next < 4) out += QString::number(numbers[next]);
        ++next;
        ++i;
        continue;
      }
      if (format[i + 1] == u'%') {
        out += u'%';
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

QString GetVersionText(const QString& format) {
  return FormatVersionText(CompiledFileVersion(), format);
}
