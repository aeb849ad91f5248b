#include "session/RenamedFile.h"

#include <cerrno>

#include "lib/SystemFiles.h"

namespace vexa {

RenamedFile::~RenamedFile() {
  if (temporary_.empty()) return;
  file_.close();
  RemoveFile(temporary_);
}

bool RenamedFile::Open(const std::string& path, const std::string& what, std::ostream& err) {
  path_ = path;
  shown_ = path;
  what_ = what;
  if (const FileKind kind = KindOf(path, true); kind != FileKind::None && kind != FileKind::Regular) {
    // A device or a pipe (/dev/stdout, say) is written as it is: there is nothing to keep.
    file_.open(PathOf(path), std::ios::binary);
    if (!file_) err << "vexa: cannot write " << what << ' ' << path << ": " << SystemReason() << '\n';
    return static_cast<bool>(file_);
  }
  // Through a link, the file it names is the one replaced, and the link stays.
  if (const std::string real = RealPath(path); !real.empty()) path_ = real;
  const std::string name = MakeNewFile(path_ + ".");
  if (name.empty()) {
    err << "vexa: cannot write " << what << ' ' << path << ": " << SystemReason() << '\n';
    return false;
  }
  temporary_ = name;
  file_.open(PathOf(temporary_), std::ios::binary | std::ios::trunc);
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
    ok = static_cast<bool>(file_) && MoveOver(temporary_, path_) == 0;
  }
  if (!ok) {
    err << "vexa: cannot write " << what_ << ' ' << shown_ << ": " << SystemReason() << '\n';
    return false;
  }
  temporary_.clear();
  return true;
}

}  // namespace vexa
