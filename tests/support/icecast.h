// Icecast: a private icecast2 server for one test, with ffmpeg sources on its mounts.
//
// Everything lives in a fresh temporary folder: the configuration (loopback only, a
// free port, random source and admin passwords) and the logs. As root the server runs
// as nobody:nogroup (icecast2 refuses root). Sources are ffmpeg programs sending a
// sine tone in MP3, AAC (ADTS), Ogg Vorbis, Ogg Opus (48 kHz) or Ogg FLAC in real time. Titles change through the
// admin API (the curl program).
//
// Stop() (also run by the destructor) ends the sources, then the server, by PID, and
// removes the folder. Children get SIGTERM if the test process dies (parent-death
// signal of the thread that started them).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ztest {

class Icecast {
 public:
  enum class Codec { Mp3, Aac, Ogg, OggOpus, OggFlac };
  struct Source {
    std::string mount = "/mp3";  // with its leading '/'
    Codec codec = Codec::Mp3;
    int frequency = 440;      // Hz of the tone
    int bitrateKbps = 128;
    std::string name = "Zovalis Test";  // icy-name
    std::string genre = "Test";         // icy-genre
  };

  Icecast() = default;
  ~Icecast();
  Icecast(const Icecast&) = delete;
  Icecast& operator=(const Icecast&) = delete;

  // Starts the server and waits (at most 10 s) until it answers. False with *error
  // (may be null) holding the reason and the server's log; nothing is left behind.
  bool Start(std::string* error);

  // Starts a source and waits (at most 15 s) until its mount is listed. `artist` and
  // `title`, when given, are the comments (tags) the source's stream starts with.
  // `web`, when given, is the web page the mount announces (icy-url).
  bool AddSource(const Source& source, std::string* error, const std::string& artist = std::string(),
                 const std::string& title = std::string(), const std::string& web = std::string());

  // Sets the mount's title ("song") through the admin API. With `charset` (e.g.
  // "UTF-8") the server converts the title to ISO-8859-1 for MP3/AAC listeners.
  bool SetTitle(const std::string& mount, const std::string& title, std::string* error,
                const std::string& charset = std::string());

  // Ends every source (their mounts go away; the listeners are dropped). The server
  // goes on: AddSource brings a mount back.
  void StopSources();

  // Ends every source and the server; removes the folder. Safe to call twice.
  void Stop();

  int Port() const { return port_; }
  std::string Url(const std::string& mount) const;  // http://127.0.0.1:PORT/mount
  std::string Folder() const { return folder_; }
  std::string Log() const;  // the server's error log, for failure messages

  // A free TCP port on 127.0.0.1 (bound then released).
  static int FreePort();
  // Runs a program (PATH lookup) to its end with its output in *output (may be
  // null); kills it after timeout_ms. Returns its exit status, -1 on failure.
  static int RunProgram(const std::vector<std::string>& argv, std::string* output,
                        int timeout_ms = 10000);

 private:
  pid_t Spawn(const std::vector<std::string>& argv, const std::string& logFile);
  bool MountListed(const std::string& mount);

  std::string folder_;
  int port_ = 0;
  std::string sourcePassword_;
  std::string adminPassword_;
  pid_t server_ = -1;
  std::vector<pid_t> sources_;
};

}  // namespace ztest
