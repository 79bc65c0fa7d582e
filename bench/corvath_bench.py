"""Geometry manager benchmark: each operation through CoreCorvath from
Python against the same kernel work done directly in C++ (corvath_driver),
measured in the same run.

    scripts/bench.sh corvath
"""

import os
import subprocess
import sys
import tempfile
import time

from nimbal.enums import ShapeType
from nimbal.managers.corvath import CoreCorvath
from nimbal.models import quenby as q

BUILD = os.environ.get("BUILD_DIR") or os.path.join(os.path.dirname(__file__), "..", "build")
DRIVER = os.path.join(BUILD, "bench", "corvath_driver")


def kernel(op, n, *extra):
    out = subprocess.run([DRIVER, op, str(n), *extra], check=True, capture_output=True, text=True).stdout
    # The kernel's exchange writers print their own progress on stdout.
    line = next(ln for ln in reversed(out.splitlines()) if ln.startswith(op + " "))
    return float(line.split()[1])


def best_of(repeats, setup, run):
    best = float("inf")
    for _ in range(repeats):
        state = setup()
        t0 = time.perf_counter()
        run(state)
        best = min(best, time.perf_counter() - t0)
    return best


def create_boxes(mgr, n, start=0):
    for i in range(start, start + n):
        mgr.create_shape(ShapeType.BOX, q.BoxProperties(width=10, height=10, depth=10,
                                                        translation=q.Translation(x=i * 20.0)))


def row(name, manager_s, kernel_s):
    print(f"{name:<34} manager {manager_s * 1e3:10.3f} ms   kernel {kernel_s * 1e3:10.3f} ms"
          f"   ratio {manager_s / kernel_s:6.3f}")


def creation():
    print("== creation through create_shape (box + placement) ==")
    for n in (1000, 10000):
        t = best_of(3 if n == 1000 else 1, CoreCorvath, lambda m: create_boxes(m, n))
        row(f"create {n} boxes", t, kernel("box_place", n))
        print(f"{'':<34} per creation {t / n * 1e6:8.2f} us")


def undo_redo():
    print("== undo and redo of 50 edits ==")
    for size in (100, 10000):
        mgr = CoreCorvath()
        create_boxes(mgr, size)
        ids = mgr.get_all_shape_ids()[:50]
        for i, sid in enumerate(ids):
            mgr.update_shape_color(sid, (0.1, 0.2, i / 50))
        t0 = time.perf_counter()
        for _ in range(50):
            mgr.undo()
        t1 = time.perf_counter()
        for _ in range(50):
            mgr.redo()
        t2 = time.perf_counter()
        print(f"registry of {size:>5}: undo {(t1 - t0) / 50 * 1e6:8.2f} us, redo {(t2 - t1) / 50 * 1e6:8.2f} us")


def operations(tmp):
    print("== kernel-bound operations ==")

    def chain_setup():
        m = CoreCorvath()
        create_boxes(m, 21)
        return m

    def chain(m):
        ids = m.get_all_shape_ids()
        acc = ids[0]
        for sid in ids[1:]:
            acc = m.union_shapes([acc, sid])

    # The boxes of the chain overlap at 5-unit steps, as in the driver.
    def chain_setup_overlapping():
        m = CoreCorvath()
        for i in range(21):
            m.create_shape(ShapeType.BOX, q.BoxProperties(width=10, height=10, depth=10,
                                                          translation=q.Translation(x=i * 5.0)))
        return m

    row("chain of 20 unions", best_of(3, chain_setup_overlapping, chain), kernel("union_chain", 20))

    def two_boxes():
        m = CoreCorvath()
        for x in (0.0, 5.0):
            m.create_shape(ShapeType.BOX, q.BoxProperties(width=10, height=10, depth=10,
                                                          translation=q.Translation(x=x)))
        return m, m.get_all_shape_ids()

    # Against the fuse alone: what the manager adds (the merge, the checks,
    # the registry and undo work) shows in the ratio.
    row("union of two boxes vs raw fuse",
        best_of(20, two_boxes, lambda s: s[0].union_shapes(s[1])), kernel("fuse_two", 1))

    def one_box():
        m = CoreCorvath()
        m.create_shape(ShapeType.BOX, q.BoxProperties(width=10, height=10, depth=10))
        return m, m.get_all_shape_ids()[0]

    row("fillet of a box's 12 edges",
        best_of(5, one_box, lambda s: s[0].fillet_shape(s[1], q.FilletProperties(fillet_radius=1.0))),
        kernel("fillet_box", 1))
    row("array of 10x10 copies",
        best_of(5, one_box, lambda s: s[0].create_shape_array(
            s[1], q.ArrayProperties(count_x=10, count_y=10, spacing_x=20, spacing_y=20))),
        kernel("array", 10))
    for n in (250, 1000):
        path = os.path.join(tmp, f"export_{n}.step")

        def many(n=n):
            m = CoreCorvath()
            create_boxes(m, n)
            return m

        row(f"STEP export of {n} shapes", best_of(3, many, lambda m, p=path: m.export_shapes_to_step(p)),
            kernel("step_export", n, os.path.join(tmp, f"kernel_{n}.step")))


def main():
    with tempfile.TemporaryDirectory() as tmp:
        creation()
        undo_redo()
        operations(tmp)


if __name__ == "__main__":
    sys.exit(main())
