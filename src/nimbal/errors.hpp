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

// `cls.member` used on an instance of its subclass `sub` before the
// subclass's initialiser ran cls's own.
inline WrongType used_before_init(const std::string& cls, const std::string& member, const std::string& sub) {
  return WrongType(cls + "." + member + " used on a " + sub + " object before " + cls +
                   ".__init__() ran: call super().__init__() first");
}

}  // namespace nimbal
