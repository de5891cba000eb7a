#include "playback/engine/cd/cdafile.h"

#include <sys/stat.h>

#include <cstring>
#include <fstream>

#include "playback/engine/cd/cdtracktoc.h"
#include "playback/engine/lasterror.h"

namespace zengine {

namespace {

void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}
uint32_t Get16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t Get32(const uint8_t* p) { return Get16(p) | (Get16(p + 2) << 16); }

// frame, second, minute, 0 of a sector count.
void PutMsf(uint8_t* p, uint32_t sectors) {
  p[0] = static_cast<uint8_t>(sectors % kCdSectorsPerSecond);
  p[1] = static_cast<uint8_t>(sectors / kCdSectorsPerSecond % 60);
  p[2] = static_cast<uint8_t>(std::min<uint32_t>(sectors / kCdSectorsPerSecond / 60, 255));
  p[3] = 0;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::array<uint8_t, kCdaSize> MakeCda(const CdaInfo& info) {
  std::array<uint8_t, kCdaSize> b{};
  memcpy(&b[0], "RIFF", 4);
  Put32(&b[4], 36);
  memcpy(&b[8], "CDDA", 4);
  memcpy(&b[12], "fmt ", 4);
  Put32(&b[16], 24);
  Put16(&b[20], 1);
  Put16(&b[22], static_cast<uint32_t>(info.track));
  Put32(&b[24], info.discId);
  Put32(&b[28], info.firstSector);
  Put32(&b[32], info.sectors);
  PutMsf(&b[36], info.firstSector + 150);  // the start as players show it: 2 s of lead-in
  PutMsf(&b[40], info.sectors);
  return b;
}

bool ParseCda(const uint8_t* data, size_t size, CdaInfo* info) {
  if (size != kCdaSize || memcmp(data, "RIFF", 4) != 0 || Get32(data + 4) != 36 ||
      memcmp(data + 8, "CDDA", 4) != 0 || memcmp(data + 12, "fmt ", 4) != 0 ||
      Get32(data + 16) != 24 || Get16(data + 20) != 1)
    return false;
  const int track = static_cast<int>(Get16(data + 22));
  if (track < 1 || track > 99) return false;
  info->track = track;
  info->discId = Get32(data + 24);
  info->firstSector = Get32(data + 28);
  info->sectors = Get32(data + 32);
  return true;
}

bool CDReadCda(const std::string& path, CdaInfo* info) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Fail(kErrFileOpen);
  uint8_t data[kCdaSize + 1];
  file.read(reinterpret_cast<char*>(data), sizeof data);  // one more byte shows a longer file
  const size_t got = static_cast<size_t>(file.gcount());
  if (!ParseCda(data, got, info)) return Fail(kErrFileForm);
  return Succeed();
}

std::string CDDriveOfCda(const std::string& cdaPath) {
  const std::string folder = FolderOf(cdaPath);
  std::ifstream marker(folder + "/.drive");
  std::string drive;
  if (marker && std::getline(marker, drive) && !drive.empty() && drive.size() < 4096) return drive;
  const size_t slash = folder.rfind('/');
  const std::string name = slash == std::string::npos ? folder : folder.substr(slash + 1);
  struct stat st;
  if (!name.empty() && name != "." && name != ".." && stat(("/dev/" + name).c_str(), &st) == 0 &&
      S_ISBLK(st.st_mode))
    return "/dev/" + name;
  const std::vector<std::string> drives = CDGetDrives();
  return drives.empty() ? std::string() : drives.front();
}

}  // namespace zengine
