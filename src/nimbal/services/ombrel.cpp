#include "nimbal/services/ombrel.hpp"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <BRepBuilderAPI_Copy.hxx>
#include <BinTools.hxx>
#include <Standard_Failure.hxx>
#include <Standard_OutOfMemory.hxx>

#include "nimbal/errors.hpp"
#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"
#include "nimbal/managers/registry.hpp"
#include "nimbal/services/drulen.hpp"
#include "nimbal/services/ombrel_json.hpp"

namespace nimbal::services {

using managers::ManagedShapePtr;
using managers::RecordPtr;
namespace m = nimbal::models;
namespace oj = ombrel_json;

namespace {

// Project files log through the root logger.
constexpr log::Logger root_log("");

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

// A shape whose geometry could not be read for lack of memory fails the
// load: it must not vanish from a load that reports success.
InvalidValue out_of_memory(const std::optional<std::string>& name, const std::string& entry) {
  return InvalidValue("out of memory while reading the geometry of '" + name.value_or("") + "' from '" + entry + "'");
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

// The copies an array's saved counts make, read as its rebuild reads them
// (a record the rebuild cannot make counts once: that rebuild fails).
long long array_copies(const Json& obj) {
  constexpr long long cap = ProjectLimits::max_built_shapes + 1;
  long long counts[3] = {1, 1, 1};
  try {
    auto p = obj.find("properties");
    auto rec = m::from_dict<m::ArrayProperties>(p != obj.end() ? *p : Json::object());
    counts[0] = rec->count_x, counts[1] = rec->count_y, counts[2] = rec->count_z;
  } catch (const std::exception&) {
    return 1;
  }
  long long total = 1;
  for (long long c : counts) {
    if (c <= 0) return 0;
    total = c > cap / total ? cap : total * c;
  }
  return total;
}

// The six members every shape object starts with.
Json shape_header(const ManagedShape& ms) {
  if (!ms.properties) throw MissingMember("'NoneType' object has no attribute 'to_dict'");
  Json d = Json::object();
  d["shape_id"] = ms.shape_id;
  d["shape_type"] = std::string(enum_value(ms.shape_type));
  d["name"] = ms.name;
  d["color"] = Json::array({ms.color[0], ms.color[1], ms.color[2]});
  d["properties"] = m::to_dict(*ms.properties);
  d["parent_id"] = ms.parent_id ? Json(*ms.parent_id) : Json(nullptr);
  return d;
}

// A sketch whose plane was removed keeps that plane's record in its own
// object, so the load can rebuild it where it stood; a sketch whose plane is
// saved with the model has none.
void write_removed_plane(const ManagedShape& sketch, Json& out, CoreCorvath& corvath) {
  const auto* sp = sketch.properties ? dynamic_cast<const m::SketchProperties*>(sketch.properties.get()) : nullptr;
  if (!sp) return;
  ManagedShapePtr plane = corvath.get_shape(sp->plane_id);
  if (plane && plane->shape_type == ShapeType::PLANE && plane->properties &&
      plane->properties->is<m::PlaneProperties>())
    return;
  if (RecordPtr rec = corvath._sketch_plane_record(sp->plane_id)) out["plane_properties"] = m::to_dict(*rec);
}

bool has_components(ShapeType t) {
  const ShapeCategory cat = category(t);
  return cat == ShapeCategory::BOOLEAN_OP || cat == ShapeCategory::MODIFIER_OP || t == ShapeType::SKETCH;
}

// The entry beside a STEP entry "x.step" that holds the same geometry in the
// kernel's native form, "x.bin": lossless where STEP is not (a face stays a
// face, sub-shapes keep their order). None for another name.
std::optional<std::string> native_entry_for(const std::string& step_entry) {
  static constexpr char suffix[] = ".step";
  constexpr std::size_t n = sizeof suffix - 1;
  if (step_entry.size() <= n || step_entry.compare(step_entry.size() - n, n, suffix) != 0) return std::nullopt;
  return step_entry.substr(0, step_entry.size() - n) + ".bin";
}

// The geometry a shape's entries hold: its kernel shape without the
// placement of its record, which the load applies again.
TopoDS_Shape bare_geometry(const ManagedShape& ms, CoreCorvath& corvath) {
  if (ms.shape.IsNull() || !ms.properties || !has_placement(*ms.properties)) return ms.shape;
  return corvath._update_transformed_shape(ms, m::Quenby());
}

std::string native_bytes(const TopoDS_Shape& shape) {
  std::ostringstream out(std::ios::binary);
  BinTools::Write(shape, out, /*theWithTriangles=*/Standard_False, /*theWithNormals=*/Standard_False,
                  BinTools_FormatVersion_CURRENT);
  return std::move(out).str();
}

}  // namespace

// ---------------------------------------------------------------- errors

std::optional<std::string> describe_error(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (...) {
    if (!kernel::current_error_catchable()) return std::nullopt;
    return kernel::current_error_printed().value_or("<unprintable error>");
  }
}

void ProjectSerializer::log_failure(bool saving, const std::string& path_text, const std::string& why) {
  root_log.error(std::string(saving ? "Failed to save project '" : "Failed to load project '") + path_text +
                 "': " + why);
}

WrongType ProjectArchive::not_bytes(const std::string& type_name) {
  return WrongType("read() must give bytes, not '" + type_name + "'");
}

bool ProjectSerializer::guarded_entry(bool saving, const std::optional<std::string>& path_text,
                                      const std::function<bool()>& body) {
  try {
    return body();
  } catch (...) {
    std::optional<std::string> why = describe_error(std::current_exception());
    if (!why) throw;
    log_failure(saving, path_text.value_or("<unprintable path>"), *why);
    return false;
  }
}

// ---------------------------------------------------------------- the host's reading of values

namespace ombrel_detail {

const Json& item(const Json& data, const char* key) {
  if (!data.is_object()) {
    if (data.is_array()) throw WrongType("list indices must be integers or slices, not str");
    if (data.is_string()) throw WrongType("string indices must be integers, not 'str'");
    throw WrongType("'" + oj::py_type_name(data) + "' object is not subscriptable");
  }
  auto it = data.find(key);
  if (it == data.end()) throw NotFound(key);
  return *it;
}

const Json* get(const Json& data, const char* key) {
  if (!data.is_object()) throw MissingMember("'" + oj::py_type_name(data) + "' object has no attribute 'get'");
  auto it = data.find(key);
  return it == data.end() ? nullptr : &*it;
}

ShapeType shape_type_of(const Json& value) {
  if (value.is_string())
    if (auto t = enum_from_value<ShapeType>(value.get_ref<const std::string&>())) return *t;
  throw InvalidValue(oj::py_repr(value) + " is not a valid ShapeType");
}

managers::Color color_of(const Json& value) {
  if (!value.is_array()) {
    if (value.is_object()) throw NotFound("0");
    throw WrongType("color must be a sequence of three numbers, not '" + oj::py_type_name(value) + "'");
  }
  if (value.size() < 3) throw InvalidValue("list index out of range");
  managers::Color c{};
  for (std::size_t i = 0; i < 3; ++i) {
    const Json& v = value[i];
    if (!v.is_number() && !v.is_boolean())
      throw WrongType("color components must be numbers, not '" + oj::py_type_name(v) + "'");
    c[i] = v.is_boolean() ? (v.get<bool>() ? 1.0 : 0.0) : v.get<double>();
  }
  return c;
}

std::optional<std::string> name_of(const Json& value) {
  if (value.is_null()) return std::nullopt;
  if (!value.is_string()) throw WrongType("name must be a str or None, not '" + oj::py_type_name(value) + "'");
  return value.get<std::string>();
}

bool truthy(const Json& v) { return models::truth_of(v); }

void check_depth(int depth) {
  if (depth > ProjectLimits::max_shape_depth)
    throw InvalidValue("shapes nested too deeply (more than " + std::to_string(ProjectLimits::max_shape_depth) +
                     " levels)");
}

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
    throw WrongType("'" + oj::py_type_name(value) + "' object is not iterable");
  }
  return out;
}

}  // namespace ombrel_detail

using namespace ombrel_detail;

// ---------------------------------------------------------------- saving

Json ProjectSerializer::_serialize_managed_shape(const ManagedShape& root, const StepFileSink& step_files,
                                                 CoreCorvath& corvath) {
  // Depth first without recursion, in the order a recursive walk takes:
  // each component is finished, exports included, before the next one.
  struct Frame {
    const ManagedShape* ms;
    Json* components;
    std::size_t next;
  };
  std::vector<Frame> stack;
  Json result;
  auto begin = [&](const ManagedShape& ms, Json& out) {
    check_depth(static_cast<int>(stack.size()));
    out = shape_header(ms);
    const ShapeType t = ms.shape_type;
    if (t == ShapeType::SKETCH) write_removed_plane(ms, out, corvath);
    if (has_components(t)) {
      Json& comps = out["components"] = Json::array();
      // Reserved, so the element being filled never moves.
      comps.get_ref<Json::array_t&>().reserve(ms.components.size());
      stack.push_back({&ms, &comps, 0});
    } else if (t != ShapeType::PLANE && category(t) == ShapeCategory::EXTERNAL) {
      std::optional<std::string> bytes = _export_shape_to_bytes(ms, corvath);
      // Saving it without its geometry would lose it on the next load.
      if (!bytes)
        throw InvalidValue("could not export the geometry of '" + ms.name + "' (" + ms.shape_id + ") to STEP");
      std::string entry = "shapes/" + ms.shape_id + ".step";
      step_files(entry, std::move(*bytes));
      // The lossless copy, of the geometry the export wrote.
      ManagedShapePtr current = corvath.get_shape(ms.shape_id);
      const TopoDS_Shape bare = current ? bare_geometry(*current, corvath) : TopoDS_Shape();
      if (!bare.IsNull()) step_files(*native_entry_for(entry), native_bytes(bare));
      out["step_file"] = std::move(entry);
    }
  };
  begin(root, result);
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next == f.ms->components.size()) {
      stack.pop_back();
      continue;
    }
    const ManagedShapePtr& c = f.ms->components[f.next++];
    if (!c) continue;
    f.components->push_back(Json());
    begin(*c, f.components->back());  // `f` dies with the next push
  }
  return result;
}

void ProjectSerializer::check_description(const Json& doc, ProjectArchive* zf) {
  if (!doc.is_object()) return;
  auto shapes = doc.find("shapes");
  if (shapes == doc.end() || !shapes->is_array()) return;
  struct Item {
    const Json* obj;
    int depth;
    long long copies;  // the product of the enclosing arrays' copies
  };
  std::vector<Item> stack;
  for (auto it = shapes->rbegin(); it != shapes->rend(); ++it) stack.push_back({&*it, 0, 1});
  std::size_t objects = 0;
  long long built = 0;
  const long long cap = ProjectLimits::max_built_shapes + 1;
  while (!stack.empty()) {
    const Item item = stack.back();
    stack.pop_back();
    if (++objects > ProjectLimits::max_shape_objects)
      throw InvalidValue("project holds more than " + std::to_string(ProjectLimits::max_shape_objects) + " shapes");
    check_depth(item.depth);
    if (zf && item.obj->is_object())
      if (auto sf = item.obj->find("step_file"); sf != item.obj->end() && sf->is_string()) {
        const std::string& entry = sf->get_ref<const std::string&>();
        if (std::optional<std::uint64_t> size = zf->declared_size(entry);
            size && *size > ProjectLimits::max_step_entry_bytes)
          throw entry_too_large(entry, ProjectLimits::max_step_entry_bytes);
        if (std::optional<std::string> native = native_entry_for(entry))
          if (std::optional<std::uint64_t> size = zf->declared_size(*native);
              size && *size > ProjectLimits::max_step_entry_bytes)
            throw entry_too_large(*native, ProjectLimits::max_step_entry_bytes);
      }
    const Json* comps = nullptr;
    if (item.obj->is_object())
      if (auto c = item.obj->find("components"); c != item.obj->end() && c->is_array() && !c->empty()) comps = &*c;
    if (!comps) {
      built = std::min(cap, built + item.copies);
      if (built > ProjectLimits::max_built_shapes)
        throw InvalidValue("project would build more than " + std::to_string(ProjectLimits::max_built_shapes) +
                         " shapes");
      continue;
    }
    long long copies = item.copies;
    auto type = item.obj->find("shape_type");
    if (type != item.obj->end() && type->is_string() &&
        type->get_ref<const std::string&>() == enum_value(ShapeType::ARRAY)) {
      const long long n = array_copies(*item.obj);
      copies = n != 0 && copies > cap / n ? cap : copies * n;
    }
    for (auto it = comps->rbegin(); it != comps->rend(); ++it) stack.push_back({&*it, item.depth + 1, copies});
  }
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
    TopoDS_Shape bare = bare_geometry(*ms, corvath);
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
  managers::registry::for_each_in_tree(ms, [&](const ManagedShape& s) {
    if (s.shape_type == ShapeType::SKETCH && s.properties)
      if (const auto* sp = dynamic_cast<const m::SketchProperties*>(s.properties.get())) ids.push_back(sp->plane_id);
  });
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
  return guarded_entry(true, filepath, [&] {
    const std::vector<ManagedShapePtr> shapes = saving_order(corvath);
    StepFiles step_files;
    const StepFileSink store = [&](const std::string& entry, std::string bytes) {
      step_files.set(entry, std::move(bytes));
    };
    Json list = Json::array();
    for (const auto& ms : shapes) list.push_back(_serialize_managed_shape(*ms, store, corvath));
    Json top = Json::object();
    top["version"] = format_version;
    top["shapes"] = std::move(list);
    // A file the load would refuse is not written: the bounds are the load's.
    check_description(top);
    oj::DumpStats stats;
    const std::string text = oj::dumps(top, &stats);
    if (text.size() > ProjectLimits::max_description_bytes || stats.values > ProjectLimits::max_json_values ||
        stats.depth > ProjectLimits::max_json_depth)
      throw InvalidValue("the project's description exceeds what a load reads (" +
                       std::to_string(ProjectLimits::max_description_bytes) + " bytes, " +
                       std::to_string(ProjectLimits::max_json_values) + " values)");
    std::vector<std::pair<std::string, const std::string*>> entries{{"project.json", &text}};
    for (const auto& [name, bytes] : step_files) {
      if (bytes.size() > ProjectLimits::max_step_entry_bytes)
        throw entry_too_large(name, ProjectLimits::max_step_entry_bytes);
      entries.emplace_back(name, &bytes);
    }
    // Everything is built and checked before the file is touched.
    write_zip_file(filepath, entries);
    return true;
  });
}

// ---------------------------------------------------------------- loading

namespace {

// Puts the model that stood before a failed load back, then tells the host
// what it now holds the way the hooks tell any change: everything cleared,
// each top-level entry created again in registry order, and the undo state.
// A hook that fails here is logged; the model is back whatever it does.
void restore_after_failed_load(CoreCorvath& corvath, const managers::CoreManager::ModelBackup& backup) {
  corvath._restore_model(backup);
  auto report = [](const std::function<void()>& hook) {
    try {
      hook();
    } catch (...) {
      std::optional<std::string> why = describe_error(std::current_exception());
      if (!why) throw;
      root_log.error("A hook failed while the model was restored after a failed load: " + *why);
    }
  };
  report([&] { corvath._notify_all_cleared(); });
  for (const std::string& id : corvath.get_all_shape_ids())
    if (ManagedShapePtr ms = corvath.get_shape(id)) report([&] { corvath._notify_shape_created(id, ms); });
  report([&] { corvath._notify_undo_redo_changed(corvath.can_undo(), corvath.can_redo()); });
}

}  // namespace

bool ProjectSerializer::load_project(const std::string& filepath, CoreCorvath& corvath) {
  // Planes and sketches come back without undo entries, so a history that
  // reached back past the load could drop or duplicate them: a load that
  // succeeds leaves the model as loaded as the base of an empty history. One
  // that fails after the registry was replaced puts back the model and the
  // history that stood before it.
  std::optional<managers::CoreManager::ModelBackup> backup;
  try {
    ZipArchive zf(filepath);
    // Freed without allocating, also while a failure unwinds.
    oj::Document parsed(ProjectLimits::max_json_depth);
    parsed.value =
        oj::loads(zf.read("project.json"), ProjectLimits::max_json_depth, ProjectLimits::max_json_values);
    const Json& doc = parsed.value;
    // Every bound is checked while the current model is still in place.
    check_description(doc, &zf);
    backup = corvath._backup_model();
    corvath.clear_all();
    if (const Json* shapes = get(doc, "shapes"))
      for_each_item(*shapes, [&](const Json& element) { _deserialize_shape(element, corvath, zf); });
    corvath.clear_undo_history();
    return true;
  } catch (...) {
    std::exception_ptr error = std::current_exception();
    std::optional<std::string> why = describe_error(error);
    if (backup) restore_after_failed_load(corvath, *backup);
    if (!why) std::rethrow_exception(error);
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
    for_each_item(*comps, [&](const Json& c) {
      if (std::optional<std::string> id = _deserialize_shape(c, corvath, zf, depth + 1)) ids.push_back(*id);
    });
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

// components[0] as the host indexes a non-empty value; `held` keeps an item
// that is not stored in `comps` itself (a string's first character).
const Json& first_item(const Json& comps, Json& held) {
  if (comps.is_array()) return comps[0];
  if (comps.is_object()) throw NotFound("0");
  if (comps.is_string()) return held = iterate(comps).front();
  throw WrongType("'" + oj::py_type_name(comps) + "' object is not subscriptable");
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
    default: throw InvalidValue(std::string(enum_value(modifier)) + " is not a modifier");
  }
  const Json* comps = get(data, "components");
  if (!comps || !truthy(*comps)) return std::nullopt;
  Json held;
  std::optional<std::string> base = _deserialize_shape(first_item(*comps, held), corvath, zf, depth + 1);
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
  if (!sid->is_string()) throw WrongType("shape_id must be a str, not '" + oj::py_type_name(*sid) + "'");
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
  if (!sf->is_string()) throw WrongType("step_file must be a str, not '" + oj::py_type_name(*sf) + "'");
  const std::string& entry = sf->get_ref<const std::string&>();
  auto placement = [&] {
    const Json* tr = get(properties_data, "translation");
    const Json* rot = get(properties_data, "rotation");
    auto rec = std::make_shared<m::ImportedProperties>();
    rec->translation = m::Translation::from_dict(tr ? *tr : Json::object());
    rec->rotation = m::Rotation::from_dict(rot ? *rot : Json::object());
    return rec;
  };
  TopoDS_Shape shape;
  std::shared_ptr<m::ImportedProperties> rec;
  if (auto cached = zf.read_shapes.find(entry); cached != zf.read_shapes.end()) {
    rec = placement();
    // Each shape owns its geometry, as two imports of one file would.
    shape = BRepBuilderAPI_Copy(cached->second).Shape();
  } else {
    // The native copy beside the entry when the file has one; the STEP entry
    // when it has none (a file of another writer) or it cannot be read.
    // Entry names are looked up inside the container only.
    if (std::optional<std::string> native = native_entry_for(entry); native && zf.contains(*native)) {
      const std::string bytes = zf.read(*native);
      rec = placement();
      try {
        corvath._operation("Importing file...", [&] {
          Shapes read = Drulen::ops::import_native_buffers({StepBuffer{*native, bytes}});
          if (!read.empty()) shape = read.front();
        });
      } catch (const Standard_OutOfMemory&) {
        throw out_of_memory(name, *native);
      } catch (const std::bad_alloc&) {
        throw out_of_memory(name, *native);
      }
    }
    if (shape.IsNull()) {
      const std::string bytes = zf.read(entry);
      TempFile tmp(".step");
      tmp.write_and_close(bytes);
      rec = placement();
      try {
        shape = corvath.read_import_file(tmp.path());
      } catch (const Standard_OutOfMemory&) {
        throw out_of_memory(name, entry);
      } catch (const std::bad_alloc&) {
        throw out_of_memory(name, entry);
      }
      // An unreadable entry was reported by the manager as a failed import.
      if (shape.IsNull()) return std::nullopt;
    }
    zf.read_shapes.emplace(entry, shape);
  }
  ManagedShapePtr ms = corvath.add_imported_shape(shape, color, rec, name);
  if (!ms) return std::nullopt;
  return ms->shape_id;
}

}  // namespace nimbal::services
