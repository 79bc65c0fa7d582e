"""The reader process: files, buffers and crash-prone kernel operations run
in a spawned executable of ours, which a crash, Ctrl-C, a cancel or a
deadline stops without harm to the host. Cases that could end or hang the
host run in a child interpreter with a timeout (damaged_files.run_in_child)."""
import logging
import math
import os
import pathlib
import signal
import threading
import time

import pytest

import _nimbal_testing as t
import nimbal
import nimbal.kernel as k
from damaged_files import BOX, emit, run_in_child, write_damaged
from nimbal.services.drulen import Drulen

VOLUME = BOX[0] * BOX[1] * BOX[2]
FIXTURES = pathlib.Path(__file__).resolve().parents[3] / "shared" / "fixtures"
FILLET_CRASH_BASE = FIXTURES / "fillet_crash_base.step"


class Errors(logging.Handler):
    def __init__(self):
        super().__init__(logging.ERROR)
        self.messages = []

    def emit(self, record):
        self.messages.append(record.getMessage())


@pytest.fixture
def errors():
    h = Errors()
    logger = logging.getLogger("nimbal.services.drulen")
    logger.addHandler(h)
    yield h.messages
    logger.removeHandler(h)


@pytest.fixture
def step_file(tmp_path):
    return write_damaged(str(tmp_path), "clean", ".step", list)


def stat_fields(pid):
    """The fields of /proc/<pid>/stat after the command's name: state,
    parent, process group, ..."""
    return pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()


def readers():
    """Our reader processes: pid -> (parent, process group)."""
    out = {}
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if not os.readlink(entry / "exe").endswith("/nimbal-reader"):
                continue
            fields = stat_fields(entry.name)
        except OSError:
            continue
        if int(fields[1]) == os.getpid():
            out[int(entry.name)] = (int(fields[1]), int(fields[2]))
    return out


# Under the sanitizers' runtimes a reader process starts and is cancelled
# on another schedule than these process-table and timer checks assume.
under_sanitizer = pytest.mark.skipif(bool(os.environ.get("NIMBAL_SANITIZER")),
                                     reason="reader start-up timing differs under the sanitizers' runtimes")


def wait_for_busy_reader(known=()):
    for _ in range(200):
        busy = set(readers()) - set(t.reader_idle_pids()) - set(known)
        if busy:
            return busy.pop()
        time.sleep(0.01)
    raise AssertionError("no reader process became busy")


def status_kb(pid, field):
    for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith(field + ":"):
            return int(line.split()[1])
    raise KeyError(field)


@under_sanitizer
def test_the_reader_is_a_spawned_executable_reused_for_later_reads(step_file):
    assert k.volume(Drulen.import_file(step_file)) == pytest.approx(VOLUME)
    (pid,) = t.reader_idle_pids()[-1:]
    parent, group = readers()[pid]
    # Exec'd, not a fork: its own image, none of the host's memory, its own
    # process group (a terminal's Ctrl-C goes to the host, which decides).
    assert os.readlink(f"/proc/{pid}/exe") == str(pathlib.Path(nimbal.__file__).parent / ".libs" / "nimbal-reader")
    assert parent == os.getpid() and group != os.getpgrp()
    assert status_kb(pid, "VmRSS") < status_kb(os.getpid(), "VmRSS")
    # The standard signals the host ignores (Python: SIGPIPE) or blocks are
    # not inherited.
    status = dict(line.split(":\t", 1) for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines())
    for field in ("SigIgn", "SigBlk"):
        assert int(status[field], 16) & 0x7FFFFFFF == 0, field
    for _ in range(3):
        assert k.volume(Drulen.import_file(step_file)) == pytest.approx(VOLUME)
    assert pid in t.reader_idle_pids()


@under_sanitizer
def test_a_killed_reader_fails_that_import_only_and_the_next_import_restarts_it(step_file, errors):
    result = {}
    th = threading.Thread(target=lambda: result.setdefault("shape", t.reader_sleep(30)))
    th.start()
    pid = wait_for_busy_reader()
    os.kill(pid, signal.SIGKILL)
    th.join(10)
    assert not th.is_alive()
    assert result == {"shape": None}
    assert errors == ["Error importing STEP file: the reader process was killed by signal 9 (Killed)"]
    assert pid not in readers()
    assert k.volume(Drulen.import_file(step_file)) == pytest.approx(VOLUME)


def kill_idle(pids):
    """Kills idle readers and waits until each is dead, not yet reaped: a
    zombie whose other threads have ended too (they hold its descriptors
    until then)."""
    for pid in pids:
        os.kill(pid, signal.SIGKILL)
    for pid in pids:
        while stat_fields(pid)[0] != "Z" or len(os.listdir(f"/proc/{pid}/task")) > 1:
            time.sleep(0.01)


def test_a_reader_that_ended_while_idle_is_not_given_the_next_import(step_file, errors):
    assert k.volume(Drulen.import_file(step_file)) == pytest.approx(VOLUME)
    idle = t.reader_idle_pids()
    assert idle
    kill_idle(idle)
    assert k.volume(Drulen.import_file(step_file)) == pytest.approx(VOLUME)
    assert errors == []
    assert not set(idle) & set(t.reader_idle_pids())
    for pid in idle:  # reaped
        assert not pathlib.Path(f"/proc/{pid}").exists()


def reader_environment(pid):
    return pathlib.Path(f"/proc/{pid}/environ").read_bytes().split(b"\0")


@pytest.mark.skipif(bool(os.environ.get("NIMBAL_SANITIZER")),
                    reason="under the address sanitizer the kernel keeps the allocator the sanitizer sees")
def test_the_reader_uses_the_scalable_allocator_unless_the_host_chose_one(step_file, monkeypatch):
    monkeypatch.delenv("MMGT_OPT", raising=False)
    kill_idle(t.reader_idle_pids())  # started before this test's environment
    assert k.volume(Drulen.import_file(step_file)) == pytest.approx(VOLUME)
    (pid,) = t.reader_idle_pids()
    assert b"MMGT_OPT=2" in reader_environment(pid)
    monkeypatch.setenv("MMGT_OPT", "0")
    kill_idle([pid])
    assert k.volume(Drulen.import_file(step_file)) == pytest.approx(VOLUME)
    (pid,) = t.reader_idle_pids()
    env = reader_environment(pid)
    assert b"MMGT_OPT=0" in env and b"MMGT_OPT=2" not in env


def test_concurrent_callers_each_lease_a_reader(step_file):
    seen = []
    threads = [threading.Thread(target=lambda: seen.append(t.reader_sleep(1.0))) for _ in range(3)]
    start = time.monotonic()
    for th in threads:
        th.start()
    for th in threads:
        th.join()
    # Three one-second reads at once, not one after another.
    assert seen == [None] * 3 and time.monotonic() - start < 2.5
    assert len(t.reader_idle_pids()) >= 3


SIGINT_CHILD = """
import logging, os, signal, sys, threading, time
import _nimbal_testing as t
import nimbal.kernel as k
import damaged_files as d
from nimbal.services.drulen import Drulen
path = d.write_damaged(sys.argv[1], "clean", ".step", list)
Drulen.import_file(path)
(first,) = t.reader_idle_pids()
sent = []
def interrupt():
    time.sleep(0.5)
    sent.append(time.monotonic())
    os.kill(os.getpid(), signal.SIGINT)
records = d.Records()
logging.getLogger("nimbal.services.drulen").addHandler(records)
threading.Thread(target=interrupt).start()
start = time.monotonic()
try:
    t.reader_sleep(30)
    raised = None
except KeyboardInterrupt:
    raised = time.monotonic() - sent[0]
# What the sleep gave, if it ended otherwise (seen once under a loaded
# machine with the sanitizers): how long it took and what it logged.
returned = {"after": time.monotonic() - start, "errors": list(records.messages)}
gone = not os.path.exists(f"/proc/{first}") or open(f"/proc/{first}/stat").read().split()[2] == "Z"
d.emit(raised=raised, returned=returned, gone=gone, idle=t.reader_idle_pids(),
       after=k.volume(Drulen.import_file(path)))
"""


def test_ctrl_c_stops_an_import_within_a_second_and_the_next_import_works(tmp_path):
    status, lines, stderr = run_in_child(SIGINT_CHILD, str(tmp_path), timeout=60)
    assert status == 0, stderr[-2000:]
    (r,) = lines
    assert r["raised"] is not None and r["raised"] < 1.0, r
    assert r["gone"]
    assert r["after"] == pytest.approx(VOLUME)


@under_sanitizer
def test_another_thread_cancels_an_import(step_file, errors):
    # A cancel with nothing running touches no later import.
    Drulen.cancel_imports()
    assert k.volume(Drulen.import_file(step_file)) == pytest.approx(VOLUME)
    timer = threading.Timer(0.3, Drulen.cancel_imports)
    start = time.monotonic()
    timer.start()
    assert t.reader_sleep(30) is None
    assert time.monotonic() - start < 2
    assert errors == ["Error importing STEP file: the import was cancelled"]
    assert k.volume(Drulen.import_file(step_file)) == pytest.approx(VOLUME)


def test_the_import_deadline_is_off_by_default_and_fails_a_longer_import(step_file, errors):
    assert t.reader_sleep(1.5) is None and errors == []
    Drulen.set_import_deadline(0.5)
    try:
        start = time.monotonic()
        assert t.reader_sleep(30) is None
        assert time.monotonic() - start < 2
        assert k.volume(Drulen.import_file(step_file)) == pytest.approx(VOLUME)
    finally:
        Drulen.set_import_deadline(None)
    assert errors == ["Error importing STEP file: the import took longer than its deadline of 0.5 s"]
    for bad in (0.0, -1.0, math.nan):
        with pytest.raises(ValueError, match="deadline must be a positive number"):
            Drulen.set_import_deadline(bad)


HELD_MUTEX_CHILD = """
import sys, threading, time
import _nimbal_testing as t
import nimbal.kernel as k
import damaged_files as d
from nimbal.services.drulen import Drulen
path = d.write_damaged(sys.argv[1], "clean", ".step", list)
held = t.hold_error_handler_mutex()
# Another thread of the host holds the mutex while this one imports; it
# lets go after a while, as a thread inside the kernel does.
threading.Timer(2.0, t.release_error_handler_mutex).start()
start = time.monotonic()
volume = k.volume(Drulen.import_file(path))
d.emit(held=held, volume=volume, seconds=time.monotonic() - start)
"""


def test_an_import_completes_while_another_thread_holds_the_kernels_error_handler_mutex(tmp_path):
    # A reader forked at that moment would wait for the mutex for ever.
    status, lines, stderr = run_in_child(HELD_MUTEX_CHILD, str(tmp_path), timeout=60)
    assert status == 0, stderr[-2000:]
    (r,) = lines
    assert r["held"]
    assert r["volume"] == pytest.approx(VOLUME)


def test_native_buffers_are_read_in_the_reader_process(errors):
    box = Drulen.translate_shape(Drulen.create_box(*BOX), 5, 6, 7)
    good = t.shape_bytes(box)
    shapes = t.import_native_buffers([("a", good), ("b", b"garbage"), ("c", good[: len(good) // 2]), ("d", good)])
    assert [s is None for s in shapes] == [False, True, True, False]
    for s in (shapes[0], shapes[3]):
        assert k.volume(s) == pytest.approx(VOLUME)
        assert k.bounding_box(s) == pytest.approx(k.bounding_box(box))
    assert len(errors) == 2 and all(m.startswith("Error importing native file: ") for m in errors)


# ---- modelling operations in the reader process ----

FILLET_CRASH_CHILD = """
import logging, sys
import nimbal.kernel as k
import damaged_files as d
from nimbal.managers.corvath import CoreCorvath
from nimbal.models.quenby import FilletProperties
from nimbal.services.drulen import Drulen
errors = []
class H(logging.Handler):
    def emit(self, r):
        if r.levelno >= logging.ERROR: errors.append(r.getMessage())
logging.getLogger("nimbal.services.drulen").addHandler(H())
base = Drulen.import_file(sys.argv[1])
direct = Drulen.apply_fillet(base, 0.645, [14])
failed = []
class M(CoreCorvath):
    def _notify_operation_failed(self, operation, message):
        failed.append([operation, message])
mgr = M()
ms = mgr.import_shape(sys.argv[1])
before = sorted(mgr._shapes)
fid = mgr.fillet_shape(ms.shape_id, FilletProperties(fillet_radius=0.645, edge_indices=[14]))
d.emit(faces=len(k.sub_shapes(base, k.TopAbs_ShapeEnum.TopAbs_FACE)), direct=direct is None, errors=errors,
       fid=fid, failed=failed, unchanged=sorted(mgr._shapes) == before, base_volume=k.volume(ms.shape),
       after=k.volume(Drulen.apply_fillet(Drulen.create_box(10, 10, 10), 1.0, [0])))
"""


def test_a_fillet_that_crashes_the_kernel_fails_that_operation_only():
    status, lines, stderr = run_in_child(FILLET_CRASH_CHILD, str(FILLET_CRASH_BASE), timeout=120)
    assert status == 0, stderr[-2000:]
    (r,) = lines
    assert r["faces"] == 26
    assert r["direct"] is True
    # Under the sanitizers their handler turns the fault into an abort.
    signal_number = 6 if os.environ.get("NIMBAL_SANITIZER") else 11
    assert r["errors"][0].startswith(f"Error applying fillet: the reader process was killed by signal {signal_number} ")
    assert r["fid"] is None and r["unchanged"]
    ((operation, _message),) = r["failed"]
    assert "Fillet" in operation
    # The next operation gets a new process.
    assert r["after"] == pytest.approx(1000 - (1 - math.pi / 4) * 10)


@pytest.mark.parametrize("placed", [False, True], ids=["at the origin", "moved and turned"])
def test_fillet_edge_indices_select_the_same_edge_in_the_reader_process(placed):
    # A box of three different extents: the volume a fillet takes away
    # names the length of the edge it rounded.
    box = Drulen.create_box(2.0, 3.0, 5.0)
    if placed:
        box = Drulen.rotate_shape(Drulen.translate_shape(box, 4, -2, 9), (1, 2, 3), (0.3, 0.4, 0.8), 37)
    edges = k.sub_shapes(box, k.TopAbs_ShapeEnum.TopAbs_EDGE)
    r = 0.4
    for i, edge in enumerate(edges):
        rounded = Drulen.apply_fillet(box, r, [i])
        assert k.is_valid(rounded)
        assert len(k.sub_shapes(rounded, k.TopAbs_ShapeEnum.TopAbs_FACE)) == 7
        assert k.volume(box) - k.volume(rounded) == pytest.approx((1 - math.pi / 4) * r * r * k.length(edge),
                                                                  rel=1e-6), i
    every = Drulen.apply_fillet(box, r, [])
    assert k.is_valid(every) and len(k.sub_shapes(every, k.TopAbs_ShapeEnum.TopAbs_FACE)) == 26


def test_corner_round_vertex_indices_select_the_same_corner_in_the_reader_process():
    face = Drulen.translate_shape(Drulen.create_rectangle(4.0, 2.0), 3, 1, 0)
    corners = [k.bounding_box(v)[:3] for v in k.sub_shapes(face, k.TopAbs_ShapeEnum.TopAbs_VERTEX)]
    r = 0.5
    for i, corner in enumerate(corners):
        rounded = Drulen.apply_corner_round(face, r, [i])
        assert k.area(rounded) == pytest.approx(8.0 - (1 - math.pi / 4) * r * r)
        left = [k.bounding_box(v)[:3] for v in k.sub_shapes(rounded, k.TopAbs_ShapeEnum.TopAbs_VERTEX)]
        assert not any(p == pytest.approx(corner) for p in left), i
        assert all(any(p == pytest.approx(c) for p in left) for c in corners if c != corner), i


def test_round_failures_are_reported_as_before(caplog):
    box = Drulen.create_box(1, 1, 1)
    edge = k.sub_shapes(box, k.TopAbs_ShapeEnum.TopAbs_EDGE)[0]
    with caplog.at_level(logging.WARNING, "nimbal.services.drulen"):
        assert Drulen.apply_fillet(box, 5.0, [0]) is None
        assert Drulen.apply_fillet(box, math.nan, [0]) is None
        assert Drulen.apply_fillet(edge, 0.1, []) is None
        assert Drulen.apply_corner_round(box, math.nan, [0]) is None
        assert Drulen.apply_corner_round(edge, 0.1, []) is None
    assert caplog.messages == [
        "Error applying fillet: Standard_DomainError: radius is not a finite number",
        "Error applying fillet: Standard_Failure: There are no suitable edges for chamfer or fillet",
        "Error applying corner round: Standard_DomainError: radius is not a finite number",
        "apply_corner_round: shape is not a face",
    ]
    # Failures the kernel raised in the reader process carry the same error
    # type to the host's record as those raised here.
    assert all(r.exc_info[0] is k.KernelError for r in caplog.records if r.levelno >= logging.ERROR)
