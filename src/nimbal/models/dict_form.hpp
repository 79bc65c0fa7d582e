// Reading a host value into the dictionary form: how deep it may nest and
// the refusals of values that have none. The embedding layer walks its own
// values; the bound and the words are decided here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "nimbal/errors.hpp"

namespace nimbal::models::dict_form {

// Nesting is bounded so that a self-referencing or absurdly deep value
// cannot exhaust the stack.
inline constexpr int kMaxDepth = 64;

inline void check_depth(int depth) {
  if (depth > kMaxDepth) throw InvalidValue("value nested too deeply");
}

// `repr` is the host's repr() of the integer.
inline InvalidValue integer_out_of_range(std::string_view repr) {
  return InvalidValue("integer out of range: " + std::string(repr));
}

// A mapping whose items() gave something other than a (key, value) pair.
inline WrongType not_an_item_pair(std::string_view type_name) {
  return WrongType("a mapping's items must be (key, value) pairs, not '" + std::string(type_name) + "'");
}

// A mapping of the host read key by key, as the dictionary form is read:
// a key's value, none when the mapping does not have the key.
using KeyLookup = std::function<std::optional<nlohmann::ordered_json>(std::string_view key)>;

// What is read as a mapping but has no `get` (`type_name` its type's name).
inline MissingMember no_get(std::string_view type_name) {
  return MissingMember("'" + std::string(type_name) + "' object has no attribute 'get'");
}

inline WrongType no_dict_form(std::string_view type_name) {
  return WrongType("cannot store a value of type '" + std::string(type_name) + "' in the dictionary form");
}

}  // namespace nimbal::models::dict_form
