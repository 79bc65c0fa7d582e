// The reader process: kernel work that may crash, spin or read untrusted
// bytes runs in an executable of ours (nimbal-reader), spawned on first
// need beside the core library and reused. One request at a time per
// process; concurrent callers each lease their own process. Shapes travel in
// the kernel's binary form; the process's log records come back with the
// result and are replayed on the host's loggers.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

#include "nimbal/log.hpp"

namespace nimbal::services::reader {

enum class Request : char {
  read_step_file = 'S',
  read_iges_file = 'I',
  read_step_buffer = 'B',
  read_native_buffer = 'N',
  fillet = 'F',
  corner_round = 'C',
  sleep = 'Z',  // tests: a read that takes its time
};

struct LogRecord {
  std::string logger;
  log::Level level;
  std::string message;
};

// What a request gave.
struct Outcome {
  enum class Kind : unsigned char { shape, null_shape, refused, error };
  Kind kind = Kind::error;
  TopoDS_Shape shape;
  std::string error;  // the error's text for Kind::error
  // In the reader process: what the request used, freed once the answer is
  // sent (a read's model: the host need not wait for it to be freed).
  std::shared_ptr<void> spent;
};

Outcome failed(std::string text);

// How the host may stop a request besides its own interrupt: imports honour
// the cancel generation and the deadline, modelling operations only the
// interrupt.
struct Stops {
  bool cancellable = false;
};

// Runs one request in a reader process (started or restarted as needed) and
// waits for it, polling the host's interrupt check: what that throws goes on
// after the process is stopped. A crash, a cancel or a deadline passed is an
// error outcome. Records the process logged are appended to `records`.
Outcome run(Request kind, const std::string& a, const std::string& b, Stops stops, std::vector<LogRecord>& records);

void replay(const std::vector<LogRecord>& records);

// Shapes in the kernel's binary form, both ways; read throws on bad bytes.
std::string shape_bytes(const TopoDS_Shape& shape);
TopoDS_Shape shape_from_bytes(const std::string& bytes);

// The parameters of a round: radius and indices.
std::string round_params(double radius, const std::vector<long long>& indices);
bool read_round_params(const std::string& bytes, double& radius, std::vector<long long>& indices);

// Every import in progress now fails as cancelled.
void cancel_imports();
// The longest an import may take; none (the default) waits for ever.
void set_import_deadline(std::optional<double> seconds);
std::optional<double> import_deadline();

// Tests: a request read and reported as a STEP file's import is.
TopoDS_Shape import_for_test(Request kind, const std::string& a, const std::string& name);

// The processes waiting for work (tests look at them).
std::vector<int> idle_processes();

// ---- the reader process's side ----

// Answers requests on `fd` until it closes; the executable's whole work.
int serve(int fd);
// A kernel call that may never finish, given `seconds` in the reader
// process: past them the process ends by SIGALRM, which the host reports
// as a limit reached. Outside the reader process it does nothing.
class TimeLimit {
 public:
  explicit TimeLimit(unsigned seconds);
  ~TimeLimit();
  TimeLimit(const TimeLimit&) = delete;
  TimeLimit& operator=(const TimeLimit&) = delete;

 private:
  bool armed_;
};
// The handlers, beside the code they run.
Outcome serve_read(Request kind, const std::string& a, const std::string& b);
Outcome serve_operation(Request kind, const std::string& a, const std::string& b);

}  // namespace nimbal::services::reader
