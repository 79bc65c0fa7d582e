"""Times the geometry kernel service from Python against the same kernel
calls made directly from C++ (bench/drulen_driver), one run, and prints the
ratio per operation (import: the child process's cost), then STEP export time against the number of shapes.

    scripts/bench.sh drulen
"""
import os
import subprocess
import sys
import tempfile
import time
from contextlib import contextmanager

from nimbal.services.drulen import Drulen

BUILD = os.environ.get("BUILD_DIR") or os.path.join(os.path.dirname(__file__), "..", "build")
DRIVER = os.path.join(BUILD, "bench", "drulen_driver")
D = Drulen()
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
    D.apply_fillet(D.create_box(10, 10, 10), 1.0)


def step(n):
    boxes = [D.create_box(1, 1, 1, (2.0 * i, 0, 0)) for i in range(n)]
    path = os.path.join(TMP, "bench.step")

    def run():
        assert D.export_shapes_to_step(boxes, path)
    return run


def step_with_build(n):
    def run():
        boxes = [D.create_box(1, 1, 1, (2.0 * i, 0, 0)) for i in range(n)]
        assert D.export_shapes_to_step(boxes, os.path.join(TMP, "bench.step"))
    return run


# Reading happens in a child process: against the driver's read in its own
# process this shows what the fork costs.
BOX_STEP = os.path.join(TMP, "box.step")
os.environ["NIMBAL_BENCH_STEP"] = BOX_STEP


def import_box():
    if not os.path.exists(BOX_STEP):
        assert D.export_step(D.create_box(10, 20, 30), BOX_STEP)
    assert D.import_file(BOX_STEP) is not None


OPERATIONS = [
    ("box", lambda: D.create_box(10, 20, 30), 2000, []),
    ("fuse", lambda: D.fuse_shapes(D.create_box(2, 2, 2), D.create_box(2, 2, 2, (1, 1, 1))), 100, []),
    ("fillet", fillet_all, 50, []),
    ("array", lambda: D.create_array_compound(D.create_box(1, 1, 1), (10, 10, 1), (2, 2, 0)), 100, []),
    ("step", step_with_build(1000), 3, ["1000"]),
    ("import", import_box, 200, []),
]


def driver(op, calls, extra):
    out = subprocess.run([DRIVER, op, str(calls), *extra], check=True, capture_output=True, text=True)
    return float(out.stdout.strip())


def main():
    if not os.path.exists(DRIVER):
        sys.exit(f"{DRIVER} is missing: build the project first")
    rows = []
    for name, fn, calls, extra in OPERATIONS:
        with quiet_stdout():
            fn()  # warm up
            py = best_of(fn, calls)
        cpp = driver(name, calls, extra)
        rows.append((name, py, cpp))
    print(f"{'operation':<12}{'python (s)':>14}{'c++ (s)':>14}{'ratio':>8}")
    for name, py, cpp in rows:
        print(f"{name:<12}{py:>14.6f}{cpp:>14.6f}{py / cpp:>8.3f}")
    print()
    print(f"{'STEP shapes':<12}{'python (s)':>14}{'per shape (ms)':>16}")
    for n in (250, 500, 1000, 2000):
        with quiet_stdout():
            t = best_of(step(n), 3)
        print(f"{n:<12}{t:>14.4f}{1000 * t / n:>16.3f}")


if __name__ == "__main__":
    main()
