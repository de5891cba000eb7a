#include "playback/engine/record/wavwriter.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "playback/engine/engine.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/record/encoderwavheader.h"

namespace zengine {

std::unique_ptr<WavWriter> WavWriter::Create(const std::string& path, int rate, int channels) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetLastError(kErrCreate);
    return nullptr;
  }
  auto writer = std::unique_ptr<WavWriter>(new WavWriter(fd, rate, channels));
  writer->headerSize_ = MakeWavHeader(rate, channels, kWavSizeUnknown).size();
  return writer;
}

WavWriter::~WavWriter() {
  if (fd_ >= 0) close(fd_);
}

// Writer thread.
bool WavWriter::Write(const uint8_t* data, size_t size, const StopDeadline&) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd_, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // Disk full, ...: the recording ends here. What did reach the file counts, so the
      // header written at the end covers every whole frame of it.
      written_ += done;
      std::lock_guard<std::mutex> lock(mutex_);
      failed_ = true;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  written_ += size;
  return true;
}

// Writer thread.
void WavWriter::Finish(Deadline) {
  if (fd_ < 0) return;
  if (written_ >= headerSize_) {
    // Whole frames only: a header that claims a partial frame confuses readers.
    const uint64_t frameBytes = static_cast<uint64_t>(channels_) * 2;
    const uint64_t sound = (written_ - headerSize_) / frameBytes * frameBytes;
    const std::vector<uint8_t> header = MakeWavHeader(rate_, channels_, sound);
    if (pwrite(fd_, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size())) {
      std::lock_guard<std::mutex> lock(mutex_);
      failed_ = true;
    }
  }
  close(fd_);
  fd_ = -1;
}

// Any thread.
bool WavWriter::Alive() {
  std::lock_guard<std::mutex> lock(mutex_);
  return !failed_;
}

}  // namespace zengine
