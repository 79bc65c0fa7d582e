// Pieces of the tessik module's binding, split across sources to keep each
// compile short.
#pragma once

#include <memory>

#include "nimbal/managers/tessik.hpp"
#include "nimbal_py/kernel.hpp"

namespace nimbal::py::tessik {

// The sketch plane service a host gave, as the manager calls it: the C++
// Fandor itself for a plain Fandor, otherwise an adapter that calls the
// object's methods by name (a Python subclass's overrides included).
std::shared_ptr<managers::SketchPlaneService> sketch_service_from(pyb::handle fandor);

}  // namespace nimbal::py::tessik
