#pragma once
// A file written beside its name and renamed over it once complete, so an earlier file of
// that name stays whole until then, whatever stops the program on the way.
#include <fstream>
#include <ostream>
#include <string>

#include "lib/SystemFiles.h"

namespace vexa {

class RenamedFile {
 public:
  RenamedFile() = default;
  RenamedFile(const RenamedFile&) = delete;
  RenamedFile& operator=(const RenamedFile&) = delete;
  ~RenamedFile();  // an unfinished file is removed

  // Makes the temporary file "PATH.XXXXXX"; false after one line naming `what` and the reason.
  bool Open(const std::string& path, const std::string& what, std::ostream& err);
  std::ostream& Stream() { return file_; }
  bool IsOpen() const { return !temporary_.empty(); }
  // Writes it out and renames it over PATH; false after one line with the reason.
  bool Finish(std::ostream& err);

 private:
  std::string path_;   // the file replaced (through links)
  std::string shown_;  // as the player named it
  std::string what_;
  std::string temporary_;
  std::ofstream file_;
};

}  // namespace vexa
