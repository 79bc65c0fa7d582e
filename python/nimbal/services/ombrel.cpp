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

template <class T>
struct tag {};
template <class T>
using ref = std::reference_wrapper<T>;

// The private class methods' arguments, read by the core parameter's type
// (the parameter's name words a refusal); the container is read when the
// core asks.
Json read(pyb::handle v, tag<Json>) { return py_to_json(v); }
Color read(pyb::handle v, tag<Color>) { return from_py::point<3>(v, "color"); }
using Name = std::optional<std::string>;
Name read(pyb::handle v, tag<Name>) { return from_py::text_or_none(v, "name"); }
ref<CoreCorvath> read(pyb::handle v, tag<CoreCorvath>) { return from_py::instance<CoreCorvath>(v, "corvath"); }
ref<ManagedShape> read(pyb::handle v, tag<ManagedShape>) { return from_py::instance<ManagedShape>(v, "managed_shape"); }
ref<CoreTessik> read(pyb::handle v, tag<CoreTessik>) { return from_py::instance<CoreTessik>(v, "tessik"); }
PyArchive read(pyb::handle v, tag<ProjectArchive>) { return PyArchive(pyb::reinterpret_borrow<pyb::object>(v)); }
ShapeType read(ShapeType t, tag<ShapeType>) { return t; }

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

template <class F, class... Extra>
void def_classmethod(pyb::object& cls, const char* name, F&& f, const Extra&... extra) {
  nimbal::py::set_classmethod(cls, name,
                              pyb::cpp_function(std::forward<F>(f), pyb::name(name), pyb::is_method(pyb::none()), extra...));
}

// What a private class method takes for core parameter type P: any object,
// or a member the signature names.
template <class P>
using raw_t = std::conditional_t<std::is_enum_v<P>, P, pyb::object>;

// A private class method that reads the core parameters P (in order) and
// answers f's id, or None.
template <class... P, class F>
void def_rebuild(pyb::object& cls, const char* name, F f) {
  def_classmethod(cls, name, [f](pyb::object, raw_t<P>... raw) {
    std::tuple<decltype(read(raw, tag<P>{}))...> args{read(raw, tag<P>{})...};
    return opt(std::apply(f, args));
  });
}
// The same for a core function that takes just those parameters.
template <class R, class... A>
void def_rebuild(pyb::object& cls, const char* name, R (*f)(A...)) {
  def_rebuild<std::decay_t<A>...>(cls, name, [f](auto&... a) { return f(a...); });
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
      CoreCorvath& cv = read(corvath, tag<CoreCorvath>{});
      Json version = py_to_json(klass.attr("FORMAT_VERSION"));
      return PS::save_project(path, cv, version);
    });
  }, pyb::arg("filepath"), pyb::arg("corvath"), doc::save_project);
  def_classmethod(cls, "load_project", [](pyb::object, typed<path_name> filepath, typed<corvath_name> corvath) {
    return guarded_entry(false, filepath, [&](const std::string& path) {
      return PS::load_project(path, read(corvath, tag<CoreCorvath>{}));
    });
  }, pyb::arg("filepath"), pyb::arg("corvath"), doc::load_project);
  def_classmethod(cls, "_serialize_managed_shape",
                  [](pyb::object, pyb::object managed_shape, pyb::dict step_files, pyb::object corvath) {
                    auto store = [&](const std::string& entry, std::string bytes) {
                      step_files[pyb::str(entry)] = pyb::bytes(bytes);
                    };
                    return json_to_py(PS::_serialize_managed_shape(read(managed_shape, tag<ManagedShape>{}), store,
                                                                   read(corvath, tag<CoreCorvath>{})));
                  });
  def_classmethod(cls, "_export_shape_to_bytes", [](pyb::object, pyb::object managed_shape, pyb::object corvath) {
    std::optional<std::string> bytes =
        PS::_export_shape_to_bytes(read(managed_shape, tag<ManagedShape>{}), read(corvath, tag<CoreCorvath>{}));
    return bytes ? pyb::object(pyb::bytes(*bytes)) : pyb::none();
  });
  // Past the host's arguments, the core's nesting depth starts at its default.
  def_rebuild<Json, CoreCorvath, ProjectArchive>(cls, "_deserialize_shape",
                                                  [](auto&... a) { return PS::_deserialize_shape(a...); });
  def_rebuild(cls, "_deserialize_plane", &PS::_deserialize_plane);
  def_rebuild(cls, "_deserialize_sketch", &PS::_deserialize_sketch);
  def_rebuild<Json, ShapeType, Color, Name, Json, CoreCorvath, ProjectArchive>(
      cls, "_deserialize_boolean", [](auto&... a) { return PS::_deserialize_boolean(a...); });
  const std::pair<const char*, ShapeType> modifiers[] = {
      {"_deserialize_array", ShapeType::ARRAY},
      {"_deserialize_fillet", ShapeType::FILLET},
      {"_deserialize_corner_round", ShapeType::CORNER_ROUND},
      {"_deserialize_polyline_round", ShapeType::POLYLINE_ROUND},
      {"_deserialize_extrude", ShapeType::EXTRUDE},
  };
  for (auto [name, type] : modifiers)
    def_rebuild<Json, Color, Name, Json, CoreCorvath, ProjectArchive>(
        cls, name, [type = type](auto&... a) { return PS::_deserialize_modifier(type, a...); });
  def_rebuild(cls, "_deserialize_from_step", &PS::_deserialize_from_step);
  def_rebuild<Json, CoreTessik>(cls, "_create_sketch_comp_in_manager",
                                [](auto&... a) { return PS::_create_sketch_comp_in_manager(a...); });
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
