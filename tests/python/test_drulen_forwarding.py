import pytest

import _nimbal_testing as t
from nimbal.services.drulen import Drulen

BOX = Drulen.create_box(1, 1, 1)


class Recorder:
    def __init__(self):
        self.calls = []

    def __getattr__(self, name):
        def op(*args, **kwargs):
            self.calls.append((name, args, kwargs))
            return BOX
        return op


# placements as the caller gives them (None: left out), what the service is given
@pytest.mark.parametrize("op, args, passed", [
    ("create_cylinder", (1.0, 2.0, None, None), (1.0, 2.0)),
    ("create_cylinder", (1.0, 2.0, (1.0, 2.0, 3.0), None), (1.0, 2.0, (1.0, 2.0, 3.0))),
    ("create_cylinder", (1.0, 2.0, None, (1.0, 0.0, 0.0)), (1.0, 2.0, (0.0, 0.0, 0.0), (1.0, 0.0, 0.0))),
    ("create_cone", (2.0, 1.0, 3.0, None, (0.0, 1.0, 0.0)), (2.0, 1.0, 3.0, (0.0, 0.0, 0.0), (0.0, 1.0, 0.0))),
    ("create_torus", (5.0, 1.0, None, (0.0, 1.0, 0.0)), (5.0, 1.0, (0.0, 0.0, 0.0), (0.0, 1.0, 0.0))),
])
def test_a_placement_left_out_before_a_given_one_is_the_default(op, args, passed):
    fake = Recorder()
    assert t.drive_drulen(fake, op, args) == BOX
    assert fake.calls == [(op, passed, {})]
