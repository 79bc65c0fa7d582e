// Pieces of the quenby module's binding, split across sources to keep each
// compile short.
#pragma once

#include "nimbal/models/quenby.hpp"
#include "nimbal_py/common.hpp"

namespace nimbal::py::quenby {

// The live list types of record fields (IndexList, Point2List, Point3List).
void bind_lists(pyb::module_& m);

// A list field's value from any iterable; TypeError names `what` when an
// element does not fit.
template <class L> L list_from_py(pyb::handle src, const std::string& what);

}  // namespace nimbal::py::quenby
