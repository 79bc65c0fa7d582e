#include "nimbal/services/ostrel.hpp"

#include <algorithm>
#include <cmath>

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRep_Builder.hxx>
#include <TopoDS_Edge.hxx>
#include <gp_Pnt.hxx>

#include "nimbal/errors.hpp"

namespace nimbal::services {
namespace {

// Python's conversion of a float to a whole number: the same errors.
void require_integral(double q) {
  if (std::isnan(q)) throw InvalidValue("cannot convert float NaN to integer");
  if (std::isinf(q)) throw OverflowError("cannot convert float infinity to integer");
}

gp_Pnt finite_pnt(double x, double y, double z) {
  // The kernel would make an edge of NaN points without complaint.
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
    throw InvalidValue("grid line end point is not finite");
  return gp_Pnt(x, y, z);
}

}  // namespace

WrongType Ostrel::not_a_fandor(std::string_view given_type) {
  return WrongType("fandor must be a Fandor, not " + std::string(given_type));
}

Ostrel::Ostrel(std::shared_ptr<Fandor> fandor)
    : fandor_(fandor ? std::move(fandor) : std::make_shared<Fandor>()) {}

double Ostrel::snap(double coord, double spacing) const {
  if (spacing <= 0) return coord;
  const double q = coord / spacing;
  require_integral(q);
  double k = std::nearbyint(q);  // ties to even in the default rounding mode
  if (k == 0.0) k = 0.0;         // a whole number has no sign of zero
  return k * spacing;
}

Point2 Ostrel::snap_point(double u, double v, double spacing) const {
  const double su = snap(u, spacing);
  return {su, snap(v, spacing)};
}

TopoDS_Compound Ostrel::create_minor_grid(const PlaneProperties& plane, double spacing,
                                          double extent) const {
  return build_grid_compound(plane, spacing, extent);
}

TopoDS_Compound Ostrel::create_major_grid(const PlaneProperties& plane, double spacing,
                                          double major_factor, double extent) const {
  return build_grid_compound(plane, spacing * major_factor, extent);
}

TopoDS_Compound Ostrel::build_grid_compound(const PlaneProperties& plane, double spacing,
                                            double extent) const {
  if (spacing <= 0) return TopoDS_Compound();
  BRep_Builder builder;
  TopoDS_Compound compound;
  builder.MakeCompound(compound);

  const auto [u, v] = fandor_->plane_local_axes(plane);
  const double ox = plane.origin_x, oy = plane.origin_y, oz = plane.origin_z;

  const double q = extent / spacing;
  require_integral(q);
  const double c = std::ceil(q);
  // Clamped both ways: below -1 there are no positions anyway.
  const long n = c >= kMaxLinesPerAxis ? kMaxLinesPerAxis : (c < -1 ? -1L : static_cast<long>(c));

  auto add_family = [&](const Vec3& along, const Vec3& across) {
    for (long k = -n; k <= n; ++k) {
      const double a = static_cast<double>(k) * spacing;
      const double bx = ox + a * along[0], by = oy + a * along[1], bz = oz + a * along[2];
      const gp_Pnt p1 =
          finite_pnt(bx - extent * across[0], by - extent * across[1], bz - extent * across[2]);
      const gp_Pnt p2 =
          finite_pnt(bx + extent * across[0], by + extent * across[1], bz + extent * across[2]);
      builder.Add(compound, BRepBuilderAPI_MakeEdge(p1, p2).Edge());
    }
  };
  add_family(u, v);  // lines of constant u
  add_family(v, u);  // lines of constant v
  return compound;
}

}  // namespace nimbal::services
