#pragma once
// What the game told the player since the journal was last read: every line given to
// AddMessage and every sound started with TBrixWave::Play. Replays write it into the
// trace; tests read it. Nothing is recorded while no journal is attached.
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

struct Journal {
  std::vector<std::string> messages;
  std::vector<std::string> sounds;  // file names without their folder
};

void AttachJournal(Journal* journal);  // nullptr detaches
void JournalMessage(std::string_view text);
void JournalSound(std::string_view fileName);

}  // namespace vexa
