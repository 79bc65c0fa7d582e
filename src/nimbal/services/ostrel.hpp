// Sketch grid: snapping plane-local coordinates to a square grid and the
// minor and major grid line compounds of a plane, for the host to display.
#pragma once

#include <memory>
#include <stdexcept>
#include <string_view>

#include <TopoDS_Compound.hxx>

#include "nimbal/errors.hpp"
#include "nimbal/models/quenby.hpp"
#include "nimbal/services/fandor.hpp"

namespace nimbal::services {

inline constexpr double kDefaultExtent = 500.0;
inline constexpr int kDefaultMajorFactor = 5;
// Grid positions on each side of the origin; a family has at most 4001 lines.
inline constexpr int kMaxLinesPerAxis = 2000;

// An infinite value where a whole number is needed (Python's OverflowError).
struct OverflowError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Ostrel {
 public:
  // A null service means a new Fandor.
  explicit Ostrel(std::shared_ptr<Fandor> fandor = nullptr);

  // The refusal of a given service that is no Fandor (`given_type` is the
  // caller's name for its type); a false one means a service of our own.
  static WrongType not_a_fandor(std::string_view given_type);
  virtual ~Ostrel() = default;

  const std::shared_ptr<Fandor>& fandor() const { return fandor_; }

  // coord rounded to the nearest multiple of spacing, ties to the even
  // multiple; coord itself when spacing <= 0. InvalidValue for NaN and
  // OverflowError for an infinite quotient.
  virtual double snap(double coord, double spacing) const;
  // Both through snap().
  Point2 snap_point(double u, double v, double spacing) const;

  // Both through build_grid_compound().
  TopoDS_Compound create_minor_grid(const PlaneProperties& plane, double spacing,
                                    double extent = kDefaultExtent) const;
  TopoDS_Compound create_major_grid(const PlaneProperties& plane, double spacing,
                                    double major_factor = kDefaultMajorFactor,
                                    double extent = kDefaultExtent) const;

  // Lines of constant u (u ascending), then of constant v, each running
  // from -extent to +extent along the other axis. A null compound when
  // spacing <= 0. Kernel errors (e.g. extent 0) reach the caller.
  virtual TopoDS_Compound build_grid_compound(const PlaneProperties& plane, double spacing,
                                              double extent) const;

 private:
  std::shared_ptr<Fandor> fandor_;
};

}  // namespace nimbal::services
