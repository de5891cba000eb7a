#include "tags/filesource.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TFileSource::TFileSource(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  fd_ = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  size_ = st.st_size;
}

TFileSource::~TFileSource() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t TFileSource::ReadAt(int64_t offset, void* dest, int64_t length) const {
  if (fd_ < 0 || offset < 0 || length <= 0 || offset >= size_) return 0;
  char* out = static_cast<char*>(dest);
  int64_t done = 0;
  while (done < length) {
    const ssize_t n = ::pread(fd_, out + done, static_cast<size_t>(length - done), offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // end of file (the file shrank) or a read error
    done += n;
  }
  return done;
}
