// In-place edits of a vector by the host language's list rules, for the
// vectors a host sees as live lists (record fields, undo stacks). Slices
// come already fitted to the vector's size.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "nimbal/errors.hpp"

namespace nimbal::list_edit {

using Index = std::ptrdiff_t;

// The positions start, start + step, ... (count of them); `stop` is where a
// plain slice ends.
struct Slice {
  Index start, stop, step, count;
};

// Position i of a vector of `size` items, counted from the end when
// negative; OutOfRange beyond either end.
inline Index at_index(std::size_t size, Index i) {
  const auto n = static_cast<Index>(size);
  if (i < 0) i += n;
  if (i < 0 || i >= n) throw OutOfRange("list index out of range");
  return i;
}

template <class L>
void erase_at(L& l, Index i) {
  l.erase(l.begin() + at_index(l.size(), i));
}

// Removes and answers the item at position i (as at_index counts it).
template <class L>
typename L::value_type pop_at(L& l, Index i) {
  if (l.empty()) throw OutOfRange("pop from empty list");
  i = at_index(l.size(), i);
  typename L::value_type v = std::move(l[i]);
  l.erase(l.begin() + i);
  return v;
}

template <class L>
L items_at(const L& l, const Slice& s) {
  L out;
  for (Index k = 0; k < s.count; ++k) out.push_back(l[s.start + k * s.step]);
  return out;
}

// Replaces the slice by `items`: a plain slice takes any number of them, an
// extended one (step other than 1) exactly as many as it selects.
template <class L>
void assign_slice(L& l, const Slice& s, const L& items) {
  if (s.step == 1) {
    const Index stop = std::max(s.stop, s.start);
    l.erase(l.begin() + s.start, l.begin() + stop);
    l.insert(l.begin() + s.start, items.begin(), items.end());
    return;
  }
  if (static_cast<Index>(items.size()) != s.count)
    throw InvalidValue("attempt to assign sequence of size " + std::to_string(items.size()) +
                       " to extended slice of size " + std::to_string(s.count));
  for (Index k = 0; k < s.count; ++k) l[s.start + k * s.step] = items[k];
}

template <class L>
void erase_slice(L& l, const Slice& s) {
  std::vector<Index> at;
  for (Index k = 0; k < s.count; ++k) at.push_back(s.start + k * s.step);
  std::sort(at.begin(), at.end());
  for (auto it = at.rbegin(); it != at.rend(); ++it) l.erase(l.begin() + *it);
}

template <class L>
void append_all(L& l, const L& items) {
  l.insert(l.end(), items.begin(), items.end());
}

// Before position i, counted from the end when negative, clamped to the vector.
template <class L>
void insert_at(L& l, Index i, typename L::value_type item) {
  const auto n = static_cast<Index>(l.size());
  i = std::min(i < 0 ? std::max<Index>(0, i + n) : i, n);
  l.insert(l.begin() + i, std::move(item));
}

// A value of another kind (none) is in no list.
template <class L>
bool contains(const L& l, const std::optional<typename L::value_type>& item) {
  return item && std::find(l.begin(), l.end(), *item) != l.end();
}

template <class L>
void remove_first(L& l, const typename L::value_type& item) {
  auto it = std::find(l.begin(), l.end(), item);
  if (it == l.end()) throw InvalidValue("list.remove(x): x not in list");
  l.erase(it);
}

// The position of the first item equal to `item`; InvalidValue "<shown> is
// not in list" when there is none (`shown` being how the host writes it).
template <class L>
Index index_of(const L& l, const typename L::value_type& item, const std::string& shown) {
  auto it = std::find(l.begin(), l.end(), item);
  if (it == l.end()) throw InvalidValue(shown + " is not in list");
  return it - l.begin();
}

}  // namespace nimbal::list_edit
