// Property records of every shape kind. Each record class lists its fields
// once (its RecordType); construction defaults come from the member
// initialisers, and equality, copying and the dictionary form are driven by
// the field list.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "nimbal/models/dict_form.hpp"

namespace nimbal::models {

using Json = nlohmann::ordered_json;
using dict_form::KeyLookup;

using Point2 = std::array<double, 2>;  // (u, v) on a sketch plane
using Point3 = std::array<double, 3>;  // (x, y, z) in model units

// Distinct list types (not plain std::vector) so that the Python face can
// expose them as live lists without changing how other vectors convert.
struct IndexList : std::vector<int> {
  using std::vector<int>::vector;
};
struct Point2List : std::vector<Point2> {
  using std::vector<Point2>::vector;
};
struct Point3List : std::vector<Point3> {
  using std::vector<Point3>::vector;
};

struct Translation {
  double x = 0.0, y = 0.0, z = 0.0;
  bool operator==(const Translation& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const Translation& o) const { return !(*this == o); }
  Json to_dict() const;
  static Translation from_dict(const Json& data);  // MissingMember unless an object
  static Translation from_dict(const KeyLookup& data);  // reads x, y and z
};

struct Rotation {
  double x = 0.0, y = 0.0, z = 0.0;  // degrees
  bool operator==(const Rotation& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const Rotation& o) const { return !(*this == o); }
  Json to_dict() const;
  static Rotation from_dict(const Json& data);
  static Rotation from_dict(const KeyLookup& data);
};

// The x, y and z fields of a Translation or a Rotation, in order: the
// dictionary form and the Python face are both driven by it.
template <class V>
struct Vec3Field {
  std::string_view name;
  double V::*member;
};
template <class V>
inline constexpr Vec3Field<V> vec3_fields[3] = {{"x", &V::x}, {"y", &V::y}, {"z", &V::z}};

// The names of a field list, in order.
template <class Fields>
std::vector<std::string_view> names_of(const Fields& fields) {
  std::vector<std::string_view> out;
  for (const auto& f : fields) out.push_back(f.name);
  return out;
}

class Quenby;

// A field of a record, addressed from the root class (a member pointer of a
// derived record cast to the base: only ever applied to records of the
// declaring class or below).
using FieldMember =
    std::variant<double Quenby::*, int Quenby::*, bool Quenby::*, std::string Quenby::*,
                 Point2 Quenby::*, IndexList Quenby::*, Point2List Quenby::*,
                 Point3List Quenby::*, Translation Quenby::*, Rotation Quenby::*>;

struct Field {
  std::string_view name;
  FieldMember member;
};

// The class descriptor of a record: name, documentation line, base, fields
// in order (base's first), and the class constant _SKIP_FIELDS.
struct RecordType {
  std::string_view name;
  std::string_view doc;
  const RecordType* base = nullptr;
  std::vector<Field> fields;
  std::vector<std::string_view> skip_fields;
  // Fields in skip_fields are converted by the class itself; for the two
  // polyline records that also means translation and rotation are not read
  // back.
  bool reads_position = true;
  std::shared_ptr<Quenby> (*make)() = nullptr;
  const std::type_info* cpp_type = nullptr;  // the record's C++ class

  bool derives_from(const RecordType& other) const;
  bool skips(std::string_view field) const;
  const Field* find(std::string_view field) const;
  std::vector<std::string_view> field_names() const;
};

class Quenby {
 public:
  Translation translation;
  Rotation rotation;

  Quenby() = default;
  Quenby(const Quenby&) = default;
  Quenby& operator=(const Quenby&) = default;
  virtual ~Quenby() = default;

  static const RecordType& record_type();
  virtual const RecordType& type() const { return record_type(); }
  virtual std::shared_ptr<Quenby> clone() const { return std::make_shared<Quenby>(*this); }

  template <class T> bool is() const { return type().derives_from(T::record_type()); }
};

#define NIMBAL_RECORD(Self)                                                 \
  static const ::nimbal::models::RecordType& record_type();                 \
  const ::nimbal::models::RecordType& type() const override {               \
    return record_type();                                                   \
  }                                                                         \
  std::shared_ptr<::nimbal::models::Quenby> clone() const override {        \
    return std::make_shared<Self>(*this);                                   \
  }

// ---- primitives, imported shapes, faces, reference planes ----

struct BoxProperties : Quenby {
  double width = 50.0, height = 50.0, depth = 50.0;
  NIMBAL_RECORD(BoxProperties)
};
struct SphereProperties : Quenby {
  double radius = 30.0;
  NIMBAL_RECORD(SphereProperties)
};
struct CylinderProperties : Quenby {
  double radius = 20.0, height = 60.0;
  NIMBAL_RECORD(CylinderProperties)
};
struct ConeProperties : Quenby {
  double base_radius = 30.0, top_radius = 10.0, height = 70.0;
  NIMBAL_RECORD(ConeProperties)
};
struct TorusProperties : Quenby {
  double major_radius = 25.0, minor_radius = 10.0;
  NIMBAL_RECORD(TorusProperties)
};
struct RectangleProperties : Quenby {
  double width = 60.0, height = 40.0;
  std::string plane_id;
  double local_u = 0.0, local_v = 0.0;
  bool filled = true;
  NIMBAL_RECORD(RectangleProperties)
};
struct CircleProperties : Quenby {
  double radius = 30.0;
  std::string plane_id;
  double local_u = 0.0, local_v = 0.0;
  bool filled = true;
  NIMBAL_RECORD(CircleProperties)
};
struct PolylineProperties : Quenby {
  Point3List points;
  bool closed = false;
  NIMBAL_RECORD(PolylineProperties)
};
struct ImportedProperties : Quenby {
  NIMBAL_RECORD(ImportedProperties)
};
struct FaceProperties : Quenby {
  NIMBAL_RECORD(FaceProperties)
};
struct PlaneProperties : Quenby {
  double normal_x = 0.0, normal_y = 0.0, normal_z = 1.0;
  double origin_x = 0.0, origin_y = 0.0, origin_z = 0.0;
  std::string source = "standard";
  std::string standard_plane = "xy";
  std::string source_face_id;
  NIMBAL_RECORD(PlaneProperties)
};

// ---- modifiers, booleans, sketches and sketch elements ----

struct ModifierProperties : Quenby {
  NIMBAL_RECORD(ModifierProperties)
};
struct ArrayProperties : ModifierProperties {
  int count_x = 2, count_y = 1, count_z = 1;
  double spacing_x = 100.0, spacing_y = 100.0, spacing_z = 100.0;
  NIMBAL_RECORD(ArrayProperties)
};
struct FilletProperties : ModifierProperties {
  double fillet_radius = 1.0;
  IndexList edge_indices;
  NIMBAL_RECORD(FilletProperties)
};
struct CornerRoundProperties : ModifierProperties {
  double corner_radius = 1.0;
  IndexList vertex_indices;
  NIMBAL_RECORD(CornerRoundProperties)
};
struct PolylineRoundProperties : ModifierProperties {
  double corner_radius = 1.0;
  IndexList vertex_indices;
  NIMBAL_RECORD(PolylineRoundProperties)
};
struct ExtrudeProperties : ModifierProperties {
  double depth = 20.0;
  NIMBAL_RECORD(ExtrudeProperties)
};
struct BooleanProperties : Quenby {
  bool remove_internal_edges = true;
  NIMBAL_RECORD(BooleanProperties)
};
struct SketchProperties : Quenby {
  std::string plane_id;
  NIMBAL_RECORD(SketchProperties)
};
struct LineProperties : Quenby {
  std::string plane_id;
  Point2 p1{0.0, 0.0};
  Point2 p2{0.0, 100.0};
  NIMBAL_RECORD(LineProperties)
};
struct ArcProperties : Quenby {
  std::string plane_id;
  Point2 start{-50.0, 0.0};
  Point2 mid{0.0, 50.0};
  Point2 end{50.0, 0.0};
  NIMBAL_RECORD(ArcProperties)
};
struct SketchPolylineProperties : Quenby {
  std::string plane_id;
  Point2List points_uv;
  bool closed = false;
  bool filled = false;
  NIMBAL_RECORD(SketchPolylineProperties)
};

#undef NIMBAL_RECORD

// Every record class derived from Quenby, Quenby first, in declaration order.
const std::vector<const RecordType*>& record_types();
const RecordType* find_record_type(std::string_view name);
// The record type of the first of `classes` that is a record's C++ class
// (a host class's bound classes, nearest first); WrongType "not a record
// class" when none is.
const RecordType& record_type_of(const std::vector<const std::type_info*>& classes);

// Same class and equal fields.
bool equal(const Quenby& a, const Quenby& b);
inline bool operator==(const Quenby& a, const Quenby& b) { return equal(a, b); }
// Copies every field of src's class into dst, a record of that class or
// below (WrongType for any other).
void copy_fields(Quenby& dst, const Quenby& src);
inline void copy_fields(Translation& dst, const Translation& src) { dst = src; }
inline void copy_fields(Rotation& dst, const Rotation& src) { dst = src; }

// A constructor taking a class's fields by position (in order) or keyword,
// with Python's refusals (WrongType, in Python's words): more positional
// arguments than fields, ...
void check_positional(std::string_view cls, std::size_t fields, std::size_t given);
// ... and a keyword no field has or one already given by position. Answers
// the keyword's field position in `names`.
std::size_t keyword_field(std::string_view cls, const std::vector<std::string_view>& names,
                          std::size_t positional, std::string_view key);
// An int field's value; InvalidValue "<what>: integer out of range" beyond int.
int int_in_range(long long value, std::string_view what);
// An IndexList item (none: an integer beyond long long); InvalidValue
// "IndexList item out of range: <shown()>" beyond int.
int index_item(std::optional<long long> value, const std::function<std::string()>& shown);
// Refuses an item of a point list (`list` its class name) that is no
// sequence of N numbers: WrongType naming the item as `shown`.
[[noreturn]] void refuse_point_item(std::string_view list, std::size_t n, const std::string& shown);

// How the host writes a real number and a text in a text form (its own
// repr of them).
struct TextStyle {
  std::function<std::string(double)> real;
  std::function<std::string(const std::string&)> text;
};
// The text form "<cls>(field=value, ...)" of a record (in field order) or
// of a Translation or Rotation; `cls` is the name of the object's class.
std::string text_form(const Quenby& record, const TextStyle& style, std::string_view cls);
std::string text_form(const Translation& v, const TextStyle& style, std::string_view cls = "Translation");
std::string text_form(const Rotation& v, const TextStyle& style, std::string_view cls = "Rotation");

// The dictionary form: keys in field order, translation and rotation first.
Json to_dict(const Quenby& record);
inline Json to_dict(const Translation& v) { return v.to_dict(); }
inline Json to_dict(const Rotation& v) { return v.to_dict(); }
// A new record of `type` read from `data`. Absent keys keep their defaults,
// unknown keys are ignored. Throws MissingMember when `data` (or its
// "translation"/"rotation") is not an object, WrongType or InvalidValue for a
// value the field cannot hold.
std::shared_ptr<Quenby> from_dict(const RecordType& type, const Json& data);
// The same from a host mapping: each field's key is looked up once, in
// field order, before any value is read into the record.
std::shared_ptr<Quenby> from_dict(const RecordType& type, const KeyLookup& data);
template <class T> std::shared_ptr<T> from_dict(const Json& data) {
  return std::static_pointer_cast<T>(from_dict(T::record_type(), data));
}

// The host language's int() of a dictionary value: integers unchanged,
// floats truncated toward zero, booleans 0/1, text that spells an integer.
int int_from_json(const Json& value, std::string_view what);
// The host language's int() of text: surrounding white space, one sign,
// decimal digits with single underscores between them. False when the text
// is no such integer or does not fit in a long long. Allocates nothing.
bool parse_int_literal(std::string_view text, long long& out);
// The host language's truth value of a dictionary value.
bool truth_of(const Json& value);
// Python's name of a dictionary value's type, for messages.
std::string_view json_type_name(const Json& value);

}  // namespace nimbal::models
