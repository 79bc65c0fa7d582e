// Python face of the sketch plane service. Fandor can be subclassed: the
// frame operations are virtual and forward to a Python override, so a
// subclass's plane_local_axes changes every conversion and builder.
#include "nimbal_py/common.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/logging.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/records.hpp"

#include <string>
#include <vector>

#include "nimbal/models/quenby.hpp"
#include "nimbal/services/fandor.hpp"

namespace pyb = pybind11;
using nimbal::models::PlaneProperties;
using nimbal::services::AxisPair;
using nimbal::services::Fandor;
using nimbal::services::HostView;
using nimbal::services::Point2;
using nimbal::services::Point3;
using nimbal::services::PolylinePoint;
using nimbal::services::Vec3;
using nimbal::services::ViewCallError;

// Docstrings of the Python face.
namespace doc {

constexpr const char* module = R"(Sketch plane service: plane frames, plane-local coordinates and sketch elements.

_EPS: 1e-10, the length below which a vector counts as zero and a ray as
parallel to a plane. logger: "nimbal.services.fandor"; only
screen_to_plane_coords writes to it, at debug level.)";
constexpr const char* cls = R"(Plane frames, coordinate mapping and 2D element builders on a reference plane.

Stateless: every call reads the PlaneProperties record afresh, so one
instance serves any number of planes and callers. A subclass may override
plane_local_axes, local_to_world and world_to_local; every conversion and
builder goes through them. Plane-local points are (u, v) pairs; world
points are (x, y, z) in model units.)";
constexpr const char* init = "Creates the service; it takes no arguments and keeps no state.";
constexpr const char* plane_local_axes = R"(The plane's two in-plane unit axes.

Overridable; every conversion and builder of this service uses it. The
normal is used as stored (a unit normal is expected); u is world X (or
world Y when |normal_x| >= 0.9) made perpendicular to it, and v is
normal x u. Degenerate vectors fall back to world X and Y.

Args:
    plane_props: The PlaneProperties of the plane.

Returns:
    (u_axis, v_axis), two (x, y, z) tuples of floats.

Raises:
    TypeError: plane_props is not a PlaneProperties.)";
constexpr const char* local_to_world = R"(World point of a plane-local point.

Args:
    plane_props: The PlaneProperties of the plane.
    u: Plane-local u.
    v: Plane-local v.

Returns:
    (x, y, z): origin + u * u_axis + v * v_axis.

Raises:
    TypeError: an argument of the wrong type.)";
constexpr const char* world_to_local = R"(Plane-local coordinates of a world point's projection onto the plane.

The distance from the plane is dropped.

Args:
    plane_props: The PlaneProperties of the plane.
    x: World x.
    y: World y.
    z: World z.

Returns:
    (u, v) of the orthogonal projection.

Raises:
    TypeError: an argument of the wrong type.)";
constexpr const char* screen_to_plane_coords = R"(Plane-local point of the plane under a screen pixel.

Asks the view for the eye ray through the pixel (ConvertWithProj, or
Convert and Proj when that fails) and intersects the ray's whole line with
the plane, behind the eye point too.

Args:
    v3d_view: The host's kernel view, or any object with ConvertWithProj,
        Convert and Proj.
    plane_props: The PlaneProperties of the plane.
    px: Pixel x, truncated toward zero.
    py: Pixel y, truncated toward zero.

Returns:
    (u, v), or None when the view gives no ray (logged at debug level as
    "screen_to_plane_coords failed: ...") or the ray runs parallel to the
    plane.

Raises:
    TypeError: plane_props is not a PlaneProperties.)";
constexpr const char* create_rectangle_on_plane = R"(Rectangle on the plane with its bottom-left corner at (u, v).

It spans u to u + width along the u axis and v to v + height along the v
axis.

Args:
    plane_props: The PlaneProperties of the plane.
    u: Plane-local u of the corner.
    v: Plane-local v of the corner.
    width: Extent along the u axis.
    height: Extent along the v axis.
    filled: A face when true, else the closed outline wire of four edges.

Returns:
    A TopoDS_Face or TopoDS_Wire.

Raises:
    ValueError: a coordinate, size or the normal is not finite.
    nimbal.kernel.KernelError: the kernel cannot build it (e.g. a zero
        normal); a zero or negative size is not refused.)";
constexpr const char* create_circle_on_plane = R"(Circle on the plane centred at (u, v).

Its edge starts and ends at centre + radius * u_axis.

Args:
    plane_props: The PlaneProperties of the plane.
    u: Plane-local u of the centre.
    v: Plane-local v of the centre.
    radius: The radius.
    filled: A disk face when true, else the circle's wire.

Returns:
    A TopoDS_Face or TopoDS_Wire.

Raises:
    ValueError: a coordinate, the radius or the normal is not finite.
    nimbal.kernel.KernelError: the kernel cannot build it (e.g. radius 0
        or a zero normal).)";
constexpr const char* create_line_on_plane = R"(Wire of one straight edge from p1 to p2 on the plane.

Args:
    plane_props: The PlaneProperties of the plane.
    p1: Plane-local (u, v) start point.
    p2: Plane-local (u, v) end point.

Returns:
    A TopoDS_Wire, or None when the points coincide (within 1e-9, relative
    or absolute) or the kernel cannot make the edge.

Raises:
    TypeError: p1 or p2 is not a (u, v) pair of numbers.)";
constexpr const char* create_arc_on_plane = R"(Wire of the circular arc from start through mid to end on the plane.

Args:
    plane_props: The PlaneProperties of the plane.
    start: Plane-local (u, v) start point.
    mid: A plane-local point the arc passes through.
    end: Plane-local (u, v) end point.

Returns:
    A TopoDS_Wire, or None when a point is not a pair of numbers, the
    points are collinear or coincide, or the kernel fails.)";
constexpr const char* create_polyline_on_plane = R"(Wire through plane-local points, or the face it bounds.

Runs of consecutive repeated points (within 1e-9) collapse into one; a
point is compared with the last one kept only.

Args:
    plane_props: The PlaneProperties of the plane.
    points_uv: Iterable of plane-local (u, v) points.
    closed: Adds an edge from the last point back to the first, unless they
        coincide.
    filled: With closed, a face on the plane bounded by the wire (the wire
        itself when the face cannot be made).

Returns:
    A TopoDS_Wire or TopoDS_Face, or None when fewer than two points remain,
    a kept point is not exactly a (u, v) pair, or the wire cannot be made.

Raises:
    TypeError: a point whose coordinates must be compared is not readable
        as numbers.)";
constexpr const char* fuse_shapes = R"(Boolean union of two shapes.

Args:
    shape1: The first kernel shape.
    shape2: The second kernel shape.

Returns:
    The union, or None when an argument is not a non-null kernel shape or
    the kernel fails.)";
constexpr const char* cut_shapes = R"(Boolean difference: shape1 with shape2 removed from it.

Args:
    shape1: The kernel shape cut from.
    shape2: The kernel shape removed.

Returns:
    The difference, or None when an argument is not a non-null kernel shape
    or the kernel fails.)";
constexpr const char* unify_same_domain = R"(Merges the shape's coplanar faces and collinear edges.

Args:
    shape: A kernel shape.

Returns:
    The merged shape, or the very object passed when it is no kernel shape,
    is null or merging fails or changes nothing.)";
constexpr const char* up_vector_for_normal = R"(Up direction for a view looking straight along a plane normal.

World Z (or world Y when |nz| >= 0.9) made perpendicular to the normal;
the host hands it to the view's SetUp when it locks a view onto a plane.

Args:
    nx: Normal x.
    ny: Normal y.
    nz: Normal z.

Returns:
    A unit (x, y, z) tuple; (0, 1, 0) when the seed is parallel to the
    normal.)";

}  // namespace doc

namespace {

namespace from_py = nimbal::py::from_py;
using nimbal::py::passed_record;

class PyFandor : public Fandor {
 public:
  using Fandor::Fandor;

  AxisPair plane_local_axes(const PlaneProperties& plane) const override {
    {
      pyb::gil_scoped_acquire gil;
      pyb::function ov = pyb::get_override(static_cast<const Fandor*>(this), "plane_local_axes");
      if (ov) {
        try {
          return ov(passed_record(plane)).cast<AxisPair>();
        } catch (const pyb::cast_error&) {
          throw nimbal::WrongType("plane_local_axes must return a pair of (x, y, z) triples");
        }
      }
    }
    return Fandor::plane_local_axes(plane);
  }
  Point3 local_to_world(const PlaneProperties& plane, double u, double v) const override {
    {
      pyb::gil_scoped_acquire gil;
      pyb::function ov = pyb::get_override(static_cast<const Fandor*>(this), "local_to_world");
      if (ov) return ov(passed_record(plane), u, v).cast<Point3>();
    }
    return Fandor::local_to_world(plane, u, v);
  }
  Point2 world_to_local(const PlaneProperties& plane, double x, double y, double z) const override {
    {
      pyb::gil_scoped_acquire gil;
      pyb::function ov = pyb::get_override(static_cast<const Fandor*>(this), "world_to_local");
      if (ov) return ov(passed_record(plane), x, y, z).cast<Point2>();
    }
    return Fandor::world_to_local(plane, x, y, z);
  }
};

// Any Python object with ConvertWithProj, Convert and Proj. Errors of kind
// Exception (a missing method, a raising call, a result that does not
// unpack into numbers) become ViewCallError with the error's text; others
// (KeyboardInterrupt, ...) pass through untouched.
class PyObjectView : public HostView {
 public:
  explicit PyObjectView(pyb::handle view) : view_(view) {}

  std::array<double, 6> ConvertWithProj(int xp, int yp) override {
    return call<6>([&] { return view_.attr("ConvertWithProj")(xp, yp); });
  }
  Point3 Convert(int xp, int yp) override {
    return call<3>([&] { return view_.attr("Convert")(xp, yp); });
  }
  Vec3 Proj() override {
    return call<3>([&] { return view_.attr("Proj")(); });
  }

 private:
  template <std::size_t N, class F>
  std::array<double, N> call(F&& f) {
    try {
      return nimbal::services::unpack_view_result<N>(numbers(f(), N));
    } catch (pyb::error_already_set& e) {
      if (!e.matches(PyExc_Exception)) throw;
      throw ViewCallError(pyb::str(e.value()).cast<std::string>());
    }
  }

  // The numbers the result iterates over; reading stops one past `expected`,
  // as unpacking does.
  static std::vector<double> numbers(const pyb::object& result, std::size_t expected) {
    PyObject* it = PyObject_GetIter(result.ptr());
    if (!it) {
      PyErr_Clear();
      throw ViewCallError("cannot unpack non-iterable " + nimbal::py::type_name(result) + " object");
    }
    auto iter = pyb::reinterpret_steal<pyb::object>(it);
    std::vector<double> out;
    while (PyObject* raw = PyIter_Next(iter.ptr())) {
      auto item = pyb::reinterpret_steal<pyb::object>(raw);
      if (out.size() == expected) {  // one too many is refused unread
        out.push_back(0.0);
        break;
      }
      double d = 0.0;
      if (!nimbal::py::as_double(item, d))
        throw ViewCallError("view result holds a " + nimbal::py::type_name(item) + ", not a number");
      out.push_back(d);
    }
    if (PyErr_Occurred()) throw pyb::error_already_set();
    return out;
  }

  pyb::handle view_;
};

// A plane-local point as given: items 0 and 1 where they are numbers.
PolylinePoint given_point(pyb::handle p) {
  PolylinePoint out;
  out.is_pair = false;
  out.given_type = nimbal::py::type_name(p);
  if (!PySequence_Check(p.ptr()) || PyUnicode_Check(p.ptr()) || PyBytes_Check(p.ptr())) return out;
  for (Py_ssize_t i = 0; i < 2; ++i) {
    auto item = pyb::reinterpret_steal<pyb::object>(PySequence_GetItem(p.ptr(), i));
    double d = 0.0;
    if (item && nimbal::py::as_double(item, d))
      (i == 0 ? out.u : out.v) = d;
    else
      PyErr_Clear();
  }
  const Py_ssize_t n = PySequence_Size(p.ptr());
  if (n < 0) PyErr_Clear();
  out.is_pair = out.u && out.v && n == 2;
  return out;
}

// What is no kernel shape reads as the null shape, which the booleans
// answer with none.
TopoDS_Shape shape_or_null(pyb::handle v) {
  return pyb::isinstance<TopoDS_Shape>(v) ? v.cast<TopoDS_Shape>() : TopoDS_Shape();
}

using namespace nimbal::py::typing;
NIMBAL_PY_NAME(point2_or_none_name, "tuple[float, float] | None");
NIMBAL_PY_NAME(polyline_points_name, "typing.Iterable[typing.Sequence[float]]");

}  // namespace

PYBIND11_MODULE(fandor, m) {
  m.doc() = doc::module;
  nimbal::py::register_core_errors();
  nimbal::py::install_log_sink();
  nimbal::py::import_kernel();
  pyb::module_::import("nimbal.models.quenby");

  m.attr("_EPS") = nimbal::services::kEps;
  m.attr("logger") = pyb::module_::import("logging").attr("getLogger")("nimbal.services.fandor");

  pyb::class_<Fandor, PyFandor, std::shared_ptr<Fandor>> cls(
      m, "Fandor", doc::cls);
  cls.def(pyb::init<>(), doc::init);
  cls.def("plane_local_axes", &Fandor::plane_local_axes, pyb::arg("plane_props"),
          doc::plane_local_axes);
  cls.def("local_to_world", &Fandor::local_to_world, pyb::arg("plane_props"), pyb::arg("u"),
          pyb::arg("v"), doc::local_to_world);
  cls.def("world_to_local", &Fandor::world_to_local, pyb::arg("plane_props"), pyb::arg("x"),
          pyb::arg("y"), pyb::arg("z"), doc::world_to_local);
  cls.def(
      "screen_to_plane_coords",
      [](const Fandor& self, typed<view_name> view, const PlaneProperties& plane, double px,
         double py) -> typed<point2_or_none_name> {
        PyObjectView adapter(view);
        auto uv = self.screen_to_plane_coords(adapter, plane, px, py);
        if (!uv) return pyb::none();
        return pyb::cast(*uv);
      },
      pyb::arg("v3d_view"), pyb::arg("plane_props"), pyb::arg("px"), pyb::arg("py"),
      doc::screen_to_plane_coords);
  cls.def(
      "create_rectangle_on_plane",
      [](const Fandor& self, const PlaneProperties& plane, double u, double v, double width,
         double height, bool_arg filled) {
        return self.create_rectangle_on_plane(plane, u, v, width, height, from_py::truth(filled, "filled"));
      },
      pyb::arg("plane_props"), pyb::arg("u"), pyb::arg("v"), pyb::arg("width"), pyb::arg("height"),
      pyb::arg("filled") = true, doc::create_rectangle_on_plane);
  cls.def(
      "create_circle_on_plane",
      [](const Fandor& self, const PlaneProperties& plane, double u, double v, double radius,
         bool_arg filled) {
        return self.create_circle_on_plane(plane, u, v, radius, from_py::truth(filled, "filled"));
      },
      pyb::arg("plane_props"), pyb::arg("u"), pyb::arg("v"), pyb::arg("radius"),
      pyb::arg("filled") = true, doc::create_circle_on_plane);
  cls.def(
      "create_line_on_plane",
      [](const Fandor& self, const PlaneProperties& plane, typed<point2_name> p1, typed<point2_name> p2) {
        return nimbal::py::shape_or_none(self.create_line_on_plane(plane, given_point(p1), given_point(p2)));
      },
      pyb::arg("plane_props"), pyb::arg("p1"), pyb::arg("p2"), doc::create_line_on_plane);
  cls.def(
      "create_arc_on_plane",
      [](const Fandor& self, const PlaneProperties& plane, typed<point2_name> start, typed<point2_name> mid,
         typed<point2_name> end) {
        return nimbal::py::shape_or_none(
            self.create_arc_on_plane(plane, given_point(start), given_point(mid), given_point(end)));
      },
      pyb::arg("plane_props"), pyb::arg("start"), pyb::arg("mid"), pyb::arg("end"), doc::create_arc_on_plane);
  cls.def(
      "create_polyline_on_plane",
      [](const Fandor& self, const PlaneProperties& plane, typed<polyline_points_name> points, bool_arg closed,
         bool_arg filled) {
        std::vector<PolylinePoint> pts;
        for (pyb::handle p : pyb::iter(points)) pts.push_back(given_point(p));
        return nimbal::py::shape_or_none(self.create_polyline_on_plane(
            plane, pts, from_py::truth(closed, "closed"), from_py::truth(filled, "filled")));
      },
      pyb::arg("plane_props"), pyb::arg("points_uv"), pyb::arg("closed") = false,
      pyb::arg("filled") = false, doc::create_polyline_on_plane);
  cls.def_static(
      "fuse_shapes",
      [](typed<shape_name> a, typed<shape_name> b) {
        return nimbal::py::shape_or_none(Fandor::fuse_shapes(shape_or_null(a), shape_or_null(b)));
      },
      pyb::arg("shape1"), pyb::arg("shape2"), doc::fuse_shapes);
  cls.def_static(
      "cut_shapes",
      [](typed<shape_name> a, typed<shape_name> b) {
        return nimbal::py::shape_or_none(Fandor::cut_shapes(shape_or_null(a), shape_or_null(b)));
      },
      pyb::arg("shape1"), pyb::arg("shape2"), doc::cut_shapes);
  cls.def_static(
      "unify_same_domain",
      [](typed<shape_name> shape) -> typed<shape_name> {
        const TopoDS_Shape in = shape_or_null(shape);
        const TopoDS_Shape out = Fandor::unify_same_domain(in);
        if (out.IsEqual(in)) return shape;  // unchanged or failed: the very input
        return pyb::cast(out);
      },
      pyb::arg("shape"), doc::unify_same_domain);
  cls.def("up_vector_for_normal", &Fandor::up_vector_for_normal, pyb::arg("nx"), pyb::arg("ny"),
          pyb::arg("nz"), doc::up_vector_for_normal);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
