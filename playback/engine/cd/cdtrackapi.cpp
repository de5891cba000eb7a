// The audio-CD calls of engine_record.h: drives, tables of contents, ".cda" folders and
// CD-track channels.
#include <cdio/cdio.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "playback/engine/cd/cdafile.h"
#include "playback/engine/cd/cdtrack.h"
#include "playback/engine/cd/cdtracktoc.h"
#include "playback/engine/channelfactory.h"
#include "playback/engine/lasterror.h"

namespace zengine {

namespace {

bool ReadToc(const std::string& drive, CdToc* toc) {
  CdIo_t* cdio = OpenCdDrive(drive);
  if (!cdio) return false;
  const bool ok = ReadCdToc(cdio, toc);
  cdio_destroy(cdio);
  return ok;
}

bool MakeFolders(const std::string& folder) {
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Removes the ".cda" files of a previous disc (only those: the folder is ours, but a
// user may have put other files there).
void RemoveOldDescriptors(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".cda") == 0)
      unlink((folder + "/" + name).c_str());
  }
  closedir(dir);
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out);
}

}  // namespace

std::vector<std::string> CDGetDrives() {
  std::vector<std::string> drives;
  char** list = cdio_get_devices(DRIVER_DEVICE);
  if (!list) return drives;
  for (char** d = list; *d; ++d) drives.emplace_back(*d);
  cdio_free_device_list(list);
  return drives;
}

int CDGetTracks(const std::string& drive) {
  CdToc toc;
  if (!ReadToc(drive, &toc)) {
    SetLastError(kErrNotAvail);
    return -1;
  }
  Succeed();
  return static_cast<int>(toc.tracks.size());
}

double CDGetTrackLength(const std::string& drive, int track) {
  CdToc toc;
  const CdTocTrack* t = ReadToc(drive, &toc) ? toc.Find(track) : nullptr;
  if (!t) {
    SetLastError(kErrNotAvail);
    return -1;
  }
  Succeed();
  return static_cast<double>(t->sectors) / kCdSectorsPerSecond;
}

bool CDWriteTrackFiles(const std::string& drive, const std::string& folder) {
  CdToc toc;
  if (!ReadToc(drive, &toc)) return Fail(kErrNotAvail);
  if (!MakeFolders(folder)) return Fail(kErrCreate);
  RemoveOldDescriptors(folder);
  const std::string marker = drive + "\n";
  if (!WriteBytes(folder + "/.drive", marker.data(), marker.size())) return Fail(kErrCreate);
  for (const CdTocTrack& t : toc.tracks) {
    if (!t.audio) continue;
    char name[32];
    snprintf(name, sizeof name, "/Track%02d.cda", t.number);
    const auto bytes = MakeCda(CdaInfo{t.number, toc.discId, t.firstSector, t.sectors});
    if (!WriteBytes(folder + name, bytes.data(), bytes.size())) return Fail(kErrCreate);
  }
  return Succeed();
}

Handle CDStreamCreateFile(const std::string& cdaPath) {
  CdaInfo info;
  if (!CDReadCda(cdaPath, &info)) return 0;  // kErrFileOpen or kErrFileForm
  const std::string drive = CDDriveOfCda(cdaPath);
  if (drive.empty()) return FailHandle(kErrFileOpen);
  std::unique_ptr<CdTrack> track = CdTrack::Open(drive, info.track);
  if (!track) return 0;
  return CreateSourceChannel(std::move(track), true);
}

}  // namespace zengine
