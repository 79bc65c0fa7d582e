// nimbal.models.quenby: the property records. Every class's constructor,
// attributes, equality, text form, copies and dictionary form come from the
// field list of its RecordType.
#include "nimbal/models/quenby.hpp"

#include <unordered_map>

#include "nimbal_py/common.hpp"
#include "nimbal_py/json.hpp"
#include "nimbal_py/method_guard.hpp"
#include "quenby_bind.hpp"

namespace nimbal::py::quenby {
namespace {

using namespace nimbal::models;

NIMBAL_PY_NAME(type_name_tag, "type");

std::string field_what(std::string_view cls, std::string_view field) {
  return std::string(cls) + "." + std::string(field);
}

[[noreturn]] void wrong_type(const std::string& what, const char* expected, pyb::handle v) {
  throw nimbal::WrongType(what + " must be " + expected + ", not '" + type_name(v) + "'");
}

// ---- Python value -> typed field value (the boundary's conversions) ----

double to_double(pyb::handle v, const std::string& what) {
  double d = 0;
  if (PyBool_Check(v.ptr()) || !as_double(v, d)) wrong_type(what, "a number", v);
  return d;
}

int to_int(pyb::handle v, const std::string& what) {
  if (PyBool_Check(v.ptr()) || !PyIndex_Check(v.ptr())) wrong_type(what, "an integer", v);
  pyb::object i = pyb::reinterpret_steal<pyb::object>(PyNumber_Index(v.ptr()));
  if (!i) throw pyb::error_already_set();
  int overflow = 0;
  long long x = PyLong_AsLongLongAndOverflow(i.ptr(), &overflow);
  if (overflow || x < INT_MIN || x > INT_MAX) throw nimbal::InvalidValue(what + ": integer out of range");
  return static_cast<int>(x);
}

bool to_bool(pyb::handle v, const std::string& what) {
  if (PyBool_Check(v.ptr())) return v.ptr() == Py_True;
  if (PyLong_Check(v.ptr())) return PyObject_IsTrue(v.ptr()) == 1;
  wrong_type(what, "a boolean", v);
}

std::string to_string(pyb::handle v, const std::string& what) {
  if (!PyUnicode_Check(v.ptr())) wrong_type(what, "a str", v);
  return v.cast<std::string>();
}

Point2 to_point2(pyb::handle v, const std::string& what) {
  Point2 p{};
  if (!as_point<2>(v, p)) wrong_type(what, "a (u, v) pair of numbers", v);
  return p;
}

template <class T>
T to_record_value(pyb::handle v, const std::string& what, const char* expected) {
  if (!pyb::isinstance<T>(v)) wrong_type(what, expected, v);
  return v.cast<const T&>();
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
    if constexpr (std::is_same_v<T, double>) out = to_double(value, what);
    else if constexpr (std::is_same_v<T, int>) out = to_int(value, what);
    else if constexpr (std::is_same_v<T, bool>) out = to_bool(value, what);
    else if constexpr (std::is_same_v<T, std::string>) out = to_string(value, what);
    else if constexpr (std::is_same_v<T, Point2>) out = to_point2(value, what);
    else if constexpr (std::is_same_v<T, Translation>) out = to_record_value<T>(value, what, "a Translation");
    else if constexpr (std::is_same_v<T, Rotation>) out = to_record_value<T>(value, what, "a Rotation");
    else out = list_from_py<T>(value, what);
  }
};

struct CopyField {
  Quenby& dst;
  const Quenby& src;
  template <class T>
  void operator()(T Quenby::*m) const {
    dst.*m = src.*m;
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
  std::string name;
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

std::vector<PyField> py_fields(const RecordType& t) {
  std::vector<PyField> out;
  for (const Field& f : t.fields) {
    const FieldMember member = f.member;
    std::string what = field_what(t.name, f.name);
    PyField& pf = out.emplace_back(PyField{
        std::string(f.name),
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
std::vector<PyField> vec3_fields(std::string_view cls) {
  std::vector<PyField> out;
  const std::pair<const char*, double V::*> members[] = {{"x", &V::x}, {"y", &V::y}, {"z", &V::z}};
  for (auto [name, m] : members) {
    std::string what = field_what(cls, name);
    out.push_back(PyField{
        name, [m = m](pyb::handle self) -> pyb::object { return pyb::float_(self.cast<V&>().*m); },
        [m = m, what](pyb::handle self, pyb::handle v) { self.cast<V&>().*m = to_double(v, what); },
        &field_getter<double, class_name<V>>, &field_setter<double, class_name<V>>});
  }
  return out;
}

// cls(*args, **kwargs): every field by position (in field order) or keyword.
void init_fields(pyb::handle self, const std::vector<PyField>& fields, std::string_view cls,
                 pyb::args args, pyb::kwargs kwargs) {
  if (args.size() > fields.size())
    throw nimbal::WrongType(std::string(cls) + ".__init__() takes from 1 to " +
                            std::to_string(fields.size() + 1) + " positional arguments but " +
                            std::to_string(args.size() + 1) + " were given");
  for (std::size_t i = 0; i < args.size(); ++i) fields[i].set(self, args[i]);
  for (auto [key, value] : kwargs) {
    const std::string k = pyb::str(key);
    auto it = std::find_if(fields.begin(), fields.end(), [&](const PyField& f) { return f.name == k; });
    if (it == fields.end())
      throw nimbal::WrongType(std::string(cls) + ".__init__() got an unexpected keyword argument '" + k + "'");
    if (static_cast<std::size_t>(it - fields.begin()) < args.size())
      throw nimbal::WrongType(std::string(cls) + ".__init__() got multiple values for argument '" + k + "'");
    it->set(self, value);
  }
}

std::string repr_fields(pyb::handle self, const std::vector<PyField>& fields) {
  std::string s = pyb::str(pyb::handle(reinterpret_cast<PyObject*>(Py_TYPE(self.ptr()))).attr("__qualname__"));
  s += "(";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) s += ", ";
    s += fields[i].name + "=" + std::string(pyb::repr(fields[i].get(self)));
  }
  return s + ")";
}

bool same_class(pyb::handle a, pyb::handle b) { return Py_TYPE(a.ptr()) == Py_TYPE(b.ptr()); }

pyb::object not_implemented() { return pyb::reinterpret_borrow<pyb::object>(Py_NotImplemented); }

void set_classmethod(pyb::handle cls, const char* name, pyb::cpp_function f) {
  cls.attr(name) = pyb::reinterpret_steal<pyb::object>(PyClassMethod_New(f.ptr()));
}

// A lookup with a default, as the dictionary form is read: anything with
// `get`. Absent keys are simply not in the result; unknown keys are never
// looked at.
Json read_keys(pyb::handle data, const std::vector<std::string>& keys) {
  if (!PyObject_HasAttrString(data.ptr(), "get"))
    throw nimbal::MissingMember("'" + type_name(data) + "' object has no attribute 'get'");
  pyb::object missing = pyb::module_::import("builtins").attr("object")();
  pyb::object get = data.attr("get");
  Json out = Json::object();
  for (const std::string& k : keys) {
    pyb::object v = get(k, missing);
    if (!v.is(missing)) out[k] = py_to_json(v);
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
  const RecordType& t = rec.type();
  pyb::object obj = pyb::cast(rec.clone());
  if (Py_TYPE(obj.ptr()) == reinterpret_cast<PyTypeObject*>(cls.ptr())) return obj;
  pyb::object sub = cls();
  Quenby& dst = sub.cast<Quenby&>();
  for (const Field& f : t.fields) std::visit(CopyField{dst, rec}, f.member);
  return sub;
}

pyb::frozenset frozenset_of(const std::vector<std::string_view>& names) {
  pyb::set s;
  for (auto n : names) s.add(pyb::str(n.data(), n.size()));
  return pyb::frozenset(s);
}

// What each field means, as its attribute's docstring. Lengths are in model
// units, angles in degrees, sketch coordinates plane-local (u, v).
const char* field_doc(std::string_view name) {
  static const std::pair<std::string_view, const char*> docs[] = {
      {"translation", "Where the shape is placed: a Translation, applied after the rotation."},
      {"rotation", "How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."},
      {"x", "Component along X (a translation in model units, a rotation in degrees)."},
      {"y", "Component along Y (a translation in model units, a rotation in degrees)."},
      {"z", "Component along Z (a translation in model units, a rotation in degrees)."},
      {"width", "Size along X (for a sketch rectangle: along the plane's u axis)."},
      {"height", "Size along Y, or along the axis for a cylinder or cone (for a sketch rectangle: along v)."},
      {"depth", "Size along Z for a box; distance along the face normal for an extrusion."},
      {"radius", "Radius of the sphere, cylinder or circle."},
      {"base_radius", "Radius of the cone at its base."},
      {"top_radius", "Radius of the cone at its top (0 for a pointed cone)."},
      {"major_radius", "Distance from the torus's axis to the centre of its tube."},
      {"minor_radius", "Radius of the torus's tube."},
      {"plane_id", "Shape id of the reference plane the element or sketch lies on."},
      {"local_u", "Plane-local u of the element's anchor (a rectangle's lower-left corner, a circle's centre)."},
      {"local_v", "Plane-local v of the element's anchor (a rectangle's lower-left corner, a circle's centre)."},
      {"filled", "True for a face, False for an outline wire only."},
      {"points", "The polyline's points in world coordinates, (x, y, z) each."},
      {"closed", "True when the last point joins the first."},
      {"normal_x", "X of the plane's normal."},
      {"normal_y", "Y of the plane's normal."},
      {"normal_z", "Z of the plane's normal."},
      {"origin_x", "X of the plane's origin."},
      {"origin_y", "Y of the plane's origin."},
      {"origin_z", "Z of the plane's origin."},
      {"source", "How the plane was made: 'standard', 'custom' or 'from_face'."},
      {"standard_plane", "The standard plane's name ('xy', 'xz' or 'yz') when the source is 'standard'."},
      {"source_face_id", "Shape id of the face the plane was taken from when the source is 'from_face'."},
      {"count_x", "Number of copies along X (at least 1)."},
      {"count_y", "Number of copies along Y (at least 1)."},
      {"count_z", "Number of copies along Z (at least 1)."},
      {"spacing_x", "Distance between neighbouring copies along X."},
      {"spacing_y", "Distance between neighbouring copies along Y."},
      {"spacing_z", "Distance between neighbouring copies along Z."},
      {"fillet_radius", "Radius of the fillet."},
      {"edge_indices", "Indices of the edges to fillet, in the shape's sub-shape order; empty for every edge."},
      {"corner_radius", "Radius of each rounded corner."},
      {"vertex_indices", "Indices of the vertices to round, in the shape's sub-shape order."},
      {"remove_internal_edges", "Whether the result's faces and edges of one surface or curve are merged."},
      {"p1", "Start of the line, (u, v)."},
      {"p2", "End of the line, (u, v)."},
      {"start", "First point of the arc, (u, v)."},
      {"mid", "A point the arc passes through between start and end, (u, v)."},
      {"end", "Last point of the arc, (u, v)."},
      {"points_uv", "The polyline's points, (u, v) each."},
  };
  for (const auto& [n, d] : docs)
    if (n == name) return d;
  return nullptr;
}

// The constructor's docstring: how a record is built from its fields.
std::string init_doc(const RecordType& t) {
  std::string names;
  for (const Field& f : t.fields) names += (names.empty() ? "" : ", ") + std::string(f.name);
  return "A record from its fields by position (in this order) or keyword; a field not given keeps its "
         "default: " +
         names +
         ".\n\nRaises TypeError for an unknown keyword, too many arguments or a value of the wrong type, "
         "ValueError for an integer out of range.";
}

template <class C>
void add_common(C& cls, const std::vector<PyField>& fields) {
  auto fs = std::make_shared<std::vector<PyField>>(fields);
  for (const PyField& f : *fs) {
    cls.def_property(f.name.c_str(), f.make_getter(f.get, cls), f.make_setter(f.set, cls), field_doc(f.name));
  }
  cls.def("__repr__", [fs](pyb::handle self) { return repr_fields(self, *fs); });
  cls.attr("__hash__") = pyb::none();
  pyb::list names;
  for (const PyField& f : *fs) names.append(f.name);
  cls.attr("__match_args__") = pyb::tuple(names);
}

template <class V>
void bind_vec3(pyb::module_& m, const char* name, const char* doc) {
  pyb::class_<V> cls(m, name, doc);
  auto fields = vec3_fields<V>(name);
  std::string cls_name = name;
  cls.def(pyb::init([fields, cls_name](pyb::args args, pyb::kwargs kwargs) {
    // Values are checked on a scratch object so a bad argument leaves nothing behind.
    pyb::object scratch = pyb::cast(V());
    init_fields(scratch, fields, cls_name, args, kwargs);
    return scratch.cast<V>();
  }));
  add_common(cls, fields);
  cls.def("__eq__", [](pyb::handle a, pyb::handle b) -> pyb::object {
    if (!same_class(a, b)) return not_implemented();
    return pyb::bool_(a.cast<const V&>() == b.cast<const V&>());
  });
  cls.def("__copy__", [](const V& v) { return V(v); });
  cls.def("__deepcopy__", [](const V& v, pyb::handle) { return V(v); }, pyb::arg("memo"));
  cls.def("to_dict", [](const V& v) { return typed<dict_name>(json_to_py(v.to_dict())); },
          "The dictionary form: {'x': ..., 'y': ..., 'z': ...}, plain floats.");
  set_classmethod(cls, "from_dict", pyb::cpp_function([](typed<type_name_tag> cls, typed<mapping_name> data) -> typed<self_name> {
    V v = V::from_dict(read_keys(data, {"x", "y", "z"}));
    pyb::object obj = cls();
    obj.cast<V&>() = v;
    return obj;
  }, pyb::arg("cls"), pyb::arg("data"),
     "An instance of cls from a mapping with x, y and z; a missing key keeps its default.\n\n"
     "Raises AttributeError when data has no get, TypeError or ValueError for a value that is no number."));
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
    init_fields(tmp, fields, t.name, args, kwargs);
    return rec;
  }), init_doc(t).c_str());
  add_common(cls, fields);
  cls.def("__eq__", [](pyb::handle a, pyb::handle b) -> pyb::object {
    if (!same_class(a, b)) return not_implemented();
    return pyb::bool_(equal(a.cast<const Quenby&>(), b.cast<const Quenby&>()));
  });
  auto copy = [](pyb::handle self) {
    return instance_of(pyb::handle(reinterpret_cast<PyObject*>(Py_TYPE(self.ptr()))),
                       self.cast<const Quenby&>());
  };
  cls.def("__copy__", copy);
  cls.def("__deepcopy__", [copy](pyb::handle self, pyb::handle) { return copy(self); }, pyb::arg("memo"));
  cls.def("to_dict", [](const T& rec) { return typed<dict_name>(json_to_py(to_dict(rec))); },
          "The dictionary form: every field by name (translation and rotation as dictionaries, lists as "
          "new plain lists), ready for JSON.");
  cls.attr("_SKIP_FIELDS") = frozenset_of(t.skip_fields);
  set_classmethod(cls, "from_dict", pyb::cpp_function([](typed<type_name_tag> cls, typed<mapping_name> data) -> typed<self_name> {
    const RecordType& rt = record_type_of_class(cls);
    std::vector<std::string> keys;
    for (const Field& f : rt.fields) keys.emplace_back(f.name);
    auto rec = from_dict(rt, read_keys(data, keys));
    return instance_of(cls, *rec);
  }, pyb::arg("cls"), pyb::arg("data"),
     "An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown "
     "keys are ignored.\n\n"
     "Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind."));
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
