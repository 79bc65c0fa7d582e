// Logging facade of the core. The core names a logger, a level and a message
// (and optionally the exception being handled); where the records go is set
// once by the embedding layer (the Python face forwards to `logging`).
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace nimbal::log {

// Same numbers as Python's logging levels.
enum class Level : int { Debug = 10, Info = 20, Warning = 30, Error = 40, Critical = 50 };

// `error` is null unless the record carries an exception ("with traceback").
using Sink = void (*)(std::string_view logger, Level level, std::string_view message,
                      std::exception_ptr error);
// Whether a record of `level` would be emitted at all (lets callers skip
// building messages nobody reads).
using EnabledQuery = bool (*)(std::string_view logger, Level level);

void set_sink(Sink sink, EnabledQuery enabled = nullptr);
bool enabled(std::string_view logger, Level level);
void write(std::string_view logger, Level level, std::string_view message,
           std::exception_ptr error = nullptr);

class Logger {
 public:
  explicit constexpr Logger(std::string_view name) : name_(name) {}
  std::string_view name() const { return name_; }

  void debug(std::string_view msg) const { write(name_, Level::Debug, msg); }
  void info(std::string_view msg) const { write(name_, Level::Info, msg); }
  void warning(std::string_view msg) const { write(name_, Level::Warning, msg); }
  void error(std::string_view msg) const { write(name_, Level::Error, msg); }
  // Logs at error level with the exception currently being handled.
  void exception(std::string_view msg) const {
    write(name_, Level::Error, msg, std::current_exception());
  }
  bool enabled_for(Level level) const { return log::enabled(name_, level); }

 private:
  std::string_view name_;
};

}  // namespace nimbal::log
