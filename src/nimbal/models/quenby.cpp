#include "nimbal/models/quenby.hpp"

#include <algorithm>
#include <climits>
#include <cmath>

#include "nimbal/errors.hpp"

namespace nimbal::models {
namespace {

template <class R, class T>
Field field(std::string_view name, T R::*member) {
  return Field{name, static_cast<T Quenby::*>(member)};
}

const std::vector<std::string_view> kBaseSkip = {"translation", "rotation"};

template <class Self>
RecordType define(std::string_view name, std::string_view doc, const RecordType& base,
                  std::vector<Field> own, std::vector<std::string_view> own_skip = {},
                  bool reads_position = true) {
  RecordType t;
  t.name = name;
  t.doc = doc;
  t.base = &base;
  t.fields = base.fields;
  t.fields.insert(t.fields.end(), own.begin(), own.end());
  t.skip_fields = base.skip_fields;
  t.skip_fields.insert(t.skip_fields.end(), own_skip.begin(), own_skip.end());
  t.reads_position = reads_position;
  t.make = [] { return std::shared_ptr<Quenby>(std::make_shared<Self>()); };
  t.cpp_type = &typeid(Self);
  return t;
}

std::string prefix(const RecordType& type, std::string_view key) {
  std::string s(type.name);
  s += ".from_dict: '";
  s += key;
  s += "'";
  return s;
}

double number_from_json(const Json& v, const std::string& what) {
  if (v.is_number()) return v.get<double>();
  throw WrongType(what + " must be a number, not " + std::string(json_type_name(v)));
}

// A sequence of values, as Python would iterate it; text and mappings are
// refused rather than iterated character by character or key by key.
const Json& sequence_from_json(const Json& v, const std::string& what) {
  if (v.is_array()) return v;
  throw WrongType(what + " must be a list, not " + std::string(json_type_name(v)));
}

template <std::size_t N>
std::array<double, N> point_from_json(const Json& v, const std::string& what) {
  const Json& seq = sequence_from_json(v, what);
  if (seq.size() != N)
    throw InvalidValue(what + " must have " + std::to_string(N) + " coordinates, not " +
                     std::to_string(seq.size()));
  std::array<double, N> p{};
  for (std::size_t i = 0; i < N; ++i) p[i] = number_from_json(seq[i], what);
  return p;
}

template <std::size_t N>
Json point_to_json(const std::array<double, N>& p) {
  Json a = Json::array();
  for (double c : p) a.push_back(c);
  return a;
}

template <class Vec3>
Json vec3_to_dict(const Vec3& v) {
  Json d = Json::object();
  for (const auto& f : vec3_fields<Vec3>) d[std::string(f.name)] = v.*f.member;
  return d;
}

// The keys among `keys` that `get` has, in order.
Json read_keys(const KeyLookup& get, const std::vector<std::string_view>& keys) {
  Json out = Json::object();
  for (std::string_view k : keys)
    if (auto v = get(k)) out[std::string(k)] = std::move(*v);
  return out;
}

template <class Vec3>
Vec3 vec3_from_dict(const Json& data, std::string_view cls) {
  if (!data.is_object()) throw dict_form::no_get(json_type_name(data));
  Vec3 v;
  for (const auto& f : vec3_fields<Vec3>) {
    auto it = data.find(std::string(f.name));
    if (it != data.end())
      v.*f.member = number_from_json(*it, std::string(cls) + ".from_dict: '" + std::string(f.name) + "'");
  }
  return v;
}

// Writes one field value into the dictionary form.
struct ToJson {
  const Quenby& rec;
  template <class T>
  Json operator()(T Quenby::*m) const {
    const T& v = rec.*m;
    if constexpr (std::is_same_v<T, Translation> || std::is_same_v<T, Rotation>) {
      return v.to_dict();
    } else if constexpr (std::is_same_v<T, Point2>) {
      return point_to_json(v);
    } else if constexpr (std::is_same_v<T, Point2List> || std::is_same_v<T, Point3List>) {
      Json a = Json::array();
      for (const auto& p : v) a.push_back(point_to_json(p));
      return a;
    } else if constexpr (std::is_same_v<T, IndexList>) {
      return Json(static_cast<const std::vector<int>&>(v));
    } else {
      return Json(v);
    }
  }
};

// Reads one field value from the dictionary form.
struct FromJson {
  Quenby& rec;
  const Json& value;
  const std::string& what;
  bool own;  // converted by the class itself (field in _SKIP_FIELDS)

  template <class T>
  void operator()(T Quenby::*m) const {
    T& out = rec.*m;
    if constexpr (std::is_same_v<T, double>) {
      out = number_from_json(value, what);
    } else if constexpr (std::is_same_v<T, int>) {
      out = int_from_json(value, what);
    } else if constexpr (std::is_same_v<T, bool>) {
      if (own || value.is_null()) {
        out = truth_of(value);
      } else if (value.is_boolean()) {
        out = value.get<bool>();
      } else if (value.is_number_integer() || value.is_number_unsigned()) {
        out = value.get<long long>() != 0;
      } else {
        throw WrongType(what + " must be a boolean, not " + std::string(json_type_name(value)));
      }
    } else if constexpr (std::is_same_v<T, std::string>) {
      if (!value.is_string())
        throw WrongType(what + " must be a str, not " + std::string(json_type_name(value)));
      out = value.get<std::string>();
    } else if constexpr (std::is_same_v<T, Point2>) {
      out = point_from_json<2>(value, what);
    } else if constexpr (std::is_same_v<T, IndexList>) {
      IndexList list;
      for (const Json& e : sequence_from_json(value, what)) list.push_back(int_from_json(e, what));
      out = std::move(list);
    } else if constexpr (std::is_same_v<T, Point2List> || std::is_same_v<T, Point3List>) {
      T list;
      constexpr std::size_t n = std::tuple_size_v<typename T::value_type>;
      for (const Json& e : sequence_from_json(value, what)) list.push_back(point_from_json<n>(e, what));
      out = std::move(list);
    } else if constexpr (std::is_same_v<T, Translation> || std::is_same_v<T, Rotation>) {
      out = T::from_dict(value);
    }
  }
};

template <class Vec3>
std::string vec3_text(const Vec3& v, std::string_view cls, const TextStyle& style) {
  std::string s(cls);
  s += "(";
  for (const auto& f : vec3_fields<Vec3>)
    s += (&f == vec3_fields<Vec3> ? "" : ", ") + std::string(f.name) + "=" + style.real(v.*f.member);
  return s + ")";
}

template <std::size_t N>
std::string point_text(const std::array<double, N>& p, const TextStyle& style) {
  std::string s = "(";
  for (std::size_t i = 0; i < N; ++i) s += (i ? ", " : "") + style.real(p[i]);
  return s + ")";
}

// One field value as the host writes it: lists in brackets, points as tuples.
struct ToText {
  const Quenby& rec;
  const TextStyle& style;
  std::string operator()(double Quenby::*m) const { return style.real(rec.*m); }
  std::string operator()(int Quenby::*m) const { return std::to_string(rec.*m); }
  std::string operator()(bool Quenby::*m) const { return rec.*m ? "True" : "False"; }
  std::string operator()(std::string Quenby::*m) const { return style.text(rec.*m); }
  std::string operator()(Point2 Quenby::*m) const { return point_text(rec.*m, style); }
  std::string operator()(Translation Quenby::*m) const { return text_form(rec.*m, style); }
  std::string operator()(Rotation Quenby::*m) const { return text_form(rec.*m, style); }
  template <class L>
  std::string operator()(L Quenby::*m) const {
    std::string s = "[";
    for (const auto& e : rec.*m) {
      if (s.size() > 1) s += ", ";
      if constexpr (std::is_same_v<L, IndexList>) s += std::to_string(e);
      else s += point_text(e, style);
    }
    return s + "]";
  }
};

struct Equal {
  const Quenby& a;
  const Quenby& b;
  template <class T>
  bool operator()(T Quenby::*m) const {
    return a.*m == b.*m;
  }
};

struct Copy {
  Quenby& dst;
  const Quenby& src;
  template <class T>
  void operator()(T Quenby::*m) const {
    dst.*m = src.*m;
  }
};

}  // namespace

Json Translation::to_dict() const { return vec3_to_dict(*this); }
Translation Translation::from_dict(const Json& data) {
  return vec3_from_dict<Translation>(data, "Translation");
}
Json Rotation::to_dict() const { return vec3_to_dict(*this); }
Rotation Rotation::from_dict(const Json& data) {
  return vec3_from_dict<Rotation>(data, "Rotation");
}
Translation Translation::from_dict(const KeyLookup& get) {
  return from_dict(read_keys(get, names_of(vec3_fields<Translation>)));
}
Rotation Rotation::from_dict(const KeyLookup& get) {
  return from_dict(read_keys(get, names_of(vec3_fields<Rotation>)));
}

std::string text_form(const Translation& v, const TextStyle& style, std::string_view cls) {
  return vec3_text(v, cls, style);
}
std::string text_form(const Rotation& v, const TextStyle& style, std::string_view cls) {
  return vec3_text(v, cls, style);
}

std::string text_form(const Quenby& record, const TextStyle& style, std::string_view cls) {
  std::string s(cls);
  s += "(";
  for (const Field& f : record.type().fields)
    s += (&f == &record.type().fields.front() ? "" : ", ") + std::string(f.name) + "=" +
         std::visit(ToText{record, style}, f.member);
  return s + ")";
}

bool RecordType::derives_from(const RecordType& other) const {
  for (const RecordType* t = this; t; t = t->base)
    if (t == &other) return true;
  return false;
}

bool RecordType::skips(std::string_view f) const {
  return std::find(skip_fields.begin(), skip_fields.end(), f) != skip_fields.end();
}

const Field* RecordType::find(std::string_view f) const {
  for (const Field& fl : fields)
    if (fl.name == f) return &fl;
  return nullptr;
}

std::vector<std::string_view> RecordType::field_names() const { return names_of(fields); }

const RecordType& Quenby::record_type() {
  static const RecordType t = [] {
    RecordType r;
    r.name = "Quenby";
    r.doc = "Base class for shape properties.";
    r.fields = {{"translation", &Quenby::translation}, {"rotation", &Quenby::rotation}};
    r.skip_fields = kBaseSkip;
    r.make = [] { return std::make_shared<Quenby>(); };
    r.cpp_type = &typeid(Quenby);
    return r;
  }();
  return t;
}

#define NIMBAL_DEFINE(Self, Base, Doc, ...)                                  \
  const RecordType& Self::record_type() {                                    \
    static const RecordType t = define<Self>(#Self, Doc, Base::record_type(), \
                                             __VA_ARGS__);                    \
    return t;                                                                 \
  }

using B = BoxProperties;
NIMBAL_DEFINE(BoxProperties, Quenby, "Properties for box shapes.",
              {field("width", &B::width), field("height", &B::height),
               field("depth", &B::depth)})
NIMBAL_DEFINE(SphereProperties, Quenby, "Properties for sphere shapes.",
              {field("radius", &SphereProperties::radius)})
NIMBAL_DEFINE(CylinderProperties, Quenby, "Properties for cylinder shapes.",
              {field("radius", &CylinderProperties::radius),
               field("height", &CylinderProperties::height)})
NIMBAL_DEFINE(ConeProperties, Quenby, "Properties for cone shapes.",
              {field("base_radius", &ConeProperties::base_radius),
               field("top_radius", &ConeProperties::top_radius),
               field("height", &ConeProperties::height)})
NIMBAL_DEFINE(TorusProperties, Quenby, "Properties for torus shapes.",
              {field("major_radius", &TorusProperties::major_radius),
               field("minor_radius", &TorusProperties::minor_radius)})
using Rect = RectangleProperties;
NIMBAL_DEFINE(RectangleProperties, Quenby, "Properties for rectangle shapes.",
              {field("width", &Rect::width), field("height", &Rect::height),
               field("plane_id", &Rect::plane_id), field("local_u", &Rect::local_u),
               field("local_v", &Rect::local_v), field("filled", &Rect::filled)})
using Circ = CircleProperties;
NIMBAL_DEFINE(CircleProperties, Quenby, "Properties for circle shapes.",
              {field("radius", &Circ::radius), field("plane_id", &Circ::plane_id),
               field("local_u", &Circ::local_u), field("local_v", &Circ::local_v),
               field("filled", &Circ::filled)})
NIMBAL_DEFINE(PolylineProperties, Quenby,
              "Properties for a 3D polyline drawn as a wire in the OCP viewport.",
              {field("points", &PolylineProperties::points),
               field("closed", &PolylineProperties::closed)},
              {"points", "closed"}, /*reads_position=*/false)
NIMBAL_DEFINE(ImportedProperties, Quenby, "Properties for imported shapes (STEP, IGES, etc.).",
              {})
NIMBAL_DEFINE(FaceProperties, Quenby, "Properties for face shapes extracted from a solid.", {})
using Pl = PlaneProperties;
NIMBAL_DEFINE(PlaneProperties, Quenby, "Properties for an auxiliary reference plane.",
              {field("normal_x", &Pl::normal_x), field("normal_y", &Pl::normal_y),
               field("normal_z", &Pl::normal_z), field("origin_x", &Pl::origin_x),
               field("origin_y", &Pl::origin_y), field("origin_z", &Pl::origin_z),
               field("source", &Pl::source), field("standard_plane", &Pl::standard_plane),
               field("source_face_id", &Pl::source_face_id)})
NIMBAL_DEFINE(ModifierProperties, Quenby, "Base for all MODIFIER_OP shape properties.", {})
using Arr = ArrayProperties;
NIMBAL_DEFINE(ArrayProperties, ModifierProperties,
              "Properties for rectangular shape arrays (1D, 2D, or 3D).",
              {field("count_x", &Arr::count_x), field("count_y", &Arr::count_y),
               field("count_z", &Arr::count_z), field("spacing_x", &Arr::spacing_x),
               field("spacing_y", &Arr::spacing_y), field("spacing_z", &Arr::spacing_z)})
NIMBAL_DEFINE(FilletProperties, ModifierProperties,
              "Properties for a fillet applied to selected edges of a volume shape.",
              {field("fillet_radius", &FilletProperties::fillet_radius),
               field("edge_indices", &FilletProperties::edge_indices)})
NIMBAL_DEFINE(CornerRoundProperties, ModifierProperties,
              "Properties for corner rounding applied to selected vertices of a planar face "
              "(RECTANGLE).",
              {field("corner_radius", &CornerRoundProperties::corner_radius),
               field("vertex_indices", &CornerRoundProperties::vertex_indices)})
NIMBAL_DEFINE(PolylineRoundProperties, ModifierProperties,
              "Properties for corner rounding applied to selected vertices of a polyline.",
              {field("corner_radius", &PolylineRoundProperties::corner_radius),
               field("vertex_indices", &PolylineRoundProperties::vertex_indices)})
NIMBAL_DEFINE(ExtrudeProperties, ModifierProperties,
              "Properties for extruding a planar source shape along its face normal.",
              {field("depth", &ExtrudeProperties::depth)})
NIMBAL_DEFINE(BooleanProperties, Quenby, "Properties for UNION and SUBTRACTION boolean shapes.",
              {field("remove_internal_edges", &BooleanProperties::remove_internal_edges)})
NIMBAL_DEFINE(SketchProperties, Quenby, "Properties for a sketch on a reference plane.", {field("plane_id", &SketchProperties::plane_id)})
NIMBAL_DEFINE(LineProperties, Quenby, "Properties for a line segment on a sketch plane.",
              {field("plane_id", &LineProperties::plane_id), field("p1", &LineProperties::p1),
               field("p2", &LineProperties::p2)},
              {"p1", "p2"})
NIMBAL_DEFINE(ArcProperties, Quenby,
              "Properties for a 3-point arc on a sketch plane (start \xe2\x86\x92 mid \xe2\x86\x92 end).",
              {field("plane_id", &ArcProperties::plane_id), field("start", &ArcProperties::start),
               field("mid", &ArcProperties::mid), field("end", &ArcProperties::end)},
              {"start", "mid", "end"})
using SPl = SketchPolylineProperties;
NIMBAL_DEFINE(SketchPolylineProperties, Quenby,
              "Properties for a multi-segment polyline on a sketch plane.",
              {field("plane_id", &SPl::plane_id), field("points_uv", &SPl::points_uv),
               field("closed", &SPl::closed), field("filled", &SPl::filled)},
              {"points_uv", "closed", "filled", "plane_id"}, /*reads_position=*/false)
#undef NIMBAL_DEFINE

const std::vector<const RecordType*>& record_types() {
  static const std::vector<const RecordType*> all = {
      &Quenby::record_type(),
      &BoxProperties::record_type(),
      &SphereProperties::record_type(),
      &CylinderProperties::record_type(),
      &ConeProperties::record_type(),
      &TorusProperties::record_type(),
      &RectangleProperties::record_type(),
      &CircleProperties::record_type(),
      &PolylineProperties::record_type(),
      &ImportedProperties::record_type(),
      &FaceProperties::record_type(),
      &PlaneProperties::record_type(),
      &ModifierProperties::record_type(),
      &ArrayProperties::record_type(),
      &FilletProperties::record_type(),
      &CornerRoundProperties::record_type(),
      &PolylineRoundProperties::record_type(),
      &ExtrudeProperties::record_type(),
      &BooleanProperties::record_type(),
      &SketchProperties::record_type(),
      &LineProperties::record_type(),
      &ArcProperties::record_type(),
      &SketchPolylineProperties::record_type(),
  };
  return all;
}

const RecordType* find_record_type(std::string_view name) {
  for (const RecordType* t : record_types())
    if (t->name == name) return t;
  return nullptr;
}

const RecordType& record_type_of(const std::vector<const std::type_info*>& classes) {
  for (const std::type_info* c : classes)
    for (const RecordType* t : record_types())
      if (*t->cpp_type == *c) return *t;
  throw WrongType("not a record class");
}

bool equal(const Quenby& a, const Quenby& b) {
  if (&a.type() != &b.type()) return false;
  for (const Field& f : a.type().fields)
    if (!std::visit(Equal{a, b}, f.member)) return false;
  return true;
}

void copy_fields(Quenby& dst, const Quenby& src) {
  if (!dst.type().derives_from(src.type()))
    throw WrongType("cannot copy a " + std::string(src.type().name) + " into a " + std::string(dst.type().name));
  for (const Field& f : src.type().fields) std::visit(Copy{dst, src}, f.member);
}

void check_positional(std::string_view cls, std::size_t fields, std::size_t given) {
  if (given > fields)
    throw WrongType(std::string(cls) + ".__init__() takes from 1 to " + std::to_string(fields + 1) +
                    " positional arguments but " + std::to_string(given + 1) + " were given");
}

std::size_t keyword_field(std::string_view cls, const std::vector<std::string_view>& names,
                          std::size_t positional, std::string_view key) {
  auto it = std::find(names.begin(), names.end(), key);
  if (it == names.end())
    throw WrongType(std::string(cls) + ".__init__() got an unexpected keyword argument '" +
                    std::string(key) + "'");
  const auto at = static_cast<std::size_t>(it - names.begin());
  if (at < positional)
    throw WrongType(std::string(cls) + ".__init__() got multiple values for argument '" +
                    std::string(key) + "'");
  return at;
}

Json to_dict(const Quenby& record) {
  Json d = Json::object();
  for (const Field& f : record.type().fields) d[std::string(f.name)] = std::visit(ToJson{record}, f.member);
  return d;
}

std::shared_ptr<Quenby> from_dict(const RecordType& type, const KeyLookup& data) {
  return from_dict(type, read_keys(data, type.field_names()));
}

std::shared_ptr<Quenby> from_dict(const RecordType& type, const Json& data) {
  if (!data.is_object()) throw dict_form::no_get(json_type_name(data));
  std::shared_ptr<Quenby> rec = type.make();
  for (const Field& f : type.fields) {
    const bool position = f.name == "translation" || f.name == "rotation";
    if (position && !type.reads_position) continue;
    auto it = data.find(std::string(f.name));
    if (it == data.end()) continue;
    const std::string what = prefix(type, f.name);
    std::visit(FromJson{*rec, *it, what, !position && type.skips(f.name)}, f.member);
  }
  return rec;
}

std::string_view json_type_name(const Json& v) {
  switch (v.type()) {
    case Json::value_t::null: return "NoneType";
    case Json::value_t::boolean: return "bool";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: return "int";
    case Json::value_t::number_float: return "float";
    case Json::value_t::string: return "str";
    case Json::value_t::array: return "list";
    case Json::value_t::object: return "dict";
    default: return "object";
  }
}

bool truth_of(const Json& v) {
  switch (v.type()) {
    case Json::value_t::null: return false;
    case Json::value_t::boolean: return v.get<bool>();
    case Json::value_t::number_integer: return v.get<long long>() != 0;
    case Json::value_t::number_unsigned: return v.get<unsigned long long>() != 0;
    case Json::value_t::number_float: return v.get<double>() != 0.0;
    case Json::value_t::string: return !v.get_ref<const std::string&>().empty();
    case Json::value_t::array:
    case Json::value_t::object: return !v.empty();
    default: return true;
  }
}

namespace {
int checked_int(long double v, const std::string& what) {
  if (v < INT_MIN || v > INT_MAX) throw InvalidValue(what + ": integer out of range");
  return static_cast<int>(v);
}

}  // namespace

int index_item(std::optional<long long> value, const std::function<std::string()>& shown) {
  if (!value || *value < INT_MIN || *value > INT_MAX) throw InvalidValue("IndexList item out of range: " + shown());
  return static_cast<int>(*value);
}

void refuse_point_item(std::string_view list, std::size_t n, const std::string& shown) {
  throw WrongType(std::string(list) + " items must be sequences of " + std::to_string(n) + " numbers, not " + shown);
}

int int_in_range(long long v, std::string_view what) { return checked_int(v, std::string(what)); }

bool parse_int_literal(std::string_view s, long long& out) {
  std::size_t b = 0, e = s.size();
  auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (b < e && space(s[b])) ++b;
  while (e > b && space(s[e - 1])) --e;
  bool neg = false;
  if (b < e && (s[b] == '+' || s[b] == '-')) neg = s[b++] == '-';
  if (b == e) return false;
  unsigned long long v = 0;
  bool last_digit = false;
  for (std::size_t i = b; i < e; ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      if (v > (static_cast<unsigned long long>(LLONG_MAX) - (c - '0')) / 10) return false;
      v = v * 10 + static_cast<unsigned>(c - '0');
      last_digit = true;
    } else if (c == '_' && last_digit) {
      last_digit = false;
    } else {
      return false;
    }
  }
  if (!last_digit) return false;
  out = neg ? -static_cast<long long>(v) : static_cast<long long>(v);
  return true;
}

int int_from_json(const Json& v, std::string_view what_view) {
  const std::string what(what_view);
  switch (v.type()) {
    case Json::value_t::boolean: return v.get<bool>() ? 1 : 0;
    case Json::value_t::number_integer: return checked_int(v.get<long long>(), what);
    case Json::value_t::number_unsigned:
      return checked_int(static_cast<long double>(v.get<unsigned long long>()), what);
    case Json::value_t::number_float: {
      double d = v.get<double>();
      if (std::isnan(d)) throw InvalidValue(what + ": cannot convert float NaN to integer");
      if (std::isinf(d)) throw InvalidValue(what + ": cannot convert float infinity to integer");
      return checked_int(std::trunc(d), what);
    }
    case Json::value_t::string: {
      long long out = 0;
      const auto& s = v.get_ref<const std::string&>();
      if (!parse_int_literal(s, out))
        throw InvalidValue(what + ": invalid literal for int() with base 10: '" + s + "'");
      return checked_int(out, what);
    }
    default:
      throw WrongType(what + ": int() argument must be a string, a bytes-like object or a real "
                             "number, not '" + std::string(json_type_name(v)) + "'");
  }
}

}  // namespace nimbal::models
