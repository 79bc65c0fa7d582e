// Helpers shared by the sources of the geometry kernel service.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include <gp_Dir.hxx>
#include <gp_Pnt.hxx>
#include <Standard_Failure.hxx>

#include "nimbal/kernel.hpp"
#include "nimbal/services/drulen.hpp"

namespace nimbal::services::detail {

// Text of the exception being handled ("Standard_DomainError: ..." for a
// kernel failure); call only inside a handler.
inline std::string current_error_text() { return kernel::current_error_text(); }
// Throws Standard_NullObject for a null shape: the kernel would dereference it.
void require_shape(const TopoDS_Shape& shape, const char* what);
// NaN and infinities pass the kernel's own checks and poison its algorithms.
double finite(double v, const char* what);
gp_Pnt point(const Point3& p, const char* what);
gp_Dir direction(const Point3& d, const char* what);
std::unordered_set<long long> index_set(const Indices& indices);
// Map key `key` (1-based) is selected by an empty set or by index key - 1.
bool selected(const std::unordered_set<long long>& set, int key);

// Why the shape a reader gave for file `name` must not reach the host: a
// coordinate that is not finite, or no face and no edge; none when it may
// (and for a null shape). A shape the kernel's checker calls invalid is kept
// with a warning on the service's logger. Runs where the reader runs: the
// checker is safe only on finite geometry.
std::optional<std::string> refusal_of_read_shape(const TopoDS_Shape& shape, const std::string& file_type,
                                                 const std::string& name);

// An entity number a STEP file's text defines twice ("#12=" twice), written
// as in the file; none when each is defined once. The
// kernel's second pass over such a file reads memory it never set and may
// spin or crash. Files with SCOPE sections, where a number may be reused in
// another scope, are not looked at.
std::optional<std::string> repeated_entity_number(std::string_view text);

// Runs `body`; a kernel or core error is logged the way `op` logs its
// failures and gives `fallback`.
template <class R, class F>
R guarded(GuardedOp op, R fallback, F&& body) {
  try {
    return body();
  } catch (const Standard_Failure&) {
    Drulen::log_caught(op);
  } catch (const std::exception&) {
    // A host's interrupt raised inside an override is not the operation's.
    if (!kernel::current_error_catchable()) throw;
    Drulen::log_caught(op);
  }
  return fallback;
}

}  // namespace nimbal::services::detail
