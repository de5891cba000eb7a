// Opening files from their headers: what ReadFileHeader tells must be what the full
// decoder tells (rate, channels, type, length) for every kind it accepts, doubtful
// files must be left to the decoder, and a channel opened that way must play, hook
// and fail like any other.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "eventually.h"
#include "playback/engine/decode/ffdecoder.h"
#include "playback/engine/decode/fileheader.h"
#include "playback/engine/engine.h"
#include "tempfolder.h"

namespace {

using namespace zengine;
using ztest::Eventually;

struct HeaderCase {
  const char* name;
  const char* file;
  std::vector<std::string> make;  // ffmpeg options after the tone's
  int rate;
  int channels;
  bool fromHeader;        // false: the file must be left to the decoder
  int64_t lengthSlack;    // frames the header's length may differ from the decoder's;
                          // -1: the decoder only estimates, compare with the 7 s made
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

std::string MakeFile(const ztest::TempFolder& dir, const HeaderCase& c) {
  const std::string out = dir.File(c.file);
  std::vector<std::string> argv = {
      "ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
      "sine=frequency=440:sample_rate=" + std::to_string(c.rate) + ":duration=7",
      "-ac", std::to_string(c.channels), "-metadata", "title=Tone"};
  argv.insert(argv.end(), c.make.begin(), c.make.end());
  argv.push_back(out);
  return ztest::Run(argv) == 0 ? out : std::string();
}

// The decoder estimates a length from the bit rate where the header has none (CBR MP3
// without Xing, ADTS): it counts an ID3v1 tag as sound, and its ADTS estimate can be off
// by tenths of a second. The header reader leaves the tag out and walks the frames.
const HeaderCase kHeaderCases[] = {
    {"WavS16", "s16.wav", {"-c:a", "pcm_s16le"}, 44100, 2, true, 0},
    {"WavU8Mono", "u8.wav", {"-c:a", "pcm_u8"}, 8000, 1, true, 0},
    {"WavS24", "s24.wav", {"-c:a", "pcm_s24le"}, 48000, 2, true, 0},
    {"WavF64", "f64.wav", {"-c:a", "pcm_f64le"}, 44100, 2, true, 0},
    {"WavExtensibleSixChannels", "ext.wav", {"-c:a", "pcm_s16le"}, 44100, 6, true, 0},
    {"WavAdpcm", "adpcm.wav", {"-c:a", "adpcm_ms"}, 44100, 2, false, 0},
    {"Mp3CbrWithInfoFrame", "info.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, 44100, 2, true, 0},
    {"Mp3CbrWithoutXing", "cbr.mp3", {"-c:a", "libmp3lame", "-b:a", "128k", "-write_xing", "0"},
     44100, 2, true, 1},
    {"Mp3Vbr", "vbr.mp3", {"-c:a", "libmp3lame", "-q:a", "4"}, 44100, 2, true, 0},
    {"Mp3Mpeg2Mono", "m2.mp3", {"-c:a", "libmp3lame", "-b:a", "32k"}, 22050, 1, true, 0},
    {"Mp3Mpeg25", "m25.mp3", {"-c:a", "libmp3lame", "-b:a", "16k", "-write_xing", "0"}, 8000, 1,
     true, 1},
    {"Mp3WithId3v1",
     "v1.mp3",
     {"-c:a", "libmp3lame", "-b:a", "128k", "-write_xing", "0", "-write_id3v1", "1"},
     44100, 2, true, 400},
    {"Mp2", "t.mp2", {"-c:a", "mp2"}, 44100, 2, true, 1},
    {"OggVorbis", "t.ogg", {"-c:a", "libvorbis"}, 44100, 2, true, 0},
    {"OggVorbisMono", "m.ogg", {"-c:a", "libvorbis"}, 22050, 1, true, 0},
    {"OggOpus", "t.opus", {"-c:a", "libopus", "-f", "ogg"}, 48000, 2, false, 0},
    {"Wma1", "v1.wma", {"-c:a", "wmav1"}, 44100, 2, true, 0},
    {"Wma2Mono", "v2.wma", {"-c:a", "wmav2", "-b:a", "32k"}, 22050, 1, true, 0},
    {"AdtsStereo", "s.aac", {"-c:a", "aac", "-f", "adts"}, 44100, 2, true, -1},
    {"AdtsMono48k", "m.aac", {"-c:a", "aac", "-f", "adts"}, 48000, 1, true, -1},
    {"AdtsLowRateMayHideSbr", "l.aac", {"-c:a", "aac", "-f", "adts"}, 22050, 2, false, 0},
    {"Mp4", "t.m4a", {"-c:a", "aac"}, 44100, 2, false, 0},
    {"Ac3", "t.ac3", {"-c:a", "ac3"}, 48000, 2, false, 0},
    {"Flac", "t.flac", {"-c:a", "flac"}, 44100, 2, false, 0},
};

class FileHeaderTest : public ::testing::TestWithParam<HeaderCase> {
 protected:
  ztest::TempFolder dir_;
};

TEST_P(FileHeaderTest, TellsWhatTheDecoderTells) {
  const HeaderCase& c = GetParam();
  const std::string path = MakeFile(dir_, c);
  ASSERT_FALSE(path.empty()) << "ffmpeg could not make " << c.file;
  int error = 0;
  const auto decoder = FfDecoder::OpenFile(path, nullptr, &error);
  ASSERT_TRUE(decoder) << error;

  const std::optional<FileHeader> header = ReadFileHeader(path);
  ASSERT_EQ(header.has_value(), c.fromHeader);
  if (!header) return;
  EXPECT_EQ(header->rate, decoder->Rate());
  EXPECT_EQ(header->channels, decoder->Channels());
  EXPECT_EQ(header->type, decoder->TypeCode());
  if (c.lengthSlack >= 0) {
    EXPECT_NEAR(static_cast<double>(header->lengthFrames),
                static_cast<double>(decoder->LengthFrames()), static_cast<double>(c.lengthSlack));
  } else {
    // 7 s, one priming frame and the last frame's padding.
    EXPECT_NEAR(static_cast<double>(header->lengthFrames) / c.rate, 7.0 + 2048.0 / c.rate, 0.03);
  }
  EXPECT_EQ(header->fileSize, static_cast<int64_t>(std::filesystem::file_size(path)));
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileHeaderTest, ::testing::ValuesIn(kHeaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Damaged or doubtful headers, made by editing real files ---------------------------

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::optional<FileHeader> Parse(const std::string& bytes) {
  const ReadAtFn readAt = [&bytes](int64_t offset, char* dst, size_t n) -> size_t {
    if (offset < 0 || static_cast<size_t>(offset) >= bytes.size()) return 0;
    const size_t got = std::min(n, bytes.size() - static_cast<size_t>(offset));
    std::copy_n(bytes.data() + offset, got, dst);
    return got;
  };
  return ParseFileHeader(readAt, static_cast<int64_t>(bytes.size()));
}

void PutLe32(std::string* bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

size_t Find(const std::string& bytes, const std::string& what) {
  const size_t at = bytes.find(what);
  EXPECT_NE(at, std::string::npos) << what;
  return at;
}

TEST(FileHeaderDamage, DoubtfulHeadersAreLeftToTheDecoder) {
  ztest::TempFolder dir;
  const std::string wav = ReadAll(MakeFile(dir, kHeaderCases[0]));
  const std::string mp3 = ReadAll(MakeFile(dir, kHeaderCases[7]));  // CBR, no Xing
  const std::string wma = ReadAll(MakeFile(dir, kHeaderCases[16]));
  const std::string ogg = ReadAll(MakeFile(dir, kHeaderCases[13]));
  ASSERT_TRUE(Parse(wav) && Parse(mp3) && Parse(wma) && Parse(ogg)) << "the sound originals";

  struct Damage {
    const char* what;
    std::string bytes;
  };
  std::vector<Damage> cases;
  {
    std::string b = wav;
    PutLe32(&b, Find(b, "data") + 4, 0x7FFFFFF0u);
    cases.push_back({"WAV data size past the end of the file", b});
    PutLe32(&b, Find(b, "data") + 4, 0xFFFFFFFFu);
    cases.push_back({"WAV data size never filled in", b});
    b = wav;
    PutLe32(&b, Find(b, "fmt ") + 4, 0xFFFFFF00u);
    cases.push_back({"WAV format chunk larger than the file", b});
    b = wav;
    b[Find(b, "fmt ") + 8 + 12] = 7;  // block alignment no longer matches
    cases.push_back({"WAV block alignment that lies", b});
    cases.push_back({"WAV cut inside its header", wav.substr(0, 40)});
  }
  {
    const size_t firstFrame = 10 + ((mp3[6] & 0x7F) << 21 | (mp3[7] & 0x7F) << 14 |
                                    (mp3[8] & 0x7F) << 7 | (mp3[9] & 0x7F));
    std::string b = mp3;
    for (size_t i = firstFrame + 417; i < firstFrame + 2000; ++i) b[i] = 'x';
    cases.push_back({"MPEG frame not followed by another", b});
    b = mp3;
    b[8] = 0x7F;  // ID3v2 size far past the end
    cases.push_back({"ID3v2 tag larger than the file", b});
    b = mp3;
    b.insert(firstFrame, "junk");
    cases.push_back({"junk between the tag and the sound", b});
  }
  {
    std::string b = wma;
    const std::string fileProps("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16);
    const size_t at = Find(b, fileProps);
    b[at + 88] = static_cast<char>(b[at + 88] | 1);
    cases.push_back({"ASF broadcast flag", b});
    b = wma;
    PutLe32(&b, at + 16, 0);  // an object of size 0 must not loop
    PutLe32(&b, at + 20, 0);
    cases.push_back({"ASF object of size 0", b});
    b = wma;
    PutLe32(&b, at + 40, 100);  // declared file size far from the real one
    cases.push_back({"ASF declared size that lies", b});
  }
  {
    std::string b = ogg;
    b[Find(b, "\x01vorbis") + 11] = 0;  // no channels
    cases.push_back({"Vorbis header with no channels", b});
    b = ogg;
    const size_t second = Find(b.substr(4), "OggS") + 4;
    b[second + 5] = 2;  // a second stream begins
    b[second + 14] = static_cast<char>(b[second + 14] + 1);
    cases.push_back({"Ogg with a second logical stream", b});
  }
  cases.push_back({"empty", std::string()});
  cases.push_back({"text", std::string(5000, 'a')});
  for (const Damage& d : cases) EXPECT_FALSE(Parse(d.bytes).has_value()) << d.what;
}

// ---- Channels opened from the header -----------------------------------------------------

class HeaderChannelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Init(-1, 44100, OutputKind::NullFast)) << ErrorGetCode(); }
  void TearDown() override {
    if (IsInitialised()) Free();
  }
  ztest::TempFolder dir_;
};

// A hook set before the first play hears the file from its first frame: nothing is
// decoded before the play.
TEST_F(HeaderChannelTest, HookSetBeforePlayHearsEveryFrame) {
  const std::string path = MakeFile(dir_, kHeaderCases[0]);
  ASSERT_TRUE(ReadFileHeader(path));
  const Handle h = StreamCreateFile(path);
  ASSERT_NE(h, 0u);
  std::atomic<int64_t> frames{0};
  std::atomic<bool> firstIsSilence{false};
  ASSERT_NE(ChannelSetDSP(h, [&](const float* s, size_t n, int, int) {
              if (frames.load() == 0) firstIsSilence = s[0] == 0.0f && s[1] == 0.0f;
              frames += static_cast<int64_t>(n);
            }), 0u);
  std::atomic<int> ends{0};
  ASSERT_NE(ChannelSetSync(h, kSyncEnd, [&](Handle, const std::string&) { ends++; }), 0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  ASSERT_TRUE(Eventually([&] { return ends.load() > 0; }, std::chrono::seconds(20)));
  EXPECT_EQ(frames.load() * 4, ChannelGetLength(h)) << "every frame went through the hook";
  EXPECT_TRUE(firstIsSilence.load()) << "the sine starts at 0: the hook saw the first frame";
  EXPECT_TRUE(StreamFree(h));
}

// The decoder opens at the first play: a file gone by then ends the channel at once
// (end sync, no hang) instead of playing anything.
TEST_F(HeaderChannelTest, FileGoneBeforeThePlayEndsTheChannel) {
  const std::string path = MakeFile(dir_, kHeaderCases[13]);
  const Handle h = StreamCreateFile(path);
  ASSERT_NE(h, 0u);
  const int64_t size = StreamGetFilePosition(h, 2);
  std::filesystem::remove(path);
  EXPECT_EQ(StreamGetFilePosition(h, 2), size);
  EXPECT_EQ(ChannelGetTags(h, kTagOgg), "");
  std::atomic<int> ends{0};
  ASSERT_NE(ChannelSetSync(h, kSyncEnd, [&](Handle, const std::string&) { ends++; }), 0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  EXPECT_TRUE(Eventually([&] { return ends.load() > 0; }, std::chrono::seconds(5)));
  EXPECT_FALSE(ChannelSetPosition(h, 0)) << "nothing to seek in";
  EXPECT_TRUE(StreamFree(h));
}

// Measuring many files opens no decoder and starts no thread; the values stay those
// of the header after the decoder opens.
TEST_F(HeaderChannelTest, MeasuringLeavesTheValuesThePlayKeeps) {
  const std::string path = MakeFile(dir_, kHeaderCases[8]);  // VBR MP3
  const Handle h = StreamCreateFile(path);
  ASSERT_NE(h, 0u);
  ChannelInfo before{};
  ASSERT_TRUE(ChannelGetInfo(h, &before));
  const int64_t length = ChannelGetLength(h);
  EXPECT_EQ(StreamGetFilePosition(h, 0), 0);
  EXPECT_NE(ChannelGetTags(h, kTagId3v2).find("title=Tone"), std::string::npos);
  ASSERT_TRUE(ChannelSetPosition(h, length / 2));
  ASSERT_TRUE(ChannelPlay(h, false));
  ChannelInfo after{};
  ASSERT_TRUE(ChannelGetInfo(h, &after));
  EXPECT_EQ(after.freq, before.freq);
  EXPECT_EQ(after.chans, before.chans);
  EXPECT_EQ(ChannelGetLength(h), length);
  EXPECT_TRUE(Eventually([&] { return StreamGetFilePosition(h, 0) > 0; }, std::chrono::seconds(5)));
  EXPECT_TRUE(StreamFree(h));
}

}  // namespace
