// Pieces of the corvath module's binding, split across sources to keep each
// compile short.
#pragma once

#include "nimbal/managers/corvath.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/records.hpp"

namespace nimbal::py::corvath {

using namespace nimbal::managers;

// Read-only live view of a manager's registry (kept alive with the manager).
struct RegistryView {
  const Registry* registry;
};

// ManagedShape, its live component list and the read-only registry view.
void bind_types(pyb::module_& m);

ManagedShapePtr managed_from_py(pyb::handle v, const char* what);

}  // namespace nimbal::py::corvath
