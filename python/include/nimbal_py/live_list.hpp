// A C++ vector exposed as a live Python list: element access, slicing,
// mutation and comparison behave like list, elements are checked on the way
// in, and the C++ owner sees every change. E supplies `name`, `item_name`
// (the element's Python type name), `from_py(handle) -> element` (throws
// TypeError) and `to_py(element)`.
#pragma once

#include <algorithm>
#include <optional>
#include <string>

#include "nimbal/list_edit.hpp"
#include "nimbal_py/common.hpp"
#include "nimbal_py/live_list_docs.hpp"

namespace nimbal::py {

template <class L, class E>
L list_from_iterable(pyb::handle src, const std::string& what = E::name) {
  if (PyUnicode_Check(src.ptr()) || PyBytes_Check(src.ptr()) || !PyObject_HasAttrString(src.ptr(), "__iter__"))
    from_py::wrong_type(what, "an iterable of items", src);
  if (pyb::isinstance<L>(src)) return src.cast<const L&>();
  L out;
  for (auto item : pyb::iter(src)) out.push_back(E::from_py(item));
  return out;
}

// A slice fitted to a list of `size` items.
inline list_edit::Slice slice_of(pyb::slice s, std::size_t size) {
  Py_ssize_t start, stop, step, n;
  if (PySlice_GetIndicesEx(s.ptr(), static_cast<Py_ssize_t>(size), &start, &stop, &step, &n) < 0)
    throw pyb::error_already_set();
  return {start, stop, step, n};
}

template <class L, class E>
pyb::list to_pylist(const L& l) {
  pyb::list out(l.size());
  for (std::size_t i = 0; i < l.size(); ++i) out[i] = E::to_py(l[i]);
  return out;
}

// The element v is, or none when it is of another kind.
template <class L, class E>
std::optional<typename L::value_type> item_or_none(pyb::handle v) {
  try {
    return E::from_py(v);
  } catch (const nimbal::WrongType&) {
    return std::nullopt;
  }
}

// "Generic[item]" for E's items, in signatures.
template <class Generic, class E>
struct generic_of {
  static constexpr auto name =
      Generic::name + pyb::detail::const_name("[") + E::item_name::name + pyb::detail::const_name("]");
};
NIMBAL_PY_NAME(list_generic, "list");
NIMBAL_PY_NAME(iterable_generic, "typing.Iterable");
NIMBAL_PY_NAME(iterator_generic, "typing.Iterator");
template <class E>
using list_of_name = generic_of<list_generic, E>;
template <class E>
using iterable_of_name = generic_of<iterable_generic, E>;
template <class E>
using iterator_of_name = generic_of<iterator_generic, E>;

template <class L, class E>
pyb::class_<L> bind_live_list(pyb::handle scope, const char* doc) {
  using Item = typing::typed<typename E::item_name>;
  using Items = typing::typed<list_of_name<E>>;
  using ItemsIn = typing::typed<iterable_of_name<E>>;
  pyb::class_<L> cls(scope, E::name, doc);
  cls.def(pyb::init([] { return L(); }))
      .def(pyb::init([](ItemsIn it) { return list_from_iterable<L, E>(it); }), pyb::arg("iterable"))
      .def("__len__", [](const L& l) { return l.size(); })
      .def("__getitem__", [](const L& l, Py_ssize_t i) { return Item(E::to_py(l[list_edit::at_index(l.size(), i)])); })
      .def("__getitem__", [](const L& l, pyb::slice s) {
        return Items(to_pylist<L, E>(list_edit::items_at(l, slice_of(s, l.size()))));
      })
      .def("__setitem__",
           [](L& l, Py_ssize_t i, Item v) { l[list_edit::at_index(l.size(), i)] = E::from_py(v); })
      .def("__setitem__",
           [](L& l, pyb::slice s, ItemsIn v) {
             L items = list_from_iterable<L, E>(v);
             list_edit::assign_slice(l, slice_of(s, l.size()), items);
           })
      .def("__delitem__", &list_edit::erase_at<L>)
      .def("__delitem__", [](L& l, pyb::slice s) { list_edit::erase_slice(l, slice_of(s, l.size())); })
      // Iterates a snapshot: changing the list while iterating cannot
      // invalidate anything.
      .def("__iter__", [](const L& l) { return typing::typed<iterator_of_name<E>>(pyb::iter(to_pylist<L, E>(l))); })
      .def("__contains__", [](const L& l, Item v) { return list_edit::contains(l, item_or_none<L, E>(v)); })
      .def("__eq__",
           [](const L& l, pyb::handle other) -> pyb::object {
             if (pyb::isinstance<L>(other)) return pyb::bool_(l == other.cast<const L&>());
             if (!PyList_Check(other.ptr())) return not_implemented();
             return pyb::bool_(to_pylist<L, E>(l).equal(other));
           })
      .def("__ne__",
           [](pyb::handle self, pyb::handle other) -> pyb::object {
             pyb::object eq = self.attr("__eq__")(other);
             if (eq.is(not_implemented())) return eq;
             return pyb::bool_(!eq.cast<bool>());
           })
      .def("__repr__", [](const L& l) { return pyb::repr(to_pylist<L, E>(l)); })
      .def("__copy__", [](const L& l) { return L(l); })
      .def("__deepcopy__", [](const L& l, pyb::handle) { return L(l); }, pyb::arg("memo"))
      .def("copy", [](const L& l) { return Items(to_pylist<L, E>(l)); }, live_list_doc::copy)
      .def("__add__", [](const L& l, ItemsIn other) { return Items(to_pylist<L, E>(l) + pyb::list(pyb::iter(other))); })
      .def("__iadd__",
           [](pyb::object self, ItemsIn other) -> typing::typed<typing::class_name<L>> {
             list_edit::append_all(self.cast<L&>(), list_from_iterable<L, E>(other));
             return self;
           })
      .def("append", [](L& l, Item v) { l.push_back(E::from_py(v)); }, pyb::arg("item"), live_list_doc::append)
      .def("extend", [](L& l, ItemsIn it) { list_edit::append_all(l, list_from_iterable<L, E>(it)); },
           pyb::arg("iterable"), live_list_doc::extend)
      .def("insert", [](L& l, Py_ssize_t i, Item v) { list_edit::insert_at(l, i, E::from_py(v)); },
           pyb::arg("index"), pyb::arg("item"), live_list_doc::insert)
      .def("pop", [](L& l, Py_ssize_t i) { return Item(E::to_py(list_edit::pop_at(l, i))); },
           pyb::arg("index") = -1, live_list_doc::pop)
      .def("remove", [](L& l, Item v) { list_edit::remove_first(l, E::from_py(v)); }, pyb::arg("item"),
           live_list_doc::remove)
      .def("clear", [](L& l) { l.clear(); }, live_list_doc::clear)
      .def("index", [](const L& l, Item v) { return list_edit::index_of(l, E::from_py(v), pyb::repr(v)); },
           pyb::arg("item"), live_list_doc::index)
      .def("count", [](const L& l, Item v) { return std::count(l.begin(), l.end(), E::from_py(v)); },
           pyb::arg("item"), live_list_doc::count)
      .def("reverse", [](L& l) { std::reverse(l.begin(), l.end()); }, live_list_doc::reverse)
      // Exactly list.sort (key, reverse, stability), applied to a copy.
      .def("sort",
           [](L& l, pyb::args args, pyb::kwargs kwargs) {
             pyb::list tmp = to_pylist<L, E>(l);
             tmp.attr("sort")(*args, **kwargs);
             l = list_from_iterable<L, E>(tmp);
           },
           live_list_doc::sort);
  cls.attr("__hash__") = pyb::none();
  pyb::module_::import("collections.abc").attr("MutableSequence").attr("register")(cls);
  return cls;
}

}  // namespace nimbal::py
