#pragma once
// Files by their UTF-8 names: the one place a name meets the operating system. Each platform
// gives these (platform/posix/SystemFiles.cpp, platform/windows/SystemFiles.cpp); failures
// leave errno set, as the C library's own do.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vexa {

enum class FileKind { None, Regular, Link, Folder, Pipe, Socket, Device };

// What is at `name`; a link is a Link unless `followLinks`.
FileKind KindOf(const std::string& name, bool followLinks = false);

// Reading and the two writing modes never wait on a pipe with no one at the other end;
// NewOnly fails when the name is taken.
enum class OpenFor { Reading, Writing, Appending, NewOnly };

// A descriptor for the calls below, or -1.
int OpenFile(const std::string& name, OpenFor how);
// The size of an open regular file; -1 for anything else or a failure.
std::int64_t RegularFileSize(int fd);
// Bytes read, 0 at the end, -1 on a failure; an interrupted read is taken up again.
long ReadSome(int fd, void* into, std::size_t size);
bool WriteAll(int fd, const void* data, std::size_t size);
bool SyncFile(int fd);
bool CloseFile(int fd);

// A new empty file, or folder, named `stem` and six more characters, with the rights a new
// file of the player's gets; its name, or "".
std::string MakeNewFile(const std::string& stem);
std::string MakeNewFolder(const std::string& stem);

// Replaces `to` at once, never leaving it half written: 0, or -1.
int MoveOver(const std::string& from, const std::string& to);
int RemoveFile(const std::string& name);
// A rename is only lasting once the folder that holds it is on disk too.
void SyncFolder(const std::string& folder);

// The file a name stands for once links are followed; "" when there is none.
std::string RealPath(const std::string& name);
// Where the player's own data and settings go by default: "" when the system says nowhere.
std::string UserDataFolder();
std::string UserSettingsFolder();

// The system's words for errno.
std::string SystemReason();

// Paths from and to UTF-8 whatever the system's own narrow encoding is.
inline std::filesystem::path PathOf(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace vexa
