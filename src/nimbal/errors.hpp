// Error kinds the core raises on bad input. The Python face maps each to the
// Python exception of the same name; C++ callers catch them as std::exception.
#pragma once

#include <stdexcept>
#include <string>

namespace nimbal {

struct TypeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct ValueError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct AttributeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct KeyError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A precondition of the caller's own making (the host's `assert`).
struct AssertionError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace nimbal
