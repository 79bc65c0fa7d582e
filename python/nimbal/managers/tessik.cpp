// nimbal.managers.tessik: the sketch manager as the host sees it. A host
// subclass's hooks and state callbacks are reached through the trampoline
// below.
#include "nimbal/managers/tessik.hpp"

#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include "corvath_bind.hpp"
#include "nimbal_py/hathel.hpp"
#include "nimbal_py/manager_hooks.hpp"
#include "nimbal_py/records.hpp"
#include "tessik_bind.hpp"
#include "nimbal_py/method_guard.hpp"

namespace pyb = pybind11;
namespace from_py = nimbal::py::from_py;
using namespace nimbal::managers;
using nimbal::ShapeType;
using nimbal::models::BooleanProperties;
using nimbal::py::shape_or_none;
using nimbal::py::type_name;
using nimbal::services::Point2;
using namespace nimbal::py::typing;

// Docstrings of the Python face.
namespace doc {

constexpr const char* module = R"(The sketch manager: registry, creation, editing, booleans, undo and hooks of sketch elements.

DEFAULT_SKETCH_COLOR: (0.45, 0.56, 0.7), the default colour of new elements.
The module also holds the names a host imports with it: ManagedShape,
ShapeType, the sketch property records, Fandor, Hathel, _UndoCommand and
_ShapeSnapshot.)";
constexpr const char* cls = R"(The headless sketch manager of one sketch on one reference plane.

Holds the registry of the sketch's 2D elements (rectangles, circles, lines,
arcs, polylines and their unions and subtractions), builds them through a
sketch plane service, and records every change on its own undo stacks. A
host subclass overrides the ``_notify_*`` hooks to follow each change; they
do nothing here. Nothing is logged and there is no failure hook: operations
that fail return None, False or an empty list.)";

constexpr const char* init = R"(Creates an empty sketch on one reference plane.

Extra keywords go first to the initialiser that follows this class in the
instance's class order (a host's UI base class); without one, ``object``
refuses them. No hook is called.

Args:
    plane_id: Shape id of the reference plane, written into every element's
        record.
    plane_props: The plane's PlaneProperties, kept as this very object;
        None gives a default plane (origin (0, 0, 0), normal (0, 0, 1)).
    fandor: The sketch plane service that builds and combines the elements;
        None gives a new Fandor. Any other object is called by method name.
    **kwargs: Passed on to the next initialiser in the class order.

Raises:
    TypeError: plane_props is not a PlaneProperties, plane_id not a str, or
        an extra keyword is left that no initialiser takes.)";

constexpr const char* plane_id = "Shape id of the reference plane carrying the sketch (read-only).";
constexpr const char* plane_props =
    "The sketch plane's PlaneProperties, the very object given to the constructor (read-only).";
constexpr const char* _plane_id = "Same as plane_id.";
constexpr const char* _plane_props = "Same as plane_props.";
constexpr const char* _shapes = R"(The registry: a live read-only mapping of shape id to ManagedShape.

Holds every element in registration order, hidden components of unions and
subtractions included.)";
constexpr const char* _fandor = "The sketch plane service as given to the constructor (or the Fandor made for it).";
constexpr const char* _undo_redo = R"(The sketch's Hathel undo and redo stacks (at most 50 commands).

Its callbacks are this manager's _apply_state, _notify_undo_redo_changed
and _on_redo_clears_all, so a subclass's overrides are the ones called.)";

constexpr const char* notify_shape_created = R"(Hook: a top-level element appeared; does nothing here.

Called after a creation, for the result of a union or subtraction, for each
component a decomposition gives back, and when undo or redo brings a
top-level element back or makes a hidden one top-level.

Args:
    shape_id: The element's id.
    ms: Its registered ManagedShape.)";
constexpr const char* notify_shape_updated = R"(Hook: an element's shape, colour or name changed; does nothing here.

Called after update_shape (for the element and for a recomputed parent),
update_shape_color and rename_shape, and when undo or redo overwrites a
record that is top-level before and after.

Args:
    shape_id: The element's id.
    ms: Its registered ManagedShape.)";
constexpr const char* notify_shape_removed = R"(Hook: an element left the top level; does nothing here.

Called after remove_shape, for each id given to a union or subtraction
that became a hidden component, for a decomposed element, and when undo or
redo removes a top-level record or hides one.

Args:
    shape_id: The element's id.)";
constexpr const char* notify_all_cleared =
    "Hook: the registry was emptied by clear_all or by the redo of one; does nothing here.";
constexpr const char* notify_undo_redo_changed = R"(Hook: undo availability after a push, undo or redo; does nothing here.

Args:
    can_undo: Whether an undo is possible now.
    can_redo: Whether a redo is possible now.)";

constexpr const char* new_shape_id = R"(Draws a new shape id for an element of the type.

Overridable. The manager draws again while the id is already registered.

Args:
    shape_type: The element's ShapeType.

Returns:
    The type's value, "_" and eight lower-case hexadecimal digits drawn at
    random, e.g. "rectangle_1f0c9a2e".)";
constexpr const char* generate_shape_name = R"(The next free display name for the type.

Overridable. The prefix is the type's value capitalised plus "_"; every
registered name (hidden components included) that is the prefix followed by
an integer counts, whatever the element's type.

Args:
    shape_type: The element's ShapeType.

Returns:
    The prefix and one more than the highest number in use, e.g.
    "Rectangle_3"; "Rectangle_1" when none is in use.)";
constexpr const char* get_shape = R"(The registered element with the id, top-level or hidden.

Args:
    shape_id: The element's id.

Returns:
    Its ManagedShape, or None when the id is not registered.)";
constexpr const char* get_all_shape_ids = R"(Every registered id, hidden components included, in registry order.

Returns:
    A new list of ids; skip records whose parent_id is set to keep the
    top-level elements only.)";

constexpr const char* can_undo = "Whether a command can be undone (read-only).";
constexpr const char* can_redo = "Whether a command can be redone (read-only).";
constexpr const char* undo = R"(Undoes the newest command; nothing when there is none.

Applies the command's before state through _apply_state, then moves it to
the redo stack.

Hooks:
    Those of the state application (_notify_shape_removed, _created,
    _updated), then _notify_undo_redo_changed.)";
constexpr const char* redo = R"(Redoes the newest undone command; nothing when there is none.

Applies the command's after state through _apply_state (a clear-all command
calls _on_redo_clears_all instead), then moves it back to the undo stack.

Hooks:
    Those of the state application, or _notify_all_cleared for a clear-all,
    then _notify_undo_redo_changed.)";
constexpr const char* on_redo_clears_all = R"(Empties the registry for the redo of clear_all.

Overridable; the undo stacks call it. Hidden components go as well.

Hooks:
    _notify_all_cleared (no _notify_shape_removed per element).)";
constexpr const char* push_undo = R"(Records one command on the undo stack and empties the redo stack.

Beyond 50 commands the oldest is dropped.

Args:
    description: Text shown to the user.
    before: State (shape id -> _ShapeSnapshot, or None where the shape must
        not exist) that undo applies; a State is kept as it is, any other
        mapping copied into a new State.
    after: State that redo applies.
    redo_clears_all: Keyword only; redo empties the registry instead of
        applying after.

Raises:
    TypeError: before or after is not such a mapping.

Hooks:
    _notify_undo_redo_changed.)";
constexpr const char* apply_state = R"(Makes the registry agree with a state; undo and redo call it.

Overridable. Three passes in the state's order: ids mapped to None leave
the registry, then hidden entries are restored, then top-level ones, each
through _restore_from_snapshot.

Args:
    state: Mapping of shape id to _ShapeSnapshot or None.

Raises:
    TypeError: state is not such a mapping.

Hooks:
    _notify_shape_removed for each top-level record removed, then those of
    _restore_from_snapshot.)";
constexpr const char* restore_from_snapshot = R"(Creates or overwrites the record of one id from a snapshot.

A new record goes to the end of the registry; an existing one is updated
in place, so it stays the same object. Its components are the registered
records named by the snapshot's component ids.

Args:
    shape_id: The id to restore.
    snapshot: The _ShapeSnapshot to restore from.

Raises:
    TypeError: snapshot is not a _ShapeSnapshot.

Hooks:
    _notify_shape_created when the record is new and top-level or becomes
    top-level; _notify_shape_removed when it becomes hidden;
    _notify_shape_updated when it stays top-level; none while it stays
    hidden.)";

constexpr const char* create_rectangle = R"(Creates a rectangle element on the sketch plane.

Args:
    u: Plane-local u of the bottom-left corner.
    v: Plane-local v of the bottom-left corner.
    width: Extent along the plane's u axis.
    height: Extent along the plane's v axis.
    color: (r, g, b), each from 0 to 1.
    name: Display name; None generates one ("Rectangle_N").
    filled: A face when true, else the closed outline wire.

Returns:
    The new registered ManagedShape (undo command "Create rectangle").

Raises:
    TypeError: color is not three numbers, or name is not a str or None.
    ValueError: a coordinate or size is not finite.
    nimbal.kernel.KernelError: the kernel could not build it; nothing is
        registered.

Hooks:
    _notify_undo_redo_changed, then _notify_shape_created.)";
constexpr const char* create_circle = R"(Creates a circle element on the sketch plane.

Args:
    u: Plane-local u of the centre.
    v: Plane-local v of the centre.
    radius: The radius.
    color: (r, g, b), each from 0 to 1.
    name: Display name; None generates one ("Circle_N").
    filled: A disk when true, else the circle's wire.

Returns:
    The new registered ManagedShape (undo command "Create circle").

Raises:
    TypeError: color is not three numbers, or name is not a str or None.
    ValueError: a coordinate or the radius is not finite.
    nimbal.kernel.KernelError: the kernel could not build it (e.g. radius
        0); nothing is registered.

Hooks:
    _notify_undo_redo_changed, then _notify_shape_created.)";
constexpr const char* create_line = R"(Creates a straight line element from p1 to p2.

The element is registered even when the points coincide (within 1e-9) or
the kernel fails: its shape is then None, until an update gives it one.

Args:
    p1: Plane-local (u, v) start point.
    p2: Plane-local (u, v) end point.
    color: (r, g, b), each from 0 to 1.
    name: Display name; None generates one ("Line_N").

Returns:
    The new registered ManagedShape (undo command "Create line"); never
    None.

Raises:
    TypeError: a point is not a (u, v) pair of numbers, color not three
        numbers, or name not a str or None.

Hooks:
    _notify_undo_redo_changed, then _notify_shape_created.)";
constexpr const char* create_arc = R"(Creates a circular arc element from start through mid to end.

Args:
    start: Plane-local (u, v) start point.
    mid: A plane-local point the arc passes through.
    end: Plane-local (u, v) end point.
    color: (r, g, b), each from 0 to 1.
    name: Display name; None generates one ("Arc_N").

Returns:
    The new registered ManagedShape (undo command "Create arc"), or None
    when no arc passes through the points (e.g. collinear ones); then
    nothing is registered and no hook is called.

Raises:
    TypeError: a point is not a (u, v) pair of numbers, color not three
        numbers, or name not a str or None.

Hooks:
    _notify_undo_redo_changed, then _notify_shape_created.)";
constexpr const char* create_sketch_polyline = R"(Creates a polyline element through plane-local points.

Consecutive repeated points (within 1e-9) collapse into one.

Args:
    points_uv: Sequence of plane-local (u, v) points; the record keeps its
        own list of them.
    closed: Adds an edge from the last point back to the first.
    filled: With closed, a face bounded by the polyline.
    color: (r, g, b), each from 0 to 1.
    name: Display name; None generates one ("Sketch_polyline_N").

Returns:
    The new registered ManagedShape (undo command "Create sketch_polyline"),
    or None when fewer than two distinct points remain or the wire cannot
    be made; then nothing is registered and no hook is called.

Raises:
    TypeError: points_uv is not a sequence of (u, v) pairs of numbers,
        color not three numbers, or name not a str or None.

Hooks:
    _notify_undo_redo_changed, then _notify_shape_created.)";
constexpr const char* register_shape = R"(Names, identifies, stores and records a new top-level element.

The common last step of the creation operations. The name is made before
the id; a given name is used as it is, an empty one included.

Args:
    shape_type: The element's ShapeType.
    shape: Its kernel shape, or None.
    properties: Its property record, owned by the element from now on.
    color: (r, g, b), each from 0 to 1.
    name: Display name; None generates one.

Returns:
    The new registered ManagedShape (undo command "Create " + the type's
    value).

Raises:
    TypeError: shape is not a kernel shape or None, properties is not a
        property record, or name is not a str or None.

Hooks:
    _notify_undo_redo_changed, then _notify_shape_created.)";

constexpr const char* update_shape = R"(Rebuilds an element from a new property record.

A union or subtraction with components is refolded from their current
shapes, the record deciding the merge step; any other element is rebuilt
by its own type from the record. The element then holds that very record.
If the element is a hidden component, its direct parent is refolded as
well (one level); a parent that fails to refold keeps its shape.

Args:
    shape_id: The element's id.
    properties: The new property record.

Returns:
    True when rebuilt (undo command "Update " + the element's name); False,
    with no change, when the id is not registered or the rebuild yields no
    shape (e.g. a record of another kind).

Raises:
    TypeError: properties is not a property record.
    ValueError, nimbal.kernel.KernelError: a rectangle or circle the kernel
        cannot build; nothing has changed.

Hooks:
    _notify_shape_updated for a refolded parent, then
    _notify_undo_redo_changed, then _notify_shape_updated for the element.)";
constexpr const char* build_shape_from_properties = R"(Builds the kernel shape of an element type from a property record.

Dispatches to the sketch plane service's builder on this sketch's plane;
the record's plane_id is not read.

Args:
    shape_type: RECTANGLE, CIRCLE, LINE, ARC or SKETCH_POLYLINE.
    properties: The record of that type's class.

Returns:
    The shape, or None when the builder yields none or the type and the
    record's class do not match.

Raises:
    TypeError: properties is not a property record.
    ValueError, nimbal.kernel.KernelError: a rectangle or circle the kernel
        cannot build.)";
constexpr const char* recompute_boolean_from_components = R"(Refolds a union or subtraction from its components' current shapes.

Fuses (union) or cuts (subtraction, the first minus each later one) in
component order, then merges coplanar faces and collinear edges when the
deciding record is a BooleanProperties with remove_internal_edges true.
The element itself is not changed.

Args:
    ms: The ManagedShape to refold.
    override_props: Record that decides the merge step instead of
        ms.properties; None uses ms.properties.

Returns:
    The new shape; ms.shape unchanged when ms has no components or is not
    a boolean; None when a fold step fails.

Raises:
    TypeError: ms is not a ManagedShape, or override_props is not a
        property record or None.)";
constexpr const char* update_shape_color = R"(Gives an element a new colour.

Args:
    shape_id: The element's id.
    color: (r, g, b), each from 0 to 1.

Returns:
    True (undo command "Change color of " + name, also when the colour is
    the same); False when the id is not registered.

Raises:
    TypeError: color is not three numbers.

Hooks:
    _notify_undo_redo_changed, then _notify_shape_updated.)";
constexpr const char* rename_shape = R"(Renames an element; the name is stripped of surrounding white space.

Names need not be unique.

Args:
    shape_id: The element's id.
    new_name: The new display name.

Returns:
    True when renamed (undo command "Rename to " + the stripped name) or
    when the name is already that; False when the stripped name is empty or
    the id is not registered.

Hooks:
    _notify_undo_redo_changed, then _notify_shape_updated; none when the
    name was already that.)";
constexpr const char* remove_shape = R"(Removes one element from the registry.

Only that entry goes: the components of a removed union or subtraction
stay registered, hidden, so that undo brings the element back whole.

Args:
    shape_id: The element's id.

Returns:
    True (undo command "Remove " + name); False when the id is not
    registered.

Hooks:
    _notify_undo_redo_changed, then _notify_shape_removed.)";
constexpr const char* clear_all = R"(Empties the sketch, hidden components included.

Records "Clear all sketch shapes" even for an empty sketch; its redo
empties the registry again through _on_redo_clears_all.

Hooks:
    _notify_undo_redo_changed, then _notify_all_cleared (no
    _notify_shape_removed per element).)";

constexpr const char* union_shapes = R"(Unites two or more top-level elements into a new UNION element.

Ids that are not registered or name hidden components are passed over; an
id given twice enters twice. The inputs stay registered as hidden
components of the new element, which takes the first input's colour.

Args:
    shape_ids: Ids of the elements to unite, in order.
    properties: BooleanProperties stored on the new element (this very
        record); None gives a new one. Its remove_internal_edges decides
        whether coplanar faces and collinear edges are merged.

Returns:
    The new element's id (undo command "Union sketch shapes"), or None,
    with nothing changed, when fewer than two inputs are accepted, an input
    has no shape, or the kernel fails.

Raises:
    TypeError: shape_ids is not a sequence of str, or properties is not a
        BooleanProperties or None.

Hooks:
    _notify_shape_removed for every registered id of shape_ids, in argument
    order; _notify_shape_created for the new element; then
    _notify_undo_redo_changed.)";
constexpr const char* subtract_shapes = R"(Cuts later top-level elements from the first into a SUBTRACTION.

The first accepted id is the base and every further accepted one a tool
cut from it in turn. Ids that are not registered or name hidden components
are passed over. The inputs stay registered as hidden components of the new
element, which takes the base's colour.

Args:
    shape_ids: Ids of the base, then the tools, in order.
    properties: BooleanProperties stored on the new element (this very
        record); None gives a new one. Its remove_internal_edges decides
        whether coplanar faces and collinear edges are merged.

Returns:
    The new element's id (undo command "Subtract sketch shapes"), or None,
    with nothing changed, when fewer than two inputs are accepted, an input
    has no shape, or the kernel fails.

Raises:
    TypeError: shape_ids is not a sequence of str, or properties is not a
        BooleanProperties or None.

Hooks:
    _notify_shape_removed for every registered id of shape_ids, in argument
    order; _notify_shape_created for the new element; then
    _notify_undo_redo_changed.)";
constexpr const char* decompose_shape = R"(Dissolves a top-level union or subtraction into its components.

The element leaves the registry; its still registered components become
top-level again, unchanged.

Args:
    shape_id: The element's id.

Returns:
    The ids of the components given back, in component order (undo command
    "Decompose " + name); an empty list, with nothing changed, when the id
    is not registered, is no union or subtraction, has no components, or is
    itself hidden.

Hooks:
    _notify_undo_redo_changed, then _notify_shape_removed for the element,
    then _notify_shape_created for each component.)";

}  // namespace doc

namespace {

class PyCoreTessik : public nimbal::py::ManagerHooks<CoreTessik> {
 public:
  PyCoreTessik(std::string plane_id, PlanePtr plane, std::shared_ptr<SketchPlaneService> service,
               pyb::object fandor_obj)
      : ManagerHooks(std::move(plane_id), std::move(plane), std::move(service)), fandor_obj(std::move(fandor_obj)) {}

  // The service as it was given (or the Fandor made for it).
  pyb::object fandor_obj;
};

std::optional<std::string> optional_name(pyb::handle v) { return nimbal::py::from_py::text_or_none(v, "name"); }

Point2 point(pyb::handle v, const char* what) {
  Point2 p{};
  if (!nimbal::py::as_point<2>(v, p))
    throw nimbal::WrongType(std::string(what) + " must be a (u, v) pair of numbers, not '" + type_name(v) + "'");
  return p;
}

std::vector<Point2> points(pyb::handle v, const char* what) {
  if (!PySequence_Check(v.ptr()) || PyUnicode_Check(v.ptr()) || PyBytes_Check(v.ptr()))
    throw nimbal::WrongType(std::string(what) + " must be a sequence of (u, v) pairs, not '" + type_name(v) + "'");
  std::vector<Point2> out;
  for (pyb::handle p : v) out.push_back(point(p, "each point"));
  return out;
}

bool truth(pyb::handle obj) {
  int r = PyObject_IsTrue(obj.ptr());
  if (r < 0) throw pyb::error_already_set();
  return r == 1;
}

std::shared_ptr<BooleanProperties> boolean_record(pyb::handle v) {
  if (v.is_none()) return nullptr;
  if (!pyb::isinstance<BooleanProperties>(v))
    throw nimbal::WrongType("properties must be a BooleanProperties or None, not '" + type_name(v) + "'");
  return std::static_pointer_cast<BooleanProperties>(v.cast<std::shared_ptr<nimbal::models::Quenby>>());
}

ManagedShapePtr managed(pyb::handle v, const char* what) {
  if (!pyb::isinstance<ManagedShape>(v))
    throw nimbal::WrongType(std::string(what) + " must be a ManagedShape, not '" + type_name(v) + "'");
  return v.cast<ManagedShapePtr>();
}

NIMBAL_PY_NAME(hathel_name, "nimbal.services.hathel.Hathel");
NIMBAL_PY_NAME(fandor_name, "nimbal.services.fandor.Fandor");
NIMBAL_PY_NAME(fandor_or_none_name, "nimbal.services.fandor.Fandor | None");
NIMBAL_PY_NAME(plane_or_none_name, "nimbal.models.quenby.PlaneProperties | None");
NIMBAL_PY_NAME(boolean_or_none_name, "nimbal.models.quenby.BooleanProperties | None");
NIMBAL_PY_NAME(points2_name, "typing.Iterable[tuple[float, float]]");
NIMBAL_PY_NAME(state_name, "nimbal.services.hathel.State | dict[str, typing.Any]");
NIMBAL_PY_NAME(snapshot_name, "nimbal.services.hathel._ShapeSnapshot");

PyCoreTessik& py_self(CoreTessik& self) { return static_cast<PyCoreTessik&>(self); }

}  // namespace

PYBIND11_MODULE(tessik, m) {
  m.doc() = doc::module;
  nimbal::py::import_kernel();
  pyb::module_ enums = pyb::module_::import("nimbal.enums");
  pyb::module_ quenby = pyb::module_::import("nimbal.models.quenby");
  pyb::module_ hathel = pyb::module_::import("nimbal.services.hathel");
  pyb::module_ corvath = pyb::module_::import("nimbal.managers.corvath");
  pyb::module_ fandor = pyb::module_::import("nimbal.services.fandor");
  nimbal::py::register_core_errors();

  // The names this module brings in, as a host may import them from here.
  m.attr("uuid") = pyb::module_::import("uuid");
  m.attr("ManagedShape") = corvath.attr("ManagedShape");
  m.attr("ShapeType") = enums.attr("ShapeType");
  for (const char* rec : {"ArcProperties", "BooleanProperties", "CircleProperties", "LineProperties",
                          "PlaneProperties", "RectangleProperties", "Quenby", "SketchPolylineProperties"})
    m.attr(rec) = quenby.attr(rec);
  m.attr("Fandor") = fandor.attr("Fandor");
  for (const char* name : {"Hathel", "_UndoCommand", "_ShapeSnapshot"}) m.attr(name) = hathel.attr(name);
  m.attr("DEFAULT_SKETCH_COLOR") = pyb::cast(DEFAULT_SKETCH_COLOR);

  pyb::class_<CoreTessik, PyCoreTessik, std::shared_ptr<CoreTessik>> c(
      m, "CoreTessik", doc::cls);
  pyb::object fandor_cls = fandor.attr("Fandor");
  c.def(pyb::init([fandor_cls](const std::string& plane_id, typed<plane_or_none_name> plane_props, typed<fandor_or_none_name> fandor_obj) {
          PlanePtr plane;
          if (!plane_props.is_none()) {
            if (!pyb::isinstance<nimbal::models::PlaneProperties>(plane_props))
              throw nimbal::WrongType("plane_props must be a PlaneProperties or None, not '" +
                                      type_name(plane_props) + "'");
            plane = std::static_pointer_cast<nimbal::models::PlaneProperties>(
                plane_props.cast<std::shared_ptr<nimbal::models::Quenby>>());
          }
          // `is None`, not truth: any other object is the service.
          pyb::object service = fandor_obj.is_none() ? fandor_cls() : pyb::reinterpret_borrow<pyb::object>(fandor_obj);
          return std::make_shared<PyCoreTessik>(plane_id, std::move(plane),
                                                nimbal::py::tessik::sketch_service_from(service), service);
        }),
        pyb::arg("plane_id") = "", pyb::arg("plane_props") = pyb::none(), pyb::arg("fandor") = pyb::none());

  // Extra keywords go to the initialiser after this class in the instance's
  // hierarchy (a host's UI base class), before anything is set: a Python
  // __init__ around the constructor above, since pybind11 takes a hand-made
  // C++ __init__ for its deprecated placement-new form.
  pyb::module_::import("nimbal.managers._cooperative").attr("cooperative_init")(c, c.attr("__init__"), doc::init);

  // ---- attributes and read-only properties ----
  c.def_property_readonly("plane_id", [](CoreTessik& s) { return s.plane_id(); }, doc::plane_id)
      .def_property_readonly("plane_props", [](CoreTessik& s) { return s.plane_props(); }, doc::plane_props)
      .def_property_readonly("_plane_id", [](CoreTessik& s) { return s.plane_id(); }, doc::_plane_id)
      .def_property_readonly("_plane_props", [](CoreTessik& s) { return s.plane_props(); }, doc::_plane_props)
      .def_property_readonly("_shapes", pyb::cpp_function(
                                            [](pyb::object self) {
                                              return nimbal::py::corvath::RegistryView{
                                                  &self.cast<CoreTessik&>()._shapes()};
                                            },
                                            pyb::keep_alive<0, 1>()),
                              doc::_shapes)
      .def_property_readonly("_fandor", [](CoreTessik& self) { return typed<fandor_name>(py_self(self).fandor_obj); }, doc::_fandor)
      .def_property_readonly("_undo_redo", [](pyb::object self) -> typed<hathel_name> {
        return pyb::cast(&self.cast<CoreTessik&>()._undo_redo(), pyb::return_value_policy::reference_internal, self);
      }, doc::_undo_redo);

  // ---- hooks (nothing here) ----
  c.def("_notify_shape_created", &CoreTessik::_notify_shape_created, pyb::arg("shape_id"), pyb::arg("ms"),
        doc::notify_shape_created)
      .def("_notify_shape_updated", &CoreTessik::_notify_shape_updated, pyb::arg("shape_id"), pyb::arg("ms"),
           doc::notify_shape_updated)
      .def("_notify_shape_removed", &CoreTessik::_notify_shape_removed, pyb::arg("shape_id"), doc::notify_shape_removed)
      .def("_notify_all_cleared", &CoreTessik::_notify_all_cleared, doc::notify_all_cleared)
      .def("_notify_undo_redo_changed", &CoreTessik::_notify_undo_redo_changed, pyb::arg("can_undo"),
           pyb::arg("can_redo"), doc::notify_undo_redo_changed);

  // ---- ids, names, queries ----
  c.def("_new_shape_id", &CoreTessik::_new_shape_id, pyb::arg("shape_type"), doc::new_shape_id)
      .def("_generate_shape_name", &CoreTessik::_generate_shape_name, pyb::arg("shape_type"), doc::generate_shape_name)
      .def(
          "get_shape",
          [](const CoreTessik& self, const std::string& id) {
            return as_typed<managed_or_none_name>(self.get_shape(id));
          },
          pyb::arg("shape_id"), doc::get_shape)
      .def("get_all_shape_ids", &CoreTessik::get_all_shape_ids, doc::get_all_shape_ids);

  // ---- undo ----
  c.def_property_readonly("can_undo", &CoreTessik::can_undo, doc::can_undo)
      .def_property_readonly("can_redo", &CoreTessik::can_redo, doc::can_redo)
      .def("undo", &CoreTessik::undo, doc::undo)
      .def("redo", &CoreTessik::redo, doc::redo)
      .def("_on_redo_clears_all", &CoreTessik::_on_redo_clears_all, doc::on_redo_clears_all)
      .def(
          "_push_undo",
          [](CoreTessik& self, const std::string& description, typed<state_name> before, typed<state_name> after,
             bool redo_clears_all) {
            self._push_undo(description, nimbal::py::state_from_py(before, "before"),
                            nimbal::py::state_from_py(after, "after"), redo_clears_all);
          },
          pyb::arg("description"), pyb::arg("before"), pyb::arg("after"), pyb::kw_only(),
          pyb::arg("redo_clears_all") = false, doc::push_undo)
      .def(
          "_apply_state",
          [](CoreTessik& self, typed<state_name> state) { self.CoreTessik::_apply_state(nimbal::py::state_from_py(state)); },
          pyb::arg("state"), doc::apply_state)
      .def(
          "_restore_from_snapshot",
          [](CoreTessik& self, const std::string& shape_id, typed<snapshot_name> snapshot) {
            if (!pyb::isinstance<nimbal::services::ShapeSnapshot>(snapshot))
              throw nimbal::WrongType("snapshot must be a _ShapeSnapshot, not '" + type_name(snapshot) + "'");
            self._restore_from_snapshot(shape_id, snapshot.cast<nimbal::services::SnapshotPtr>());
          },
          pyb::arg("shape_id"), pyb::arg("snapshot"), doc::restore_from_snapshot);

  // ---- creation ----
  c.def(
       "create_rectangle",
       [](CoreTessik& self, double u, double v, double width, double height, const Color& color, str_or_none name,
          bool_arg filled) {
         return as_typed<managed_or_none_name>(self.create_rectangle(u, v, width, height, color, optional_name(name), truth(filled)));
       },
       pyb::arg("u"), pyb::arg("v"), pyb::arg("width") = 60.0, pyb::arg("height") = 40.0,
       pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none(), pyb::arg("filled") = true,
       doc::create_rectangle)
      .def(
          "create_circle",
          [](CoreTessik& self, double u, double v, double radius, const Color& color, str_or_none name,
             bool_arg filled) {
            return as_typed<managed_or_none_name>(self.create_circle(u, v, radius, color, optional_name(name), truth(filled)));
          },
          pyb::arg("u"), pyb::arg("v"), pyb::arg("radius") = 30.0, pyb::arg("color") = DEFAULT_SKETCH_COLOR,
          pyb::arg("name") = pyb::none(), pyb::arg("filled") = true, doc::create_circle)
      .def(
          "create_line",
          [](CoreTessik& self, typed<point2_name> p1, typed<point2_name> p2, const Color& color, str_or_none name) {
            return as_typed<managed_or_none_name>(self.create_line(point(p1, "p1"), point(p2, "p2"), color, optional_name(name)));
          },
          pyb::arg("p1"), pyb::arg("p2"), pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none(),
          doc::create_line)
      .def(
          "create_arc",
          [](CoreTessik& self, typed<point2_name> start, typed<point2_name> mid, typed<point2_name> end, const Color& color,
             str_or_none name) {
            return as_typed<managed_or_none_name>(self.create_arc(point(start, "start"), point(mid, "mid"), point(end, "end"), color,
                                   optional_name(name)));
          },
          pyb::arg("start"), pyb::arg("mid"), pyb::arg("end"), pyb::arg("color") = DEFAULT_SKETCH_COLOR,
          pyb::arg("name") = pyb::none(), doc::create_arc)
      .def(
          "create_sketch_polyline",
          [](CoreTessik& self, typed<points2_name> pts, bool_arg closed, bool_arg filled, const Color& color,
             str_or_none name) {
            return as_typed<managed_or_none_name>(self.create_sketch_polyline(points(pts, "points_uv"), truth(closed), truth(filled), color,
                                               optional_name(name)));
          },
          pyb::arg("points_uv"), pyb::arg("closed") = false, pyb::arg("filled") = false,
          pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none(), doc::create_sketch_polyline)
      .def(
          "_register_shape",
          [](CoreTessik& self, ShapeType t, typed<shape_name> shape, record_arg props, const Color& color,
             str_or_none name) {
            return self._register_shape(t, nimbal::py::from_py::shape_or_null(shape, "shape"),
                                        from_py::record(props, "properties"), color, optional_name(name));
          },
          pyb::arg("shape_type"), pyb::arg("shape"), pyb::arg("properties"), pyb::arg("color"), pyb::arg("name"),
          doc::register_shape);

  // ---- editing ----
  c.def(
       "update_shape",
       [](CoreTessik& self, const std::string& id, record_arg props) {
         return self.update_shape(id, from_py::record(props, "properties"));
       },
       pyb::arg("shape_id"), pyb::arg("properties"), doc::update_shape)
      .def(
          "_build_shape_from_properties",
          [](CoreTessik& self, ShapeType t, record_arg props) {
            return typed<shape_or_none_name>(shape_or_none(self._build_shape_from_properties(t, *from_py::record(props, "properties"))));
          },
          pyb::arg("shape_type"), pyb::arg("properties"), doc::build_shape_from_properties)
      .def(
          "_recompute_boolean_from_components",
          [](CoreTessik& self, typed<managed_name> ms, record_or_none override_props) {
            RecordPtr rec = override_props.is_none() ? nullptr : from_py::record(override_props, "override_props");
            return typed<shape_or_none_name>(shape_or_none(self._recompute_boolean_from_components(*managed(ms, "ms"), rec.get())));
          },
          pyb::arg("ms"), pyb::arg("override_props") = pyb::none(), doc::recompute_boolean_from_components)
      .def("update_shape_color", &CoreTessik::update_shape_color, pyb::arg("shape_id"), pyb::arg("color"),
           doc::update_shape_color)
      .def("rename_shape", &CoreTessik::rename_shape, pyb::arg("shape_id"), pyb::arg("new_name"), doc::rename_shape)
      .def("remove_shape", &CoreTessik::remove_shape, pyb::arg("shape_id"), doc::remove_shape)
      .def("clear_all", &CoreTessik::clear_all, doc::clear_all);

  // ---- booleans and decomposition ----
  c.def(
       "union_shapes",
       [](CoreTessik& self, const std::vector<std::string>& ids, typed<boolean_or_none_name> props) {
         return (self.union_shapes(ids, boolean_record(props)));
       },
       pyb::arg("shape_ids"), pyb::arg("properties") = pyb::none(), doc::union_shapes)
      .def(
          "subtract_shapes",
          [](CoreTessik& self, const std::vector<std::string>& ids, typed<boolean_or_none_name> props) {
            return (self.subtract_shapes(ids, boolean_record(props)));
          },
          pyb::arg("shape_ids"), pyb::arg("properties") = pyb::none(), doc::subtract_shapes)
      .def("decompose_shape", &CoreTessik::decompose_shape, pyb::arg("shape_id"), doc::decompose_shape);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
