"""Times the geometry kernel service from Python against the cheapest raw
kernel calls for the same result made directly from C++ (bench/drulen_driver),
in the same run, and prints each line's ratio (import: what reading in a
child process costs against the driver's read in its own process).

    scripts/bench.sh drulen            # every line
    scripts/bench.sh drulen polyline   # the lines whose name starts so

Floors: placed boxes against boxes placed by one location each; arrays
against compounds of located instances; polylines against edges sharing
their vertices added to a wire in order; STEP export against a writer with
the service's settings transferring each shape as its own root.
"""
import math
import os
import subprocess
import sys
import tempfile
import time
from contextlib import contextmanager

from nimbal.services.drulen import Drulen

BUILD = os.environ.get("BUILD_DIR") or os.path.join(os.path.dirname(__file__), "..", "build")
DRIVER = os.path.join(BUILD, "bench", "drulen_driver")
D = Drulen
SERVICE = Drulen()
TMP = tempfile.mkdtemp(prefix="drulen-bench-")


@contextmanager
def quiet_stdout():
    # The kernel's data exchange prints its statistics on file descriptor 1.
    sys.stdout.flush()
    saved = os.dup(1)
    null = os.open(os.devnull, os.O_WRONLY)
    os.dup2(null, 1)
    try:
        yield
    finally:
        os.dup2(saved, 1)
        os.close(saved)
        os.close(null)


def best_of(fn, calls):
    best = float("inf")
    for _ in range(calls):
        t0 = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - t0)
    return best


def fillet_all():
    D.apply_fillet(D.create_box(10, 10, 10), 1.0, [])


def placed(n):
    def run():
        for i in range(n):
            D.translate_shape(D.rotate_shape(D.create_box(1, 2, 3), (0, 0, 0), (0, 0, 1), 30.0), 2.0 * i, 1.0, 0.0)
    return run


def array(nx, ny):
    base = D.create_box(1, 1, 1)
    return lambda: SERVICE.create_array_compound(base, (nx, ny, 1), (2.0, 2.0, 0.0))


def polyline(n):
    # The same points as the driver's.
    pts = [(math.cos(i * 0.01) * (10 + i * 1e-3), math.sin(i * 0.01) * (10 + i * 1e-3), i * 1e-3) for i in range(n)]
    return lambda: D.create_polyline(pts)


def step(n):
    boxes = [D.create_box(1, 1, 1, (2.0 * i, 0, 0)) for i in range(n)]
    path = os.path.join(TMP, "bench.step")

    def run():
        assert SERVICE.export_shapes_to_step(boxes, path)
    return run


def service_from_cpp(n):
    """The service's export run by the driver: its time stands in for the
    Python call's on this line."""
    return lambda calls: driver(["step_service", str(n)], calls)


# Reading happens in a child process: against the driver's read in its own
# process this shows what the fork costs.
BOX_STEP = os.path.join(TMP, "box.step")
os.environ["NIMBAL_BENCH_STEP"] = BOX_STEP


def import_box():
    if not os.path.exists(BOX_STEP):
        assert D.export_step(D.create_box(10, 20, 30), BOX_STEP)
    assert D.import_file(BOX_STEP) is not None


def driver(args, calls):
    op, *sizes = args
    out = subprocess.run([DRIVER, op, str(calls), *sizes], check=True, capture_output=True, text=True)
    return float(out.stdout.strip())


# name, Python call, calls, driver operation and sizes, points (per-point column)
LINES = [
    ("box", lambda: D.create_box(10, 20, 30), 2000, ["box"], None),
    ("fuse", lambda: D.fuse_shapes(D.create_box(2, 2, 2), D.create_box(2, 2, 2, (1, 1, 1))), 100, ["fuse"], None),
    ("fillet", fillet_all, 50, ["fillet"], None),
    ("placed boxes 1000", placed(1000), 20, ["placed", "1000"], None),
    ("array 10x10", array(10, 10), 200, ["array", "10", "10"], None),
    ("array 100x100", array(100, 100), 10, ["array", "100", "100"], None),
    ("polyline 1000", polyline(1000), 20, ["polyline", "1000"], 1000),
    ("polyline 16000", polyline(16000), 5, ["polyline", "16000"], 16000),
    ("polyline 100000", polyline(100000), 3, ["polyline", "100000"], 100000),
    ("step 100", step(100), 10, ["step", "100"], None),
    ("step 1000", step(1000), 5, ["step", "1000"], None),
    ("step 1000 from C++", service_from_cpp(1000), 5, ["step", "1000"], None),
    ("import", import_box, 200, ["import"], None),
]


def main():
    if not os.path.exists(DRIVER):
        sys.exit(f"{DRIVER} is missing: build the project first")
    wanted = sys.argv[1:]
    print(f"{'line':<20}{'nimbal (s)':>14}{'floor (s)':>14}{'ratio':>8}{'us/point':>10}")
    for name, fn, calls, args, points in LINES:
        if wanted and not any(name.startswith(w) for w in wanted):
            continue
        if name.endswith("from C++"):
            py = fn(calls)
        else:
            with quiet_stdout():
                fn()  # warm up
                py = best_of(fn, calls)
        floor = driver(args, calls)
        per_point = f"{1e6 * py / points:>10.3f}" if points else ""
        print(f"{name:<20}{py:>14.6f}{floor:>14.6f}{py / floor:>8.2f}{per_point}", flush=True)


if __name__ == "__main__":
    main()
