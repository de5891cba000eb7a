#include "playback/engine/cd/cdtracktoc.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

namespace zengine {

namespace {

int DigitSum(uint32_t n) {
  int sum = 0;
  for (; n > 0; n /= 10) sum += static_cast<int>(n % 10);
  return sum;
}

// The freedb disc id: digit sums of the track start times, the playing time, the count.
uint32_t FreedbId(const CdToc& toc) {
  int sum = 0;
  for (const CdTocTrack& t : toc.tracks) sum += DigitSum((t.firstSector + 150) / kCdSectorsPerSecond);
  const uint32_t first = toc.tracks.empty() ? 0 : (toc.tracks.front().firstSector + 150) / kCdSectorsPerSecond;
  const uint32_t total = (toc.leadout + 150) / kCdSectorsPerSecond - first;
  return (static_cast<uint32_t>(sum % 0xFF) << 24) | ((total & 0xFFFF) << 8) |
         static_cast<uint32_t>(toc.tracks.size() & 0xFF);
}

}  // namespace

const CdTocTrack* CdToc::Find(int number) const {
  for (const CdTocTrack& t : tracks)
    if (t.number == number) return &t;
  return nullptr;
}

CdIo_t* OpenCdDrive(const std::string& drive) {
  // libcdio's notes (a short pregap, an image quirk) are not errors: keep stderr quiet.
  cdio_loglevel_default = CDIO_LOG_ERROR;
  const bool image = drive.size() > 4 && drive.compare(drive.size() - 4, 4, ".cue") == 0;
  return cdio_open(drive.c_str(), image ? DRIVER_BINCUE : DRIVER_DEVICE);
}

bool ReadCdToc(CdIo_t* cdio, CdToc* toc) {
  *toc = CdToc();
  const track_t first = cdio_get_first_track_num(cdio);
  const track_t count = cdio_get_num_tracks(cdio);
  if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) return false;
  const lsn_t leadout = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
  if (leadout == CDIO_INVALID_LSN) return false;
  toc->leadout = static_cast<uint32_t>(leadout);
  for (track_t t = first; t < first + count; ++t) {
    const lsn_t start = cdio_get_track_lsn(cdio, t);
    const lsn_t last = cdio_get_track_last_lsn(cdio, t);
    if (start == CDIO_INVALID_LSN || last == CDIO_INVALID_LSN || last < start) return false;
    CdTocTrack track;
    track.number = t;
    track.audio = cdio_get_track_format(cdio, t) == TRACK_FORMAT_AUDIO;
    track.firstSector = static_cast<uint32_t>(start);
    track.sectors = static_cast<uint32_t>(last - start + 1);
    toc->tracks.push_back(track);
  }
  toc->discId = FreedbId(*toc);
  return true;
}

}  // namespace zengine
