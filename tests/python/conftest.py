import logging

import pytest


@pytest.fixture
def capture_logs(caplog):
    """caplog at DEBUG for every logger."""
    caplog.set_level(logging.DEBUG)
    return caplog
