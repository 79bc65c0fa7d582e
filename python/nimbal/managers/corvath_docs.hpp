// The docstrings of nimbal.managers.corvath.
#pragma once

namespace nimbal::py::corvath::doc {

// Hook orders are stated in one form a test reads back: "Hooks, in order"
// (a case may follow), a colon, the hooks in call order, a full stop. A note
// in parentheses that says "each" stands for one call or more in a row.

constexpr const char* managed_cls = R"(A managed shape with its properties and metadata.

One entry of a manager's registry: a top-level shape when parent_id is None,
otherwise a hidden component of the shape parent_id names. Compares and
hashes by identity.)";
constexpr const char* managed_init = R"(Builds a record; it is not registered anywhere.

Args:
    shape_id: The id the shape is registered under.
    shape: Its kernel shape, or None (a reference plane, or a sketch with
        no element that has a shape).
    shape_type: Its ShapeType.
    name: Its display name.
    color: (red, green, blue), each 0 to 1, stored as a copy.
    properties: Its property record, kept as this very object.
    components: Its hidden inputs (ManagedShape objects); None for none.
    parent_id: Id of the shape holding it as a component, or None.

Raises:
    TypeError: for an argument of the wrong type.)";
constexpr const char* shape_id = "The id the shape is registered under.";
constexpr const char* shape =
    "The kernel shape, or None: always for a reference plane, and for a sketch with no element that has a shape.";
constexpr const char* shape_type = "The shape's ShapeType.";
constexpr const char* name = "The display name; setting it keeps the next generated names in step.";
constexpr const char* color = "(red, green, blue), each 0 to 1.";
constexpr const char* properties = "The shape's property record.";
constexpr const char* components =
    "The hidden inputs, in order (a live list); a modifier's base is the first.";
constexpr const char* parent_id = "Id of the shape holding this one as a component; None for a top-level shape.";

constexpr const char* component_list_cls = "The hidden inputs of a managed shape (a live list).";

constexpr const char* registry_cls = R"(The manager's shapes by id, hidden components included, in registration order (a live, read-only view).)";
constexpr const char* registry_get = "The shape registered under key, or default.";
constexpr const char* registry_keys = "Every registered id, in registration order.";
constexpr const char* registry_values = "Every registered shape, in registration order.";
constexpr const char* registry_items = "(id, shape) pairs, in registration order.";

constexpr const char* module = R"(The geometry manager: registry, creation, editing, undo and hooks of managed shapes.

DEFAULT_SHAPE_COLOR and DEFAULT_PLANE_COLOR are the colours new shapes and
planes get when none is given.)";

constexpr const char* cls = R"(The headless geometry manager.

Holds the registry of managed shapes (top-level shapes and their hidden
components), builds them through its geometry kernel service, and records
every change on its own undo stacks. A host subclass overrides the
``_notify_*`` hooks to follow each change and ``_operation`` to show progress;
they do nothing here. A modelling operation that yields no result does not
raise: it calls ``_notify_operation_failed(title, message)`` and returns None,
False or an empty list. Errors the kernel service lets through and errors of
hook overrides reach the caller. Each operation's docstring gives the order
of its hooks.

Wiring a view (a Lumbra) to the hooks, as examples/host.py does:
_notify_shape_created displays ms.shape with display_shape(ms.shape,
shape_id, ms.color), or, for a PLANE, display_plane(shape_id, (origin_x,
origin_y, origin_z), (normal_x, normal_y, normal_z)) with the values of its
PlaneProperties (a plane has no kernel shape); _notify_shape_updated displays
it again the same way (display_shape replaces the presentation recorded under
the id, display_plane moves the plane); _notify_shape_removed calls
erase_shape(shape_id) or, for a plane id, erase_plane(shape_id);
_notify_all_cleared calls erase_all(). One operation can fire many hooks (a
load, an undo, a split): pass update=False to each display and erase call
and redraw once when the operation returns, rather than render the whole
view at every hook.

A host that keys its own state by shape id: a loaded project gives its
solids new ids, while its reference planes and sketches keep the ids they
were saved with.)";
constexpr const char* init = R"(Creates a manager with an empty registry and empty undo and redo stacks.

Args:
    geo_service: The geometry kernel service; None gives a new Drulen. Any
        other object offering DrulenProtocol's operations is used as given.

No hook is called.)";

constexpr const char* can_undo = "Whether there is an edit to undo.";
constexpr const char* can_redo = "Whether there is an undone edit to redo.";
constexpr const char* undo = R"(Undoes the newest edit: restores the shapes it changed and calls their hooks.

The stored state calls _notify_shape_removed, _notify_shape_created or
_notify_shape_updated for each top-level shape it touches (removals
first), then _notify_undo_redo_changed(can_undo, can_redo) follows. Does
nothing when there is nothing to undo.

Hooks, in order, for the undo of a union: _notify_shape_removed (the
union), _notify_shape_created (each input), _notify_undo_redo_changed.)";
constexpr const char* redo = R"(Redoes the newest undone edit, with the same hooks as undo.

Redoing "Clear all" empties the registry and calls _notify_all_cleared().

Hooks, in order, for the redo of a union: _notify_shape_removed (each
input), _notify_shape_created (the union), _notify_undo_redo_changed.

Hooks, in order, for the redo of "Clear all": _notify_all_cleared,
_notify_undo_redo_changed.)";
constexpr const char* clear_undo_history = R"(Empties both undo stacks.

Hooks, in order: _notify_undo_redo_changed (with False, False).)";
constexpr const char* undo_depth = "Number of edits on the undo stack.";
constexpr const char* trim_undo_to = R"(Keeps the oldest depth edits of the undo stack and empties the redo stack.

A negative depth drops that many from the newest end.

Hooks, in order: _notify_undo_redo_changed.)";

constexpr const char* create_shape = R"(Builds a shape from its record and registers it as a new top-level shape.

Args:
    shape_type: What to build (a primitive, RECTANGLE, CIRCLE or POLYLINE).
    properties: Its record, kept as this very object; its rotation, then its
        translation, place the shape.
    color: (red, green, blue), each 0 to 1.
    name: Display name; None generates one such as "Box_3".

Returns:
    The new ManagedShape, or None when no geometry results (then
    _notify_operation_failed("Create <Type>", message) is called).

Records "Create <type>". Kernel errors are not caught.

Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.

Hooks, in order, when no geometry results: _notify_operation_failed.)";
constexpr const char* import_shape = R"(Reads a STEP or IGES file (chosen by suffix) and registers it as an IMPORTED shape.

Args:
    filename: The file to read.
    color: (red, green, blue), each 0 to 1.
    properties: An ImportedProperties placing the shape; None for a new one.
    name: Display name; None generates one.

Returns:
    The new ManagedShape, or None when the file yields no shape (then
    _notify_operation_failed is called).

Records "Import <name>".

Hooks, in order: _operation, _notify_undo_redo_changed,
_notify_shape_created.

Hooks, in order, when the file yields no shape: _operation,
_notify_operation_failed.)";
#define NIMBAL_PLANE_RESULT \
  "\n" \
  "\n" \
  "Returns:\n" \
  "    The new PLANE ManagedShape, or None when the plane cannot be made\n" \
  "    (nothing is reported then).\n" \
  "\n" \
  "Records one \"Create plane ...\" command.\n" \
  "\n" \
  "Hooks, in order: _notify_undo_redo_changed, _notify_shape_created."
constexpr const char* create_plane_from_standard = R"(Registers the reference plane XY, XZ or YZ through the origin.

Args:
    standard_plane: Which StandardPlane.
    color: (red, green, blue), each 0 to 1.
    name: Display name; None generates one.)" NIMBAL_PLANE_RESULT;
constexpr const char* create_arbitrary_plane = R"(Registers a reference plane through translation whose normal is Z turned by rotation_deg.

Args:
    translation: The plane's origin (x, y, z).
    rotation_deg: Rotations about X, Y and Z in degrees.
    color: (red, green, blue), each 0 to 1.
    name: Display name; None generates one.

Raises:
    TypeError: when rotation_deg has not three values, or a value is no number.
    ValueError: when translation has not three values.)" NIMBAL_PLANE_RESULT;
constexpr const char* create_plane_from_face_shape = R"(Registers the reference plane carrying a planar kernel face.

Args:
    face_topo: The face; None gives None without asking the kernel.
    color: (red, green, blue), each 0 to 1.
    name: Display name; None generates one.)" NIMBAL_PLANE_RESULT;
constexpr const char* create_plane_from_face = R"(Registers the reference plane carrying the planar FACE shape face_shape_id.

Args:
    face_shape_id: Id of a registered shape whose kernel shape is a planar face.
    color: (red, green, blue), each 0 to 1.
    name: Display name; None generates one.)" NIMBAL_PLANE_RESULT;

constexpr const char* update_shape = R"(Gives a registered shape a new record and rebuilds it and every shape built on it.

Args:
    shape_id: The shape to change.
    properties: Its new record, normally of the shape's own kind.

Returns:
    The new kernel shape; True for a reference plane, and for a sketch whose
    rebuilt shape is None; None when the id is unknown (nothing is reported
    then) or the update or a recomputation above it failed (then
    _notify_operation_failed is called and nothing is changed).

A hidden component's holders are recomputed up to the top-level one; an
element of a sketch is rebuilt on its sketch's plane. A moved plane takes its
sketches with it: their elements are rebuilt on it and what holds them is
recomputed. Everything is computed before anything changes: if one of them
gives no shape, the update fails. Records one command "Update <name>" (the
shape and everything recomputed).

Hooks, in order: _notify_shape_updated (each of: the shape unless it is a
hidden component, every recomputed holder innermost first, a moved plane's
sketches and their holders), _notify_undo_redo_changed.

Hooks, in order, when the update fails: _notify_operation_failed.)";

constexpr const char* update_shape_color = R"(Sets a registered shape's colour.

Returns True, or False for an unknown id. Records "Change color of <name>"
(for a hidden component too, so that undoing another command never brings
an older colour back).

Hooks, in order: _notify_undo_redo_changed, _notify_shape_updated.)";
constexpr const char* rename_shape = R"(Sets a shape's name, stripped of surrounding white space.

White space is what str.strip() strips (Unicode white space included).

Returns False for an unknown id or an empty stripped name, True otherwise
(also when the name was already that, with no command or hook). Records
"Rename <old> to <new>".

Hooks, in order: _notify_undo_redo_changed, _notify_shape_updated.)";
constexpr const char* remove_shape = R"(Removes a top-level shape with all its hidden components.

Returns False for an unknown id or a hidden component, True when removed.
Records "Remove <name>".

Hooks, in order: _notify_undo_redo_changed, _notify_shape_removed (the
shape only, not its components).)";
constexpr const char* decompose_shape = R"(Dissolves a top-level union, subtraction or modifier and makes its direct components top-level.

Returns the promoted ids in component order, or an empty list when the
shape is unknown, hidden, of another type or has no components. Records
"Decompose <name>".

Hooks, in order: _notify_undo_redo_changed, _notify_shape_removed (the
dissolved shape), _notify_shape_created (each promoted component).)";
constexpr const char* clear_all = R"(Removes every shape, recording one undoable "Clear all".

No removed hook is called for the single shapes.

Hooks, in order: _notify_undo_redo_changed, _notify_all_cleared.)";
constexpr const char* get_shape = "The registered shape with that id (hidden components included), or None.";
constexpr const char* get_all_shape_ids = "Ids of the top-level shapes, in registration order.";
constexpr const char* get_base_shape = R"(The shape a chain of modifiers starts from (the first component, followed down).

The shape itself when it is no modifier; None for an unknown id or a
modifier without components.)";
constexpr const char* get_modifier_chain = R"(The chain from the base up to the shape, innermost first; empty for an unknown id.)";

#define NIMBAL_BOOLEAN_RESULT \
  "\n" \
  "\n" \
  "Args:\n" \
  "    shape_ids: Ids of top-level shapes, each taken once, in the order of\n" \
  "        its first occurrence; unknown and hidden ids are passed over.\n" \
  "\n" \
  "Returns:\n" \
  "    The new shape's id; None, with nothing reported or changed, when fewer\n" \
  "    than two usable ids remain; None after\n" \
  "    _notify_operation_failed(title, message) when the kernel gives no\n" \
  "    result or one its checker finds invalid.\n" \
  "\n" \
  "The inputs stay registered as hidden components. Records one command. The\n" \
  "kernel step runs inside _operation.\n" \
  "\n" \
  "Hooks, in order: _operation, _notify_shape_removed (each input),\n" \
  "_notify_shape_created, _notify_undo_redo_changed.\n" \
  "\n" \
  "Hooks, in order, with fewer than two usable ids: none.\n" \
  "\n" \
  "Hooks, in order, when the kernel fails: _operation, _notify_operation_failed."
constexpr const char* union_shapes = "Union of two or more top-level shapes as a new UNION shape." NIMBAL_BOOLEAN_RESULT;
constexpr const char* subtract_shapes =
    "The first top-level shape with every further one cut from it, as a new SUBTRACTION shape." NIMBAL_BOOLEAN_RESULT;

#define NIMBAL_MODIFIER_RESULT \
  "\n" \
  "\n" \
  "Args:\n" \
  "    base_shape_id: Id of a top-level shape.\n" \
  "    properties: The modifier's record, kept as the new shape's own.\n" \
  "\n" \
  "Returns:\n" \
  "    The new shape's id, or None after _notify_operation_failed(title, message),\n" \
  "    also when the kernel's result is one its checker refuses (an array's\n" \
  "    copies of its base are not checked).\n" \
  "\n" \
  "The base stays registered as the new shape's hidden component. Records one\n" \
  "command.\n" \
  "\n" \
  "Hooks, in order: " NIMBAL_MODIFIER_SCOPE "_notify_shape_removed (the base),\n" \
  "_notify_shape_created, _notify_undo_redo_changed.\n" \
  "\n" \
  "Hooks, in order, when the kernel fails: " NIMBAL_MODIFIER_SCOPE "_notify_operation_failed.\n" \
  "\n" \
  "Raises:\n" \
  "    AttributeError: when properties is a record of another kind."
// Array, fillet and extrude run their kernel step inside _operation; the
// two rounds open no scope.
#define NIMBAL_MODIFIER_SCOPE "_operation, "
constexpr const char* create_shape_array = "Copies of a shape on a grid (ArrayProperties), as a new ARRAY shape." NIMBAL_MODIFIER_RESULT;
constexpr const char* fillet_shape = "3D fillet of a solid's edges (FilletProperties), as a new FILLET shape." NIMBAL_MODIFIER_RESULT;
constexpr const char* extrude_shape =
    "Prism of a planar shape or sketch along its normal (ExtrudeProperties), as a new EXTRUDE shape." NIMBAL_MODIFIER_RESULT;
#undef NIMBAL_MODIFIER_SCOPE
#define NIMBAL_MODIFIER_SCOPE ""
constexpr const char* corner_round_shape =
    "Rounded corners of a planar face (CornerRoundProperties), as a new CORNER_ROUND shape." NIMBAL_MODIFIER_RESULT;
constexpr const char* polyline_round_shape =
    "Rounded junctions of a polyline (PolylineRoundProperties), as a new POLYLINE_ROUND shape." NIMBAL_MODIFIER_RESULT;
#undef NIMBAL_MODIFIER_SCOPE
constexpr const char* split_to_faces = R"(Replaces a top-level volume shape by one new FACE shape per face.

Returns the new ids in face order, or an empty list when nothing was done
(after _notify_operation_failed when no face could be extracted). Records
"Split <name> to faces".

Hooks, in order: _operation, _notify_shape_removed (the source),
_notify_shape_created (each face), _notify_undo_redo_changed.)";

constexpr const char* create_sketch = R"(Registers an empty SKETCH shape on the registered reference plane plane_id.

Returns the new ManagedShape (its shape is None until the first commit), or
None when plane_id names no registered plane (nothing is reported then).
Records "Create sketch".

Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.)";
constexpr const char* commit_sketch = R"(Makes a sketch hold copies of a sketch manager's top-level elements.

Args:
    sketch_id: Id of a registered SKETCH shape.
    tessik: The sketch manager (a CoreTessik, or any object with its
        get_all_shape_ids and get_shape).

Returns:
    True, or False when the sketch is unknown (nothing is reported) or the
    commit failed (then _notify_operation_failed is called and nothing is
    changed): the sketch cannot be placed, or a shape built on it cannot be
    recomputed from its new elements (an empty sketch under a union, an
    array or an extrude).

The sketch's shape becomes the compound of the copies and the shapes built on
the sketch are recomputed, up to the top-level one. Records "Commit sketch", which takes the place
of a directly preceding "Create sketch" of the same sketch (taking that
command off reports the undo state once more). A top-level sketch is
reported removed and created again under the same id, now last among the
top-level shapes; a sketch that is an extrude's profile is not reported,
the extrude is.

Hooks, in order, when the commit takes the place of "Create sketch":
_notify_shape_removed, _notify_undo_redo_changed,
_notify_undo_redo_changed, _notify_shape_created.

Hooks, in order, for a top-level sketch otherwise: _notify_shape_removed,
_notify_undo_redo_changed, _notify_shape_created.

Hooks, in order, for the profile of an extrude: _notify_undo_redo_changed,
_notify_shape_updated (each shape built on the sketch, innermost first).)";
constexpr const char* restore_plane = R"(Registers a saved plane under its saved id, without an undo command.

Returns the new ManagedShape, or None when the plane cannot be made.

Hooks, in order: _notify_shape_created.)";
constexpr const char* restore_sketch = R"(Registers a saved sketch and copies of tessik's elements under the saved id, without an undo command.

Returns the sketch's id.

Hooks, in order: _notify_shape_created.)";

constexpr const char* export_all = R"(Writes every top-level shape with geometry to one file; True on success.

The kernel service's export runs inside _operation; False when it fails
(no failure hook is called).

Hooks, in order: _operation.)";
constexpr const char* export_one = R"(Writes one registered shape to a file; True on success.

False for an unknown id, a shape without geometry or a kernel failure. Runs
inside _operation.

Hooks, in order: _operation.)";

constexpr const char* create_properties_for_type = R"(A new record of the kind shape_type uses, with the given field values.

Raises:
    TypeError: for an unknown field or a value of the wrong type.
    KeyError: for a shape type without a record class.)";
constexpr const char* properties_from_dict = R"(The record of the kind shape_type uses, from its dictionary form (see from_dict).)";

constexpr const char* hook_created = R"(Hook: shape ms was registered under shape_id as a top-level shape. Does nothing here.

A host overrides it (same parameters) to show the shape; it is called
synchronously inside the operation, and what it raises reaches the caller.)";
constexpr const char* hook_updated = "Hook: the registered shape ms changed (geometry, colour, name or record). Does nothing here.";
constexpr const char* hook_removed = "Hook: the top-level shape shape_id left the registry. Does nothing here.";
constexpr const char* hook_cleared = "Hook: the registry was emptied at once (clear_all, redo of it). Does nothing here.";
constexpr const char* hook_undo_redo =
    "Hook: what undo and redo can do now, called whenever either stack changes. Does nothing here.";
constexpr const char* hook_failed = R"(Hook: a modelling operation produced no result. Does nothing here.

Args:
    operation: A short title, such as "Boolean Union".
    message: A sentence for the user.)";
constexpr const char* hook_operation = R"(The progress scope of one long step: a context manager around it.

Here a scope that does nothing. A host overrides it (with
contextlib.contextmanager, say) to show message while the step runs; an
exception of the step passes through the scope, and one the scope swallows
leaves the operation without a result, so it takes its failure path.)";
constexpr const char* on_redo_clears_all =
    "What redoing \"Clear all\" does: empties the registry and calls _notify_all_cleared().";

#undef NIMBAL_PLANE_RESULT
#undef NIMBAL_BOOLEAN_RESULT
#undef NIMBAL_MODIFIER_RESULT

}  // namespace nimbal::py::corvath::doc
