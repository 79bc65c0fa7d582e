#include "nimbal/services/ombrel.hpp"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Standard_Failure.hxx>

#include "nimbal/errors.hpp"
#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"
#include "nimbal/services/ombrel_json.hpp"

namespace nimbal::services {

using managers::ManagedShapePtr;
using managers::RecordPtr;
namespace m = nimbal::models;
namespace oj = ombrel_json;

namespace {

// Project files log through the root logger.
constexpr log::Logger root_log("");

std::atomic<ErrorDescriber> g_describer{nullptr};

// A fresh, exclusively created file in the temporary folder, removed (if it
// still exists) when this goes out of scope, whatever the way out.
class TempFile {
 public:
  explicit TempFile(const char* suffix) {
    std::string dir = temp_dir();
    std::string tmpl = dir + "/tmpXXXXXX" + suffix;
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    fd_ = ::mkstemps(name.data(), static_cast<int>(std::char_traits<char>::length(suffix)));
    if (fd_ < 0) throw OsError(errno, tmpl);
    path_ = name.data();
  }
  ~TempFile() {
    close_fd();
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) ::unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string& path() const { return path_; }
  // One write of `bytes`, then the descriptor is closed.
  void write_and_close(const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
      ssize_t n = ::write(fd_, p, left);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw OsError(errno, path_);
      }
      p += n;
      left -= static_cast<std::size_t>(n);
    }
    int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) throw OsError(errno, path_);
  }
  void close_fd() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  // The host's choice of temporary folder: TMPDIR, TEMP, TMP, then /tmp.
  static std::string temp_dir() {
    for (const char* var : {"TMPDIR", "TEMP", "TMP"}) {
      const char* v = std::getenv(var);
      struct stat st {};
      if (v && *v && ::stat(v, &st) == 0 && S_ISDIR(st.st_mode) && ::access(v, W_OK | X_OK) == 0) return v;
    }
    return "/tmp";
  }

  int fd_ = -1;
  std::string path_;
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw OsError(errno ? errno : ENOENT, path);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool has_placement(const m::Quenby& r) {
  const auto& t = r.translation;
  const auto& q = r.rotation;
  return t.x != 0 || t.y != 0 || t.z != 0 || q.x != 0 || q.y != 0 || q.z != 0;
}

void set_name(CoreCorvath& corvath, const std::string& id, const std::optional<std::string>& name) {
  ManagedShapePtr ms = corvath.get_shape(id);
  // A null saved name keeps the generated one (a name is always text here).
  if (!ms || !name) return;
  ms->name = *name;
  managers::names_changed_outside();
}

// Shape objects in the description, nested ones included.
std::size_t count_shape_objects(const Json& shapes, int depth) {
  if (!shapes.is_array() || depth > ProjectLimits::max_shape_depth) return 0;
  std::size_t n = 0;
  for (const auto& s : shapes) {
    ++n;
    if (s.is_object())
      if (auto it = s.find("components"); it != s.end()) n += count_shape_objects(*it, depth + 1);
    if (n > ProjectLimits::max_shape_objects) break;
  }
  return n;
}

void check_depth(int depth) {
  if (depth > ProjectLimits::max_shape_depth)
    throw ValueError("shapes nested too deeply (more than " + std::to_string(ProjectLimits::max_shape_depth) +
                     " levels)");
}

}  // namespace

// ---------------------------------------------------------------- errors

void set_error_describer(ErrorDescriber describer) { g_describer.store(describer); }

std::optional<std::string> describe_error(std::exception_ptr error) {
  if (ErrorDescriber d = g_describer.load()) return d(error);
  try {
    std::rethrow_exception(error);
  } catch (const Standard_Failure& f) {
    return kernel::failure_text(f);
  } catch (const std::exception& e) {
    return std::string(e.what());
  } catch (...) {
    return std::string("unknown error");
  }
}

void ProjectSerializer::log_failure(bool saving, const std::string& path_text, const std::string& why) {
  root_log.error(std::string(saving ? "Failed to save project '" : "Failed to load project '") + path_text +
                 "': " + why);
}

// ---------------------------------------------------------------- the host's reading of values

namespace ombrel_detail {

const Json& item(const Json& data, const char* key) {
  if (!data.is_object()) {
    if (data.is_array()) throw TypeError("list indices must be integers or slices, not str");
    if (data.is_string()) throw TypeError("string indices must be integers, not 'str'");
    throw TypeError("'" + oj::py_type_name(data) + "' object is not subscriptable");
  }
  auto it = data.find(key);
  if (it == data.end()) throw KeyError(key);
  return *it;
}

const Json* get(const Json& data, const char* key) {
  if (!data.is_object()) throw AttributeError("'" + oj::py_type_name(data) + "' object has no attribute 'get'");
  auto it = data.find(key);
  return it == data.end() ? nullptr : &*it;
}

ShapeType shape_type_of(const Json& value) {
  if (value.is_string())
    if (auto t = enum_from_value<ShapeType>(value.get_ref<const std::string&>())) return *t;
  throw ValueError(oj::py_repr(value) + " is not a valid ShapeType");
}

managers::Color color_of(const Json& value) {
  if (!value.is_array()) {
    if (value.is_object()) throw KeyError("0");
    throw TypeError("color must be a sequence of three numbers, not '" + oj::py_type_name(value) + "'");
  }
  if (value.size() < 3) throw ValueError("list index out of range");
  managers::Color c{};
  for (std::size_t i = 0; i < 3; ++i) {
    const Json& v = value[i];
    if (!v.is_number() && !v.is_boolean())
      throw TypeError("color components must be numbers, not '" + oj::py_type_name(v) + "'");
    c[i] = v.is_boolean() ? (v.get<bool>() ? 1.0 : 0.0) : v.get<double>();
  }
  return c;
}

std::optional<std::string> name_of(const Json& value) {
  if (value.is_null()) return std::nullopt;
  if (!value.is_string()) throw TypeError("name must be a str or None, not '" + oj::py_type_name(value) + "'");
  return value.get<std::string>();
}

bool truthy(const Json& v) { return models::truth_of(v); }

std::vector<Json> iterate(const Json& value) {
  std::vector<Json> out;
  if (value.is_array()) {
    out.assign(value.begin(), value.end());
  } else if (value.is_object()) {
    for (auto it = value.begin(); it != value.end(); ++it) out.emplace_back(it.key());
  } else if (value.is_string()) {
    const std::string& s = value.get_ref<const std::string&>();
    for (std::size_t i = 0; i < s.size();) {
      std::size_t n = 1;
      auto c = static_cast<unsigned char>(s[i]);
      if (c >= 0xF0) n = 4;
      else if (c >= 0xE0) n = 3;
      else if (c >= 0xC0) n = 2;
      out.emplace_back(s.substr(i, n));
      i += n;
    }
  } else {
    throw TypeError("'" + oj::py_type_name(value) + "' object is not iterable");
  }
  return out;
}

}  // namespace ombrel_detail

using namespace ombrel_detail;

// ---------------------------------------------------------------- saving

Json ProjectSerializer::_serialize_managed_shape(const ManagedShape& ms, StepFiles& step_files, CoreCorvath& corvath,
                                                 int depth) {
  check_depth(depth);
  const ShapeType t = ms.shape_type;
  if (!ms.properties) throw AttributeError("'NoneType' object has no attribute 'to_dict'");
  Json d = Json::object();
  d["shape_id"] = ms.shape_id;
  d["shape_type"] = std::string(enum_value(t));
  d["name"] = ms.name;
  d["color"] = Json::array({ms.color[0], ms.color[1], ms.color[2]});
  d["properties"] = m::to_dict(*ms.properties);
  d["parent_id"] = ms.parent_id ? Json(*ms.parent_id) : Json(nullptr);
  const ShapeCategory cat = category(t);
  if (cat == ShapeCategory::BOOLEAN_OP || cat == ShapeCategory::MODIFIER_OP || t == ShapeType::SKETCH) {
    Json comps = Json::array();
    for (const auto& c : ms.components) {
      if (!c) continue;
      comps.push_back(_serialize_managed_shape(*c, step_files, corvath, depth + 1));
    }
    d["components"] = std::move(comps);
  } else if (t == ShapeType::PLANE) {
    // parameters only
  } else if (cat == ShapeCategory::EXTERNAL) {
    std::string entry = "shapes/" + ms.shape_id + ".step";
    if (std::optional<std::string> bytes = _export_shape_to_bytes(ms, corvath)) {
      step_files.set(entry, std::move(*bytes));
      d["step_file"] = entry;
    }
  }
  return d;
}

std::optional<std::string> ProjectSerializer::_export_shape_to_bytes(const ManagedShape& managed_shape,
                                                                     CoreCorvath& corvath) {
  TempFile tmp(".step");
  tmp.close_fd();
  ManagedShapePtr ms = corvath.get_shape(managed_shape.shape_id);
  bool ok = false;
  if (ms && !ms->shape.IsNull() && ms->properties && has_placement(*ms->properties)) {
    // The entry holds the geometry without its record's placement, which the
    // load applies again through the import (so it is applied once).
    TopoDS_Shape bare = corvath._update_transformed_shape(*ms, m::Quenby());
    if (!bare.IsNull())
      corvath._operation("Exporting to STEP...",
                         [&] { ok = corvath._geo_service().export_shapes_to_step({bare}, tmp.path()); });
  } else {
    ok = corvath.export_shape_to_step(managed_shape.shape_id, tmp.path());
  }
  if (!ok) return std::nullopt;
  return read_file(tmp.path());
}

namespace {

// The plane ids that the sketches in `ms`'s tree stand on, in walk order.
std::vector<std::string> planes_used_by(const ManagedShape& ms) {
  std::vector<std::string> ids;
  std::unordered_set<const ManagedShape*> seen;
  std::vector<const ManagedShape*> stack{&ms};
  while (!stack.empty()) {
    const ManagedShape* s = stack.back();
    stack.pop_back();
    if (!seen.insert(s).second) continue;
    if (s->shape_type == ShapeType::SKETCH && s->properties)
      if (const auto* sp = dynamic_cast<const m::SketchProperties*>(s->properties.get())) ids.push_back(sp->plane_id);
    for (auto it = s->components.rbegin(); it != s->components.rend(); ++it)
      if (*it) stack.push_back(it->get());
  }
  return ids;
}

// Top-level shapes in registry order, except that a plane goes before the
// first shape whose sketches stand on it: a load restores a sketch only on
// a plane restored before it, and undo can leave a plane after its sketch.
std::vector<ManagedShapePtr> saving_order(CoreCorvath& corvath) {
  std::vector<ManagedShapePtr> shapes;
  for (const std::string& id : corvath.get_all_shape_ids()) {
    ManagedShapePtr ms = corvath.get_shape(id);
    if (ms && !ms->parent_id) shapes.push_back(std::move(ms));
  }
  std::vector<ManagedShapePtr> ordered;
  std::unordered_set<const ManagedShape*> placed;
  for (const auto& ms : shapes) {
    if (placed.count(ms.get())) continue;
    for (const std::string& plane_id : planes_used_by(*ms)) {
      ManagedShapePtr plane = corvath.get_shape(plane_id);
      if (plane && plane != ms && !plane->parent_id && plane->shape_type == ShapeType::PLANE &&
          placed.insert(plane.get()).second)
        ordered.push_back(plane);
    }
    placed.insert(ms.get());
    ordered.push_back(ms);
  }
  return ordered;
}

}  // namespace

bool ProjectSerializer::save_project(const std::string& filepath, CoreCorvath& corvath,
                                     const Json& format_version) {
  try {
    const std::vector<ManagedShapePtr> shapes = saving_order(corvath);
    StepFiles step_files;
    Json list = Json::array();
    for (const auto& ms : shapes) list.push_back(_serialize_managed_shape(*ms, step_files, corvath));
    Json top = Json::object();
    top["version"] = format_version;
    top["shapes"] = std::move(list);
    // Everything is built before the file is touched.
    const std::string text = oj::dumps(top);
    std::vector<std::pair<std::string, const std::string*>> entries{{"project.json", &text}};
    for (const auto& [name, bytes] : step_files) entries.emplace_back(name, &bytes);
    write_zip_file(filepath, entries);
    return true;
  } catch (...) {
    std::optional<std::string> why = describe_error(std::current_exception());
    if (!why) throw;
    log_failure(true, filepath, *why);
    return false;
  }
}

// ---------------------------------------------------------------- loading

bool ProjectSerializer::load_project(const std::string& filepath, CoreCorvath& corvath) {
  // Planes and sketches come back without undo entries, so a history that
  // reached back past the load could drop or duplicate them: once the
  // registry has been replaced, the model as loaded is the base of an empty
  // history, whether or not every shape could be rebuilt.
  bool replaced = false;
  try {
    ZipArchive zf(filepath);
    const Json doc = oj::loads(zf.read("project.json"), ProjectLimits::max_json_depth);
    if (doc.is_object())
      if (auto it = doc.find("shapes"); it != doc.end())
        if (count_shape_objects(*it, 0) > ProjectLimits::max_shape_objects)
          throw ValueError("project holds more than " + std::to_string(ProjectLimits::max_shape_objects) +
                           " shapes");
    corvath.clear_all();
    replaced = true;
    const Json* shapes = get(doc, "shapes");
    if (shapes)
      for (const Json& element : iterate(*shapes)) _deserialize_shape(element, corvath, zf);
    corvath.clear_undo_history();
    return true;
  } catch (...) {
    std::optional<std::string> why = describe_error(std::current_exception());
    if (replaced) corvath.clear_undo_history();
    if (!why) throw;
    log_failure(false, filepath, *why);
    return false;
  }
}

std::optional<std::string> ProjectSerializer::_deserialize_shape(const Json& data, CoreCorvath& corvath,
                                                                 ProjectArchive& zf, int depth) {
  check_depth(depth);
  const ShapeType t = shape_type_of(item(data, "shape_type"));
  const managers::Color color = color_of(item(data, "color"));
  const std::optional<std::string> name = name_of(item(data, "name"));
  const Json* p = get(data, "properties");
  const Json properties_data = p ? *p : Json::object();

  if (t == ShapeType::PLANE) return _deserialize_plane(data, color, name, properties_data, corvath);
  if (t == ShapeType::SKETCH) return _deserialize_sketch(data, color, name, properties_data, corvath, zf);
  const ShapeCategory cat = category(t);
  if (cat == ShapeCategory::SOLID_PRIMITIVE || cat == ShapeCategory::PLANAR_PRIMITIVE ||
      cat == ShapeCategory::CURVE_PRIMITIVE) {
    RecordPtr rec = m::from_dict(managers::properties_class(t), properties_data);
    ManagedShapePtr ms = corvath.create_shape(t, rec, color, name);
    if (!ms) return std::nullopt;
    return ms->shape_id;
  }
  if (cat == ShapeCategory::BOOLEAN_OP)
    return _deserialize_boolean(data, t, color, name, properties_data, corvath, zf, depth);
  switch (t) {
    case ShapeType::ARRAY:
    case ShapeType::FILLET:
    case ShapeType::CORNER_ROUND:
    case ShapeType::POLYLINE_ROUND:
    case ShapeType::EXTRUDE:
      return _deserialize_modifier(t, data, color, name, properties_data, corvath, zf, depth);
    default: return _deserialize_from_step(data, color, name, properties_data, corvath, zf);
  }
}

std::optional<std::string> ProjectSerializer::_deserialize_boolean(const Json& data, ShapeType shape_type,
                                                                   const managers::Color& color,
                                                                   const std::optional<std::string>& name,
                                                                   const Json& properties_data, CoreCorvath& corvath,
                                                                   ProjectArchive& zf, int depth) {
  std::vector<std::string> ids;
  const Json* comps = get(data, "components");
  if (comps)
    for (const Json& c : iterate(*comps))
      if (std::optional<std::string> id = _deserialize_shape(c, corvath, zf, depth + 1)) ids.push_back(*id);
  if (ids.size() < 2) return std::nullopt;
  std::optional<std::string> new_id =
      shape_type == ShapeType::UNION ? corvath.union_shapes(ids) : corvath.subtract_shapes(ids);
  if (!new_id) return std::nullopt;
  set_name(corvath, *new_id, name);
  corvath.update_shape_color(*new_id, color);
  if (truthy(properties_data)) corvath.update_shape(*new_id, m::from_dict<m::BooleanProperties>(properties_data));
  return new_id;
}

namespace {

// components[0] as the host indexes a non-empty value.
Json first_item(const Json& comps) {
  if (comps.is_array()) return comps[0];
  if (comps.is_object()) throw KeyError("0");
  if (comps.is_string()) return iterate(comps).front();
  throw TypeError("'" + oj::py_type_name(comps) + "' object is not subscriptable");
}

}  // namespace

std::optional<std::string> ProjectSerializer::_deserialize_modifier(ShapeType modifier, const Json& data,
                                                                    const managers::Color& color,
                                                                    const std::optional<std::string>& name,
                                                                    const Json& properties_data,
                                                                    CoreCorvath& corvath, ProjectArchive& zf,
                                                                    int depth) {
  const m::RecordType* rt = nullptr;
  switch (modifier) {
    case ShapeType::ARRAY: rt = &m::ArrayProperties::record_type(); break;
    case ShapeType::FILLET: rt = &m::FilletProperties::record_type(); break;
    case ShapeType::CORNER_ROUND: rt = &m::CornerRoundProperties::record_type(); break;
    case ShapeType::POLYLINE_ROUND: rt = &m::PolylineRoundProperties::record_type(); break;
    case ShapeType::EXTRUDE: rt = &m::ExtrudeProperties::record_type(); break;
    default: throw ValueError(std::string(enum_value(modifier)) + " is not a modifier");
  }
  const Json* comps = get(data, "components");
  if (!comps || !truthy(*comps)) return std::nullopt;
  std::optional<std::string> base = _deserialize_shape(first_item(*comps), corvath, zf, depth + 1);
  if (!base) return std::nullopt;
  RecordPtr rec = m::from_dict(*rt, properties_data);
  std::optional<std::string> new_id;
  switch (modifier) {
    case ShapeType::ARRAY: new_id = corvath.create_shape_array(*base, rec); break;
    case ShapeType::FILLET: new_id = corvath.fillet_shape(*base, rec); break;
    case ShapeType::CORNER_ROUND: new_id = corvath.corner_round_shape(*base, rec); break;
    case ShapeType::POLYLINE_ROUND: new_id = corvath.polyline_round_shape(*base, rec); break;
    default: new_id = corvath.extrude_shape(*base, rec); break;
  }
  if (!new_id) return std::nullopt;
  set_name(corvath, *new_id, name);
  corvath.update_shape_color(*new_id, color);
  // The creation places it by the saved record, as it stood when saved.
  return new_id;
}

std::optional<std::string> ProjectSerializer::_deserialize_plane(const Json& data, const managers::Color& color,
                                                                 const std::optional<std::string>& name,
                                                                 const Json& properties_data, CoreCorvath& corvath) {
  const Json* sid = get(data, "shape_id");
  if (!sid || !truthy(*sid)) return std::nullopt;
  if (!sid->is_string()) throw TypeError("shape_id must be a str, not '" + oj::py_type_name(*sid) + "'");
  const std::string id = sid->get<std::string>();
  RecordPtr rec = m::from_dict<m::PlaneProperties>(properties_data);
  if (corvath.get_shape(id)) {
    // Restoring would replace a shape already loaded under that id.
    root_log.warning("Cannot restore plane " + id + ": id already in use");
    return std::nullopt;
  }
  ManagedShapePtr ms = corvath.restore_plane(id, rec, color, name);
  if (!ms) return std::nullopt;
  return ms->shape_id;
}

std::optional<std::string> ProjectSerializer::_deserialize_from_step(const Json& data, const managers::Color& color,
                                                                     const std::optional<std::string>& name,
                                                                     const Json& properties_data,
                                                                     CoreCorvath& corvath, ProjectArchive& zf) {
  const Json* sf = get(data, "step_file");
  if (!sf || !truthy(*sf)) return std::nullopt;
  if (!sf->is_string()) throw TypeError("step_file must be a str, not '" + oj::py_type_name(*sf) + "'");
  // The entry name is looked up inside the container only.
  const std::string bytes = zf.read(sf->get<std::string>());
  TempFile tmp(".step");
  tmp.write_and_close(bytes);
  const Json* tr = get(properties_data, "translation");
  const Json* rot = get(properties_data, "rotation");
  auto rec = std::make_shared<m::ImportedProperties>();
  rec->translation = m::Translation::from_dict(tr ? *tr : Json::object());
  rec->rotation = m::Rotation::from_dict(rot ? *rot : Json::object());
  ManagedShapePtr ms = corvath.import_shape(tmp.path(), color, rec, name);
  if (!ms) return std::nullopt;
  return ms->shape_id;
}

}  // namespace nimbal::services
