#include "support/hlsstream.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#ifndef ZOVALIS_HLS_SERVER
#error "ZOVALIS_HLS_SERVER must name hlsserver.py"
#endif

namespace ztest {

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

int RunQuiet(const std::vector<std::string>& argv, std::string* log) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  char path[] = "/tmp/zovalis-hls-XXXXXX";
  const int fd = mkstemp(path);
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    if (fd >= 0) {
      dup2(fd, 1);
      dup2(fd, 2);
    }
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = -1;
  if (pid > 0) waitpid(pid, &status, 0);
  if (fd >= 0) close(fd);
  if (log) *log = ReadAll(path);
  unlink(path);
  return pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string SyncSafe(size_t n) {
  std::string s(4, '\0');
  for (int i = 3; i >= 0; --i) {
    s[i] = static_cast<char>(n & 0x7f);
    n >>= 7;
  }
  return s;
}

std::string Frame(const std::string& id, const std::string& data) {
  return id + SyncSafe(data.size()) + std::string(2, '\0') + data;
}

// An ID3v2.4 tag with the title and, for packed audio, the segment's timestamp.
std::string Id3Tag(const HlsStream::Title& t, HlsStream::Tagging tagging, int64_t timestamp) {
  std::string frames;
  if (timestamp >= 0) {
    std::string priv = "com.apple.streaming.transportStreamTimestamp";
    priv.push_back('\0');
    for (int i = 7; i >= 0; --i) priv.push_back(static_cast<char>((timestamp >> (8 * i)) & 0xff));
    frames += Frame("PRIV", priv);
  }
  if (tagging == HlsStream::Tagging::Id3Frames) {
    frames += Frame("TPE1", "\x03" + t.artist);
    frames += Frame("TIT2", "\x03" + t.song);
  } else {
    frames += Frame("TXXX", std::string("\x03StreamTitle\0", 13) + t.artist + " - " + t.song);
  }
  return std::string("ID3\x04\x00\x00", 6) + SyncSafe(frames.size()) + frames;
}

// The ADTS frames of a file, each with its header.
std::vector<std::string> AdtsFrames(const std::string& bytes) {
  std::vector<std::string> frames;
  size_t at = 0;
  while (at + 7 <= bytes.size()) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    if (b[0] != 0xff || (b[1] & 0xf0) != 0xf0) break;
    const size_t len = ((b[3] & 3u) << 11) | (b[4] << 3) | (b[5] >> 5);
    if (len < 7 || at + len > bytes.size()) break;
    frames.push_back(bytes.substr(at, len));
    at += len;
  }
  return frames;
}

// The MPEG-1 layer III frames of a file (no tag in it), each with its header.
std::vector<std::string> Mp3Frames(const std::string& bytes) {
  static const int kBitRates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  static const int kRates[4] = {44100, 48000, 32000, 0};
  std::vector<std::string> frames;
  size_t at = 0;
  while (at + 4 <= bytes.size()) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    // Sync, MPEG-1, layer III.
    if (b[0] != 0xff || (b[1] & 0xfe) != 0xfa) break;
    const int kbps = kBitRates[b[2] >> 4];
    const int rate = kRates[(b[2] >> 2) & 3];
    if (kbps == 0 || rate == 0) break;
    const size_t len = static_cast<size_t>(144 * kbps * 1000 / rate + ((b[2] >> 1) & 1));
    if (at + len > bytes.size()) break;
    frames.push_back(bytes.substr(at, len));
    at += len;
  }
  return frames;
}

// One MPEG-TS segment: the title as a timed ID3 packet at `pts`, then the AAC frames.
bool WriteTsSegment(const std::string& path, const std::vector<std::string>& frames, int64_t pts,
                    const std::string& id3, std::string* error) {
  AVFormatContext* oc = nullptr;
  if (avformat_alloc_output_context2(&oc, nullptr, "mpegts", path.c_str()) < 0) {
    *error = "no mpegts muxer";
    return false;
  }
  AVStream* audio = avformat_new_stream(oc, nullptr);
  audio->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
  audio->codecpar->codec_id = AV_CODEC_ID_AAC;
  audio->codecpar->sample_rate = HlsStream::kRate;
  av_channel_layout_default(&audio->codecpar->ch_layout, 2);
  audio->codecpar->frame_size = 1024;
  audio->time_base = {1, 90000};
  AVStream* data = avformat_new_stream(oc, nullptr);
  data->codecpar->codec_type = AVMEDIA_TYPE_DATA;
  data->codecpar->codec_id = AV_CODEC_ID_TIMED_ID3;
  data->time_base = {1, 90000};
  AVDictionary* options = nullptr;
  av_dict_set(&options, "mpegts_copyts", "1", 0);
  bool ok = avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
            avformat_write_header(oc, &options) >= 0;
  av_dict_free(&options);
  AVPacket* pkt = av_packet_alloc();
  auto write = [&](int stream, const std::string& bytes, int64_t ts, int64_t duration) {
    if (!ok) return;
    av_new_packet(pkt, static_cast<int>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), pkt->data);
    pkt->stream_index = stream;
    pkt->pts = pkt->dts = av_rescale_q(ts, {1, 90000}, oc->streams[stream]->time_base);
    pkt->duration = av_rescale_q(duration, {1, 90000}, oc->streams[stream]->time_base);
    ok = av_write_frame(oc, pkt) >= 0;
    av_packet_unref(pkt);
  };
  write(1, id3, pts, 0);
  for (size_t i = 0; i < frames.size(); ++i) write(0, frames[i], pts + static_cast<int64_t>(i) * 1920, 1920);
  if (ok) ok = av_write_trailer(oc) >= 0;
  av_packet_free(&pkt);
  avio_closep(&oc->pb);
  avformat_free_context(oc);
  if (!ok) *error = "could not write " + path;
  return ok;
}

}  // namespace

HlsStream::~HlsStream() { Stop(); }

bool HlsStream::Start(const Options& o, std::string* error) {
  std::string pattern = (std::filesystem::temp_directory_path() / "zovalis-hls-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    *error = "no temporary folder";
    return false;
  }
  folder_ = pattern;
  // The tone: each title's pitch for its segments, cut on frame boundaries.
  const bool mp3 = o.form == Form::PackedMp3;
  const int frameSamples = mp3 ? 1152 : 1024;
  const int framesPerSegment = mp3 ? kMp3FramesPerSegment : kFramesPerSegment;
  // The encoder puts samples of its own first (AAC 1024; MP3 576, and its decoder 529
  // more): the first tone is shorter by as much, so each later tone begins exactly where
  // its first segment does.
  const int priming = mp3 ? 1105 : 1024;
  std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
  std::string filter;
  for (size_t i = 0; i < o.titles.size(); ++i) {
    const double seconds =
        (o.titles[i].segments * framesPerSegment * double(frameSamples) - (i == 0 ? priming : 0)) / kRate;
    argv.insert(argv.end(), {"-f", "lavfi", "-i",
                             "sine=frequency=" + std::to_string(o.titles[i].hz) + ":sample_rate=48000:duration=" +
                                 std::to_string(seconds)});
    filter += "[" + std::to_string(i) + ":a]";
  }
  filter += "concat=n=" + std::to_string(o.titles.size()) + ":v=0:a=1[out]";
  const std::string aac = folder_ + (mp3 ? "/tone.mp3" : "/tone.aac");
  argv.insert(argv.end(), {"-filter_complex", filter, "-map", "[out]", "-ac", "2"});
  if (mp3)
    argv.insert(argv.end(), {"-c:a", "libmp3lame", "-b:a", "128k", "-write_xing", "0", "-id3v2_version", "0", "-f",
                             "mp3", aac});
  else
    argv.insert(argv.end(), {"-c:a", "aac", "-b:a", "128k", "-f", "adts", aac});
  std::string log;
  if (RunQuiet(argv, &log) != 0) {
    *error = "ffmpeg: " + log;
    return false;
  }
  std::vector<std::string> serverArgs = o.serverArgs;
  if (o.form == Form::Fmp4) {
    if (RunQuiet({"ffmpeg", "-nostdin", "-v", "error", "-i", aac, "-c", "copy", "-bsf:a", "aac_adtstoasc", "-f", "hls", "-hls_segment_type",
                  "fmp4", "-hls_time", "2", "-hls_list_size", "0", "-hls_fmp4_init_filename", "init.mp4",
                  "-hls_segment_filename", folder_ + "/f%d.m4s", folder_ + "/fmp4.m3u8"},
                 &log) != 0) {
      *error = "ffmpeg: " + log;
      return false;
    }
    // The segments and their lengths from ffmpeg's own playlist.
    std::ofstream list(folder_ + "/segments.txt");
    std::istringstream in(ReadAll(folder_ + "/fmp4.m3u8"));
    std::string duration;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("#EXTINF:", 0) == 0) duration = line.substr(8, line.find(',') - 8);
      else if (!line.empty() && line[0] != '#') list << line << " " << duration << "\n";
    }
    serverArgs.insert(serverArgs.end(), {"--map", "init.mp4"});
  }
  const std::vector<std::string> frames = o.form == Form::Fmp4 ? std::vector<std::string>()
                                          : mp3                 ? Mp3Frames(ReadAll(aac))
                                                                : AdtsFrames(ReadAll(aac));
  std::ofstream list(folder_ + "/segments.txt", std::ios::app);
  size_t frame = 0;
  int index = 0;
  for (const Title& t : o.titles) {
    for (int s = 0; s < t.segments && frame < frames.size(); ++s, ++index) {
      const size_t end = std::min(frames.size(), frame + framesPerSegment);
      const std::vector<std::string> part(frames.begin() + static_cast<long>(frame),
                                          frames.begin() + static_cast<long>(end));
      // Timestamps from 10 s on, 90 kHz ticks (1920 for 1024 samples at 48 kHz).
      const int64_t pts = 900000 + static_cast<int64_t>(frame) * frameSamples * 90000 / kRate;
      std::string name = "s" + std::to_string(index);
      if (o.form == Form::Ts) {
        name += ".ts";
        if (!WriteTsSegment(folder_ + "/" + name, part, pts, Id3Tag(t, o.tagging, -1), error)) return false;
      } else {
        name += mp3 ? ".mp3" : ".aac";
        std::string bytes = Id3Tag(t, o.tagging, pts);
        for (const std::string& f : part) bytes += f;
        WriteAll(folder_ + "/" + name, bytes);
      }
      list << name << " " << (end - frame) * double(frameSamples) / kRate << "\n";
      frame = end;
    }
  }
  list.close();

  const std::string portFile = folder_ + "/port";
  std::vector<std::string> server = {"python3", ZOVALIS_HLS_SERVER, folder_, portFile};
  server.insert(server.end(), serverArgs.begin(), serverArgs.end());
  tls_ = std::find(o.serverArgs.begin(), o.serverArgs.end(), "--tls") != o.serverArgs.end();
  std::vector<char*> args;
  for (const auto& a : server) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const int out = open((folder_ + "/server.out").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  server_ = fork();
  if (server_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
    }
    execvp(args[0], args.data());
    _exit(127);
  }
  if (out >= 0) close(out);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string port = ReadAll(portFile);
    if (!port.empty()) {
      port_ = std::atoi(port.c_str());
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  *error = "hlsserver.py did not start: " + ReadAll(folder_ + "/server.out");
  return false;
}

void HlsStream::Stop() {
  if (server_ > 0) {
    kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
    server_ = -1;
  }
  if (!folder_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
    folder_.clear();
  }
}

std::string HlsStream::Url(const std::string& path) const {
  return (tls_ ? "https" : "http") + std::string("://127.0.0.1:") + std::to_string(port_) + "/" + path;
}

std::vector<std::string> HlsStream::Requests() const {
  std::vector<std::string> out;
  std::istringstream in(ReadAll(folder_ + "/requests.log"));
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

}  // namespace ztest
