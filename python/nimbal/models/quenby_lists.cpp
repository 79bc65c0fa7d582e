// Record list fields are exposed as live lists: `rec.edge_indices.append(3)`
// changes the record. They behave like Python lists of their element type
// and refuse elements of another type.
#include "nimbal/models/quenby.hpp"
#include "quenby_bind.hpp"

namespace nimbal::py::quenby {
namespace {

using namespace nimbal::models;

template <class L> struct Elem;

template <> struct Elem<IndexList> {
  static constexpr const char* name = "IndexList";
  static int from_py(pyb::handle v) {
    if (!PyLong_Check(v.ptr()) && !PyIndex_Check(v.ptr()))
      throw nimbal::TypeError("IndexList items must be integers, not '" + type_name(v) + "'");
    int overflow = 0;
    pyb::object i = pyb::reinterpret_steal<pyb::object>(PyNumber_Index(v.ptr()));
    if (!i) throw pyb::error_already_set();
    long long x = PyLong_AsLongLongAndOverflow(i.ptr(), &overflow);
    if (overflow || x < INT_MIN || x > INT_MAX)
      throw nimbal::ValueError("IndexList item out of range: " + std::string(pyb::repr(v)));
    return static_cast<int>(x);
  }
  static pyb::object to_py(int v) { return pyb::int_(v); }
};

template <std::size_t N, class L> struct PointElem {
  static std::array<double, N> from_py(pyb::handle v) {
    std::array<double, N> p{};
    if (!as_point<N>(v, p))
      throw nimbal::TypeError(std::string(Elem<L>::name) + " items must be sequences of " +
                              std::to_string(N) + " numbers, not " + std::string(pyb::repr(v)));
    return p;
  }
  static pyb::object to_py(const std::array<double, N>& p) { return point_to_tuple<N>(p); }
};
template <> struct Elem<Point2List> : PointElem<2, Point2List> {
  static constexpr const char* name = "Point2List";
};
template <> struct Elem<Point3List> : PointElem<3, Point3List> {
  static constexpr const char* name = "Point3List";
};

template <class L>
L list_from_iterable(pyb::handle src, const std::string& what = Elem<L>::name) {
  if (PyUnicode_Check(src.ptr()) || PyBytes_Check(src.ptr()) || !PyObject_HasAttrString(src.ptr(), "__iter__"))
    throw nimbal::TypeError(what + " must be an iterable of items, not '" + type_name(src) + "'");
  if (pyb::isinstance<L>(src)) return src.cast<const L&>();
  L out;
  for (auto item : pyb::iter(src)) out.push_back(Elem<L>::from_py(item));
  return out;
}

Py_ssize_t norm_index(const std::size_t size, Py_ssize_t i) {
  const auto n = static_cast<Py_ssize_t>(size);
  if (i < 0) i += n;
  if (i < 0 || i >= n) throw pyb::index_error("list index out of range");
  return i;
}

template <class L>
pyb::list to_pylist(const L& l) {
  pyb::list out(l.size());
  for (std::size_t i = 0; i < l.size(); ++i) out[i] = Elem<L>::to_py(l[i]);
  return out;
}

template <class L>
void bind_list(pyb::module_& m) {
  using E = Elem<L>;
  pyb::class_<L> cls(m, E::name, "A live list of a record field: changes reach the record.");
  cls.def(pyb::init([] { return L(); }))
      .def(pyb::init([](pyb::handle it) { return list_from_iterable<L>(it); }), pyb::arg("iterable"))
      .def("__len__", [](const L& l) { return l.size(); })
      .def("__getitem__", [](const L& l, Py_ssize_t i) { return E::to_py(l[norm_index(l.size(), i)]); })
      .def("__getitem__",
           [](const L& l, pyb::slice s) {
             size_t start, stop, step, n;
             if (!s.compute(l.size(), &start, &stop, &step, &n)) throw pyb::error_already_set();
             pyb::list out;
             for (size_t k = 0; k < n; ++k, start += step) out.append(E::to_py(l[start]));
             return out;
           })
      .def("__setitem__",
           [](L& l, Py_ssize_t i, pyb::handle v) { l[norm_index(l.size(), i)] = E::from_py(v); })
      .def("__setitem__",
           [](L& l, pyb::slice s, pyb::handle v) {
             L items = list_from_iterable<L>(v);
             Py_ssize_t start, stop, step, n;
             if (PySlice_GetIndicesEx(s.ptr(), static_cast<Py_ssize_t>(l.size()), &start, &stop,
                                      &step, &n) < 0)
               throw pyb::error_already_set();
             if (step == 1) {
               if (stop < start) stop = start;
               l.erase(l.begin() + start, l.begin() + stop);
               l.insert(l.begin() + start, items.begin(), items.end());
               return;
             }
             if (static_cast<Py_ssize_t>(items.size()) != n)
               throw nimbal::ValueError("attempt to assign sequence of size " +
                                        std::to_string(items.size()) +
                                        " to extended slice of size " + std::to_string(n));
             for (Py_ssize_t k = 0; k < n; ++k) l[start + k * step] = items[k];
           })
      .def("__delitem__", [](L& l, Py_ssize_t i) { l.erase(l.begin() + norm_index(l.size(), i)); })
      .def("__delitem__",
           [](L& l, pyb::slice s) {
             Py_ssize_t start, stop, step, n;
             if (PySlice_GetIndicesEx(s.ptr(), static_cast<Py_ssize_t>(l.size()), &start, &stop,
                                      &step, &n) < 0)
               throw pyb::error_already_set();
             std::vector<Py_ssize_t> idx;
             for (Py_ssize_t k = 0; k < n; ++k) idx.push_back(start + k * step);
             std::sort(idx.begin(), idx.end());
             for (auto it = idx.rbegin(); it != idx.rend(); ++it) l.erase(l.begin() + *it);
           })
      // Iterates a snapshot: changing the list while iterating cannot
      // invalidate anything.
      .def("__iter__", [](const L& l) { return pyb::iter(to_pylist(l)); })
      .def("__contains__",
           [](const L& l, pyb::handle v) {
             try {
               auto e = E::from_py(v);
               return std::find(l.begin(), l.end(), e) != l.end();
             } catch (const nimbal::TypeError&) {
               return false;
             }
           })
      .def("__eq__",
           [](const L& l, pyb::handle other) -> pyb::object {
             if (pyb::isinstance<L>(other)) return pyb::bool_(l == other.cast<const L&>());
             if (!PyList_Check(other.ptr())) return pyb::reinterpret_borrow<pyb::object>(Py_NotImplemented);
             return pyb::bool_(to_pylist(l).equal(other));
           })
      .def("__ne__",
           [](pyb::handle self, pyb::handle other) -> pyb::object {
             pyb::object eq = self.attr("__eq__")(other);
             if (eq.is(pyb::reinterpret_borrow<pyb::object>(Py_NotImplemented))) return eq;
             return pyb::bool_(!eq.cast<bool>());
           })
      .def("__repr__", [](const L& l) { return pyb::repr(to_pylist(l)); })
      .def("__copy__", [](const L& l) { return L(l); })
      .def("__deepcopy__", [](const L& l, pyb::handle) { return L(l); }, pyb::arg("memo"))
      .def("copy", [](const L& l) { return to_pylist(l); }, "A plain list of the items.")
      .def("__add__", [](const L& l, pyb::handle other) { return to_pylist(l) + pyb::list(pyb::iter(other)); })
      .def("__iadd__",
           [](pyb::object self, pyb::handle other) {
             L items = list_from_iterable<L>(other);
             L& l = self.cast<L&>();
             l.insert(l.end(), items.begin(), items.end());
             return self;
           })
      .def("append", [](L& l, pyb::handle v) { l.push_back(E::from_py(v)); }, pyb::arg("item"))
      .def("extend",
           [](L& l, pyb::handle it) {
             L items = list_from_iterable<L>(it);
             l.insert(l.end(), items.begin(), items.end());
           },
           pyb::arg("iterable"))
      .def("insert",
           [](L& l, Py_ssize_t i, pyb::handle v) {
             auto e = E::from_py(v);
             const auto n = static_cast<Py_ssize_t>(l.size());
             if (i < 0) i = std::max<Py_ssize_t>(0, i + n);
             if (i > n) i = n;
             l.insert(l.begin() + i, e);
           },
           pyb::arg("index"), pyb::arg("item"))
      .def("pop",
           [](L& l, Py_ssize_t i) {
             if (l.empty()) throw pyb::index_error("pop from empty list");
             i = norm_index(l.size(), i);
             pyb::object v = E::to_py(l[i]);
             l.erase(l.begin() + i);
             return v;
           },
           pyb::arg("index") = -1)
      .def("remove",
           [](L& l, pyb::handle v) {
             auto e = E::from_py(v);
             auto it = std::find(l.begin(), l.end(), e);
             if (it == l.end()) throw nimbal::ValueError("list.remove(x): x not in list");
             l.erase(it);
           },
           pyb::arg("item"))
      .def("clear", [](L& l) { l.clear(); })
      .def("index",
           [](const L& l, pyb::handle v) {
             auto e = E::from_py(v);
             auto it = std::find(l.begin(), l.end(), e);
             if (it == l.end()) throw nimbal::ValueError(std::string(pyb::repr(v)) + " is not in list");
             return it - l.begin();
           },
           pyb::arg("item"))
      .def("count",
           [](const L& l, pyb::handle v) {
             auto e = E::from_py(v);
             return std::count(l.begin(), l.end(), e);
           },
           pyb::arg("item"))
      .def("reverse", [](L& l) { std::reverse(l.begin(), l.end()); })
      // Exactly list.sort (key, reverse, stability), applied to a copy.
      .def("sort",
           [](L& l, pyb::args args, pyb::kwargs kwargs) {
             pyb::list tmp = to_pylist(l);
             tmp.attr("sort")(*args, **kwargs);
             l = list_from_iterable<L>(tmp);
           });
  cls.attr("__hash__") = pyb::none();
  pyb::module_::import("collections.abc").attr("MutableSequence").attr("register")(cls);
}

}  // namespace

template <class L> L list_from_py(pyb::handle src, const std::string& what) {
  return list_from_iterable<L>(src, what);
}
template IndexList list_from_py<IndexList>(pyb::handle, const std::string&);
template Point2List list_from_py<Point2List>(pyb::handle, const std::string&);
template Point3List list_from_py<Point3List>(pyb::handle, const std::string&);

void bind_lists(pyb::module_& m) {
  bind_list<IndexList>(m);
  bind_list<Point2List>(m);
  bind_list<Point3List>(m);
}

}  // namespace nimbal::py::quenby
