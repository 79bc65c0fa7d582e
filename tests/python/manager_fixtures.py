"""Shared fixtures of the two managers' tests: recording host subclasses and
recording substitute services, and the measures their tests compare."""

import contextlib

from nimbal import kernel as k
from nimbal.managers.corvath import CoreCorvath
from nimbal.managers.tessik import CoreTessik
from nimbal.services.drulen import Drulen
from nimbal.services.fandor import Fandor

PROTOCOL_OPS = [
    "create_box", "create_sphere", "create_cylinder", "create_cone", "create_torus",
    "create_rectangle", "create_circle", "translate_shape", "rotate_shape", "fuse_shapes",
    "cut_shapes", "unify_same_domain", "import_file", "export_shapes_to_step",
    "export_shapes_to_iges", "explode_to_faces", "create_array_compound", "apply_fillet",
    "apply_corner_round", "apply_polyline_round", "plane_params_for_standard",
    "plane_params_from_face", "create_polyline", "extrude_shape",
]

SKETCH_SERVICE_OPS = [
    "create_rectangle_on_plane", "create_circle_on_plane", "create_line_on_plane",
    "create_arc_on_plane", "create_polyline_on_plane", "fuse_shapes", "cut_shapes",
    "unify_same_domain",
]


class RecordingHooks:
    """Mixed into a manager: logs every shape and undo hook with its
    arguments."""

    def __init__(self, *args, **kwargs):
        self.log = []
        super().__init__(*args, **kwargs)

    def _notify_shape_created(self, shape_id, ms):
        self.log.append(("created", shape_id, ms))

    def _notify_shape_updated(self, shape_id, ms):
        self.log.append(("updated", shape_id, ms))

    def _notify_shape_removed(self, shape_id):
        self.log.append(("removed", shape_id))

    def _notify_all_cleared(self):
        self.log.append(("cleared",))

    def _notify_undo_redo_changed(self, can_undo, can_redo):
        self.log.append(("undo_redo", can_undo, can_redo))

    def events(self):
        """The log without the objects, for order comparisons; clears it."""
        out = [e[:2] if e[0] in ("created", "updated") else e for e in self.log]
        self.log.clear()
        return out


class CorvathHost(RecordingHooks, CoreCorvath):
    """Also logs the failure hook and the progress scope."""

    def _notify_operation_failed(self, operation, message):
        self.log.append(("failed", operation, message))

    @contextlib.contextmanager
    def _operation(self, message):
        self.log.append(("enter", message))
        try:
            yield
        finally:
            self.log.append(("exit", message))


class RecordingDrulen:
    """Any object with the 24 operations serves; this one records each call
    and answers through a real Drulen, unless told to answer None."""

    def __init__(self, none_for=()):
        self.real = Drulen()
        self.calls = []
        self.none_for = set(none_for)
        for name in PROTOCOL_OPS:
            setattr(self, name, self._op(name))

    def _op(self, name):
        def call(*args):
            self.calls.append(name)
            if name in self.none_for:
                return None
            return getattr(self.real, name)(*args)
        return call



class TessikHost(RecordingHooks, CoreTessik):
    """Logs every hook call with its arguments."""


class RecordingFandor:
    """Any object with the eight operations serves; this one records each call
    (name, positional count, keywords) and answers through a real Fandor,
    except where `answers` maps an operation to a list of replies (None for
    "no shape", a callable to compute one); a reply list runs out into the
    real answer."""

    def __init__(self, **answers):
        self.real = Fandor()
        self.calls = []
        self.answers = {name: list(replies) for name, replies in answers.items()}
        for name in SKETCH_SERVICE_OPS:
            setattr(self, name, self._op(name))

    def _op(self, name):
        def call(*args, **kwargs):
            self.calls.append((name, kwargs))
            replies = self.answers.get(name)
            if replies:
                reply = replies.pop(0)
                return reply(*args, **kwargs) if callable(reply) else reply
            return getattr(self.real, name)(*args, **kwargs)
        return call

    def names(self):
        return [c[0] for c in self.calls]


def faces(shape):
    return len(k.sub_shapes(shape, k.TopAbs_FACE))


def bbox(shape):
    return tuple(round(c, 6) for c in k.bounding_box(shape))
