// A core OrderedMap<std::string, V> seen from Python as a Mapping: str keys
// in insertion order (any other key is simply not contained), values
// converted as M says. Each binding defines these members in its own table,
// so a class shows them in its own order. M supplies `View` (the bound
// class), `item_name` (the value's Python type, for signatures),
// `map(view)`, `entry(map, key)` (the core's lookup, throwing NotFound) and
// `to_py(value)`.
#pragma once

#include <string>

#include "nimbal/ordered_map.hpp"
#include "nimbal_py/common.hpp"
#include "nimbal_py/live_list.hpp"
#include "nimbal_py/records.hpp"

namespace nimbal::py {

template <class M>
struct MappingOf {
  using View = typename M::View;
  NIMBAL_PY_NAME(keys_name, "list[str]");
  NIMBAL_PY_NAME(key_iterator_name, "typing.Iterator[str]");
  struct items_name {
    static constexpr auto name =
        pyb::detail::const_name("list[tuple[str, ") + M::item_name::name + pyb::detail::const_name("]]");
  };

  static std::size_t len(const View& v) { return M::map(v).size(); }
  static bool contains(const View& v, pyb::object key) {
    return PyUnicode_Check(key.ptr()) && M::map(v).contains(key.cast<std::string>());
  }
  static typing::typed<typename M::item_name> getitem(const View& v, const std::string& key) {
    return M::to_py(M::entry(M::map(v), key));
  }
  static typing::any_arg get(const View& v, const std::string& key, typing::any_arg dflt) {
    const auto* value = M::map(v).find(key);
    return value ? typing::any_arg(M::to_py(*value)) : dflt;
  }
  static typing::typed<keys_name> keys(const View& v) {
    return each(v, [](const std::string& k, const auto&) { return pyb::str(k); });
  }
  static typing::typed<list_of_name<M>> values(const View& v) {
    return each(v, [](const std::string&, const auto& value) { return M::to_py(value); });
  }
  static typing::typed<items_name> items(const View& v) {
    return each(v, [](const std::string& k, const auto& value) { return pyb::make_tuple(k, M::to_py(value)); });
  }
  // Iterates a snapshot of the keys: changing the map meanwhile cannot
  // invalidate anything.
  static typing::typed<key_iterator_name> iter(const View& v) { return pyb::iter(keys(v)); }
  static std::string repr(const View& v) {
    return dict_text_form(M::map(v), text_style().text,
                          [](const auto& value) { return std::string(pyb::repr(M::to_py(value))); });
  }

 private:
  template <class F>
  static pyb::list each(const View& v, F f) {
    pyb::list out;
    for (const auto& [k, value] : M::map(v)) out.append(f(k, value));
    return out;
  }
};

}  // namespace nimbal::py
