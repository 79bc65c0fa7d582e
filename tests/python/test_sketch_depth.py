"""Union chains far deeper than any call stack, through both managers. Each
case runs in a child process: a walk that recursed would end the process."""
import os
import resource
import subprocess
import sys
import textwrap

import pytest

# The child runs with a small stack, so a chain of a few thousand levels
# is already far deeper than a recursive walk could go; a deeper chain can be
# asked for with NIMBAL_SKETCH_DEPTH (50,000 levels crash a recursive walk on
# a default 8 MiB stack).
DEPTH = int(os.environ.get("NIMBAL_SKETCH_DEPTH", "10000"))
CHILD_STACK = 1 << 20

PRELUDE = textwrap.dedent("""
    from types import SimpleNamespace
    from nimbal import kernel as k
    from nimbal.enums import ShapeType, StandardPlane
    from nimbal.managers.corvath import CoreCorvath, ManagedShape
    from nimbal.managers.tessik import CoreTessik
    from nimbal.models import quenby as q
    from nimbal.services.fandor import Fandor

    DEPTH = {depth}
    RECT = Fandor().create_rectangle_on_plane(q.PlaneProperties(), 0, 0, 1, 1, True)

    class Instant:
        # The plane service's operations, answered at once: a boolean gives
        # back its first input.
        def create_rectangle_on_plane(self, *args, **kwargs): return RECT
        create_circle_on_plane = create_line_on_plane = create_arc_on_plane = create_rectangle_on_plane
        create_polyline_on_plane = create_rectangle_on_plane
        def fuse_shapes(self, a, b): return a
        cut_shapes = fuse_shapes
        def unify_same_domain(self, shape): return shape

    def chain():
        # A union of a union of ... DEPTH deep, each with one rectangle more.
        t = CoreTessik("p", None, Instant())
        top = t.create_rectangle(0, 0).shape_id
        for _ in range(DEPTH):
            top = t.union_shapes([top, t.create_rectangle(0, 0).shape_id])
        return t, top

    def depth_of(ms):
        n = 0
        while ms.components:
            ms, n = ms.components[0], n + 1
        return n
""")

CASES = {
    "commit, recommit, undo and redo": """
        t, top = chain()
        class Host(CoreCorvath):
            failed = []
            def _notify_operation_failed(self, operation, message):
                self.failed.append(operation)
        m = Host()
        plane = m.create_plane_from_standard(StandardPlane.XY).shape_id
        s = m.create_sketch(plane).shape_id
        # Deeper than a model may nest: refused, walked without recursion.
        assert not m.commit_sketch(s, t) and m.failed == ["Commit Sketch"] and len(m._shapes) == 2
        # A restored one is walked the same way by a commit, undo and redo.
        assert m.restore_sketch("deep", q.SketchProperties(plane_id=plane), t) == "deep"
        sketch = m.get_shape("deep")
        assert len(m._shapes) == 2 * DEPTH + 4 and depth_of(sketch) == DEPTH + 1
        assert all(m.get_shape(c.shape_id) is c for c in sketch.components)
        small = CoreTessik("p", None, Instant())
        small.create_rectangle(5, 5)
        small.create_rectangle(6, 6)
        assert m.commit_sketch("deep", small) and len(m.get_shape("deep").components) == 2
        m.undo()
        assert depth_of(m.get_shape("deep")) == DEPTH + 1
        m.redo()
        assert len(m.get_shape("deep").components) == 2
        m.undo()
        assert m.remove_shape("deep") and "deep" not in m._shapes
        m.undo()
        print("ok", k.area(m.get_shape("deep").shape))
    """,
    "restore and a copy on its own": """
        t, top = chain()
        m = CoreCorvath()
        assert m.restore_sketch("sketch_saved01", q.SketchProperties(translation=q.Translation(z=1)), t) == "sketch_saved01"
        assert depth_of(m.get_shape("sketch_saved01")) == DEPTH + 1 and len(m._shapes) == 2 * DEPTH + 2
        copy = m._build_sketch_comp(t.get_shape(top), "holder")
        assert depth_of(copy) == DEPTH and len(m._shapes) == 4 * DEPTH + 3
        print("ok")
    """,
    "records that are not managed shapes": """
        rec = SimpleNamespace(shape=RECT, shape_type=ShapeType.RECTANGLE, name="r", color=(0, 0, 0),
                              properties=q.RectangleProperties(), components=[], parent_id=None)
        for i in range(DEPTH):
            leaf = SimpleNamespace(**{**vars(rec), "components": []})
            rec = SimpleNamespace(shape=RECT, shape_type=ShapeType.UNION, name=f"u{i}", color=(0, 0, 0),
                                  properties=q.BooleanProperties(), components=[rec, leaf], parent_id=None)

        class Source:
            def get_all_shape_ids(self): return ["top"]
            def get_shape(self, shape_id): return rec

        m = CoreCorvath()
        assert m.restore_sketch("s", q.SketchProperties(), Source()) == "s"
        assert depth_of(m.get_shape("s")) == DEPTH + 1 and len(m._shapes) == 2 * DEPTH + 2
        print("ok")
    """,
    "the sketch manager's own edits": """
        t, top = chain()
        n = len(t._shapes)
        t.clear_all()
        t.undo()
        assert len(t._shapes) == n and depth_of(t.get_shape(top)) == DEPTH
        assert len(t.decompose_shape(top)) == 2
        t.undo()
        assert t.remove_shape(top)
        t.undo()
        t.redo()
        print("ok")
    """,
}


def small_stack():
    soft, hard = resource.getrlimit(resource.RLIMIT_STACK)
    limit = CHILD_STACK if hard == resource.RLIM_INFINITY else min(CHILD_STACK, hard)
    resource.setrlimit(resource.RLIMIT_STACK, (limit, hard))


@pytest.mark.parametrize("case", list(CASES))
def test_a_deep_union_chain(case):
    script = PRELUDE.format(depth=DEPTH) + textwrap.dedent(CASES[case])
    run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=300,
                         preexec_fn=small_stack)
    assert run.returncode == 0, run.stderr[-2000:]
    assert run.stdout.startswith("ok")
