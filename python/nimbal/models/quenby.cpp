// nimbal.models.quenby: the property records. Every class's constructor,
// attributes, equality, text form, copies and dictionary form come from the
// field list of its RecordType.
#include "nimbal/models/quenby.hpp"

#include <climits>
#include <typeinfo>

#include "nimbal_py/common.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/json.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/records.hpp"
#include "quenby_bind.hpp"
#include "quenby_docs.hpp"

using namespace nimbal::py::typing;  // the type names signatures show

namespace nimbal::py::quenby {
namespace {

using namespace nimbal::models;

// ---- field access through the field lists ----

template <class M> struct member_of;
template <class T, class O> struct member_of<T O::*> { using type = T; };

// Calls `fn` with the member pointer of field `f`: a member of its class,
// or the field table's variant of them.
template <class F, class Fn>
void with_member(const F& f, Fn&& fn) {
  if constexpr (std::is_member_pointer_v<decltype(f.member)>) fn(f.member);
  else std::visit(fn, f.member);
}

// A field as Python reads it: lists and positions are the record's own
// objects, kept alive with it.
template <class T, class O>
pyb::object get_field(pyb::handle self, T O::*m) {
  return pyb::cast(&(self.cast<O&>().*m), pyb::return_value_policy::reference_internal, self);
}

// A field assigned, by its attribute or the constructor; `what` names it.
template <class T, class O>
void set_field(pyb::handle self, T O::*m, pyb::handle value, const std::string& what) {
  T& out = self.cast<O&>().*m;
  if constexpr (std::is_same_v<T, double>) out = from_py::number(value, what);
  // One beyond long long is beyond int as well.
  else if constexpr (std::is_same_v<T, int>) out = int_in_range(from_py::integer(value, what).value_or(LLONG_MAX), what);
  else if constexpr (std::is_same_v<T, bool>) out = from_py::boolean(value, what);
  else if constexpr (std::is_same_v<T, std::string>) out = from_py::text(value, what);
  else if constexpr (std::is_same_v<T, Point2>) out = from_py::point<2>(value, what, "a (u, v) pair of numbers");
  else if constexpr (std::is_same_v<T, Translation> || std::is_same_v<T, Rotation>) out = from_py::instance<T>(value, what);
  else out = list_from_iterable<T, Elem<T>>(value, what);
}

template <class F>
void set_field(pyb::handle self, std::string_view cls, const F& f, pyb::handle value) {
  with_member(f, [&](auto m) { set_field(self, m, value, std::string(cls) + "." + std::string(f.name)); });
}

// A field's Python type as reading gives it, and as assigning takes it (a
// list field takes any iterable).
template <class T> struct read_name { static constexpr auto name = pyb::detail::make_caster<T>::name; };
template <class T>
constexpr bool is_list = std::is_same_v<T, IndexList> || std::is_same_v<T, Point2List> || std::is_same_v<T, Point3List>;
template <class T> using write_name = std::conditional_t<is_list<T>, iterable_of_name<Elem<T>>, read_name<T>>;

const char* field_doc(std::string_view name) {
  for (const auto& [n, d] : doc::fields)
    if (n == name) return d;
  return nullptr;
}

// Defines the attribute of field `f` of class `cls_name`, typed for
// signatures and stubs; Owner names the class for `self`.
template <class Owner, class C, class F>
void def_field(C& cls, std::string_view cls_name, const F& f) {
  with_member(f, [&](auto m) {
    using T = typename member_of<decltype(m)>::type;
    const std::string what = std::string(cls_name) + "." + std::string(f.name);
    cls.def_property(std::string(f.name).c_str(),
                     pyb::cpp_function([m](typed<Owner> self) { return typed<read_name<T>>(get_field(self, m)); },
                                       pyb::is_method(cls)),
                     pyb::cpp_function([m, what](typed<Owner> self, typed<write_name<T>> v) { set_field(self, m, v, what); },
                                       pyb::is_method(cls), pyb::arg("value")),
                     field_doc(f.name));
  });
}

// cls(*args, **kwargs): every field by position (in field order) or keyword.
template <class Fields>
void init_fields(pyb::handle self, std::string_view cls, const Fields& fields,
                 const std::vector<std::string_view>& names, pyb::args args, pyb::kwargs kwargs) {
  check_positional(cls, names.size(), args.size());
  for (std::size_t i = 0; i < args.size(); ++i) set_field(self, cls, fields[i], args[i]);
  for (auto [key, value] : kwargs)
    set_field(self, cls, fields[keyword_field(cls, names, args.size(), key.template cast<std::string>())], value);
}

// The record type `cls` (a bound record class or a Python subclass of one)
// stands for.
const RecordType& record_type_of(pyb::handle cls) {
  std::vector<const std::type_info*> bound;
  if (PyType_Check(cls.ptr()))
    for (const auto* info : pyb::detail::all_type_info(reinterpret_cast<PyTypeObject*>(cls.ptr())))
      bound.push_back(info->cpptype);
  return models::record_type_of(bound);
}

// An instance of `cls` (the bound class or a Python subclass of it) holding
// `value`.
template <class T>
pyb::object instance_of(pyb::handle cls, const T& value) {
  pyb::object obj = cls();
  copy_fields(obj.cast<T&>(), value);
  return obj;
}

std::string init_doc(const RecordType& t) {
  std::string names;
  for (const Field& f : t.fields) names += (names.empty() ? "" : ", ") + std::string(f.name);
  return doc::init_head + names + doc::init_tail;
}

// What every record class and Translation and Rotation (T, bound as `cls`)
// have alike: the constructor and attributes of `fields`, the text form,
// equality, copies (shallow and deep copies being the same) and the
// dictionary form.
template <class T, class C, class Fields>
void bind_fields(C& cls, std::string_view name, const Fields& fields, const char* init_doc) {
  constexpr bool record = std::is_base_of_v<Quenby, T>;
  using Owner = std::conditional_t<record, record_name, class_name<T>>;
  def(cls, "__init__", [name, &fields, names = names_of(fields)](pyb::args args, pyb::kwargs kwargs) {
    // Values are set on an object of its own, so a bad argument leaves nothing behind.
    typename C::holder_type obj(new T());
    init_fields(pyb::cast(obj.get(), pyb::return_value_policy::reference), name, fields, names, args, kwargs);
    return obj;
  }, as_constructor, init_doc);
  for (const auto& f : fields) def_field<Owner>(cls, name, f);
  def(cls, "__repr__", [](pyb::handle self) { return text_form(self.cast<const T&>(), text_style(), class_qualname(self)); });
  cls.attr("__hash__") = pyb::none();
  cls.attr("__match_args__") = pyb::tuple(pyb::cast(names_of(fields)));
  def(cls, "__eq__", [](pyb::handle a, pyb::object b) -> pyb::object {
    if (Py_TYPE(a.ptr()) != Py_TYPE(b.ptr())) return not_implemented();
    return pyb::bool_(a.cast<const T&>() == b.cast<const T&>());
  }, pyb::arg("other"));
  // A record copies as its own class, a Python subclass too; Translation
  // and Rotation as themselves.
  const auto copy = [](pyb::handle self) {
    if constexpr (record) return instance_of(pyb::type::handle_of(self), self.cast<const Quenby&>());
    else return T(self.cast<const T&>());
  };
  def(cls, "__copy__", copy);
  def(cls, "__deepcopy__", [copy](pyb::handle self, pyb::object) { return copy(self); }, pyb::arg("memo"));
  def(cls, "to_dict", [](const T& v) { return typed<dict_name>(json_to_py(to_dict(v))); },
      record ? doc::to_dict : doc::vec3_to_dict);
  if constexpr (record) cls.attr("_SKIP_FIELDS") = pyb::frozenset(pyb::cast(T::record_type().skip_fields));
  def(cls, "from_dict", [](pyb::type cls, typed<mapping_name> data) -> typed<self_name> {
    if constexpr (record) {
      const RecordType& t = record_type_of(cls);
      return instance_of(cls, *from_dict(t, key_lookup(data)));
    } else {
      return instance_of(cls, T::from_dict(key_lookup(data)));
    }
  }, as_classmethod, pyb::arg("data"), record ? doc::from_dict : doc::vec3_from_dict);
}

template <class V>
void bind_vec3(pyb::module_& m, const char* name, const char* cls_doc) {
  pyb::class_<V> cls(m, name, cls_doc);
  bind_fields<V>(cls, name, vec3_fields<V>, nullptr);
}

template <class T, class... Base>
void bind_record(pyb::module_& m) {
  const RecordType& t = T::record_type();
  pyb::class_<T, Base..., std::shared_ptr<T>> cls(m, t.name.data(), t.doc.data());
  bind_fields<T>(cls, t.name, t.fields, init_doc(t).c_str());
}

}  // namespace
}  // namespace nimbal::py::quenby

PYBIND11_MODULE(quenby, m) {
  using namespace nimbal::models;
  namespace q = nimbal::py::quenby;
  namespace pyb = pybind11;
  m.doc() = "Shape property classes for structured data handling";
  nimbal::py::register_core_errors();
  q::bind_lists(m);

  q::bind_vec3<Translation>(m, "Translation", "3D translation/position.");
  q::bind_vec3<Rotation>(m, "Rotation", "3D rotation in degrees.");

  q::bind_record<Quenby>(m);
  q::bind_record<BoxProperties, Quenby>(m);
  q::bind_record<SphereProperties, Quenby>(m);
  q::bind_record<CylinderProperties, Quenby>(m);
  q::bind_record<ConeProperties, Quenby>(m);
  q::bind_record<TorusProperties, Quenby>(m);
  q::bind_record<RectangleProperties, Quenby>(m);
  q::bind_record<CircleProperties, Quenby>(m);
  q::bind_record<PolylineProperties, Quenby>(m);
  q::bind_record<ImportedProperties, Quenby>(m);
  q::bind_record<FaceProperties, Quenby>(m);
  q::bind_record<PlaneProperties, Quenby>(m);
  q::bind_record<ModifierProperties, Quenby>(m);
  q::bind_record<ArrayProperties, ModifierProperties>(m);
  q::bind_record<FilletProperties, ModifierProperties>(m);
  q::bind_record<CornerRoundProperties, ModifierProperties>(m);
  q::bind_record<PolylineRoundProperties, ModifierProperties>(m);
  q::bind_record<ExtrudeProperties, ModifierProperties>(m);
  q::bind_record<BooleanProperties, Quenby>(m);
  q::bind_record<SketchProperties, Quenby>(m);
  q::bind_record<LineProperties, Quenby>(m);
  q::bind_record<ArcProperties, Quenby>(m);
  q::bind_record<SketchPolylineProperties, Quenby>(m);

  pyb::module_ typing = pyb::module_::import("typing");
  m.attr("_SP") = typing.attr("TypeVar")("_SP", pyb::arg("bound") = m.attr("Quenby"));
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
