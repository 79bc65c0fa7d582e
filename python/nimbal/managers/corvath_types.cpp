// The managed-shape record and the registry as the host sees them.
#include "corvath_bind.hpp"
#include "corvath_docs.hpp"

#include "nimbal_py/live_list.hpp"

namespace nimbal::py::corvath {

namespace {

NIMBAL_PY_NAME(components_in_name, "typing.Iterable[nimbal.managers.corvath.ManagedShape] | None");
NIMBAL_PY_NAME(components_set_name, "typing.Iterable[nimbal.managers.corvath.ManagedShape]");
NIMBAL_PY_NAME(ids_name, "list[str]");
NIMBAL_PY_NAME(managed_list_name, "list[nimbal.managers.corvath.ManagedShape]");
NIMBAL_PY_NAME(items_name, "list[tuple[str, nimbal.managers.corvath.ManagedShape]]");
NIMBAL_PY_NAME(id_iterator_name, "typing.Iterator[str]");

struct ComponentElem {
  static constexpr const char* name = "ComponentList";
  using item_name = managed_name;
  static ManagedShapePtr from_py(pyb::handle v) { return managed_from_py(v, "a component"); }
  static pyb::object to_py(const ManagedShapePtr& ms) { return pyb::cast(ms); }
};


// The registry's entries in order, each as `f` gives it.
template <class F>
pyb::list each(const RegistryView& v, F f) {
  pyb::list out;
  for (const auto& kv : *v.registry) out.append(f(kv));
  return out;
}
pyb::object id_of(const Registry::value_type& kv) { return pyb::str(kv.first); }
pyb::object entry_of(const Registry::value_type& kv) { return pyb::cast(kv.second); }
pyb::object item_of(const Registry::value_type& kv) { return pyb::make_tuple(kv.first, pyb::cast(kv.second)); }

}  // namespace

void bind_types(pyb::module_& m) {
  bind_live_list<ComponentList, ComponentElem>(m, doc::component_list_cls);

  pyb::class_<ManagedShape, ManagedShapePtr> ms(m, "ManagedShape", pyb::dynamic_attr(), doc::managed_cls);
  ms.def(pyb::init([](const std::string& shape_id, typed<shape_or_none_name> shape, ShapeType shape_type, const std::string& name,
                      const Color& color, record_arg properties, typed<components_in_name> components,
                      str_or_none parent_id) {
           auto s = std::make_shared<ManagedShape>();
           s->shape_id = shape_id;
           s->shape = from_py::shape_or_null(shape, "shape");
           s->shape_type = shape_type;
           s->name = name;
           s->color = color;
           s->properties = from_py::record(properties, "properties");
           if (!components.is_none())
             s->components = list_from_iterable<ComponentList, ComponentElem>(components, "components");
           s->parent_id = from_py::text_or_none(parent_id, "parent_id");
           return s;
         }),
         pyb::arg("shape_id"), pyb::arg("shape"), pyb::arg("shape_type"), pyb::arg("name"), pyb::arg("color"),
         pyb::arg("properties"), pyb::arg("components") = pyb::none(), pyb::arg("parent_id") = pyb::none(),
         doc::managed_init);
  ms.def_readwrite("shape_id", &ManagedShape::shape_id, doc::shape_id)
      .def_property(
          "shape", [](const ManagedShape& s) { return shape_or_none(s.shape); },
          [](ManagedShape& s, typed<shape_or_none_name> v) { s.shape = from_py::shape_or_null(v, "shape"); }, doc::shape)
      .def_readwrite("shape_type", &ManagedShape::shape_type, doc::shape_type)
      .def_property("name", [](const ManagedShape& s) { return s.name; }, &rename_outside, doc::name)
      .def_readwrite("color", &ManagedShape::color, doc::color)
      .def_property(
          "properties", [](const ManagedShape& s) { return s.properties; },
          [](ManagedShape& s, record_arg v) { s.properties = from_py::record(v, "properties"); }, doc::properties)
      .def_property(
          "components",
          [](pyb::object self) -> typed<class_name<ComponentList>> {
            return pyb::cast(&self.cast<ManagedShape&>().components, pyb::return_value_policy::reference_internal,
                             self);
          },
          [](ManagedShape& s, typed<components_set_name> v) {
            s.components = list_from_iterable<ComponentList, ComponentElem>(v, "components");
          },
          doc::components)
      .def_property(
          "parent_id", [](const ManagedShape& s) { return s.parent_id; },
          [](ManagedShape& s, str_or_none v) { s.parent_id = from_py::text_or_none(v, "parent_id"); }, doc::parent_id)
      .def("__repr__", [](pyb::handle self) {
        return text_form(self.cast<const ManagedShape&>(), text_style().text,
                         [&](const char* field) { return std::string(pyb::repr(self.attr(field))); });
      });

  pyb::class_<RegistryView> reg(m, "ShapeRegistry", doc::registry_cls);
  reg.def("__len__", [](const RegistryView& v) { return v.registry->size(); })
      .def("__getitem__", [](const RegistryView& v, const std::string& id) { return pyb::cast(registry_entry(*v.registry, id)); })
      .def("__contains__", [](const RegistryView& v, pyb::handle k) {
        return PyUnicode_Check(k.ptr()) && v.registry->contains(k.cast<std::string>());
      })
      .def("get", [](const RegistryView& v, const std::string& id, any_arg dflt) -> any_arg {
        const ManagedShapePtr* p = v.registry->find(id);
        return p ? pyb::cast(*p) : dflt;
      }, pyb::arg("key"), pyb::arg("default") = pyb::none(), doc::registry_get)
      .def("keys", [](const RegistryView& v) { return typed<ids_name>(each(v, id_of)); }, doc::registry_keys)
      .def("values", [](const RegistryView& v) { return typed<managed_list_name>(each(v, entry_of)); },
           doc::registry_values)
      .def("items", [](const RegistryView& v) { return typed<items_name>(each(v, item_of)); }, doc::registry_items)
      .def("__iter__", [](const RegistryView& v) { return typed<id_iterator_name>(pyb::iter(each(v, id_of))); })
      .def("__repr__", [](const RegistryView& v) {
        pyb::dict d;
        for (const auto& kv : *v.registry) d[pyb::str(kv.first)] = pyb::cast(kv.second);
        return std::string(pyb::repr(d));
      });
  pyb::module_::import("collections.abc").attr("Mapping").attr("register")(reg);
}

}  // namespace nimbal::py::corvath
