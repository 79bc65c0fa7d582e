// Error kinds the core raises on bad input. C++ callers catch them as
// std::exception; the Python face maps each to one Python exception, in one
// place (nimbal_py/common.hpp).
#pragma once

#include <stdexcept>
#include <string>

namespace nimbal {

// A value of the wrong kind: text where a number belongs, a foreign object.
struct WrongType : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A value of the right kind that the operation cannot take (NaN, a bound).
struct InvalidValue : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// An object (or a null one) lacks the member the operation reads.
struct MissingMember : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A lookup by key or name found nothing.
struct NotFound : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A position outside a sequence.
struct OutOfRange : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A precondition of the caller's own making, which the host asserts.
struct BrokenPrecondition : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace nimbal
