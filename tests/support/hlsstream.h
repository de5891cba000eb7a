// HlsStream: a live HLS stream for one test. ffmpeg encodes a tone whose pitch changes
// with each title (AAC, 48 kHz stereo; MP3 for packed MP3); the stream is cut into
// segments of about 2 s (94 AAC frames, 84 MP3 frames), each in MPEG-TS with its title as timed ID3 beside the sound,
// or as packed audio (ADTS) with an ID3 tag in front holding the title and the
// segment's timestamp; hlsserver.py publishes them live on 127.0.0.1 (see its usage
// for the playlists and the failures it can play).
//
// Every segment carries its title again, as broadcasters do; a title's sound begins
// with the first segment it names. Stop() (also run by the destructor) ends the server
// by PID and removes the folder.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ztest {

class HlsStream {
 public:
  // Fmp4: fragmented MP4 segments written by ffmpeg's own HLS muxer, sound only (the
  // titles, which it cannot carry, are left out).
  // PackedMp3: MPEG-1 layer III frames (1152 samples) with the ID3 tag in front, as
  // PackedAac.
  enum class Form { Ts, PackedAac, PackedMp3, Fmp4 };
  // How the title is written: TPE1 and TIT2, or one TXXX "StreamTitle" text.
  enum class Tagging { Id3Frames, TxxxStreamTitle };
  struct Title {
    std::string artist;
    std::string song;
    int hz = 440;       // the tone heard under this title
    int segments = 3;   // how long it lasts
  };
  struct Options {
    Form form = Form::Ts;
    Tagging tagging = Tagging::Id3Frames;
    std::vector<Title> titles;
    std::vector<std::string> serverArgs;  // "--stall-after", "6", "--missing", "4"...
  };

  HlsStream() = default;
  ~HlsStream();
  HlsStream(const HlsStream&) = delete;
  HlsStream& operator=(const HlsStream&) = delete;

  // Makes the segments and starts the server (waits at most 10 s for its port).
  bool Start(const Options& options, std::string* error);
  void Stop();

  // http://127.0.0.1:PORT/path (https:// when the server was started with "--tls").
  std::string Url(const std::string& path = "live.m3u8") const;
  std::string Folder() const { return folder_; }
  std::vector<std::string> Requests() const;  // paths asked so far, in order

  static constexpr int kRate = 48000;
  static constexpr int kFramesPerSegment = 94;     // AAC frames of 1024 samples
  static constexpr int kMp3FramesPerSegment = 84;  // MP3 frames of 1152 samples
  static double SegmentSeconds() { return kFramesPerSegment * 1024.0 / kRate; }
  // The ICY form the engine gives for a title.
  static std::string StreamTitle(const Title& t) { return "StreamTitle='" + t.artist + " - " + t.song + "';"; }

 private:
  std::string folder_;
  pid_t server_ = -1;
  bool tls_ = false;
  int port_ = 0;
};

}  // namespace ztest
