// The reader process and its host side. The process is spawned, never
// forked: a fork of a threaded host inherits locks other threads held (the
// kernel's error-handler mutex among them) and costs what the host weighs.
#include "nimbal/services/drulen_reader.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <deque>
#include <mutex>
#include <sstream>
#include <thread>

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <BinTools.hxx>
#include <Standard_Failure.hxx>

#include "nimbal/errors.hpp"
#include "nimbal/kernel.hpp"

extern char** environ;

namespace nimbal::services::reader {

namespace {

// ---- frames: tag, head, two byte strings; the same both ways ----

template <class T>
void put(std::string& buf, T v) {
  std::uint64_t u = static_cast<std::uint64_t>(v);
  buf.append(reinterpret_cast<const char*>(&u), sizeof u);
}

std::string frame(char tag, std::uint64_t head, const std::string& a, const std::string& b) {
  std::string buf(1, tag);
  put(buf, head);
  put(buf, a.size());
  buf += a;
  put(buf, b.size());
  buf += b;
  return buf;
}

bool send_all(int fd, const std::string& buf) {
  for (std::size_t done = 0; done < buf.size();) {
    ssize_t n = ::send(fd, buf.data() + done, buf.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

struct Frame {
  char tag = 0;
  std::uint64_t head = 0;
  std::string a, b;
};

// The next whole frame at the front of `buf`, taken off it; false while
// incomplete.
bool take_frame(std::string& buf, Frame& f) {
  auto get = [&](std::size_t& p, std::uint64_t& v) {
    if (buf.size() < p + sizeof v) return false;
    std::memcpy(&v, buf.data() + p, sizeof v);
    p += sizeof v;
    return true;
  };
  std::size_t p = 1;
  std::uint64_t na = 0, nb = 0;
  if (buf.empty() || !get(p, f.head) || !get(p, na) || buf.size() - p < na) return false;
  std::size_t pa = p;
  p += na;
  if (!get(p, nb) || buf.size() - p < nb) return false;
  f.tag = buf[0];
  f.a.assign(buf, pa, na);
  f.b.assign(buf, p, nb);
  buf.erase(0, p + nb);
  return true;
}

// ---- the executable ----

std::string directory_of_this_library() {
  Dl_info info{};
  if (!::dladdr(reinterpret_cast<void*>(&directory_of_this_library), &info) || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  if (!::realpath(info.dli_fname, resolved)) return {};
  std::string path(resolved);
  return path.substr(0, path.rfind('/'));
}

// Found beside this library, in the build tree as in an installed package;
// resolved at load, before the host can change its directory.
const std::string g_executable = directory_of_this_library() + "/nimbal-reader";

struct Process {
  pid_t pid = -1;
  int fd = -1;
  pid_t owner = 0;  // the host process that spawned it (a fork of the host owns none)
};

std::string spawn_error(const char* what, int err) {
  return std::string("could not start the reader process: ") + what + ": " + std::strerror(err);
}

// The host's environment, with the kernel's allocator set to its scalable
// one unless the host chose one: the reader's checks run on every core, and
// with the C library's allocator the transfer after them ran slower. Under
// the address sanitizer the kernel keeps the allocator the sanitizer sees.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kScalableAllocator = false;
#else
constexpr bool kScalableAllocator = true;
#endif

std::vector<char*> reader_environment() {
  std::vector<char*> env;
  bool chosen = false;
  for (char** e = environ; *e; ++e) {
    chosen = chosen || std::strncmp(*e, "MMGT_OPT=", 9) == 0;
    env.push_back(*e);
  }
  static char scalable[] = "MMGT_OPT=2";
  if (kScalableAllocator && !chosen) env.push_back(scalable);
  env.push_back(nullptr);
  return env;
}

// Spawns one process; throws the reason it could not.
Process spawn_now() {
  int sv[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0)
    throw kernel::KernelError(spawn_error("socketpair", errno));
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawnattr_init(&attr);
  // The request socket as descriptor 3; the kernel's printouts go nowhere;
  // nothing else of the host's is inherited.
  ::posix_spawn_file_actions_adddup2(&actions, sv[1], 3);
  ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  ::posix_spawn_file_actions_addclosefrom_np(&actions, 4);
  // Default dispositions and no blocked signal, whatever the host set; its
  // own process group, so a terminal's Ctrl-C reaches the host only, which
  // decides.
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  ::posix_spawnattr_setsigdefault(&attr, &all);
  ::posix_spawnattr_setsigmask(&attr, &none);
  ::posix_spawnattr_setpgroup(&attr, 0);
  ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
  const std::string host = std::to_string(::getpid());
  std::vector<char*> argv{const_cast<char*>(g_executable.c_str()), const_cast<char*>(host.c_str()), nullptr};
  pid_t pid = -1;
  std::vector<char*> env = reader_environment();
  int err = ::posix_spawn(&pid, g_executable.c_str(), &actions, &attr, argv.data(), env.data());
  ::posix_spawn_file_actions_destroy(&actions);
  ::posix_spawnattr_destroy(&attr);
  ::close(sv[1]);
  if (err != 0) {
    ::close(sv[0]);
    throw kernel::KernelError(spawn_error(g_executable.c_str(), err));
  }
  return Process{pid, sv[0], ::getpid()};
}

// The process learns of its host's end from the thread that spawned it
// (PR_SET_PDEATHSIG follows that thread, not the process), so every process
// is spawned by one thread that lives as long as the host. Never destroyed:
// it may be waiting when the host exits.
class Spawner {
 public:
  static Spawner& get() {
    static Spawner* s = new Spawner();
    return *s;
  }

  Process spawn() {
    Job job;
    std::unique_lock<std::mutex> lock(m_);
    if (started_for_ != ::getpid()) {
      // First use, or a fork of the host: the thread is not in this process.
      jobs_.clear();
      std::thread([this] { loop(); }).detach();
      started_for_ = ::getpid();
    }
    jobs_.push_back(&job);
    cv_.notify_all();
    cv_.wait(lock, [&] { return job.done; });
    if (!job.error.empty()) throw kernel::KernelError(job.error);
    return job.result;
  }

 private:
  struct Job {
    bool done = false;
    Process result;
    std::string error;
  };

  void loop() {
    std::unique_lock<std::mutex> lock(m_);
    for (;;) {
      cv_.wait(lock, [&] { return !jobs_.empty(); });
      Job* job = jobs_.front();
      jobs_.pop_front();
      lock.unlock();
      try {
        job->result = spawn_now();
      } catch (const std::exception& e) {
        job->error = e.what();
      }
      lock.lock();
      job->done = true;
      cv_.notify_all();
    }
  }

  std::mutex m_;
  std::condition_variable cv_;
  std::deque<Job*> jobs_;
  pid_t started_for_ = 0;
};

std::mutex g_pool_mutex;
std::vector<Process> g_idle;
// Enough for the host's concurrent callers; more are closed after use.
constexpr std::size_t kMaxIdle = 8;

int reap(pid_t pid) {
  int status = 0;
  pid_t waited;
  do waited = ::waitpid(pid, &status, 0);
  while (waited < 0 && errno == EINTR);
  // A host that reaps every child itself leaves no status.
  return waited == pid ? status : -1;
}

int stop(const Process& p) {
  ::close(p.fd);
  if (p.owner != ::getpid()) return -1;  // another process's child
  ::kill(p.pid, SIGKILL);
  return reap(p.pid);
}

Process acquire() {
  {
    std::lock_guard<std::mutex> lock(g_pool_mutex);
    while (!g_idle.empty()) {
      Process p = g_idle.back();
      g_idle.pop_back();
      if (p.owner != ::getpid()) {
        ::close(p.fd);
        continue;
      }
      // An idle process has nothing to say. One that hung up ended after its
      // last answer (killed, or crashed freeing what it used); one that
      // speaks unasked is out of step. Either would fail a request that is
      // not at fault.
      pollfd pfd{p.fd, POLLIN, 0};
      if (::poll(&pfd, 1, 0) == 0) return p;
      stop(p);
    }
  }
  return Spawner::get().spawn();
}

void release(const Process& p) {
  {
    std::lock_guard<std::mutex> lock(g_pool_mutex);
    if (g_idle.size() < kMaxIdle) {
      g_idle.push_back(p);
      return;
    }
  }
  stop(p);
}

std::string how_it_ended(int status) {
  if (status == -1) return "the reader process ended abnormally";
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)  // a TimeLimit ran out
    return "a kernel call on what was read did not finish within its time limit";
  if (WIFSIGNALED(status)) {
    const char* name = ::strsignal(WTERMSIG(status));
    return "the reader process was killed by signal " + std::to_string(WTERMSIG(status)) +
           (name ? std::string(" (") + name + ")" : std::string());
  }
  if (WIFEXITED(status)) return "the reader process ended with status " + std::to_string(WEXITSTATUS(status));
  return "the reader process ended abnormally";
}

// A leased process goes back to the pool only after a whole answer; on any
// other way out (a crash, a stop, the host's interrupt) it is killed.
class Lease {
 public:
  Lease() : p_(acquire()) {}
  ~Lease() {
    if (healthy_) release(p_);
    else if (!ended_) stop(p_);
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
  const Process& process() const { return p_; }
  void done() { healthy_ = true; }
  // Kills it now; how it ended.
  std::string end() {
    ended_ = true;
    return how_it_ended(stop(p_));
  }

 private:
  Process p_;
  bool healthy_ = false;
  bool ended_ = false;
};

std::atomic<std::uint64_t> g_cancel_generation{0};
std::atomic<double> g_deadline{0.0};  // seconds; 0: none

constexpr int kPollMillis = 100;
// A flood of messages from a broken file is cut.
constexpr std::size_t kMaxRecords = 1000;

Outcome decode(const Frame& f) {
  Outcome o;
  o.kind = static_cast<Outcome::Kind>(f.head);
  switch (o.kind) {
    case Outcome::Kind::shape:
      try {
        o.shape = shape_from_bytes(f.a);
        if (o.shape.IsNull()) return failed("the shape read could not be restored");
      } catch (const Standard_Failure& e) {
        return failed("the shape read could not be restored: " + kernel::failure_text(e));
      } catch (const std::exception& e) {
        return failed(std::string("the shape read could not be restored: ") + e.what());
      }
      return o;
    case Outcome::Kind::null_shape:
    case Outcome::Kind::refused: return o;
    default: return failed(f.a);
  }
}

std::string seconds_text(double s) {
  std::ostringstream out;
  out << s;
  return out.str();
}

}  // namespace

Outcome failed(std::string text) {
  Outcome o;
  o.error = std::move(text);
  return o;
}

Outcome run(Request kind, const std::string& a, const std::string& b, Stops stops, std::vector<LogRecord>& records) {
  const auto start = std::chrono::steady_clock::now();
  const std::uint64_t generation = g_cancel_generation.load();
  const double deadline = stops.cancellable ? g_deadline.load() : 0.0;
  kernel::WaitScope waiting;
  std::optional<Lease> lease;
  try {
    lease.emplace();
  } catch (const std::exception& e) {  // no process, no thread to spawn it
    return failed(e.what());
  }
  const int fd = lease->process().fd;
  if (!send_all(fd, frame(static_cast<char>(kind), 0, a, b))) return failed(lease->end());
  std::string in;
  std::size_t kept = 0;
  char chunk[1 << 16];
  for (;;) {
    Frame f;
    while (take_frame(in, f)) {
      if (f.tag == 'L') {
        if (++kept <= kMaxRecords) records.push_back({f.a, static_cast<log::Level>(f.head), f.b});
        continue;
      }
      if (f.tag != 'R') return failed(lease->end());
      Outcome o = decode(f);
      lease->done();
      return o;
    }
    pollfd pfd{fd, POLLIN, 0};
    int ready = ::poll(&pfd, 1, kPollMillis);
    // The host's interrupt ends the wait by throwing: the lease stops the
    // process on the way out.
    kernel::check_interrupt();
    if (stops.cancellable && g_cancel_generation.load() != generation) {
      lease->end();
      return failed("the import was cancelled");
    }
    if (deadline > 0 &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > deadline) {
      lease->end();
      return failed("the import took longer than its deadline of " + seconds_text(deadline) + " s");
    }
    if (ready <= 0) continue;
    ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return failed(lease->end());
    in.append(chunk, static_cast<std::size_t>(n));
  }
}

void replay(const std::vector<LogRecord>& records) {
  for (const auto& r : records) log::write(r.logger, r.level, r.message);
}

std::string shape_bytes(const TopoDS_Shape& shape) {
  std::ostringstream out(std::ios::binary);
  BinTools::Write(shape, out);
  return std::move(out).str();
}

TopoDS_Shape shape_from_bytes(const std::string& bytes) {
  TopoDS_Shape shape;
  std::istringstream in(bytes, std::ios::binary);
  BinTools::Read(shape, in);
  return shape;
}

std::string round_params(double radius, const std::vector<long long>& indices) {
  std::string out(reinterpret_cast<const char*>(&radius), sizeof radius);
  for (long long i : indices) out.append(reinterpret_cast<const char*>(&i), sizeof i);
  return out;
}

bool read_round_params(const std::string& bytes, double& radius, std::vector<long long>& indices) {
  if (bytes.size() < sizeof radius || (bytes.size() - sizeof radius) % sizeof(long long) != 0) return false;
  std::memcpy(&radius, bytes.data(), sizeof radius);
  indices.resize((bytes.size() - sizeof radius) / sizeof(long long));
  if (!indices.empty()) std::memcpy(indices.data(), bytes.data() + sizeof radius, bytes.size() - sizeof radius);
  return true;
}

void cancel_imports() { g_cancel_generation.fetch_add(1); }

void set_import_deadline(std::optional<double> seconds) {
  if (seconds && !(*seconds > 0.0)) throw InvalidValue("the import deadline must be a positive number of seconds");
  g_deadline.store(seconds ? *seconds : 0.0);
}

std::optional<double> import_deadline() {
  double d = g_deadline.load();
  return d > 0 ? std::optional<double>(d) : std::nullopt;
}

std::vector<int> idle_processes() {
  std::lock_guard<std::mutex> lock(g_pool_mutex);
  std::vector<int> out;
  for (const auto& p : g_idle) out.push_back(p.pid);
  return out;
}

// ---- the reader process's side ----

namespace {

int g_serve_fd = -1;
std::size_t g_records = 0;

void serve_log_sink(std::string_view logger, log::Level level, std::string_view message, std::exception_ptr) {
  if (g_serve_fd < 0 || ++g_records > kMaxRecords) return;
  if (!send_all(g_serve_fd, frame('L', static_cast<std::uint64_t>(level), std::string(logger), std::string(message))))
    ::_exit(3);
}

bool serve_log_enabled(std::string_view, log::Level) { return g_records < kMaxRecords; }

bool read_exact(int fd, char* p, std::size_t n) {
  while (n > 0) {
    ssize_t got = ::read(fd, p, n);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

bool read_u64(int fd, std::uint64_t& v) { return read_exact(fd, reinterpret_cast<char*>(&v), sizeof v); }

bool read_string(int fd, std::string& s) {
  std::uint64_t n = 0;
  if (!read_u64(fd, n)) return false;
  s.resize(n);
  return n == 0 || read_exact(fd, &s[0], n);
}

Outcome dispatch(Request kind, const std::string& a, const std::string& b) {
  switch (kind) {
    case Request::read_step_file:
    case Request::read_iges_file:
    case Request::read_step_buffer:
    case Request::read_native_buffer: return serve_read(kind, a, b);
    case Request::fillet:
    case Request::corner_round: return serve_operation(kind, a, b);
    case Request::sleep: {
      std::this_thread::sleep_for(std::chrono::duration<double>(std::stod(a)));
      Outcome o;
      o.kind = Outcome::Kind::null_shape;
      return o;
    }
  }
  return failed("unknown request");
}

}  // namespace

// The spawn gave the process default dispositions and an empty mask, so
// SIGALRM ends it.
TimeLimit::TimeLimit(unsigned seconds) : armed_(g_serve_fd >= 0) {
  if (armed_) ::alarm(std::max(1u, seconds));
}

TimeLimit::~TimeLimit() {
  if (armed_) ::alarm(0);
}

int serve(int fd) {
  g_serve_fd = fd;
  log::set_sink(&serve_log_sink, &serve_log_enabled);
  kernel::route_kernel_messages();
  for (;;) {
    char tag;
    std::uint64_t head;
    std::string a, b;
    if (!read_exact(fd, &tag, 1) || !read_u64(fd, head) || !read_string(fd, a) || !read_string(fd, b)) return 0;
    g_records = 0;
    Outcome o;
    try {
      o = dispatch(static_cast<Request>(tag), a, b);
    } catch (const Standard_Failure& f) {
      o = failed(kernel::failure_text(f));
    } catch (const std::exception& e) {
      o = failed(e.what());
    }
    std::string payload = o.error;
    if (o.kind == Outcome::Kind::shape) {
      try {
        payload = shape_bytes(o.shape);
      } catch (const Standard_Failure& f) {
        o.kind = Outcome::Kind::error;
        payload = kernel::failure_text(f);
      } catch (const std::exception& e) {
        o.kind = Outcome::Kind::error;
        payload = e.what();
      }
    }
    if (!send_all(fd, frame('R', static_cast<std::uint64_t>(o.kind), payload, std::string()))) return 3;
  }
}

}  // namespace nimbal::services::reader
