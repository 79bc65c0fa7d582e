// The fields a managed shape and its snapshot share, bound once for both:
// the same names, order, constructor and conversions. P says what differs,
// their components field: `Shape` (the struct), `List` and `Elem` (its live
// list and the list's items), `parts` (the member), `field` (its name) and
// `none_is_empty` (whether the constructor takes None for none).
#pragma once

#include <memory>
#include <string>

#include "nimbal_py/common.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/live_list.hpp"
#include "nimbal_py/records.hpp"

namespace nimbal::py {

// Null where a class has no docstring for a field.
struct ShapeFieldDocs {
  const char *shape_id, *shape, *shape_type, *name, *color, *properties, *components, *parent_id;
};

template <class P>
struct ShapeFields {
  using S = typename P::Shape;
  using L = typename P::List;
  struct parts_in_name {
    static constexpr auto name =
        iterable_of_name<typename P::Elem>::name + pyb::detail::const_name<P::none_is_empty>(" | None", "");
  };

  static L parts(pyb::handle v) { return list_from_iterable<L, typename P::Elem>(v, P::field); }

  // The constructor, its parameters in the fields' order.
  static auto init() {
    return pyb::init([](const std::string& shape_id, typed<shape_or_none_name> shape, decltype(S::shape_type) shape_type,
                        const std::string& name, const decltype(S::color)& color, record_arg properties,
                        typed<parts_in_name> components, str_or_none parent_id) {
      auto s = std::make_shared<S>();
      s->shape_id = shape_id;
      s->shape = from_py::shape_or_null(shape, "shape");
      s->shape_type = shape_type;
      s->name = name;
      s->color = color;
      s->properties = from_py::record(properties, "properties");
      if (!(P::none_is_empty && components.is_none())) (*s).*P::parts = parts(components);
      s->parent_id = from_py::text_or_none(parent_id, "parent_id");
      return s;
    });
  }

  // The fields as properties; `set_name` writes the name.
  template <class Cls, class SetName>
  static Cls& def(Cls& cls, SetName set_name, const ShapeFieldDocs& doc = {}) {
    return cls.def_readwrite("shape_id", &S::shape_id, doc.shape_id)
        .def_property(
            "shape", [](const S& s) { return shape_or_none(s.shape); },
            [](S& s, typed<shape_or_none_name> v) { s.shape = from_py::shape_or_null(v, "shape"); }, doc.shape)
        .def_readwrite("shape_type", &S::shape_type, doc.shape_type)
        .def_property("name", [](const S& s) { return s.name; }, set_name, doc.name)
        .def_readwrite("color", &S::color, doc.color)
        .def_property(
            "properties", [](const S& s) { return s.properties; },
            [](S& s, record_arg v) { s.properties = from_py::record(v, "properties"); }, doc.properties)
        .def_property(
            P::field, [](S& s) -> L& { return s.*P::parts; },
            [](S& s, typed<iterable_of_name<typename P::Elem>> v) { s.*P::parts = parts(v); }, doc.components)
        .def_property(
            "parent_id", [](const S& s) { return s.parent_id; },
            [](S& s, str_or_none v) { s.parent_id = from_py::text_or_none(v, "parent_id"); }, doc.parent_id);
  }
};

}  // namespace nimbal::py
