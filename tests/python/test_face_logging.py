import logging

import pytest

from nimbal import kernel as k
from nimbal.services.drulen import Drulen

LOGGER = "nimbal.services.drulen"


class Failing(logging.Handler):
    calls = 0

    def emit(self, record):
        Failing.calls += 1
        raise RuntimeError("handler broke")


@pytest.fixture
def failing_handler():
    logger = logging.getLogger(LOGGER)
    handler, level = Failing(), logger.level
    logger.addHandler(handler)
    logger.setLevel(logging.DEBUG)
    yield
    logger.removeHandler(handler)
    logger.setLevel(level)


def test_a_failing_handler_leaves_operations_their_answers(failing_handler):
    box = Drulen.create_box(1, 2, 3)
    assert k.volume(box) == pytest.approx(6)
    # an error record with its traceback goes to the failing handler
    assert Drulen.fuse_shapes(k.TopoDS_Shape(), box) is None
    assert Failing.calls > 0
    fused = Drulen.fuse_shapes(box, Drulen.create_box(1, 2, 3, (1, 0, 0)))
    assert k.volume(fused) == pytest.approx(12)
