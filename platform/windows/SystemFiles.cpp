// Files through Windows' wide calls: a name in UTF-8 reaches the file system as the same
// characters whatever the system's ANSI code page is.
#include "lib/SystemFiles.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/windows/KnownFolder.h"
#include "platform/windows/WideText.h"

namespace vexa {

namespace {

// The few system errors these calls meet, as the C library's numbers.
void SetErrnoFromSystem() {
  switch (GetLastError()) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: errno = EEXIST; break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: errno = ENOENT; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: errno = EACCES; break;
    case ERROR_DISK_FULL: errno = ENOSPC; break;
    default: errno = EIO; break;
  }
}

// Six letters and digits, new each call.
std::string SixCharacters() {
  static std::mt19937 pick{std::random_device{}()};
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string six(6, 'a');
  for (char& c : six) c = kAlphabet[pick() % (sizeof kAlphabet - 1)];
  return six;
}

}  // namespace

std::string GameFolderIn(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::string folder;
  if (SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path) == S_OK) folder = Utf8OfWide(path) + "\\vexa";
  CoTaskMemFree(path);
  return folder;
}

FileKind KindOf(const std::string& name, bool followLinks) {
  const DWORD attributes = GetFileAttributesW(WideOf(name).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::None;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !followLinks) return FileKind::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::Folder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return FileKind::Device;
  return FileKind::Regular;
}

int OpenFile(const std::string& name, OpenFor how) {
  const std::wstring wide = WideOf(name);
  constexpr int kAlways = _O_BINARY | _O_NOINHERIT;
  int fd = -1;
  switch (how) {
    case OpenFor::Reading: _wsopen_s(&fd, wide.c_str(), _O_RDONLY | kAlways, _SH_DENYNO, 0); break;
    case OpenFor::Writing:
      _wsopen_s(&fd, wide.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | kAlways, _SH_DENYNO, _S_IREAD | _S_IWRITE);
      break;
    case OpenFor::Appending:
      _wsopen_s(&fd, wide.c_str(), _O_WRONLY | _O_CREAT | _O_APPEND | kAlways, _SH_DENYNO, _S_IREAD | _S_IWRITE);
      break;
    case OpenFor::NewOnly:
      _wsopen_s(&fd, wide.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | kAlways, _SH_DENYNO, _S_IREAD | _S_IWRITE);
      break;
  }
  return fd;
}

std::int64_t RegularFileSize(int fd) {
  struct _stat64 info {};
  if (_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return -1;
  return info.st_size;
}

long ReadSome(int fd, void* into, std::size_t size) {
  const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
  return _read(fd, into, chunk);
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    const int n = _write(fd, bytes, chunk);
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SyncFile(int fd) { return _commit(fd) == 0; }
bool CloseFile(int fd) { return _close(fd) == 0; }

std::string MakeNewFile(const std::string& stem) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = stem + SixCharacters();
    const int fd = OpenFile(name, OpenFor::NewOnly);
    if (fd >= 0) {
      _close(fd);
      return name;
    }
    if (errno != EEXIST) return "";
  }
  return "";
}

std::string MakeNewFolder(const std::string& stem) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = stem + SixCharacters();
    if (CreateDirectoryW(WideOf(name).c_str(), nullptr)) return name;
    SetErrnoFromSystem();
    if (errno != EEXIST) return "";
  }
  return "";
}

int MoveOver(const std::string& from, const std::string& to) {
  if (MoveFileExW(WideOf(from).c_str(), WideOf(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 0;
  SetErrnoFromSystem();
  return -1;
}

int RemoveFile(const std::string& name) { return _wunlink(WideOf(name).c_str()); }

// MOVEFILE_WRITE_THROUGH already waits for the move to reach the disk.
void SyncFolder(const std::string&) {}

std::string RealPath(const std::string& name) {
  const std::wstring wide = WideOf(name);
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return "";
  std::wstring full(n, L'\0');
  const DWORD got = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  full.resize(got);
  return Utf8OfWide(full);
}

std::string UserDataFolder() { return GameFolderIn(FOLDERID_RoamingAppData); }
std::string UserSettingsFolder() { return GameFolderIn(FOLDERID_RoamingAppData); }

std::string SystemReason() { return errno ? std::strerror(errno) : "the system gave no reason"; }

}  // namespace vexa
