// Fixtures for the Python tests.
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRep_Builder.hxx>
#include <Standard_ConstructionError.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Pln.hxx>

#include "nimbal/enums.hpp"
#include "nimbal/log.hpp"
#include "nimbal/models/quenby.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/logging.hpp"

namespace pyb = pybind11;

namespace {

template <class E>
pyb::list enum_table() {
  pyb::list out;
  for (std::size_t i = 0; i < nimbal::EnumInfo<E>::names.size(); ++i) {
    E e = static_cast<E>(i);
    out.append(pyb::make_tuple(std::string(nimbal::enum_name(e)), std::string(nimbal::enum_value(e))));
  }
  return out;
}

}  // namespace

PYBIND11_MODULE(_nimbal_testing, m) {
  nimbal::py::import_kernel();
  nimbal::py::register_core_errors();
  nimbal::py::install_log_sink();

  m.def("make_box", [](double dx, double dy, double dz) -> TopoDS_Shape {
    return BRepPrimAPI_MakeBox(dx, dy, dz).Shape();
  });
  // A compound of a box and a square face of side 10 in the XY plane.
  m.def("make_box_and_face", []() -> TopoDS_Shape {
    TopoDS_Compound c;
    BRep_Builder b;
    b.MakeCompound(c);
    b.Add(c, BRepPrimAPI_MakeBox(1, 2, 3).Shape());
    b.Add(c, BRepBuilderAPI_MakeFace(gp_Pln(), 0, 10, 0, 10).Face());
    return c;
  });
  m.def("null_shape", []() -> TopoDS_Shape { return TopoDS_Shape(); });
  m.def("shape_or_none", [](const TopoDS_Shape& s) { return nimbal::py::shape_or_none(s); });
  m.def("raise_kernel_failure", [](const std::string& msg) { throw Standard_ConstructionError(msg.c_str()); });
  m.def("raise_core_error", [](const std::string& kind, const std::string& msg) {
    if (kind == "type") throw nimbal::TypeError(msg);
    if (kind == "value") throw nimbal::ValueError(msg);
    if (kind == "attribute") throw nimbal::AttributeError(msg);
    if (kind == "key") throw nimbal::KeyError(msg);
    throw nimbal::AssertionError(msg);
  });
  // Logs through the core's facade; with_failure attaches a kernel failure.
  m.def("log", [](const std::string& logger, int level, const std::string& msg, bool with_failure) {
    nimbal::log::Logger lg(logger);
    auto lv = static_cast<nimbal::log::Level>(level);
    if (!with_failure) {
      nimbal::log::write(lg.name(), lv, msg);
      return;
    }
    try {
      throw Standard_ConstructionError("gp_Dir() - input vector has zero norm");
    } catch (...) {
      nimbal::log::write(lg.name(), lv, msg, std::current_exception());
    }
  });

  m.def("echo_shape_type", [](nimbal::ShapeType t) { return t; });
  m.def("shape_type_facts", [](nimbal::ShapeType t) {
    return pyb::make_tuple(nimbal::category(t), nimbal::is_volume_shape_type(t),
                           nimbal::is_decomposable_shape_type(t));
  });
  m.def("echo_standard_plane", [](nimbal::StandardPlane e) { return e; });
  m.def("echo_display_mode", [](nimbal::DisplayMode e) { return e; });
  m.def("echo_projection_type", [](nimbal::ProjectionType e) { return e; });
  m.def("echo_view_direction", [](nimbal::ViewDirection e) { return e; });
  m.def("echo_selection_mode", [](nimbal::SelectionMode e) { return e; });
  m.def("enum_tables", [] {
    pyb::dict d;
    d["ShapeType"] = enum_table<nimbal::ShapeType>();
    d["ShapeCategory"] = enum_table<nimbal::ShapeCategory>();
    d["StandardPlane"] = enum_table<nimbal::StandardPlane>();
    d["DisplayMode"] = enum_table<nimbal::DisplayMode>();
    d["ProjectionType"] = enum_table<nimbal::ProjectionType>();
    d["ViewDirection"] = enum_table<nimbal::ViewDirection>();
    d["SelectionMode"] = enum_table<nimbal::SelectionMode>();
    return d;
  });
  m.def("echo_point3", [](const std::array<double, 3>& p) { return p; });
  // The C++ field names of a record class, in order.
  m.def("record_fields", [](const std::string& cls) {
    pyb::list out;
    const auto* t = nimbal::models::find_record_type(cls);
    if (!t) throw nimbal::KeyError(cls);
    for (const auto& f : t->fields) out.append(std::string(f.name));
    return out;
  });
}
