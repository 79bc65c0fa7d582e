// A map that iterates in insertion order with O(1) lookup, insertion and
// erasure (registries of thousands of shapes, states of a clear-all).
#pragma once

#include <list>
#include <unordered_map>
#include <utility>

namespace nimbal {

template <class K, class V>
class OrderedMap {
 public:
  using value_type = std::pair<K, V>;
  using iterator = typename std::list<value_type>::iterator;
  using const_iterator = typename std::list<value_type>::const_iterator;

  OrderedMap() = default;
  OrderedMap(const OrderedMap& o) { *this = o; }
  OrderedMap& operator=(const OrderedMap& o) {
    if (this != &o) {
      clear();
      for (const auto& kv : o) set(kv.first, kv.second);
    }
    return *this;
  }
  OrderedMap(OrderedMap&&) noexcept = default;
  OrderedMap& operator=(OrderedMap&&) noexcept = default;

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  bool contains(const K& k) const { return index_.count(k) != 0; }

  // Null when absent.
  V* find(const K& k) {
    auto it = index_.find(k);
    return it == index_.end() ? nullptr : &it->second->second;
  }
  const V* find(const K& k) const {
    auto it = index_.find(k);
    return it == index_.end() ? nullptr : &it->second->second;
  }

  // A present key keeps its position, like a Python dict.
  void set(const K& k, V v) {
    auto it = index_.find(k);
    if (it != index_.end()) {
      it->second->second = std::move(v);
      return;
    }
    items_.emplace_back(k, std::move(v));
    index_.emplace(k, std::prev(items_.end()));
  }

  bool erase(const K& k) {
    auto it = index_.find(k);
    if (it == index_.end()) return false;
    items_.erase(it->second);
    index_.erase(it);
    return true;
  }

  void clear() {
    items_.clear();
    index_.clear();
  }

  bool operator==(const OrderedMap& o) const {
    if (size() != o.size()) return false;
    for (const auto& kv : items_) {
      const V* v = o.find(kv.first);
      if (!v || !(*v == kv.second)) return false;
    }
    return true;
  }

 private:
  std::list<value_type> items_;
  std::unordered_map<K, iterator> index_;
};

}  // namespace nimbal
