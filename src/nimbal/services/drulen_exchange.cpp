// STEP and IGES exchange. Writers write to a temporary file beside the
// target and rename it into place, so a failed export never leaves a
// half-written file; the temporary is removed on every path.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <IFSelect_ReturnStatus.hxx>
#include <IGESControl_Reader.hxx>
#include <IGESControl_Writer.hxx>
#include <Interface_Static.hxx>
#include <STEPControl_Reader.hxx>
#include <STEPControl_Writer.hxx>
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
  if (filename.find('\0') != std::string::npos) throw ValueError("file name contains a NUL character");
}

// A fresh file beside `target`, removed on destruction unless committed.
class TempFile {
 public:
  explicit TempFile(const std::string& target) : target_(target) {
    std::string pattern = target + ".tmp-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) return;
    // mkstemp makes the file private; give it the mode a plain create would.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
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
  // Moves the written file onto the target.
  bool commit() {
    if (std::rename(path_.c_str(), target_.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  std::string target_;
  std::string path_;
};

bool write_step(const Shapes& shapes, const std::string& filename) {
  require_plain_name(filename);
  STEPControl_Writer writer;
  Interface_Static::SetCVal("write.step.schema", "AP203");
  // Shapes placed by location stay parts of their own: in assembly mode the
  // writer would turn each into an instance of a shared product.
  Interface_Static::SetIVal("write.step.assembly", 0);
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    if (shapes[i].IsNull()) throw kernel::KernelError("shape " + std::to_string(i) + " is null");
    // Each shape stays a root of its own; the model's graph is computed once,
    // with the last shape, instead of after every shape (which is quadratic).
    const bool last = i + 1 == shapes.size();
    IFSelect_ReturnStatus status = writer.Transfer(shapes[i], STEPControl_AsIs, /*compgraph=*/last);
    if (status != IFSelect_RetDone)
      throw kernel::KernelError("shape " + std::to_string(i) + " could not be transferred");
  }
  TempFile tmp(filename);
  if (!tmp.ok()) return false;
  if (writer.Write(tmp.path().c_str()) != IFSelect_RetDone) return false;
  return tmp.commit();
}

bool write_iges(const Shapes& shapes, const std::string& filename) {
  require_plain_name(filename);
  // BRep mode: solids travel as solids (the face mode, the kernel's default,
  // would bring a solid back as loose faces without its volume).
  IGESControl_Writer writer(Interface_Static::CVal("write.iges.unit"), /*modecr=*/1);
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    if (shapes[i].IsNull()) throw kernel::KernelError("shape " + std::to_string(i) + " is null");
    if (!writer.AddShape(shapes[i]))
      throw kernel::KernelError("shape " + std::to_string(i) + " could not be transferred");
  }
  writer.ComputeModel();
  TempFile tmp(filename);
  if (!tmp.ok()) return false;
  if (!writer.Write(tmp.path().c_str())) return false;
  return tmp.commit();
}


}  // namespace

bool Drulen::ops::export_shapes_to_step(const Shapes& shapes, const std::string& filename) {
  return detail::guarded(GuardedOp::export_step, false, [&] { return write_step(shapes, filename); });
}

bool Drulen::ops::export_step(const TopoDS_Shape& shape, const std::string& filename) {
  return detail::guarded(GuardedOp::export_step, false, [&] { return write_step(Shapes{shape}, filename); });
}

bool Drulen::ops::export_shapes_to_iges(const Shapes& shapes, const std::string& filename) {
  return detail::guarded(GuardedOp::export_iges, false, [&] { return write_iges(shapes, filename); });
}

bool Drulen::ops::export_iges(const TopoDS_Shape& shape, const std::string& filename) {
  return detail::guarded(GuardedOp::export_iges, false, [&] { return write_iges(Shapes{shape}, filename); });
}

TopoDS_Shape Drulen::ops::import_with_reader(XSControl_Reader& reader, const std::string& filename,
                                             const std::string& file_type) {
  auto log_caught = [&] {
    drulen_logger.exception("Error importing " + file_type + " file: " + detail::current_error_text());
  };
  try {
    require_plain_name(filename);
    IFSelect_ReturnStatus status = reader.ReadFile(filename.c_str());
    if (status != IFSelect_RetDone) {
      drulen_logger.error("Error reading " + file_type + " file: " + filename);
      return TopoDS_Shape();
    }
    reader.TransferRoots();
    TopoDS_Shape shape = reader.OneShape();
    if (shape.IsNull()) return TopoDS_Shape();
    return shape;
  } catch (const Standard_Failure&) {
    log_caught();
  } catch (const std::exception&) {
    log_caught();
  }
  return TopoDS_Shape();
}

TopoDS_Shape Drulen::ops::import_file(const std::string& filename) {
  std::string lower(filename);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ends_with(lower, ".step") || ends_with(lower, ".stp")) {
    STEPControl_Reader reader;
    return import_with_reader(reader, filename, "STEP");
  }
  if (ends_with(lower, ".iges") || ends_with(lower, ".igs")) {
    IGESControl_Reader reader;
    return import_with_reader(reader, filename, "IGES");
  }
  drulen_logger.warning("Unsupported file format: " + filename);
  return TopoDS_Shape();
}

}  // namespace nimbal::services
