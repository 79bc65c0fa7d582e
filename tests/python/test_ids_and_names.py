"""Shape ids and display names, one table run over both managers: the
registry code that hands them out is shared, so both must follow one rule."""

import re

import pytest

from manager_fixtures import CorvathHost, TessikHost
from nimbal.enums import ShapeType
from nimbal.models import quenby as q


class Manager:
    def __init__(self, host, args, named, shape_type, extra_names):
        self.host, self.args, self.named = host, args, named
        self.shape_type, self.extra_names = shape_type, extra_names

    def make(self, cls=None):
        return (cls or self.host)(*self.args)


MANAGERS = {
    "geometry": Manager(
        CorvathHost, (),
        lambda h, name: h.create_shape(ShapeType.SPHERE, q.SphereProperties(), name=name),
        ShapeType.BOX,
        [([], ShapeType.CORNER_ROUND, "Corner_round_1"),
         (["Polyline_round_2"], ShapeType.POLYLINE_ROUND, "Polyline_round_3")]),
    "sketch": Manager(
        TessikHost, ("plane_1",),
        # lines of any name: the prefix alone decides
        lambda h, name: h.create_line((0, 0), (1, 0), name=name),
        ShapeType.RECTANGLE,
        [(["Circle_12"], ShapeType.CIRCLE, "Circle_13"),
         (["Sketch_polyline_4", "Sketch_Polyline_9"], ShapeType.SKETCH_POLYLINE, "Sketch_polyline_5")]),
}

# {P} stands for the shape type's prefix ("Box", "Rectangle"), {p} for it in
# lower case.
NAMES = [
    ([], "{P}_1"),
    (["{P}_1", "{P}_3"], "{P}_4"),
    (["{P}_1", "{P}_7", "{P}_x", "{p}_9", "{P}_"], "{P}_8"),
    (["{P}_1_copy", "{P}_A", "{P}_", "{p}_5"], "{P}_1"),
    (["{P}_0", "{P}_-3"], "{P}_1"),
    (["{P}_1_000"], "{P}_1001"),
    (["{P}_ 7 "], "{P}_8"),
    (["{P}_\u30007\u00a0", "{P}_\u20036"], "{P}_8"),  # int() strips Unicode white space too
    (["{P}_ 12 ", "{P}_1_0", "{P}_2.5"], "{P}_13"),
    (["{P}_+3"], "{P}_4"),
    # Numbers of any length: the next is one more than the largest.
    (["{P}_9223372036854775807"], "{P}_9223372036854775808"),
    (["{P}_99999999999999999999999", "{P}_7"], "{P}_100000000000000000000000"),
    (["{P}_18446744073709551617", "{P}_18446744073709551616"], "{P}_18446744073709551618"),
    (["{P}_100000000000000000000", "{P}_99999999999999999999"], "{P}_100000000000000000001"),
    (["{P}_000000000000000000000000012", "{P}_11"], "{P}_13"),
    (["{P}_0000000000000000000000009", "{P}_-99999999999999999999"], "{P}_10"),
    (["{P}_1_000_000_000_000_000_000_000"], "{P}_1000000000000000000001"),
    (["{P}_-99999999999999999999999", "{P}_+3"], "{P}_4"),
]


@pytest.fixture(params=MANAGERS, ids=str)
def manager(request):
    return MANAGERS[request.param]


@pytest.mark.parametrize("names, expected", NAMES)
def test_display_names(manager, names, expected):
    host = manager.make()
    prefix = manager.shape_type.value.capitalize()
    for n in names:
        manager.named(host, n.format(P=prefix, p=prefix.lower()))
    assert host._generate_shape_name(manager.shape_type) == expected.format(P=prefix)


def test_type_specific_prefixes(manager):
    for names, shape_type, expected in manager.extra_names:
        host = manager.make()
        for n in names:
            manager.named(host, n)
        assert host._generate_shape_name(shape_type) == expected


def test_ids_are_random_and_have_the_fixed_form(manager):
    host = manager.make()
    for shape_type in [manager.shape_type] + [row[1] for row in manager.extra_names]:
        ids = {host._new_shape_id(shape_type) for _ in range(50)}
        assert len(ids) == 50
        assert all(re.fullmatch(re.escape(shape_type.value) + r"_[0-9a-f]{8}", i) for i in ids), ids


def test_a_clashing_id_is_drawn_again(manager):
    class Clashing(manager.host):
        draws = 0

        def _new_shape_id(self, shape_type):
            # once a shape is registered, every other draw is its id
            self.draws += 1
            fresh = super()._new_shape_id(shape_type)
            taken = list(self._shapes)
            return taken[0] if taken and self.draws % 2 == 0 else fresh

    host = manager.make(Clashing)
    first = manager.named(host, "a")
    second = manager.named(host, "b")
    assert second.shape_id != first.shape_id
    assert host.get_shape(first.shape_id) is first and host.get_shape(second.shape_id) is second
    assert len(host._shapes) == 2 and host.draws >= 3


# Names are stripped of the white space the host's str.strip() strips: the
# Unicode White_Space characters, not only ASCII ones.
@pytest.mark.parametrize("given", [" Lid ", "\u00a0Lid\u00a0", "\u2003Lid\u2028", "\u3000\tLid\x1f\u205f",
                                   "Lid\u3000\u3000", "\u3000", "\u2003\u2028", " \u00a0\x85 ", "\u200bLid",
                                   "Lid\u00e9\u00a0", "\u4e00\u3000"])
def test_rename_strips_as_text_is_stripped(manager, given):
    host = manager.make()
    ms = manager.named(host, "Old")
    depth = len(host._undo_redo._undo_stack)
    assert host.rename_shape(ms.shape_id, given) is bool(given.strip())
    assert ms.name == (given.strip() or "Old")
    assert len(host._undo_redo._undo_stack) == depth + (1 if given.strip() else 0)
