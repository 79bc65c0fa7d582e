// Pieces of the quenby module's binding, split across sources to keep each
// compile short.
#pragma once

#include "nimbal/models/quenby.hpp"
#include "nimbal_py/common.hpp"
#include "nimbal_py/live_list.hpp"

namespace nimbal::py::quenby {

// The items of the list fields, as their live lists and the fields' setters
// read them.
template <class L> struct Elem;

template <> struct Elem<models::IndexList> {
  static constexpr const char* name = "IndexList";
  NIMBAL_PY_NAME(item_name, "int");
  static int from_py(pyb::handle v) {
    return models::index_item(from_py::integer(v, "IndexList items", "integers", /*bools=*/true),
                              [v] { return std::string(pyb::repr(v)); });
  }
  static pyb::object to_py(int v) { return pyb::int_(v); }
};

template <std::size_t N, class L> struct PointElem {
  static std::array<double, N> from_py(pyb::handle v) {
    std::array<double, N> p{};
    if (!as_point<N>(v, p)) models::refuse_point_item(Elem<L>::name, N, pyb::repr(v));
    return p;
  }
  static pyb::object to_py(const std::array<double, N>& p) { return point_to_tuple<N>(p); }
};
template <> struct Elem<models::Point2List> : PointElem<2, models::Point2List> {
  static constexpr const char* name = "Point2List";
  using item_name = typing::point2_name;
};
template <> struct Elem<models::Point3List> : PointElem<3, models::Point3List> {
  static constexpr const char* name = "Point3List";
  using item_name = typing::point3_name;
};

// The live list types of record fields (IndexList, Point2List, Point3List).
void bind_lists(pyb::module_& m);

}  // namespace nimbal::py::quenby
