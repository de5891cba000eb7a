#include "playback/engine/net/proxytext.h"

#include <cctype>

namespace zengine {

namespace {
std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}
}  // namespace

ProxySetting ParseProxyText(const std::string& text) {
  ProxySetting p;
  std::string hostPort = text;
  // The last '@' ends the credentials: a password may itself hold '@'.
  const size_t at = text.rfind('@');
  if (at != std::string::npos) {
    const std::string creds = text.substr(0, at);
    hostPort = text.substr(at + 1);
    const size_t colon = creds.find(':');
    p.user = creds.substr(0, colon);
    if (colon != std::string::npos) p.password = creds.substr(colon + 1);
  }
  hostPort = Trim(hostPort);
  size_t colon = std::string::npos;
  if (!hostPort.empty() && hostPort[0] == '[') {
    const size_t close = hostPort.find(']');
    if (close != std::string::npos && close + 1 < hostPort.size() && hostPort[close + 1] == ':')
      colon = close + 1;
  } else {
    colon = hostPort.rfind(':');
  }
  p.host = hostPort.substr(0, colon);
  if (colon != std::string::npos) {
    const std::string port = Trim(hostPort.substr(colon + 1));
    // No digits at all leaves the usual port; anything else must be 1-65535. The length
    // is checked first, so at most five digits are ever summed.
    if (!port.empty()) {
      int value = 0;
      bool ok = port.size() <= 5;
      for (size_t i = 0; ok && i < port.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(port[i]))) ok = false;
        else value = value * 10 + (port[i] - '0');
      }
      if (ok && value >= 1 && value <= 65535) p.port = value;
      else p.portValid = false;
    }
  }
  return p;
}

}  // namespace zengine
