// Zovalis audio engine: life cycle, options, global volume and error codes.
//
// The engine is the program's own audio library, free of Qt. Its operations follow
// the order the program calls them in: version check, output start, recording start,
// codec plug-ins, options, volume; at the end, output end then recording end.
//
// Errors: an operation that fails returns false (or 0 for a handle) and leaves its
// reason in the calling thread's last error code, read with ErrorGetCode(). The
// codes keep the numbers of the program's error-message table (engineerror.h in
// playback/), so one table turns any of them into a French message.
//
// Threads: every function here may be called from any thread. Init/Free and
// RecordInit/RecordFree are not meant to race each other (the program calls them
// from its interface thread at start-up and exit).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zengine {

// Version of this engine, laid out as 0xMMmmRRBB (major, minor, revision, build).
// The program checks that the high 16 bits equal kExpectedVersionHigh, the
// version it was built against.
constexpr uint32_t kEngineVersion = 0x02030000u;
constexpr uint32_t kExpectedVersionHigh = 0x0203u;
uint32_t GetVersion();

// Error codes. Numbers are fixed: the message table is keyed on them.
enum Error : int {
  kOk = 0,
  kErrMem = 1,         // out of memory
  kErrFileOpen = 2,    // the file or stream could not be opened
  kErrDriver = 3,      // no sound server / output driver available
  kErrBufLost = 4,
  kErrHandle = 5,      // invalid handle
  kErrFormat = 6,      // sample format not supported
  kErrPosition = 7,
  kErrInit = 8,        // Init has not been called successfully
  kErrStart = 9,
  kErrAlready = 14,    // already initialised
  kErrNotPaused = 16,
  kErrNoChan = 18,
  kErrIllType = 19,
  kErrIllParam = 20,   // an argument is out of range
  kErrNo3D = 21,
  kErrNoEAX = 22,
  kErrDevice = 23,     // invalid device number
  kErrNoPlay = 24,
  kErrFreq = 25,       // illegal sample rate
  kErrNotFile = 27,
  kErrNoHW = 29,
  kErrEmpty = 31,
  kErrNoNet = 32,      // no internet connection could be opened
  kErrCreate = 33,     // a file could not be created
  kErrNoFX = 34,
  kErrPlaying = 35,
  kErrNotAvail = 37,   // requested data is not available
  kErrDecode = 38,
  kErrDx = 39,
  kErrTimeout = 40,    // connection timed out
  kErrFileForm = 41,   // unsupported file format
  kErrSpeaker = 42,
  kErrVersion = 43,
  kErrCodec = 44,      // codec not available or not supported
  kErrUnknown = -1,
};

// Last error of the calling thread (kOk after a successful call).
int ErrorGetCode();

// Which output the engine plays through.
enum class OutputKind {
  Default,   // the desktop's sound server (PulseAudio protocol; PipeWire serves it too)
  Pulse,     // the same, named explicitly
  Null,      // no sound: consumes audio paced in real time
  NullFast,  // no sound: consumes audio as fast as it is produced (tests)
};

// Starts the output. device: -1 = the default device of `kind`; 1 = the null output
// whatever `kind` says (kept for callers that select by number); other values fail
// with kErrDevice. freq: output sample rate in Hz (8000-192000, else kErrFreq).
// Fails with kErrAlready when already started, kErrDriver when no sound server answers.
bool Init(int device, int freq, OutputKind kind = OutputKind::Default);

// True between a successful Init and Free.
bool IsInitialised();

// Name of the running output ("pulse", "null", "null-fast"), empty when not started.
std::string OutputName();

// Stops the output and releases every channel. Fails with kErrInit when not started.
bool Free();

// Starts the recording side (encoders fed from playing channels). Needs Init first
// (else kErrInit); kErrAlready when already started. device: -1 (the default) or 0,
// the engine's own channels; other values fail with kErrDevice. Also makes SIGPIPE
// ignored process-wide, for good: an encoder program that dies gives a write error.
// RecordFree fails with kErrInit when the recording side is not started; it does
// not need the output (the program calls it after Free).
bool RecordInit(int device);
bool RecordFree();

// Codec plug-ins. The engine's codecs all come from FFmpeg; "loading" a plug-in
// checks that the codecs it stands for are present. Known names: "wma", "aac",
// "ac3", "cd". Returns a non-zero handle when every codec the plug-in needs is
// available, else 0 with kErrFileForm (unknown name) or kErrCodec (codec missing).
uint32_t PluginLoad(const std::string& name);

// What FFmpeg offers for the formats the program plays and records.
struct CodecReport {
  std::vector<std::string> decoders;  // available decoder names among those the program uses
  std::vector<std::string> encoders;  // available encoder names among those the program uses
  std::vector<std::string> missing;   // what the program would use that this FFmpeg lacks,
                                      // as "decoder NAME" or "encoder NAME"
};
CodecReport GetCodecReport();

// Engine options.
enum class Option {
  NetTimeout,      // connect and stall time-out in ms (default 5000)
  NetPrebuffer,    // percentage of the buffer to fill before playing (default 0)
  NetPlaylist,     // 1 = follow PLS/M3U bodies to their first stream (default 1)
  WmaAsx,          // accepted for compatibility; no effect
  WmaPrebuffer,    // accepted for compatibility; no effect
  WmaBassFile,     // accepted for compatibility; no effect
};
bool SetConfig(Option option, int value);  // kErrIllParam for a value out of range
int GetConfig(Option option);

// Proxy for the next URL streams: "user:password@host:port" (any part may be empty),
// or empty for a direct connection. A port that is not 1-65535 makes StreamCreateURL
// fail with kErrIllParam.
void SetProxy(const std::string& proxy);
std::string GetProxy();

// Global output volume 0-100 (applied to everything the output plays).
// Fails with kErrIllParam outside 0-100 and kErrInit before Init.
bool SetVolume(int volume);
int GetVolume();  // -1 with kErrInit before Init

// ---------------------------------------------------------------------------------
// Channels: one stream (URL, file, CD track or module music) decoded and played.
// A handle of 0 is a failure whose reason is ErrorGetCode(). Positions and lengths are
// byte counts of the decoded sound at the channel's own rate and channel count, as
// 16-bit samples (so 1 s of 44.1 kHz stereo is 176400 bytes).

using Handle = uint32_t;

// Stream type codes reported by ChannelGetInfo.
enum StreamType : uint32_t {
  kTypeOgg = 0x10002,
  kTypeMp2 = 0x10004,
  kTypeMp3 = 0x10005,
  kTypeWma = 0x10300,
  kTypeWm3 = 0x10301,   // WMA Pro
  kTypeAac = 0x10B00,
  kTypeMp4 = 0x10B01,   // AAC in MP4/M4A
  kTypeAc3 = 0x11000,
  kTypeFlac = 0x10900,
  kTypeOggFlac = 0x10901,  // FLAC in Ogg
  kTypeOpus = 0x11200,     // Opus (in Ogg)
  kTypeCda = 0x10200,   // CD track
  kTypeWav = 0x40000,   // WAV file, sample format not told apart
  kTypeWavPcm = 0x50001,  // WAV file, integer PCM
  kTypeWavFloat = 0x50003,  // WAV file, 32-bit float
};

struct ChannelInfo {
  int freq = 0;        // sample rate in Hz
  int chans = 0;       // channel count
  uint32_t ctype = 0;  // StreamType, or another value for codecs outside the table
};

// Sample hook: receives each block of decoded sound of a channel as it is played,
// interleaved floats (-1..1) at the channel's rate and channel count, before the global
// volume. Runs on the channel's playback thread; it must not block for long.
using DspProc = std::function<void(const float* samples, size_t frames, int channels, int rate)>;

// Sync callbacks run on an engine thread (a channel's decoding or download thread).
// `data` is the metadata text for kSyncMeta, empty for kSyncEnd.
//  - kSyncMeta: each time a URL stream sends a metadata block with text, that text as
//    the stream sent it (e.g. "StreamTitle='Artist - Song';StreamUrl='';", read as
//    Windows-1252 when it is not UTF-8). When an Ogg stream starts a new chained stream
//    (Icecast does at each title change), "StreamTitle='ARTIST - TITLE';" (or TITLE
//    alone) built from its new comments. The sync fires when the output plays the
//    sound that followed the block in the stream (the title's place; see
//    kEncodeCutAtTitle in engine_record.h), on the channel's decoding thread, in the
//    stream's order; titles that came while the stream was connecting raise none.
//  - kSyncEnd: once, when a file or CD channel has played to its end (after its last
//    sound was heard); the channel then no longer plays. Play starts it over.
// A callback may call any engine function, StreamFree of its own channel included.
enum SyncType : uint32_t { kSyncEnd = 2, kSyncMeta = 4 };
using SyncProc = std::function<void(Handle channel, const std::string& data)>;

// Kinds of tag blocks for ChannelGetTags.
enum TagType : uint32_t {
  kTagId3 = 0, kTagId3v2 = 1, kTagOgg = 2, kTagHttp = 3, kTagIcy = 4, kTagMeta = 5,
  kTagMp4 = 7, kTagWma = 8,
};

// Length unit for ChannelGetData's FFT request: 1024 samples in, 512 magnitudes out.
constexpr uint32_t kDataFFT1024 = 0x80000002u;

// HTTP, HTTPS (certificates verified; CURL_CA_BUNDLE may name the CA file) or old
// "ICY 200 OK" servers; redirects followed; "Icy-MetaData: 1" sent; the proxy of
// SetProxy; a PLS or M3U body is followed to its first stream (NetPlaylist option).
// Returns once the stream's format is known. Errors: kErrInit, kErrFileOpen (refused,
// HTTP error, TLS failure, redirect loop, bad URL), kErrNoNet (host unknown),
// kErrTimeout (no answer or data within the NetTimeout option), kErrFileForm (not
// audio: an HTML page, an empty playlist), kErrCodec (no decoder). The channel is
// live: no length, seeks fail with kErrNotFile.
Handle StreamCreateURL(const std::string& url);
// MP3, MP2, AAC (ADTS), MP4/M4A, Ogg Vorbis, WMA, AC3, WAV, FLAC and what else FFmpeg
// reads. Errors: kErrInit, kErrFileOpen (missing, unreadable), kErrFileForm (not an
// audio file), kErrCodec (no decoder), kErrFormat (sample format out of range).
// A WAV, MPEG audio, Ogg Vorbis, WMA or ADTS file with a sound header opens from that
// header alone (info, length and size at once, in microseconds); its decoder opens at
// the first play, seek or tag request, and a file that fails then ends the channel
// (end sync) instead of playing.
Handle StreamCreateFile(const std::string& path);
// Module music (MOD/XM/IT/S3M) only, through FFmpeg's libopenmpt demuxer; type codes
// 0x20000 MOD, 0x20001 MTM, 0x20002 S3M, 0x20003 XM, 0x20004 IT.
Handle MusicLoad(const std::string& path);
bool ChannelGetInfo(Handle channel, ChannelInfo* info);
// Times the output found the channel short of sound while it played and before its
// source ended: each is a gap heard as a stutter (a network stall counts once, however
// long). -1 for an unknown handle.
int64_t ChannelGetUnderruns(Handle channel);
// Network stream: mode 0 = the byte of the stream the decoder has reached, 1 = bytes
// downloaded, 2 = the buffer's capacity (about 4 s of audio at the stream's bit rate),
// so (1 - 0) x 100 / 2 is the fill level; 2 answers -1 once the download has ended
// (server closed, stalled past the time-out, failed). 1000 = -1 (no WMA buffering).
// Files: 0 = read position, 1 and 2 = file size. -1 when unavailable.
int64_t StreamGetFilePosition(Handle channel, int mode);
// The tag block of a kind: texts each ended by '\0', the block ended by an empty text;
// empty when the channel has none of that kind.
std::string ChannelGetTags(Handle channel, TagType type);
// Returns a sync id (non-zero), 0 on failure.
uint32_t ChannelSetSync(Handle channel, SyncType type, SyncProc proc);
bool ChannelRemoveSync(Handle channel, uint32_t sync);
// Play resumes where the channel was paused or stopped (restart: files start over);
// a file that played to its end starts over. Pause fails with kErrNoPlay when the
// channel does not play. Stop is Pause that also applies to a paused channel.
bool ChannelPlay(Handle channel, bool restart = false);
bool ChannelPause(Handle channel);
bool ChannelStop(Handle channel);
bool StreamFree(Handle channel);
int64_t ChannelGetPosition(Handle channel);
int64_t ChannelGetLength(Handle channel);  // -1 when unknown (live streams)
double ChannelBytes2Seconds(Handle channel, int64_t bytes);
// Files and CD tracks only (kErrNotFile for URL streams); kErrPosition past the end.
bool ChannelSetPosition(Handle channel, int64_t bytes);
// kDataFFT1024: fills 512 non-negative magnitudes of what is heard now (the last 1024
// samples that reached the output, mixed to mono, Hann window; bin k is k x the
// output rate / 1024); returns the number of bytes written (2048), or -1 when the
// channel does not play (kErrNoPlay). Scaling: a full-scale sine on a bin gives 1.0
// there, one at -20 dBFS gives 0.1 (see spectrum.h).
int ChannelGetData(Handle channel, float* buffer, uint32_t length);
// Sample hook: returns a hook id (non-zero) or 0. Removing waits for a running call to
// end, unless it is called from within the hook itself.
uint32_t ChannelSetDSP(Handle channel, DspProc proc);
bool ChannelRemoveDSP(Handle channel, uint32_t dsp);

}  // namespace zengine
#include "playback/engine/engine_record.h"
