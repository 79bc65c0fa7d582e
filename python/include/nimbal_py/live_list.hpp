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
#include "nimbal_py/define.hpp"
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

namespace convert {

// An item given to a live list of E, read as the list reads its items; the
// object given too, for messages that show it.
template <class E>
struct list_item {
  decltype(E::from_py(std::declval<pyb::handle>())) value;
  pyb::object object;
};
template <class E>
list_item<E> value(pyb::handle v, tag<list_item<E>>, std::string_view) {
  return {E::from_py(v), pyb::reinterpret_borrow<pyb::object>(v)};
}
template <class E>
struct arg_name<list_item<E>> : E::item_name {};

// Items for a live list L of E, from any iterable (a list L is copied).
template <class L, class E>
struct list_items {
  L items;
};
template <class L, class E>
list_items<L, E> value(pyb::handle v, tag<list_items<L, E>>, std::string_view) {
  return {list_from_iterable<L, E>(v)};
}
template <class L, class E>
struct arg_name<list_items<L, E>> : iterable_of_name<E> {};

}  // namespace convert

template <class L, class E>
pyb::class_<L> bind_live_list(pyb::handle scope, const char* doc) {
  using Item = typing::typed<typename E::item_name>;
  using Items = typing::typed<list_of_name<E>>;
  using ItemsIn = typing::typed<iterable_of_name<E>>;
  using Given = convert::list_item<E>;
  using GivenItems = convert::list_items<L, E>;
  pyb::class_<L> cls(scope, E::name, doc);
  def(cls, "__init__", made<L>, as_constructor);
  def(cls, "__init__", [](ItemsIn it) { return list_from_iterable<L, E>(it); }, as_constructor, pyb::arg("iterable"));
  def(cls, "__len__", [](const L& l) { return l.size(); });
  // Item access by index or by slice: pybind11 picks the overload by the
  // key's type, as a list does.
  cls.def("__getitem__", [](const L& l, Py_ssize_t i) { return Item(E::to_py(l[list_edit::at_index(l.size(), i)])); })
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
      .def("__delitem__", [](L& l, pyb::slice s) { list_edit::erase_slice(l, slice_of(s, l.size())); });
  // Iterates a snapshot: changing the list while iterating cannot
  // invalidate anything.
  def(cls, "__iter__", [](const L& l) { return typing::typed<iterator_of_name<E>>(pyb::iter(to_pylist<L, E>(l))); });
  // Anything may be asked for: what is no item is not contained.
  def(cls, "__contains__", [](const L& l, Item v) { return list_edit::contains(l, item_or_none<L, E>(v)); },
      pyb::arg("arg0"));
  def(cls, "__eq__", [](const L& l, pyb::object other) -> pyb::object {
    if (pyb::isinstance<L>(other)) return pyb::bool_(l == other.cast<const L&>());
    if (!PyList_Check(other.ptr())) return not_implemented();
    return pyb::bool_(to_pylist<L, E>(l).equal(other));
  }, pyb::arg("other"));
  def(cls, "__ne__", [](pyb::object self, pyb::object other) -> pyb::object {
    pyb::object eq = self.attr("__eq__")(other);
    if (eq.is(not_implemented())) return eq;
    return pyb::bool_(!eq.cast<bool>());
  }, pyb::arg("other"));
  def(cls, "__repr__", [](const L& l) { return pyb::repr(to_pylist<L, E>(l)); });
  def(cls, "__copy__", [](const L& l) { return L(l); });
  def(cls, "__deepcopy__", [](const L& l, pyb::object) { return L(l); }, pyb::arg("memo"));
  def(cls, "copy", [](const L& l) { return Items(to_pylist<L, E>(l)); }, live_list_doc::copy);
  // A plain list of the items and of whatever the other iterable holds.
  def(cls, "__add__", [](const L& l, ItemsIn other) { return Items(to_pylist<L, E>(l) + pyb::list(pyb::iter(other))); },
      pyb::arg("arg0"));
  def(cls, "__iadd__", [](pyb::object self, GivenItems other) -> typing::typed<typing::class_name<L>> {
    list_edit::append_all(self.cast<L&>(), other.items);
    return self;
  }, pyb::arg("arg0"));
  def(cls, "append", [](L& l, Given v) { l.push_back(std::move(v.value)); }, pyb::arg("item"), live_list_doc::append);
  def(cls, "extend", [](L& l, GivenItems it) { list_edit::append_all(l, it.items); }, pyb::arg("iterable"),
      live_list_doc::extend);
  def(cls, "insert", [](L& l, long long i, Given v) { list_edit::insert_at(l, i, std::move(v.value)); },
      pyb::arg("index"), pyb::arg("item"), live_list_doc::insert);
  def(cls, "pop", [](L& l, long long i) { return Item(E::to_py(list_edit::pop_at(l, i))); }, pyb::arg("index") = -1,
      live_list_doc::pop);
  def(cls, "remove", [](L& l, Given v) { list_edit::remove_first(l, v.value); }, pyb::arg("item"),
      live_list_doc::remove);
  def(cls, "clear", [](L& l) { l.clear(); }, live_list_doc::clear);
  def(cls, "index", [](const L& l, Given v) { return list_edit::index_of(l, v.value, pyb::repr(v.object)); },
      pyb::arg("item"), live_list_doc::index);
  def(cls, "count", [](const L& l, Given v) { return std::count(l.begin(), l.end(), v.value); }, pyb::arg("item"),
      live_list_doc::count);
  def(cls, "reverse", [](L& l) { std::reverse(l.begin(), l.end()); }, live_list_doc::reverse);
  // Exactly list.sort (key, reverse, stability), applied to a copy; its
  // arguments pass to list.sort as they came.
  def(cls, "sort", [](L& l, pyb::args args, pyb::kwargs kwargs) {
    pyb::list tmp = to_pylist<L, E>(l);
    tmp.attr("sort")(*args, **kwargs);
    l = list_from_iterable<L, E>(tmp);
  }, live_list_doc::sort);
  cls.attr("__hash__") = pyb::none();
  pyb::module_::import("collections.abc").attr("MutableSequence").attr("register")(cls);
  return cls;
}

}  // namespace nimbal::py
