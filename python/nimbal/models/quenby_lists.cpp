// Record list fields are exposed as live lists: `rec.edge_indices.append(3)`
// changes the record. They behave like Python lists of their element type
// and refuse elements of another type.
#include "nimbal/models/quenby.hpp"
#include "quenby_bind.hpp"
#include "quenby_docs.hpp"
#include "nimbal_py/live_list.hpp"

namespace nimbal::py::quenby {
namespace {

using namespace nimbal::models;

template <class L> struct Elem;

template <> struct Elem<IndexList> {
  static constexpr const char* name = "IndexList";
  NIMBAL_PY_NAME(item_name, "int");
  static int from_py(pyb::handle v) {
    return index_item(from_py::integer(v, "IndexList items", "integers", /*bools=*/true),
                      [v] { return std::string(pyb::repr(v)); });
  }
  static pyb::object to_py(int v) { return pyb::int_(v); }
};

template <std::size_t N, class L> struct PointElem {
  static std::array<double, N> from_py(pyb::handle v) {
    std::array<double, N> p{};
    if (!as_point<N>(v, p)) refuse_point_item(Elem<L>::name, N, pyb::repr(v));
    return p;
  }
  static pyb::object to_py(const std::array<double, N>& p) { return point_to_tuple<N>(p); }
};
template <> struct Elem<Point2List> : PointElem<2, Point2List> {
  static constexpr const char* name = "Point2List";
  using item_name = point2_name;
};
template <> struct Elem<Point3List> : PointElem<3, Point3List> {
  static constexpr const char* name = "Point3List";
  using item_name = point3_name;
};

}  // namespace

template <class L> L list_from_py(pyb::handle src, const std::string& what) {
  return list_from_iterable<L, Elem<L>>(src, what);
}
template IndexList list_from_py<IndexList>(pyb::handle, const std::string&);
template Point2List list_from_py<Point2List>(pyb::handle, const std::string&);
template Point3List list_from_py<Point3List>(pyb::handle, const std::string&);

void bind_lists(pyb::module_& m) {
  bind_live_list<IndexList, Elem<IndexList>>(m, doc::list);
  bind_live_list<Point2List, Elem<Point2List>>(m, doc::list);
  bind_live_list<Point3List, Elem<Point3List>>(m, doc::list);
}

}  // namespace nimbal::py::quenby
