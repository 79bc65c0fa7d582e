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
  pyb::class_<Reader, XSControl_Reader> cls(m, name, pyb::module_local(), doc);
  def(cls, "__init__", &services::new_exchange_reader<Reader>, as_constructor, init_doc);
}

}  // namespace

void bind_exchange(pyb::module_& m, DrulenClass& cls) {
  using O = Drulen::ops;
  // Local to this module: other modules may bind the readers their own way.
  pyb::class_<XSControl_Reader>(m, "XSControl_Reader", pyb::module_local(), doc::reader);
  bind_reader<STEPControl_Reader>(m, "STEPControl_Reader", doc::step_reader, doc::new_step_reader);
  bind_reader<IGESControl_Reader>(m, "IGESControl_Reader", doc::iges_reader, doc::new_iges_reader);

  def(cls, "export_step", &O::export_step, as_static, unlocked, logged_as(GuardedOp::export_step), pyb::arg("shape"),
      pyb::arg("filename"), doc::export_step);
  def(cls, "_import_with_reader", &O::import_with_reader, as_static, unlocked, pyb::arg("reader"),
      pyb::arg("filename"), pyb::arg("file_type"));
  def(cls, "import_file", &O::import_file, as_static, unlocked, pyb::arg("filename"), doc::import_file);
  def(cls, "cancel_imports", &Drulen::cancel_imports, as_static, doc::cancel_imports);
  def(cls, "set_import_deadline", &Drulen::set_import_deadline, as_static, pyb::arg("seconds"),
      doc::set_import_deadline);
  def(cls, "export_iges", &O::export_iges, as_static, unlocked, logged_as(GuardedOp::export_iges), pyb::arg("shape"),
      pyb::arg("filename"), doc::export_iges);
  def(cls, "export_shapes_to_iges", &O::export_shapes_to_iges, as_static, unlocked,
      logged_as(GuardedOp::export_iges), pyb::arg("shapes"), pyb::arg("filename"), doc::export_shapes_to_iges);
  // A method of the instance, as the protocol has it.
  def(
      cls, "export_shapes_to_step",
      [](Drulen&, const services::Shapes& shapes, const std::string& filename) {
        return O::export_shapes_to_step(shapes, filename);
      },
      unlocked, logged_as(GuardedOp::export_step), pyb::arg("shapes"), pyb::arg("filename"),
      doc::export_shapes_to_step);
}

}  // namespace nimbal::py::drulen_bind
