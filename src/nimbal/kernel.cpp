#include "nimbal/kernel.hpp"

#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRep_Builder.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_Printer.hxx>
#include <Message_PrinterOStream.hxx>
#include <TCollection_AsciiString.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Vertex.hxx>
#include <Precision.hxx>
#include <Standard_NullObject.hxx>

#include <atomic>
#include <climits>
#include <cmath>
#include <functional>
#include <mutex>
#include <unordered_map>

#include "nimbal/log.hpp"

namespace nimbal::kernel {

namespace {

const log::Logger kernel_logger("nimbal.kernel");

class LogPrinter : public Message_Printer {
 protected:
  void send(const TCollection_AsciiString& text, const Message_Gravity gravity) const override {
    log::Level level = gravity >= Message_Alarm     ? log::Level::Warning
                       : gravity == Message_Warning ? log::Level::Info
                                                    : log::Level::Debug;
    if (kernel_logger.enabled_for(level)) log::write(kernel_logger.name(), level, text.ToCString());
  }
};

}  // namespace

namespace {

std::string default_error_text() {
  try {
    throw;
  } catch (const Standard_Failure& f) {
    return failure_text(f);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

std::optional<std::string> no_own_text() { return std::nullopt; }
std::optional<std::string> default_printed() { return default_error_text(); }
bool default_catchable() { return true; }

HostErrorPolicy g_policy{&no_own_text, &default_printed, &default_catchable};

}  // namespace

void set_host_error_policy(const HostErrorPolicy& policy) {
  g_policy.own_text = policy.own_text ? policy.own_text : &no_own_text;
  g_policy.printed = policy.printed ? policy.printed : &default_printed;
  g_policy.catchable = policy.catchable ? policy.catchable : &default_catchable;
}

namespace {
std::atomic<void* (*)()> g_wait_release{nullptr};
std::atomic<void (*)(void*)> g_wait_restore{nullptr};
}  // namespace

void set_wait_hooks(const WaitHooks& hooks) {
  g_wait_restore.store(hooks.restore);
  g_wait_release.store(hooks.release);
}

WaitScope::WaitScope() {
  auto release = g_wait_release.load();
  state_ = release ? release() : nullptr;
}

WaitScope::~WaitScope() {
  if (!state_) return;
  if (auto restore = g_wait_restore.load()) restore(state_);
}

namespace {
std::atomic<void (*)()> g_interrupt_check{nullptr};
}  // namespace

void set_interrupt_check(void (*check)()) { g_interrupt_check.store(check); }

void check_interrupt() {
  if (auto check = g_interrupt_check.load()) check();
}

std::string current_error_text() {
  if (std::optional<std::string> own = g_policy.own_text()) return *own;
  return default_error_text();
}
std::optional<std::string> current_error_printed() { return g_policy.printed(); }
bool current_error_catchable() { return g_policy.catchable(); }

void route_kernel_messages() {
  static std::once_flag once;
  std::call_once(once, [] {
    const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
    messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    messenger->AddPrinter(new LogPrinter());
  });
}

namespace {

const TopoDS_Shape& non_null(const TopoDS_Shape& s) {
  if (s.IsNull()) throw Standard_NullObject("TopoDS_Shape::ShapeType: the shape is null");
  return s;
}

const char* type_name(const TopoDS_Shape& s) {
  if (s.IsNull()) return "TopoDS_Shape";
  switch (s.ShapeType()) {
    case TopAbs_COMPOUND: return "TopoDS_Compound";
    case TopAbs_COMPSOLID: return "TopoDS_CompSolid";
    case TopAbs_SOLID: return "TopoDS_Solid";
    case TopAbs_SHELL: return "TopoDS_Shell";
    case TopAbs_FACE: return "TopoDS_Face";
    case TopAbs_WIRE: return "TopoDS_Wire";
    case TopAbs_EDGE: return "TopoDS_Edge";
    case TopAbs_VERTEX: return "TopoDS_Vertex";
    default: return "TopoDS_Shape";
  }
}

}  // namespace

TopAbs_ShapeEnum shape_type(const TopoDS_Shape& shape) { return non_null(shape).ShapeType(); }
TopAbs_Orientation orientation(const TopoDS_Shape& shape) { return non_null(shape).Orientation(); }
TopoDS_Shape reversed(const TopoDS_Shape& shape) { return non_null(shape).Reversed(); }

std::string describe(const TopoDS_Shape& shape) {
  return std::string("<") + type_name(shape) + (shape.IsNull() ? " (null)>" : ">");
}

bool not_same(const TopoDS_Shape& a, const TopoDS_Shape& b) { return !a.IsSame(b); }

int hash_code(const TopoDS_Shape& shape) { return shape.HashCode(INT_MAX); }

namespace {

// The sum of a measure over the unique sub-shapes of `type`.
template <class Measure>
double sum_over(const TopoDS_Shape& shape, TopAbs_ShapeEnum type, Measure measure) {
  double total = 0.0;
  for (const TopoDS_Shape& sub : sub_shapes(shape, type)) {
    GProp_GProps props;
    measure(sub, props);
    total += props.Mass();
  }
  return total;
}

}  // namespace

double volume(const TopoDS_Shape& shape) {
  // Solids only: faces and open shells in a compound would add signed noise.
  return sum_over(shape, TopAbs_SOLID,
                  [](const TopoDS_Shape& s, GProp_GProps& p) { BRepGProp::VolumeProperties(s, p); });
}

double area(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return 0.0;
  GProp_GProps props;
  BRepGProp::SurfaceProperties(shape, props);
  return props.Mass();
}

double length(const TopoDS_Shape& shape) {
  // Each unique edge once: exploring a solid meets every edge from both faces.
  return sum_over(shape, TopAbs_EDGE,
                  [](const TopoDS_Shape& s, GProp_GProps& p) { BRepGProp::LinearProperties(s, p); });
}

std::optional<Bounds> bounding_box(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return std::nullopt;
  Bnd_Box box;
  BRepBndLib::AddOptimal(shape, box, /*useTriangulation=*/false, /*useShapeTolerance=*/false);
  if (box.IsVoid()) return std::nullopt;
  Bounds b{};
  auto& [xmin, ymin, zmin, xmax, ymax, zmax] = b;
  box.Get(xmin, ymin, zmin, xmax, ymax, zmax);
  return b;
}

std::vector<TopoDS_Shape> sub_shapes(const TopoDS_Shape& shape, TopAbs_ShapeEnum type) {
  std::vector<TopoDS_Shape> out;
  if (shape.IsNull()) return out;
  TopTools_IndexedMapOfShape map;
  TopExp::MapShapes(shape, type, map);
  out.reserve(static_cast<std::size_t>(map.Extent()));
  for (int i = 1; i <= map.Extent(); ++i) out.push_back(map(i));
  return out;
}

bool is_valid(const TopoDS_Shape& shape) {
  if (shape.IsNull() || non_finite_geometry(shape)) return false;
  BRepCheck_Analyzer analyzer(shape);
  return analyzer.IsValid();
}

std::string failure_text(const Standard_Failure& failure) {
  std::string text = failure.DynamicType()->Name();
  const char* msg = failure.GetMessageString();
  if (msg && *msg) {
    text += ": ";
    text += msg;
  }
  return text;
}

namespace {

// For each point, the first earlier point closer than the kernel's vertex
// tolerance (the one its wire builder would join it to), or itself. A grid
// of cells ten tolerances wide finds the candidates: a point looks into a
// neighbouring cell only where it lies within a tolerance of that border.
std::vector<std::size_t> first_coincident(const std::vector<gp_Pnt>& points) {
  const double tol = Precision::Confusion();
  const double cell = 10.0 * tol;
  struct Key {
    double c[3];
    bool operator==(const Key& o) const { return c[0] == o.c[0] && c[1] == o.c[1] && c[2] == o.c[2]; }
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      std::hash<double> h;
      return h(k.c[0]) ^ (h(k.c[1]) * 0x9e3779b97f4a7c15ULL) ^ (h(k.c[2]) * 0xc2b2ae3d27d4eb4fULL);
    }
  };
  // Far out the cell index overflows; there a coordinate is its own cell,
  // as neighbouring doubles lie further apart than a tolerance.
  auto index = [&](double v) {
    double i = std::floor(v / cell);
    return std::isfinite(i) ? i : v;
  };
  // Each cell holds its latest point; `earlier` chains a point to the
  // previous one in its cell.
  constexpr std::size_t none = static_cast<std::size_t>(-1);
  std::unordered_map<Key, std::size_t, KeyHash> grid;
  grid.reserve(points.size());
  std::vector<std::size_t> earlier(points.size(), none);
  std::vector<std::size_t> out(points.size());
  for (std::size_t n = 0; n < points.size(); ++n) {
    const gp_Pnt& p = points[n];
    const double v[3] = {p.X(), p.Y(), p.Z()};
    Key own{{index(v[0]), index(v[1]), index(v[2])}};
    int lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
      lo[a] = index(v[a] - tol) != own.c[a] ? -1 : 0;
      hi[a] = index(v[a] + tol) != own.c[a] ? 1 : 0;
    }
    std::size_t found = n;
    for (int dx = lo[0]; dx <= hi[0]; ++dx)
      for (int dy = lo[1]; dy <= hi[1]; ++dy)
        for (int dz = lo[2]; dz <= hi[2]; ++dz) {
          Key k{{dx ? index(v[0] + dx * tol) : own.c[0], dy ? index(v[1] + dy * tol) : own.c[1],
                 dz ? index(v[2] + dz * tol) : own.c[2]}};
          auto it = grid.find(k);
          if (it == grid.end()) continue;
          for (std::size_t j = it->second; j != none; j = earlier[j])
            if (j < found && points[j].Distance(p) < tol) found = j;
        }
    out[n] = found;
    auto [cell_it, fresh] = grid.try_emplace(own, n);
    if (!fresh) {
      earlier[n] = cell_it->second;
      cell_it->second = n;
    }
  }
  return out;
}

TopoDS_Wire wire_by_builder(const std::vector<gp_Pnt>& points, bool closing_edge) {
  BRepBuilderAPI_MakeWire wire;
  for (std::size_t i = 0; i + 1 < points.size(); ++i)
    wire.Add(BRepBuilderAPI_MakeEdge(points[i], points[i + 1]).Edge());
  if (closing_edge) wire.Add(BRepBuilderAPI_MakeEdge(points.back(), points.front()).Edge());
  return wire.IsDone() ? wire.Wire() : TopoDS_Wire();
}

}  // namespace

TopoDS_Wire polyline_wire(const std::vector<gp_Pnt>& points, bool closing_edge) {
  const std::size_t n = points.size();
  if (n < 2) throw std::invalid_argument("a polyline needs two points");
  const std::vector<std::size_t> first = first_coincident(points);
  // The wire builder joins any vertex to an earlier one it touches, moving
  // both to their middle. Only an exact return to the first point is joined
  // here; a polyline touching itself elsewhere or within the tolerance goes
  // through the builder, whose joints and closed flag for such wires this
  // does not reproduce. An exact repeat of the previous point is refused by
  // the edge maker either way.
  bool returns = false;
  for (std::size_t i = 1; i < n; ++i) {
    if (first[i] == i || points[i].IsEqual(points[i - 1], 0.0)) continue;
    if (i + 1 == n && points[i].IsEqual(points[0], 0.0)) {
      returns = true;
      continue;
    }
    return wire_by_builder(points, closing_edge);
  }
  std::vector<TopoDS_Vertex> vertices;
  vertices.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    vertices.push_back(returns && i + 1 == n ? vertices.front() : BRepBuilderAPI_MakeVertex(points[i]).Vertex());
  BRep_Builder builder;
  TopoDS_Wire wire;
  builder.MakeWire(wire);
  for (std::size_t i = 0; i + 1 < n; ++i)
    builder.Add(wire, BRepBuilderAPI_MakeEdge(vertices[i], vertices[i + 1]).Edge());
  if (closing_edge) builder.Add(wire, BRepBuilderAPI_MakeEdge(vertices.back(), vertices.front()).Edge());
  wire.Closed(returns || closing_edge);
  return wire;
}

}  // namespace nimbal::kernel
