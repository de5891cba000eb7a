#include "playback/engine/record/wmawriter.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include "playback/engine/engine.h"
#include "playback/engine/lasterror.h"

namespace zengine {

namespace {

constexpr int kQueueSeconds = 10;
constexpr int kMinBitRate = 24000;  // wmav2 refuses less
constexpr int kCandidateRates[] = {320000, 256000, 192000, 160000, 128000, 96000,
                                   80000,  64000,  48000,  40000,  32000,  24000};

bool FormatTaken(int freq, int chans) {
  return freq >= 8000 && freq <= 48000 && (chans == 1 || chans == 2);
}

// A wmav2 context for the format, opened; nullptr when the codec refuses it.
AVCodecContext* OpenCodec(int freq, int chans, int bitrate) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  if (!codec) return nullptr;
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  if (!ctx) return nullptr;
  ctx->sample_fmt = AV_SAMPLE_FMT_FLTP;
  ctx->sample_rate = freq;
  av_channel_layout_default(&ctx->ch_layout, chans);
  ctx->bit_rate = bitrate;
  ctx->time_base = AVRational{1, freq};
  ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;  // asf keeps the codec's extradata in its header
  if (avcodec_open2(ctx, codec, nullptr) < 0) avcodec_free_context(&ctx);
  return ctx;
}

// Block layout in the queue: channels and rate (2 x int32), then the float samples.
constexpr size_t kBlockHeader = 8;

}  // namespace

std::vector<int> WmaWriter::Rates(int freq, int chans) {
  std::vector<int> rates;
  if (!FormatTaken(freq, chans)) return rates;
  // Offered: what the codec opens with and what stays below half the raw PCM rate,
  // beyond which WMA only spends bits.
  const int64_t ceiling = int64_t{freq} * chans * 16 / 2;
  for (const int r : kCandidateRates) {
    if (r > ceiling || r < kMinBitRate) continue;
    AVCodecContext* ctx = OpenCodec(freq, chans, r);
    if (!ctx) continue;
    avcodec_free_context(&ctx);
    rates.push_back(r);
  }
  return rates;
}

WmaWriter::WmaWriter(int freq, int chans)
    : freq_(freq), chans_(chans),
      queue_(static_cast<size_t>(freq) * 2 * sizeof(float) * kQueueSeconds * 2) {}

std::unique_ptr<WmaWriter> WmaWriter::Open(int freq, int chans, int bitrate,
                                           const std::string& path) {
  if (!FormatTaken(freq, chans)) {
    SetLastError(kErrFormat);
    return nullptr;
  }
  std::unique_ptr<WmaWriter> w(new WmaWriter(freq, chans));
  w->codec_ = bitrate >= kMinBitRate ? OpenCodec(freq, chans, bitrate) : nullptr;
  if (!w->codec_) {
    SetLastError(kErrCodec);
    return nullptr;
  }
  if (avformat_alloc_output_context2(&w->format_, nullptr, "asf", path.c_str()) < 0 || !w->format_) {
    SetLastError(kErrCodec);
    return nullptr;
  }
  AVStream* stream = avformat_new_stream(w->format_, nullptr);
  if (!stream || avcodec_parameters_from_context(stream->codecpar, w->codec_) < 0) {
    SetLastError(kErrMem);
    return nullptr;
  }
  stream->time_base = w->codec_->time_base;
  if (avio_open(&w->format_->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) {
    SetLastError(kErrCreate);
    return nullptr;
  }
  // Each packet reaches the file as it is made: a recording cut short keeps what was
  // encoded up to that moment.
  w->format_->flags |= AVFMT_FLAG_FLUSH_PACKETS;
  w->format_->flush_packets = 1;
  w->fifo_ = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, chans, w->codec_->frame_size * 4);
  w->frame_ = av_frame_alloc();
  w->packet_ = av_packet_alloc();
  if (!w->fifo_ || !w->frame_ || !w->packet_) {
    SetLastError(kErrMem);
    return nullptr;
  }
  w->writer_ = std::thread([p = w.get()] { p->WriterLoop(); });
  return w;
}

WmaWriter::~WmaWriter() {
  if (writer_.joinable()) Close();
  if (format_) {
    if (format_->pb) avio_closep(&format_->pb);
    avformat_free_context(format_);
  }
  avcodec_free_context(&codec_);
  swr_free(&swr_);
  if (fifo_) av_audio_fifo_free(fifo_);
  av_frame_free(&frame_);
  av_packet_free(&packet_);
}

bool WmaWriter::SetTag(const std::string& name, const std::string& text) {
  std::lock_guard<std::mutex> lock(headerMutex_);
  if (headerWritten_ || written_.load() || name.empty()) return Fail(kErrNotAvail);
  // The muxer writes "author" and "title" into the content description and any other
  // name as an extended attribute.
  av_dict_set(&format_->metadata, name.c_str(), text.c_str(), 0);
  return Succeed();
}

// Playback thread (from a sample hook), or any thread.
bool WmaWriter::Write(const float* samples, size_t frames, int channels, int rate) {
  if (closed_.load() || channels < 1 || channels > 8 || rate < 1000 || rate > 384000) return false;
  // A file that could not be written (a full disk) takes nothing more, and says so.
  if (failed_.load()) return false;
  written_ = true;
  const size_t bytes = frames * static_cast<size_t>(channels) * sizeof(float);
  std::vector<uint8_t> block(kBlockHeader + bytes);
  const int32_t format[2] = {channels, rate};
  memcpy(block.data(), format, kBlockHeader);
  memcpy(block.data() + kBlockHeader, samples, bytes);
  return queue_.Push(std::move(block));
}

// WMA writer thread.
void WmaWriter::WriterLoop() {
  for (;;) {
    std::optional<std::vector<uint8_t>> block = queue_.Pop(std::chrono::milliseconds(500));
    if (!block) {
      if (queue_.Closed()) break;
      continue;
    }
    if (!failed_.load() && !EncodeBlock(*block)) failed_ = true;
  }
  if (!failed_.load() && !(WriteHeaderOnce() && EncodeFifo(true) && Send(nullptr))) failed_ = true;
  if (headerWritten_ && av_write_trailer(format_) < 0) failed_ = true;
  if (format_->pb && avio_closep(&format_->pb) < 0) failed_ = true;
}

bool WmaWriter::WriteHeaderOnce() {
  std::lock_guard<std::mutex> lock(headerMutex_);
  if (headerWritten_) return true;
  if (avformat_write_header(format_, nullptr) < 0) return false;
  headerWritten_ = true;
  return true;
}

bool WmaWriter::EncodeBlock(const std::vector<uint8_t>& block) {
  if (!WriteHeaderOnce()) return false;
  int32_t format[2];
  memcpy(format, block.data(), kBlockHeader);
  const int channels = format[0];
  const int rate = format[1];
  const int frames = static_cast<int>((block.size() - kBlockHeader) / (sizeof(float) * channels));
  if (!swr_ || channels != swrChannels_ || rate != swrRate_) {
    // A new input format: convert from it to the file's (mono fills both sides, stereo
    // is mixed down for a mono file, other rates are resampled).
    swr_free(&swr_);
    AVChannelLayout in;
    av_channel_layout_default(&in, channels);
    if (swr_alloc_set_opts2(&swr_, &codec_->ch_layout, AV_SAMPLE_FMT_FLTP, freq_, &in,
                            AV_SAMPLE_FMT_FLT, rate, 0, nullptr) < 0 ||
        swr_init(swr_) < 0)
      return false;
    swrChannels_ = channels;
    swrRate_ = rate;
  }
  const int out = swr_get_out_samples(swr_, frames);
  uint8_t** planes = nullptr;
  if (av_samples_alloc_array_and_samples(&planes, nullptr, chans_, out, AV_SAMPLE_FMT_FLTP, 0) < 0)
    return false;
  const uint8_t* in[] = {block.data() + kBlockHeader};
  const int converted = swr_convert(swr_, planes, out, in, frames);
  bool ok = converted >= 0;
  if (ok && converted > 0)
    ok = av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes), converted) == converted;
  av_freep(&planes[0]);
  av_freep(&planes);
  return ok && EncodeFifo(false);
}

bool WmaWriter::EncodeFifo(bool flush) {
  const int frameSize = codec_->frame_size;
  while (av_audio_fifo_size(fifo_) >= frameSize || (flush && av_audio_fifo_size(fifo_) > 0)) {
    const int take = std::min(av_audio_fifo_size(fifo_), frameSize);
    av_frame_unref(frame_);
    frame_->nb_samples = frameSize;  // a short last frame is padded with silence
    frame_->format = AV_SAMPLE_FMT_FLTP;
    frame_->sample_rate = freq_;
    av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout);
    if (av_frame_get_buffer(frame_, 0) < 0) return false;
    av_samples_set_silence(frame_->data, 0, frameSize, chans_, AV_SAMPLE_FMT_FLTP);
    av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->data), take);
    frame_->pts = pts_;
    pts_ += frameSize;
    if (!Send(frame_)) return false;
  }
  return true;
}

bool WmaWriter::Send(AVFrame* frame) {
  if (avcodec_send_frame(codec_, frame) < 0) return false;
  for (;;) {
    const int rc = avcodec_receive_packet(codec_, packet_);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) return false;
    packet_->stream_index = 0;
    av_packet_rescale_ts(packet_, codec_->time_base, format_->streams[0]->time_base);
    if (av_interleaved_write_frame(format_, packet_) < 0) return false;
  }
}

bool WmaWriter::Close() {
  if (closed_.exchange(true)) {
    if (writer_.joinable()) writer_.join();
    return !failed_.load();
  }
  queue_.Close();
  if (writer_.joinable()) writer_.join();
  return !failed_.load();
}

}  // namespace zengine
