// Values as the host passes them to the view and selection services' event
// handlers, which must not raise for a value they cannot use, and the
// logging of those operations' failures.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"

namespace nimbal {

// A value that an operation tests for its kind only when it reaches it:
// inside its guard, so a wrong one is logged like any failure there, or
// never, when the operation ends before. The embedding layer answers for the
// object it forwards to; the operation decides what None means and words
// the refusal.
template <class T>
class HostValue {
 public:
  class Source {
   public:
    virtual ~Source() = default;
    virtual bool is_none() const = 0;
    virtual std::optional<T> get() const = 0;
    virtual std::string type_name() const = 0;
  };

  explicit HostValue(std::shared_ptr<const Source> source) : source_(std::move(source)) {}
  bool is_none() const { return source_->is_none(); }
  std::optional<T> get() const { return source_->get(); }          // none: a value of another kind
  std::string type_name() const { return source_->type_name(); }  // the host's name of its type, for messages

 private:
  std::shared_ptr<const Source> source_;
};

// An id to look an entry up by: none for a value of another kind, which
// names no entry (the operation then does nothing).
struct HostId {
  std::optional<std::string> text;
  explicit operator bool() const { return text.has_value(); }
  const std::string& operator*() const { return *text; }
};

// A pixel position: the embedding layer truncates the host's real number
// toward zero to the kernel's integer pixels.
struct Pixel {
  int value = 0;
  operator int() const { return value; }
};

// The head of a guarded operation's error record and its logger: the
// operation's own guard and the refusal of its arguments log under the same
// head ("%s": the text of the id given).
struct ErrorHead {
  std::string_view logger;
  const char* text;
};

// Called while handling an operation's failure: logs it on `logger` at error
// level as `message` and the error's text, with the error attached;
// rethrows what the host does not count as an error of its operations.
inline void log_failure(std::string_view logger, const std::string& message) {
  if (!kernel::current_error_catchable()) throw;
  log::write(logger, log::Level::Error, message + kernel::current_error_text(), std::current_exception());
}

// Runs the steps of an operation that must not raise: a failure is logged
// headed by `prefix`, and the answer is false.
template <class F>
bool guarded(std::string_view logger, std::string_view prefix, F&& body) {
  try {
    body();
    return true;
  } catch (...) {
    log_failure(logger, std::string(prefix));
  }
  return false;
}

// The same on a service's logger.
template <class F>
bool guarded(const log::Logger& logger, std::string_view prefix, F&& body) {
  return guarded(logger.name(), prefix, std::forward<F>(body));
}

template <class F>
bool guarded(const ErrorHead& head, F&& body) {
  return guarded(head.logger, head.text, std::forward<F>(body));
}

// The same for a host value the operation refused before it began: a "%s"
// in `message` is the text of the first value (`first()`, asked only then).
template <class First>
void log_refused(const ErrorHead& head, First first) {
  if (!kernel::current_error_catchable()) throw;
  std::string message = head.text;
  if (auto at = message.find("%s"); at != std::string::npos) message.replace(at, 2, first());
  log_failure(head.logger, message);
}

// log_failure under `head`, its "%s" the id given.
inline void log_failure(const ErrorHead& head, const std::string& id) {
  log_refused(head, [&] { return id; });
}

}  // namespace nimbal
