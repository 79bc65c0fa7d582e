// The fields a managed shape and its snapshot share, bound once for both:
// the same names, order, constructor and conversions. What differs is their
// components field: the live list at `Parts`, its items converted by E,
// named by the caller; `NoneIsEmpty` says whether the constructor takes
// None for none.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "nimbal_py/common.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/live_list.hpp"
#include "nimbal_py/records.hpp"

namespace nimbal::py {

// Null where a class has no docstring for a field.
struct ShapeFieldDocs {
  const char *shape_id, *shape, *shape_type, *name, *color, *properties, *components, *parent_id;
};

// The class and the type of a data member, from its pointer.
template <class S, class L>
S member_owner(L S::*);
template <class S, class L>
L member_type(L S::*);

template <auto Parts, class E, bool NoneIsEmpty>
struct ShapeFields {
  using S = decltype(member_owner(Parts));
  using L = decltype(member_type(Parts));
  struct parts_in_name {
    static constexpr auto name = iterable_of_name<E>::name + pyb::detail::const_name<NoneIsEmpty>(" | None", "");
  };

  // The constructor's factory, its parameters in the fields' order.
  static auto factory(const char* field) {
    return [field](std::string shape_id, NullableShape shape, decltype(S::shape_type) shape_type, std::string name,
                   const decltype(S::color)& color, std::shared_ptr<models::Quenby> properties,
                   typing::typed<parts_in_name> components, std::optional<std::string> parent_id) {
      auto s = std::make_shared<S>();
      s->shape_id = std::move(shape_id);
      s->shape = std::move(shape);
      s->shape_type = shape_type;
      s->name = std::move(name);
      s->color = color;
      s->properties = std::move(properties);
      if (!(NoneIsEmpty && components.is_none())) (*s).*Parts = list_from_iterable<L, E>(components, field);
      s->parent_id = std::move(parent_id);
      return s;
    };
  }

  // The fields as properties, the components one named `field`; `set_name`
  // writes the name.
  template <class Cls, class SetName>
  static Cls& def(Cls& cls, const char* field, SetName set_name, const ShapeFieldDocs& doc = {}) {
    return cls.def_readwrite("shape_id", &S::shape_id, doc.shape_id)
        .def_property(
            "shape", [](const S& s) { return shape_or_none(s.shape); },
            [](S& s, typing::typed<typing::shape_or_none_name> v) { s.shape = from_py::shape_or_null(v, "shape"); }, doc.shape)
        .def_readwrite("shape_type", &S::shape_type, doc.shape_type)
        .def_property("name", [](const S& s) { return s.name; }, set_name, doc.name)
        .def_readwrite("color", &S::color, doc.color)
        .def_property(
            "properties", [](const S& s) { return s.properties; },
            [](S& s, typing::record_arg v) { s.properties = from_py::record(v, "properties"); }, doc.properties)
        .def_property(
            field, [](S& s) -> L& { return s.*Parts; },
            [field](S& s, typing::typed<iterable_of_name<E>> v) { s.*Parts = list_from_iterable<L, E>(v, field); },
            doc.components)
        .def_property(
            "parent_id", [](const S& s) { return s.parent_id; },
            [](S& s, typing::str_or_none v) { s.parent_id = from_py::text_or_none(v, "parent_id"); }, doc.parent_id);
  }
};

}  // namespace nimbal::py
