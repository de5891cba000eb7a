#include "playback/engine/net/netsource.h"

#include <algorithm>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/mem.h>
}

#include "playback/engine/decode/tagtexts.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/textutil.h"

namespace zengine {

namespace {
constexpr int kIoBufferSize = 4096;

// The demuxer a content type names; null when the bytes must tell.
const char* DemuxerFor(const std::string& type) {
  if (type == "audio/mpeg" || type == "audio/mp3" || type == "audio/mpeg3") return "mp3";
  if (type == "audio/aac" || type == "audio/aacp" || type == "audio/x-aac") return "aac";
  if (type == "application/ogg" || type == "audio/ogg" || type == "audio/x-ogg") return "ogg";
  if (type == "audio/x-ms-wma" || type == "video/x-ms-asf" || type == "audio/x-ms-asf")
    return "asf";
  if (type == "audio/flac" || type == "audio/x-flac") return "flac";
  if (type == "audio/ac3") return "ac3";
  return nullptr;
}
}  // namespace

// Decoding thread (or the opening thread while probing).
int NetSource::ReadPacket(void* opaque, uint8_t* buf, int size) {
  auto* self = static_cast<NetSource*>(opaque);
  const int64_t pos = self->download_->Buffer().ReadPos();
  const size_t n = self->download_->Buffer().Read(reinterpret_cast<char*>(buf),
                                                  static_cast<size_t>(size));
  if (self->chainTitles_ && n > 0) {
    self->chainTitles_->Feed(pos, std::string_view(reinterpret_cast<const char*>(buf), n));
    int64_t at = 0;
    std::string text;
    while (self->chainTitles_->Take(&at, &text)) self->decoder_->AddByteMark(at, std::move(text));
  }
  return n == 0 ? AVERROR_EOF : static_cast<int>(n);
}

std::unique_ptr<NetSource> NetSource::Open(std::unique_ptr<HttpDownload>* download, int* error) {
  std::unique_ptr<NetSource> s(new NetSource());
  s->download_ = std::move(*download);
  // On failure the download goes back to the caller, who may still be aborting it.
  auto giveBack = [&] {
    *download = std::move(s->download_);
    return nullptr;
  };
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
  if (buffer)
    s->io_ = avio_alloc_context(buffer, kIoBufferSize, 0, s.get(), &NetSource::ReadPacket,
                                nullptr, nullptr);
  if (!s->io_) {
    av_free(buffer);
    *error = kErrMem;
    return giveBack();
  }
  s->decoder_ = FfDecoder::OpenStream(s->io_, &s->abort_,
                                      DemuxerFor(s->download_->ContentType()), error);
  if (!s->decoder_) {
    // The body ended or failed before a format was found: say why when we know.
    const int end = s->download_->Buffer().EndError();
    if (end == kErrTimeout) *error = kErrTimeout;
    return giveBack();
  }
  if (s->download_->Header("icy-br").empty() && s->decoder_->BitRate() > 0)
    s->download_->Buffer().SetLimit(BufferBytesFor(s->decoder_->BitRate()));
  s->meta_ = s->download_->LastMeta();
  if (s->meta_.empty()) {
    // An Ogg station's title is in its comments: offer it the way ICY titles come.
    s->meta_ = StreamTitleFromComments(s->decoder_->Tags(kTagOgg));
  }
  NetSource* raw = s.get();
  // Download thread: an ICY metadata block.
  s->download_->SetMetaHandler([raw](const std::string& text) { raw->OnMeta(text); });
  // A chained Ogg stream's title is placed in the sound by the decoder.
  s->decoder_->PlaceTitles(true);
  const uint32_t type = s->decoder_->TypeCode();
  if (type == kTypeOpus || type == kTypeOggFlac)
    s->chainTitles_ = std::make_unique<OggChainTitles>(type == kTypeOggFlac);
  *error = kOk;
  return s;
}

NetSource::~NetSource() {
  Abort();
  decoder_.reset();  // before the reader it uses
  if (io_) {
    av_freep(&io_->buffer);
    avio_context_free(&io_);
  }
  download_.reset();  // joins the download thread
}

// Decoding thread.
long NetSource::Read(float* dst, size_t frames) {
  std::vector<PendingTitle> titles;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reading_ = true;
    titles.swap(pendingTitles_);
  }
  for (PendingTitle& t : titles) decoder_->AddByteMark(t.pos, std::move(t.text));
  return decoder_->Read(dst, frames);
}

// Decoding thread.
bool NetSource::TakeTitleMark(TitleMark* mark) {
  if (!decoder_->TakeTitleMark(mark)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  meta_ = mark->text;
  return true;
}

bool NetSource::SeekFrame(int64_t) { return Fail(kErrNotFile); }

void NetSource::Abort() {
  abort_ = true;
  if (decoder_) decoder_->Abort();
  if (download_) download_->Abort();
}

// Download thread: the audio before the block is in the buffer already, so the title
// lies before the buffer's next byte.
void NetSource::OnMeta(const std::string& text) {
  const int64_t pos = download_->Buffer().Written();
  std::lock_guard<std::mutex> lock(mutex_);
  if (!reading_) {
    meta_ = text;  // still connecting: the connection's title
    return;
  }
  // The decoding thread places it at its next Read. The download stops while the
  // buffer is full, so few titles ever wait here.
  pendingTitles_.push_back({pos, text});
}

void NetSource::SetMetaSink(MetaSink sink) {
  std::lock_guard<std::mutex> lock(mutex_);
  sink_ = std::move(sink);
}

std::string NetSource::Tags(TagType type) const {
  switch (type) {
    case kTagHttp:
    case kTagIcy: {
      if ((type == kTagIcy) != download_->IsIcy()) return std::string();
      std::vector<std::string> lines = download_->HeaderLines();
      // A station that does not announce its bit rate: the one its frames give, so that
      // it is shown and kept with the station as an announced one is.
      if (download_->Header("icy-br").empty() && decoder_->BitRate() > 0)
        lines.push_back("icy-br:" + std::to_string((decoder_->BitRate() + 500) / 1000));
      return MakeTagBlock(lines);
    }
    case kTagMeta: {
      std::lock_guard<std::mutex> lock(mutex_);
      return MakeTagBlock(meta_.empty() ? std::vector<std::string>{}
                                        : std::vector<std::string>{meta_});
    }
    default: return decoder_->Tags(type);
  }
}

int64_t NetSource::FilePosition(int mode) const {
  const NetBuffer& buffer = download_->Buffer();
  switch (mode) {
    case 0: {
      // Where the decoder is: never behind what it has taken from the buffer less
      // what the demuxer still holds, never ahead of the download.
      const int64_t pos = decoder_->FilePosition(0);
      return std::min(pos > 0 ? pos : buffer.ReadPos(), buffer.Written());
    }
    case 1: return buffer.Written();
    case 2: {
      if (buffer.Ended()) return -1;
      // Never less than what waits in it (the limit may drop once the bit rate is known).
      const int64_t waiting = buffer.Written() - FilePosition(0);
      return std::max(static_cast<int64_t>(buffer.Capacity()), waiting);
    }
    default: return -1;
  }
}

}  // namespace zengine
