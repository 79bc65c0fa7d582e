#include "nimbal/services/ombrel_json.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <unordered_map>
#include <vector>
#include <algorithm>

#include <locale.h>
#include <stdlib.h>

#include "nimbal/errors.hpp"
#include "nimbal/models/quenby.hpp"

namespace nimbal::services::ombrel_json {

// ---------------------------------------------------------------- writing

std::string float_repr(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
  // Shortest round-trip digits in scientific form: "-d.ddde+XX".
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  std::string s(buf, res.ptr);
  std::string out;
  std::size_t i = 0;
  if (s[0] == '-') {
    out += '-';
    i = 1;
  }
  std::size_t e = s.find('e');
  std::string digits;
  for (std::size_t k = i; k < e; ++k)
    if (s[k] != '.') digits += s[k];
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exp10 = std::atoi(s.c_str() + e + 1);
  int decpt = exp10 + 1;  // value = 0.digits * 10^decpt
  if (decpt <= -4 || decpt > 16) {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out.append(digits, 1, std::string::npos);
    }
    char ebuf[16];
    std::snprintf(ebuf, sizeof ebuf, "e%c%02d", exp10 < 0 ? '-' : '+', std::abs(exp10));
    out += ebuf;
  } else if (decpt <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-decpt), '0');
    out += digits;
  } else if (static_cast<std::size_t>(decpt) >= digits.size()) {
    out += digits;
    out.append(static_cast<std::size_t>(decpt) - digits.size(), '0');
    out += ".0";
  } else {
    out.append(digits, 0, static_cast<std::size_t>(decpt));
    out += '.';
    out.append(digits, static_cast<std::size_t>(decpt), std::string::npos);
  }
  return out;
}

namespace {

// Decodes one UTF-8 sequence of text that is known to be valid.
char32_t next_code_point(std::string_view s, std::size_t& i) {
  auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  int n = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
  char32_t cp = c & (0x3F >> n);
  ++i;
  for (int k = 0; k < n && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
  return cp;
}

void append_u_escape(std::string& out, unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\u%04x", v);
  out += buf;
}

void write_string(std::string& out, const std::string& s) {
  out += '"';
  std::size_t i = 0;
  while (i < s.size()) {
    char32_t cp = next_code_point(s, i);
    switch (cp) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (cp >= 0x20 && cp <= 0x7E) {
          out += static_cast<char>(cp);
        } else if (cp > 0xFFFF) {
          char32_t v = cp - 0x10000;
          append_u_escape(out, 0xD800 | ((v >> 10) & 0x3FF));
          append_u_escape(out, 0xDC00 | (v & 0x3FF));
        } else {
          append_u_escape(out, static_cast<unsigned>(cp));
        }
    }
  }
  out += '"';
}

void write_scalar(std::string& out, const Json& v) {
  switch (v.type()) {
    case Json::value_t::null: out += "null"; break;
    case Json::value_t::boolean: out += v.get<bool>() ? "true" : "false"; break;
    case Json::value_t::number_integer: out += std::to_string(v.get<long long>()); break;
    case Json::value_t::number_unsigned: out += std::to_string(v.get<unsigned long long>()); break;
    case Json::value_t::number_float: out += float_repr(v.get<double>()); break;
    case Json::value_t::string: write_string(out, v.get_ref<const std::string&>()); break;
    default: throw WrongType("Object of this type is not JSON serializable");
  }
}

// Without recursion: a description may nest as deep as its models do.
void write_value(std::string& out, const Json& root, DumpStats* stats) {
  struct Frame {
    const Json* v;
    std::size_t index;
    int level;
  };
  std::vector<Frame> stack;
  std::size_t values = 0;
  int depth = 0;
  auto newline = [&](int lv) {
    out += '\n';
    out.append(static_cast<std::size_t>(lv) * 2, ' ');
  };
  auto open = [&](const Json& v, int level) {
    ++values;
    const bool is_array = v.is_array();
    if (!is_array && !v.is_object()) return write_scalar(out, v);
    if (v.empty()) {
      out += is_array ? "[]" : "{}";
      return;
    }
    out += is_array ? '[' : '{';
    stack.push_back({&v, 0, level});
    depth = std::max(depth, static_cast<int>(stack.size()));
  };
  open(root, 0);
  while (!stack.empty()) {
    Frame& f = stack.back();
    const Json* child;
    if (f.v->is_array()) {
      const auto& items = f.v->get_ref<const Json::array_t&>();
      if (f.index == items.size()) {
        newline(f.level);
        out += ']';
        stack.pop_back();
        continue;
      }
      if (f.index) out += ',';
      newline(f.level + 1);
      child = &items[f.index];
    } else {
      const auto& members = f.v->get_ref<const Json::object_t&>();
      if (f.index == members.size()) {
        newline(f.level);
        out += '}';
        stack.pop_back();
        continue;
      }
      if (f.index) out += ',';
      newline(f.level + 1);
      const auto& member = *(members.begin() + static_cast<std::ptrdiff_t>(f.index));
      write_string(out, member.first);
      out += ": ";
      child = &member.second;
    }
    const int level = f.level + 1;
    ++f.index;  // `f` dies with the next push
    open(*child, level);
  }
  if (stats) *stats = {values, depth};
}

}  // namespace

std::string dumps(const Json& value, DumpStats* stats) {
  std::string out;
  write_value(out, value, stats);
  return out;
}

// ---------------------------------------------------------------- freeing

Teardown::Teardown(int max_depth) { path_.reserve(static_cast<std::size_t>(max_depth) + 2); }

void Teardown::operator()(Json& root) noexcept {
  auto open_container = [](const Json& v) { return (v.is_array() || v.is_object()) && !v.empty(); };
  path_.clear();
  path_.push_back(&root);
  // Always pops the last item of the innermost open container: a scalar or
  // an empty container, whose destruction allocates nothing.
  while (!path_.empty()) {
    Json* cur = path_.back();
    Json* last = nullptr;
    if (cur->is_array() && !cur->empty()) last = &cur->get_ref<Json::array_t&>().back();
    else if (cur->is_object() && !cur->empty())
      last = &static_cast<Json::object_t::Container&>(cur->get_ref<Json::object_t&>()).back().second;
    if (!last) {
      path_.pop_back();
      continue;
    }
    if (open_container(*last) && path_.size() < path_.capacity()) {
      path_.push_back(last);
      continue;
    }
    if (cur->is_array()) cur->get_ref<Json::array_t&>().pop_back();
    else static_cast<Json::object_t::Container&>(cur->get_ref<Json::object_t&>()).pop_back();
  }
}

// ---------------------------------------------------------------- reading

namespace {

// Validates UTF-8 the way the host's strict decoder does; the message names
// the first bad byte.
void check_utf8(std::string_view s) {
  auto fail = [&](std::size_t pos, const char* why) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "'utf-8' codec can't decode byte 0x%02x in position %zu: %s",
                  static_cast<unsigned char>(s[pos]), pos, why);
    throw InvalidValue(buf);
  };
  std::size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int n;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) n = 1;
    else if (c == 0xE0) n = 2, lo = 0xA0;
    else if (c >= 0xE1 && c <= 0xEC) n = 2;
    else if (c == 0xED) n = 2, hi = 0x9F;  // no surrogates
    else if (c >= 0xEE && c <= 0xEF) n = 2;
    else if (c == 0xF0) n = 3, lo = 0x90;
    else if (c >= 0xF1 && c <= 0xF3) n = 3;
    else if (c == 0xF4) n = 3, hi = 0x8F;
    else fail(i, "invalid start byte");
    for (int k = 1; k <= n; ++k) {
      if (i + k >= s.size()) fail(i, "unexpected end of data");
      auto d = static_cast<unsigned char>(s[i + k]);
      if (d < (k == 1 ? lo : 0x80) || d > (k == 1 ? hi : 0xBF)) fail(i, "invalid continuation byte");
    }
    i += static_cast<std::size_t>(n) + 1;
  }
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

class Parser {
 public:
  Parser(std::string_view s, int max_depth, std::size_t max_values)
      : s_(s), max_depth_(max_depth), max_values_(max_values), free_(max_depth) {}

  Json document() {
    if (s_.size() >= 3 && s_.substr(0, 3) == "\xEF\xBB\xBF") fail("Unexpected UTF-8 BOM (decode using utf-8-sig)", 0);
    skip_ws();
    Json v = value(0);
    skip_ws();
    if (i_ != s_.size()) {
      free_(v);
      fail("Extra data", i_);
    }
    return v;
  }

 private:
  [[noreturn]] void fail(const char* what, std::size_t byte_pos) const {
    // Positions count characters, as the host's decoder does.
    std::size_t pos = 0, line = 1, last_nl = std::string_view::npos;
    for (std::size_t k = 0; k < byte_pos && k < s_.size(); ++k) {
      auto c = static_cast<unsigned char>(s_[k]);
      if ((c & 0xC0) == 0x80) continue;
      if (c == '\n') {
        ++line;
        last_nl = pos;
      }
      ++pos;
    }
    std::size_t col = last_nl == std::string_view::npos ? pos + 1 : pos - last_nl;
    throw InvalidValue(std::string(what) + ": line " + std::to_string(line) + " column " + std::to_string(col) +
                     " (char " + std::to_string(pos) + ")");
  }

  void skip_ws() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
  }
  bool at(char c) const { return i_ < s_.size() && s_[i_] == c; }
  bool starts(std::string_view w) const { return s_.substr(i_, w.size()) == w; }

  Json value(int depth) {
    if (i_ >= s_.size()) fail("Expecting value", i_);
    // Bounds the work and the memory, which the byte limit alone does not
    // ("[]," is three bytes of text and far more of tree).
    if (++values_ > max_values_)
      throw InvalidValue("project.json holds more than " + std::to_string(max_values_) + " values");
    char c = s_[i_];
    if (c == '"') return string();
    if (c == '{' || c == '[') {
      if (depth >= max_depth_)
        throw InvalidValue("project.json is nested too deeply (more than " + std::to_string(max_depth_) +
                         " levels)");
      return c == '{' ? object(depth + 1) : array(depth + 1);
    }
    if (starts("null")) return i_ += 4, Json(nullptr);
    if (starts("true")) return i_ += 4, Json(true);
    if (starts("false")) return i_ += 5, Json(false);
    if (starts("NaN")) return i_ += 3, Json(std::numeric_limits<double>::quiet_NaN());
    if (starts("Infinity")) return i_ += 8, Json(std::numeric_limits<double>::infinity());
    if (starts("-Infinity")) return i_ += 9, Json(-std::numeric_limits<double>::infinity());
    return number();
  }

  Json number() {
    std::size_t start = i_, j = i_;
    auto digit = [&](std::size_t k) { return k < s_.size() && s_[k] >= '0' && s_[k] <= '9'; };
    if (j < s_.size() && s_[j] == '-') ++j;
    if (!digit(j)) fail("Expecting value", start);
    if (s_[j] == '0') ++j;
    else
      while (digit(j)) ++j;
    bool is_float = false;
    if (j < s_.size() && s_[j] == '.' && digit(j + 1)) {
      is_float = true;
      j += 1;
      while (digit(j)) ++j;
    }
    if (j < s_.size() && (s_[j] == 'e' || s_[j] == 'E')) {
      std::size_t k = j + 1;
      if (k < s_.size() && (s_[k] == '+' || s_[k] == '-')) ++k;
      if (digit(k)) {
        is_float = true;
        while (digit(k)) ++k;
        j = k;
      }
    }
    i_ = j;
    std::string text(s_.substr(start, j - start));
    if (!is_float) {
      long long v = 0;
      auto r = std::from_chars(text.data(), text.data() + text.size(), v);
      if (r.ec == std::errc() && r.ptr == text.data() + text.size()) return Json(v);
      unsigned long long u = 0;
      r = std::from_chars(text.data(), text.data() + text.size(), u);
      if (r.ec == std::errc() && r.ptr == text.data() + text.size()) return Json(u);
      // Beyond 64 bits: kept as the nearest float.
    }
    // Locale-independent (a host may have set LC_NUMERIC); overflow gives
    // an infinity and underflow zero, as the host's float() does.
    static locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return Json(strtod_l(text.c_str(), nullptr, c_locale));
  }

  unsigned hex4(std::size_t at_pos, std::size_t err_pos) {
    if (at_pos + 4 > s_.size()) fail("Invalid \\uXXXX escape", err_pos);
    unsigned v = 0;
    for (std::size_t k = at_pos; k < at_pos + 4; ++k) {
      char c = s_[k];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f') v |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') v |= static_cast<unsigned>(c - 'A' + 10);
      else fail("Invalid \\uXXXX escape", err_pos);
    }
    return v;
  }

  Json string() {
    std::size_t start = i_;
    ++i_;
    std::string out;
    for (;;) {
      if (i_ >= s_.size()) fail("Unterminated string starting at", start);
      auto c = static_cast<unsigned char>(s_[i_]);
      if (c == '"') {
        ++i_;
        return Json(std::move(out));
      }
      if (c < 0x20) fail("Invalid control character at", i_);
      if (c != '\\') {
        out += static_cast<char>(c);
        ++i_;
        continue;
      }
      if (i_ + 1 >= s_.size()) fail("Unterminated string starting at", start);
      char e = s_[i_ + 1];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          unsigned cp = hex4(i_ + 2, i_ + 1);
          std::size_t next = i_ + 6;
          if (cp >= 0xD800 && cp <= 0xDBFF && next + 1 < s_.size() && s_[next] == '\\' && s_[next + 1] == 'u') {
            unsigned lo = hex4(next + 2, next + 1);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
              cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
              next += 6;
            }
          }
          // A lone surrogate cannot be held as UTF-8 text: it reads as U+FFFD.
          if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
          append_utf8(out, cp);
          i_ = next;
          continue;
        }
        default: fail("Invalid \\escape", i_);
      }
      i_ += 2;
    }
  }

  Json object(int depth) {
    ++i_;
    Json o = Json::object();
    auto& members = static_cast<Json::object_t::Container&>(o.get_ref<Json::object_t&>());
    // Keys are found through a hash index, not by the ordered object's
    // linear search (which makes a parse quadratic in the keys).
    std::unordered_map<std::string, std::size_t> index;
    skip_ws();
    if (at('}')) {
      ++i_;
      return o;
    }
    try {
      for (;;) {
        if (!at('"')) fail("Expecting property name enclosed in double quotes", i_);
        std::string key = string().get<std::string>();
        skip_ws();
        if (!at(':')) fail("Expecting ':' delimiter", i_);
        ++i_;
        skip_ws();
        Json v = value(depth);
        try {
          insert(members, index, std::move(key), v);
        } catch (...) {
          free_(v);
          throw;
        }
        skip_ws();
        if (at('}')) {
          ++i_;
          return o;
        }
        if (!at(',')) fail("Expecting ',' delimiter", i_);
        ++i_;
        skip_ws();
      }
    } catch (...) {
      free_(o);  // what was read so far, without allocating
      throw;
    }
  }

  // A repeated key keeps its first place and takes the last value. Small
  // objects are searched directly, larger ones through the index.
  void insert(Json::object_t::Container& members, std::unordered_map<std::string, std::size_t>& index,
              std::string key, Json& v) {
    constexpr std::size_t indexed_from = 8;
    std::size_t place = members.size();
    if (members.size() < indexed_from) {
      for (std::size_t k = 0; k < members.size(); ++k)
        if (members[k].first == key) place = k;
    } else {
      if (index.empty())
        for (std::size_t k = 0; k < members.size(); ++k) index.emplace(members[k].first, k);
      place = index.try_emplace(key, members.size()).first->second;
    }
    if (place == members.size()) {
      members.emplace_back(std::move(key), std::move(v));
    } else {
      free_(members[place].second);
      members[place].second = std::move(v);
    }
  }

  Json array(int depth) {
    ++i_;
    Json a = Json::array();
    skip_ws();
    if (at(']')) {
      ++i_;
      return a;
    }
    try {
      for (;;) {
        skip_ws();
        Json v = value(depth);
        try {
          a.push_back(std::move(v));
        } catch (...) {
          free_(v);
          throw;
        }
        skip_ws();
        if (at(']')) {
          ++i_;
          return a;
        }
        if (!at(',')) fail("Expecting ',' delimiter", i_);
        ++i_;
      }
    } catch (...) {
      free_(a);  // what was read so far, without allocating
      throw;
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
  int max_depth_;
  std::size_t max_values_;
  std::size_t values_ = 0;
  Teardown free_;
};

}  // namespace

Json loads(std::string_view utf8, int max_depth, std::size_t max_values) {
  check_utf8(utf8);
  return Parser(utf8, max_depth, max_values).document();
}

std::string py_repr(const Json& v) {
  switch (v.type()) {
    case Json::value_t::null: return "None";
    case Json::value_t::boolean: return v.get<bool>() ? "True" : "False";
    case Json::value_t::number_integer: return std::to_string(v.get<long long>());
    case Json::value_t::number_unsigned: return std::to_string(v.get<unsigned long long>());
    case Json::value_t::number_float: {
      double d = v.get<double>();
      if (std::isnan(d)) return "nan";
      if (std::isinf(d)) return d > 0 ? "inf" : "-inf";
      return float_repr(d);
    }
    case Json::value_t::string: {
      const std::string& s = v.get_ref<const std::string&>();
      char q = (s.find('\'') != std::string::npos && s.find('"') == std::string::npos) ? '"' : '\'';
      std::string out(1, q);
      for (char c : s) {
        if (c == q || c == '\\') out += '\\';
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
      }
      out += q;
      return out;
    }
    case Json::value_t::array: return v.empty() ? "[]" : "[...]";
    case Json::value_t::object: return v.empty() ? "{}" : "{...}";
    default: return "?";
  }
}

std::string py_type_name(const Json& v) { return std::string(nimbal::models::json_type_name(v)); }

}  // namespace nimbal::services::ombrel_json
