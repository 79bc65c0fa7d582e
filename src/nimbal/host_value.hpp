// A value the host passed that an operation tests for its kind only when it
// reaches it: inside its guard, so a wrong one is logged like any failure
// there, or never, when the operation ends before. The embedding layer
// answers for the object it forwards to; the operation decides what None
// means and words the refusal.
#pragma once

#include <optional>
#include <string>

namespace nimbal {

template <class T>
class HostValue {
 public:
  virtual ~HostValue() = default;
  virtual bool is_none() const = 0;
  virtual std::optional<T> get() const = 0;   // none: a value of another kind
  virtual std::string type_name() const = 0;  // the host's name of its type, for messages
};

}  // namespace nimbal
