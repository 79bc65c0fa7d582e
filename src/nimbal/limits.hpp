// The bounds of a model, one definition for the geometry manager, which
// refuses an operation whose model would pass them, and for project files,
// whose save writes and whose load builds only models within them: a user
// can never build what the save then refuses.
#pragma once

#include <cstddef>

namespace nimbal::limits {

// Shapes inside shapes (components, sketch elements included), counted from
// a top-level shape at level 0. A project file indents every level, so its
// text grows with the square of the depth: a chain of 500 unions writes
// 27 MB, well within the description's byte bound (64 MB), where a chain of
// 800 would not fit.
inline constexpr int max_shape_depth = 500;
// Shape objects a model (a project file) holds, hidden components included.
inline constexpr std::size_t max_shape_objects = 100000;
// Shapes the kernel builds for a model: every shape without components
// counts once for each copy the arrays around it make.
inline constexpr long long max_built_shapes = 100000;

}  // namespace nimbal::limits
