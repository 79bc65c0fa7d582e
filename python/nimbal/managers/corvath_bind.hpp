// Pieces of the corvath module's binding, split across sources to keep each
// compile short.
#pragma once

#include "manager_bind.hpp"
#include "nimbal/managers/corvath.hpp"
#include "nimbal_py/common.hpp"

namespace nimbal::py::corvath {

// ManagedShape, its live component list and the read-only registry view.
void bind_types(pyb::module_& m);

}  // namespace nimbal::py::corvath
