// The proxy as the program gives it: "user:password@host:port", any part empty.
#pragma once

#include <string>

namespace zengine {

struct ProxySetting {
  std::string host;  // empty: connect directly
  int port = 0;      // 0: the proxy's usual port (1080 for libcurl's HTTP proxies)
  std::string user;  // empty: no credentials
  std::string password;
  bool portValid = true;  // false: a port was written that is not a number 1-65535
};

// Splits the text. Without '@' the whole text is host:port. The host part may be a
// bracketed IPv6 address. An empty port means the usual one (0); a port that is not a
// number 1-65535 is an error: `port` stays 0 and `portValid` is false, and no stream
// is opened through such a proxy.
ProxySetting ParseProxyText(const std::string& text);

}  // namespace zengine
