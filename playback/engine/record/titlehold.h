// TitleHold: the sound of one channel since its last title's place, kept so that a
// recording started in the middle of a song can begin on the song's first sample.
//
// The sound is kept as 16-bit PCM in an unlinked temporary file (nothing stays on disk
// when the program ends, however it ends), written as a ring: at most `maxSeconds` of
// sound are kept, the oldest going first. Memory stays at one block whatever is kept.
// A title's place (a text that differs from the last) starts the song again: from
// there the ring's older sound no longer counts.
//
// Followers: a recording asks for the song from its start. Its own catch-up thread
// reads the kept sound from the song's first sample (or the oldest kept, when the song
// is longer than what is kept), as fast as the follower takes it, replaying the title
// places met on the way; once it reaches the sound being written, the follower gets
// the channel's sound live, from the decoding thread, with nothing lost or doubled.
//
// Threads: Sound and Title run on the channel's decoding thread; the rest on any
// thread. The hold belongs to the channel's hooks: it goes (file closed) when the
// channel is freed or the hold is removed, once its followers have let go.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zengine {

class TitleHold : public std::enable_shared_from_this<TitleHold> {
 public:
  using SoundFn = std::function<void(const float* samples, size_t frames, int channels, int rate)>;
  using TitleFn = std::function<void(const std::string& text)>;
  // Whether the follower can take another block now (room in its queue); asked by the
  // catch-up thread, which waits a little while it answers false.
  using ReadyFn = std::function<bool()>;

  // `title`: the text playing when the hold starts (a song whose start was not heard).
  TitleHold(int maxSeconds, std::string title, std::string tempFolder);
  ~TitleHold();
  TitleHold(const TitleHold&) = delete;
  TitleHold& operator=(const TitleHold&) = delete;

  // Decoding thread.
  void Sound(const float* samples, size_t frames, int channels, int rate);
  void Title(const std::string& text);

  struct State {
    double seconds = 0;          // sound kept of the song playing
    bool fromStart = false;      // the song's place was heard (not tuned in mid-song)
    bool truncated = false;      // the song is longer than what is kept
    std::string title;           // its metadata text
    int64_t fileBytes = 0;       // the ring file's size on disk
  };
  State Get();

  // Adds a follower and starts its catch-up; returns its id (never 0). `begin`, when
  // given, is told the text of the song it begins with, before any other call.
  uint32_t Follow(SoundFn sound, TitleFn title, ReadyFn ready, const TitleFn& begin = nullptr);
  // Removes a follower; waits for its catch-up thread (unless called from it).
  void Unfollow(uint32_t id);

 private:
  struct Follower {
    SoundFn sound;
    TitleFn title;
    ReadyFn ready;
    int64_t next = 0;  // absolute frame to read next while catching up
    bool live = false;
    bool stop = false;
    std::thread thread;
  };
  void CatchUp(uint32_t id);  // catch-up thread of follower `id`
  void WriteRing(const int16_t* data, size_t frames);  // under mutex_
  bool ReadRing(int64_t from, size_t frames, std::vector<int16_t>* out);  // file only

  const int maxSeconds_;
  std::string tempFolder_;
  std::mutex mutex_;
  int fd_ = -1;
  bool failed_ = false;       // the ring file could not be written: nothing is kept
  int rate_ = 0, channels_ = 0;
  int64_t capacityFrames_ = 0;  // ring size: kept sound plus a margin for the readers
  int64_t written_ = 0;         // absolute frames written so far
  int64_t songStart_ = 0;       // absolute frame of the song's first sample
  bool fromStart_ = false;
  std::string lastTitle_;
  std::deque<std::pair<int64_t, std::string>> places_;  // title places since songStart_
  std::map<uint32_t, std::shared_ptr<Follower>> followers_;
  uint32_t nextId_ = 1;
  std::vector<int16_t> block_;  // conversion buffer (decoding thread)
};

// The hold of `channel`, or null (titleholdapi.cpp).
using Handle = uint32_t;
std::shared_ptr<TitleHold> FindTitleHold(Handle channel);

}  // namespace zengine
