// What ffprobe says about a media file, and small process helpers for the tests.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace ztest {

struct MediaInfo {
  bool ok = false;           // ffprobe read the file
  std::string codec;         // first audio stream's codec name
  int sampleRate = 0;
  int channels = 0;
  double duration = 0;       // seconds, from the container (or the stream)
  std::map<std::string, std::string> tags;  // file and stream tags, keys in lower case
  std::string raw;           // ffprobe's output, for failure messages
};

MediaInfo Probe(const std::string& path);

// Runs argv (argv[0] a path) with `input` on its standard input; returns its exit
// status (-1 when it could not run) and its standard error in *err.
int RunWithInput(const std::vector<std::string>& argv, const std::string& input, std::string* err);

// A fresh temporary folder, removed with its contents by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);

}  // namespace ztest
