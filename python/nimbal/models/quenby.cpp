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

std::string field_what(std::string_view cls, std::string_view field) {
  return std::string(cls) + "." + std::string(field);
}

// ---- field access through the field list ----

struct Getter {
  Quenby& rec;
  pyb::handle self;
  template <class T>
  pyb::object operator()(T Quenby::*m) const {
    T& v = rec.*m;
    if constexpr (std::is_same_v<T, Point2>) {
      return point_to_tuple<2>(v);
    } else if constexpr (std::is_same_v<T, IndexList> || std::is_same_v<T, Point2List> ||
                         std::is_same_v<T, Point3List> || std::is_same_v<T, Translation> ||
                         std::is_same_v<T, Rotation>) {
      // The record's own object, kept alive with the record.
      return pyb::cast(&v, pyb::return_value_policy::reference_internal, self);
    } else {
      return pyb::cast(v);
    }
  }
};

struct Setter {
  Quenby& rec;
  pyb::handle value;
  const std::string& what;
  template <class T>
  void operator()(T Quenby::*m) const {
    T& out = rec.*m;
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

using Get = std::function<pyb::object(pyb::handle)>;
using Set = std::function<void(pyb::handle, pyb::handle)>;

// The attribute's getter and setter, typed for signatures and stubs.
// Owner names the class the field belongs to (for its `self`).
template <class T, class Owner>
pyb::cpp_function field_getter(const Get& get, pyb::handle cls) {
  using V = typed<field_name<T>>;
  return pyb::cpp_function([get](typed<Owner> self) { return V(get(self)); }, pyb::is_method(cls));
}
template <class T, class Owner>
pyb::cpp_function field_setter(const Set& set, pyb::handle cls) {
  using V = typed<field_in_name<T>>;
  return pyb::cpp_function([set](typed<Owner> self, V v) { set(self, v); }, pyb::is_method(cls),
                           pyb::arg("value"));
}

// A field as the Python face sees it: name, read, write, and its attribute.
struct PyField {
  std::string_view name;
  Get get;
  Set set;
  pyb::cpp_function (*make_getter)(const Get&, pyb::handle);
  pyb::cpp_function (*make_setter)(const Set&, pyb::handle);
};

struct FieldKind {
  PyField& f;
  template <class T>
  void operator()(T Quenby::*) const {
    f.make_getter = &field_getter<T, record_name>;
    f.make_setter = &field_setter<T, record_name>;
  }
};

// A class's fields as the Python face sees them, with their names (in
// order) for the core's argument rules.
struct PyFields {
  std::string_view cls;
  std::vector<PyField> list;
  std::vector<std::string_view> names;
  PyField& add(PyField f) {
    names.push_back(f.name);
    return list.emplace_back(std::move(f));
  }
};

PyFields py_fields(const RecordType& t) {
  PyFields out{t.name, {}, {}};
  for (const Field& f : t.fields) {
    const FieldMember member = f.member;
    std::string what = field_what(t.name, f.name);
    PyField& pf = out.add(PyField{
        f.name,
        [member](pyb::handle self) { return std::visit(Getter{self.cast<Quenby&>(), self}, member); },
        [member, what](pyb::handle self, pyb::handle v) {
          std::visit(Setter{self.cast<Quenby&>(), v, what}, member);
        },
        nullptr, nullptr});
    std::visit(FieldKind{pf}, member);
  }
  return out;
}

template <class V>
PyFields vec3_py_fields(std::string_view cls) {
  PyFields out{cls, {}, {}};
  for (const auto& f : vec3_fields<V>) {
    std::string what = field_what(cls, f.name);
    out.add(PyField{
        f.name, [m = f.member](pyb::handle self) -> pyb::object { return pyb::float_(self.cast<V&>().*m); },
        [m = f.member, what](pyb::handle self, pyb::handle v) { self.cast<V&>().*m = from_py::number(v, what); },
        &field_getter<double, class_name<V>>, &field_setter<double, class_name<V>>});
  }
  return out;
}

// cls(*args, **kwargs): every field by position (in field order) or keyword.
void init_fields(pyb::handle self, const PyFields& fs, pyb::args args, pyb::kwargs kwargs) {
  check_positional(fs.cls, fs.list.size(), args.size());
  for (std::size_t i = 0; i < args.size(); ++i) fs.list[i].set(self, args[i]);
  for (auto [key, value] : kwargs)
    fs.list[keyword_field(fs.cls, fs.names, args.size(), key.cast<std::string>())].set(self, value);
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

const char* field_doc(std::string_view name) {
  for (const auto& [n, d] : doc::fields)
    if (n == name) return d;
  return nullptr;
}

std::string init_doc(const RecordType& t) {
  std::string names;
  for (const Field& f : t.fields) names += (names.empty() ? "" : ", ") + std::string(f.name);
  return doc::init_head + names + doc::init_tail;
}

// What every record class and Translation and Rotation have alike; `copy`
// answers the copy of an object, shallow and deep copies being the same.
template <class C, class Copy>
void add_common(C& cls, const PyFields& fields, Copy copy) {
  using T = typename C::type;
  for (const PyField& f : fields.list)
    cls.def_property(std::string(f.name).c_str(), f.make_getter(f.get, cls), f.make_setter(f.set, cls),
                     field_doc(f.name));
  cls.def("__repr__", [](pyb::handle self) { return text_form(self.cast<const T&>(), text_style(), class_qualname(self)); });
  cls.attr("__hash__") = pyb::none();
  cls.attr("__match_args__") = pyb::tuple(pyb::cast(fields.names));
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
  auto fields = vec3_py_fields<V>(name);
  cls.def(pyb::init([fields](pyb::args args, pyb::kwargs kwargs) {
    // Values are checked on a scratch object so a bad argument leaves nothing behind.
    pyb::object scratch = pyb::cast(V());
    init_fields(scratch, fields, args, kwargs);
    return scratch.cast<V>();
  }));
  add_common(cls, fields, [](pyb::handle self) { return V(self.cast<const V&>()); });
  cls.def("to_dict", [](const V& v) { return typed<dict_name>(json_to_py(v.to_dict())); }, doc::vec3_to_dict);
  set_classmethod(cls, "from_dict", pyb::cpp_function([names = fields.names](typed<type_name_tag> cls, typed<mapping_name> data) -> typed<self_name> {
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
  auto fields = py_fields(t);
  bound_types()[reinterpret_cast<PyTypeObject*>(cls.ptr())] = &t;
  cls.def(pyb::init([fields, &t](pyb::args args, pyb::kwargs kwargs) {
    auto rec = std::make_shared<T>();
    pyb::object tmp = pyb::cast(rec);
    init_fields(tmp, fields, args, kwargs);
    return rec;
  }), init_doc(t).c_str());
  add_common(cls, fields, [](pyb::handle self) {
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
