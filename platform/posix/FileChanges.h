#pragma once
// How many changes SystemFiles.cpp has made to files (a write, a new name, a removal), counted
// so that the page, which keeps its save folder in IndexedDB, can store it after a step that
// changed it without asking the file system after every step.
#include <cstdint>

namespace vexa {

std::uint64_t FileChangesMade();

}  // namespace vexa
