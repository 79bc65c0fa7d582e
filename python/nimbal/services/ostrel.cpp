// Python face of the sketch grid. snap and _build_grid_compound forward to a
// Python subclass's overrides, so snap_point and the grid builders use them.
#include "nimbal_py/common.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/records.hpp"

#include <memory>

#include "nimbal/models/quenby.hpp"
#include "nimbal/services/fandor.hpp"
#include "nimbal/services/ostrel.hpp"

namespace pyb = pybind11;
using nimbal::models::PlaneProperties;
using nimbal::services::Fandor;
using nimbal::services::Ostrel;

// Docstrings of the Python face.
namespace doc {

constexpr const char* module = R"(Sketch grid: snapping to a grid and grid line compounds on a plane.

_DEFAULT_EXTENT: 500.0, the default half-length of grid lines.
_DEFAULT_MAJOR_FACTOR: 5, the default spacing multiple of the major grid.
_MAX_LINES_PER_AXIS: 2000, the cap on grid positions on each side of the
origin.)";
constexpr const char* cls = R"(Snapping of plane-local points to a square grid, and grid line compounds.

Keeps no state but the sketch plane service that gives a plane's axes;
logs nothing and catches nothing. A subclass may override snap and
_build_grid_compound; snap_point and the two grid operations go through
them.)";
constexpr const char* init = R"(Creates the grid service.

Args:
    fandor: The Fandor whose plane_local_axes gives the grid's axes; any
        false value (None by default) gives a new Fandor.

Raises:
    TypeError: fandor is true but not a Fandor.)";
constexpr const char* fandor = "The sketch plane service giving the plane axes (read-only).";
constexpr const char* snap = R"(Rounds a coordinate to the nearest multiple of the spacing.

Overridable; snap_point uses it. Ties go to the even multiple (2.5 with
spacing 1 gives 2.0).

Args:
    coord: The plane-local coordinate.
    spacing: The grid spacing.

Returns:
    The snapped coordinate, or coord unchanged when spacing <= 0.

Raises:
    ValueError: coord / spacing is NaN.
    OverflowError: coord / spacing is infinite.)";
constexpr const char* snap_point = R"(Snaps both coordinates of a plane-local point through snap.

Args:
    u: Plane-local u.
    v: Plane-local v.
    spacing: The grid spacing.

Returns:
    (u, v) snapped; unchanged when spacing <= 0.

Raises:
    ValueError, OverflowError: as snap.)";
constexpr const char* create_minor_grid = R"(Grid lines on the plane at the spacing.

Args:
    plane_props: The PlaneProperties of the plane.
    spacing: The distance between neighbouring lines.
    extent: Half-length of every line, and the reach of the positions
        (rounded up to whole spacings, at most 2000 on each side).

Returns:
    A new TopoDS_Compound of edges, built by _build_grid_compound: lines of
    constant u, then of constant v; a null compound when spacing <= 0.

Raises:
    ValueError, OverflowError: extent / spacing is not a finite number, or
        a line end is not finite.
    nimbal.kernel.KernelError: the lines are too short for the kernel (e.g.
        extent 0).)";
constexpr const char* create_major_grid = R"(Grid lines on the plane at spacing * major_factor.

Args:
    plane_props: The PlaneProperties of the plane.
    spacing: The minor grid spacing.
    major_factor: The multiple of the spacing between major lines.
    extent: Half-length of every line.

Returns:
    A new TopoDS_Compound of edges, built by _build_grid_compound; a null
    compound when spacing * major_factor <= 0.

Raises:
    ValueError, OverflowError: as create_minor_grid.
    nimbal.kernel.KernelError: as create_minor_grid.)";
constexpr const char* build_grid_compound = R"(Builds the grid line compound of one spacing.

Overridable; both grid operations call it. Positions are k * spacing for
k from -n to n, n being extent / spacing rounded up and capped at 2000.
Lines of constant u come first (u ascending), then lines of constant v;
each runs from -extent to +extent along the other axis.

Args:
    plane_props: The PlaneProperties of the plane.
    spacing: The distance between neighbouring lines.
    extent: Half-length of every line.

Returns:
    A new TopoDS_Compound of 2 * (2n + 1) edges; a null compound when
    spacing <= 0; an empty one when extent <= -spacing.

Raises:
    ValueError, OverflowError: extent / spacing is not a finite number, or
        a line end is not finite.
    nimbal.kernel.KernelError: the lines are too short for the kernel (e.g.
        extent 0).)";

}  // namespace doc

namespace {

using nimbal::py::passed_record;

class PyOstrel : public Ostrel {
 public:
  using Ostrel::Ostrel;

  double snap(double coord, double spacing) const override {
    PYBIND11_OVERRIDE(double, Ostrel, snap, coord, spacing);
  }
  TopoDS_Compound build_grid_compound(const PlaneProperties& plane, double spacing,
                                      double extent) const override {
    {
      pyb::gil_scoped_acquire gil;
      pyb::function ov =
          pyb::get_override(static_cast<const Ostrel*>(this), "_build_grid_compound");
      if (ov) return ov(passed_record(plane), spacing, extent).cast<TopoDS_Compound>();
    }
    return Ostrel::build_grid_compound(plane, spacing, extent);
  }
};

}  // namespace

using namespace nimbal::py::typing;
NIMBAL_PY_NAME(fandor_or_none_name, "nimbal.services.fandor.Fandor | None");

PYBIND11_MODULE(ostrel, m) {
  m.doc() = doc::module;
  nimbal::py::register_core_errors();
  nimbal::py::import_kernel();
  pyb::module_::import("nimbal.models.quenby");
  pyb::module_::import("nimbal.services.fandor");

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
  cls.def(pyb::init([](typed<fandor_or_none_name> fandor) {
            // Any false value (None included) means a service of our own.
            std::shared_ptr<Fandor> f;
            if (nimbal::py::from_py::truth(fandor, "fandor")) {
              if (!pyb::isinstance<Fandor>(fandor))
                throw nimbal::WrongType("fandor must be a Fandor, not " + nimbal::py::type_name(fandor));
              f = fandor.cast<std::shared_ptr<Fandor>>();
            }
            return std::make_shared<PyOstrel>(std::move(f));
          }),
          pyb::arg("fandor") = pyb::none(), pyb::keep_alive<1, 2>(), doc::init);
  cls.def_property_readonly("_fandor", &Ostrel::fandor, doc::fandor);
  cls.def("snap", &Ostrel::snap, pyb::arg("coord"), pyb::arg("spacing"),
          doc::snap);
  cls.def("snap_point", &Ostrel::snap_point, pyb::arg("u"), pyb::arg("v"), pyb::arg("spacing"),
          doc::snap_point);
  cls.def("create_minor_grid", &Ostrel::create_minor_grid, pyb::arg("plane_props"),
          pyb::arg("spacing"), pyb::arg("extent") = nimbal::services::kDefaultExtent,
          doc::create_minor_grid);
  cls.def("create_major_grid", &Ostrel::create_major_grid, pyb::arg("plane_props"),
          pyb::arg("spacing"), pyb::arg("major_factor") = nimbal::services::kDefaultMajorFactor,
          pyb::arg("extent") = nimbal::services::kDefaultExtent,
          doc::create_major_grid);
  cls.def("_build_grid_compound", &Ostrel::build_grid_compound, pyb::arg("plane_props"),
          pyb::arg("spacing"), pyb::arg("extent"),
          doc::build_grid_compound);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
