#include "nimbal/kernel.hpp"

#include <BRepBndLib.hxx>
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

#include <atomic>
#include <mutex>

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

bool default_catchable() { return true; }

HostErrorPolicy g_policy{&default_error_text, &default_catchable};

}  // namespace

void set_host_error_policy(const HostErrorPolicy& policy) {
  g_policy.text = policy.text ? policy.text : &default_error_text;
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

std::string current_error_text() { return g_policy.text(); }
bool current_error_catchable() { return g_policy.catchable(); }

void route_kernel_messages() {
  static std::once_flag once;
  std::call_once(once, [] {
    const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
    messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    messenger->AddPrinter(new LogPrinter());
  });
}

double volume(const TopoDS_Shape& shape) {
  // Solids only: faces and open shells in a compound would add signed noise.
  double total = 0.0;
  for (const TopoDS_Shape& solid : sub_shapes(shape, TopAbs_SOLID)) {
    GProp_GProps props;
    BRepGProp::VolumeProperties(solid, props);
    total += props.Mass();
  }
  return total;
}

double area(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return 0.0;
  GProp_GProps props;
  BRepGProp::SurfaceProperties(shape, props);
  return props.Mass();
}

double length(const TopoDS_Shape& shape) {
  // Each unique edge once: exploring a solid meets every edge from both faces.
  double total = 0.0;
  for (const TopoDS_Shape& edge : sub_shapes(shape, TopAbs_EDGE)) {
    GProp_GProps props;
    BRepGProp::LinearProperties(edge, props);
    total += props.Mass();
  }
  return total;
}

std::optional<Bounds> bounding_box(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return std::nullopt;
  Bnd_Box box;
  BRepBndLib::AddOptimal(shape, box, /*useTriangulation=*/false, /*useShapeTolerance=*/false);
  if (box.IsVoid()) return std::nullopt;
  Bounds b{};
  box.Get(b.xmin, b.ymin, b.zmin, b.xmax, b.ymax, b.zmax);
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
  if (shape.IsNull()) return false;
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

}  // namespace nimbal::kernel
