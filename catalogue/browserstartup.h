// The network side of the station browser's creation, in order: the system proxy offer,
// the HTTP client's proxy, the connection test, the update descriptor with the remote
// tuners, the first catalogue load, and the offer of a newer version. Core code: the
// questions, balloons and boxes are reached through TStartupPrompts.
//
// Thread: interface thread.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct TSettings;
class THttpClient;
class TCatalogueLoader;

class TStartupPrompts {
 public:
  virtual ~TStartupPrompts() = default;
  // Yes/No confirmation titled with the application title; true for Yes.
  virtual bool Confirm(const QString& text) = 0;
  // One-line text prompt; nullopt when cancelled.
  virtual std::optional<QString> AskText(const QString& caption, const QString& prompt) = 0;
  // The tray icon's hint text (no balloon).
  virtual void SetBalloonText(const QString& text) = 0;
  // A tray balloon with the information or the error icon.
  virtual void Balloon(const QString& text, bool error, int timeoutMs) = 0;
  virtual void OpenUrl(const QString& url) = 0;
  // The platform's standard error box.
  virtual void ShowStandardError(const QString& text) = 0;
};

struct TStartupResult {
  bool Connected = false;
  int ServerVersion = 0;     // 0 when no descriptor was read
  QString DownloadUrl;
  QStringList RemoteTuners;  // base addresses, resolved, in the descriptor's order
};

// The update server's base address, ending in "/": ZOVALIS_UPDATE_SERVER when set (an
// installation names its own server there), else the catalogue delivered in the program
// folder, exeFolder + "server/", as a file:// address.
QString UpdateServerBase(const QString& exeFolder);

struct TStartupContext {
  TSettings* Settings = nullptr;  // the proxy settings (and their live values)
  THttpClient* Http = nullptr;
  TCatalogueLoader* Loader = nullptr;
  TStartupPrompts* Prompts = nullptr;
  QString ServerBase;             // ends in "/"
  QString DataFolder;             // ends in "/"
  int ProgramVersion = 0;         // ProgramVersionNumber of this program
  std::function<QString()> ReadSystemProxy;
};

TStartupResult RunBrowserStartup(const TStartupContext& context);
