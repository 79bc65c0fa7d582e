// A sketch plane service given from Python, seen from C++.
#include "tessik_bind.hpp"

#include "nimbal_py/forwarding.hpp"

namespace nimbal::py::forwarding {

// The manager's arguments as a sketch plane service is given them.
template <>
pyb::object py_arg(const managers::PlanePtr& plane) {
  return pyb::cast(std::static_pointer_cast<models::Quenby>(plane));
}
template <>
pyb::object py_arg(const std::vector<services::PolylinePoint>& points) {
  pyb::list pts;
  for (const services::Point2& p : managers::polyline_pairs(points)) pts.append(pyb::make_tuple(p[0], p[1]));
  return std::move(pts);
}

}  // namespace nimbal::py::forwarding

namespace nimbal::py::tessik {

using forwarding::Keyword;
using managers::FandorService;
using managers::PlanePtr;
using managers::SketchPlaneService;
using services::Fandor;
using services::Point2;
using services::PolylinePoint;

namespace {

// Calls every operation on the Python object by name, with the arguments the
// manager's own calls give (flags by keyword).
class PyObjectService : public SketchPlaneService {
 public:
  explicit PyObjectService(pyb::object obj) : obj_(std::move(obj)) {}

  TopoDS_Shape create_rectangle_on_plane(const PlanePtr& plane, double u, double v, double width, double height,
                                         bool filled) override {
    return call("create_rectangle_on_plane", plane, u, v, width, height, Keyword{"filled", filled});
  }
  TopoDS_Shape create_circle_on_plane(const PlanePtr& plane, double u, double v, double radius,
                                      bool filled) override {
    return call("create_circle_on_plane", plane, u, v, radius, Keyword{"filled", filled});
  }
  TopoDS_Shape create_line_on_plane(const PlanePtr& plane, const Point2& p1, const Point2& p2) override {
    return call("create_line_on_plane", plane, p1, p2);
  }
  TopoDS_Shape create_arc_on_plane(const PlanePtr& plane, const Point2& start, const Point2& mid,
                                   const Point2& end) override {
    return call("create_arc_on_plane", plane, start, mid, end);
  }
  TopoDS_Shape create_polyline_on_plane(const PlanePtr& plane, const std::vector<PolylinePoint>& points, bool closed,
                                        bool filled) override {
    return call("create_polyline_on_plane", plane, points, Keyword{"closed", closed}, Keyword{"filled", filled});
  }
  TopoDS_Shape fuse_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) override { return call("fuse_shapes", a, b); }
  TopoDS_Shape cut_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) override { return call("cut_shapes", a, b); }
  TopoDS_Shape unify_same_domain(const TopoDS_Shape& shape) override { return call("unify_same_domain", shape); }

 private:
  template <class... A>
  TopoDS_Shape call(const char* op, const A&... args) {
    pyb::gil_scoped_acquire gil;
    // the same answers as the kernel service's
    return forwarding::answer<TopoDS_Shape>(obj_.attr(op), op, args...);
  }

  forwarding::Held obj_;
};

}  // namespace

std::shared_ptr<SketchPlaneService> sketch_service_from(pyb::handle fandor) {
  auto service = pyb::reinterpret_borrow<pyb::object>(fandor);
  if (auto impl = forwarding::bound_object<Fandor>(service, true)) return std::make_shared<FandorService>(impl);
  return std::make_shared<PyObjectService>(std::move(service));
}

}  // namespace nimbal::py::tessik
