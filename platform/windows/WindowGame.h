#pragma once
#include <ostream>

#include "session/CommandLine.h"

namespace vexa {

// Opens the window and plays until it is closed; returns the exit status.
int RunWindowGame(const Options& options, std::ostream& err);

}  // namespace vexa
