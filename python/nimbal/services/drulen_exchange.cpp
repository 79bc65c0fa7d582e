// STEP and IGES exchange, and the kernel readers _import_with_reader takes.
#include <IGESControl_Reader.hxx>
#include <STEPControl_Reader.hxx>
#include <XSControl_Reader.hxx>

#include "drulen_bind.hpp"

namespace pyb = pybind11;

namespace nimbal::py::drulen_bind {

namespace {

constexpr auto not_written = [](const auto&...) { return pyb::object(pyb::bool_(false)); };

template <class Reader>
void bind_reader(pyb::module_& m, const char* name, const char* doc, const char* init_doc) {
  pyb::class_<Reader, XSControl_Reader>(m, name, pyb::module_local(), doc)
      .def(pyb::init(&new_exchange_reader<Reader>), init_doc);
}

}  // namespace

void bind_exchange(pyb::module_& m, DrulenClass& cls) {
  using O = Drulen::ops;
  // Local to this module: other modules may bind the readers their own way.
  pyb::class_<XSControl_Reader>(m, "XSControl_Reader", pyb::module_local(),
                                "A kernel file reader, as _import_with_reader takes it.");
  bind_reader<STEPControl_Reader>(m, "STEPControl_Reader", "The kernel's STEP file reader.",
                                  "A new STEP reader with nothing read yet.");
  bind_reader<IGESControl_Reader>(m, "IGESControl_Reader", "The kernel's IGES file reader.",
                                  "A new IGES reader with nothing read yet.");

  def_logged(cls, "export_step", GuardedOp::export_step, unlocked<&O::export_step>{}, not_written, pyb::arg("shape"),
             pyb::arg("filename"), "Writes one shape to a STEP file (AP203); True on success.");
  cls.def_static("_import_with_reader", or_none<&O::import_with_reader>{}, pyb::arg("reader"),
                 pyb::arg("filename"), pyb::arg("file_type"));
  cls.def_static("import_file", or_none<&O::import_file>{}, pyb::arg("filename"),
                 "One shape holding every root of a STEP or IGES file (chosen by suffix), or None.");
  def_logged(cls, "export_iges", GuardedOp::export_iges, unlocked<&O::export_iges>{}, not_written, pyb::arg("shape"),
             pyb::arg("filename"), "Writes one shape to an IGES file; True on success.");
  def_logged(cls, "export_shapes_to_iges", GuardedOp::export_iges, unlocked<&O::export_shapes_to_iges>{},
             not_written, pyb::arg("shapes"), pyb::arg("filename"),
             "Writes all shapes to one IGES file; True on success.");
  def_logged<void, Drulen&>(cls, "export_shapes_to_step", GuardedOp::export_step,
                            unlocked<&O::export_shapes_to_step>{}, not_written, pyb::arg("shapes"),
                            pyb::arg("filename"), "Writes all shapes to one STEP file (AP203); True on success.");
}

}  // namespace nimbal::py::drulen_bind
