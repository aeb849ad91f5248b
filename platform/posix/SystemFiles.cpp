// Files through POSIX calls: the Linux desktop and the page (emscripten's libc).
#include "lib/SystemFiles.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "lib/GamePaths.h"
#include "platform/posix/FileChanges.h"

namespace vexa {

namespace {

std::uint64_t changes = 0;

// As an ordinary new file would be, not mkstemp's owner-only one.
void GiveNewFileRights(int fd) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

}  // namespace

FileKind KindOf(const std::string& name, bool followLinks) {
  struct stat info {};
  if ((followLinks ? ::stat(name.c_str(), &info) : ::lstat(name.c_str(), &info)) != 0) return FileKind::None;
  if (S_ISREG(info.st_mode)) return FileKind::Regular;
  if (S_ISLNK(info.st_mode)) return FileKind::Link;
  if (S_ISDIR(info.st_mode)) return FileKind::Folder;
  if (S_ISFIFO(info.st_mode)) return FileKind::Pipe;
  if (S_ISSOCK(info.st_mode)) return FileKind::Socket;
  return FileKind::Device;
}

std::uint64_t FileChangesMade() { return changes; }

int OpenFile(const std::string& name, OpenFor how) {
  if (how != OpenFor::Reading) ++changes;
  switch (how) {
    case OpenFor::Reading: return ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    case OpenFor::Writing: return ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    case OpenFor::Appending:
      return ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0666);
    case OpenFor::NewOnly: return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  }
  return -1;
}

std::int64_t RegularFileSize(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return info.st_size;
}

long ReadSome(int fd, void* into, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd, into, size);
    if (n < 0 && errno == EINTR) continue;
    return static_cast<long>(n);
  }
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  ++changes;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SyncFile(int fd) { return ::fsync(fd) == 0; }
bool CloseFile(int fd) { return ::close(fd) == 0; }

std::string MakeNewFile(const std::string& stem) {
  ++changes;
  std::string name = stem + "XXXXXX";
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return "";
  GiveNewFileRights(fd);
  ::close(fd);
  return name;
}

std::string MakeNewFolder(const std::string& stem) {
  ++changes;
  std::string name = stem + "XXXXXX";
  return ::mkdtemp(name.data()) ? name : "";
}

int MoveOver(const std::string& from, const std::string& to) {
  ++changes;
  return std::rename(from.c_str(), to.c_str());
}

int RemoveFile(const std::string& name) {
  ++changes;
  return ::unlink(name.c_str());
}

void SyncFolder(const std::string& folder) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

std::string RealPath(const std::string& name) {
  char* real = ::realpath(name.c_str(), nullptr);
  if (!real) return "";
  std::string path = real;
  std::free(real);
  return path;
}

std::string UserDataFolder() {
  const std::string data = XdgFolder("XDG_DATA_HOME", ".local/share");
  return data.empty() ? "" : data + "/vexa";
}

std::string UserSettingsFolder() {
  const std::string config = XdgFolder("XDG_CONFIG_HOME", ".config");
  return config.empty() ? "" : config + "/vexa";
}

std::string SystemReason() { return errno ? std::strerror(errno) : "the system gave no reason"; }

}  // namespace vexa
