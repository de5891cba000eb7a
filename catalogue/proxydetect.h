// The system proxy: where the desktop keeps it, and the host and port read from its text.
// Core code: no widgets.
#pragma once

#include <QString>

#include <functional>

// The desktop's proxy list text, in the forms "host:port" or "http=host:port;https=...",
// or empty when the session uses no named proxy. Read from the session's environment
// (`http_proxy`, then `HTTP_PROXY`, with the scheme, credentials and trailing "/" of a URL
// removed), else from the GNOME-style desktop settings when `gsettings` exists and the
// proxy mode is 'manual'.
QString ReadSystemProxy();

// Same, with the environment and the gsettings query supplied (tests). `gsettings` runs
// the command's arguments and returns its output, or nothing when it cannot run.
QString ReadSystemProxy(const std::function<QString(const char*)>& env,
                        const std::function<QString(const QStringList&)>& gsettings);

// The environment's proxy URL reduced to the list text: "http://user:pw@host:3128/"
// gives "host:3128".
QString ProxyTextFromUrl(const QString& url);

struct TDetectedProxy {
  QString Host;  // empty when nothing was detected
  int Port = 0;  // 0 when the text after ":" is no port (not a number, or outside 1-65535)
};

// The host and port for `scheme` in the proxy list text `list`: an entry labelled
// scheme + "=" is taken (up to the next ";"), otherwise the whole text; the host is the
// text before the first ":", the port the number after it. Without ":" nothing is found.
TDetectedProxy DetectProxy(const QString& scheme, const QString& list);
