"""Shared fixtures of the sketch manager tests: a recording host subclass and
a recording substitute sketch plane service."""

from corvath_fixtures import RecordingHooks
from nimbal import kernel as k
from nimbal.managers.tessik import CoreTessik
from nimbal.services.fandor import Fandor

SERVICE_OPS = [
    "create_rectangle_on_plane", "create_circle_on_plane", "create_line_on_plane",
    "create_arc_on_plane", "create_polyline_on_plane", "fuse_shapes", "cut_shapes",
    "unify_same_domain",
]


class Host(RecordingHooks, CoreTessik):
    """Logs every hook call with its arguments."""


class RecordingService:
    """Any object with the eight operations serves; this one records each call
    (name, positional count, keywords) and answers through a real Fandor,
    except where `answers` maps an operation to a list of replies (None for
    "no shape", a callable to compute one); a reply list runs out into the
    real answer."""

    def __init__(self, **answers):
        self.real = Fandor()
        self.calls = []
        self.answers = {name: list(replies) for name, replies in answers.items()}
        for name in SERVICE_OPS:
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
