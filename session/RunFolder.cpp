#include "session/RunFolder.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lib/SystemFiles.h"

namespace vexa {

bool EnterFolder(const std::string& folder, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(PathOf(folder), ec);
  if (!ec) std::filesystem::current_path(PathOf(folder), ec);
  if (ec) {
    err << "vexa: cannot use the folder " << folder << " for the save: " << ec.message() << '\n';
    return false;
  }
  if (::access(".", W_OK) != 0) {
    // The game can still be played; only its saves will fail, and the player should know why.
    err << "vexa: the save folder " << folder << " cannot be written (" << std::strerror(errno)
        << "): saves will fail\n";
  }
  return true;
}

void TellSaveInTheWay(const std::string& folder, std::ostream& err) {
  const std::string what = TBrixSaveLoad::InTheWay();
  if (!what.empty())
    err << "vexa: save.dat in " << folder << " is " << what << ", not a file: saves will fail until it is moved\n";
}

RunFolder::~RunFolder() {
  std::error_code ec;
  if (!previous_.empty()) std::filesystem::current_path(previous_, ec);
  if (!temporary_.empty()) std::filesystem::remove_all(PathOf(temporary_), ec);
}

bool RunFolder::Enter(const std::string& folder, const std::optional<SaveImage>& save, const std::string& replayFile,
                      std::ostream& err) {
  namespace fs = std::filesystem;
  std::error_code ec;
  previous_ = fs::current_path(ec);
  if (!folder.empty()) {
    if (!EnterFolder(folder, err)) return false;
    if (!save) TellSaveInTheWay(folder, err);  // else putting the save in place says it
  } else if (save) {
    const fs::path temp = fs::temp_directory_path(ec);
    const std::string made = ec ? "" : MakeNewFolder(Utf8Of(temp / "vexa-replay-"));
    if (made.empty()) {
      const std::string why = ec ? ec.message() : SystemReason();
      err << "vexa: cannot make a folder for the replay's save in " << Utf8Of(temp) << ": " << why << '\n';
      return false;
    }
    temporary_ = made;
    if (!EnterFolder(temporary_, err)) return false;
  } else {
    TellSaveInTheWay(Utf8Of(previous_), err);
  }
  if (!save) return true;
  std::string kept;
  const std::string failed = TBrixSaveLoad::PlaceImage(*save, kept);
  if (!kept.empty()) err << "vexa: the save.dat that was in " << folder << " is kept as " << kept << '\n';
  if (!failed.empty()) {
    err << "vexa: " << replayFile << ": the replay's save cannot be put in place: " << failed << '\n';
    return false;
  }
  return true;
}

}  // namespace vexa
