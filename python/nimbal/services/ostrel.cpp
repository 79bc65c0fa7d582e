// Python face of the sketch grid. snap and _build_grid_compound forward to a
// Python subclass's overrides, so snap_point and the grid builders use them.
#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/service_module.hpp"

#include <memory>

#include "nimbal/models/quenby.hpp"
#include "nimbal/services/fandor.hpp"
#include "nimbal/services/ostrel.hpp"

#include "ostrel_docs.hpp"

namespace pyb = pybind11;
using nimbal::models::PlaneProperties;
using nimbal::services::Fandor;
using nimbal::services::Ostrel;

namespace doc = nimbal::py::ostrel::doc;

namespace {

class PyOstrel : public Ostrel {
 public:
  using Ostrel::Ostrel;

  double snap(double coord, double spacing) const override {
    PYBIND11_OVERRIDE(double, Ostrel, snap, coord, spacing);
  }
  TopoDS_Compound build_grid_compound(const PlaneProperties& plane, double spacing,
                                      double extent) const override {
    NIMBAL_RECORD_OVERRIDE(TopoDS_Compound, Ostrel, "_build_grid_compound", build_grid_compound, plane, spacing,
                           extent);
  }
};

}  // namespace

using namespace nimbal::py::typing;
NIMBAL_PY_NAME(fandor_or_none_name, "nimbal.services.fandor.Fandor | None");

PYBIND11_MODULE(ostrel, m) {
  nimbal::py::begin_service_module(m, doc::module, {"nimbal.models.quenby", "nimbal.services.fandor"});

  pyb::register_local_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const nimbal::services::OverflowError& e) {
      PyErr_SetString(PyExc_OverflowError, e.what());
    }
  });

  m.attr("_DEFAULT_EXTENT") = nimbal::services::kDefaultExtent;
  m.attr("_DEFAULT_MAJOR_FACTOR") = nimbal::services::kDefaultMajorFactor;
  m.attr("_MAX_LINES_PER_AXIS") = nimbal::services::kMaxLinesPerAxis;

  pyb::class_<Ostrel, PyOstrel, std::shared_ptr<Ostrel>> cls(
      m, "Ostrel", doc::cls);
  nimbal::py::def(cls, "__init__", [](typed<fandor_or_none_name> fandor) {
    // Any false value (None included) means a service of our own.
    std::shared_ptr<Fandor> f;
    if (nimbal::py::from_py::truth(fandor, "fandor")) {
      if (!pyb::isinstance<Fandor>(fandor)) throw Ostrel::not_a_fandor(nimbal::py::type_name(fandor));
      f = fandor.cast<std::shared_ptr<Fandor>>();
    }
    return std::make_shared<PyOstrel>(std::move(f));
  }, nimbal::py::as_constructor, pyb::arg("fandor") = pyb::none(), pyb::keep_alive<1, 2>(), doc::init);
  cls.def_property_readonly("_fandor", &Ostrel::fandor, doc::fandor);
  nimbal::py::def(cls, "snap", &Ostrel::snap, pyb::arg("coord"), pyb::arg("spacing"),
          doc::snap);
  nimbal::py::def(cls, "snap_point", &Ostrel::snap_point, pyb::arg("u"), pyb::arg("v"), pyb::arg("spacing"),
          doc::snap_point);
  nimbal::py::def(cls, "create_minor_grid", &Ostrel::create_minor_grid, pyb::arg("plane_props"),
          pyb::arg("spacing"), pyb::arg("extent") = nimbal::services::kDefaultExtent,
          doc::create_minor_grid);
  nimbal::py::def(cls, "create_major_grid", &Ostrel::create_major_grid, pyb::arg("plane_props"),
          pyb::arg("spacing"), pyb::arg("major_factor") = nimbal::services::kDefaultMajorFactor,
          pyb::arg("extent") = nimbal::services::kDefaultExtent,
          doc::create_major_grid);
  nimbal::py::def(cls, "_build_grid_compound", &Ostrel::build_grid_compound, pyb::arg("plane_props"),
          pyb::arg("spacing"), pyb::arg("extent"),
          doc::build_grid_compound);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
