"""Every component that a registered shape lists is the very object
registered under that id, after every step of edit sequences with undo and
redo, in both managers."""
import math

import pytest

from manager_fixtures import CorvathHost, TessikHost
from test_corvath_sketch import FakeSketchManager
from nimbal import kernel as k
from nimbal.enums import ShapeType, StandardPlane
from nimbal.models import quenby as q
from nimbal.services import hathel


def assert_links(m):
    for sid, ms in m._shapes.items():
        for c in ms.components:
            assert m.get_shape(c.shape_id) is c, f"{sid} lists a {c.shape_id} that is not the registered one"
            assert c.parent_id == sid


def walk(m, steps):
    """Runs each step (a function of the manager and the names made so
    far), checks the links after each, then after every undo down to the
    start and every redo back."""
    names = {}
    for step in steps:
        step(m, names)
        assert_links(m)
    while m.can_undo:
        m.undo()
        assert_links(m)
    while m.can_redo:
        m.redo()
        assert_links(m)
    return names


def keep(name, make):
    def step(m, names):
        names[name] = make(m, names)
    return step


def do(action):
    return lambda m, names: action(m, names)


UNDO = do(lambda m, n: m.undo())
REDO = do(lambda m, n: m.redo())


# ---- the sketch manager ----

def t_rect(name, u=0.0):
    return keep(name, lambda m, n: m.create_rectangle(u, 0, 20.0, 10.0).shape_id)


def t_union(name, *parts):
    return keep(name, lambda m, n: m.union_shapes([n[p] for p in parts]))


def t_refused_removal(name):
    def step(m, n):
        ids, depth = list(m._shapes), len(m._undo_redo._undo_stack)
        assert m.remove_shape(n[name]) is False
        assert list(m._shapes) == ids and len(m._undo_redo._undo_stack) == depth
    return step


TESSIK_SEQUENCES = {
    "remove a hidden rectangle, undo": [
        t_rect("a"), keep("b", lambda m, n: m.create_circle(5, 0, 4.0).shape_id), t_union("u", "a", "b"),
        t_refused_removal("a"), UNDO, REDO, UNDO, UNDO, REDO, REDO],
    "nested unions, clear, decompose": [
        t_rect("a"), t_rect("b", 10), t_rect("c", 30), t_union("u1", "a", "b"), t_union("u2", "u1", "c"),
        t_refused_removal("u1"), do(lambda m, n: m.clear_all()), UNDO, REDO, UNDO,
        do(lambda m, n: m.decompose_shape(n["u2"])), do(lambda m, n: m.decompose_shape(n["u1"])), UNDO, UNDO,
        REDO],
    "remove a union, undo": [
        t_rect("a"), t_rect("b", 10), t_union("u", "a", "b"), do(lambda m, n: m.remove_shape(n["u"])), UNDO, REDO,
        UNDO],
    "update a hidden input, a repeated input": [
        t_rect("a"), t_rect("b", 10), t_union("u", "a", "b"),
        do(lambda m, n: m.update_shape(n["a"], q.RectangleProperties(width=5.0, height=5.0))), UNDO, REDO,
        t_rect("c", 50), keep("d", lambda m, n: m.union_shapes([n["c"], n["c"]])), UNDO, REDO],
}


@pytest.mark.parametrize("case", list(TESSIK_SEQUENCES))
def test_sketch_manager_links(case):
    walk(TessikHost(), TESSIK_SEQUENCES[case])


def test_the_refused_removal_keeps_the_union_whole():
    m = TessikHost()
    names = {}
    for step in TESSIK_SEQUENCES["remove a hidden rectangle, undo"][:4]:
        step(m, names)
    union = m.get_shape(names["u"])
    assert [c.shape_id for c in union.components] == [names["a"], names["b"]]
    # the rectangle's corner at the origin, half of the circle outside it
    assert k.area(union.shape) == pytest.approx(200 + 8 * math.pi, rel=1e-6)
    assert m.get_shape(names["a"]) is union.components[0]


# ---- the geometry manager ----

def c_shape(name, shape_type, record):
    return keep(name, lambda m, n: m.create_shape(shape_type, record()).shape_id)


def c_box(name, x=0.0):
    return c_shape(name, ShapeType.BOX, lambda: q.BoxProperties(width=10, height=10, depth=10,
                                                               translation=q.Translation(x=x)))


def c_refused_removal(name):
    def step(m, n):
        ids, depth = list(m._shapes), m.undo_depth()
        assert m.remove_shape(n[name]) is False
        assert list(m._shapes) == ids and m.undo_depth() == depth
    return step


def sketch_of(*widths):
    tessik = FakeSketchManager()
    for i, w in enumerate(widths):
        tessik.rect(w, w, x=30.0 * i)
    return tessik


CORVATH_SEQUENCES = {
    "remove a hidden box, undo": [
        c_box("a"), c_shape("b", ShapeType.SPHERE, lambda: q.SphereProperties(radius=6)),
        keep("u", lambda m, n: m.union_shapes([n["a"], n["b"]])), c_refused_removal("a"), UNDO, REDO],
    "fillet in a union, decompose, clear": [
        c_box("a"), keep("f", lambda m, n: m.fillet_shape(n["a"], q.FilletProperties(fillet_radius=1.0))),
        c_box("b", 5), keep("u", lambda m, n: m.union_shapes([n["f"], n["b"]])),
        do(lambda m, n: m.update_shape(n["a"], q.BoxProperties(width=12, height=12, depth=12))),
        do(lambda m, n: m.decompose_shape(n["u"])), do(lambda m, n: m.decompose_shape(n["f"])), UNDO, UNDO,
        do(lambda m, n: m.clear_all()), UNDO, REDO, UNDO, do(lambda m, n: m.remove_shape(n["u"])), UNDO],
    "sketch commits under an extrude": [
        keep("p", lambda m, n: m.create_plane_from_standard(StandardPlane.XY).shape_id),
        keep("s", lambda m, n: m.create_sketch(n["p"]).shape_id),
        do(lambda m, n: m.commit_sketch(n["s"], sketch_of(10))),
        keep("e", lambda m, n: m.extrude_shape(n["s"], q.ExtrudeProperties(depth=4.0))),
        do(lambda m, n: m.commit_sketch(n["s"], sketch_of(10, 5))), UNDO, REDO,
        do(lambda m, n: m.decompose_shape(n["e"])), UNDO, do(lambda m, n: m.remove_shape(n["e"])), UNDO],
    "split a union to faces": [
        c_box("a"), c_box("b", 20), keep("u", lambda m, n: m.union_shapes([n["a"], n["b"]])),
        do(lambda m, n: m.split_to_faces(n["u"])), UNDO, REDO, UNDO],
}


@pytest.mark.parametrize("case", list(CORVATH_SEQUENCES))
def test_geometry_manager_links(case):
    walk(CorvathHost(), CORVATH_SEQUENCES[case])


def tessik_union(m):
    a, b = (m.create_rectangle(u, 0, 20.0, 10.0).shape_id for u in (0.0, 10.0))
    return a, m.union_shapes([a, b])


def corvath_union(m):
    a, b = (m.create_shape(ShapeType.BOX, q.BoxProperties(translation=q.Translation(x=x))).shape_id
            for x in (0.0, 5.0))
    return a, m.union_shapes([a, b])


@pytest.mark.parametrize("make, build", [(TessikHost, tessik_union), (CorvathHost, corvath_union)],
                         ids=["sketch manager", "geometry manager"])
def test_a_state_that_brings_a_component_back_relinks_its_holder(make, build):
    m = make()
    a, u = build(m)
    snap = hathel._ShapeSnapshot.from_managed(m.get_shape(a))
    m._apply_state({a: None})
    m._apply_state({a: snap})
    assert m.get_shape(u).components[0] is m.get_shape(a) is not None
    assert_links(m)
    m.undo()  # the union's undo finds the registered input
    assert m.get_shape(u) is None and m.get_shape(a).parent_id is None
