// A map that iterates in insertion order with O(1) lookup, insertion and
// (amortised) erasure. Entries sit in one contiguous array, so a full scan
// (display names over thousands of shapes) streams through memory instead
// of chasing list nodes; erased slots are compacted away in bulk.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace nimbal {

template <class K, class V>
class OrderedMap {
  using Slot = std::optional<std::pair<K, V>>;

 public:
  using value_type = std::pair<K, V>;

  template <class SlotIt, class Value>
  class basic_iterator {
   public:
    basic_iterator(SlotIt it, SlotIt end) : it_(it), end_(end) { skip(); }
    Value& operator*() const { return **it_; }
    Value* operator->() const { return &**it_; }
    basic_iterator& operator++() {
      ++it_;
      skip();
      return *this;
    }
    bool operator==(const basic_iterator& o) const { return it_ == o.it_; }
    bool operator!=(const basic_iterator& o) const { return it_ != o.it_; }

   private:
    void skip() {
      while (it_ != end_ && !it_->has_value()) ++it_;
    }
    SlotIt it_, end_;
  };
  using iterator = basic_iterator<typename std::vector<Slot>::iterator, value_type>;
  using const_iterator = basic_iterator<typename std::vector<Slot>::const_iterator, const value_type>;

  iterator begin() { return {slots_.begin(), slots_.end()}; }
  iterator end() { return {slots_.end(), slots_.end()}; }
  const_iterator begin() const { return {slots_.begin(), slots_.end()}; }
  const_iterator end() const { return {slots_.end(), slots_.end()}; }
  std::size_t size() const { return index_.size(); }
  bool empty() const { return index_.empty(); }
  bool contains(const K& k) const { return index_.count(k) != 0; }

  // Null when absent.
  V* find(const K& k) {
    auto it = index_.find(k);
    return it == index_.end() ? nullptr : &slots_[it->second]->second;
  }
  const V* find(const K& k) const {
    auto it = index_.find(k);
    return it == index_.end() ? nullptr : &slots_[it->second]->second;
  }

  // A present key keeps its position, like a Python dict.
  void set(const K& k, V v) {
    auto it = index_.find(k);
    if (it != index_.end()) {
      slots_[it->second]->second = std::move(v);
      return;
    }
    index_.emplace(k, slots_.size());
    slots_.emplace_back(std::in_place, k, std::move(v));
  }

  bool erase(const K& k) {
    auto it = index_.find(k);
    if (it == index_.end()) return false;
    slots_[it->second].reset();
    index_.erase(it);
    if (slots_.size() > 32 && index_.size() * 2 < slots_.size()) compact();
    return true;
  }

  void clear() {
    slots_.clear();
    index_.clear();
  }

  bool operator==(const OrderedMap& o) const {
    if (size() != o.size()) return false;
    for (const auto& kv : *this) {
      const V* v = o.find(kv.first);
      if (!v || !(*v == kv.second)) return false;
    }
    return true;
  }

 private:
  void compact() {
    std::vector<Slot> live;
    live.reserve(index_.size());
    for (auto& s : slots_)
      if (s) {
        index_[s->first] = live.size();
        live.push_back(std::move(s));
      }
    slots_ = std::move(live);
  }

  std::vector<Slot> slots_;
  std::unordered_map<K, std::size_t> index_;
};

// The text form of a map as a Python dict writes it, "{key: value, ...}" in
// insertion order, each key and value as `key` and `value` write them.
template <class K, class V, class Key, class Value>
std::string dict_text_form(const OrderedMap<K, V>& map, const Key& key, const Value& value) {
  std::string s = "{";
  for (const auto& [k, v] : map) s += (s.size() > 1 ? ", " : "") + key(k) + ": " + value(v);
  return s + "}";
}

}  // namespace nimbal
