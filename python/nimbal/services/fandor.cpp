// Python face of the sketch plane service. Fandor can be subclassed: the
// frame operations are virtual and forward to a Python override, so a
// subclass's plane_local_axes changes every conversion and builder.
#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/service_module.hpp"

#include <string>
#include <vector>

#include "nimbal/models/quenby.hpp"
#include "nimbal/services/fandor.hpp"

#include "fandor_docs.hpp"

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

namespace doc = nimbal::py::fandor::doc;

namespace {

class PyFandor : public Fandor {
 public:
  using Fandor::Fandor;

  AxisPair plane_local_axes(const PlaneProperties& plane) const override {
    try {
      NIMBAL_RECORD_OVERRIDE(AxisPair, Fandor, "plane_local_axes", plane_local_axes, plane);
    } catch (const pyb::cast_error&) {
      throw nimbal::services::bad_local_axes();
    }
  }
  Point3 local_to_world(const PlaneProperties& plane, double u, double v) const override {
    NIMBAL_RECORD_OVERRIDE(Point3, Fandor, "local_to_world", local_to_world, plane, u, v);
  }
  Point2 world_to_local(const PlaneProperties& plane, double x, double y, double z) const override {
    NIMBAL_RECORD_OVERRIDE(Point2, Fandor, "world_to_local", world_to_local, plane, x, y, z);
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
      throw nimbal::services::view_result_not_iterable(nimbal::py::type_name(result));
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
        throw nimbal::services::view_result_not_a_number(nimbal::py::type_name(item));
      out.push_back(d);
    }
    if (PyErr_Occurred()) throw pyb::error_already_set();
    return out;
  }

  pyb::handle view_;
};

}  // namespace

namespace nimbal::py::convert {

// The host's view as the core asks it, for the length of a call.
inline PyObjectView value(pyb::handle v, tag<PyObjectView>, std::string_view) { return PyObjectView(v); }
template <>
struct arg_name<PyObjectView> : typing::view_name {};

// A plane-local point as given: items 0 and 1 where they are numbers.
PolylinePoint value(pyb::handle p, tag<PolylinePoint>, std::string_view) {
  PolylinePoint out;
  out.is_pair = false;
  out.given_type = type_name(p);
  if (!PySequence_Check(p.ptr()) || PyUnicode_Check(p.ptr()) || PyBytes_Check(p.ptr())) return out;
  for (Py_ssize_t i = 0; i < 2; ++i) {
    auto item = pyb::reinterpret_steal<pyb::object>(PySequence_GetItem(p.ptr(), i));
    double d = 0.0;
    if (item && as_double(item, d))
      (i == 0 ? out.u : out.v) = d;
    else
      PyErr_Clear();
  }
  const Py_ssize_t n = PySequence_Size(p.ptr());
  if (n < 0) PyErr_Clear();
  out.is_pair = out.u && out.v && n == 2;
  return out;
}

std::vector<PolylinePoint> value(pyb::handle points, tag<std::vector<PolylinePoint>>, std::string_view what) {
  std::vector<PolylinePoint> out;
  for (pyb::handle p : pyb::iter(points)) out.push_back(value(p, tag<PolylinePoint>{}, what));
  return out;
}

template <>
struct arg_name<PolylinePoint> : typing::point2_name {};
NIMBAL_PY_NAME(polyline_points_name, "typing.Iterable[typing.Sequence[float]]");
template <>
struct arg_name<std::vector<PolylinePoint>> : polyline_points_name {};


}  // namespace nimbal::py::convert

namespace {

using nimbal::HostValue;
using LineFromGiven = TopoDS_Shape (Fandor::*)(const PlaneProperties&, const PolylinePoint&,
                                               const PolylinePoint&) const;
using ArcFromGiven = TopoDS_Shape (Fandor::*)(const PlaneProperties&, const PolylinePoint&,
                                              const PolylinePoint&, const PolylinePoint&) const;
using BooleanOfGiven = TopoDS_Shape (*)(const nimbal::MaybeShape&, const nimbal::MaybeShape&);

using namespace nimbal::py::typing;
using nimbal::py::as_static;
using nimbal::py::def;
NIMBAL_PY_NAME(point2_or_none_name, "tuple[float, float] | None");

}  // namespace

PYBIND11_MODULE(fandor, m) {
  nimbal::py::begin_service_module(m, doc::module, {"nimbal.models.quenby"});

  m.attr("_EPS") = nimbal::services::kEps;
  m.attr("logger") = pyb::module_::import("logging").attr("getLogger")("nimbal.services.fandor");

  pyb::class_<Fandor, PyFandor, std::shared_ptr<Fandor>> cls(
      m, "Fandor", doc::cls);
  def(cls, "__init__", nimbal::py::made<Fandor>, nimbal::py::as_constructor,
      nimbal::py::trampoline(nimbal::py::made<PyFandor>), doc::init);
  def(cls, "plane_local_axes", &Fandor::plane_local_axes, pyb::arg("plane_props"), doc::plane_local_axes);
  def(cls, "local_to_world", &Fandor::local_to_world, pyb::arg("plane_props"), pyb::arg("u"), pyb::arg("v"),
      doc::local_to_world);
  def(cls, "world_to_local", &Fandor::world_to_local, pyb::arg("plane_props"), pyb::arg("x"), pyb::arg("y"),
      pyb::arg("z"), doc::world_to_local);
  def(
      cls, "screen_to_plane_coords",
      [](const Fandor& self, PyObjectView view, const PlaneProperties& plane, double px,
         double py) -> typed<point2_or_none_name> {
        return nimbal::py::convert::result(self.screen_to_plane_coords(view, plane, px, py));
      },
      pyb::arg("v3d_view"), pyb::arg("plane_props"), pyb::arg("px"), pyb::arg("py"), doc::screen_to_plane_coords);
  def(cls, "create_rectangle_on_plane", &Fandor::create_rectangle_on_plane, pyb::arg("plane_props"), pyb::arg("u"),
      pyb::arg("v"), pyb::arg("width"), pyb::arg("height"), pyb::arg("filled") = true,
      doc::create_rectangle_on_plane);
  def(cls, "create_circle_on_plane", &Fandor::create_circle_on_plane, pyb::arg("plane_props"), pyb::arg("u"),
      pyb::arg("v"), pyb::arg("radius"), pyb::arg("filled") = true, doc::create_circle_on_plane);
  def(cls, "create_line_on_plane", LineFromGiven{&Fandor::create_line_on_plane}, pyb::arg("plane_props"),
      pyb::arg("p1"), pyb::arg("p2"), doc::create_line_on_plane);
  def(cls, "create_arc_on_plane", ArcFromGiven{&Fandor::create_arc_on_plane}, pyb::arg("plane_props"),
      pyb::arg("start"), pyb::arg("mid"), pyb::arg("end"), doc::create_arc_on_plane);
  def(cls, "create_polyline_on_plane", &Fandor::create_polyline_on_plane, pyb::arg("plane_props"),
      pyb::arg("points_uv"), pyb::arg("closed") = false, pyb::arg("filled") = false, doc::create_polyline_on_plane);
  def(cls, "fuse_shapes", BooleanOfGiven{&Fandor::fuse_shapes}, as_static, pyb::arg("shape1"), pyb::arg("shape2"),
      doc::fuse_shapes);
  def(cls, "cut_shapes", BooleanOfGiven{&Fandor::cut_shapes}, as_static, pyb::arg("shape1"), pyb::arg("shape2"),
      doc::cut_shapes);
  def(
      cls, "unify_same_domain",
      [](const nimbal::py::GivenValue<TopoDS_Shape, nimbal::MaybeShape>& shape) -> typed<shape_name> {
        auto out = Fandor::unify_same_domain(shape);
        return out ? pyb::cast(*out) : shape.object;  // unchanged or failed: the very input
      },
      as_static, pyb::arg("shape"), doc::unify_same_domain);
  def(cls, "up_vector_for_normal", &Fandor::up_vector_for_normal, pyb::arg("nx"), pyb::arg("ny"), pyb::arg("nz"),
      doc::up_vector_for_normal);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
