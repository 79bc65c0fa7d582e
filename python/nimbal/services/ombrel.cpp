// nimbal.services.ombrel: project files as the host sees them. Every
// operation is a class method; the managers are driven through their C++
// objects, so a host subclass of the geometry manager still receives its
// hooks and progress scope during a save or a load.
#include "nimbal/services/ombrel.hpp"

#include <cerrno>
#include <cstring>

#include "nimbal/managers/tessik.hpp"
#include "nimbal_py/common.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/json.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/service_module.hpp"

#include "ombrel_docs.hpp"

namespace pyb = pybind11;
namespace from_py = nimbal::py::from_py;
using nimbal::ShapeType;
using nimbal::managers::Color;
using nimbal::managers::CoreCorvath;
using nimbal::managers::CoreTessik;
using nimbal::managers::ManagedShape;
using nimbal::py::py_to_json;
using nimbal::py::type_name;
using nimbal::services::Json;
using Name = std::optional<std::string>;
using nimbal::services::ProjectArchive;
using nimbal::services::ProjectSerializer;
using PS = nimbal::services::ProjectSerializer;
namespace doc = nimbal::py::ombrel::doc;

namespace {

struct ProjectSerializerClass {};

// Any object with read(name) -> bytes serves as the open container (a
// zipfile.ZipFile does).
class PyArchive final : public ProjectArchive {
 public:
  explicit PyArchive(pyb::object zf) : zf_(std::move(zf)) {}
  std::string read(const std::string& name) override {
    pyb::object data = zf_.attr("read")(name);
    if (!PyBytes_Check(data.ptr()))
      throw ProjectArchive::not_bytes(type_name(data));
    return data.cast<std::string>();
  }

 private:
  pyb::object zf_;
};

// save_project and load_project: the path as the host's file functions take
// it (str, bytes or path-like), converted inside the guarded body so that a
// bad one is logged and answered with False like any failure.
template <class F>
bool guarded_entry(bool saving, pyb::handle filepath, F&& body) {
  std::optional<std::string> path_text;
  try {
    path_text = pyb::str(filepath).cast<std::string>();
  } catch (pyb::error_already_set&) {
    PyErr_Clear();
  }
  return PS::guarded_entry(saving, path_text, [&] {
    pyb::object os = pyb::module_::import("os");
    return body(os.attr("fsdecode")(os.attr("fspath")(filepath)).cast<std::string>());
  });
}

using namespace nimbal::py::typing;
NIMBAL_PY_NAME(path_name, "str | bytes | os.PathLike[str]");

NIMBAL_PY_NAME(corvath_name, "nimbal.managers.corvath.CoreCorvath");
NIMBAL_PY_NAME(bytes_or_none_name, "bytes | None");

// A core function as a class method that does not read its class.
template <class R, class... A>
auto ignoring_class(R (*f)(A...)) {
  return [f](pyb::type, A... a) { return f(a...); };
}

}  // namespace

namespace nimbal::py::convert {

// The open container, read when the core asks.
struct HostArchive {
  PyArchive archive;
  operator ProjectArchive&() { return archive; }  // NOLINT: implicit on purpose
};
inline HostArchive value(pyb::handle v, tag<ProjectArchive>, std::string_view) {
  return {PyArchive(pyb::reinterpret_borrow<pyb::object>(v))};
}
template <>
struct arg_name<ProjectArchive> : typing::any_name {};

}  // namespace nimbal::py::convert

namespace {
}  // namespace

PYBIND11_MODULE(ombrel, m) {
  nimbal::py::begin_service_module(
      m, doc::module, {"nimbal.enums", "nimbal.models.quenby", "nimbal.managers.corvath", "nimbal.managers.tessik"});
  // Not local: the kernel module's reading of a caught error translates it too.
  pyb::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const nimbal::services::OsError& e) {
      pyb::object err = pyb::reinterpret_borrow<pyb::object>(PyExc_OSError)(e.err, std::strerror(e.err), e.filename);
      PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(err.ptr())), err.ptr());
    } catch (const nimbal::services::BadArchive& e) {
      pyb::object bad = pyb::module_::import("zipfile").attr("BadZipFile");
      PyErr_SetString(bad.ptr(), e.what());
    }
  });

  pyb::class_<ProjectSerializerClass> c(m, "ProjectSerializer", doc::cls);
  using nimbal::py::as_classmethod;
  using nimbal::py::def;
  def(c, "__init__", nimbal::py::made<ProjectSerializerClass>, nimbal::py::as_constructor);
  c.attr("FORMAT_VERSION") = PS::FORMAT_VERSION;
  def(c, "save_project", [](pyb::type cls, typed<path_name> filepath, typed<corvath_name> corvath) {
    return guarded_entry(true, filepath, [&](const std::string& path) {
      CoreCorvath& cv = from_py::instance<CoreCorvath>(corvath, "corvath");
      return PS::save_project(path, cv, py_to_json(cls.attr("FORMAT_VERSION")));
    });
  }, as_classmethod, pyb::arg("filepath"), pyb::arg("corvath"), doc::save_project);
  def(c, "load_project", [](pyb::type, typed<path_name> filepath, typed<corvath_name> corvath) {
    return guarded_entry(false, filepath, [&](const std::string& path) {
      return PS::load_project(path, from_py::instance<CoreCorvath>(corvath, "corvath"));
    });
  }, as_classmethod, pyb::arg("filepath"), pyb::arg("corvath"), doc::load_project);
  def(c, "_serialize_managed_shape",
      [](pyb::type, const ManagedShape& managed_shape, pyb::dict step_files, CoreCorvath& corvath) {
        auto store = [&](const std::string& entry, std::string bytes) {
          step_files[pyb::str(entry)] = pyb::bytes(bytes);
        };
        return PS::_serialize_managed_shape(managed_shape, store, corvath);
      },
      as_classmethod, pyb::arg("managed_shape"), pyb::arg("step_files"), pyb::arg("corvath"));
  def(c, "_export_shape_to_bytes", [](pyb::type, const ManagedShape& managed_shape, CoreCorvath& corvath) {
    std::optional<std::string> bytes = PS::_export_shape_to_bytes(managed_shape, corvath);
    return typed<bytes_or_none_name>(bytes ? pyb::object(pyb::bytes(*bytes)) : pyb::none());
  }, as_classmethod, pyb::arg("managed_shape"), pyb::arg("corvath"));

  // The rebuilders: each answers the rebuilt shape's id, or None. Past the
  // host's arguments, the core's nesting depth starts at its default.
  const struct {
    pyb::arg data{"data"}, color{"color"}, name{"name"}, properties{"properties_data"}, corvath{"corvath"}, zf{"zf"};
  } a;
  def(c, "_deserialize_shape", [](pyb::type, const Json& data, CoreCorvath& corvath, ProjectArchive& zf) {
    return PS::_deserialize_shape(data, corvath, zf);
  }, as_classmethod, a.data, a.corvath, a.zf);
  def(c, "_deserialize_plane", ignoring_class(&PS::_deserialize_plane), as_classmethod, a.data, a.color, a.name,
      a.properties, a.corvath);
  def(c, "_deserialize_sketch", ignoring_class(&PS::_deserialize_sketch), as_classmethod, a.data, a.color, a.name,
      a.properties, a.corvath, a.zf);
  def(c, "_deserialize_boolean", [](pyb::type, const Json& data, ShapeType shape_type, const Color& color,
                                    const Name& name, const Json& properties_data, CoreCorvath& corvath,
                                    ProjectArchive& zf) {
    return PS::_deserialize_boolean(data, shape_type, color, name, properties_data, corvath, zf);
  }, as_classmethod, a.data, pyb::arg("shape_type"), a.color, a.name, a.properties, a.corvath, a.zf);
  const std::pair<const char*, ShapeType> modifiers[] = {
      {"_deserialize_array", ShapeType::ARRAY},
      {"_deserialize_fillet", ShapeType::FILLET},
      {"_deserialize_corner_round", ShapeType::CORNER_ROUND},
      {"_deserialize_polyline_round", ShapeType::POLYLINE_ROUND},
      {"_deserialize_extrude", ShapeType::EXTRUDE},
  };
  for (auto [method, type] : modifiers)
    def(c, method, [type = type](pyb::type, const Json& data, const Color& color, const Name& name,
                                 const Json& properties_data, CoreCorvath& corvath, ProjectArchive& zf) {
      return PS::_deserialize_modifier(type, data, color, name, properties_data, corvath, zf);
    }, as_classmethod, a.data, a.color, a.name, a.properties, a.corvath, a.zf);
  def(c, "_deserialize_from_step", ignoring_class(&PS::_deserialize_from_step), as_classmethod, a.data, a.color, a.name,
      a.properties, a.corvath, a.zf);
  def(c, "_create_sketch_comp_in_manager", [](pyb::type, const Json& comp_data, CoreTessik& tessik) {
    return PS::_create_sketch_comp_in_manager(comp_data, tessik);
  }, as_classmethod, pyb::arg("comp_data"), pyb::arg("tessik"));
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
