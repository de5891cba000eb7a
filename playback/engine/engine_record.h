// Zovalis audio engine, recording side: encoder programs and the WAV writer fed from a
// playing channel, the WMA writer, and audio-CD tracks. Part of the engine's one header
// (engine.h includes this file); same error conventions: 0 or false on failure, the
// reason in ErrorGetCode().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "playback/engine/engine.h"

namespace zengine {

// ---------------------------------------------------------------------------------
// Encoders fed from a channel.
//
// Each encoder hooks the channel's decoded sound (ChannelSetDSP), converts it to 16-bit
// PCM at the channel's rate and channel count and hands it to its own writer thread
// through a bounded queue (10 s of sound), so the playback thread never waits for it.
// When the encoder falls 10 s behind, whole blocks are dropped (the file gets a gap,
// playback goes on) until it catches up; EncodeGetDropped counts them.
// Recording follows what the channel plays: nothing is written while it is paused or
// stopped, and freeing the channel ends the recording (the file is completed).

// Flag of EncodeStart: the engine writes a WAV file itself; `commandLine` is then the
// file's path.
constexpr uint32_t kEncodePcm = 0x40;

// Flag of EncodeStart: cut the file at the stream's next title, on the exact sample.
//
// Titles of URL streams have a place in the sound: an ICY title lies before the first
// sound decoded from the stream bytes that followed its metadata block, a chained Ogg
// stream's title where the new chain begins. The metadata sync (kSyncMeta) of a title
// fires when the output plays its place (checked every 20 ms or better), not when the
// block is downloaded. A title that arrives while the stream is still connecting is
// the stream's first title: it is read from the kTagMeta tag and raises no sync.
//
// When the decoding reaches the place of a title whose text differs from the last one,
// an encoder started with this flag takes no more sound: the sound after the place is
// held for the channel (at most 30 s; more is dropped and counted by EncodeGetDropped).
// The recorder, told by the sync, stops that encoder (its file ends with the last
// sample before the place) and starts the next on the same channel: EncodeStart hands
// the held sound to it first and then the channel's sound as it comes, so the next
// file begins with the first sample after the place, whatever the delay of the thread
// that cut. Nothing is lost or doubled between the two files. When the encoder is not
// stopped within 5 s of the place (nobody cut: the same song goes on), the held sound
// goes back to it and its file goes on without a gap. An encoder started more than 10 s
// after the place gets no held sound (it is a new recording, not a cut); held sound is
// let go after 30 s.
constexpr uint32_t kEncodeCutAtTitle = 0x100;

// Flag of EncodeStart: the file begins with the song playing, from its first sample:
// the sound the channel's title hold (ChannelHoldTitle) kept since the song's place,
// then the channel's sound as it comes. Without a hold on the channel the flag does
// nothing. The held sound is handed over as fast as the encoder takes it.
constexpr uint32_t kEncodeFromTitle = 0x200;

// Starts an encoder on `channel`.
// - flags 0: `commandLine` is split into words as a shell splits quoted words (no shell
//   runs, nothing is expanded; see EncodeEscape for texts put between double quotes).
//   The first word is the program; a relative path is taken from the program folder
//   (EncodeSetProgramFolder). The program gets, on its standard input, a WAV header
//   whose sizes are marked unknown (0xFFFFFFFF), then the sound; its standard output
//   and error go to /dev/null.
// - kEncodePcm: the WAV file `commandLine` is created; its header holds the right sizes
//   once the encoder is stopped.
// Returns the encoder handle, or 0: kErrHandle (no such channel), kErrIllParam (empty
// or badly quoted command line), kErrFileOpen (the program is not an executable file
// or cannot start), kErrCreate (the WAV file cannot be created). Any thread.
Handle EncodeStart(Handle channel, const std::string& commandLine, uint32_t flags);

// 1 while the encoder runs and takes data; 0 once its program has ended or closed its
// input, a write failed, or its channel was freed (also 0 with kErrHandle for an unknown
// handle). Any thread; answers at once.
int EncodeIsActive(Handle encoder);

// Stops the encoder and frees its handle: unhooks it, lets the writer send what is
// queued (at most 3 s), closes the program's input and waits for the program to finish
// its file (at most 5 s more; then it is killed), or completes the WAV file. Stopping an
// encoder whose program already ended just frees it. kErrHandle for an unknown handle.
// An encoder that ended by itself and is never stopped (the recorder forgets inactive
// ones) is freed by the next EncodeStart; its handle then counts as unknown.
// Interface thread (it waits).
bool EncodeStop(Handle encoder);

// Moves a running encoder to another channel of the same rate and channel count: the
// file goes on with that channel's sound, and freeing the old channel no longer ends it.
// Used when a dropped station is reconnected on a new channel (the gap in the file is
// the outage). kErrHandle (unknown encoder or channel), kErrFormat (another rate or
// channel count), kErrNotAvail (the encoder has ended). Interface thread.
bool EncodeSetChannel(Handle encoder, Handle channel);

// Sound dropped so far because the encoder fell behind, in frames; -1 with kErrHandle
// for an unknown handle.
int64_t EncodeGetDropped(Handle encoder);

// The folder relative program paths are taken from: by default the folder of the
// running executable (the program folder, which holds encoder/).
void EncodeSetProgramFolder(const std::string& folder);
std::string EncodeGetProgramFolder();

// `text` made safe to put between double quotes in a command line: " and \ are
// preceded by a backslash, so a stream title cannot end the quoted word early and add
// words of its own.
std::string EncodeEscape(const std::string& text);

// ---------------------------------------------------------------------------------
// Title hold: the sound since the last title's place, so a recording can begin on the
// first sample of the song playing (kEncodeFromTitle, ChannelSetDSPFromTitle).
//
// The sound is kept as 16-bit PCM in an unlinked temporary file of `folder` (TMPDIR or
// /tmp when empty), as a ring: at most `maxSeconds` of sound, the oldest going first;
// memory stays at one block. It is let go when the channel is freed or the hold is
// removed (maxSeconds 0). A song's place is a title text that differs from the last.

// Starts (or, with maxSeconds 0, removes) the hold of `channel`. A hold already there
// is kept. False with kErrHandle for an unknown channel.
bool ChannelHoldTitle(Handle channel, int maxSeconds, const std::string& folder);

struct HeldTitle {
  double seconds = 0;      // sound kept of the song playing
  bool fromStart = false;  // the song's place was heard (false: tuned in mid-song)
  bool truncated = false;  // the song is longer than the hold keeps: it begins later
  std::string title;       // the song's metadata text
  int64_t fileBytes = 0;   // the hold's file on disk
};
// What the hold of `channel` keeps now; false with kErrNotAvail when it has none.
bool ChannelGetHeldTitle(Handle channel, HeldTitle* out);

// A sample hook that first gets the held sound of the song playing (from its first
// sample, replayed several times faster than it plays), then each block as it is
// played; as ChannelSetDSP when the channel has no hold. Remove it with
// ChannelRemoveDSPFromTitle.
uint32_t ChannelSetDSPFromTitle(Handle channel, DspProc proc);
bool ChannelRemoveDSPFromTitle(Handle channel, uint32_t hook);

// ---------------------------------------------------------------------------------
// WMA writer: libavcodec's wmav2 encoder in an ASF file.

// Flags of WmaEncodeGetRates / WmaEncodeOpenFile.
constexpr uint32_t kWmaStandard = 0x2000;
constexpr uint32_t kWmaPro = 0x4000;  // accepted; this engine writes standard WMA (wmav2)

// The bit rates (bits/s, highest first) the codec offers for `freq` Hz and `chans`
// channels; empty (the "null" answer) when no WMA codec takes that format: rates
// outside 8000-48000 Hz, more than 2 channels.
std::vector<int> WmaEncodeGetRates(int freq, int chans, uint32_t flags);

// Creates the WMA file `path` for `freq` Hz, `chans` channels at `bitrate` bits/s.
// Returns a writer handle or 0: kErrFormat (format no codec takes), kErrCreate (file),
// kErrCodec (encoder missing or refusing the bit rate). Any thread.
Handle WmaEncodeOpenFile(int freq, int chans, uint32_t flags, int bitrate, const std::string& path);

// Stores a tag ("Author", "Title", or any other ASF attribute name; UTF-8 text). Tags
// must be set before the first write (they live in the file's header); later calls fail
// with kErrNotAvail. Any thread.
bool WmaEncodeSetTag(Handle writer, const std::string& tag, const std::string& text);

// Queues interleaved float samples of `channels` channels at `rate` Hz for encoding; they
// are converted to the writer's format (a mono channel fills both sides of a stereo
// file, another rate is resampled). Never waits for the encoder or the disk (same
// bounded queue as the encoders). Meant to be called from a sample hook (playback
// thread); safe while another thread closes the writer: the call then fails with
// kErrHandle and writes nothing.
bool WmaEncodeWrite(Handle writer, const float* samples, size_t frames, int channels, int rate);

// Encodes what is queued, completes the file and frees the handle. Interface thread.
bool WmaEncodeClose(Handle writer);

// ---------------------------------------------------------------------------------
// Audio CD.
//
// How a ".cda" path names a disc and a track on Linux:
// - A ".cda" file is the 44-byte descriptor the tracks of an audio CD have on the
//   desktop the program comes from: "RIFF", size 36, "CDDA", "fmt ", size 24, then
//   16-bit version 1, 16-bit track number (from 1), 32-bit disc id (the freedb id of
//   the disc), 32-bit first sector (LBA), 32-bit length in sectors, the start and the
//   length as frame/second/minute/0 bytes; all little-endian. The track number read
//   there is what plays; the file name is only shown to the user.
// - The drive is named by the folder the file lies in: its ".drive" file, when present,
//   holds the drive's device path (/dev/sr0) or a BIN/CUE image (a .cue path) on its
//   first line; without it, a folder named after a device in /dev ("sr0") names that
//   device; otherwise the first CD drive found is used.
// - The program keeps one folder per drive, DataFolder + "CD/" + the device's name
//   (~/.local/share/ZOVA/CD/sr0/), and fills it with CDWriteTrackFiles for the disc in
//   the drive: "Track01.cda" ... one per audio track, plus ".drive". The playlist's
//   "add files" dialog refreshes these folders (CDGetDrives, then CDWriteTrackFiles for
//   each) before it opens, so the user finds the tracks there and adds them like files.
// - The disc id is written for information: the track number of the disc in the drive
//   plays, as on the original desktop.

// Parsed ".cda" descriptor.
struct CdaInfo {
  int track = 0;
  uint32_t discId = 0;
  uint32_t firstSector = 0;
  uint32_t sectors = 0;
};

// Reads and checks a ".cda" descriptor. False with kErrFileOpen (unreadable) or
// kErrFileForm (not a CDDA descriptor).
bool CDReadCda(const std::string& path, CdaInfo* info);

// The drive (device path or .cue image) a ".cda" file names; empty when none.
std::string CDDriveOfCda(const std::string& cdaPath);

// The CD drives of this machine (device paths), possibly none.
std::vector<std::string> CDGetDrives();

// Number of tracks of the disc in `drive` (a device path or a .cue image); -1 with
// kErrNotAvail when there is no readable disc.
int CDGetTracks(const std::string& drive);

// Length in seconds of track `track` (from 1), audio or not; -1 on failure.
double CDGetTrackLength(const std::string& drive, int track);

// Fills `folder` (created when missing) with one ".cda" per audio track of the disc in
// `drive` and the ".drive" file; ".cda" files of a previous disc are removed. False
// with kErrNotAvail (no disc) or kErrCreate (folder or file not writable).
bool CDWriteTrackFiles(const std::string& drive, const std::string& folder);

// A channel playing the CD track a ".cda" file names, like a file: length, position,
// seek, end sync; 44100 Hz stereo, type kTypeCda. 0 on failure: kErrFileOpen (no such
// descriptor or drive, no disc), kErrFileForm (not a descriptor), kErrNotAvail (no
// such audio track on the disc), or the channel's own errors (kErrInit).
Handle CDStreamCreateFile(const std::string& cdaPath);

}  // namespace zengine
