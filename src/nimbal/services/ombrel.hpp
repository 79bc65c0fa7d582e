// Project files: the whole registry of a geometry manager written into one
// ZIP container ("project.json" first, then one STEP entry per imported
// shape), and a registry rebuilt from one through the managers' own
// operations. Stateless: every operation is static.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include <TopoDS_Shape.hxx>

#include <nlohmann/json.hpp>

#include "nimbal/errors.hpp"
#include "nimbal/limits.hpp"
#include "nimbal/managers/corvath.hpp"
#include "nimbal/ordered_map.hpp"
#include "nimbal/services/drulen.hpp"

namespace nimbal::managers {
class CoreTessik;
}

namespace nimbal::services {

using managers::CoreCorvath;
using managers::ManagedShape;
using Json = nlohmann::ordered_json;

// Entry name -> bytes, in the order the entries are written.
using StepFiles = OrderedMap<std::string, std::string>;
// Takes each STEP entry of a shape being serialized as it is made (entry
// name, bytes): a failure later in the walk leaves those made before.
using StepFileSink = std::function<void(const std::string& entry, std::string bytes)>;

// What a file may make a load read or build; beyond these the load fails
// before the manager is touched. A save checks the same numbers, so it never
// reports success for a file its load would refuse.
struct ProjectLimits {
  static constexpr std::size_t max_description_bytes = 64u << 20;  // project.json
  static constexpr std::size_t max_step_entry_bytes = 512u << 20;
  // The model's own bounds, which the manager keeps every model within.
  static constexpr std::size_t max_shape_objects = limits::max_shape_objects;
  static constexpr long long max_built_shapes = limits::max_built_shapes;
  static constexpr int max_shape_depth = limits::max_shape_depth;
  // Two JSON levels per shape level, plus the properties' own nesting.
  static constexpr int max_json_depth = 2 * max_shape_depth + 16;
  // Values a parse may build: a sane description spends well over 16 bytes
  // of text per value, so this bounds memory as well as the byte limit does.
  static constexpr std::size_t max_json_values = max_description_bytes / 16;
};

// A file-system failure, with the text the host shows for it
// ("[Errno 2] No such file or directory: 'x'").
struct OsError : std::runtime_error {
  OsError(int err, std::string filename);
  int err;
  std::string filename;
};

// A container that cannot be read as a ZIP archive ("File is not a zip file").
struct BadArchive : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The open project container as the rebuild operations read it.
class ProjectArchive {
 public:
  virtual ~ProjectArchive() = default;
  // A host container's read() that gave no bytes (`type_name` is the host's
  // name of what it gave).
  static WrongType not_bytes(const std::string& type_name);
  // The whole entry; NotFound when the container has no entry of that name.
  // Names are looked up inside the container only, never used as paths.
  virtual std::string read(const std::string& name) = 0;
  // The size the container declares for an entry, when it declares one.
  virtual std::optional<std::uint64_t> declared_size(const std::string& name) { return std::nullopt; }
  // Whether the container holds an entry of that name, when it can tell
  // without raising (a host's container cannot: false).
  virtual bool contains(const std::string& name) { return false; }

  // Kernel shapes read from entries while this container is open, by entry
  // name: an entry that many shapes name is inflated and parsed once.
  std::unordered_map<std::string, TopoDS_Shape> read_shapes;
};

// A ZIP file opened for reading (libzip), closed by the destructor.
class ZipArchive final : public ProjectArchive {
 public:
  explicit ZipArchive(const std::string& path);
  ~ZipArchive() override;
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;
  std::string read(const std::string& name) override;
  std::optional<std::uint64_t> declared_size(const std::string& name) override;
  bool contains(const std::string& name) override;

 private:
  struct zip* za_ = nullptr;
};

// The refusal of an entry larger than `limit` bytes.
InvalidValue entry_too_large(const std::string& name, std::size_t limit);

// Writes a ZIP container of `entries` (deflated, in order) to `path`
// through a temporary file beside it, renamed over the path only when
// complete: on any error the path keeps what it had.
void write_zip_file(const std::string& path, const std::vector<std::pair<std::string, const std::string*>>& entries);

// The text the entry points log for an error: what the host prints for it
// ("<unprintable error>" when it cannot), or nullopt for one a core handler
// may not catch (an interrupt), which the entry point lets through.
std::optional<std::string> describe_error(std::exception_ptr error);

class ProjectSerializer {
 public:
  static constexpr const char* FORMAT_VERSION = "1.0";

  // True when the whole file was written; false on any error (logged on the
  // root logger). `format_version` is the class constant read through the
  // caller's class.
  static bool save_project(const std::string& filepath, CoreCorvath& corvath,
                           const Json& format_version = FORMAT_VERSION);
  // True when every shape object was handed to the dispatch.
  static bool load_project(const std::string& filepath, CoreCorvath& corvath);
  // The failure message both entry points log ("Failed to save project 'p': why").
  static void log_failure(bool saving, const std::string& path_text, const std::string& why);
  // An entry point's body: an ordinary error is logged as the entry's
  // failure and answered with false; one describe_error does not describe
  // (an interrupt) goes on. `path_text` is the host's text of the path as
  // given, none when it cannot print it.
  static bool guarded_entry(bool saving, const std::optional<std::string>& path_text,
                            const std::function<bool()>& body);

  static Json _serialize_managed_shape(const ManagedShape& managed_shape, const StepFileSink& step_files,
                                       CoreCorvath& corvath);
  // Throws InvalidValue when a description holds more shapes, deeper nesting
  // or more built copies than ProjectLimits allows, or names an entry that
  // `zf` declares larger than an entry may be.
  static void check_description(const Json& doc, ProjectArchive* zf = nullptr);
  static std::optional<std::string> _export_shape_to_bytes(const ManagedShape& managed_shape,
                                                           CoreCorvath& corvath);

  // ---- loading: results are the rebuilt shape's id, or none ----
  static std::optional<std::string> _deserialize_shape(const Json& data, CoreCorvath& corvath,
                                                       ProjectArchive& zf, int depth = 0);
  static std::optional<std::string> _deserialize_plane(const Json& data, const managers::Color& color,
                                                       const std::optional<std::string>& name,
                                                       const Json& properties_data, CoreCorvath& corvath);
  static std::optional<std::string> _deserialize_sketch(const Json& data, const managers::Color& color,
                                                        const std::optional<std::string>& name,
                                                        const Json& properties_data, CoreCorvath& corvath,
                                                        ProjectArchive& zf);
  static std::optional<std::string> _deserialize_boolean(const Json& data, ShapeType shape_type,
                                                         const managers::Color& color,
                                                         const std::optional<std::string>& name,
                                                         const Json& properties_data, CoreCorvath& corvath,
                                                         ProjectArchive& zf, int depth = 0);
  // One of ARRAY, FILLET, CORNER_ROUND, POLYLINE_ROUND, EXTRUDE.
  static std::optional<std::string> _deserialize_modifier(ShapeType modifier, const Json& data,
                                                          const managers::Color& color,
                                                          const std::optional<std::string>& name,
                                                          const Json& properties_data, CoreCorvath& corvath,
                                                          ProjectArchive& zf, int depth = 0);
  static std::optional<std::string> _deserialize_from_step(const Json& data, const managers::Color& color,
                                                           const std::optional<std::string>& name,
                                                           const Json& properties_data, CoreCorvath& corvath,
                                                           ProjectArchive& zf);
  static std::optional<std::string> _create_sketch_comp_in_manager(const Json& comp_data,
                                                                   managers::CoreTessik& tessik, int depth = 0);
};

// ---- the host's reading of a shape object (shared with the Python face) ----
namespace ombrel_detail {
// data[key], or NotFound / WrongType as the host raises them.
const Json& item(const Json& data, const char* key);
// data.get(key, default) with an object `data` (MissingMember otherwise).
const Json* get(const Json& data, const char* key);
ShapeType shape_type_of(const Json& value);
// Items 0, 1 and 2 of a colour sequence.
managers::Color color_of(const Json& value);
// A name: text, or none (the manager generates one).
std::optional<std::string> name_of(const Json& value);
// The host's truth value of a JSON value.
bool truthy(const Json& value);
// InvalidValue "shapes nested too deeply" beyond ProjectLimits::max_shape_depth.
void check_depth(int depth);
// The items iterating over `value` gives (list items, dict keys, characters).
std::vector<Json> iterate(const Json& value);
// Calls `f` on each of those items; a list's items are not copied.
template <class F>
void for_each_item(const Json& value, F&& f) {
  if (value.is_array()) {
    for (const Json& v : value) f(v);
    return;
  }
  for (const Json& v : iterate(value)) f(v);
}
}  // namespace ombrel_detail

}  // namespace nimbal::services
