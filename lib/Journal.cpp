#include "lib/Journal.h"

namespace vexa {

namespace {
Journal* attached = nullptr;
}

void AttachJournal(Journal* journal) { attached = journal; }

void JournalMessage(std::string_view text) {
  if (attached) attached->messages.emplace_back(text);
}

void JournalSound(std::string_view fileName) {
  if (attached) attached->sounds.emplace_back(fileName);
}

}  // namespace vexa
