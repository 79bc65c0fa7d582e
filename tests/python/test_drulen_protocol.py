import pytest

import _nimbal_testing as t
from nimbal import kernel as k
from nimbal.services import drulen
from nimbal.services.drulen import Drulen

D = Drulen
BOX = D.create_box(1, 1, 1)


class Recorder:
    """Offers the 24 operations and nothing else; records every call."""

    def __init__(self, results):
        self.calls = []
        self.results = results

    def __getattr__(self, name):
        if name not in PROTOCOL:
            raise AttributeError(name)

        def op(*args, **kwargs):
            self.calls.append((name, args, kwargs))
            return self.results.get(name)
        return op

    def __bool__(self):
        return False  # falsy, and still a service


PROTOCOL = [n for n in drulen.DrulenProtocol.__dict__ if not n.startswith("_")]

# operation, arguments as the manager gives them, what the fake returns,
# what the C++ side gets back
CALLS = [
    ("create_box", (1.0, 2.0, 3.0), BOX, BOX),
    ("create_box", (1.0, 2.0, 3.0, (1.0, 1.0, 1.0)), BOX, BOX),
    ("create_sphere", (2.0,), BOX, BOX),
    ("create_cylinder", (1.0, 2.0), BOX, BOX),
    ("create_cone", (2.0, 1.0, 3.0), BOX, BOX),
    ("create_torus", (5.0, 1.0), BOX, BOX),
    ("create_rectangle", (4.0, 2.0), BOX, BOX),
    ("create_circle", (1.0,), BOX, BOX),
    ("translate_shape", (BOX, 1.0, 2.0, 3.0), BOX, BOX),
    ("rotate_shape", (BOX, (0.0, 0.0, 0.0), (0.0, 0.0, 1.0), 90.0), BOX, BOX),
    ("fuse_shapes", (BOX, BOX), None, None),
    ("cut_shapes", (BOX, BOX), BOX, BOX),
    ("unify_same_domain", (BOX,), BOX, BOX),
    ("import_file", ("a.step",), None, None),
    ("export_shapes_to_step", ([BOX, BOX], "a.step"), 1, True),
    ("export_shapes_to_iges", ([BOX], "a.igs"), [], False),
    ("explode_to_faces", (BOX,), [BOX, BOX], [BOX, BOX]),
    ("create_array_compound", (BOX, (2, 1, 1), (1.0, 0.0, 0.0)), BOX, BOX),
    ("apply_fillet", (BOX, 1.0, [0, 3]), None, None),
    ("apply_corner_round", (BOX, 1.0, []), BOX, BOX),
    ("apply_polyline_round", (BOX, 1.0, [1]), BOX, BOX),
    ("plane_params_for_standard", ("xy",), ([0, 0, 0], (0, 0, 1)), ((0.0, 0.0, 0.0), (0.0, 0.0, 1.0))),
    ("plane_params_from_face", (BOX,), ((1, 2, 3), (0, 1, 0)), ((1.0, 2.0, 3.0), (0.0, 1.0, 0.0))),
    ("create_polyline", ([(0.0, 0.0, 0.0), (1.0, 0.0, 0.0)], True), None, None),
    ("extrude_shape", (BOX, 5.0), BOX, BOX),
]


def test_calls_cover_the_protocol():
    assert {c[0] for c in CALLS} == set(PROTOCOL) and len(PROTOCOL) == 24


@pytest.mark.parametrize("op, args, returned, expected", CALLS)
def test_adapter_forwards_positionally(op, args, returned, expected):
    fake = Recorder({op: returned})
    assert t.drulen_protocol_kind(fake) == "adapter"
    got = t.drive_drulen(fake, op, args)
    assert got == expected and type(got) is type(expected)
    [(name, passed, kwargs)] = fake.calls
    assert name == op and kwargs == {}
    assert passed == args and [type(a) for a in passed] == [type(a) for a in args]


@pytest.mark.parametrize("op, args, bad", [
    ("create_box", (1.0, 1.0, 1.0), 42),
    ("explode_to_faces", (BOX,), BOX),
    ("explode_to_faces", (BOX,), [BOX, None]),
    ("plane_params_from_face", (BOX,), (1, 2, 3)),
    ("plane_params_from_face", (BOX,), ((0, 0, 0), (0, 0, 1), (1, 0, 0))),
    ("plane_params_for_standard", ("xy",), [(0, 0, 1)]),
])
def test_adapter_checks_results(op, args, bad):
    with pytest.raises(TypeError):
        t.drive_drulen(Recorder({op: bad}), op, args)


def test_adapter_lets_the_service_errors_through():
    class Failing:
        def fuse_shapes(self, a, b):
            raise KeyError("boom")
    with pytest.raises(KeyError):
        t.drive_drulen(Failing(), "fuse_shapes", (BOX, BOX))
    with pytest.raises(AttributeError):
        t.drive_drulen(Failing(), "cut_shapes", (BOX, BOX))


def test_drulen_and_subclasses_are_used_directly():
    assert t.drulen_protocol_kind(Drulen()) == "drulen"
    box = t.drive_drulen(Drulen(), "create_box", (2.0, 2.0, 2.0))
    assert k.bounding_box(box) == pytest.approx((-1, -1, -1, 1, 1, 1))
    assert t.drive_drulen(Drulen(), "plane_params_for_standard", ("xz",)) == ((0.0, 0.0, 0.0), (0.0, 1.0, 0.0))
    seen = []

    class Mine(Drulen):
        @staticmethod
        def fuse_shapes(shape1, shape2):
            seen.append("fuse")
            return Drulen.cut_shapes(shape1, shape2)

        def translate_shape(self, shape, dx, dy, dz):
            seen.append("translate")
            return Drulen.translate_shape(shape, dx, dy, dz + 7)

        def create_box(self, width, height, depth, position=(0, 0, 0)):
            seen.append(("box", position))
            return super().create_box(width, height, depth, position)

    mine = Mine()
    assert t.drulen_protocol_kind(mine) == "drulen"
    a, b = D.create_box(2, 2, 2), D.create_box(1, 1, 1, (1, 1, 1))
    assert k.volume(t.drive_drulen(mine, "fuse_shapes", (a, b))) == pytest.approx(7.875)
    c = t.drive_drulen(mine, "create_array_compound", (BOX, (1, 1, 1), (0.0, 0.0, 0.0)))
    assert k.bounding_box(c)[2] == pytest.approx(6.5)
    t.drive_drulen(mine, "create_box", (1.0, 1.0, 1.0))
    assert seen == ["fuse", "translate", ("box", (0, 0, 0))]
    # Not overridden: the C++ operation.
    assert k.volume(t.drive_drulen(mine, "cut_shapes", (a, b))) == pytest.approx(7.875)


def test_super_of_create_array_compound_does_not_recurse():
    class Counting(Drulen):
        def create_array_compound(self, base_shape, count, spacing):
            return super().create_array_compound(base_shape, count, spacing)
    c = Counting().create_array_compound(BOX, (3, 1, 1), (2, 0, 0))
    assert c.NbChildren() == 3
    assert t.drive_drulen(Counting(), "create_array_compound", (BOX, (2, 1, 1), (2.0, 0.0, 0.0))).NbChildren() == 2
