"""Checks of the records a service logs on its own logger."""

import logging


def for_logger(name):
    """(records, assert_one_error) bound to the logger `name`."""

    def records(caplog, level=None):
        return [r for r in caplog.records if r.name == name and (level is None or r.levelno == level)]

    def assert_one_error(caplog, prefix):
        errs = records(caplog, logging.ERROR)
        assert len(errs) == 1, [r.getMessage() for r in records(caplog)]
        assert errs[0].getMessage().startswith(prefix)
        assert errs[0].exc_info and errs[0].exc_info[1] is not None
        return errs[0]

    return records, assert_one_error
