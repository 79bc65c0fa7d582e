"""Project file benchmark: save and load of 1,000 and 10,000 boxes and of
100 imported shapes, per shape, beside creating the same shapes directly
through the geometry manager; and the parse of one object of 160,000 keys.

    scripts/bench.sh ombrel

Goals: a load costs no more than 1.1x creating the same shapes; a save of
1,000 boxes stays under 30 ms.
"""

import json
import os
import sys
import tempfile
import time
import zipfile

from nimbal.enums import ShapeType
from nimbal.managers.corvath import CoreCorvath
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen
from nimbal.services.ombrel import ProjectSerializer as PS

from corvath_bench import best_of  # the script's own folder is on the path


def create_boxes(mgr, n):
    for i in range(n):
        mgr.create_shape(ShapeType.BOX, q.BoxProperties(width=10, height=10, depth=10,
                                                        translation=q.Translation(x=i * 20.0)),
                         name=f"Box {i}")


def import_parts(mgr, files):
    for i, f in enumerate(files):
        mgr.import_shape(f, name=f"Part {i}",
                         properties=q.ImportedProperties(translation=q.Translation(x=i * 50.0)))


def row(label, n, create_s, save_s, load_s):
    us = 1e6 / n
    print(f"{label:<22} create {create_s * us:9.1f} us   save {save_s * us:9.1f} us   "
          f"load {load_s * us:9.1f} us per shape   load/create {load_s / create_s:5.2f}   "
          f"save total {save_s * 1e3:8.1f} ms")


def measure(label, n, fill, repeats):
    """Best of `repeats` rounds; each round creates, saves and loads in turn,
    so the three see the same state of the machine."""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "p.vrex")
        source = CoreCorvath()
        fill(source)
        assert PS.save_project(path, source)
        check = CoreCorvath()
        assert PS.load_project(path, check) and len(check.get_all_shape_ids()) == n
        create_s = save_s = load_s = float("inf")
        for _ in range(repeats):
            create_s = min(create_s, best_of(1, CoreCorvath, fill))
            save_s = min(save_s, best_of(1, lambda: None, lambda _: PS.save_project(path, source)))
            load_s = min(load_s, best_of(1, CoreCorvath, lambda m: PS.load_project(path, m)))
        row(label, n, create_s, save_s, load_s)


def parse_keys(n=160000):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "keys.vrex")
        text = json.dumps({"shapes": [], "pad": {f"k{i}": i for i in range(n)}})
        with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as zf:
            zf.writestr("project.json", text)
        t = best_of(3, CoreCorvath, lambda m: PS.load_project(path, m))
        t0 = time.perf_counter()
        json.loads(text)
        host = time.perf_counter() - t0
        print(f"{'one object of 160k keys':<22} load {t * 1e3:8.1f} ms   host json.loads {host * 1e3:8.1f} ms")


def main():
    print("== save and load against direct creation ==")
    measure("1,000 boxes", 1000, lambda m: create_boxes(m, 1000), 8)
    measure("10,000 boxes", 10000, lambda m: create_boxes(m, 10000), 3)
    with tempfile.TemporaryDirectory() as tmp:
        files = []
        for i in range(100):
            f = os.path.join(tmp, f"part{i}.step")
            d = Drulen()
            assert d.export_shapes_to_step([d.create_cylinder(5.0 + i * 0.01, 20.0)], f)
            files.append(f)
        measure("100 imported shapes", 100, lambda m: import_parts(m, files), 6)
    parse_keys()


if __name__ == "__main__":
    sys.exit(main())
