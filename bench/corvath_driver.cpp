// The kernel work of the geometry manager's benchmarked operations, done
// directly in C++ through the kernel service, so the Python benchmark can
// set the manager's cost against it. Prints "<operation> <seconds>" per run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "nimbal/kernel.hpp"
#include "nimbal/services/drulen.hpp"

using nimbal::services::Drulen;
using Clock = std::chrono::steady_clock;

namespace {

template <class F>
double best_of(int repeats, F&& f) {
  double best = 1e300;
  for (int r = 0; r < repeats; ++r) {
    auto t0 = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string op = argc > 1 ? argv[1] : "";
  const int n = argc > 2 ? std::atoi(argv[2]) : 1;
  const std::string path = argc > 3 ? argv[3] : "/tmp/nimbal_bench.step";
  nimbal::kernel::route_kernel_messages();
  Drulen geo;
  double seconds = -1;
  if (op == "box_place") {
    seconds = best_of(3, [&] {
      for (int i = 0; i < n; ++i) geo.translate_shape(geo.create_box(10, 10, 10), i * 20.0, 0, 0);
    });
  } else if (op == "union_chain") {
    std::vector<TopoDS_Shape> boxes;
    for (int i = 0; i <= n; ++i) boxes.push_back(geo.translate_shape(geo.create_box(10, 10, 10), i * 5.0, 0, 0));
    seconds = best_of(3, [&] {
      TopoDS_Shape acc = boxes[0];
      for (int i = 1; i <= n; ++i) acc = geo.unify_same_domain(geo.fuse_shapes(acc, boxes[i]));
    });
  } else if (op == "fuse_two") {
    // The raw fuse of two overlapping boxes, as a caller of the kernel alone
    // would make their union.
    const TopoDS_Shape a = geo.create_box(10, 10, 10);
    const TopoDS_Shape b = geo.translate_shape(geo.create_box(10, 10, 10), 5.0, 0, 0);
    seconds = best_of(20, [&] { geo.fuse_shapes(a, b); });
  } else if (op == "fillet_box") {
    TopoDS_Shape box = geo.create_box(10, 10, 10);
    seconds = best_of(3, [&] { geo.apply_fillet(box, 1.0, {}); });
  } else if (op == "array") {
    TopoDS_Shape box = geo.create_box(10, 10, 10);
    seconds = best_of(3, [&] { geo.create_array_compound(box, {n, n, 1}, {20, 20, 20}); });
  } else if (op == "step_export") {
    std::vector<TopoDS_Shape> boxes;
    for (int i = 0; i < n; ++i) boxes.push_back(geo.translate_shape(geo.create_box(10, 10, 10), i * 20.0, 0, 0));
    seconds = best_of(3, [&] { geo.export_shapes_to_step(boxes, path); });
  } else {
    std::fprintf(stderr, "usage: %s box_place|union_chain|fuse_two|fillet_box|array|step_export N [path]\n", argv[0]);
    return 2;
  }
  std::printf("%s %.9f\n", op.c_str(), seconds);
  return 0;
}
