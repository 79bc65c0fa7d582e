"""Damaged exchange files and threads. Every risky case runs in a child
interpreter (damaged_files.run_in_child): a reader crash that reached the
host would fail the case, not end the test session."""
import os
import threading

import pytest

import nimbal.kernel as k
from damaged_files import BOX, DAMAGES, run_in_child
from nimbal.services.drulen import Drulen

VOLUME = BOX[0] * BOX[1] * BOX[2]
EXACT_BOX = [-BOX[0] / 2, -BOX[1] / 2, -BOX[2] / 2, BOX[0] / 2, BOX[1] / 2, BOX[2] / 2]

# What each file gives: the whole box; none with "Error reading ..." (the
# reader refused the file); none with "Error importing ..." (the reader
# failed or crashed, a number overflows, or the shape read is not finite or
# holds no face or edge); none without a message (nothing
# transferred); a shape without the box's solid.
EXPECTED = {
    "undamaged step": "box",
    "undamaged iges": "box",
    "step cut in half": "refused",
    "step cut inside an entity": "refused",
    "step without its VECTOR lines": "error",
    "step without its EDGE_CURVE lines": "no solid",
    "step VECTOR entities typed DIRECTION": "error",
    # An empty shell: nothing to show, so the import fails.
    "step PLANE entities typed CARTESIAN_POINT": "error",
    "step points at 1.E+400": "error",
    "step vector lengths of 1.E+400": "error",
    # Nothing transferred, and no message, before the scan refused it.
    "step points at 1.E+300": "error",
    "iges cut after 140 lines": "error",
    "iges cut in half": "nothing",
    "iges without its third entity": "error",
    "iges faces typed as lines": "error",
    "iges points at 1.E+400": "error",
    "iges points at 1.E+300": "error",
}


def test_every_damage_has_an_expected_outcome():
    assert sorted(EXPECTED) == sorted(["undamaged step", "undamaged iges"] + [d[0] for d in DAMAGES])


@pytest.fixture(scope="module")
def imported(tmp_path_factory):
    status, lines, stderr = run_in_child("import sys, damaged_files as d; d.import_everywhere(sys.argv[1])",
                                         str(tmp_path_factory.mktemp("damaged")))
    started = [line["start"] for line in lines if "start" in line]
    results = {line["case"]: line for line in lines if "case" in line}
    return status, started, results, stderr


@pytest.mark.parametrize("case", sorted(EXPECTED))
def test_damaged_file_through_every_import_path(imported, case):
    status, started, results, stderr = imported
    if case not in results:
        pytest.fail(f"the importing interpreter ended with status {status} while on {started[-1:]}: {stderr[-2000:]}")
    r = results[case]
    kind = EXPECTED[case]
    file_type = "STEP" if case.startswith(("step", "undamaged step")) else "IGES"
    shape, errors, manager, project = r["direct"], r["errors"], r["manager"], r["project"]
    if kind in ("box", "no solid"):
        assert shape is not None and errors == []
        if kind == "box":
            assert shape == {"volume": pytest.approx(VOLUME), "valid": True, "box": pytest.approx(EXACT_BOX)}
        else:
            assert shape["volume"] == 0.0
        assert manager == {"shapes": [shape], "failed": []}
        if project is not None:
            assert project == {"ok": True, "names": ["Imported", "After"], "failed": []}
        return
    assert shape is None
    if kind == "refused":
        assert len(errors) == 1 and errors[0].startswith(f"Error reading {file_type} file: ")
    elif kind == "error":
        assert len(errors) == 1 and errors[0].startswith(f"Error importing {file_type} file: ")
    else:
        assert errors == []
    assert manager["shapes"] == []
    ((operation, message),) = manager["failed"]
    assert operation == "Import File" and message.startswith("Could not import '")
    if project is not None:
        # The damaged entry is left out; the rest of the project loads.
        assert project == {"ok": True, "names": ["After"], "failed": ["Import File"]}


BUFFERS_CHILD = """
import logging, json, sys
import _nimbal_testing as t
import nimbal.kernel as k
import damaged_files as d
from nimbal.services.drulen import Drulen
seen = []
class H(logging.Handler):
    def emit(self, r): seen.append(r.getMessage())
logging.getLogger("nimbal.services.drulen").addHandler(H())
path = d.write_damaged(sys.argv[1], "clean", ".step", list)
crashing = d.write_damaged(sys.argv[1], "vectorless", ".step", d._without("VECTOR("))
good, bad = (open(p, "rb").read() for p in (path, crashing))
shapes = t.import_step_buffers([("a", good), ("b", bad), ("c", good), ("d", b"garbage"), ("e", good)])
d.emit(volumes=[None if s is None else k.volume(s) for s in shapes], messages=seen)
"""


def test_many_step_buffers_in_one_call_survive_a_crashing_one(tmp_path):
    status, lines, stderr = run_in_child(BUFFERS_CHILD, str(tmp_path))
    assert status == 0, stderr[-2000:]
    (r,) = lines
    # The reader process that crashed on "b" is replaced for the rest.
    assert r["volumes"] == [pytest.approx(VOLUME), None, pytest.approx(VOLUME), None, pytest.approx(VOLUME)]
    assert len(r["messages"]) == 2
    assert r["messages"][0].startswith("Error importing STEP file: the reader process was killed by signal")
    assert r["messages"][1] == "Error reading STEP file: d"


CPP_THREADS_CHILD = """
import sys
import _nimbal_testing as t
import damaged_files as d
d.emit(volumes=t.exchange_in_threads(sys.argv[1], 8, 3))
"""

PY_THREADS_CHILD = """
import os, sys, threading
import nimbal.kernel as k
import damaged_files as d
from nimbal.services.drulen import Drulen
volumes = [[] for _ in range(8)]
def work(i):
    box = Drulen.create_box(1.0 + i, 2.0, 3.0)
    for _ in range(3):
        for suffix, export in ((".step", Drulen.export_step), (".igs", Drulen.export_iges)):
            path = os.path.join(sys.argv[1], f"py{i}{suffix}")
            shape = Drulen.import_file(path) if export(box, path) else None
            volumes[i].append(0.0 if shape is None else (k.volume if suffix == ".step" else k.area)(shape))
threads = [threading.Thread(target=work, args=(i,)) for i in range(8)]
for th in threads: th.start()
for th in threads: th.join()
d.emit(volumes=volumes)
"""


@pytest.mark.parametrize("code", [CPP_THREADS_CHILD, PY_THREADS_CHILD], ids=["c++ threads", "python threads"])
def test_eight_threads_exporting_and_importing_their_own_files(tmp_path, code):
    status, lines, stderr = run_in_child(code, str(tmp_path))
    assert status == 0, stderr[-2000:]
    (r,) = lines
    # STEP gives back the box's volume, IGES (faces) its area.
    assert r["volumes"] == [[pytest.approx((1.0 + i) * 6.0), pytest.approx(10.0 * (1.0 + i) + 12.0)] * 3
                            for i in range(8)]


MIXED_THREADS_CHILD = """
import logging, os, sys, threading
import nimbal.kernel as k
import damaged_files as d
from nimbal.managers.corvath import CoreCorvath
from nimbal.services.drulen import Drulen
# Every kernel message asks Python's logging, which needs the interpreter
# lock, while its thread holds the exchange lock.
logging.basicConfig(level=logging.DEBUG, stream=open(os.devnull, "w"))
path = d.write_damaged(sys.argv[1], "shared", ".step", list)
results = []
def through_manager():
    # The manager keeps the interpreter lock while it calls the kernel.
    mgr = CoreCorvath()
    for _ in range(4):
        results.append(k.volume(mgr.import_shape(path).shape))
def through_service(i):
    box = Drulen.create_box(1.0, 2.0, 3.0)
    for _ in range(4):
        out = os.path.join(sys.argv[1], f"s{i}.step")
        results.append(k.volume(Drulen.import_file(out)) if Drulen.export_step(box, out) else 0.0)
threads = [threading.Thread(target=through_manager) for _ in range(4)]
threads += [threading.Thread(target=through_service, args=(i,)) for i in range(4)]
for th in threads: th.start()
for th in threads: th.join()
d.emit(volumes=sorted(results))
"""


def test_manager_and_service_threads_share_the_exchange_lock_without_deadlock(tmp_path):
    # A deadlock would show as the child's timeout.
    status, lines, stderr = run_in_child(MIXED_THREADS_CHILD, str(tmp_path), timeout=60)
    assert status == 0, stderr[-2000:]
    (r,) = lines
    assert r["volumes"] == [pytest.approx(6.0)] * 16 + [pytest.approx(VOLUME)] * 16


def test_other_threads_run_during_a_long_boolean():
    d = Drulen()
    # Overlapping spheres and rods: the union takes a good part of a second.
    spheres = d.create_array_compound(d.create_sphere(1.0), (3, 3, 1), (1.5, 1.5, 0))
    rods = d.create_array_compound(d.create_cylinder(0.5, 3.0, (0.7, 0.7, -1)), (3, 3, 1), (1.5, 1.5, 0))
    ticks = []
    stop = threading.Event()
    running = threading.Event()

    def ticker():
        running.set()
        while not stop.wait(0.001):
            ticks.append(1)

    th = threading.Thread(target=ticker)
    th.start()
    running.wait()
    before = len(ticks)
    fused = d.fuse_shapes(spheres, rods)
    during = len(ticks) - before
    stop.set()
    th.join()
    assert k.is_valid(fused) and k.volume(fused) > 0
    # Holding the interpreter lock, the boolean would let the ticker tick
    # once at most.
    assert during > 5
