// The kernel calls behind the geometry kernel service, made directly from
// C++: the floors bench/drulen_bench.py compares the Python face against.
//   drulen_driver <operation> <calls> [size] [size2]
// prints the best time of one call in seconds. Inputs (points, shapes to
// export, an array's base) are made before the clock starts, as the Python
// side makes them.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRep_Builder.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPControl_Reader.hxx>
#include <STEPControl_Writer.hxx>
#include <TopExp.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax1.hxx>
#include <gp_Trsf.hxx>
#include <unistd.h>

#include "nimbal/kernel.hpp"
#include "nimbal/services/drulen.hpp"

namespace {

TopoDS_Shape box(double w, double h, double d, double x = 0, double y = 0, double z = 0) {
  return BRepPrimAPI_MakeBox(gp_Pnt(x - w / 2, y - h / 2, z - d / 2), w, h, d).Shape();
}

TopoDS_Shape located(const TopoDS_Shape& s, const gp_Trsf& t) { return s.Located(TopLoc_Location(t)); }

gp_Trsf translation(double dx, double dy, double dz) {
  gp_Trsf t;
  t.SetTranslation(gp_Vec(dx, dy, dz));
  return t;
}

// The points of bench/drulen_bench.py's polyline.
std::vector<gp_Pnt> polyline_points(int n) {
  std::vector<gp_Pnt> pts;
  pts.reserve(n);
  for (int i = 0; i < n; ++i)
    pts.emplace_back(std::cos(i * 0.01) * (10 + i * 1e-3), std::sin(i * 0.01) * (10 + i * 1e-3), i * 1e-3);
  return pts;
}

std::function<void()> operation(const std::string& op, int size, int size2) {
  if (op == "box") return [] { box(10, 20, 30); };
  if (op == "fuse")
    return [] {
      BRepAlgoAPI_Fuse fuse(box(2, 2, 2), box(2, 2, 2, 1, 1, 1));
      fuse.Shape();
    };
  if (op == "fillet")
    return [] {
      TopoDS_Shape b = box(10, 10, 10);
      BRepFilletAPI_MakeFillet fillet(b);
      TopTools_IndexedMapOfShape edges;
      TopExp::MapShapes(b, TopAbs_EDGE, edges);
      for (int i = 1; i <= edges.Extent(); ++i) fillet.Add(1.0, TopoDS::Edge(edges(i)));
      fillet.Build();
      fillet.Shape();
    };
  // Boxes turned about Z and moved, each by one location.
  if (op == "placed")
    return [size] {
      gp_Trsf turn;
      turn.SetRotation(gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), 30.0 * M_PI / 180.0);
      for (int i = 0; i < size; ++i) located(box(1, 2, 3), translation(2.0 * i, 1.0, 0.0) * turn);
    };
  // A size x size2 array of located instances of one box.
  if (op == "array")
    return [size, size2, b = box(1, 1, 1)] {
      TopoDS_Compound c;
      BRep_Builder builder;
      builder.MakeCompound(c);
      for (int ix = 0; ix < size; ++ix)
        for (int iy = 0; iy < size2; ++iy) builder.Add(c, located(b, translation(ix * 2.0, iy * 2.0, 0.0)));
    };
  // Edges sharing their vertices, added to the wire in order.
  if (op == "polyline") {
    auto pts = std::make_shared<std::vector<gp_Pnt>>(polyline_points(size));
    return [pts] {
      std::vector<TopoDS_Vertex> v;
      v.reserve(pts->size());
      for (const gp_Pnt& p : *pts) v.push_back(BRepBuilderAPI_MakeVertex(p).Vertex());
      BRep_Builder builder;
      TopoDS_Wire w;
      builder.MakeWire(w);
      for (std::size_t i = 0; i + 1 < v.size(); ++i)
        builder.Add(w, BRepBuilderAPI_MakeEdge(v[i], v[i + 1]).Edge());
    };
  }
  // Each box a root of its own, the model's graph computed once, with the
  // settings the service writes with. (One compound root costs the same;
  // leaving out the p-curves saves 45% but changes the file.)
  if (op == "step") {
    auto shapes = std::make_shared<std::vector<TopoDS_Shape>>();
    for (int i = 0; i < size; ++i) shapes->push_back(box(1, 1, 1, 2.0 * i, 0, 0));
    return [shapes] {
      STEPControl_Writer writer;
      Interface_Static::SetCVal("write.step.schema", "AP203");
      Interface_Static::SetIVal("write.step.assembly", 0);
      const std::size_t n = shapes->size();
      for (std::size_t i = 0; i < n; ++i) writer.Transfer((*shapes)[i], STEPControl_AsIs, i + 1 == n);
      std::string path = "/tmp/drulen_driver_" + std::to_string(::getpid()) + ".step";
      writer.Write(path.c_str());
      std::remove(path.c_str());
    };
  }
  // The service's own export called from C++, its messages routed as in
  // the Python modules: what the service adds to the kernel's export
  // without the interpreter's process around it.
  if (op == "step_service") {
    auto shapes = std::make_shared<std::vector<TopoDS_Shape>>();
    for (int i = 0; i < size; ++i) shapes->push_back(box(1, 1, 1, 2.0 * i, 0, 0));
    nimbal::kernel::route_kernel_messages();
    return [shapes] {
      std::string path = "/tmp/drulen_driver_" + std::to_string(::getpid()) + ".step";
      nimbal::services::Drulen::ops::export_shapes_to_step(*shapes, path);
      std::remove(path.c_str());
    };
  }
  // The file drulen_bench writes, read in this process.
  if (op == "import")
    return [] {
      STEPControl_Reader reader;
      reader.ReadFile(std::getenv("NIMBAL_BENCH_STEP"));
      reader.TransferRoots();
      reader.OneShape();
    };
  std::fprintf(stderr, "unknown operation %s\n", op.c_str());
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: drulen_driver <box|fuse|fillet|placed|array|polyline|step|step_service|import> <calls> "
                 "[size] [size2]\n");
    return 2;
  }
  const int calls = std::atoi(argv[2]);
  const int size = argc > 3 ? std::atoi(argv[3]) : 1000;
  const int size2 = argc > 4 ? std::atoi(argv[4]) : 1;
  Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
  const std::function<void()> run = operation(argv[1], size, size2);
  run();  // warm up, as the Python side does
  double best = 1e300;
  for (int i = 0; i < calls; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    run();
    double dt = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (dt < best) best = dt;
  }
  std::printf("%.9f\n", best);
  return 0;
}
