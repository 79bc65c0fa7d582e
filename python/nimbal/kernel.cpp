// nimbal.kernel: the kernel objects that cross the Python API, the one
// translation of kernel errors, the logging bridge, and the queries that
// look at a shape.
#include "nimbal/kernel.hpp"

#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/logging.hpp"
#include "nimbal_py/method_guard.hpp"
#include "kernel_docs.hpp"

namespace pyb = pybind11;
namespace k = nimbal::kernel;
namespace doc = nimbal::py::kernel::doc;

namespace {

template <class T>
void bind_subtype(pyb::module_& m, const char* name, const char* text) {
  pyb::class_<T, TopoDS_Shape> cls(m, name, text);
  nimbal::py::def(cls, "__init__", nimbal::py::made<T>, nimbal::py::as_constructor, doc::shape::subtype_init);
}

}  // namespace

PYBIND11_MODULE(kernel, m) {
  m.doc() = doc::module;
  nimbal::py::register_core_errors();
  nimbal::py::install_host_hooks();
  k::route_kernel_messages();

  // Kept for the interpreter's lifetime (no destructor running after it ends).
  static PyObject* kernel_error =
      pyb::exception<k::KernelError>(m, "KernelError", PyExc_RuntimeError).release().ptr();
  PyObject_SetAttrString(kernel_error, "__doc__", pyb::str(doc::kernel_error).ptr());
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

  NIMBAL_PY_KERNEL_ENUM(m, TopAbs_ShapeEnum, TopAbs_COMPOUND, TopAbs_COMPSOLID, TopAbs_SOLID, TopAbs_SHELL, TopAbs_FACE,
                        TopAbs_WIRE, TopAbs_EDGE, TopAbs_VERTEX, TopAbs_SHAPE);
  NIMBAL_PY_KERNEL_ENUM(m, TopAbs_Orientation, TopAbs_FORWARD, TopAbs_REVERSED, TopAbs_INTERNAL, TopAbs_EXTERNAL);

  pyb::class_<TopoDS_Shape> shape(m, "TopoDS_Shape", doc::shape::cls);
  nimbal::py::def(shape, "__init__", nimbal::py::made<TopoDS_Shape>, nimbal::py::as_constructor);
  nimbal::py::def(shape, "IsNull", &TopoDS_Shape::IsNull, doc::shape::IsNull);
  nimbal::py::def(shape, "ShapeType", &k::shape_type, doc::shape::ShapeType);
  nimbal::py::def(shape, "Orientation", &k::orientation, doc::shape::Orientation);
  nimbal::py::def(shape, "IsSame", &TopoDS_Shape::IsSame, pyb::arg("other"), doc::shape::IsSame);
  nimbal::py::def(shape, "IsEqual", &TopoDS_Shape::IsEqual, pyb::arg("other"), doc::shape::IsEqual);
  nimbal::py::def(shape, "IsPartner", &TopoDS_Shape::IsPartner, pyb::arg("other"), doc::shape::IsPartner);
  nimbal::py::def(shape, "Reversed", nimbal::py::kernel_shape<&k::reversed>, doc::shape::Reversed);
  nimbal::py::def(shape, "NbChildren", &TopoDS_Shape::NbChildren, doc::shape::NbChildren);
  // Operators stay pybind11's: a foreign operand answers NotImplemented.
  shape.def("__eq__", &TopoDS_Shape::IsSame, pyb::is_operator())
      .def("__ne__", &k::not_same, pyb::is_operator());
  nimbal::py::def(shape, "__hash__", &k::hash_code);
  nimbal::py::def(shape, "__repr__", &k::describe);
  bind_subtype<TopoDS_Compound>(m, "TopoDS_Compound", doc::shape::compound);
  bind_subtype<TopoDS_CompSolid>(m, "TopoDS_CompSolid", doc::shape::compsolid);
  bind_subtype<TopoDS_Solid>(m, "TopoDS_Solid", doc::shape::solid);
  bind_subtype<TopoDS_Shell>(m, "TopoDS_Shell", doc::shape::shell);
  bind_subtype<TopoDS_Face>(m, "TopoDS_Face", doc::shape::face);
  bind_subtype<TopoDS_Wire>(m, "TopoDS_Wire", doc::shape::wire);
  bind_subtype<TopoDS_Edge>(m, "TopoDS_Edge", doc::shape::edge);
  bind_subtype<TopoDS_Vertex>(m, "TopoDS_Vertex", doc::shape::vertex);

  nimbal::py::def(m, "volume", &k::volume, pyb::arg("shape"), doc::volume);
  nimbal::py::def(m, "area", &k::area, pyb::arg("shape"), doc::area);
  nimbal::py::def(m, "length", &k::length, pyb::arg("shape"), doc::length);
  nimbal::py::def(m, "bounding_box", &k::bounding_box, pyb::arg("shape"), doc::bounding_box);
  nimbal::py::def(m, "sub_shapes", &k::sub_shapes, pyb::arg("shape"), pyb::arg("type"), doc::sub_shapes);
  nimbal::py::def(m, "is_valid", &k::is_valid, pyb::arg("shape"), doc::is_valid);
  void nimbal_bind_kernel_viewer(pyb::module_&); nimbal_bind_kernel_viewer(m);  // kernel_viewer.cpp
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
