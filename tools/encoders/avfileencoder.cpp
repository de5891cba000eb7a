#include "avfileencoder.h"

#include <climits>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libswresample/swresample.h>
}

namespace {

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// The rate to encode at: the input's when the codec takes it, else the nearest offered
// rate above it, else the highest offered.
int ChooseRate(const AVCodec* codec, int rate) {
  if (!codec->supported_samplerates) return rate;
  int above = INT_MAX;
  int highest = 0;
  for (const int* r = codec->supported_samplerates; *r; ++r) {
    if (*r == rate) return rate;
    if (*r > rate && *r < above) above = *r;
    if (*r > highest) highest = *r;
  }
  return above != INT_MAX ? above : highest;
}

bool LayoutSupported(const AVCodec* codec, const AVChannelLayout& layout) {
  if (!codec->ch_layouts) return true;
  for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels; ++l)
    if (av_channel_layout_compare(l, &layout) == 0) return true;
  return false;
}

}  // namespace

AvFileEncoder::~AvFileEncoder() { Release(); }

void AvFileEncoder::Release() {
  if (format_) {
    if (format_->pb) avio_closep(&format_->pb);
    avformat_free_context(format_);
    format_ = nullptr;
  }
  avcodec_free_context(&codec_);
  swr_free(&swr_);
  if (fifo_) av_audio_fifo_free(fifo_);
  fifo_ = nullptr;
  av_frame_free(&frame_);
  av_packet_free(&packet_);
}

bool AvFileEncoder::Open(const std::string& path, const Settings& settings, int rate,
                         int channels, AVSampleFormat format, std::string* error) {
  const AVCodec* codec = avcodec_find_encoder_by_name(settings.codec.c_str());
  if (!codec) {
    *error = "this FFmpeg has no " + settings.codec + " encoder";
    return false;
  }
  AVChannelLayout layout;
  av_channel_layout_default(&layout, channels);
  if (!LayoutSupported(codec, layout)) {
    *error = std::to_string(channels) + " channels cannot be encoded with " + settings.codec;
    return false;
  }
  codec_ = avcodec_alloc_context3(codec);
  codec_->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
  codec_->sample_rate = ChooseRate(codec, rate);
  av_channel_layout_copy(&codec_->ch_layout, &layout);
  codec_->bit_rate = settings.bitRate;
  codec_->time_base = AVRational{1, codec_->sample_rate};

  int rc = avformat_alloc_output_context2(&format_, nullptr, settings.muxer.c_str(), path.c_str());
  if (rc < 0 || !format_) {
    *error = "cannot prepare the " + settings.muxer + " output: " + AvError(rc);
    Release();
    return false;
  }
  if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  rc = avcodec_open2(codec_, codec, nullptr);
  if (rc < 0) {
    *error = "cannot open the " + settings.codec + " encoder: " + AvError(rc);
    Release();
    return false;
  }
  AVStream* stream = avformat_new_stream(format_, nullptr);
  avcodec_parameters_from_context(stream->codecpar, codec_);
  stream->time_base = codec_->time_base;

  rc = swr_alloc_set_opts2(&swr_, &codec_->ch_layout, codec_->sample_fmt, codec_->sample_rate,
                           &layout, format, rate, 0, nullptr);
  if (rc < 0 || swr_init(swr_) < 0) {
    *error = "cannot convert the input to the encoder's format";
    Release();
    return false;
  }
  const int frameSize = codec_->frame_size > 0 ? codec_->frame_size : 1024;
  fifo_ = av_audio_fifo_alloc(codec_->sample_fmt, channels, frameSize * 4);
  frame_ = av_frame_alloc();
  packet_ = av_packet_alloc();

  rc = avio_open(&format_->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (rc < 0) {
    *error = "cannot create " + path + ": " + AvError(rc);
    Release();
    return false;
  }
  // Each packet reaches the file as it is made, so a recording cut short (the program
  // killed, a full disk) keeps everything encoded up to that moment.
  format_->flags |= AVFMT_FLAG_FLUSH_PACKETS;
  format_->flush_packets = 1;
  AVDictionary* options = nullptr;
  if (!settings.comment.empty()) {
    av_dict_set(&format_->metadata, "comment", settings.comment.c_str(), 0);
    if (settings.muxer == "adts") av_dict_set(&options, "write_id3v2", "1", 0);
  }
  rc = avformat_write_header(format_, &options);
  av_dict_free(&options);
  if (rc < 0) {
    *error = "cannot write the file header: " + AvError(rc);
    Release();
    return false;
  }
  headerWritten_ = true;
  return true;
}

bool AvFileEncoder::Write(const uint8_t* samples, int frames, std::string* error) {
  const int out = swr_get_out_samples(swr_, frames);
  uint8_t** planes = nullptr;
  if (av_samples_alloc_array_and_samples(&planes, nullptr, codec_->ch_layout.nb_channels, out,
                                         codec_->sample_fmt, 0) < 0) {
    *error = "out of memory";
    return false;
  }
  const uint8_t* in[] = {samples};
  const int converted = swr_convert(swr_, planes, out, in, frames);
  bool ok = converted >= 0;
  if (ok && converted > 0) ok = av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes), converted) == converted;
  av_freep(&planes[0]);
  av_freep(&planes);
  if (!ok) {
    *error = "cannot convert the input samples";
    return false;
  }
  return EncodeFrames(false, error);
}

bool AvFileEncoder::EncodeFrames(bool flush, std::string* error) {
  const int frameSize = codec_->frame_size > 0 ? codec_->frame_size : 1024;
  const bool smallLast = codec_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
  while (av_audio_fifo_size(fifo_) >= frameSize || (flush && av_audio_fifo_size(fifo_) > 0)) {
    const int available = av_audio_fifo_size(fifo_);
    const int take = available < frameSize ? available : frameSize;
    av_frame_unref(frame_);
    frame_->nb_samples = (take < frameSize && !smallLast) ? frameSize : take;
    frame_->format = codec_->sample_fmt;
    frame_->sample_rate = codec_->sample_rate;
    av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout);
    if (av_frame_get_buffer(frame_, 0) < 0) {
      *error = "out of memory";
      return false;
    }
    // A last short frame of a codec that needs whole frames is padded with silence.
    av_samples_set_silence(frame_->data, 0, frame_->nb_samples, codec_->ch_layout.nb_channels,
                           codec_->sample_fmt);
    av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->data), take);
    frame_->pts = pts_;
    pts_ += frame_->nb_samples;
    if (!Drain(frame_, error)) return false;
  }
  return true;
}

bool AvFileEncoder::Drain(AVFrame* frame, std::string* error) {
  int rc = avcodec_send_frame(codec_, frame);
  if (rc < 0) {
    *error = "encoding failed: " + AvError(rc);
    return false;
  }
  for (;;) {
    rc = avcodec_receive_packet(codec_, packet_);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) {
      *error = "encoding failed: " + AvError(rc);
      return false;
    }
    packet_->stream_index = 0;
    av_packet_rescale_ts(packet_, codec_->time_base, format_->streams[0]->time_base);
    rc = av_interleaved_write_frame(format_, packet_);
    if (rc < 0) {
      *error = "cannot write the output file: " + AvError(rc);
      return false;
    }
  }
}

bool AvFileEncoder::Finish(std::string* error) {
  bool ok = true;
  // What the resampler still holds, then the partial frame, then the encoder's delay.
  const int pending = swr_get_out_samples(swr_, 0);
  if (pending > 0) {
    uint8_t** planes = nullptr;
    if (av_samples_alloc_array_and_samples(&planes, nullptr, codec_->ch_layout.nb_channels,
                                           pending, codec_->sample_fmt, 0) >= 0) {
      const int n = swr_convert(swr_, planes, pending, nullptr, 0);
      if (n > 0) av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes), n);
      av_freep(&planes[0]);
      av_freep(&planes);
    }
  }
  ok = EncodeFrames(true, error) && Drain(nullptr, error);
  if (headerWritten_) {
    const int rc = av_write_trailer(format_);
    if (ok && rc < 0) {
      *error = "cannot finish the output file: " + AvError(rc);
      ok = false;
    }
  }
  if (format_->pb && avio_closep(&format_->pb) < 0 && ok) {
    *error = "cannot close the output file";
    ok = false;
  }
  Release();
  return ok;
}
