// STEP and IGES exchange. Writers write to a temporary file beside the
// target and rename it into place, so a failed export never leaves a
// half-written file; the temporary is removed on every path.
//
// The kernel's readers dereference null handles on damaged files and may
// spin on others, so files and buffers are read in the reader process
// (drulen_reader.hpp), which sends the shape back in the kernel's binary
// form: a reader that crashes fails the import, not the host, and a read can
// be stopped. The kernel's exchange code is not thread-safe: in the host one
// process-wide lock serialises every write.
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
#include <sys/stat.h>
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

#include "nimbal/file_links.hpp"
#include "nimbal/kernel.hpp"
#include "nimbal/services/drulen_detail.hpp"
#include "nimbal/services/drulen_reader.hpp"

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
  if (int err = nimbal::resolve_links(path)) throw OsFailure{err};
  return path;
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

// ---- reading in the reader process ----

using ReadOutcome = reader::Outcome;

// Beyond this magnitude doubles are spaced more than 1 apart, so no feature
// of unit size survives next to such a coordinate: the transfer's healing
// then classifies points on faces it cannot resolve and spins (a sphere of
// radius 6 centred at 1e16 or at 1e308 does).
constexpr double kLargestModelledReal = 4503599627370496.0;  // 2^52

// A real written beyond the range of a double ("1.E+400", or a point after
// more than 308 digits): the kernel reads it as infinity and its transfer
// then spins for ever. The same for a NAN or INF written as a parameter and,
// when `bounded`, for a finite real beyond kLargestModelledReal. Quoted text
// is skipped, up to the end of its line.
std::optional<std::string> overflowing_real_in_text(std::string_view text, bool bounded = true) {
  auto numeric = [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == 'E' ||
           c == 'e' || c == 'D' || c == 'd';
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\'') {
      // A string ends with its line, as for the repeated-number scan: a
      // quote lost to damage must not hide the rest of the file.
      std::size_t end = text.find_first_of("'\n", i + 1);
      if (end == std::string_view::npos) break;
      i = end;
      continue;
    }
    if (std::isalpha(static_cast<unsigned char>(c))) {
      // NAN or INF where a parameter belongs: neither format has such a
      // word, the kernel reads it as a number, and NaN geometry can make
      // the transfer spin for ever as well.
      std::size_t before = i;
      if (before > 0 && (text[before - 1] == '-' || text[before - 1] == '+')) --before;
      const bool parameter = before == 0 || std::strchr("(, \t", text[before - 1]) != nullptr;
      std::size_t end = i;
      while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) ++end;
      std::string word(text.substr(i, end - i));
      i = end - 1;
      if (!parameter || (end < text.size() && text[end] == '(')) continue;
      for (char& w : word) w = static_cast<char>(std::tolower(static_cast<unsigned char>(w)));
      if (word == "nan" || word == "inf" || word == "infinity") return std::string(text.substr(before, end - before));
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') continue;
    if (i > 0 && (std::isalnum(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '_')) continue;
    std::size_t end = i;
    while (end < text.size() && numeric(text[end])) ++end;
    std::string token(text.substr(i, end - i));
    i = end - 1;
    if (token.find_first_of(".EeDd") == std::string::npos) continue;
    for (char& t : token)
      if (t == 'D' || t == 'd') t = 'E';
    errno = 0;
    double v = std::strtod(token.c_str(), nullptr);
    if (std::isinf(v) || (bounded && std::fabs(v) > kLargestModelledReal)) return token;
  }
  return std::nullopt;
}

// The same for a file of either format. IGES lines are fixed columns: the
// section letter and sequence number (columns 73-80) and the parameter
// lines' entry pointers (65-72) run into the data's digits, and directory
// lines hold integers only ("00010200D0000305" is no real), so of a
// well-formed line only the data columns of the global and parameter
// sections are read. Any other line (longer or shorter than 80 columns, a
// sequence field that is not a number) is read in full but for a section
// letter and sequence number at its end: a real written longer than its
// columns pushes the rest of its line out of place.
std::optional<std::string> overflowing_real(std::string_view text, bool iges) {
  if (!iges) return overflowing_real_in_text(text);
  auto sequence_at = [](std::string_view line, std::size_t at) {
    if (line.size() < at + 8 || std::string_view("SGDPT").find(line[at]) == std::string_view::npos) return false;
    for (std::size_t i = at + 1; i < at + 8; ++i)
      if (!std::isdigit(static_cast<unsigned char>(line[i])) && line[i] != ' ') return false;
    return true;
  };
  for (std::size_t b = 0; b < text.size();) {
    std::size_t e = text.find('\n', b);
    if (e == std::string_view::npos) e = text.size();
    std::string_view line = text.substr(b, e - b);
    b = e + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view data = line;
    char section = 0;
    if (line.size() == 80 && sequence_at(line, 72)) {
      section = line[72];
      if (section == 'G') data = line.substr(0, 72);
      else if (section == 'P') data = line.substr(0, 64);
      else continue;
    } else if (line.size() >= 8 && sequence_at(line, line.size() - 8)) {
      section = line[line.size() - 8];
      data = line.substr(0, line.size() - 8);
    }
    // The global section's limits (the largest coordinate value, for one)
    // are no geometry.
    if (auto token = overflowing_real_in_text(data, section != 'G')) return token;
  }
  return std::nullopt;
}

// The file's bytes; none when it cannot be opened (the reader reports it).
std::optional<std::string> file_text(const std::string& filename) {
  std::FILE* f = std::fopen(filename.c_str(), "rb");
  if (!f) return std::nullopt;
  std::string text;
  char buf[1 << 16];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return text;
}

ReadOutcome refused_number(std::string token) {
  if (token.find_first_of("0123456789.") == std::string::npos)
    return reader::failed("the file holds a number that is not finite: " + token);
  const bool infinite = std::isinf(std::strtod(token.c_str(), nullptr));
  // A token of thousands of digits is cut in the message.
  constexpr std::size_t shown = 40;
  if (token.size() > shown) token = token.substr(0, shown) + "...";
  if (infinite) return reader::failed("the file holds a number beyond the range of a double: " + token);
  return reader::failed("the file holds a number too large to model with: " + token);
}

ReadOutcome refused_entity_number(const std::string& number) {
  return reader::failed("the file defines entity " + number + " more than once");
}

// The kernel's read, transfer and result of one input; runs in the reader
// process.
ReadOutcome read_and_transfer(XSControl_Reader& reader, const std::function<IFSelect_ReturnStatus()>& read,
                              const std::string& file_type, const std::string& name) {
  ReadOutcome o;
  try {
    if (read() != IFSelect_RetDone) {
      o.kind = ReadOutcome::Kind::refused;
      return o;
    }
    reader.TransferRoots();
    o.shape = reader.OneShape();
    o.kind = o.shape.IsNull() ? ReadOutcome::Kind::null_shape : ReadOutcome::Kind::shape;
    if (std::optional<std::string> refusal = detail::refusal_of_read_shape(o.shape, file_type, name)) {
      o = ReadOutcome();
      o.error = std::move(*refusal);
    }
  } catch (const Standard_Failure& f) {
    o.error = kernel::failure_text(f);
  } catch (const std::exception& e) {
    o.error = e.what();
  } catch (...) {
    o.error = "unknown error";
  }
  return o;
}

// read_and_transfer with a reader of its own, whose model (the whole file's
// entities) is freed after the answer is sent.
template <class Reader, class Read>
ReadOutcome read_with(const std::string& file_type, const std::string& name, Read read) {
  auto reader = std::make_shared<Reader>();
  ReadOutcome o = read_and_transfer(*reader, [&] { return read(*reader); }, file_type, name);
  o.spent = std::move(reader);
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

// One input read in the reader process, reported as the import reports it.
TopoDS_Shape import_one(reader::Request kind, const std::string& a, const std::string& b, const std::string& name,
                        const std::string& file_type) {
  std::vector<reader::LogRecord> records;
  ReadOutcome outcome = reader::run(kind, a, b, reader::Stops{true}, records);
  reader::replay(records);
  return report(outcome, name, file_type);
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

TopoDS_Shape Drulen::ops::import_with_reader(XSControl_Reader&, const std::string& filename,
                                             const std::string& file_type) {
  try {
    require_plain_name(filename);
  } catch (const InvalidValue&) {
    drulen_logger.exception("Error importing " + file_type + " file: " + detail::current_error_text());
    return TopoDS_Shape();
  }
  const auto kind = file_type == "IGES" ? reader::Request::read_iges_file : reader::Request::read_step_file;
  return import_one(kind, filename, std::string(), filename, file_type);
}

Shapes Drulen::ops::import_step_buffers(const std::vector<StepBuffer>& buffers) {
  Shapes shapes;
  shapes.reserve(buffers.size());
  for (const StepBuffer& buffer : buffers)
    shapes.push_back(import_one(reader::Request::read_step_buffer, buffer.name, std::string(buffer.bytes),
                                buffer.name, "STEP"));
  return shapes;
}

Shapes Drulen::ops::import_native_buffers(const std::vector<StepBuffer>& buffers) {
  Shapes shapes;
  shapes.reserve(buffers.size());
  for (const StepBuffer& buffer : buffers)
    shapes.push_back(import_one(reader::Request::read_native_buffer, buffer.name, std::string(buffer.bytes),
                                buffer.name, "native"));
  return shapes;
}


TopoDS_Shape Drulen::ops::import_file(const std::string& filename) {
  std::string lower(filename);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::optional<reader::Request> kind;
  std::string file_type;
  if (ends_with(lower, ".step") || ends_with(lower, ".stp")) {
    kind = reader::Request::read_step_file;
    file_type = "STEP";
  } else if (ends_with(lower, ".iges") || ends_with(lower, ".igs")) {
    kind = reader::Request::read_iges_file;
    file_type = "IGES";
  } else {
    drulen_logger.warning("Unsupported file format: " + filename);
    return TopoDS_Shape();
  }
  try {
    require_plain_name(filename);
  } catch (const InvalidValue&) {
    drulen_logger.exception("Error importing " + file_type + " file: " + detail::current_error_text());
    return TopoDS_Shape();
  }
  return import_one(*kind, filename, std::string(), filename, file_type);
}

void Drulen::cancel_imports() { reader::cancel_imports(); }

void Drulen::set_import_deadline(std::optional<double> seconds) { reader::set_import_deadline(seconds); }

TopoDS_Shape reader::import_for_test(Request kind, const std::string& a, const std::string& name) {
  return import_one(kind, a, std::string(), name, "STEP");
}

reader::Outcome reader::serve_read(Request kind, const std::string& a, const std::string& b) {
  switch (kind) {
    case Request::read_step_file:
    case Request::read_iges_file: {
      const bool iges = kind == Request::read_iges_file;
      if (std::optional<std::string> text = file_text(a)) {
        if (auto token = overflowing_real(*text, iges)) return refused_number(*token);
        if (!iges)
          if (auto number = detail::repeated_entity_number(*text)) return refused_entity_number(*number);
      }
      if (iges) return read_with<IGESControl_Reader>("IGES", a, [&](auto& r) { return r.ReadFile(a.c_str()); });
      return read_with<STEPControl_Reader>("STEP", a, [&](auto& r) { return r.ReadFile(a.c_str()); });
    }
    case Request::read_step_buffer: {
      if (auto token = overflowing_real(b, false)) return refused_number(*token);
      if (auto number = detail::repeated_entity_number(b)) return refused_entity_number(*number);
      std::istringstream in(b, std::ios::binary);
      return read_with<STEPControl_Reader>("STEP", a, [&](auto& r) { return r.ReadStream(a.c_str(), in); });
    }
    case Request::read_native_buffer: {
      Outcome o;
      o.shape = shape_from_bytes(b);
      o.kind = o.shape.IsNull() ? Outcome::Kind::null_shape : Outcome::Kind::shape;
      if (!o.shape.IsNull())
        if (std::optional<std::string> refusal = detail::refusal_of_read_shape(o.shape, "native", a))
          return reader::failed(std::move(*refusal));
      return o;
    }
    default: break;
  }
  return failed("not a read");
}

}  // namespace nimbal::services
