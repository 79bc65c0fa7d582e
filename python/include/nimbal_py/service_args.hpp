// Arguments and results of the view and selection services: the rules and
// casters of the services' own types.
//
// A GUI calls their operations from its event handlers with what it has at
// hand: pixel positions as floats, ids from wherever it keeps them. A value
// an operation cannot use must not raise out of the handler; it takes the
// operation's own error path instead (one error record with the
// operation's message and the error attached, nothing returned), as any
// error inside the operation does:
//
//   nimbal::py::def(cls, "pan", &Lumbra::pan, nimbal::py::logged{lumbra_errors::pan},
//                   pyb::arg("dx"), pyb::arg("dy"), doc::pan);
//
// A "%s" in the head is the text of the first argument (an id). A
// HostValue<T> argument is tested by the core itself once the operation
// reaches it.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>

#include "nimbal/host_value.hpp"
#include "nimbal/services/lumbra.hpp"
#include "nimbal/services/pikalo.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/viewer.hpp"

namespace nimbal::py {

namespace define {
template <class R>
struct may_be_none : std::is_void<R> {};
template <class T>
struct may_be_none<std::optional<T>> : std::true_type {};
}  // namespace define

// A refused argument logged as the operation's own error under `head` (a
// "%s" in it is the text of the first argument); the answer is None (the
// result must be able to be None). The message is the operation's: the
// arguments go unnamed in it.
struct logged : define::refusal_option {
  static constexpr bool names_arguments = false;
  constexpr logged(nimbal::ErrorHead h) : head(h) {}  // NOLINT: implicit on purpose
  nimbal::ErrorHead head;
  template <class R, class... Raw>
  pyb::object operator()(convert::tag<R>, const Raw&... raw) const {
    static_assert(define::may_be_none<R>::value, "a logged operation answers None when refused");
    log_refused(head, [&]() -> std::string {
      if constexpr (sizeof...(Raw) > 0) return pyb::str(pyb::handle(std::get<0>(std::tie(raw...))));
      return {};
    });
    return pyb::none();
  }
};

namespace convert {

// Indices read as a set, as the host would: a false value (None, an empty
// list) is empty; unhashable entries raise TypeError; whole numbers (also
// 2.0 or True) are indices; any other value equals no index.
inline std::set<long long> value(pyb::handle indices, tag<std::set<long long>>, std::string_view what) {
  std::set<long long> out;
  if (!from_py::truth(indices, what)) return out;
  for (pyb::handle item : indices) {
    if (PyObject_Hash(item.ptr()) == -1) throw pyb::error_already_set();
    if (PyFloat_Check(item.ptr())) {
      if (auto n = from_py::whole_number(PyFloat_AS_DOUBLE(item.ptr()))) out.insert(*n);
      continue;
    }
    if (!PyLong_Check(item.ptr())) continue;
    int overflow = 0;
    long long n = PyLong_AsLongLongAndOverflow(item.ptr(), &overflow);
    if (!overflow && !(n == -1 && PyErr_Occurred())) out.insert(n);
    PyErr_Clear();
  }
  return out;
}

// The host's view service (a Lumbra, or any object with the method), asked
// only when the core needs an id.
inline services::ShapeIdLookup value(pyb::handle v, tag<services::ShapeIdLookup>, std::string_view) {
  return [lumbra = pyb::reinterpret_borrow<pyb::object>(v)](const Handle(AIS_InteractiveObject)& obj) {
    return host_value<std::string>(lumbra.attr("get_shape_id_for_ais_shape")(obj));
  };
}

// The operation unpacks the numbers itself, in its own words.
inline services::Components value(pyb::handle v, tag<services::Components>, std::string_view) {
  return from_py::numbers(v, "");
}
// A colour as `if color:` reads it: a false value (None, an empty sequence) is none.
inline std::optional<services::Components> value(pyb::handle v, tag<std::optional<services::Components>>,
                                                 std::string_view what) {
  if (!from_py::truth(v, what)) return std::nullopt;
  return value(v, tag<services::Components>{}, what);
}

template <>
struct arg_name<std::set<long long>> {
  static constexpr auto name = pyb::detail::const_name("typing.Iterable[int]");
};
template <>
struct arg_name<services::ShapeIdLookup> {
  static constexpr auto name = pyb::detail::const_name("nimbal.services.lumbra.Lumbra");
};

}  // namespace convert

// The view service's tables and triples as Python sees them: triples as
// tuples, tables as new dicts in their order.
namespace to_py {
inline pyb::tuple value(const services::Components& c) { return pyb::tuple(pyb::cast(c.values)); }
// The triples inside convert through value(): their casters come below.
inline pyb::tuple value(const services::PlaneEntry& e) {
  return pyb::make_tuple(e.ais_shape, value(e.origin), value(e.normal));
}
inline pyb::tuple value(const services::Gradient& g) {
  return pyb::make_tuple(value(g.color1), value(g.color2), g.method);
}
template <class K, class V>
std::pair<pyb::object, pyb::object> table_item(const K& k, const V& v) {
  return {pyb::cast(k), pyb::cast(v)};
}
// The reverse table reads {presentation: id}.
inline std::pair<pyb::object, pyb::object> table_item(const AIS_Shape*, const services::AisEntry& e) {
  return {pyb::cast(e.ais_shape), pyb::str(e.shape_id)};
}
template <class K, class V>
pyb::dict value(const OrderedMap<K, V>& table) {
  pyb::dict d;
  for (const auto& [k, v] : table) {
    auto [key, item] = table_item(k, v);
    d[key] = item;
  }
  return d;
}
}  // namespace to_py

NIMBAL_PY_NAME(color_or_none_name, "tuple[float, float, float] | None");
NIMBAL_PY_NAME(tuple_name, "tuple");
NIMBAL_PY_NAME(table_name, "dict");

}  // namespace nimbal::py

namespace pybind11::detail {

// Results only: arguments convert through convert::value above.
template <class T, class Name>
struct nimbal_out_caster {
  PYBIND11_TYPE_CASTER(T, Name::name);
  bool load(handle, bool) { return false; }
  static handle cast(const T& v, return_value_policy, handle) { return nimbal::py::to_py::value(v).release(); }
};
// The caster of the type given last (commas allowed), its results named Name.
#define NIMBAL_PY_OUT_CASTER(Name, ...) \
  template <>                           \
  struct type_caster<__VA_ARGS__> : nimbal_out_caster<__VA_ARGS__, Name> {}
NIMBAL_PY_OUT_CASTER(nimbal::py::typing::point3_name, nimbal::services::Components);
NIMBAL_PY_OUT_CASTER(nimbal::py::tuple_name, nimbal::services::PlaneEntry);
NIMBAL_PY_OUT_CASTER(nimbal::py::tuple_name, nimbal::services::Gradient);
// The view service's tables only: other ordered maps (the undo states) are
// bound classes.
NIMBAL_PY_OUT_CASTER(nimbal::py::table_name, nimbal::services::Lumbra::ShapeTable);
NIMBAL_PY_OUT_CASTER(nimbal::py::table_name, nimbal::OrderedMap<const AIS_Shape*, nimbal::services::AisEntry>);
NIMBAL_PY_OUT_CASTER(nimbal::py::table_name, nimbal::OrderedMap<std::string, nimbal::services::PlaneEntry>);
NIMBAL_PY_OUT_CASTER(nimbal::py::table_name, nimbal::OrderedMap<std::string, bool>);
#undef NIMBAL_PY_OUT_CASTER

// ShapeInfo's colour: None, or any numbers, kept as given.
template <>
struct type_caster<std::optional<nimbal::services::Components>> {
  PYBIND11_TYPE_CASTER(std::optional<nimbal::services::Components>, nimbal::py::color_or_none_name::name);
  bool load(handle src, bool) {
    if (!src.is_none()) value = nimbal::services::Components(nimbal::py::from_py::numbers(src, "color"));
    return true;
  }
  static handle cast(const std::optional<nimbal::services::Components>& c, return_value_policy, handle) {
    return c ? nimbal::py::to_py::value(*c).release() : none().release();
  }
};

}  // namespace pybind11::detail

namespace nimbal::py {

// A getter whose result signatures show as a plain object.
template <class C, class R>
auto as_object(R (C::*get)() const) {
  return [get](const C& c) { return pyb::cast((c.*get)()); };
}

}  // namespace nimbal::py
