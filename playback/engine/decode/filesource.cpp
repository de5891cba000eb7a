#include "playback/engine/decode/filesource.h"

#include "playback/engine/decode/ffdecoder.h"
#include "playback/engine/lasterror.h"

namespace zengine {

FileSource::FileSource(std::string path, const FileHeader& header)
    : path_(std::move(path)), header_(header) {}

FileSource::~FileSource() = default;

FfDecoder* FileSource::Decoder() const {
  if (FfDecoder* d = ready_.load(std::memory_order_acquire)) return d;
  std::lock_guard<std::mutex> lock(openMutex_);
  if (FfDecoder* d = ready_.load(std::memory_order_relaxed)) return d;
  if (aborted_.load()) {
    Fail(kErrHandle);
    return nullptr;
  }
  if (openError_ != 0) {
    Fail(openError_);
    return nullptr;
  }
  int error = kOk;
  decoder_ = FfDecoder::OpenFile(path_, nullptr, &error, header_.rate, header_.channels);
  if (!decoder_) {
    openError_ = error != kOk ? error : kErrFileForm;
    Fail(openError_);
    return nullptr;
  }
  if (sink_) decoder_->SetMetaSink(sink_);
  ready_.store(decoder_.get(), std::memory_order_release);
  return decoder_.get();
}

long FileSource::Read(float* dst, size_t frames) {
  FfDecoder* d = Decoder();
  return d ? d->Read(dst, frames) : -1;
}

bool FileSource::SeekFrame(int64_t frame) {
  FfDecoder* d = Decoder();
  return d && d->SeekFrame(frame);
}

void FileSource::Abort() {
  aborted_ = true;
  std::lock_guard<std::mutex> lock(openMutex_);
  if (decoder_) decoder_->Abort();
}

std::string FileSource::Tags(TagType type) const {
  FfDecoder* d = Decoder();
  return d ? d->Tags(type) : std::string();
}

int64_t FileSource::FilePosition(int mode) const {
  if (mode == 1 || mode == 2) return header_.fileSize;  // a file is all "downloaded"
  if (mode == 0) {
    FfDecoder* d = ready_.load(std::memory_order_acquire);
    return d ? d->FilePosition(0) : 0;
  }
  return -1;
}

void FileSource::SetMetaSink(MetaSink sink) {
  std::lock_guard<std::mutex> lock(openMutex_);
  sink_ = sink;
  if (decoder_) decoder_->SetMetaSink(std::move(sink));
}

}  // namespace zengine
