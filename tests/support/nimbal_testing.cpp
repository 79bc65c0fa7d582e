// Fixtures for the Python tests.
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <IGESControl_Writer.hxx>
#include <Interface_Static.hxx>
#include <STEPControl_Controller.hxx>
#include <STEPControl_Writer.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRep_Tool.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Iterator.hxx>
#include <gp_Ax1.hxx>
#include <gp_Trsf.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRep_Builder.hxx>
#include <Standard_ConstructionError.hxx>
#include <Standard_OutOfMemory.hxx>
#include <TopoDS_Compound.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <gp_Pln.hxx>
#include <BRepBuilderAPI_Copy.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <Geom_Plane.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <STEPControl_Reader.hxx>
#include <TopLoc_Location.hxx>

#include <limits>

#include <Standard_ErrorHandler.hxx>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sstream>
#include <csignal>
#include <deque>
#include <memory>
#include <pthread.h>
#include <unistd.h>
#include <array>
#include <thread>
#include <vector>

#include "nimbal/enums.hpp"
#include "nimbal/kernel.hpp"
#include "nimbal/managers/corvath.hpp"
#include "nimbal/log.hpp"
#include "nimbal/models/quenby.hpp"
#include "nimbal/services/drulen.hpp"
#include "nimbal/services/drulen_detail.hpp"
#include "nimbal/services/drulen_reader.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/logging.hpp"
#include "nimbal_py/drulen_adapter.hpp"

using namespace nimbal::py::typing;  // the type names signatures show

namespace pyb = pybind11;

namespace {

// Holds the kernel's process-wide error-handler mutex, as a thread inside
// the kernel's handler bookkeeping does for an instant: a walker thread
// searches a long chain of handlers (under the mutex) again and again, and a
// signal stops it mid-search until released.
class ErrorHandlerMutexHold {
 public:
  // True once a probe thread is seen blocked on the mutex.
  bool start() {
    if (::pipe(gate_) != 0) return false;
    g_gate = gate_[0];
    struct sigaction sa {};
    sa.sa_handler = [](int) {
      char c;
      while (::read(g_gate, &c, 1) < 0 && errno == EINTR) {
      }
    };
    ::sigaction(SIGUSR2, &sa, nullptr);
    std::atomic<bool> chained{false};
    owner_ = std::thread([this, &chained] {
      // Handlers of this thread: other threads' searches walk past them all.
      for (int i = 0; i < 20000; ++i) chain_.push_back(std::make_unique<Standard_ErrorHandler>());
      chained = true;
      std::unique_lock<std::mutex> lock(m_);
      cv_.wait(lock, [&] { return finished_; });
      while (!chain_.empty()) chain_.pop_back();  // last made first: each unlinks at the top
    });
    while (!chained) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    walker_ = std::thread([this] {
      walker_id_ = ::pthread_self();
      walker_ready_ = true;
      while (!stop_walking_) Standard_ErrorHandler::IsInTryBlock();
    });
    while (!walker_ready_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (int attempt = 0; attempt < 50; ++attempt) {
      ::pthread_kill(walker_id_, SIGUSR2);
      auto entered = std::make_shared<std::atomic<bool>>(false);
      std::thread probe([entered] {
        Standard_ErrorHandler h;
        *entered = true;
      });
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      if (!*entered) {
        probes_.push_back(std::move(probe));
        return true;
      }
      probe.join();
      // The signal came between two searches: let the walker go and retry.
      char c = 0;
      if (::write(gate_[1], &c, 1) != 1) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  void stop() {
    stop_walking_ = true;
    char c = 0;
    for (int i = 0; i < 64; ++i)
      if (::write(gate_[1], &c, 1) != 1) break;
    if (walker_.joinable()) walker_.join();
    for (auto& p : probes_) p.join();
    {
      std::lock_guard<std::mutex> lock(m_);
      finished_ = true;
    }
    cv_.notify_all();
    if (owner_.joinable()) owner_.join();
    ::close(gate_[0]);
    ::close(gate_[1]);
  }

 private:
  static inline int g_gate = -1;
  int gate_[2] = {-1, -1};
  std::deque<std::unique_ptr<Standard_ErrorHandler>> chain_;
  std::thread owner_, walker_;
  std::vector<std::thread> probes_;
  pthread_t walker_id_{};
  std::atomic<bool> walker_ready_{false}, stop_walking_{false};
  std::mutex m_;
  std::condition_variable cv_;
  bool finished_ = false;
};

template <class E>
pyb::list enum_table() {
  pyb::list out;
  for (std::size_t i = 0; i < nimbal::EnumInfo<E>::names.size(); ++i) {
    E e = static_cast<E>(i);
    out.append(pyb::make_tuple(std::string(nimbal::enum_name(e)), std::string(nimbal::enum_value(e))));
  }
  return out;
}

// A kernel service whose file reader runs out of memory.
struct OutOfMemoryReader : nimbal::services::Drulen {
  TopoDS_Shape import_file(const std::string&) override { throw Standard_OutOfMemory("Standard_OutOfMemory"); }
};

}  // namespace

PYBIND11_MODULE(_nimbal_testing, m) {
  nimbal::py::import_kernel();
  nimbal::py::register_core_errors();
  nimbal::py::install_log_sink();
  pyb::module_::import("nimbal.services.drulen");
  pyb::class_<OutOfMemoryReader, nimbal::services::Drulen, std::unique_ptr<OutOfMemoryReader>>(m, "OutOfMemoryReader")
      .def(pyb::init<>());

  // A file as another program's writer makes it: STEP with the kernel's
  // pcurves (surface-curve mode 1), IGES in BRep mode (entity 186) unless
  // told faces (trimmed surfaces, entity 144). The settings are the
  // process's: put back.
  m.def("write_with_other_writer", [](const TopoDS_Shape& shape, const std::string& path, bool iges_faces) {
    nimbal::services::ExchangeLock lock;
    const bool iges = path.size() > 4 && path.compare(path.size() - 4, 4, ".igs") == 0;
    if (iges) {
      IGESControl_Writer writer(Interface_Static::CVal("write.iges.unit"), /*modecr=*/iges_faces ? 0 : 1);
      writer.AddShape(shape);
      writer.ComputeModel();
      return bool(writer.Write(path.c_str()));
    }
    STEPControl_Controller::Init();
    const std::string schema = Interface_Static::CVal("write.step.schema");
    const int assembly = Interface_Static::IVal("write.step.assembly");
    const int curves = Interface_Static::IVal("write.surfacecurve.mode");
    Interface_Static::SetCVal("write.step.schema", "AP203");
    Interface_Static::SetIVal("write.step.assembly", 0);
    Interface_Static::SetIVal("write.surfacecurve.mode", 1);
    STEPControl_Writer writer;
    bool ok = writer.Transfer(shape, STEPControl_AsIs) == IFSelect_RetDone &&
              writer.Write(path.c_str()) == IFSelect_RetDone;
    Interface_Static::SetCVal("write.step.schema", schema.c_str());
    Interface_Static::SetIVal("write.step.assembly", assembly);
    Interface_Static::SetIVal("write.surfacecurve.mode", curves);
    return ok;
  }, pyb::arg("shape"), pyb::arg("path"), pyb::arg("iges_faces") = false);
  // A kernel exchange setting as the process holds it: (integer, text).
  m.def("exchange_setting", [](const std::string& name) {
    nimbal::services::ExchangeLock lock;
    STEPControl_Controller::Init();
    const char* text = Interface_Static::CVal(name.c_str());
    return std::make_pair(int(Interface_Static::IVal(name.c_str())), std::string(text ? text : ""));
  });
  // Sets a kernel exchange setting, as a host's own writer would.
  m.def("set_exchange_setting", [](const std::string& name, pyb::object value) {
    nimbal::services::ExchangeLock lock;
    STEPControl_Controller::Init();
    if (pyb::isinstance<pyb::int_>(value)) return bool(Interface_Static::SetIVal(name.c_str(), value.cast<int>()));
    return bool(Interface_Static::SetCVal(name.c_str(), value.cast<std::string>().c_str()));
  });
  m.def("make_box", [](double dx, double dy, double dz) -> TopoDS_Shape {
    return BRepPrimAPI_MakeBox(dx, dy, dz).Shape();
  });
  // A compound of a box and a square face of side 10 in the XY plane.
  m.def("make_box_and_face", []() -> TopoDS_Shape {
    TopoDS_Compound c;
    BRep_Builder b;
    b.MakeCompound(c);
    b.Add(c, BRepPrimAPI_MakeBox(1, 2, 3).Shape());
    b.Add(c, BRepBuilderAPI_MakeFace(gp_Pln(), 0, 10, 0, 10).Face());
    return c;
  });
  m.def("null_shape", []() -> TopoDS_Shape { return TopoDS_Shape(); });
  // The kernel's merge of same-domain sub-shapes called directly, with
  // nothing around it, as a program other than ours would call it.
  m.def("unify_directly", [](const TopoDS_Shape& s, bool unify_faces) -> TopoDS_Shape {
    ShapeUpgrade_UnifySameDomain unifier(s, /*UnifyEdges=*/true, unify_faces, /*ConcatBSplines=*/false);
    unifier.Build();
    return unifier.Shape();
  });

  // Placement by geometric copy, the reference located placement must match.
  m.def("copy_translated", [](const TopoDS_Shape& s, double dx, double dy, double dz) -> TopoDS_Shape {
    gp_Trsf t;
    t.SetTranslation(gp_Vec(dx, dy, dz));
    return BRepBuilderAPI_Transform(s, t, /*copy=*/true).Shape();
  });
  m.def("copy_rotated", [](const TopoDS_Shape& s, std::array<double, 3> p, std::array<double, 3> d,
                           double degrees) -> TopoDS_Shape {
    gp_Trsf t;
    t.SetRotation(gp_Ax1(gp_Pnt(p[0], p[1], p[2]), gp_Dir(d[0], d[1], d[2])), degrees * M_PI / 180.0);
    return BRepBuilderAPI_Transform(s, t, /*copy=*/true).Shape();
  });
  m.def("compound_of", [](const std::vector<TopoDS_Shape>& shapes) {
    TopoDS_Compound c;
    BRep_Builder b;
    b.MakeCompound(c);
    for (const TopoDS_Shape& s : shapes) b.Add(c, s);
    return TopoDS_Shape(c);
  });
  // The largest tolerance of any vertex, edge or face.
  m.def("max_tolerance", [](const TopoDS_Shape& s) {
    double t = 0.0;
    for (TopExp_Explorer e(s, TopAbs_VERTEX); e.More(); e.Next())
      t = std::max(t, BRep_Tool::Tolerance(TopoDS::Vertex(e.Current())));
    for (TopExp_Explorer e(s, TopAbs_EDGE); e.More(); e.Next())
      t = std::max(t, BRep_Tool::Tolerance(TopoDS::Edge(e.Current())));
    for (TopExp_Explorer e(s, TopAbs_FACE); e.More(); e.Next())
      t = std::max(t, BRep_Tool::Tolerance(TopoDS::Face(e.Current())));
    return t;
  });
  m.def("is_located", [](const TopoDS_Shape& s) { return !s.Location().IsIdentity(); });
  // The kernel's wire builder fed one edge at a time.
  m.def("polyline_by_builder", [](const std::vector<std::array<double, 3>>& pts, bool closing_edge) {
    BRepBuilderAPI_MakeWire w;
    auto pnt = [](const std::array<double, 3>& a) { return gp_Pnt(a[0], a[1], a[2]); };
    for (std::size_t i = 0; i + 1 < pts.size(); ++i)
      w.Add(BRepBuilderAPI_MakeEdge(pnt(pts[i]), pnt(pts[i + 1])).Edge());
    if (closing_edge) w.Add(BRepBuilderAPI_MakeEdge(pnt(pts.back()), pnt(pts.front())).Edge());
    return TopoDS_Shape(w.Wire());
  });
  // A wire's closed flag and, for each edge in the wire's own order, its
  // orientation and the map indices of its first and last vertex.
  m.def("wire_facts", [](const TopoDS_Shape& s) {
    TopTools_IndexedMapOfShape vertices;
    TopExp::MapShapes(s, TopAbs_VERTEX, vertices);
    pyb::list edges;
    for (TopoDS_Iterator it(s); it.More(); it.Next()) {
      TopoDS_Vertex a, b;
      TopExp::Vertices(TopoDS::Edge(it.Value()), a, b, /*CumOri=*/true);
      edges.append(pyb::make_tuple(static_cast<int>(it.Value().Orientation()), vertices.FindIndex(a),
                                   vertices.FindIndex(b)));
    }
    return pyb::make_tuple(s.Closed(), BRep_Tool::IsClosed(s), edges);
  });
  m.def("shape_or_none", [](const TopoDS_Shape& s) { return nimbal::py::shape_or_none(s); });
  m.def("raise_kernel_failure", [](const std::string& msg) { throw Standard_ConstructionError(msg.c_str()); });
  m.def("raise_core_error", [](const std::string& kind, const std::string& msg) {
    if (kind == "type") throw nimbal::WrongType(msg);
    if (kind == "value") throw nimbal::InvalidValue(msg);
    if (kind == "attribute") throw nimbal::MissingMember(msg);
    if (kind == "key") throw nimbal::NotFound(msg);
    throw nimbal::BrokenPrecondition(msg);
  });
  // Logs through the core's facade; with_failure attaches a kernel failure.
  m.def("log", [](const std::string& logger, int level, const std::string& msg, bool with_failure) {
    nimbal::log::Logger lg(logger);
    auto lv = static_cast<nimbal::log::Level>(level);
    if (!with_failure) {
      nimbal::log::write(lg.name(), lv, msg);
      return;
    }
    try {
      throw Standard_ConstructionError("gp_Dir() - input vector has zero norm");
    } catch (...) {
      nimbal::log::write(lg.name(), lv, msg, std::current_exception());
    }
  });

  // Builds a chain of n managed shapes, each holding the previous one, and
  // frees it: deep chains must not exhaust the stack when released.
  m.def("release_component_chain", [](int n) {
    nimbal::managers::ManagedShapePtr head;
    for (int i = 0; i < n; ++i) {
      auto ms = std::make_shared<nimbal::managers::ManagedShape>();
      if (head) ms->components.push_back(std::move(head));
      head = std::move(ms);
    }
    head.reset();
    return true;
  });
  m.def("echo_shape_type", [](nimbal::ShapeType t) { return t; });
  m.def("shape_type_facts", [](nimbal::ShapeType t) {
    return pyb::make_tuple(nimbal::category(t), nimbal::is_volume_shape_type(t),
                           nimbal::is_decomposable_shape_type(t));
  });
  m.def("echo_standard_plane", [](nimbal::StandardPlane e) { return e; });
  m.def("echo_display_mode", [](nimbal::DisplayMode e) { return e; });
  m.def("echo_projection_type", [](nimbal::ProjectionType e) { return e; });
  m.def("echo_view_direction", [](nimbal::ViewDirection e) { return e; });
  m.def("echo_selection_mode", [](nimbal::SelectionMode e) { return e; });
  m.def("enum_tables", [] {
    pyb::dict d;
    d["ShapeType"] = enum_table<nimbal::ShapeType>();
    d["ShapeCategory"] = enum_table<nimbal::ShapeCategory>();
    d["StandardPlane"] = enum_table<nimbal::StandardPlane>();
    d["DisplayMode"] = enum_table<nimbal::DisplayMode>();
    d["ProjectionType"] = enum_table<nimbal::ProjectionType>();
    d["ViewDirection"] = enum_table<nimbal::ViewDirection>();
    d["SelectionMode"] = enum_table<nimbal::SelectionMode>();
    return d;
  });
  m.def("echo_point3", [](const std::array<double, 3>& p) { return p; });
  // The C++ field names of a record class, in order.
  m.def("record_fields", [](const std::string& cls) {
    pyb::list out;
    const auto* t = nimbal::models::find_record_type(cls);
    if (!t) throw nimbal::NotFound(cls);
    for (const auto& f : t->fields) out.append(std::string(f.name));
    return out;
  });

  // Calls one protocol operation the way the geometry manager does: through
  // drulen_protocol_from, positionally, placements left out unless given
  // (None among them is one left out).
  m.def("drulen_protocol_kind", [](pyb::object service) {
    auto p = nimbal::py::drulen_protocol_from(service);
    return dynamic_cast<nimbal::py::DrulenAdapter*>(p.get()) ? "adapter" : "drulen";
  });
  m.def("drive_drulen", [](pyb::object service, const std::string& op, pyb::tuple a) -> pyb::object {
    namespace s = nimbal::services;
    using nimbal::py::shape_or_none;
    auto p = nimbal::py::drulen_protocol_from(service);
    auto shape = [&](int i) { return a[i].is_none() ? TopoDS_Shape() : a[i].cast<TopoDS_Shape>(); };
    auto num = [&](int i) { return a[i].cast<double>(); };
    auto pt = [&](int i) { return a[i].cast<s::Point3>(); };
    auto opt = [&](int i) {
      return a.size() > std::size_t(i) && !a[i].is_none() ? std::optional<s::Point3>(pt(i)) : std::nullopt;
    };
    auto plane = [](const s::PlaneParams& pp) {
      return pyb::make_tuple(nimbal::py::point_to_tuple<3>(pp.first), nimbal::py::point_to_tuple<3>(pp.second));
    };
    auto shapes = [](const s::Shapes& v) {
      pyb::list l;
      for (const auto& x : v) l.append(shape_or_none(x));
      return l;
    };
    if (op == "create_box") return shape_or_none(p->create_box(num(0), num(1), num(2), opt(3)));
    if (op == "create_sphere") return shape_or_none(p->create_sphere(num(0), opt(1)));
    if (op == "create_cylinder") return shape_or_none(p->create_cylinder(num(0), num(1), opt(2), opt(3)));
    if (op == "create_cone") return shape_or_none(p->create_cone(num(0), num(1), num(2), opt(3), opt(4)));
    if (op == "create_torus") return shape_or_none(p->create_torus(num(0), num(1), opt(2), opt(3)));
    if (op == "create_rectangle") return shape_or_none(p->create_rectangle(num(0), num(1)));
    if (op == "create_circle") return shape_or_none(p->create_circle(num(0)));
    if (op == "translate_shape") return shape_or_none(p->translate_shape(shape(0), num(1), num(2), num(3)));
    if (op == "rotate_shape") return shape_or_none(p->rotate_shape(shape(0), pt(1), pt(2), num(3)));
    if (op == "fuse_shapes") return shape_or_none(p->fuse_shapes(shape(0), shape(1)));
    if (op == "cut_shapes") return shape_or_none(p->cut_shapes(shape(0), shape(1)));
    if (op == "unify_same_domain") return shape_or_none(p->unify_same_domain(shape(0)));
    if (op == "import_file") return shape_or_none(p->import_file(a[0].cast<std::string>()));
    if (op == "export_shapes_to_step")
      return pyb::bool_(p->export_shapes_to_step(a[0].cast<s::Shapes>(), a[1].cast<std::string>()));
    if (op == "export_shapes_to_iges")
      return pyb::bool_(p->export_shapes_to_iges(a[0].cast<s::Shapes>(), a[1].cast<std::string>()));
    if (op == "explode_to_faces") return shapes(p->explode_to_faces(shape(0)));
    if (op == "create_array_compound")
      return shape_or_none(p->create_array_compound(shape(0), a[1].cast<s::Count3>(), pt(2)));
    if (op == "apply_fillet") return shape_or_none(p->apply_fillet(shape(0), num(1), a[2].cast<s::Indices>()));
    if (op == "apply_corner_round")
      return shape_or_none(p->apply_corner_round(shape(0), num(1), a[2].cast<s::Indices>()));
    if (op == "apply_polyline_round")
      return shape_or_none(p->apply_polyline_round(shape(0), num(1), a[2].cast<s::Indices>()));
    if (op == "plane_params_for_standard") return plane(p->plane_params_for_standard(a[0].cast<std::string>()));
    if (op == "plane_params_from_face") return plane(p->plane_params_from_face(shape(0)));
    if (op == "create_polyline")
      return shape_or_none(p->create_polyline(a[0].cast<std::vector<s::Point3>>(), a[1].cast<bool>()));
    if (op == "extrude_shape") return shape_or_none(p->extrude_shape(shape(0), num(1)));
    throw nimbal::NotFound(op);
  });

  // What the kernel's STEP reader gives for a file, read in this process and
  // not looked at: none when it reads nothing.
  m.def("read_step_unchecked", [](const std::string& path) -> pyb::object {
    STEPControl_Reader reader;
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone) return pyb::none();
    reader.TransferRoots();
    return nimbal::py::shape_or_none(reader.OneShape());
  });
  // Shapes with NaN where a number belongs, by name: a vertex, a box placed
  // by a NaN translation, a box with one face on a plane through NaN (its
  // vertices all finite).
  m.def("non_finite_shapes", [] {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    pyb::dict out;
    out["vertex"] = TopoDS_Shape(BRepBuilderAPI_MakeVertex(gp_Pnt(nan, 0.0, 0.0)).Vertex());
    gp_Trsf move;
    move.SetTranslation(gp_Vec(0.0, nan, 0.0));
    out["placed box"] = BRepPrimAPI_MakeBox(1.0, 2.0, 3.0).Shape().Moved(TopLoc_Location(move));
    TopoDS_Shape box = BRepBuilderAPI_Copy(BRepPrimAPI_MakeBox(1.0, 2.0, 3.0).Shape()).Shape();
    TopExp_Explorer faces(box, TopAbs_FACE);
    const TopoDS_Face& face = TopoDS::Face(faces.Current());
    BRep_Builder().UpdateFace(face, new Geom_Plane(gp_Pnt(0.0, 0.0, nan), gp_Dir(0.0, 0.0, 1.0)), TopLoc_Location(),
                              BRep_Tool::Tolerance(face));
    out["face on a NaN plane"] = box;
    return out;
  });
  // The check a shape read from a file goes through: why it is refused, or none.
  m.def("read_shape_refusal", [](const TopoDS_Shape& s) {
    return nimbal::services::detail::refusal_of_read_shape(s, "STEP", "fixture.step");
  });
  // STEP data held in memory, read by the kernel service's many-buffer entry.
  m.def("import_step_buffers", [](const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<nimbal::services::StepBuffer> buffers;
    for (const auto& [name, bytes] : entries) buffers.push_back({name, bytes});
    nimbal::services::Shapes shapes;
    {
      pyb::gil_scoped_release release;
      shapes = nimbal::services::Drulen::ops::import_step_buffers(buffers);
    }
    pyb::list out;
    for (const auto& shape : shapes) out.append(nimbal::py::shape_or_none(shape));
    return out;
  });
  // Each of `threads` C++ threads writes its own box (1 + index) x 2 x 3 to
  // a STEP and an IGES file in `directory` and reads both back, `rounds`
  // times; gives each thread's volumes read back, 0 for a failure.
  m.def("exchange_in_threads", [](const std::string& directory, int threads, int rounds) {
    namespace s = nimbal::services;
    std::vector<std::vector<double>> volumes(static_cast<std::size_t>(threads));
    pyb::gil_scoped_release release;
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
      pool.emplace_back([&, t] {
        const std::string base = directory + "/thread" + std::to_string(t);
        for (int r = 0; r < rounds; ++r) {
          TopoDS_Shape box = BRepPrimAPI_MakeBox(1.0 + t, 2.0, 3.0).Shape();
          for (const char* suffix : {".step", ".igs"}) {
            const std::string path = base + suffix;
            const bool written = suffix[1] == 's' ? s::Drulen::ops::export_step(box, path)
                                                  : s::Drulen::ops::export_iges(box, path);
            // IGES carries faces: their area is what comes back.
            const TopoDS_Shape back = written ? s::Drulen::ops::import_file(path) : TopoDS_Shape();
            volumes[t].push_back(back.IsNull() ? 0.0
                                 : suffix[1] == 's' ? nimbal::kernel::volume(back)
                                                    : nimbal::kernel::area(back));
          }
        }
      });
    for (auto& th : pool) th.join();
    return volumes;
  });

  // The reader process: a read that sleeps, reported as a STEP import.
  m.def("reader_sleep", [](double seconds) {
    std::ostringstream text;
    text << seconds;
    return nimbal::py::shape_or_none(
        nimbal::services::reader::import_for_test(nimbal::services::reader::Request::sleep, text.str(), "sleep"));
  });
  m.def("reader_idle_pids", &nimbal::services::reader::idle_processes);
  // A shape in the kernel's binary form, and buffers of it read back.
  m.def("shape_bytes", [](const TopoDS_Shape& shape) { return pyb::bytes(nimbal::services::reader::shape_bytes(shape)); });
  m.def("import_native_buffers", [](const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<nimbal::services::StepBuffer> buffers;
    for (const auto& [name, bytes] : entries) buffers.push_back({name, bytes});
    nimbal::services::Shapes shapes = nimbal::services::Drulen::ops::import_native_buffers(buffers);
    pyb::list out;
    for (const auto& shape : shapes) out.append(nimbal::py::shape_or_none(shape));
    return out;
  });
  // Holds the kernel's error-handler mutex until release; False where no
  // hold could be seen.
  static ErrorHandlerMutexHold* hold = nullptr;
  m.def("hold_error_handler_mutex", [] {
    pyb::gil_scoped_release release;
    hold = new ErrorHandlerMutexHold();
    return hold->start();
  });
  m.def("release_error_handler_mutex", [] {
    pyb::gil_scoped_release release;
    if (!hold) return;
    hold->stop();
    delete hold;
    hold = nullptr;
  });
}
