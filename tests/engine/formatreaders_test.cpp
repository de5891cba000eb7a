// The shared ASF and Ogg readers on forged bytes: sizes and counts that lie, texts that
// run past their object or packet. What the tag reader and the engine make of the values
// is tested with them; here, only what the readers give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "playback/engine/formats/asfheader.h"
#include "playback/engine/formats/oggheader.h"

namespace {

using namespace zengine;

ReadAtFn Over(const std::string& bytes) {
  return [&bytes](int64_t offset, char* dst, size_t n) -> size_t {
    if (offset < 0 || static_cast<uint64_t>(offset) >= bytes.size()) return 0;
    const size_t got = std::min(n, bytes.size() - static_cast<size_t>(offset));
    std::memcpy(dst, bytes.data() + offset, got);
    return got;
  };
}

std::string Le(uint64_t v, int n) {
  std::string b;
  for (int i = 0; i < n; ++i) b += static_cast<char>(v >> (8 * i) & 0xFF);
  return b;
}

const std::string kAsfHeader("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kExtended("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
const std::string kOther(16, '\x11');

std::string Object(const std::string& id, const std::string& body) { return id + Le(24 + body.size(), 8) + body; }
std::string Asf(uint32_t count, const std::string& objects) {
  return kAsfHeader + Le(30 + objects.size(), 8) + Le(count, 4) + "\x01\x02" + objects;
}
std::string Descriptor(const std::string& name, const std::string& value) {
  return Le(name.size(), 2) + name + Le(0, 2) + Le(value.size(), 2) + value;
}

TEST(AsfReader, WalkStopsAtTheFirstObjectThatDoesNotFit) {
  const std::string other = Object(kOther, std::string(10, 'x'));
  const struct {
    const char* name;
    std::string bytes;
    asf::Status status;
    size_t objects;
  } cases[] = {
      {"whole", Asf(2, other + other), asf::Status::Ok, 2},
      {"size_below_its_header", Asf(2, other + kOther + Le(23, 8)), asf::Status::Damaged, 1},
      {"size_past_the_end", Asf(2, other + kOther + Le(1000, 8) + "abc"), asf::Status::Damaged, 1},
      {"size_of_2_to_64", Asf(2, other + kOther + Le(~uint64_t{0}, 8)), asf::Status::Damaged, 1},
      {"count_beyond_the_objects", Asf(3, other + other), asf::Status::Truncated, 2},
      {"count_beyond_any_header", Asf(0xFFFFFFFFu, other), asf::Status::Damaged, 0},
      {"cut_in_the_header_object", kAsfHeader + "\x10\x00", asf::Status::Truncated, 0},
      {"not_asf", std::string(64, 'a'), asf::Status::NotAsf, 0},
  };
  for (const auto& c : cases) {
    const asf::Header h = asf::ReadHeader(Over(c.bytes), static_cast<int64_t>(c.bytes.size()));
    EXPECT_EQ(h.status, c.status) << c.name;
    EXPECT_EQ(h.objects.size(), c.objects) << c.name;
  }
}

TEST(AsfReader, TextsAreCutToTheCapAndNeverReadPastTheirObject) {
  asf::Options options;
  options.texts = true;
  options.textCap = 4;
  const std::string good = Object(kExtended, Le(2, 2) + Descriptor("LONGNAME", "0123456789") + Descriptor("N", "v"));
  // The second descriptor claims a value longer than what is left of its object (the
  // next object's bytes follow in the file).
  const std::string lying = Object(kExtended, Le(2, 2) + Descriptor("A", "b") + Le(1, 2) + "C" + Le(0, 2) + Le(40, 2)) +
                            Object(kOther, std::string(60, 'z'));
  const std::string bytes = Asf(3, good + lying);
  const asf::Header h = asf::ReadHeader(Over(bytes), static_cast<int64_t>(bytes.size()), options);
  ASSERT_EQ(h.status, asf::Status::Ok);
  ASSERT_EQ(h.objects.size(), 3u);
  EXPECT_TRUE(h.objects[0].complete);
  EXPECT_FALSE(h.objects[1].complete);
  ASSERT_EQ(h.texts.size(), 3u);
  EXPECT_EQ(h.texts[0].name, "LONG");
  EXPECT_EQ(h.texts[0].value, "0123");
  EXPECT_EQ(h.texts[0].length, 10u);
  EXPECT_EQ(h.texts[1].name, "N") << "the rest of a cut text is passed over";
  EXPECT_EQ(h.texts[1].value, "v");
  EXPECT_EQ(h.texts[2].object, 1u);
  EXPECT_EQ(h.texts[2].value, "b");
  EXPECT_TRUE(asf::ReadHeader(Over(bytes), static_cast<int64_t>(bytes.size())).texts.empty());
}

std::string OggPage(const std::string& body, uint64_t granule, uint8_t version = 0) {
  std::string lacing(body.size() / 255, '\xff');
  lacing += static_cast<char>(body.size() % 255);
  return "OggS" + std::string(1, static_cast<char>(version)) + std::string(1, '\0') + Le(granule, 8) + Le(7, 4) +
         Le(0, 4) + Le(0, 4) + static_cast<char>(lacing.size()) + lacing + body;
}

TEST(OggReader, CommentTextsWithLyingLengths) {
  const std::string head = "\x03vorbis" + Le(3, 4) + "ven";
  const struct {
    const char* name;
    std::string packet;
    std::vector<std::string> texts;
  } cases[] = {
      {"counted", head + Le(2, 4) + Le(3, 4) + "A=1" + Le(3, 4) + "B=2", {"ven", "A=1", "B=2"}},
      {"count_of_4_billion", head + Le(0xFFFFFFFFu, 4) + Le(3, 4) + "A=1", {"ven", "A=1"}},
      {"length_of_2_to_31", head + Le(2, 4) + Le(3, 4) + "A=1" + Le(0x80000000u, 4) + "B=2", {"ven", "A=1"}},
      {"text_cut_by_the_packet", head + Le(1, 4) + Le(50, 4) + "A=123", {"ven", "A=123"}},
      {"cap", head + Le(1, 4) + Le(9, 4) + "A=1234567", {"ven", "A=1234"}},
      {"no_vendor_length", "\x03vorbis\x01", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> got;
    for (const auto& t : ogg::ParseVorbisComments(c.packet, 6)) got.push_back(t.bytes);
    EXPECT_EQ(got, c.texts) << c.name;
  }
}

TEST(OggReader, LastPagesAndPacketsOverPages) {
  // A body holding "OggS" is not taken for a page; a last page cut by the end of the file
  // is given, marked as not whole.
  const std::string fake = OggPage("", 999);
  const std::string whole = OggPage("audio" + fake + "audio", 500);
  const std::string cut = OggPage(std::string(100, 'a'), 700).substr(0, 60);
  const std::string file = OggPage("x", 0) + whole + cut;
  const auto pages = ogg::TailPages(Over(file), static_cast<int64_t>(file.size()));
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[1].granule, 500u);
  EXPECT_TRUE(pages[1].complete);
  EXPECT_EQ(pages[2].granule, 700u);
  EXPECT_FALSE(pages[2].complete);

  // A packet of 300 bytes over two pages, then a page of another packet.
  const std::string packet(300, 'p');
  std::string first = OggPage(packet.substr(0, 255), 0);
  first[26] = 1;                                       // one segment of 255: the packet goes on
  first = first.substr(0, 27) + '\xff' + packet.substr(0, 255);
  const std::string two = first + OggPage(packet.substr(255), 0) + OggPage("next", 0);
  EXPECT_EQ(ogg::ReadPacket(Over(two), 0, static_cast<int64_t>(two.size()), 1 << 20), packet);
  EXPECT_EQ(ogg::ReadPacket(Over(two), 0, static_cast<int64_t>(two.size()), 100), packet.substr(0, 255))
      << "no page is read past the cap";
  EXPECT_EQ(ogg::ReadPacket(Over(two), 0, 200, 1 << 20), packet.substr(0, 200 - 28)) << "bytes end inside";
}

}  // namespace
