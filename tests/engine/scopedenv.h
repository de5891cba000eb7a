// ScopedEnv: sets environment variables of the test process for one scope and puts
// the previous values back (libpulse reads PULSE_SERVER and friends at connect).
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ztest {

class ScopedEnv {
 public:
  // entries: "NAME=value" sets NAME; a bare "NAME" unsets it.
  explicit ScopedEnv(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
      const size_t eq = entry.find('=');
      const std::string name = entry.substr(0, eq);
      const char* old = getenv(name.c_str());
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      if (eq == std::string::npos)
        unsetenv(name.c_str());
      else
        setenv(name.c_str(), entry.substr(eq + 1).c_str(), 1);
    }
  }
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second)
        setenv(it->first.c_str(), it->second->c_str(), 1);
      else
        unsetenv(it->first.c_str());
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace ztest
