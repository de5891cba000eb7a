#include "catalogue/catalogue.h"

#include <QtGlobal>
#include <climits>

#include "common/versiontext.h"

void TCatalogue::Prepare(TLoadDisplay& display, const QString& exeFolder, const QString& dataFolder,
                         const QString& mode) {
  if (loader_) return;
  loader_ = std::make_unique<TCatalogueLoader>(Tables, IdHTTP, display, exeFolder, dataFolder);
  loader_->Tuner.Mode = mode;
  TLoadDisplay* d = &display;
  IdHTTP.SetProcessEvents([d] { d->ProcessEvents(); });
  IdHTTP.SetProgress({[d](qint64 expected) { d->SetProgressMax(int(qMin<qint64>(expected, INT_MAX))); },
                      [d](qint64 received) { d->SetProgress(int(qMin<qint64>(received, INT_MAX))); }});
  // The directory asks its clients to name themselves; it goes through the proxy of the
  // connection settings and shows its download like the other loads.
  loader_->SetDirectory(&Directory);
  Directory.SetUserAgent(QStringLiteral("Zovalis/") + GetVersionText(QStringLiteral("%d.%d.%d")));
  Directory.SetProxySource([this] { return IdHTTP.Proxy(); });
  Directory.SetProcessEvents([d] { d->ProcessEvents(); });
  Directory.SetProgress({[d](qint64 expected) { d->SetProgressMax(int(qMin<qint64>(expected, INT_MAX))); },
                         [d](qint64 received) { d->SetProgress(int(qMin<qint64>(received, INT_MAX))); }});
}
