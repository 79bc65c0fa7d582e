// The dictionary form crosses as plain Python values: dict (insertion
// order), list, str, int, float, bool and None.
#pragma once

#include <nlohmann/json.hpp>

#include "nimbal/models/dict_form.hpp"
#include "nimbal_py/common.hpp"
#include "nimbal_py/value_rules.hpp"

namespace nimbal::py {

using Json = nlohmann::ordered_json;

inline pyb::object json_to_py(const Json& j) {
  switch (j.type()) {
    case Json::value_t::null: return pyb::none();
    case Json::value_t::boolean: return pyb::bool_(j.get<bool>());
    case Json::value_t::number_integer: return pyb::int_(j.get<long long>());
    case Json::value_t::number_unsigned: return pyb::int_(j.get<unsigned long long>());
    case Json::value_t::number_float: return pyb::float_(j.get<double>());
    case Json::value_t::string: return pyb::str(j.get_ref<const std::string&>());
    case Json::value_t::array: {
      pyb::list l(j.size());
      for (std::size_t i = 0; i < j.size(); ++i) l[i] = json_to_py(j[i]);
      return std::move(l);
    }
    case Json::value_t::object: {
      pyb::dict d;
      for (auto it = j.begin(); it != j.end(); ++it) d[pyb::str(it.key())] = json_to_py(it.value());
      return std::move(d);
    }
    default: return pyb::none();
  }
}

inline Json py_to_json(pyb::handle obj, int depth = 0) {
  namespace form = nimbal::models::dict_form;
  form::check_depth(depth);
  PyObject* p = obj.ptr();
  if (p == Py_None) return nullptr;
  if (PyBool_Check(p)) return p == Py_True;
  if (PyLong_Check(p)) {
    int overflow = 0;
    long long v = PyLong_AsLongLongAndOverflow(p, &overflow);
    if (overflow) throw form::integer_out_of_range(std::string(pyb::repr(obj)));
    return v;
  }
  if (PyFloat_Check(p)) return PyFloat_AS_DOUBLE(p);
  if (PyUnicode_Check(p)) return obj.cast<std::string>();
  if (PyDict_Check(p) || PyObject_HasAttrString(p, "items")) {
    Json o = Json::object();
    from_py::for_each_pair(
        obj, [](pyb::handle item) { throw form::not_an_item_pair(type_name(item)); },
        [&](const pyb::object& key, const pyb::object& value) {
          o[pyb::str(key).cast<std::string>()] = py_to_json(value, depth + 1);
        });
    return o;
  }
  if (PyList_Check(p) || PyTuple_Check(p) ||
      (PySequence_Check(p) && !PyBytes_Check(p) && !PyByteArray_Check(p))) {
    Json a = Json::array();
    for (auto item : pyb::iter(obj)) a.push_back(py_to_json(item, depth + 1));
    return a;
  }
  double d = 0;
  if (as_double(obj, d)) return d;
  throw form::no_dict_form(type_name(obj));
}

// A mapping read key by key with its `get`, as the dictionary form is
// read: anything that has `get` will do.
inline models::dict_form::KeyLookup key_lookup(pyb::handle data) {
  if (!PyObject_HasAttrString(data.ptr(), "get")) throw models::dict_form::no_get(type_name(data));
  pyb::object missing = pyb::module_::import("builtins").attr("object")();
  return [get = data.attr("get"), missing](std::string_view key) -> std::optional<Json> {
    pyb::object v = get(pyb::str(key.data(), key.size()), missing);
    if (v.is(missing)) return std::nullopt;
    return py_to_json(v);
  };
}

namespace convert {

// A parameter or result in the dictionary form: any value of it.
inline Json value(pyb::handle v, tag<Json>, std::string_view) { return py_to_json(v); }
template <>
struct arg_name<Json> : typing::any_name {};
inline pyb::object result_value(const Json& j, tag<Json>) { return json_to_py(j); }
template <>
struct result_name<Json> : typing::any_name {};

}  // namespace convert

}  // namespace nimbal::py
