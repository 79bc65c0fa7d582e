#include "nimbal/log.hpp"

#include <atomic>
#include <cstdio>

namespace nimbal::log {
namespace {

// Without an embedding layer (the C++ benchmark driver, C++ tests) warnings
// and errors still reach stderr.
void stderr_sink(std::string_view logger, Level level, std::string_view message,
                 std::exception_ptr) {
  if (level < Level::Warning) return;
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(logger.size()), logger.data(),
               static_cast<int>(message.size()), message.data());
}

std::atomic<Sink> g_sink{&stderr_sink};
std::atomic<EnabledQuery> g_enabled{nullptr};

}  // namespace

void set_sink(Sink sink, EnabledQuery enabled_query) {
  g_sink.store(sink ? sink : &stderr_sink);
  g_enabled.store(enabled_query);
}

bool enabled(std::string_view logger, Level level) {
  EnabledQuery q = g_enabled.load();
  return q ? q(logger, level) : level >= Level::Warning;
}

void write(std::string_view logger, Level level, std::string_view message,
           std::exception_ptr error) {
  g_sink.load()(logger, level, message, error);
}

}  // namespace nimbal::log
