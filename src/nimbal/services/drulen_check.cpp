// What a reader gives is looked at before the host sees it: a damaged file
// can transfer into NaN coordinates or a shell with nothing in it, and the
// reader reports success for both. Some damage is refused from the file's
// text, before the kernel reads it.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <unordered_set>
#include <vector>

#include <BRepCheck_Analyzer.hxx>
#include <OSD_Parallel.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopExp_Explorer.hxx>

#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"
#include "nimbal/services/drulen_detail.hpp"
#include "nimbal/services/drulen_reader.hpp"

namespace nimbal::services::detail {

namespace {

// The kernel's checker over a shape, a compound's parts side by side: they
// are independent shapes, and checking them is most of what an import costs
// beyond the kernel's own read.
bool checker_passes(const TopoDS_Shape& shape) {
  std::vector<TopoDS_Shape> parts;
  std::vector<TopoDS_Shape> open{shape};
  while (!open.empty()) {
    TopoDS_Shape s = std::move(open.back());
    open.pop_back();
    if (s.ShapeType() != TopAbs_COMPOUND) {
      parts.push_back(std::move(s));
      continue;
    }
    for (TopoDS_Iterator it(s); it.More(); it.Next()) open.push_back(it.Value());
  }
  std::atomic<bool> valid{true};
  OSD_Parallel::For(0, static_cast<int>(parts.size()), [&](int i) {
    if (!valid.load(std::memory_order_relaxed)) return;
    try {
      if (!BRepCheck_Analyzer(parts[static_cast<std::size_t>(i)]).IsValid()) valid = false;
    } catch (const Standard_Failure&) {
      valid = false;
    }
  });
  return valid;
}

}  // namespace

std::optional<std::string> refusal_of_read_shape(const TopoDS_Shape& shape, const std::string& file_type,
                                                 const std::string& name) {
  if (shape.IsNull()) return std::nullopt;
  if (std::optional<std::string> where = kernel::non_finite_geometry(shape))
    return "the shape read has a coordinate that is not finite: " + *where;
  if (!TopExp_Explorer(shape, TopAbs_FACE).More() && !TopExp_Explorer(shape, TopAbs_EDGE).More())
    return "the shape read has no face or edge: " + kernel::describe(shape);
  // A damaged curve (a pole at 2^31, say) can leave a face whose exact box
  // the kernel never finishes measuring, and the host measures what it
  // shows: measure it here first, where a spin ends only this process. A
  // shape with no extent (its one edge a point) is nothing a host can show.
  {
    const std::size_t faces = std::min<std::size_t>(kernel::sub_shapes(shape, TopAbs_FACE).size(), 1u << 24);
    reader::TimeLimit limit(static_cast<unsigned>(5 + faces / 20));
    if (!kernel::bounding_box(shape)) return "the shape read has no extent: " + kernel::describe(shape);
  }
  // Many files other programs write are slightly off by the checker's
  // measure and still of use: such a shape is kept, with a warning.
  if (!checker_passes(shape)) drulen_logger.warning("The shape read from " + file_type + " file " + name + " is not valid by the kernel's checker");
  return std::nullopt;
}

std::optional<std::string> repeated_entity_number(std::string_view text) {
  // One pass, strings and comments skipped. A reference is never followed by
  // "=", so every "#digits =" is a definition, also where a damaged
  // statement left out its ";" and the kernel's parser starts anew.
  std::unordered_set<std::string_view> defined;
  defined.reserve(text.size() / 64);
  for (std::size_t i = 0, n = text.size(); i < n; ++i) {
    const char c = text[i];
    if (c == '\'') {
      // A doubled quote inside a string closes and reopens it. A string is
      // taken to end with its line: one left open by damage must not hide
      // the rest of the file (the kernel's parser recovers after it).
      std::size_t end = text.find_first_of("'\n", i + 1);
      if (end == std::string_view::npos) break;
      i = end;
      continue;
    }
    if (c == '/' && i + 1 < n && text[i + 1] == '*') {
      std::size_t end = text.find("*/", i + 2);
      if (end == std::string_view::npos) break;
      i = end + 1;
      continue;
    }
    if (c == '&' && text.compare(i, 6, "&SCOPE") == 0) return std::nullopt;
    if (c != '#') continue;
    std::size_t j = i + 1;
    while (j < n && text[j] == '0') ++j;  // the kernel reads "#007" as #7
    const std::size_t digits = j;
    while (j < n && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
    std::size_t k = j;
    while (k < n && std::isspace(static_cast<unsigned char>(text[k]))) ++k;
    if (j > i + 1 && k < n && text[k] == '=' && !defined.insert(text.substr(digits, j - digits)).second)
      return std::string(text.substr(i, j - i));
    i = j - 1;
  }
  return std::nullopt;
}

}  // namespace nimbal::services::detail
