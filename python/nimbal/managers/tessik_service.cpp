// A sketch plane service given from Python, seen from C++.
#include "tessik_bind.hpp"

#include <string>

namespace nimbal::py::tessik {

using managers::FandorService;
using managers::PlanePtr;
using managers::SketchPlaneService;
using services::Fandor;
using services::Point2;
using services::PolylinePoint;

namespace {

TopoDS_Shape shape_result(pyb::handle value, const char* op) {
  if (value.is_none()) return TopoDS_Shape();
  if (!pyb::isinstance<TopoDS_Shape>(value))
    throw nimbal::WrongType(std::string(op) + " returned " + type_name(value) + ", expected a TopoDS_Shape or None");
  return value.cast<TopoDS_Shape>();
}

pyb::object plane_arg(const PlanePtr& plane) { return pyb::cast(std::static_pointer_cast<models::Quenby>(plane)); }

// Calls every operation on the Python object by name, with the arguments the
// manager's own calls give (flags by keyword).
class PyObjectService : public SketchPlaneService {
 public:
  explicit PyObjectService(pyb::object obj) : obj_(std::move(obj)) {}
  ~PyObjectService() override {
    pyb::gil_scoped_acquire gil;
    obj_ = pyb::object();
  }

  TopoDS_Shape create_rectangle_on_plane(const PlanePtr& plane, double u, double v, double width, double height,
                                         bool filled) override {
    pyb::gil_scoped_acquire gil;
    return shape_result(obj_.attr("create_rectangle_on_plane")(plane_arg(plane), u, v, width, height,
                                                               pyb::arg("filled") = filled),
                        "create_rectangle_on_plane");
  }
  TopoDS_Shape create_circle_on_plane(const PlanePtr& plane, double u, double v, double radius,
                                      bool filled) override {
    pyb::gil_scoped_acquire gil;
    return shape_result(
        obj_.attr("create_circle_on_plane")(plane_arg(plane), u, v, radius, pyb::arg("filled") = filled),
        "create_circle_on_plane");
  }
  TopoDS_Shape create_line_on_plane(const PlanePtr& plane, const Point2& p1, const Point2& p2) override {
    pyb::gil_scoped_acquire gil;
    return shape_result(obj_.attr("create_line_on_plane")(plane_arg(plane), p1, p2), "create_line_on_plane");
  }
  TopoDS_Shape create_arc_on_plane(const PlanePtr& plane, const Point2& start, const Point2& mid,
                                   const Point2& end) override {
    pyb::gil_scoped_acquire gil;
    return shape_result(obj_.attr("create_arc_on_plane")(plane_arg(plane), start, mid, end), "create_arc_on_plane");
  }
  TopoDS_Shape create_polyline_on_plane(const PlanePtr& plane, const std::vector<PolylinePoint>& points, bool closed,
                                        bool filled) override {
    pyb::gil_scoped_acquire gil;
    pyb::list pts;
    for (const auto& p : points) pts.append(pyb::make_tuple(p.u.value_or(0.0), p.v.value_or(0.0)));
    return shape_result(obj_.attr("create_polyline_on_plane")(plane_arg(plane), pts, pyb::arg("closed") = closed,
                                                              pyb::arg("filled") = filled),
                        "create_polyline_on_plane");
  }
  TopoDS_Shape fuse_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) override {
    pyb::gil_scoped_acquire gil;
    return shape_result(obj_.attr("fuse_shapes")(shape_or_none(a), shape_or_none(b)), "fuse_shapes");
  }
  TopoDS_Shape cut_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) override {
    pyb::gil_scoped_acquire gil;
    return shape_result(obj_.attr("cut_shapes")(shape_or_none(a), shape_or_none(b)), "cut_shapes");
  }
  TopoDS_Shape unify_same_domain(const TopoDS_Shape& shape) override {
    pyb::gil_scoped_acquire gil;
    return shape_result(obj_.attr("unify_same_domain")(shape_or_none(shape)), "unify_same_domain");
  }

 private:
  pyb::object obj_;
};

}  // namespace

std::shared_ptr<SketchPlaneService> sketch_service_from(pyb::handle fandor) {
  pyb::handle fandor_type = pyb::type::of<Fandor>();
  if (pyb::type::handle_of(fandor).is(fandor_type))
    return std::make_shared<FandorService>(fandor.cast<std::shared_ptr<Fandor>>());
  return std::make_shared<PyObjectService>(pyb::reinterpret_borrow<pyb::object>(fandor));
}

}  // namespace nimbal::py::tessik
