#include "playback/engine/decode/ffdecoder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include "playback/engine/decode/id3frames.h"
#include "playback/engine/decode/tagtexts.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/textutil.h"

namespace zengine {

namespace {

// Type codes for codecs the engine's table leaves out (channel info only).
constexpr uint32_t kTypeMp1 = 0x10003;
constexpr uint32_t kTypeOther = 0x10000;
// Module music: MOD, MTM, S3M, XM, IT.
constexpr uint32_t kTypeMusicMod = 0x20000;

// The seek index a live stream may keep. FFmpeg's demuxers for MP3, AAC and the like add
// an index entry for every packet, up to 1 MiB by default (about 20 minutes of an MP3
// station, 38 entries a second), then halve it and fill it again. A live stream never
// seeks, so that memory would only grow for the first 20 minutes of every station.
constexpr unsigned kLiveIndexBytes = 64 * sizeof(AVIndexEntry);

bool HasFormat(const AVFormatContext* fmt, const char* name) {
  // Demuxer names are lists like "mov,mp4,m4a,3gp,3g2,mj2".
  const std::string names = fmt->iformat->name;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(',', start);
    if (end == std::string::npos) end = names.size();
    if (names.compare(start, end - start, name) == 0) return true;
    start = end + 1;
  }
  return false;
}

uint32_t ModuleType(const std::string& path) {
  std::string ext = path.substr(path.find_last_of('.') + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "mtm") return kTypeMusicMod + 1;
  if (ext == "s3m") return kTypeMusicMod + 2;
  if (ext == "xm") return kTypeMusicMod + 3;
  if (ext == "it") return kTypeMusicMod + 4;
  return kTypeMusicMod;
}

uint32_t TypeOf(const AVFormatContext* fmt, const AVCodecParameters* par, const std::string& path) {
  if (HasFormat(fmt, "libopenmpt")) return ModuleType(path);
  const bool ogg = HasFormat(fmt, "ogg");
  switch (par->codec_id) {
    case AV_CODEC_ID_MP3: return kTypeMp3;
    case AV_CODEC_ID_MP2: return kTypeMp2;
    case AV_CODEC_ID_MP1: return kTypeMp1;
    case AV_CODEC_ID_VORBIS: return kTypeOgg;
    case AV_CODEC_ID_OPUS: return kTypeOpus;
    case AV_CODEC_ID_FLAC: return ogg ? kTypeOggFlac : kTypeFlac;
    case AV_CODEC_ID_WMAV1:
    case AV_CODEC_ID_WMAV2:
    case AV_CODEC_ID_WMALOSSLESS:
    case AV_CODEC_ID_WMAVOICE: return kTypeWma;
    case AV_CODEC_ID_WMAPRO: return kTypeWm3;
    case AV_CODEC_ID_AAC:
    case AV_CODEC_ID_AAC_LATM: return HasFormat(fmt, "mp4") ? kTypeMp4 : kTypeAac;
    case AV_CODEC_ID_AC3:
    case AV_CODEC_ID_EAC3: return kTypeAc3;
    default: break;
  }
  if (HasFormat(fmt, "wav")) {
    switch (par->codec_id) {
      case AV_CODEC_ID_PCM_F32LE:
      case AV_CODEC_ID_PCM_F64LE: return kTypeWavFloat;
      case AV_CODEC_ID_PCM_U8:
      case AV_CODEC_ID_PCM_S16LE:
      case AV_CODEC_ID_PCM_S24LE:
      case AV_CODEC_ID_PCM_S32LE: return kTypeWavPcm;
      default: return kTypeWav;
    }
  }
  return kTypeOther;
}

std::vector<std::string> DictTexts(const AVDictionary* dict, const char* separator) {
  std::vector<std::string> texts;
  const AVDictionaryEntry* e = nullptr;
  while ((e = av_dict_get(dict, "", e, AV_DICT_IGNORE_SUFFIX)))
    texts.push_back(ToUtf8(e->key) + separator + ToUtf8(e->value));
  return texts;
}

// ID3v1: the last 128 bytes of a file.
std::vector<std::string> ReadId3v1(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return {};
  char tag[128];
  const bool ok = std::fseek(f, -128, SEEK_END) == 0 && std::fread(tag, 1, 128, f) == 128;
  std::fclose(f);
  if (!ok) return {};
  return Id3v1Texts(std::string_view(tag, sizeof tag));
}

bool StartsWithId3v2(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char head[3] = {};
  const bool ok = std::fread(head, 1, 3, f) == 3 && std::memcmp(head, "ID3", 3) == 0;
  std::fclose(f);
  return ok;
}

int MapOpenError(int averr) {
  if (averr == AVERROR(ENOENT) || averr == AVERROR(EACCES) || averr == AVERROR(EISDIR))
    return kErrFileOpen;
  if (averr == AVERROR_EXIT) return kErrTimeout;
  return kErrFileForm;
}

}  // namespace

namespace {
// FFmpeg's messages about damaged frames (and damaged cover pictures, which some
// decoders report as fatal) go to standard error by default; the engine reports
// failures through its error codes instead.
void QuietFfmpeg() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}
}  // namespace

int FfDecoder::InterruptCb(void* opaque) {
  auto* self = static_cast<FfDecoder*>(opaque);
  return self->aborted_.load() || (self->externalAbort_ && self->externalAbort_->load());
}

std::unique_ptr<FfDecoder> FfDecoder::OpenFile(const std::string& path, const char* format,
                                               int* error, int outRate, int outChannels) {
  QuietFfmpeg();
  std::unique_ptr<FfDecoder> d(new FfDecoder());
  d->fmt_ = avformat_alloc_context();
  if (!d->fmt_) {
    *error = kErrMem;
    return nullptr;
  }
  d->fmt_->interrupt_callback = {&FfDecoder::InterruptCb, d.get()};
  const AVInputFormat* forced = format ? av_find_input_format(format) : nullptr;
  if (format && !forced) {
    *error = kErrFileForm;
    return nullptr;
  }
  const int rc = avformat_open_input(&d->fmt_, path.c_str(), forced, nullptr);
  if (rc < 0) {
    d->fmt_ = nullptr;  // freed by avformat_open_input
    *error = MapOpenError(rc);
    return nullptr;
  }
  if (d->fmt_->pb) d->fileSize_ = avio_size(d->fmt_->pb);
  *error = d->Setup(path);
  if (*error != kOk) return nullptr;
  if (outRate > 0 && outChannels > 0) {
    d->rate_ = outRate;
    d->channels_ = outChannels;
  }
  d->ReadFileTags(path);
  return d;
}

std::unique_ptr<FfDecoder> FfDecoder::OpenStream(AVIOContext* io, const std::atomic<bool>* abort,
                                                 const char* format, int* error) {
  QuietFfmpeg();
  std::unique_ptr<FfDecoder> d(new FfDecoder());
  d->externalAbort_ = abort;
  d->fmt_ = avformat_alloc_context();
  if (!d->fmt_) {
    *error = kErrMem;
    return nullptr;
  }
  d->fmt_->pb = io;
  d->fmt_->probesize = 64 * 1024;
  // Probing a live stream reads until it is sure; bounded, so connecting stays quick.
  d->fmt_->format_probesize = 32 * 1024;
  const AVInputFormat* forced = format ? av_find_input_format(format) : nullptr;
  d->fmt_->flags |= AVFMT_FLAG_CUSTOM_IO;
  d->fmt_->interrupt_callback = {&FfDecoder::InterruptCb, d.get()};
  const int rc = avformat_open_input(&d->fmt_, nullptr, forced, nullptr);
  if (rc < 0) {
    d->fmt_ = nullptr;
    *error = (abort && abort->load()) ? kErrTimeout : kErrFileForm;
    return nullptr;
  }
  *error = d->Setup(std::string());
  if (*error != kOk) return nullptr;
  // A stream's own tags (Ogg comments, ASF attributes, ID3 at the start of an MP3).
  d->ReadContainerTags();
  std::lock_guard<std::mutex> lock(d->tagMutex_);
  if (HasFormat(d->fmt_, "mp3") && d->fmt_->metadata)
    d->tags_[kTagId3v2] = DictTexts(d->fmt_->metadata, "=");
  return d;
}

std::unique_ptr<FfDecoder> FfDecoder::OpenUrl(const std::string& url, const char* format,
                                              AVDictionary** options,
                                              const std::function<void(AVFormatContext*)>& prepare,
                                              const std::atomic<bool>* abort, int* error) {
  QuietFfmpeg();
  std::unique_ptr<FfDecoder> d(new FfDecoder());
  d->externalAbort_ = abort;
  d->fmt_ = avformat_alloc_context();
  if (!d->fmt_) {
    av_dict_free(options);
    *error = kErrMem;
    return nullptr;
  }
  d->fmt_->interrupt_callback = {&FfDecoder::InterruptCb, d.get()};
  if (prepare) prepare(d->fmt_);
  const AVInputFormat* forced = format ? av_find_input_format(format) : nullptr;
  const int rc = avformat_open_input(&d->fmt_, url.c_str(), forced, options);
  av_dict_free(options);
  if (rc < 0) {
    d->fmt_ = nullptr;
    if (abort && abort->load()) *error = kErrTimeout;
    else if (rc == AVERROR_INVALIDDATA) *error = kErrFileForm;
    else *error = kErrFileOpen;
    return nullptr;
  }
  *error = d->Setup(std::string(), true);
  if (*error != kOk) return nullptr;
  d->ReadContainerTags();
  d->ReadAhead(1.0);
  return d;
}

// Opening thread: reads the first `seconds` of sound's packets (kept for DecodeFrame)
// and measures the bit rate on them: a live stream's headers seldom tell it.
void FfDecoder::ReadAhead(double seconds) {
  const AVStream* st = fmt_->streams[stream_];
  int64_t bytes = 0;
  double covered = 0;
  while (covered < seconds && ahead_.size() < 1000) {
    AVPacket* pkt = av_packet_alloc();
    if (!pkt) return;
    if (av_read_frame(fmt_, pkt) < 0) {
      av_packet_free(&pkt);
      break;
    }
    if (pkt->stream_index == id3Stream_ && id3Stream_ >= 0) {
      OnTimedId3(pkt);  // placed by its time: read now, it is not read again
      av_packet_free(&pkt);
      continue;
    }
    if (pkt->stream_index == stream_) {
      bytes += pkt->size;
      covered += pkt->duration > 0 ? static_cast<double>(pkt->duration) * av_q2d(st->time_base) : 1024.0 / rate_;
    }
    ahead_.push_back(pkt);
  }
  if (covered > 0.2) measuredBitRate_ = static_cast<int64_t>(static_cast<double>(bytes) * 8 / covered);
}

int FfDecoder::Setup(const std::string& path, bool live) {
  // A network stream must not wait for seconds of data before the format is known.
  if (path.empty()) fmt_->max_analyze_duration = AV_TIME_BASE / 2;
  if (path.empty()) fmt_->max_index_size = kLiveIndexBytes;
  if (avformat_find_stream_info(fmt_, nullptr) < 0) return kErrFileForm;
  const AVCodec* codec = nullptr;
  stream_ = av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (stream_ == AVERROR_DECODER_NOT_FOUND) return kErrCodec;
  if (stream_ < 0 || !codec) return kErrFileForm;
  AVStream* st = fmt_->streams[stream_];
  for (unsigned i = 0; i < fmt_->nb_streams; ++i) {
    if (static_cast<int>(i) == stream_) continue;
    // A live stream's timed ID3 (its titles) is read beside the sound.
    if (live && id3Stream_ < 0 && fmt_->streams[i]->codecpar->codec_id == AV_CODEC_ID_TIMED_ID3) {
      id3Stream_ = static_cast<int>(i);
      continue;
    }
    fmt_->streams[i]->discard = AVDISCARD_ALL;
  }
  dec_ = avcodec_alloc_context3(codec);
  if (!dec_) return kErrMem;
  if (avcodec_parameters_to_context(dec_, st->codecpar) < 0) return kErrFileForm;
  if (avcodec_open2(dec_, codec, nullptr) < 0) return kErrCodec;
  rate_ = dec_->sample_rate;
  channels_ = dec_->ch_layout.nb_channels;
  if (rate_ <= 0 || rate_ > 384000 || channels_ <= 0 || channels_ > 16) return kErrFormat;
  type_ = TypeOf(fmt_, st->codecpar, path);
  if (st->duration > 0 && st->duration != AV_NOPTS_VALUE) {
    length_ = av_rescale_q(st->duration, st->time_base, AVRational{1, rate_});
  } else if (fmt_->duration > 0 && fmt_->duration != AV_NOPTS_VALUE) {
    length_ = av_rescale(fmt_->duration, rate_, AV_TIME_BASE);
  }
  if (path.empty()) length_ = -1;  // a live stream has no length
  pkt_ = av_packet_alloc();
  frame_ = av_frame_alloc();
  if (!pkt_ || !frame_) return kErrMem;
  return kOk;
}

void FfDecoder::ReadContainerTags() {
  std::lock_guard<std::mutex> lock(tagMutex_);
  const AVStream* st = fmt_->streams[stream_];
  if (HasFormat(fmt_, "ogg")) tags_[kTagOgg] = DictTexts(st->metadata, "=");
  if (HasFormat(fmt_, "mp4")) tags_[kTagMp4] = DictTexts(fmt_->metadata, "=");
  if (HasFormat(fmt_, "asf")) {
    auto texts = DictTexts(fmt_->metadata, " : ");
    const int64_t rate = st->codecpar->bit_rate > 0 ? st->codecpar->bit_rate : fmt_->bit_rate;
    if (rate > 0) texts.push_back("CurrentBitrate : " + std::to_string(rate));
    tags_[kTagWma] = texts;
  }
}

void FfDecoder::ReadFileTags(const std::string& path) {
  ReadContainerTags();
  std::lock_guard<std::mutex> lock(tagMutex_);
  if (StartsWithId3v2(path)) tags_[kTagId3v2] = DictTexts(fmt_->metadata, "=");
  tags_[kTagId3] = ReadId3v1(path);
}

FfDecoder::~FfDecoder() {
  for (AVPacket*& p : ahead_) av_packet_free(&p);
  swr_free(&swr_);
  av_frame_free(&frame_);
  av_packet_free(&pkt_);
  avcodec_free_context(&dec_);
  if (fmt_) avformat_close_input(&fmt_);  // leaves a caller's custom AVIOContext alone
}

int64_t FfDecoder::BitRate() const {
  if (measuredBitRate_ > 0) return measuredBitRate_;
  const AVCodecParameters* par = fmt_->streams[stream_]->codecpar;
  if (par->bit_rate > 0) return par->bit_rate;
  return fmt_->bit_rate > 0 ? fmt_->bit_rate : 0;
}

std::string FfDecoder::FormatName() const { return fmt_ ? fmt_->iformat->name : ""; }

std::string FfDecoder::Tags(TagType type) const {
  if (static_cast<size_t>(type) >= std::size(tags_)) return {};
  std::lock_guard<std::mutex> lock(tagMutex_);
  return MakeTagBlock(tags_[type]);
}

int64_t FfDecoder::FilePosition(int mode) const {
  if (mode == 0) return filePos_.load();
  if (mode == 2) return fileSize_;
  if (mode == 1) return fileSize_;  // a file is all "downloaded"
  return -1;
}

void FfDecoder::SetMetaSink(MetaSink sink) {
  std::lock_guard<std::mutex> lock(tagMutex_);
  metaSink_ = std::move(sink);
}

// Decoding thread.
void FfDecoder::OnMetadataUpdate(AVDictionary* dict) {
  auto get = [dict](const char* key) {
    const AVDictionaryEntry* e = av_dict_get(dict, key, nullptr, 0);
    return e ? ToUtf8(e->value) : std::string();
  };
  const std::string artist = get("artist");
  const std::string title = get("title");
  MetaSink sink;
  {
    std::lock_guard<std::mutex> lock(tagMutex_);
    if (HasFormat(fmt_, "ogg")) tags_[kTagOgg] = DictTexts(dict, "=");
    sink = metaSink_;
  }
  if (artist.empty() && title.empty()) return;
  // The same form an ICY server sends, so titles and recording cuts work alike.
  const std::string text = "StreamTitle='" + (artist.empty() ? title : artist + " - " + title) + "';";
  if (placeTitles_) {
    // Read in progress: the new chain's sound comes after what it has given so far.
    placed_.push_back({readDone_, text});
    return;
  }
  if (sink) sink(text);
}

// Decoding thread.
bool FfDecoder::ConvertFrame() {
  const int inChannels = frame_->ch_layout.nb_channels;
  if (!swr_ || frame_->sample_rate != swrInRate_ || inChannels != swrInChannels_ ||
      frame_->format != swrInFormat_) {
    swr_free(&swr_);
    AVChannelLayout out = {};
    av_channel_layout_default(&out, channels_);
    const int rc = swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_FLT, rate_, &frame_->ch_layout,
                                       static_cast<AVSampleFormat>(frame_->format),
                                       frame_->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&out);
    if (rc < 0 || swr_init(swr_) < 0) {
      swr_free(&swr_);
      return false;
    }
    swrInRate_ = frame_->sample_rate;
    swrInChannels_ = inChannels;
    swrInFormat_ = frame_->format;
  }
  const int room = swr_get_out_samples(swr_, frame_->nb_samples);
  if (room <= 0) return true;
  pending_.resize(static_cast<size_t>(room) * channels_);
  auto* dst = reinterpret_cast<uint8_t*>(pending_.data());
  const int n = swr_convert(swr_, &dst, room, const_cast<const uint8_t**>(frame_->extended_data),
                            frame_->nb_samples);
  pending_.resize(static_cast<size_t>(std::max(n, 0)) * channels_);
  pendingPos_ = 0;
  if (skipTo_ >= 0) {
    // Sample-exact seeking: drop what lies before the target.
    const AVStream* st = fmt_->streams[stream_];
    const int64_t ts = frame_->best_effort_timestamp;
    if (ts != AV_NOPTS_VALUE) {
      int64_t start = av_rescale_q(ts, st->time_base, AVRational{1, rate_});
      if (st->start_time != AV_NOPTS_VALUE)
        start -= av_rescale_q(st->start_time, st->time_base, AVRational{1, rate_});
      const int64_t drop = skipTo_ - start;
      const auto frames = static_cast<int64_t>(pending_.size() / channels_);
      if (drop >= frames) {
        pending_.clear();
        return true;
      }
      if (drop > 0) pendingPos_ = static_cast<size_t>(drop) * channels_;
    }
    skipTo_ = -1;
  }
  return true;
}

// Decoding thread.
bool FfDecoder::DecodeFrame() {
  for (;;) {
    if (aborted_ || (externalAbort_ && externalAbort_->load())) return false;
    int rc = avcodec_receive_frame(dec_, frame_);
    if (rc == 0) {
      pendingPacketPos_ = frame_->pkt_pos >= 0 ? frame_->pkt_pos : filePos_.load();
      pendingTime_ = -1;
      if (frame_->best_effort_timestamp != AV_NOPTS_VALUE)
        pendingTime_ = static_cast<double>(frame_->best_effort_timestamp) *
                       av_q2d(fmt_->streams[stream_]->time_base);
      const bool ok = ConvertFrame();
      av_frame_unref(frame_);
      if (!ok) return false;
      if (pendingPos_ < pending_.size()) return true;
      continue;
    }
    if (rc == AVERROR_EOF) return false;
    if (rc != AVERROR(EAGAIN)) return false;
    if (draining_) return false;
    if (!ahead_.empty()) {
      av_packet_move_ref(pkt_, ahead_.front());
      av_packet_free(&ahead_.front());
      ahead_.pop_front();
      rc = 0;
    } else {
      rc = av_read_frame(fmt_, pkt_);
    }
    if (rc < 0) {
      draining_ = true;
      avcodec_send_packet(dec_, nullptr);
      continue;
    }
    if (pkt_->pos >= 0)
      filePos_ = pkt_->pos + pkt_->size;  // the demuxer may have read further ahead
    else if (fmt_->pb)
      filePos_ = avio_tell(fmt_->pb);
    if (pkt_->stream_index == id3Stream_ && id3Stream_ >= 0) OnTimedId3(pkt_);
    if (pkt_->stream_index != stream_) {
      av_packet_unref(pkt_);
      continue;
    }
    size_t size = 0;
    if (const uint8_t* meta = av_packet_get_side_data(pkt_, AV_PKT_DATA_METADATA_UPDATE, &size)) {
      AVDictionary* dict = nullptr;
      if (av_packet_unpack_dictionary(meta, size, &dict) == 0 && started_) OnMetadataUpdate(dict);
      av_dict_free(&dict);
    }
    started_ = true;
    // A damaged packet is skipped: the decoder resynchronises on the next one.
    avcodec_send_packet(dec_, pkt_);
    av_packet_unref(pkt_);
  }
}

// Decoding thread.
long FfDecoder::Read(float* dst, size_t frames) {
  size_t done = 0;
  placed_.clear();  // the channel takes them after each Read
  readDone_ = 0;
  while (done < frames) {
    if (pendingPos_ >= pending_.size()) {
      readDone_ = done;
      if (!DecodeFrame()) break;
      // A frame from a packet at or past a marked byte: the title lies before it.
      while (!byteMarks_.empty() && pendingPacketPos_ >= byteMarks_.front().pos) {
        placed_.push_back({done, std::move(byteMarks_.front().text)});
        byteMarks_.pop_front();
      }
      // Half a millisecond of slack: timestamps in 90 kHz ticks round.
      while (!timeMarks_.empty() &&
             (timeMarks_.front().seconds < 0 || pendingTime_ < 0 ||
              pendingTime_ + 0.0005 >= timeMarks_.front().seconds)) {
        placed_.push_back({done, std::move(timeMarks_.front().text)});
        timeMarks_.pop_front();
      }
      continue;
    }
    const size_t avail = (pending_.size() - pendingPos_) / channels_;
    const size_t n = std::min(avail, frames - done);
    std::copy_n(pending_.data() + pendingPos_, n * channels_, dst + done * channels_);
    pendingPos_ += n * channels_;
    done += n;
  }
  return static_cast<long>(done);
}

void FfDecoder::AddByteMark(int64_t pos, std::string text) {
  byteMarks_.push_back({pos, std::move(text)});
}

std::string FfDecoder::FirstTimeMark() const {
  return timeMarks_.empty() ? std::string() : timeMarks_.front().text;
}

void FfDecoder::AddTimeMark(double seconds, std::string text) {
  // Kept in time order; marks without a time go before the next frame, first.
  if (seconds < 0) {
    timeMarks_.push_front({seconds, std::move(text)});
    return;
  }
  auto at = std::find_if(timeMarks_.begin(), timeMarks_.end(),
                         [seconds](const TimeMark& m) { return m.seconds > seconds; });
  timeMarks_.insert(at, {seconds, std::move(text)});
}

namespace {
// The title of a timed ID3 packet. FFmpeg's MPEG-TS demuxer takes the first five bytes
// of such a packet for a metadata access-unit header, which streams that follow the
// usual timed-metadata form do not send: the tag then arrives without "ID3", its major
// and its minor version. Such a packet is read as version 2.4, then 2.3.
std::string TimedId3Title(std::string_view bytes) {
  Id3Info info;
  if (Id3TagSize(bytes) > 0) {
    ParseId3(bytes.substr(0, std::min(bytes.size(), Id3TagSize(bytes))), &info);
    return Id3StreamTitle(info);
  }
  for (const char major : {'\x04', '\x03'}) {
    std::string tag = std::string("ID3") + major + '\0';
    tag.append(bytes);
    const size_t size = Id3TagSize(tag);
    if (size == 0 || size > tag.size() + 10) continue;
    info = Id3Info();
    ParseId3(std::string_view(tag).substr(0, std::min(tag.size(), size)), &info);
    const std::string text = Id3StreamTitle(info);
    if (!text.empty()) return text;
  }
  return {};
}
}  // namespace

// Decoding thread: a timed ID3 tag beside the sound; its title lies at its timestamp.
void FfDecoder::OnTimedId3(const AVPacket* pkt) {
  if (!pkt->data || pkt->size <= 0) return;
  const std::string_view bytes(reinterpret_cast<const char*>(pkt->data), static_cast<size_t>(pkt->size));
  const std::string text = TimedId3Title(bytes);
  if (text.empty()) return;
  const int64_t ts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
  const double seconds =
      ts == AV_NOPTS_VALUE ? -1.0 : static_cast<double>(ts) * av_q2d(fmt_->streams[pkt->stream_index]->time_base);
  AddTimeMark(seconds, text);
}

bool FfDecoder::TakeTitleMark(TitleMark* mark) {
  if (placed_.empty()) return false;
  *mark = std::move(placed_.front());
  placed_.pop_front();
  return true;
}

// Decoding thread.
bool FfDecoder::SeekFrame(int64_t frame) {
  const AVStream* st = fmt_->streams[stream_];
  int64_t ts = av_rescale_q(frame, AVRational{1, rate_}, st->time_base);
  if (st->start_time != AV_NOPTS_VALUE) ts += st->start_time;
  if (av_seek_frame(fmt_, stream_, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
      av_seek_frame(fmt_, stream_, ts, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0) {
    return Fail(kErrPosition);
  }
  avcodec_flush_buffers(dec_);
  pending_.clear();
  pendingPos_ = 0;
  draining_ = false;
  skipTo_ = frame;
  return Succeed();
}

}  // namespace zengine
