// nimbal.kernel: the kernel objects that cross the Python API, the one
// translation of kernel errors, the logging bridge, and the queries that
// look at a shape.
#include "nimbal/kernel.hpp"

#include <climits>

#include "nimbal_py/host_errors.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/logging.hpp"
#include "nimbal_py/method_guard.hpp"

namespace pyb = pybind11;
namespace k = nimbal::kernel;

namespace {

template <class T>
void bind_subtype(pyb::module_& m, const char* name, const char* doc) {
  pyb::class_<T, TopoDS_Shape>(m, name, doc).def(pyb::init<>(), "A null shape of this type.");
}

NIMBAL_PY_NAME(bounds_name, "tuple[float, float, float, float, float, float] | None");
}  // namespace

PYBIND11_MODULE(kernel, m) {
  m.doc() = R"(Kernel objects and shape queries of nimbal.

The shapes the other modules take and give, the viewer objects a host builds
a 3D view from (display connection, graphic driver, window, viewer, view,
interactive context and objects), and queries that measure a shape. A failure
inside the kernel raises KernelError.)";
  nimbal::py::register_core_errors();
  nimbal::py::install_log_sink();
  k::route_kernel_messages();
  nimbal::py::install_host_error_policy();
  nimbal::py::install_wait_hooks();

  // Kept for the interpreter's lifetime (no destructor running after it ends).
  static PyObject* kernel_error =
      pyb::exception<k::KernelError>(m, "KernelError", PyExc_RuntimeError).release().ptr();
  PyObject_SetAttrString(kernel_error, "__doc__",
                         pyb::str("A kernel operation failed; the message is the kernel's own.").ptr());
  // One translation for every module: kernel failures raise KernelError.
  pyb::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const Standard_Failure& f) {
      PyErr_SetString(kernel_error, k::failure_text(f).c_str());
    } catch (const k::KernelError& e) {
      PyErr_SetString(kernel_error, e.what());
    }
  });

  pyb::enum_<TopAbs_ShapeEnum>(m, "TopAbs_ShapeEnum")
      .value("TopAbs_COMPOUND", TopAbs_COMPOUND)
      .value("TopAbs_COMPSOLID", TopAbs_COMPSOLID)
      .value("TopAbs_SOLID", TopAbs_SOLID)
      .value("TopAbs_SHELL", TopAbs_SHELL)
      .value("TopAbs_FACE", TopAbs_FACE)
      .value("TopAbs_WIRE", TopAbs_WIRE)
      .value("TopAbs_EDGE", TopAbs_EDGE)
      .value("TopAbs_VERTEX", TopAbs_VERTEX)
      .value("TopAbs_SHAPE", TopAbs_SHAPE)
      .export_values();
  pyb::enum_<TopAbs_Orientation>(m, "TopAbs_Orientation")
      .value("TopAbs_FORWARD", TopAbs_FORWARD)
      .value("TopAbs_REVERSED", TopAbs_REVERSED)
      .value("TopAbs_INTERNAL", TopAbs_INTERNAL)
      .value("TopAbs_EXTERNAL", TopAbs_EXTERNAL)
      .export_values();

  pyb::class_<TopoDS_Shape>(m, "TopoDS_Shape", "A kernel shape: a null shape, or a topology of the type ShapeType() names.\n\nShapes compare (==) and hash by IsSame: the same topology, whatever its orientation.")
      .def(pyb::init<>())
      .def("IsNull", &TopoDS_Shape::IsNull, "Whether the shape holds no topology.")
      .def("ShapeType", &k::shape_type, "The topology's type (compound down to vertex).\n\nRaises KernelError for a null shape.")
      .def("Orientation", &k::orientation, "The shape's orientation (forward, reversed, internal or external).\n\nRaises KernelError for a null shape.")
      .def("IsSame", &TopoDS_Shape::IsSame, pyb::arg("other"), "Whether other shares this shape's topology and location, whatever the orientation.")
      .def("IsEqual", &TopoDS_Shape::IsEqual, pyb::arg("other"), "Whether other shares topology, location and orientation.")
      .def("IsPartner", &TopoDS_Shape::IsPartner, pyb::arg("other"), "Whether other shares this shape's topology, whatever the location and orientation.")
      .def("Reversed", &k::reversed, "A copy with the opposite orientation.\n\nRaises KernelError for a null shape.")
      .def("NbChildren", &TopoDS_Shape::NbChildren, "Number of direct sub-shapes.")
      // Same sub-shape in the sense of TopExp::MapShapes: orientation ignored.
      .def("__eq__", [](const TopoDS_Shape& a, const TopoDS_Shape& b) { return a.IsSame(b); },
           pyb::is_operator())
      .def("__ne__", [](const TopoDS_Shape& a, const TopoDS_Shape& b) { return !a.IsSame(b); },
           pyb::is_operator())
      .def("__hash__", [](const TopoDS_Shape& s) { return s.HashCode(INT_MAX); })
      .def("__repr__", &k::describe);
  bind_subtype<TopoDS_Compound>(m, "TopoDS_Compound", "A kernel compound: any shapes grouped.");
  bind_subtype<TopoDS_CompSolid>(m, "TopoDS_CompSolid", "A kernel compound solid: solids sharing faces.");
  bind_subtype<TopoDS_Solid>(m, "TopoDS_Solid", "A kernel solid.");
  bind_subtype<TopoDS_Shell>(m, "TopoDS_Shell", "A kernel shell: faces joined at their edges.");
  bind_subtype<TopoDS_Face>(m, "TopoDS_Face", "A kernel face.");
  bind_subtype<TopoDS_Wire>(m, "TopoDS_Wire", "A kernel wire: edges joined end to end.");
  bind_subtype<TopoDS_Edge>(m, "TopoDS_Edge", "A kernel edge.");
  bind_subtype<TopoDS_Vertex>(m, "TopoDS_Vertex", "A kernel vertex.");

  m.def("volume", &k::volume, pyb::arg("shape"), "Volume of the shape's solids (0 for a null shape).");
  m.def("area", &k::area, pyb::arg("shape"), "Area of the shape's faces (0 for a null shape).");
  m.def("length", &k::length, pyb::arg("shape"), "Length of the shape's edges (0 for a null shape).");
  m.def(
      "bounding_box",
      [](const TopoDS_Shape& s) -> nimbal::py::typed<bounds_name> {
        auto b = k::bounding_box(s);
        if (!b) return pyb::none();
        return pyb::make_tuple(b->xmin, b->ymin, b->zmin, b->xmax, b->ymax, b->zmax);
      },
      pyb::arg("shape"),
      "(xmin, ymin, zmin, xmax, ymax, zmax) of the exact bounds, or None for a null or empty shape.");
  m.def("sub_shapes", &k::sub_shapes, pyb::arg("shape"), pyb::arg("type"),
        "Unique sub-shapes of the type, in TopExp::MapShapes order (the sub-shape indices).");
  m.def("is_valid", &k::is_valid, pyb::arg("shape"), "BRepCheck_Analyzer's verdict; False for a null shape.");
  void nimbal_bind_kernel_viewer(pyb::module_&); nimbal_bind_kernel_viewer(m);  // kernel_viewer.cpp
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
