// The kernel calls behind the geometry kernel service, made directly from
// C++: the baseline bench/drulen_bench.py compares the Python face against.
//   drulen_driver <operation> <calls> [shapes]
// prints the best time of one call in seconds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_Transform.hxx>
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
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Trsf.hxx>
#include <unistd.h>

namespace {

TopoDS_Shape box(double w, double h, double d, double x = 0, double y = 0, double z = 0) {
  return BRepPrimAPI_MakeBox(gp_Pnt(x - w / 2, y - h / 2, z - d / 2), w, h, d).Shape();
}

TopoDS_Shape translated(const TopoDS_Shape& s, double dx, double dy, double dz) {
  gp_Trsf t;
  t.SetTranslation(gp_Vec(dx, dy, dz));
  return BRepBuilderAPI_Transform(s, t, true).Shape();
}

void run(const std::string& op, int shapes) {
  if (op == "box") {
    box(10, 20, 30);
  } else if (op == "fuse") {
    BRepAlgoAPI_Fuse fuse(box(2, 2, 2), box(2, 2, 2, 1, 1, 1));
    fuse.Shape();
  } else if (op == "fillet") {
    TopoDS_Shape b = box(10, 10, 10);
    BRepFilletAPI_MakeFillet fillet(b);
    TopTools_IndexedMapOfShape edges;
    TopExp::MapShapes(b, TopAbs_EDGE, edges);
    for (int i = 1; i <= edges.Extent(); ++i) fillet.Add(1.0, TopoDS::Edge(edges(i)));
    fillet.Build();
    fillet.Shape();
  } else if (op == "array") {
    TopoDS_Shape b = box(1, 1, 1);
    TopoDS_Compound c;
    BRep_Builder builder;
    builder.MakeCompound(c);
    for (int ix = 0; ix < 10; ++ix)
      for (int iy = 0; iy < 10; ++iy) builder.Add(c, translated(b, ix * 2.0, iy * 2.0, 0.0));
  } else if (op == "step") {
    std::vector<TopoDS_Shape> list;
    for (int i = 0; i < shapes; ++i) list.push_back(box(1, 1, 1, 2.0 * i, 0, 0));
    STEPControl_Writer writer;
    Interface_Static::SetCVal("write.step.schema", "AP203");
    for (int i = 0; i < shapes; ++i) writer.Transfer(list[i], STEPControl_AsIs, i + 1 == shapes);
    std::string path = "/tmp/drulen_driver_" + std::to_string(::getpid()) + ".step";
    writer.Write(path.c_str());
    std::remove(path.c_str());
  } else if (op == "import") {
    // The file drulen_bench writes; read in this process.
    STEPControl_Reader reader;
    reader.ReadFile(std::getenv("NIMBAL_BENCH_STEP"));
    reader.TransferRoots();
    reader.OneShape();
  } else {
    std::fprintf(stderr, "unknown operation %s\n", op.c_str());
    std::exit(2);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: drulen_driver <box|fuse|fillet|array|step|import> <calls> [shapes]\n");
    return 2;
  }
  const std::string op = argv[1];
  const int calls = std::atoi(argv[2]);
  const int shapes = argc > 3 ? std::atoi(argv[3]) : 1000;
  Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
  double best = 1e300;
  for (int i = 0; i < calls; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    run(op, shapes);
    double dt = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (dt < best) best = dt;
  }
  std::printf("%.9f\n", best);
  return 0;
}
