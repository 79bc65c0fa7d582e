// Finiteness of a shape's geometry. A file can write NaN or an infinity
// where a coordinate belongs; the kernel takes it without a word and its
// algorithms (the checker among them) then spin or crash. This looks at the
// numbers each kind of curve and surface is made of, plus a few points
// evaluated on it, without running any algorithm on them.
#include "nimbal/kernel.hpp"

#include <BRepBndLib.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <Geom2d_BSplineCurve.hxx>
#include <Geom2d_BezierCurve.hxx>
#include <Geom2d_Curve.hxx>
#include <Geom2d_OffsetCurve.hxx>
#include <Geom2d_TrimmedCurve.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_BezierCurve.hxx>
#include <Geom_BezierSurface.hxx>
#include <Geom_Circle.hxx>
#include <Geom_Conic.hxx>
#include <Geom_ConicalSurface.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_ElementarySurface.hxx>
#include <Geom_Ellipse.hxx>
#include <Geom_Hyperbola.hxx>
#include <Geom_Line.hxx>
#include <Geom_OffsetCurve.hxx>
#include <Geom_OffsetSurface.hxx>
#include <Geom_Parabola.hxx>
#include <Geom_RectangularTrimmedSurface.hxx>
#include <Geom_SphericalSurface.hxx>
#include <Geom_SurfaceOfLinearExtrusion.hxx>
#include <Geom_SurfaceOfRevolution.hxx>
#include <Geom_SweptSurface.hxx>
#include <Geom_ToroidalSurface.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Vertex.hxx>
#include <gp_Ax3.hxx>

#include <cmath>
#include <sstream>

namespace nimbal::kernel {

namespace {

bool ok(double v) { return std::isfinite(v); }
bool ok(const gp_XYZ& p) { return ok(p.X()) && ok(p.Y()) && ok(p.Z()); }
bool ok(const gp_Pnt& p) { return ok(p.XYZ()); }
bool ok(const gp_Dir& d) { return ok(d.XYZ()); }
bool ok(const gp_Pnt2d& p) { return ok(p.X()) && ok(p.Y()); }
bool ok(const gp_Ax1& a) { return ok(a.Location()) && ok(a.Direction()); }
bool ok(const gp_Ax2& a) { return ok(a.Location()) && ok(a.Direction()) && ok(a.XDirection()); }
bool ok(const gp_Ax3& a) { return ok(a.Location()) && ok(a.Direction()) && ok(a.XDirection()); }

// Chains of trimmed and offset curves are unwrapped this deep at most: a
// file cannot make the walk long.
constexpr int kMaxWrapping = 16;

template <class Spline>
bool poles_ok(const Spline& s) {
  for (int i = 1; i <= s.NbPoles(); ++i)
    if (!ok(s.Pole(i)) || (s.IsRational() && !ok(s.Weight(i)))) return false;
  return true;
}

template <class Spline>
bool knots_ok(const Spline& s) {
  for (int i = 1; i <= s.NbKnots(); ++i)
    if (!ok(s.Knot(i))) return false;
  return true;
}

bool curve_ok(Handle(Geom_Curve) c) {
  for (int depth = 0; !c.IsNull(); ++depth) {
    if (depth > kMaxWrapping) return true;
    if (auto t = Handle(Geom_TrimmedCurve)::DownCast(c)) {
      if (!ok(t->FirstParameter()) || !ok(t->LastParameter())) return false;
      c = t->BasisCurve();
    } else if (auto o = Handle(Geom_OffsetCurve)::DownCast(c)) {
      if (!ok(o->Offset()) || !ok(o->Direction())) return false;
      c = o->BasisCurve();
    } else {
      break;
    }
  }
  if (c.IsNull()) return true;
  if (auto b = Handle(Geom_BSplineCurve)::DownCast(c)) return poles_ok(*b) && knots_ok(*b);
  if (auto b = Handle(Geom_BezierCurve)::DownCast(c)) return poles_ok(*b);
  if (auto l = Handle(Geom_Line)::DownCast(c)) return ok(l->Position());
  if (auto k = Handle(Geom_Conic)::DownCast(c)) {
    if (!ok(k->Position())) return false;
    if (auto e = Handle(Geom_Circle)::DownCast(c)) return ok(e->Radius());
    if (auto e = Handle(Geom_Ellipse)::DownCast(c)) return ok(e->MajorRadius()) && ok(e->MinorRadius());
    if (auto e = Handle(Geom_Hyperbola)::DownCast(c)) return ok(e->MajorRadius()) && ok(e->MinorRadius());
    if (auto e = Handle(Geom_Parabola)::DownCast(c)) return ok(e->Focal());
  }
  return true;
}

bool curve2d_ok(Handle(Geom2d_Curve) c) {
  for (int depth = 0; !c.IsNull(); ++depth) {
    if (depth > kMaxWrapping) return true;
    if (auto t = Handle(Geom2d_TrimmedCurve)::DownCast(c)) {
      if (!ok(t->FirstParameter()) || !ok(t->LastParameter())) return false;
      c = t->BasisCurve();
    } else if (auto o = Handle(Geom2d_OffsetCurve)::DownCast(c)) {
      if (!ok(o->Offset())) return false;
      c = o->BasisCurve();
    } else {
      break;
    }
  }
  if (c.IsNull()) return true;
  if (auto b = Handle(Geom2d_BSplineCurve)::DownCast(c)) return poles_ok(*b) && knots_ok(*b);
  if (auto b = Handle(Geom2d_BezierCurve)::DownCast(c)) return poles_ok(*b);
  return true;  // lines and conics: the points evaluated on them tell
}

bool surface_ok(Handle(Geom_Surface) s) {
  for (int depth = 0; !s.IsNull(); ++depth) {
    if (depth > kMaxWrapping) return true;
    if (auto t = Handle(Geom_RectangularTrimmedSurface)::DownCast(s)) {
      double u1, u2, v1, v2;
      t->Bounds(u1, u2, v1, v2);
      if (!ok(u1) || !ok(u2) || !ok(v1) || !ok(v2)) return false;
      s = t->BasisSurface();
    } else if (auto o = Handle(Geom_OffsetSurface)::DownCast(s)) {
      if (!ok(o->Offset())) return false;
      s = o->BasisSurface();
    } else {
      break;
    }
  }
  if (s.IsNull()) return true;
  if (auto b = Handle(Geom_BSplineSurface)::DownCast(s)) {
    for (int i = 1; i <= b->NbUPoles(); ++i)
      for (int j = 1; j <= b->NbVPoles(); ++j)
        if (!ok(b->Pole(i, j)) || (b->IsURational() || b->IsVRational() ? !ok(b->Weight(i, j)) : false))
          return false;
    for (int i = 1; i <= b->NbUKnots(); ++i)
      if (!ok(b->UKnot(i))) return false;
    for (int i = 1; i <= b->NbVKnots(); ++i)
      if (!ok(b->VKnot(i))) return false;
    return true;
  }
  if (auto b = Handle(Geom_BezierSurface)::DownCast(s)) {
    for (int i = 1; i <= b->NbUPoles(); ++i)
      for (int j = 1; j <= b->NbVPoles(); ++j)
        if (!ok(b->Pole(i, j)) || ((b->IsURational() || b->IsVRational()) && !ok(b->Weight(i, j)))) return false;
    return true;
  }
  if (auto e = Handle(Geom_ElementarySurface)::DownCast(s)) {
    if (!ok(e->Position())) return false;
    if (auto k = Handle(Geom_CylindricalSurface)::DownCast(s)) return ok(k->Radius());
    if (auto k = Handle(Geom_ConicalSurface)::DownCast(s)) return ok(k->RefRadius()) && ok(k->SemiAngle());
    if (auto k = Handle(Geom_SphericalSurface)::DownCast(s)) return ok(k->Radius());
    if (auto k = Handle(Geom_ToroidalSurface)::DownCast(s)) return ok(k->MajorRadius()) && ok(k->MinorRadius());
    return true;
  }
  if (auto r = Handle(Geom_SurfaceOfRevolution)::DownCast(s))
    return ok(r->Location()) && ok(r->Direction()) && curve_ok(r->BasisCurve());
  if (auto x = Handle(Geom_SurfaceOfLinearExtrusion)::DownCast(s))
    return ok(x->Direction()) && curve_ok(x->BasisCurve());
  return true;
}

// Points on a curve at the ends and the middle of [first, last]: catches a
// non-finite number the type checks above do not name. A curve that cannot
// be evaluated there is not judged here.
template <class Curve>
bool samples_ok(const Curve& c, double first, double last) {
  if (c.IsNull()) return true;
  for (double t : {first, 0.5 * (first + last), last}) {
    try {
      if (!ok(c->Value(t))) return false;
    } catch (const Standard_Failure&) {
      return true;
    }
  }
  return true;
}

std::string point_text(const gp_Pnt& p) {
  std::ostringstream out;
  out << "(" << p.X() << ", " << p.Y() << ", " << p.Z() << ")";
  return out.str();
}

std::optional<std::string> fault(int index, const char* what, const std::string& detail = std::string()) {
  return std::string(what) + " " + std::to_string(index) + (detail.empty() ? "" : " " + detail);
}

}  // namespace

std::optional<std::string> non_finite_geometry(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return std::nullopt;
  TopTools_IndexedMapOfShape vertices, edges, faces;
  TopExp::MapShapes(shape, TopAbs_VERTEX, vertices);
  for (int i = 1; i <= vertices.Extent(); ++i) {
    const TopoDS_Vertex& v = TopoDS::Vertex(vertices(i));
    gp_Pnt p = BRep_Tool::Pnt(v);
    if (!ok(p)) return fault(i, "vertex", "at " + point_text(p));
    if (!ok(BRep_Tool::Tolerance(v))) return fault(i, "vertex", "has a non-finite tolerance");
  }
  TopExp::MapShapes(shape, TopAbs_EDGE, edges);
  for (int i = 1; i <= edges.Extent(); ++i) {
    const TopoDS_Edge& e = TopoDS::Edge(edges(i));
    if (!ok(BRep_Tool::Tolerance(e))) return fault(i, "edge", "has a non-finite tolerance");
    double first = 0.0, last = 0.0;
    Handle(Geom_Curve) c = BRep_Tool::Curve(e, first, last);
    if (c.IsNull()) continue;
    if (!ok(first) || !ok(last) || !curve_ok(c) || !samples_ok(c, first, last)) return fault(i, "edge", "has a non-finite curve");
  }
  TopExp::MapShapes(shape, TopAbs_FACE, faces);
  for (int i = 1; i <= faces.Extent(); ++i) {
    const TopoDS_Face& f = TopoDS::Face(faces(i));
    if (!ok(BRep_Tool::Tolerance(f))) return fault(i, "face", "has a non-finite tolerance");
    if (!surface_ok(BRep_Tool::Surface(f))) return fault(i, "face", "has a non-finite surface");
    for (TopExp_Explorer x(f, TopAbs_EDGE); x.More(); x.Next()) {
      double first = 0.0, last = 0.0;
      Handle(Geom2d_Curve) pc = BRep_Tool::CurveOnSurface(TopoDS::Edge(x.Current()), f, first, last);
      if (pc.IsNull()) continue;
      if (!ok(first) || !ok(last) || !curve2d_ok(pc) || !samples_ok(pc, first, last))
        return fault(i, "face", "has a non-finite curve on its surface");
    }
  }
  // The extent, last: it is computed from all of the above.
  Bnd_Box box;
  BRepBndLib::Add(shape, box, /*useTriangulation=*/false);
  if (!box.IsVoid()) {
    double b[6];
    box.Get(b[0], b[1], b[2], b[3], b[4], b[5]);
    for (double v : b)
      if (!ok(v)) return std::string("the bounding box is not finite");
  }
  return std::nullopt;
}

}  // namespace nimbal::kernel
