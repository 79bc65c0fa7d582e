// What a reader gives is looked at before the host sees it: a damaged file
// can transfer into NaN coordinates or a shell with nothing in it, and the
// reader reports success for both.
#include <BRepCheck_Analyzer.hxx>
#include <TopExp_Explorer.hxx>

#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"
#include "nimbal/services/drulen_detail.hpp"

namespace nimbal::services::detail {

std::optional<std::string> refusal_of_read_shape(const TopoDS_Shape& shape, const std::string& file_type,
                                                 const std::string& name) {
  if (shape.IsNull()) return std::nullopt;
  if (std::optional<std::string> where = kernel::non_finite_geometry(shape))
    return "the shape read has a coordinate that is not finite: " + *where;
  if (!TopExp_Explorer(shape, TopAbs_FACE).More() && !TopExp_Explorer(shape, TopAbs_EDGE).More())
    return "the shape read has no face or edge: " + kernel::describe(shape);
  // Many files other programs write are slightly off by the checker's
  // measure and still of use: such a shape is kept, with a warning.
  bool valid = false;
  try {
    valid = BRepCheck_Analyzer(shape).IsValid();
  } catch (const Standard_Failure&) {
  }
  if (!valid) drulen_logger.warning("The shape read from " + file_type + " file " + name + " is not valid by the kernel's checker");
  return std::nullopt;
}

}  // namespace nimbal::services::detail
