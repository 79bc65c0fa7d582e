// STEP and IGES exchange, and the kernel readers _import_with_reader takes.
#include <IGESControl_Reader.hxx>
#include <STEPControl_Reader.hxx>
#include <XSControl_Reader.hxx>

#include "drulen_bind.hpp"

namespace pyb = pybind11;

namespace nimbal::py::drulen_bind {

namespace {

bool export_call(GuardedOp op, pyb::handle shapes, pyb::handle filename,
                        bool (*fn)(const Shapes&, const std::string&), bool single) {
  try {
    const Shapes list = single ? Shapes{to_shape(shapes, "shape")} : to_shapes(shapes, "shapes");
    const std::string name = to_filename(filename);
    return without_gil([&] { return fn(list, name); });
  } catch (const nimbal::WrongType&) {
    Drulen::log_caught(op);
  } catch (const pyb::error_already_set&) {
    Drulen::log_caught(op);
  }
  return false;
}

}  // namespace

void bind_exchange(pyb::module_& m, DrulenClass& cls) {
  using O = Drulen::ops;
  // Local to this module: other modules may bind the readers their own way.
  pyb::class_<XSControl_Reader>(m, "XSControl_Reader", pyb::module_local(),
                                "A kernel file reader, as _import_with_reader takes it.");
  // A reader's creation sets the kernel's exchange globals.
  pyb::class_<STEPControl_Reader, XSControl_Reader>(m, "STEPControl_Reader", pyb::module_local(),
                                                    "The kernel's STEP file reader.")
      .def(pyb::init([] {
             ExchangeLock lock;
             return new STEPControl_Reader();
           }),
           "A new STEP reader with nothing read yet.");
  pyb::class_<IGESControl_Reader, XSControl_Reader>(m, "IGESControl_Reader", pyb::module_local(),
                                                    "The kernel's IGES file reader.")
      .def(pyb::init([] {
             ExchangeLock lock;
             return new IGESControl_Reader();
           }),
           "A new IGES reader with nothing read yet.");

  cls.def_static(
      "export_step",
      [](ShapeArg shape, typed<str_name> filename) {
        return export_call(GuardedOp::export_step, shape, filename, &O::export_shapes_to_step, true);
      },
      pyb::arg("shape"), pyb::arg("filename"), "Writes one shape to a STEP file (AP203); True on success.");
  cls.def_static(
      "_import_with_reader",
      [](XSControl_Reader& reader, const std::string& filename, const std::string& file_type) {
        return shape_or_none(without_gil([&] { return O::import_with_reader(reader, filename, file_type); }));
      },
      pyb::arg("reader"), pyb::arg("filename"), pyb::arg("file_type"));
  cls.def_static(
      "import_file",
      [](const std::string& filename) { return shape_or_none(without_gil([&] { return O::import_file(filename); })); },
      pyb::arg("filename"), "One shape holding every root of a STEP or IGES file (chosen by suffix), or None.");
  cls.def_static(
      "export_iges",
      [](ShapeArg shape, typed<str_name> filename) {
        return export_call(GuardedOp::export_iges, shape, filename, &O::export_shapes_to_iges, true);
      },
      pyb::arg("shape"), pyb::arg("filename"), "Writes one shape to an IGES file; True on success.");
  cls.def_static(
      "export_shapes_to_iges",
      [](typed<shapes_arg_name> shapes, typed<str_name> filename) {
        return export_call(GuardedOp::export_iges, shapes, filename, &O::export_shapes_to_iges, false);
      },
      pyb::arg("shapes"), pyb::arg("filename"), "Writes all shapes to one IGES file; True on success.");
  cls.def(
      "export_shapes_to_step",
      [](Drulen&, typed<shapes_arg_name> shapes, typed<str_name> filename) {
        return export_call(GuardedOp::export_step, shapes, filename, &O::export_shapes_to_step, false);
      },
      pyb::arg("shapes"), pyb::arg("filename"), "Writes all shapes to one STEP file (AP203); True on success.");
}

}  // namespace nimbal::py::drulen_bind
