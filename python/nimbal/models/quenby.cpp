// nimbal.models.quenby: the property records. Every class's constructor,
// attributes, equality, text form, copies and dictionary form come from the
// field list of its RecordType.
#include "nimbal/models/quenby.hpp"

#include <climits>
#include <unordered_map>

#include "nimbal_py/common.hpp"
#include "nimbal_py/json.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/records.hpp"
#include "quenby_bind.hpp"
#include "quenby_docs.hpp"

namespace nimbal::py::quenby {
namespace {

using namespace nimbal::models;

NIMBAL_PY_NAME(type_name_tag, "type");

// ---- field access through the field lists ----

// A field of an O as Python reads it: lists and positions are the record's
// own objects, kept alive with it.
template <class O>
struct Getter {
  pyb::handle self;
  template <class T>
  pyb::object operator()(T O::*m) const {
    T& v = self.cast<O&>().*m;
    if constexpr (std::is_same_v<T, Point2>) {
      return point_to_tuple<2>(v);
    } else if constexpr (std::is_same_v<T, IndexList> || std::is_same_v<T, Point2List> ||
                         std::is_same_v<T, Point3List> || std::is_same_v<T, Translation> ||
                         std::is_same_v<T, Rotation>) {
      return pyb::cast(&v, pyb::return_value_policy::reference_internal, self);
    } else {
      return pyb::cast(v);
    }
  }
};

template <class O>
struct Setter {
  pyb::handle self;
  pyb::handle value;
  const std::string& what;
  template <class T>
  void operator()(T O::*m) const {
    T& out = self.cast<O&>().*m;
    if constexpr (std::is_same_v<T, double>) out = from_py::number(value, what);
    // One beyond long long is beyond int as well.
    else if constexpr (std::is_same_v<T, int>) out = int_in_range(from_py::integer(value, what).value_or(LLONG_MAX), what);
    else if constexpr (std::is_same_v<T, bool>) out = from_py::boolean(value, what);
    else if constexpr (std::is_same_v<T, std::string>) out = from_py::text(value, what);
    else if constexpr (std::is_same_v<T, Point2>) out = from_py::point<2>(value, what, "a (u, v) pair of numbers");
    else if constexpr (std::is_same_v<T, Translation>) out = from_py::instance<T>(value, what);
    else if constexpr (std::is_same_v<T, Rotation>) out = from_py::instance<T>(value, what);
    else out = list_from_py<T>(value, what);
  }
};

template <class T> struct field_name : class_name<T> {};
template <> struct field_name<double> : float_name {};
template <> struct field_name<int> : int_name {};
template <> struct field_name<bool> : bool_name {};
template <> struct field_name<std::string> : str_name {};
template <> struct field_name<Point2> : point2_name {};

// What assigning a field accepts where that is more than what reading gives.
template <class T> struct field_in_name : field_name<T> {};
template <> struct field_in_name<IndexList> { NIMBAL_PY_NAME(n, "typing.Iterable[int]"); static constexpr auto name = n::name; };
template <> struct field_in_name<Point2List> {
  NIMBAL_PY_NAME(n, "typing.Iterable[tuple[float, float]]");
  static constexpr auto name = n::name;
};
template <> struct field_in_name<Point3List> {
  NIMBAL_PY_NAME(n, "typing.Iterable[tuple[float, float, float]]");
  static constexpr auto name = n::name;
};

template <class M> struct member_of;
template <class T, class O> struct member_of<T O::*> { using type = T; };

using Set = std::function<void(pyb::handle, pyb::handle)>;

// A class's fields as its constructor takes them: names in order (for the
// core's argument rules) and setters.
struct PyFields {
  std::string_view cls;
  std::vector<std::string_view> names;
  std::vector<Set> set;
};

const char* field_doc(std::string_view name) {
  for (const auto& [n, d] : doc::fields)
    if (n == name) return d;
  return nullptr;
}

// Defines the attribute of field `name` (a member of O, or the field
// table's variant of them), typed for signatures and stubs; Owner names
// O's class for `self`.
template <class O, class Owner, class C, class Member>
void def_field(C& cls, PyFields& fs, std::string_view name, const Member& member) {
  const std::string what = std::string(fs.cls) + "." + std::string(name);
  const auto members = [&] {
    if constexpr (std::is_member_pointer_v<Member>) return std::variant<Member>(member);
    else return member;
  }();
  std::visit([&](auto m) {
    using T = typename member_of<decltype(m)>::type;
    Set set = [m, what](pyb::handle self, pyb::handle v) { Setter<O>{self, v, what}(m); };
    cls.def_property(std::string(name).c_str(),
                     pyb::cpp_function([m](typed<Owner> self) { return typed<field_name<T>>(Getter<O>{self}(m)); },
                                       pyb::is_method(cls)),
                     pyb::cpp_function([set](typed<Owner> self, typed<field_in_name<T>> v) { set(self, v); },
                                       pyb::is_method(cls), pyb::arg("value")),
                     field_doc(name));
    fs.names.push_back(name);
    fs.set.push_back(std::move(set));
  }, members);
}

// cls(*args, **kwargs): every field by position (in field order) or keyword.
void init_fields(pyb::handle self, const PyFields& fs, pyb::args args, pyb::kwargs kwargs) {
  check_positional(fs.cls, fs.set.size(), args.size());
  for (std::size_t i = 0; i < args.size(); ++i) fs.set[i](self, args[i]);
  for (auto [key, value] : kwargs)
    fs.set[keyword_field(fs.cls, fs.names, args.size(), key.cast<std::string>())](self, value);
}

// A lookup with a default, as the dictionary form is read: anything with
// `get`. Absent keys are simply not in the result; unknown keys are never
// looked at.
Json read_keys(pyb::handle data, const std::vector<std::string_view>& keys) {
  if (!PyObject_HasAttrString(data.ptr(), "get"))
    throw nimbal::MissingMember("'" + type_name(data) + "' object has no attribute 'get'");
  pyb::object missing = pyb::module_::import("builtins").attr("object")();
  pyb::object get = data.attr("get");
  Json out = Json::object();
  for (std::string_view k : keys) {
    pyb::object v = get(pyb::str(k.data(), k.size()), missing);
    if (!v.is(missing)) out[std::string(k)] = py_to_json(v);
  }
  return out;
}

// Per Python class bound here: its C++ descriptor, to serve subclasses made
// in Python and to run from_dict on the class it is called on.
std::unordered_map<PyTypeObject*, const RecordType*>& bound_types() {
  static std::unordered_map<PyTypeObject*, const RecordType*> m;
  return m;
}

const RecordType& record_type_of_class(pyb::handle cls) {
  pyb::tuple mro = cls.attr("__mro__");
  for (auto c : mro) {
    auto it = bound_types().find(reinterpret_cast<PyTypeObject*>(c.ptr()));
    if (it != bound_types().end()) return *it->second;
  }
  throw nimbal::WrongType("not a record class");
}

// An instance of `cls` (the bound class or a Python subclass of it) holding
// the value of `rec`.
pyb::object instance_of(pyb::handle cls, const Quenby& rec) {
  pyb::object obj = pyb::cast(rec.clone());
  if (Py_TYPE(obj.ptr()) == reinterpret_cast<PyTypeObject*>(cls.ptr())) return obj;
  pyb::object sub = cls();
  copy_fields(sub.cast<Quenby&>(), rec);
  return sub;
}

std::string init_doc(const RecordType& t) {
  std::string names;
  for (const Field& f : t.fields) names += (names.empty() ? "" : ", ") + std::string(f.name);
  return doc::init_head + names + doc::init_tail;
}

// What every record class and Translation and Rotation have alike: the
// attributes of `fields` (each a name and a member of O) collected into
// `fs`, the text form, equality and copies (`copy` answers one, shallow and
// deep copies being the same).
template <class O, class Owner, class C, class Fields, class Copy>
void add_common(C& cls, PyFields& fs, const Fields& fields, Copy copy) {
  using T = typename C::type;
  for (const auto& f : fields) def_field<O, Owner>(cls, fs, f.name, f.member);
  cls.def("__repr__", [](pyb::handle self) { return text_form(self.cast<const T&>(), text_style(), class_qualname(self)); });
  cls.attr("__hash__") = pyb::none();
  cls.attr("__match_args__") = pyb::tuple(pyb::cast(fs.names));
  cls.def("__eq__", [](pyb::handle a, pyb::handle b) -> pyb::object {
    if (Py_TYPE(a.ptr()) != Py_TYPE(b.ptr())) return not_implemented();
    if constexpr (std::is_base_of_v<Quenby, T>) return pyb::bool_(equal(a.cast<const T&>(), b.cast<const T&>()));
    else return pyb::bool_(a.cast<const T&>() == b.cast<const T&>());
  });
  cls.def("__copy__", copy);
  cls.def("__deepcopy__", [copy](pyb::handle self, pyb::handle) { return copy(self); }, pyb::arg("memo"));
}

template <class V>
void bind_vec3(pyb::module_& m, const char* name, const char* cls_doc) {
  pyb::class_<V> cls(m, name, cls_doc);
  auto fs = std::make_shared<PyFields>(PyFields{name, {}, {}});
  cls.def(pyb::init([fs](pyb::args args, pyb::kwargs kwargs) {
    // Values are checked on a scratch object so a bad argument leaves nothing behind.
    pyb::object scratch = pyb::cast(V());
    init_fields(scratch, *fs, args, kwargs);
    return scratch.cast<V>();
  }));
  add_common<V, class_name<V>>(cls, *fs, vec3_fields<V>, [](pyb::handle self) { return V(self.cast<const V&>()); });
  cls.def("to_dict", [](const V& v) { return typed<dict_name>(json_to_py(v.to_dict())); }, doc::vec3_to_dict);
  set_classmethod(cls, "from_dict", pyb::cpp_function([names = fs->names](typed<type_name_tag> cls, typed<mapping_name> data) -> typed<self_name> {
    V v = V::from_dict(read_keys(data, names));
    pyb::object obj = cls();
    obj.cast<V&>() = v;
    return obj;
  }, pyb::arg("cls"), pyb::arg("data"), doc::vec3_from_dict));
}

template <class T, class... Base>
void bind_record(pyb::module_& m) {
  const RecordType& t = T::record_type();
  pyb::class_<T, Base..., std::shared_ptr<T>> cls(m, t.name.data(), t.doc.data());
  auto fs = std::make_shared<PyFields>(PyFields{t.name, {}, {}});
  bound_types()[reinterpret_cast<PyTypeObject*>(cls.ptr())] = &t;
  cls.def(pyb::init([fs](pyb::args args, pyb::kwargs kwargs) {
    auto rec = std::make_shared<T>();
    init_fields(pyb::cast(rec), *fs, args, kwargs);
    return rec;
  }), init_doc(t).c_str());
  add_common<Quenby, record_name>(cls, *fs, t.fields, [](pyb::handle self) {
    return instance_of(pyb::handle(reinterpret_cast<PyObject*>(Py_TYPE(self.ptr()))), self.cast<const Quenby&>());
  });
  cls.def("to_dict", [](const T& rec) { return typed<dict_name>(json_to_py(to_dict(rec))); }, doc::to_dict);
  cls.attr("_SKIP_FIELDS") = pyb::frozenset(pyb::cast(t.skip_fields));
  set_classmethod(cls, "from_dict", pyb::cpp_function([](typed<type_name_tag> cls, typed<mapping_name> data) -> typed<self_name> {
    const RecordType& rt = record_type_of_class(cls);
    auto rec = from_dict(rt, read_keys(data, rt.field_names()));
    return instance_of(cls, *rec);
  }, pyb::arg("cls"), pyb::arg("data"), doc::from_dict));
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
