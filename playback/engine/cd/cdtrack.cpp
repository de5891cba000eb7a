#include "playback/engine/cd/cdtrack.h"

#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <stdio.h>

#include "playback/engine/lasterror.h"

namespace zengine {

std::unique_ptr<CdTrack> CdTrack::Open(const std::string& drive, int number) {
  std::unique_ptr<CdTrack> t(new CdTrack());
  t->cdio_ = OpenCdDrive(drive);
  CdToc toc;
  if (!t->cdio_ || !ReadCdToc(t->cdio_, &toc)) {
    SetLastError(kErrFileOpen);
    return nullptr;
  }
  const CdTocTrack* track = toc.Find(number);
  if (!track || !track->audio) {
    SetLastError(kErrNotAvail);
    return nullptr;
  }
  t->track_ = *track;
  t->drive_ = cdio_cddap_identify_cdio(t->cdio_, CDDA_MESSAGE_FORGETIT, nullptr);
  if (!t->drive_ || cdio_cddap_open(t->drive_) != 0) {
    SetLastError(kErrFileOpen);
    return nullptr;
  }
  t->paranoia_ = cdio_paranoia_init(t->drive_);
  if (!t->paranoia_) {
    SetLastError(kErrFileOpen);
    return nullptr;
  }
  cdio_paranoia_modeset(t->paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
  cdio_paranoia_seek(t->paranoia_, static_cast<int32_t>(t->track_.firstSector), SEEK_SET);
  return t;
}

CdTrack::~CdTrack() {
  if (paranoia_) cdio_paranoia_free(paranoia_);
  if (drive_) cdio_cddap_close_no_free_cdio(drive_);
  if (cdio_) cdio_destroy(cdio_);
}

// Channel decoding thread.
long CdTrack::Read(float* dst, size_t frames) {
  size_t done = 0;
  while (done < frames) {
    if (sectorPos_ * 2 >= sector_.size()) {
      if (nextSector_ >= track_.sectors) break;  // end of the track
      const int16_t* data = cdio_paranoia_read(paranoia_, nullptr);
      if (!data) {
        if (done > 0) break;
        SetLastError(kErrDecode);
        return -1;
      }
      sector_.assign(data, data + kCdFramesPerSector * 2);
      sectorPos_ = 0;
      ++nextSector_;
    }
    const size_t left = sector_.size() / 2 - sectorPos_;
    const size_t n = std::min(left, frames - done);
    const int16_t* from = sector_.data() + sectorPos_ * 2;
    for (size_t i = 0; i < n * 2; ++i) dst[done * 2 + i] = static_cast<float>(from[i]) / 32768.0f;
    done += n;
    sectorPos_ += n;
  }
  return static_cast<long>(done);
}

// Channel decoding thread.
bool CdTrack::SeekFrame(int64_t frame) {
  if (frame < 0 || frame > LengthFrames()) return Fail(kErrPosition);
  const int64_t sector = frame / kCdFramesPerSector;
  nextSector_ = sector;
  sector_.clear();
  sectorPos_ = 0;
  cdio_paranoia_seek(paranoia_, static_cast<int32_t>(track_.firstSector + sector), SEEK_SET);
  const size_t skip = static_cast<size_t>(frame % kCdFramesPerSector);
  if (skip > 0 && sector < track_.sectors) {
    // Land inside the sector: read it and hand out only its tail.
    std::vector<float> scratch(skip * 2);
    if (Read(scratch.data(), skip) != static_cast<long>(skip)) return Fail(kErrPosition);
  }
  return Succeed();
}

}  // namespace zengine
