// The table of contents of an audio CD (a drive's device, or a BIN/CUE image standing in
// for a disc), read with libcdio.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef struct _CdIo CdIo_t;

namespace zengine {

constexpr int kCdFramesPerSector = 588;  // 2352 bytes of 16-bit stereo
constexpr int kCdSectorsPerSecond = 75;
constexpr int kCdRate = 44100;

struct CdTocTrack {
  int number = 0;          // as on the disc, from 1
  bool audio = false;
  uint32_t firstSector = 0;  // LSN
  uint32_t sectors = 0;
};

struct CdToc {
  std::vector<CdTocTrack> tracks;
  uint32_t leadout = 0;  // LSN of the lead-out
  uint32_t discId = 0;   // the disc's freedb id
  const CdTocTrack* Find(int number) const;
};

// Opens a drive: a path ending in ".cue" is a BIN/CUE image, anything else a device.
// nullptr when it cannot be opened. Free with cdio_destroy.
CdIo_t* OpenCdDrive(const std::string& drive);

// Reads the table of contents of the disc in an open drive; false when there is no
// disc or no track.
bool ReadCdToc(CdIo_t* cdio, CdToc* toc);

}  // namespace zengine
