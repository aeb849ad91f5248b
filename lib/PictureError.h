#pragma once
#include <stdexcept>
#include <string>

namespace vexa {

// A picture that cannot be loaded; the text names the file and why.
struct PictureError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace vexa
