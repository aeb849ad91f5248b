#pragma once
// The game's own folder inside one of Windows' known folders.
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace vexa {

// "<the known folder>\vexa", made by the system when needed; "" when it has none.
std::string GameFolderIn(REFKNOWNFOLDERID id);

}  // namespace vexa
