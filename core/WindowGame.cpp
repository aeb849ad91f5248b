#include "core/WindowGame.h"

namespace vexa {

int RunWindowGame(const Options&, std::ostream& err) {
  err << "vexa: the window is not wired yet\n";
  return 1;
}

}  // namespace vexa
