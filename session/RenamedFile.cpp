#include "session/RenamedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vexa {

std::string SystemReason() { return errno ? std::strerror(errno) : "the system gave no reason"; }

RenamedFile::~RenamedFile() {
  if (temporary_.empty()) return;
  file_.close();
  ::unlink(temporary_.c_str());
}

bool RenamedFile::Open(const std::string& path, const std::string& what, std::ostream& err) {
  path_ = path;
  shown_ = path;
  what_ = what;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    // A device or a pipe (/dev/stdout, say) is written as it is: there is nothing to keep.
    file_.open(path, std::ios::binary);
    if (!file_) err << "vexa: cannot write " << what << ' ' << path << ": " << SystemReason() << '\n';
    return static_cast<bool>(file_);
  }
  // Through a link, the file it names is the one replaced, and the link stays.
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    path_ = real;
    std::free(real);
  }
  std::string name = path_ + ".XXXXXX";
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    err << "vexa: cannot write " << what << ' ' << path << ": " << SystemReason() << '\n';
    return false;
  }
  // As an ordinary new file would be, not mkstemp's owner-only one.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  temporary_ = name;
  file_.open(temporary_, std::ios::binary | std::ios::trunc);
  if (!file_) {
    err << "vexa: cannot write " << what << ' ' << path << ": " << SystemReason() << '\n';
    return false;
  }
  return true;
}

bool RenamedFile::Finish(std::ostream& err) {
  errno = 0;
  file_.flush();
  bool ok = static_cast<bool>(file_);
  if (ok && !temporary_.empty()) {
    file_.close();
    ok = static_cast<bool>(file_) && std::rename(temporary_.c_str(), path_.c_str()) == 0;
  }
  if (!ok) {
    err << "vexa: cannot write " << what_ << ' ' << shown_ << ": " << SystemReason() << '\n';
    return false;
  }
  temporary_.clear();
  return true;
}

}  // namespace vexa
