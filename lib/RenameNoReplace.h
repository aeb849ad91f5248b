#pragma once
// Moving a file to a name only while that name is free: a kept save is never written over.
// Each platform gives RenameNoReplace (platform/sdl/RenameNoReplace.cpp: renameat2;
// platform/web/RenameNoReplace.cpp: the check below).

namespace vexa {

// 0 when `from` now has the name `to`; else -1 with errno, EEXIST when `to` was taken.
int RenameNoReplace(const char* from, const char* to);

// Checks the name, then renames: for a system or file system without an atomic way. Only a
// file made in between the two could be lost, and nothing else writes these names.
int RenameUnlessTaken(const char* from, const char* to);

}  // namespace vexa
