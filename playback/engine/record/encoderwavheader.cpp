#include "playback/engine/record/encoderwavheader.h"

namespace zengine {

namespace {

void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutTag(std::vector<uint8_t>* out, const char* tag) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(tag[i]));
}

// Speaker masks in FFmpeg's default layout order for 1 to 8 channels.
uint32_t SpeakerMask(int channels) {
  static const uint32_t kMasks[] = {0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x70F, 0x63F};
  return channels >= 1 && channels <= 8 ? kMasks[channels - 1] : 0;
}

}  // namespace

std::vector<uint8_t> MakeWavHeader(int rate, int channels, uint64_t dataBytes) {
  const bool extensible = channels > 2;
  const uint32_t fmtSize = extensible ? 40 : 16;
  const uint64_t headerAfterRiff = 4 + 8 + fmtSize + 8;  // "WAVE", fmt chunk, data header
  uint32_t riffSize = 0xFFFFFFFFu;
  uint32_t dataSize = 0xFFFFFFFFu;
  if (dataBytes != kWavSizeUnknown && dataBytes + headerAfterRiff < 0xFFFFFFFFull) {
    riffSize = static_cast<uint32_t>(dataBytes + headerAfterRiff);
    dataSize = static_cast<uint32_t>(dataBytes);
  }
  const uint32_t blockAlign = static_cast<uint32_t>(channels) * 2;
  std::vector<uint8_t> out;
  out.reserve(68);
  PutTag(&out, "RIFF");
  Put32(&out, riffSize);
  PutTag(&out, "WAVE");
  PutTag(&out, "fmt ");
  Put32(&out, fmtSize);
  Put16(&out, extensible ? 0xFFFE : 1);
  Put16(&out, static_cast<uint32_t>(channels));
  Put32(&out, static_cast<uint32_t>(rate));
  Put32(&out, static_cast<uint32_t>(rate) * blockAlign);
  Put16(&out, blockAlign);
  Put16(&out, 16);
  if (extensible) {
    Put16(&out, 22);  // size of the extension
    Put16(&out, 16);  // valid bits per sample
    Put32(&out, SpeakerMask(channels));
    // KSDATAFORMAT_SUBTYPE_PCM: 00000001-0000-0010-8000-00aa00389b71
    static const uint8_t kPcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                         0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    for (const uint8_t b : kPcmGuid) out.push_back(b);
  }
  PutTag(&out, "data");
  Put32(&out, dataSize);
  return out;
}

}  // namespace zengine
