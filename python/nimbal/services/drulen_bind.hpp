// Shared by the binding sources of nimbal.services.drulen.
#pragma once

#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/drulen_adapter.hpp"
#include "nimbal_py/logging.hpp"

namespace nimbal::py::convert {

// A standard plane's name as the core quotes it: the host's spelling.
inline services::PlaneKey value(pyb::handle v, tag<services::PlaneKey>, std::string_view) {
  return {PyUnicode_Check(v.ptr()) ? std::optional<std::string>(v.cast<std::string>()) : std::nullopt,
          std::string(pyb::repr(v))};
}
template <>
struct arg_name<services::PlaneKey> : typing::str_name {};

NIMBAL_PY_NAME(faces_name, "list[nimbal.kernel.TopoDS_Face]");
NIMBAL_PY_NAME(plane_params_name, "tuple[tuple[float, float, float], tuple[float, float, float]]");
template <>
struct result_name<services::Faces> : faces_name {};
template <>
struct result_name<services::PlaneParams> : plane_params_name {};

}  // namespace nimbal::py::convert

namespace nimbal::py::drulen_bind {

using services::Drulen;
using services::GuardedOp;
using convert::plane_params_name;
using DrulenClass = pyb::class_<Drulen, std::unique_ptr<Drulen>, class PyDrulen>;

// A Python subclass's override of a protocol operation is the one the C++
// code calls (create_array_compound calls translate_shape through it).
class PyDrulen : public DrulenForwarding<Drulen, PyDrulen> {
 public:
  pyb::function lookup(const char* name) const { return pyb::get_override(static_cast<const Drulen*>(this), name); }
};

// A refused argument answered as the core answers it for `op`: logged as
// op's failure and answered as one is (no shape, no faces, false).
inline auto logged_as(GuardedOp op) {
  return on_refusal([op](auto result, const auto&...) -> pyb::object {
    return convert::result(Drulen::refused_argument<typename decltype(result)::type>(op));
  });
}

void bind_builders(DrulenClass& cls);
void bind_modelling(DrulenClass& cls);
void bind_exchange(pyb::module_& m, DrulenClass& cls);

}  // namespace nimbal::py::drulen_bind
