// Corner rounding of a wire: arcs tangent to both neighbouring segments at
// the selected junctions, computed from 3D points so that open, closed and
// non-planar wires take the same steps.
#include <cmath>
#include <map>
#include <set>
#include <string>

#include <BRepAdaptor_Curve.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>

#include "nimbal/services/drulen_detail.hpp"

namespace nimbal::services {

namespace {

using V3 = Point3;

V3 pt(const gp_Pnt& p) { return {p.X(), p.Y(), p.Z()}; }
V3 sub(const V3& a, const V3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V3 add(const V3& a, const V3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
V3 scale(const V3& v, double s) { return {v[0] * s, v[1] * s, v[2] * s}; }
double dot(const V3& a, const V3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double length(const V3& v) { return std::sqrt(dot(v, v)); }
V3 normalize(const V3& v) {
  double l = length(v);
  if (l > 1e-12) return scale(v, 1.0 / l);
  return {0.0, 0.0, 0.0};
}
gp_Pnt gp(const V3& v) { return gp_Pnt(v[0], v[1], v[2]); }

struct EdgeData {
  V3 start, end;
  TopoDS_Vertex start_vertex;
};

struct Arc {
  V3 t1, t2, m;
};

std::string fmt_warning(const char* pattern, long long a, long long b = -1) {
  char buf[160];
  if (b < 0)
    std::snprintf(buf, sizeof buf, pattern, a);
  else
    std::snprintf(buf, sizeof buf, pattern, a, b);
  return buf;
}

}  // namespace

TopoDS_Shape Drulen::ops::apply_corner_round_wire(const TopoDS_Shape& wire_shape, double radius,
                                                  const Shapes& target_vertices) {
  detail::require_shape(wire_shape, "wire");
  const TopoDS_Wire& wire = TopoDS::Wire(wire_shape);
  detail::finite(radius, "radius");

  // Phase 1: the edges in wire order.
  std::vector<EdgeData> edge_data;
  for (BRepTools_WireExplorer explorer(wire); explorer.More(); explorer.Next()) {
    const TopoDS_Edge& edge = explorer.Current();
    BRepAdaptor_Curve curve(edge);
    V3 p1 = pt(curve.Value(curve.FirstParameter()));
    V3 p2 = pt(curve.Value(curve.LastParameter()));
    // A reversed edge runs from its curve's last parameter to its first:
    // take its ends in the order the wire walks them.
    if (edge.Orientation() == TopAbs_REVERSED) std::swap(p1, p2);
    edge_data.push_back({p1, p2, explorer.CurrentVertex()});
  }
  const long long n = static_cast<long long>(edge_data.size());
  if (n == 0) return TopoDS_Shape();
  const bool is_closed = wire.Closed();

  std::vector<V3> pts;
  for (const auto& e : edge_data) pts.push_back(e.start);
  if (!is_closed) pts.push_back(edge_data.back().end);

  auto wrap = [&](long long j) { return is_closed ? ((j % n) + n) % n : j; };
  auto pt_at = [&](long long j) { return pts[static_cast<std::size_t>(wrap(j))]; };
  auto junction_v = [&](long long j) { return edge_data[static_cast<std::size_t>(wrap(j))].start_vertex; };
  auto is_target = [&](const TopoDS_Vertex& v) {
    for (const auto& t : target_vertices)
      if (v.IsSame(t)) return true;
    return false;
  };

  // Phase 2: one arc per selected junction.
  std::map<long long, Arc> junction_arcs;
  for (long long j = is_closed ? 0 : 1; j < n; ++j) {
    if (!is_target(junction_v(j))) continue;
    V3 v = pt_at(j), prev = pt_at(j - 1), next = pt_at(j + 1);
    V3 d1 = normalize(sub(prev, v)), d2 = normalize(sub(next, v));
    if (length(d1) < 1e-10 || length(d2) < 1e-10) continue;
    double cos_b = std::max(std::min(dot(d1, d2), 1.0), -1.0);
    if (cos_b > 0.999999 || cos_b < -0.999999) continue;
    double beta = std::acos(cos_b);
    double sin_h = std::sin(beta / 2.0);
    double t = radius / std::tan(beta / 2.0);
    double dist_prev = length(sub(prev, v)), dist_next = length(sub(next, v));
    if (t >= dist_prev * 0.999 || t >= dist_next * 0.999) {
      drulen_logger.warning(fmt_warning("apply_corner_round: radius too large at junction %lld, skipping", j));
      continue;
    }
    V3 t1 = add(v, scale(d1, t)), t2 = add(v, scale(d2, t));
    V3 m = add(v, scale(normalize(add(d1, d2)), radius * (1.0 / sin_h - 1.0)));
    junction_arcs[j] = {t1, t2, m};
  }

  auto segment_end = [&](long long i) { return is_closed ? (i + 1) % n : i + 1; };
  auto point_of = [&](long long j) { return pts[static_cast<std::size_t>(j)]; };

  // Phase 3: arcs that reach past each other on a shared segment both go.
  std::set<long long> removed;
  for (long long i = 0; i < n; ++i) {
    long long js = i, je = segment_end(i);
    if (removed.count(js) || removed.count(je)) continue;
    auto as = junction_arcs.find(js), ae = junction_arcs.find(je);
    if (as == junction_arcs.end() || ae == junction_arcs.end()) continue;
    V3 edge_vec = sub(point_of(je), point_of(js));
    double edge_len = length(edge_vec);
    if (edge_len < 1e-10) continue;
    V3 edge_dir = scale(edge_vec, 1.0 / edge_len);
    double t_from_start = dot(sub(as->second.t2, point_of(js)), edge_dir);
    double t_from_end = dot(sub(point_of(je), ae->second.t1), edge_dir);
    if (t_from_start + t_from_end > edge_len - 1e-6) {
      removed.insert(js);
      removed.insert(je);
      drulen_logger.warning(
          fmt_warning("apply_corner_round: arcs at junctions %lld and %lld overlap, both skipped", js, je));
    }
  }
  for (long long j : removed) junction_arcs.erase(j);
  if (junction_arcs.empty()) return TopoDS_Shape();

  // Phase 4: trimmed straight pieces and the arcs, in wire order.
  BRepBuilderAPI_MakeWire builder;
  for (long long i = 0; i < n; ++i) {
    long long js = i, je = segment_end(i);
    auto as = junction_arcs.find(js), ae = junction_arcs.find(je);
    V3 seg_start = as != junction_arcs.end() ? as->second.t2 : point_of(js);
    V3 seg_end = ae != junction_arcs.end() ? ae->second.t1 : point_of(je);
    if (length(sub(seg_end, seg_start)) > 1e-10)
      builder.Add(BRepBuilderAPI_MakeEdge(gp(seg_start), gp(seg_end)).Edge());
    if (ae != junction_arcs.end()) {
      GC_MakeArcOfCircle arc(gp(ae->second.t1), gp(ae->second.m), gp(ae->second.t2));
      if (arc.IsDone()) builder.Add(BRepBuilderAPI_MakeEdge(arc.Value()).Edge());
    }
  }
  if (!builder.IsDone()) return TopoDS_Shape();
  return builder.Wire();
}

}  // namespace nimbal::services
