import copy

import pytest

import _nimbal_testing as t
from nimbal.enums import ShapeType
from nimbal.models import quenby as q
from nimbal.services import hathel as h


class FakeManaged:
    """Any object with the managed-shape fields serves."""

    def __init__(self, shape_id="box_00000001", shape=None, components=(), parent_id=None):
        self.shape_id = shape_id
        self.shape = shape
        self.shape_type = ShapeType.BOX
        self.name = "Box_1"
        self.color = (0.1, 0.2, 0.3)
        self.properties = q.BoxProperties(width=10.0)
        self.components = list(components)
        self.parent_id = parent_id


def test_snapshot_takes_a_deep_copy_of_the_record_and_shares_the_shape():
    box = t.make_box(1, 2, 3)
    child = FakeManaged("box_child")
    ms = FakeManaged(shape=box, components=[child], parent_id="union_1")
    snap = h._ShapeSnapshot.from_managed(ms)
    assert (snap.shape_id, snap.shape_type, snap.name, snap.color, snap.parent_id) == (
        "box_00000001", ShapeType.BOX, "Box_1", (0.1, 0.2, 0.3), "union_1")
    assert snap.shape == box and snap.properties == ms.properties
    ms.properties.width = 99.0
    ms.properties.translation.x = 5.0
    ms.components.append(FakeManaged("box_late"))
    assert snap.properties.width == 10.0 and snap.properties.translation.x == 0.0
    assert snap.component_ids == ["box_child"]


def test_snapshot_of_a_shape_without_geometry_or_components():
    snap = h._ShapeSnapshot.from_managed(FakeManaged())
    assert snap.shape is None and snap.component_ids == [] and snap.parent_id is None


@pytest.mark.parametrize("field", ["shape_id", "properties", "components", "parent_id"])
def test_snapshot_of_an_incomplete_object_fails(field):
    ms = FakeManaged()
    delattr(ms, field)
    with pytest.raises(AttributeError):
        h._ShapeSnapshot.from_managed(ms)


def test_snapshot_construction_requires_every_field():
    with pytest.raises(TypeError):
        h._ShapeSnapshot(shape_id="a")
    s = h._ShapeSnapshot("a", None, ShapeType.PLANE, "Plane_1", (0, 0, 1), q.PlaneProperties(), [], None)
    assert s.shape is None and s.color == (0.0, 0.0, 1.0)
    with pytest.raises(TypeError):
        h._ShapeSnapshot("a", None, "plane", "Plane_1", (0, 0, 1), q.PlaneProperties(), [], None)


def test_commands_have_their_own_states():
    a, b = h._UndoCommand("first"), h._UndoCommand(description="second")
    a.before["x"] = None
    assert dict(a.before) == {"x": None} and len(b.before) == 0 and len(a.after) == 0
    assert a.redo_clears_all is False
    snap = h._ShapeSnapshot.from_managed(FakeManaged())
    c = h._UndoCommand(description="Create box", before={"i": None}, after={"i": snap},
                       redo_clears_all=True)
    assert c.after["i"] is snap and c.before["i"] is None and list(c.after) == ["i"]
    with pytest.raises(TypeError):
        h._UndoCommand("bad", before={"i": 3})


def test_a_state_built_from_a_state_is_its_own_and_arguments_are_refused_in_order():
    snap = h._ShapeSnapshot.from_managed(FakeManaged())
    shared = h.State({"a": snap})
    own = h.State(shared)
    own["b"] = None
    assert list(shared) == ["a"] and list(own) == ["a", "b"] and own["a"] is snap
    c = h._UndoCommand("x", before=shared)
    assert c.before is shared and len(c.after) == 0
    with pytest.raises(TypeError, match="^before must be"):
        h._UndoCommand("bad", before=1, after=2)
    with pytest.raises(TypeError, match="^after must be"):
        h._UndoCommand("bad", before=None, after=2)


def test_history_text_forms_read_like_the_python_values():
    snap = h._ShapeSnapshot("a", None, ShapeType.PLANE, "it's", (0, 0, 1), q.PlaneProperties(), ["b"], None)
    assert repr(snap) == ("_ShapeSnapshot(shape_id='a', shape=None, shape_type=" + repr(ShapeType.PLANE) +
                          ", name=\"it's\", color=(0.0, 0.0, 1.0), properties=" + repr(snap.properties) +
                          ", component_ids=['b'], parent_id=None)")
    state = h.State({"a": snap, "z": None})
    assert repr(state) == repr(dict(state)) and repr(h.State()) == "{}"
    c = h._UndoCommand('say "hi"', after=state, redo_clears_all=True)
    assert repr(c) == ("_UndoCommand(description='say \"hi\"', before={}, after=" + repr(dict(state)) +
                       ", redo_clears_all=True)")


class Recorder:
    def __init__(self):
        self.calls = []

    def apply_state(self, state):
        self.calls.append(("apply", dict(state)))

    def on_change(self, can_undo, can_redo):
        self.calls.append(("change", can_undo, can_redo))

    def clears_all(self):
        self.calls.append(("clear_all",))


def cmd(n, clears=False):
    return h._UndoCommand(f"c{n}", before={f"b{n}": None}, after={f"a{n}": None}, redo_clears_all=clears)


@pytest.fixture
def rec():
    return Recorder()


@pytest.fixture
def stack(rec):
    return h.Hathel(apply_state=rec.apply_state, on_change=rec.on_change, on_redo_clears_all=rec.clears_all)


def descriptions(lst):
    return [c.description for c in lst]


# (actions, expected callbacks, undo stack, redo stack)
SEQUENCES = [
    ("push", [("change", True, False)], ["c0"], []),
    ("undo", [], [], []),
    ("redo", [], [], []),
    ("push undo", [("change", True, False), ("apply", {"b0": None}), ("change", False, True)], [], ["c0"]),
    ("push undo redo", [("change", True, False), ("apply", {"b0": None}), ("change", False, True),
                        ("apply", {"a0": None}), ("change", True, False)], ["c0"], []),
    ("push push undo undo push", [("change", True, False), ("change", True, False),
                                  ("apply", {"b1": None}), ("change", True, True),
                                  ("apply", {"b0": None}), ("change", False, True),
                                  ("change", True, False)], ["c4"], []),
    ("clear", [("change", False, False)], [], []),
    ("push push clear", [("change", True, False)] * 2 + [("change", False, False)], [], []),
    ("push push pop", [("change", True, False)] * 2 + [("change", True, False)], ["c0"], []),
    ("pop", [], [], []),
    ("push push undo trim1", [("change", True, False)] * 2 + [("apply", {"b1": None}),
                                                              ("change", True, True), ("change", True, False)],
     ["c0"], []),
    ("push push trim-1", [("change", True, False)] * 2 + [("change", True, False)], ["c0"], []),
    ("push push trim9", [("change", True, False)] * 3, ["c0", "c1"], []),
    ("push trim0", [("change", True, False), ("change", False, False)], [], []),
]


@pytest.mark.parametrize("actions, calls, undo, redo", SEQUENCES, ids=[s[0] for s in SEQUENCES])
def test_sequencing(stack, rec, actions, calls, undo, redo):
    for n, action in enumerate(actions.split()):
        if action == "push":
            stack.push(cmd(n))
        elif action == "pop":
            stack.pop_last()
        elif action.startswith("trim"):
            stack.trim_to(int(action[4:]))
        else:
            getattr(stack, action)()
    assert rec.calls == calls
    assert descriptions(stack._undo_stack) == undo and descriptions(stack._redo_stack) == redo
    assert (stack.can_undo, stack.can_redo) == (bool(undo), bool(redo))


def test_cap_evicts_the_oldest_one_per_push(stack):
    assert h.MAX_UNDO_STEPS == 50 and stack._max_steps == 50
    for n in range(50):
        stack.push(cmd(n))
    assert descriptions(stack._undo_stack) == [f"c{n}" for n in range(50)]
    stack.push(cmd(50))
    assert descriptions(stack._undo_stack) == [f"c{n}" for n in range(1, 51)]


@pytest.mark.parametrize("cap", [0, -3])
def test_cap_of_zero_or_less_keeps_nothing(rec, cap):
    s = h.Hathel(rec.apply_state, rec.on_change, max_steps=cap)
    s.push(cmd(0))
    assert rec.calls == [("change", False, False)] and len(s._undo_stack) == 0


def test_undo_then_redo_moves_the_same_object(stack):
    c = cmd(0)
    stack.push(c)
    live = stack._undo_stack
    stack.undo()
    assert stack._redo_stack[0] is c and len(live) == 0
    stack.redo()
    assert live[-1] is c and stack.peek_last() is c


def test_redo_of_a_clear_all_command(rec):
    with_cb = h.Hathel(rec.apply_state, rec.on_change, rec.clears_all)
    with_cb.push(cmd(0, clears=True))
    with_cb.undo()
    rec.calls.clear()
    with_cb.redo()
    assert rec.calls == [("clear_all",), ("change", True, False)]
    without = h.Hathel(rec.apply_state, rec.on_change)
    without.push(cmd(1, clears=True))
    without.undo()
    rec.calls.clear()
    without.redo()
    assert rec.calls == [("apply", {"a1": None}), ("change", True, False)]


def test_peek_and_depth_change_nothing(stack, rec):
    assert stack.peek_last() is None and stack.depth() == 0
    stack.push(cmd(0))
    stack.undo()
    rec.calls.clear()
    stack.push(cmd(1))
    stack.trim_to(stack.depth())
    assert stack.depth() == 1 and not stack.can_redo
    assert rec.calls == [("change", True, False), ("change", True, False)]


class Boom(Exception):
    pass


def test_failing_callbacks_leave_the_stacks_as_they_were(rec):
    def apply_state(state=None):
        raise Boom

    s = h.Hathel(apply_state, rec.on_change)
    s.push(cmd(0))
    with pytest.raises(Boom):
        s.undo()
    assert descriptions(s._undo_stack) == ["c0"] and not s.can_redo
    s2 = h.Hathel(rec.apply_state, rec.on_change, on_redo_clears_all=apply_state)
    s2.push(cmd(1, clears=True))
    s2.undo()
    with pytest.raises(Boom):
        s2.redo()
    assert descriptions(s2._redo_stack) == ["c1"] and not s2.can_undo


def test_a_failing_change_callback_keeps_the_change():
    def on_change(u, r):
        raise Boom

    s = h.Hathel(lambda st: None, on_change)
    with pytest.raises(Boom):
        s.push(cmd(0))
    assert descriptions(s._undo_stack) == ["c0"]
    with pytest.raises(Boom):
        s.pop_last()
    assert len(s._undo_stack) == 0


def test_a_callback_that_touches_its_own_stack_cannot_corrupt_it():
    holder = {}

    def apply_state(state):
        holder["s"].push(cmd(9))  # not allowed, but must not break the stacks

    s = h.Hathel(apply_state, lambda u, r: None)
    holder["s"] = s
    s.push(cmd(0))
    s.undo()
    assert descriptions(s._redo_stack) == ["c0"] and descriptions(s._undo_stack) == ["c9"]


def test_states_are_live_mappings():
    c = h._UndoCommand("x")
    state = c.before
    snap = h._ShapeSnapshot.from_managed(FakeManaged())
    state["k"] = snap
    state["j"] = None
    assert c.before["k"] is snap and list(c.before) == ["k", "j"] and "j" in state
    assert state == {"k": snap, "j": None} and state.get("zz", 1) == 1
    del state["k"]
    assert list(state.keys()) == ["j"]
    with pytest.raises(KeyError):
        state["k"]
    with pytest.raises(KeyError):
        del state["k"]
    with pytest.raises(TypeError):
        state["m"] = "snapshot"
    assert copy.copy(dict(state)) == {"j": None}
