// Record list fields are exposed as live lists: `rec.edge_indices.append(3)`
// changes the record. They behave like Python lists of their element type
// and refuse elements of another type.
#include "quenby_bind.hpp"
#include "quenby_docs.hpp"

namespace nimbal::py::quenby {

void bind_lists(pyb::module_& m) {
  using namespace nimbal::models;
  bind_live_list<IndexList, Elem<IndexList>>(m, doc::list);
  bind_live_list<Point2List, Elem<Point2List>>(m, doc::list);
  bind_live_list<Point3List, Elem<Point3List>>(m, doc::list);
}

}  // namespace nimbal::py::quenby
