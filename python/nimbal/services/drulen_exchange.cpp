// STEP and IGES exchange, and the kernel readers _import_with_reader takes.
#include <IGESControl_Reader.hxx>
#include <STEPControl_Reader.hxx>
#include <XSControl_Reader.hxx>

#include "drulen_bind.hpp"
#include "drulen_docs.hpp"

namespace pyb = pybind11;
namespace doc = nimbal::py::drulen_docs;

namespace nimbal::py::drulen_bind {

namespace {

template <class Reader>
void bind_reader(pyb::module_& m, const char* name, const char* doc, const char* init_doc) {
  pyb::class_<Reader, XSControl_Reader>(m, name, pyb::module_local(), doc)
      .def(pyb::init(&new_exchange_reader<Reader>), init_doc);
}

}  // namespace

void bind_exchange(pyb::module_& m, DrulenClass& cls) {
  using O = Drulen::ops;
  // Local to this module: other modules may bind the readers their own way.
  pyb::class_<XSControl_Reader>(m, "XSControl_Reader", pyb::module_local(), doc::reader);
  bind_reader<STEPControl_Reader>(m, "STEPControl_Reader", doc::step_reader, doc::new_step_reader);
  bind_reader<IGESControl_Reader>(m, "IGESControl_Reader", doc::iges_reader, doc::new_iges_reader);

  def_logged(cls, "export_step", GuardedOp::export_step, unlocked<&O::export_step>{}, pyb::arg("shape"),
             pyb::arg("filename"), doc::export_step);
  cls.def_static("_import_with_reader", or_none<&O::import_with_reader>{}, pyb::arg("reader"), pyb::arg("filename"),
                 pyb::arg("file_type"));
  cls.def_static("import_file", or_none<&O::import_file>{}, pyb::arg("filename"), doc::import_file);
  cls.def_static("cancel_imports", &Drulen::cancel_imports, doc::cancel_imports);
  cls.def_static("set_import_deadline", &Drulen::set_import_deadline, pyb::arg("seconds"), doc::set_import_deadline);
  def_logged(cls, "export_iges", GuardedOp::export_iges, unlocked<&O::export_iges>{}, pyb::arg("shape"),
             pyb::arg("filename"), doc::export_iges);
  def_logged(cls, "export_shapes_to_iges", GuardedOp::export_iges, unlocked<&O::export_shapes_to_iges>{},
             pyb::arg("shapes"), pyb::arg("filename"), doc::export_shapes_to_iges);
  def_logged<void, Drulen&>(cls, "export_shapes_to_step", GuardedOp::export_step, unlocked<&O::export_shapes_to_step>{},
                            pyb::arg("shapes"), pyb::arg("filename"), doc::export_shapes_to_step);
}

}  // namespace nimbal::py::drulen_bind
