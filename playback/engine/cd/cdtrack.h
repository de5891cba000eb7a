// cd/: audio CDs: tables of contents, ".cda" track descriptors and CD-track channels.
//
// CdTrack: the sound of one audio-CD track, read with libcdio-paranoia (error
// correction on, skipping what cannot be read rather than retrying for ever), as a
// PcmSource: 44100 Hz stereo floats, with a length and seeking to any frame.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "playback/engine/cd/cdtracktoc.h"
#include "playback/engine/pcmsource.h"

typedef struct cdrom_drive_s cdrom_drive_t;
typedef struct cdrom_paranoia_s cdrom_paranoia_t;

namespace zengine {

class CdTrack : public PcmSource {
 public:
  // Opens track `number` of the disc in `drive` (device path or .cue image). nullptr
  // with the last error: kErrFileOpen (no drive or disc), kErrNotAvail (no such audio
  // track). Any thread.
  static std::unique_ptr<CdTrack> Open(const std::string& drive, int number);
  ~CdTrack() override;

  int Rate() const override { return kCdRate; }
  int Channels() const override { return 2; }
  uint32_t TypeCode() const override { return kTypeCda; }
  long Read(float* dst, size_t frames) override;  // decoding thread
  int64_t LengthFrames() const override { return int64_t{track_.sectors} * kCdFramesPerSector; }
  bool SeekFrame(int64_t frame) override;         // decoding thread

 private:
  CdTrack() = default;

  CdIo_t* cdio_ = nullptr;
  cdrom_drive_t* drive_ = nullptr;
  cdrom_paranoia_t* paranoia_ = nullptr;
  CdTocTrack track_;
  int64_t nextSector_ = 0;             // within the track: the next sector paranoia gives
  std::vector<int16_t> sector_;        // the sector being handed out
  size_t sectorPos_ = 0;               // frames of sector_ already given
};

}  // namespace zengine
