// nimbal.services.ombrel: project files as the host sees them. Every
// operation is a class method; the managers are driven through their C++
// objects, so a host subclass of the geometry manager still receives its
// hooks and progress scope during a save or a load.
#include "nimbal/services/ombrel.hpp"

#include <cerrno>
#include <cstring>

#include "nimbal/managers/tessik.hpp"
#include "nimbal_py/common.hpp"
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
using nimbal::py::json_to_py;
using nimbal::py::py_to_json;
using nimbal::py::type_name;
using nimbal::services::Json;
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

CoreCorvath& corvath_of(pyb::handle v) { return from_py::instance<CoreCorvath>(v, "corvath"); }
ManagedShape& managed_of(pyb::handle v) { return from_py::instance<ManagedShape>(v, "managed_shape"); }
Color color_of(pyb::handle v) { return from_py::point<3>(v, "color"); }
std::optional<std::string> name_of(pyb::handle v) { return from_py::text_or_none(v, "name"); }

pyb::object opt(const std::optional<std::string>& v) { return v ? pyb::cast(*v) : pyb::none(); }

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

// A rebuild class method of a shape object read with its archive: every
// argument converted, the id or None returned.
template <class Op>
auto rebuild_with_archive(Op op) {
  return [op](pyb::object, pyb::object data, pyb::object color, pyb::object name, pyb::object props,
              pyb::object corvath, pyb::object zf) {
    PyArchive archive(zf);
    return opt(op(py_to_json(data), color_of(color), name_of(name), py_to_json(props), corvath_of(corvath), archive));
  };
}

template <class F, class... Extra>
void def_classmethod(pyb::object& cls, const char* name, F&& f, const Extra&... extra) {
  nimbal::py::set_classmethod(cls, name,
                              pyb::cpp_function(std::forward<F>(f), pyb::name(name), pyb::is_method(pyb::none()), extra...));
}

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
  c.def(pyb::init<>());
  c.attr("FORMAT_VERSION") = PS::FORMAT_VERSION;
  pyb::object cls = c;

  def_classmethod(cls, "save_project", [](pyb::object klass, typed<path_name> filepath, typed<corvath_name> corvath) {
    return guarded_entry(true, filepath, [&](const std::string& path) {
      CoreCorvath& cv = corvath_of(corvath);
      Json version = py_to_json(klass.attr("FORMAT_VERSION"));
      return PS::save_project(path, cv, version);
    });
  }, pyb::arg("filepath"), pyb::arg("corvath"), doc::save_project);
  def_classmethod(cls, "load_project", [](pyb::object, typed<path_name> filepath, typed<corvath_name> corvath) {
    return guarded_entry(false, filepath,
                         [&](const std::string& path) { return PS::load_project(path, corvath_of(corvath)); });
  }, pyb::arg("filepath"), pyb::arg("corvath"), doc::load_project);
  def_classmethod(cls, "_serialize_managed_shape",
                  [](pyb::object, pyb::object managed_shape, pyb::dict step_files, pyb::object corvath) {
                    nimbal::services::StepFiles files;
                    auto copy_out = [&] {
                      for (const auto& [name, bytes] : files) step_files[pyb::str(name)] = pyb::bytes(bytes);
                    };
                    try {
                      Json d = PS::_serialize_managed_shape(managed_of(managed_shape), files, corvath_of(corvath));
                      copy_out();
                      return json_to_py(d);
                    } catch (...) {
                      copy_out();
                      throw;
                    }
                  });
  def_classmethod(cls, "_export_shape_to_bytes", [](pyb::object, pyb::object managed_shape, pyb::object corvath) {
    std::optional<std::string> bytes = PS::_export_shape_to_bytes(managed_of(managed_shape), corvath_of(corvath));
    return bytes ? pyb::object(pyb::bytes(*bytes)) : pyb::none();
  });
  def_classmethod(cls, "_deserialize_shape", [](pyb::object, pyb::object data, pyb::object corvath, pyb::object zf) {
    PyArchive archive(zf);
    return opt(PS::_deserialize_shape(py_to_json(data), corvath_of(corvath), archive));
  });
  def_classmethod(cls, "_deserialize_plane",
                  [](pyb::object, pyb::object data, pyb::object color, pyb::object name, pyb::object props,
                     pyb::object corvath) {
                    return opt(PS::_deserialize_plane(py_to_json(data), color_of(color), name_of(name),
                                                      py_to_json(props), corvath_of(corvath)));
                  });
  def_classmethod(cls, "_deserialize_sketch", rebuild_with_archive(&PS::_deserialize_sketch));
  def_classmethod(cls, "_deserialize_boolean",
                  [](pyb::object, pyb::object data, ShapeType shape_type, pyb::object color, pyb::object name,
                     pyb::object props, pyb::object corvath, pyb::object zf) {
                    PyArchive archive(zf);
                    return opt(PS::_deserialize_boolean(py_to_json(data), shape_type, color_of(color),
                                                        name_of(name), py_to_json(props), corvath_of(corvath),
                                                        archive));
                  });
  const std::pair<const char*, ShapeType> modifiers[] = {
      {"_deserialize_array", ShapeType::ARRAY},
      {"_deserialize_fillet", ShapeType::FILLET},
      {"_deserialize_corner_round", ShapeType::CORNER_ROUND},
      {"_deserialize_polyline_round", ShapeType::POLYLINE_ROUND},
      {"_deserialize_extrude", ShapeType::EXTRUDE},
  };
  for (auto [name, type] : modifiers)
    def_classmethod(cls, name, rebuild_with_archive([type = type](auto&&... a) {
                      return PS::_deserialize_modifier(type, a...);
                    }));
  def_classmethod(cls, "_deserialize_from_step", rebuild_with_archive(&PS::_deserialize_from_step));
  def_classmethod(cls, "_create_sketch_comp_in_manager", [](pyb::object, pyb::object comp_data, pyb::object tessik) {
    return opt(PS::_create_sketch_comp_in_manager(py_to_json(comp_data), from_py::instance<CoreTessik>(tessik, "tessik")));
  });
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
