// The managed-shape record and the registry as the host sees them.
#include "corvath_bind.hpp"
#include "corvath_docs.hpp"

#include "nimbal_py/live_list.hpp"
#include "nimbal_py/mapping.hpp"
#include "nimbal_py/shape_fields.hpp"

using namespace nimbal::py::typing;  // the type names signatures show

namespace nimbal::py::corvath {

using namespace nimbal::managers;
using manager_bind::managed_from_py;
using manager_bind::RegistryView;

namespace {

struct ComponentElem {
  static constexpr const char* name = "ComponentList";
  using item_name = managed_name;
  static ManagedShapePtr from_py(pyb::handle v) { return managed_from_py(v, "a component"); }
  static pyb::object to_py(const ManagedShapePtr& ms) { return pyb::cast(ms); }
};

using ManagedFields = ShapeFields<&ManagedShape::components, ComponentElem, true>;

struct RegistryEntries {
  using View = RegistryView;
  using item_name = managed_name;
  static const Registry& map(const RegistryView& v) { return *v.registry; }
  static constexpr auto entry = &registry_entry;
  static constexpr auto to_py = &ComponentElem::to_py;
};
using RegistryMap = MappingOf<RegistryEntries>;

}  // namespace

void bind_types(pyb::module_& m) {
  bind_live_list<ComponentList, ComponentElem>(m, doc::component_list_cls);

  pyb::class_<ManagedShape, ManagedShapePtr> ms(m, "ManagedShape", pyb::dynamic_attr(), doc::managed_cls);
  def(ms, "__init__", ManagedFields::factory("components"), as_constructor, pyb::arg("shape_id"), pyb::arg("shape"),
      pyb::arg("shape_type"), pyb::arg("name"), pyb::arg("color"), pyb::arg("properties"),
      pyb::arg("components") = pyb::none(), pyb::arg("parent_id") = pyb::none(), doc::managed_init);
  ManagedFields::def(ms, "components", &rename_outside,
                     {doc::shape_id, doc::shape, doc::shape_type, doc::name, doc::color, doc::properties,
                      doc::components, doc::parent_id});
  def(ms, "__repr__", [](pyb::object self) {
    return text_form(self.cast<const ManagedShape&>(), text_style().text,
                     [&](const char* field) { return std::string(pyb::repr(self.attr(field))); });
  });

  pyb::class_<RegistryView> reg(m, "ShapeRegistry", doc::registry_cls);
  def(reg, "__len__", &RegistryMap::len);
  def(reg, "__getitem__", &RegistryMap::getitem, pyb::arg("arg0"));
  def(reg, "__contains__", &RegistryMap::contains, pyb::arg("arg0"));
  def(reg, "get", &RegistryMap::get, pyb::arg("key"), pyb::arg("default") = pyb::none(), doc::registry_get);
  def(reg, "keys", &RegistryMap::keys, doc::registry_keys);
  def(reg, "values", &RegistryMap::values, doc::registry_values);
  def(reg, "items", &RegistryMap::items, doc::registry_items);
  def(reg, "__iter__", &RegistryMap::iter);
  def(reg, "__repr__", &RegistryMap::repr);
  pyb::module_::import("collections.abc").attr("Mapping").attr("register")(reg);
}

}  // namespace nimbal::py::corvath
