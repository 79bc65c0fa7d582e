// STEP and IGES exchange. Writers write to a temporary file beside the
// target and rename it into place, so a failed export never leaves a
// half-written file; the temporary is removed on every path.
//
// The kernel's readers dereference null handles on damaged files, so files
// are read in a forked child process that sends the shape back in the
// kernel's binary form: a reader that crashes fails the import, not the host.
// The kernel's exchange code is not thread-safe: one process-wide lock
// serialises every read and write.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <sstream>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <BinTools.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <IGESControl_Reader.hxx>
#include <IGESControl_Writer.hxx>
#include <Interface_Static.hxx>
#include <STEPControl_Reader.hxx>
#include <STEPControl_Controller.hxx>
#include <STEPControl_Writer.hxx>
#include <StepData_StepModel.hxx>
#include <StepShape_Face.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <XSControl_Reader.hxx>

#include "nimbal/kernel.hpp"
#include "nimbal/services/drulen_detail.hpp"

namespace nimbal::services {

namespace {

bool ends_with(const std::string& s, const char* suffix) {
  std::size_t n = std::char_traits<char>::length(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// A file name the kernel can take: its C string must be the whole name.
void require_plain_name(const std::string& filename) {
  if (filename.find('\0') != std::string::npos) throw InvalidValue("file name contains a NUL character");
}

// Where a chain of symbolic links at `path` ends (a relative target is read
// beside its link): an export replaces that file, so the link stays a link.
// Throws OsFailure when the chain cannot be followed.
struct OsFailure {
  int err;
};

std::string resolve_links(std::string path) {
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    if (hops == 40) throw OsFailure{ELOOP};
    std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0) throw OsFailure{errno};
    if (static_cast<std::size_t>(n) >= buf.size()) throw OsFailure{ENAMETOOLONG};
    std::string target(buf.data(), static_cast<std::size_t>(n));
    if (target.empty()) throw OsFailure{ENOENT};
    if (target[0] != '/') {
      auto slash = path.rfind('/');
      if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
    }
    path = std::move(target);
  }
}

// A fresh file beside the file `target` names (links followed), removed on
// destruction unless committed. It gets the mode of the file it replaces,
// or the one a plain create would give. When it cannot be made, why() says
// why and the export logs it.
class TempFile {
 public:
  explicit TempFile(const std::string& target) {
    try {
      target_ = resolve_links(target);
    } catch (const OsFailure& f) {
      fail(f.err, target);
      return;
    }
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode_t mode = 0666 & ~mask;
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) {
        fail(EISDIR, target_);
        return;
      }
      mode = st.st_mode & 07777;
    }
    std::string pattern = target_ + ".tmp-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) {
      fail(errno, target_);
      return;
    }
    ::fchmod(fd, mode);  // mkstemp makes the file private
    ::close(fd);
    path_.assign(buf.data());
  }
  ~TempFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  const std::string& why() const { return why_; }
  // Moves the written file onto the target.
  bool commit() {
    if (std::rename(path_.c_str(), target_.c_str()) != 0) {
      fail(errno, target_);
      return false;
    }
    path_.clear();
    return true;
  }

 private:
  void fail(int err, const std::string& name) {
    why_ = "cannot write " + name + ": " + std::strerror(err);
  }
  std::string target_;
  std::string path_;
  std::string why_;
};

// ---- reading in a child process ----

struct LogRecord {
  std::string logger;
  log::Level level;
  std::string message;
};

// What reading one input gave.
struct ReadOutcome {
  enum class Kind : unsigned char { shape, null_shape, refused, error };
  Kind kind = Kind::error;
  TopoDS_Shape shape;
  std::string error;  // the error's text for Kind::error
};

using ReadOne = std::function<ReadOutcome(std::size_t)>;

// Frames the child appends to the shared file, each whole or cut off by a
// crash: 'L' level logger message (a log record), 'R' kind payload (an
// outcome; the shape in binary form or the error text), 'E' (done).
class FrameWriter {
 public:
  explicit FrameWriter(int fd) : fd_(fd) {}
  void frame(char tag, std::uint32_t head, const std::string& a, const std::string& b = std::string()) {
    std::string buf(1, tag);
    put(buf, head);
    put(buf, a.size());
    buf += a;
    put(buf, b.size());
    buf += b;
    for (std::size_t done = 0; done < buf.size();) {
      ssize_t n = ::write(fd_, buf.data() + done, buf.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ::_exit(3);
      done += static_cast<std::size_t>(n);
    }
  }

 private:
  template <class T>
  static void put(std::string& buf, T v) {
    std::uint64_t u = static_cast<std::uint64_t>(v);
    buf.append(reinterpret_cast<const char*>(&u), sizeof u);
  }
  int fd_;
};

class FrameReader {
 public:
  explicit FrameReader(std::string data) : data_(std::move(data)) {}
  // The next whole frame; false at the end or at a frame cut off.
  bool next(char& tag, std::uint64_t& head, std::string& a, std::string& b) {
    std::size_t p = pos_;
    if (p >= data_.size()) return false;
    tag = data_[p++];
    std::uint64_t na = 0, nb = 0;
    if (!get(p, head) || !get(p, na) || na > data_.size() - p) return false;
    a.assign(data_, p, na);
    p += na;
    if (!get(p, nb) || nb > data_.size() - p) return false;
    b.assign(data_, p, nb);
    pos_ = p + nb;
    return true;
  }

 private:
  bool get(std::size_t& p, std::uint64_t& v) const {
    if (data_.size() - p < sizeof v) return false;
    std::memcpy(&v, data_.data() + p, sizeof v);
    p += sizeof v;
    return true;
  }
  std::string data_;
  std::size_t pos_ = 0;
};

// The child's log sink: records travel to the parent, which logs them. The
// child must not run the embedding layer's code (another thread may have held
// its locks at the fork).
FrameWriter* g_child_frames = nullptr;
std::size_t g_child_records = 0;
// Enough for any file's messages; a flood from a broken file is cut.
constexpr std::size_t kMaxChildRecords = 1000;

void child_log_sink(std::string_view logger, log::Level level, std::string_view message, std::exception_ptr) {
  if (!g_child_frames || ++g_child_records > kMaxChildRecords) return;
  g_child_frames->frame('L', static_cast<std::uint32_t>(level), std::string(logger), std::string(message));
}

bool child_log_enabled(std::string_view, log::Level) { return g_child_records < kMaxChildRecords; }

[[noreturn]] void run_child(int fd, pid_t parent, std::size_t first, std::size_t count, const ReadOne& read_one) {
  // A reader left behind by a host that ended must not run on.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent) ::_exit(4);
  // A crash ends the child quietly: the host's handlers (Python's
  // faulthandler) must not run here.
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGINT}) std::signal(sig, SIG_DFL);
  FrameWriter frames(fd);
  g_child_frames = &frames;
  log::set_sink(&child_log_sink, &child_log_enabled);
  for (std::size_t i = first; i < count; ++i) {
    ReadOutcome o = read_one(i);
    std::string payload = o.error;
    if (o.kind == ReadOutcome::Kind::shape) {
      try {
        std::ostringstream out(std::ios::binary);
        BinTools::Write(o.shape, out);
        payload = std::move(out).str();
      } catch (const Standard_Failure& f) {
        o.kind = ReadOutcome::Kind::error;
        payload = kernel::failure_text(f);
      } catch (const std::exception& e) {
        o.kind = ReadOutcome::Kind::error;
        payload = e.what();
      }
    }
    frames.frame('R', static_cast<std::uint32_t>(o.kind), payload);
  }
  frames.frame('E', 0, std::string());
  ::_exit(0);
}

std::string how_it_ended(int status) {
  if (WIFSIGNALED(status)) {
    const char* name = ::strsignal(WTERMSIG(status));
    return "the reader process was killed by signal " + std::to_string(WTERMSIG(status)) +
           (name ? std::string(" (") + name + ")" : std::string());
  }
  if (WIFEXITED(status)) return "the reader process ended with status " + std::to_string(WEXITSTATUS(status));
  return "the reader process ended abnormally";
}

ReadOutcome failed(std::string text) {
  ReadOutcome o;
  o.error = std::move(text);
  return o;
}

// One child reads inputs first..count-1; appends what it gave to `out` and,
// when it ended before the last, the failure of the input it was reading.
void read_in_one_child(std::size_t first, std::size_t count, const ReadOne& read_one,
                       std::vector<ReadOutcome>& out, std::vector<LogRecord>& records) {
  int fd = ::memfd_create("nimbal-read", MFD_CLOEXEC);
  if (fd < 0) {
    out.push_back(failed(std::string("could not start a reader process: ") + std::strerror(errno)));
    return;
  }
  const pid_t parent = ::getpid();
  pid_t pid = ::fork();
  if (pid == 0) run_child(fd, parent, first, count, read_one);
  if (pid < 0) {
    int err = errno;
    ::close(fd);
    out.push_back(failed(std::string("could not start a reader process: ") + std::strerror(err)));
    return;
  }
  int status = 0;
  pid_t waited;
  do waited = ::waitpid(pid, &status, 0);
  while (waited < 0 && errno == EINTR);
  // A host that reaps every child itself leaves no status: the end frame tells.
  const bool status_known = waited == pid;
  const bool exited_ok = status_known && WIFEXITED(status) && WEXITSTATUS(status) == 0;

  std::string data;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) {
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < data.size()) {
      ssize_t n = ::pread(fd, &data[done], data.size() - done, static_cast<off_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    data.resize(done);
  }
  ::close(fd);

  FrameReader frames(std::move(data));
  char tag;
  std::uint64_t head;
  std::string a, b;
  bool ended = false;
  while (!ended && frames.next(tag, head, a, b)) {
    if (tag == 'L') {
      records.push_back({a, static_cast<log::Level>(head), b});
    } else if (tag == 'R') {
      ReadOutcome o;
      o.kind = static_cast<ReadOutcome::Kind>(head);
      if (o.kind == ReadOutcome::Kind::shape) {
        try {
          std::istringstream in(a, std::ios::binary);
          BinTools::Read(o.shape, in);
          if (o.shape.IsNull()) o = failed("the shape read could not be restored");
        } catch (const Standard_Failure& f) {
          o = failed("the shape read could not be restored: " + kernel::failure_text(f));
        }
      } else if (o.kind != ReadOutcome::Kind::null_shape && o.kind != ReadOutcome::Kind::refused) {
        o.kind = ReadOutcome::Kind::error;
        o.error = a;
      }
      out.push_back(std::move(o));
    } else {
      ended = tag == 'E';
      break;
    }
  }
  const bool complete = ended && (exited_ok || !status_known);
  if (!complete && out.size() < count)
    out.push_back(failed(status_known ? how_it_ended(status) : "the reader process ended abnormally"));
}

// Reads inputs 0..count-1 with `read_one`, each in a child process: one child
// for all, and after a crash a new one for the inputs left. Call with the
// exchange lock held.
std::vector<ReadOutcome> read_in_children(std::size_t count, const ReadOne& read_one,
                                          std::vector<LogRecord>& records) {
  std::vector<ReadOutcome> out;
  out.reserve(count);
  while (out.size() < count) read_in_one_child(out.size(), count, read_one, out, records);
  out.resize(count);
  return out;
}

// A real written beyond the range of a double ("1.E+400"): the kernel reads
// it as infinity and its transfer then spins for ever. Quoted text is skipped.
std::optional<std::string> overflowing_real_in_text(std::string_view text) {
  auto numeric = [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == 'E' ||
           c == 'e' || c == 'D' || c == 'd';
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\'') {
      std::size_t end = text.find('\'', i + 1);
      if (end == std::string_view::npos) break;
      i = end;
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') continue;
    if (i > 0 && (std::isalnum(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '_')) continue;
    std::size_t end = i;
    while (end < text.size() && numeric(text[end])) ++end;
    std::string token(text.substr(i, end - i));
    i = end - 1;
    if (token.find_first_of("EeDd") == std::string::npos) continue;
    for (char& t : token)
      if (t == 'D' || t == 'd') t = 'E';
    errno = 0;
    double v = std::strtod(token.c_str(), nullptr);
    if (std::isinf(v)) return token;
  }
  return std::nullopt;
}

// The same for a file of either format. IGES lines are fixed columns: the
// section letter and sequence number (columns 73-80) and the parameter
// lines' entry pointers (65-72) run into the data's digits, and directory
// lines hold integers only ("00010200D0000305" is no real), so only the
// data columns of the global and parameter sections are read.
std::optional<std::string> overflowing_real(std::string_view text, bool iges) {
  if (!iges) return overflowing_real_in_text(text);
  for (std::size_t b = 0; b < text.size();) {
    std::size_t e = text.find('\n', b);
    if (e == std::string_view::npos) e = text.size();
    std::string_view line = text.substr(b, e - b);
    b = e + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view data = line;
    if (line.size() >= 73) {
      const char section = line[72];
      if (section == 'G') data = line.substr(0, 72);
      else if (section == 'P') data = line.substr(0, 64);
      else continue;
    }
    if (auto token = overflowing_real_in_text(data)) return token;
  }
  return std::nullopt;
}

std::optional<std::string> overflowing_real_in_file(const std::string& filename, bool iges) {
  std::FILE* f = std::fopen(filename.c_str(), "rb");
  if (!f) return std::nullopt;  // the reader reports it
  std::string text;
  char buf[1 << 16];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return overflowing_real(text, iges);
}

ReadOutcome refused_number(const std::string& token) {
  return failed("the file holds a number beyond the range of a double: " + token);
}

// The kernel's read, transfer and result of one input; runs in the child.
ReadOutcome read_and_transfer(XSControl_Reader& reader, const std::function<IFSelect_ReturnStatus()>& read) {
  ReadOutcome o;
  try {
    if (read() != IFSelect_RetDone) {
      o.kind = ReadOutcome::Kind::refused;
      return o;
    }
    reader.TransferRoots();
    o.shape = reader.OneShape();
    o.kind = o.shape.IsNull() ? ReadOutcome::Kind::null_shape : ReadOutcome::Kind::shape;
  } catch (const Standard_Failure& f) {
    o.error = kernel::failure_text(f);
  } catch (const std::exception& e) {
    o.error = e.what();
  } catch (...) {
    o.error = "unknown error";
  }
  return o;
}

// The result of an import as the operation reports it: the shape, or none
// with the failure logged. Called without the exchange lock.
TopoDS_Shape report(const ReadOutcome& o, const std::string& name, const std::string& file_type) {
  switch (o.kind) {
    case ReadOutcome::Kind::shape: return o.shape;
    case ReadOutcome::Kind::null_shape: return TopoDS_Shape();
    case ReadOutcome::Kind::refused:
      drulen_logger.error("Error reading " + file_type + " file: " + name);
      return TopoDS_Shape();
    case ReadOutcome::Kind::error: break;
  }
  try {
    throw kernel::KernelError(o.error);
  } catch (const kernel::KernelError&) {
    drulen_logger.exception("Error importing " + file_type + " file: " + o.error);
  }
  return TopoDS_Shape();
}

void replay(const std::vector<LogRecord>& records) {
  for (const auto& r : records) log::write(r.logger, r.level, r.message);
}

// Kernel exchange settings changed for one write and put back when it ends,
// whatever the way out: a host's own writer must not inherit ours. Used with
// the exchange lock held.
class StaticSettings {
 public:
  StaticSettings() = default;
  StaticSettings(const StaticSettings&) = delete;
  StaticSettings& operator=(const StaticSettings&) = delete;
  ~StaticSettings() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->integer) Interface_Static::SetIVal(it->name, it->ival);
      else Interface_Static::SetCVal(it->name, it->cval.c_str());
    }
  }
  void set(const char* name, int value) {
    saved_.push_back({name, true, Interface_Static::IVal(name), {}});
    Interface_Static::SetIVal(name, value);
  }
  void set(const char* name, const char* value) {
    const char* old = Interface_Static::CVal(name);
    saved_.push_back({name, false, 0, old ? old : ""});
    Interface_Static::SetCVal(name, value);
  }

 private:
  struct Saved {
    const char* name;
    bool integer;
    int ival;
    std::string cval;
  };
  std::vector<Saved> saved_;
};

// Faces of `shapes` that the file the writer's model holds would lack: the
// writer leaves out a face it cannot write (one oriented INTERNAL, for one)
// and still reports the transfer done. A shape placed twice may be written
// twice, never less than once.
std::size_t faces_left_out(STEPControl_Writer& writer, const Shapes& shapes) {
  TopTools_IndexedMapOfShape faces;
  for (const TopoDS_Shape& s : shapes) TopExp::MapShapes(s, TopAbs_FACE, faces);
  const Handle(StepData_StepModel) model = writer.Model();
  std::size_t written = 0;
  for (int i = 1, n = model.IsNull() ? 0 : model->NbEntities(); i <= n; ++i)
    if (model->Value(i)->IsKind(STANDARD_TYPE(StepShape_Face))) ++written;
  const auto wanted = static_cast<std::size_t>(faces.Extent());
  return written < wanted ? wanted - written : 0;
}

bool commit_written(TempFile& tmp, bool written) {
  if (written && tmp.commit()) return true;
  if (!tmp.why().empty()) drulen_logger.warning(tmp.why());
  return false;
}

bool write_step(const Shapes& shapes, const std::string& filename) {
  require_plain_name(filename);
  // The writer's model takes the schema when it is made, and the settings
  // exist once the controller is initialised: set them in between, or the
  // first file of a process comes out in the default schema.
  STEPControl_Controller::Init();
  StaticSettings settings;
  settings.set("write.step.schema", "AP203");
  // Shapes placed by location stay parts of their own: in assembly mode the
  // writer would turn each into an instance of a shared product.
  settings.set("write.step.assembly", 0);
  // The pcurves the writer computes for some faces (those of fused spheres)
  // are wrong, and readers trim by them: the 3D curves alone read back whole.
  settings.set("write.surfacecurve.mode", 0);
  STEPControl_Writer writer;
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    if (shapes[i].IsNull()) throw kernel::KernelError("shape " + std::to_string(i) + " is null");
    // Each shape stays a root of its own; the model's graph is computed once,
    // with the last shape, instead of after every shape (which is quadratic).
    const bool last = i + 1 == shapes.size();
    IFSelect_ReturnStatus status = writer.Transfer(shapes[i], STEPControl_AsIs, /*compgraph=*/last);
    if (status != IFSelect_RetDone)
      throw kernel::KernelError("shape " + std::to_string(i) + " could not be transferred");
  }
  // A file that lacks part of a shape would read back as another shape.
  if (std::size_t n = faces_left_out(writer, shapes))
    throw kernel::KernelError(std::to_string(n) + (n == 1 ? " face" : " faces") + " could not be written");
  TempFile tmp(filename);
  if (!tmp.ok()) return commit_written(tmp, false);
  return commit_written(tmp, writer.Write(tmp.path().c_str()) == IFSelect_RetDone);
}

bool write_iges(const Shapes& shapes, const std::string& filename) {
  require_plain_name(filename);
  // The kernel's default writer: faces as trimmed surfaces, what other
  // programs reading IGES expect.
  IGESControl_Writer writer;
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    if (shapes[i].IsNull()) throw kernel::KernelError("shape " + std::to_string(i) + " is null");
    if (!writer.AddShape(shapes[i]))
      throw kernel::KernelError("shape " + std::to_string(i) + " could not be transferred");
  }
  writer.ComputeModel();
  TempFile tmp(filename);
  if (!tmp.ok()) return commit_written(tmp, false);
  return commit_written(tmp, writer.Write(tmp.path().c_str()));
}

}  // namespace

// One thread at a time in the kernel's exchange code, process-wide. The wait
// happens with the embedding layer's lock released: the holder may need it.
std::recursive_mutex& exchange_mutex() {
  static std::recursive_mutex m;
  return m;
}

ExchangeLock::ExchangeLock() {
  kernel::WaitScope waiting;
  exchange_mutex().lock();
}

ExchangeLock::~ExchangeLock() { exchange_mutex().unlock(); }

bool Drulen::ops::export_shapes_to_step(const Shapes& shapes, const std::string& filename) {
  return detail::guarded(GuardedOp::export_step, false, [&] {
    ExchangeLock lock;
    return write_step(shapes, filename);
  });
}

bool Drulen::ops::export_step(const TopoDS_Shape& shape, const std::string& filename) {
  return export_shapes_to_step(Shapes{shape}, filename);
}

bool Drulen::ops::export_shapes_to_iges(const Shapes& shapes, const std::string& filename) {
  return detail::guarded(GuardedOp::export_iges, false, [&] {
    ExchangeLock lock;
    return write_iges(shapes, filename);
  });
}

bool Drulen::ops::export_iges(const TopoDS_Shape& shape, const std::string& filename) {
  return export_shapes_to_iges(Shapes{shape}, filename);
}

TopoDS_Shape Drulen::ops::import_with_reader(XSControl_Reader& reader, const std::string& filename,
                                             const std::string& file_type) {
  try {
    require_plain_name(filename);
  } catch (const InvalidValue&) {
    drulen_logger.exception("Error importing " + file_type + " file: " + detail::current_error_text());
    return TopoDS_Shape();
  }
  std::vector<LogRecord> records;
  std::vector<ReadOutcome> outcome;
  {
    ExchangeLock lock;
    outcome = read_in_children(
        1,
        [&](std::size_t) {
          if (auto token = overflowing_real_in_file(filename, file_type == "IGES")) return refused_number(*token);
          return read_and_transfer(reader, [&] { return reader.ReadFile(filename.c_str()); });
        },
        records);
  }
  replay(records);
  return report(outcome[0], filename, file_type);
}

Shapes Drulen::ops::import_step_buffers(const std::vector<StepBuffer>& buffers) {
  std::vector<LogRecord> records;
  std::vector<ReadOutcome> outcomes;
  {
    ExchangeLock lock;
    outcomes = read_in_children(
        buffers.size(),
        [&](std::size_t i) {
          if (auto token = overflowing_real(buffers[i].bytes, false)) return refused_number(*token);
          STEPControl_Reader reader;
          std::istringstream in(std::string(buffers[i].bytes), std::ios::binary);
          return read_and_transfer(reader, [&] { return reader.ReadStream(buffers[i].name.c_str(), in); });
        },
        records);
  }
  replay(records);
  Shapes shapes;
  shapes.reserve(buffers.size());
  for (std::size_t i = 0; i < buffers.size(); ++i) shapes.push_back(report(outcomes[i], buffers[i].name, "STEP"));
  return shapes;
}

// ---- native shapes: provisional, on the forked reader above ----
Shapes Drulen::ops::import_native_buffers(const std::vector<StepBuffer>& buffers) {
  std::vector<LogRecord> records;
  std::vector<ReadOutcome> outcomes;
  {
    ExchangeLock lock;
    outcomes = read_in_children(
        buffers.size(),
        [&](std::size_t i) {
          ReadOutcome o;
          try {
            std::istringstream in(std::string(buffers[i].bytes), std::ios::binary);
            BinTools::Read(o.shape, in);
            o.kind = o.shape.IsNull() ? ReadOutcome::Kind::null_shape : ReadOutcome::Kind::shape;
          } catch (const Standard_Failure& f) {
            o.error = kernel::failure_text(f);
          } catch (const std::exception& e) {
            o.error = e.what();
          } catch (...) {
            o.error = "unknown error";
          }
          return o;
        },
        records);
  }
  replay(records);
  Shapes shapes;
  shapes.reserve(buffers.size());
  for (std::size_t i = 0; i < buffers.size(); ++i) shapes.push_back(report(outcomes[i], buffers[i].name, "native"));
  return shapes;
}
// ---- end of native shapes ----

TopoDS_Shape Drulen::ops::import_file(const std::string& filename) {
  std::string lower(filename);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ends_with(lower, ".step") || ends_with(lower, ".stp")) {
    ExchangeLock lock;  // the reader's creation sets the kernel's globals
    STEPControl_Reader reader;
    return import_with_reader(reader, filename, "STEP");
  }
  if (ends_with(lower, ".iges") || ends_with(lower, ".igs")) {
    ExchangeLock lock;
    IGESControl_Reader reader;
    return import_with_reader(reader, filename, "IGES");
  }
  drulen_logger.warning("Unsupported file format: " + filename);
  return TopoDS_Shape();
}

}  // namespace nimbal::services
