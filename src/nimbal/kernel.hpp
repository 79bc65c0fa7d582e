// What the system needs to look at a kernel shape: measures, extent,
// sub-shapes in the kernel's own numbering, validity, and the text of a
// kernel error; and the one wire builder the services share.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include <Standard_Failure.hxx>
#include <TopAbs_Orientation.hxx>
#include <TopAbs_ShapeEnum.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Pnt.hxx>

namespace nimbal::kernel {

// The shape's type and orientation, and a copy of it reversed; a null shape
// is refused with Standard_NullObject, where the kernel would dereference it.
TopAbs_ShapeEnum shape_type(const TopoDS_Shape& shape);
TopAbs_Orientation orientation(const TopoDS_Shape& shape);
TopoDS_Shape reversed(const TopoDS_Shape& shape);

// How a shape shows itself: "<TopoDS_Solid>", "<TopoDS_Shape (null)>".
std::string describe(const TopoDS_Shape& shape);

// Shapes are equal as sub-shapes are in TopExp::MapShapes: the same
// topology and location, whatever the orientation; the hash agrees.
bool not_same(const TopoDS_Shape& a, const TopoDS_Shape& b);
int hash_code(const TopoDS_Shape& shape);

// Measures of the whole shape (0 for a null shape): volume of its solids,
// area of its faces, length of its unique edges.
double volume(const TopoDS_Shape& shape);
double area(const TopoDS_Shape& shape);
double length(const TopoDS_Shape& shape);

// xmin, ymin, zmin, xmax, ymax, zmax.
using Bounds = std::tuple<double, double, double, double, double, double>;
// Exact (not enlarged) bounds; none for a null or empty shape.
std::optional<Bounds> bounding_box(const TopoDS_Shape& shape);

// Unique sub-shapes of `type`, in the order of TopExp::MapShapes: position i
// is the sub-shape index i used by fillets, rounds and selection.
std::vector<TopoDS_Shape> sub_shapes(const TopoDS_Shape& shape, TopAbs_ShapeEnum type);

// BRepCheck_Analyzer's verdict; a null shape is not valid, nor one whose
// geometry is not finite (the checker would crash on it).
bool is_valid(const TopoDS_Shape& shape);

// Where the shape's geometry holds NaN or an infinity ("vertex 3 at (nan,
// 0, 0)": a vertex point or tolerance, a number a curve, curve on a surface
// or surface is made of, a point on one, the bounding box); none when it is
// finite throughout, or null. Runs no algorithm that such numbers upset.
std::optional<std::string> non_finite_geometry(const TopoDS_Shape& shape);

// The wire of straight edges through `points` in order, plus an edge from the
// last point back to the first when `closing_edge`: the wire the kernel's
// wire builder gives for those edges added one by one (the same edges,
// orientations, shared vertices and closed flag), in linear time where the
// builder searches every vertex so far for each edge. Coincident
// consecutive points raise the edge maker's error, as there; a wire the
// builder reports unfinished is null.
TopoDS_Wire polyline_wire(const std::vector<gp_Pnt>& points, bool closing_edge);

// "Standard_ConstructionError: message" (the message may be empty).
std::string failure_text(const Standard_Failure& failure);

// How the embedding layer reads the exception being handled, set once by it
// (all called inside a handler): the text of an error of its own (none for
// the core's, which the core words itself); the text the host prints for
// the exception as it would raise it (none when it cannot print it); and
// whether the core's handlers may catch it (a host's interrupt or exit
// request must pass through).
struct HostErrorPolicy {
  std::optional<std::string> (*own_text)() = nullptr;
  std::optional<std::string> (*printed)() = nullptr;
  bool (*catchable)() = nullptr;
};
void set_host_error_policy(const HostErrorPolicy& policy);
// Inside a handler: the exception's text ("Standard_DomainError: ..." for a
// kernel failure, "unknown error" for one of no known kind), the host's
// printed text of it, and whether a core handler may catch it.
std::string current_error_text();
std::optional<std::string> current_error_printed();
bool current_error_catchable();

// How the embedding layer lets its other threads run while a thread of the
// core waits for another (the Python face releases its interpreter lock, so
// that a thread holding the exchange lock can still log). `release` returns
// what `restore` takes back; set once by the embedding layer.
struct WaitHooks {
  void* (*release)() = nullptr;
  void (*restore)(void*) = nullptr;
};
void set_wait_hooks(const WaitHooks& hooks);

// The embedding layer's lock released for the scope of a wait.
class WaitScope {
 public:
  WaitScope();
  ~WaitScope();
  WaitScope(const WaitScope&) = delete;
  WaitScope& operator=(const WaitScope&) = delete;

 private:
  void* state_;
};

// How a long wait of the core (a read in the reader process) asks the
// embedding layer whether the host wants it stopped: `check` returns
// normally to let the wait go on, and throws the host's own interrupt to end
// it (the Python face raises a pending KeyboardInterrupt in its main
// thread). Called every few tenths of a second, without the embedding
// layer's lock; set once by the embedding layer.
void set_interrupt_check(void (*check)());
// Calls the check set, if any; what it throws goes on.
void check_interrupt();

// Sends the kernel's own messages (exchange statistics, warnings) to the
// logger "nimbal.kernel" instead of standard output. Idempotent.
void route_kernel_messages();

// Thrown where the core reports a kernel failure it detected itself.
struct KernelError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace nimbal::kernel
