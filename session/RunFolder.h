#pragma once
// The folder a game keeps "save.dat" and the report in: the window's, made current once,
// and a replay's, which never touches the player's save when it brings its own.
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "lib/BrixSaveLoad.h"

namespace vexa {

// Creates `folder` when missing and makes it the current folder; false after one line on `err`.
bool EnterFolder(const std::string& folder, std::ostream& err);

// One line when anything but a file or a link stands where "save.dat" goes in the current folder.
void TellSaveInTheWay(const std::string& folder, std::ostream& err);

// A replay's folder for the length of its run. Without `folder` a replay that brings a save
// runs in a new folder, removed afterwards; with one, that folder's "save.dat" is made to
// hold the replay's save. The current folder is given back at the end.
class RunFolder {
 public:
  RunFolder() = default;
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
  ~RunFolder();

  // `replayFile` names the replay in what is said on `err`.
  bool Enter(const std::string& folder, const std::optional<SaveImage>& save, const std::string& replayFile,
             std::ostream& err);

 private:
  std::filesystem::path previous_;
  std::string temporary_;
};

}  // namespace vexa
