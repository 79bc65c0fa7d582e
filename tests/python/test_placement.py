"""Shapes moved and turned by location: the same geometry, numbering and
results as geometric copies, files included, and the limits of placement."""

import json
import math
import os
import subprocess
import sys

import pytest

from nimbal import kernel as k
from nimbal.managers.corvath import CoreCorvath
from nimbal.services.ombrel import ProjectSerializer
from placed_fixture import MEASURES, PROJECT, measures


def close(a, b, tol=1e-6):
    if isinstance(a, list):
        return len(a) == len(b) and all(close(x, y, tol) for x, y in zip(a, b))
    if isinstance(a, bool) or isinstance(a, int):
        return a == b
    return math.isclose(a, b, rel_tol=tol, abs_tol=tol)


def test_project_saved_before_loads_to_the_same_shapes():
    mgr = CoreCorvath()
    assert ProjectSerializer.load_project(PROJECT, mgr)
    with open(MEASURES) as f:
        expected = json.load(f)
    got = measures(mgr)
    assert [m["kind"] for m in got] == [m["kind"] for m in expected]
    for i, m in enumerate(expected):
        for key, value in m.items():
            if key != "kind":
                assert close(got[i][key], value), (i, m["kind"], key)
