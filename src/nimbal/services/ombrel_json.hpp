// The JSON text of project files, read and written the way the host
// language's json module does it (indent 2, ASCII with \u escapes, NaN and
// Infinity tokens, floats as their shortest round-trip form), so a file
// written here is byte for byte what a host-side writer would produce and a
// host-written file reads back alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace nimbal::services::ombrel_json {

using Json = nlohmann::ordered_json;

// What a written text holds: its values and its deepest nesting of containers.
struct DumpStats {
  std::size_t values = 0;
  int depth = 0;
};

// indent=2, ": " between key and value, "," at line ends, no final newline.
std::string dumps(const Json& value, DumpStats* stats = nullptr);

// The shortest text that reads back as `v` ("1.0", "1e+16", "NaN", ...).
std::string float_repr(double v);

// Parses UTF-8 text (validated first). Throws nimbal::InvalidValue with the
// decoder's message ("Expecting value: line 1 column 1 (char 0)") on bad
// input, when containers nest deeper than `max_depth` and when the text holds
// more than `max_values` values.
Json loads(std::string_view utf8, int max_depth, std::size_t max_values);

// Empties a parsed value without allocating, for any value up to the depth
// given at construction. The JSON library's own destructor allocates a
// stack to flatten a container, which fails (and ends the process) when
// memory is exhausted, the moment a failed load needs it most.
class Teardown {
 public:
  explicit Teardown(int max_depth);
  void operator()(Json& value) noexcept;

 private:
  std::vector<Json*> path_;
};

// A parsed document that is freed that way.
struct Document {
  explicit Document(int max_depth) : teardown(max_depth) {}
  ~Document() { teardown(value); }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  Teardown teardown;
  Json value;
};

// repr() of a scalar as the host shows it in messages ('text', 5, None).
std::string py_repr(const Json& value);
// The host's type name of a value (dict, list, str, int, float, bool, NoneType).
std::string py_type_name(const Json& value);

}  // namespace nimbal::services::ombrel_json
