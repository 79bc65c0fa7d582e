"""Writes the fuzz seed corpus: project files saved by the project itself
(every kind of shape, nested shapes, a sketch, an empty project)."""

import pathlib
import re
import sys
import tempfile
import zipfile

from ombrel_fixtures import fill_every_kind
from nimbal.enums import ShapeType as T
from nimbal.enums import StandardPlane
from nimbal.managers.corvath import CoreCorvath
from nimbal.managers.tessik import CoreTessik
from nimbal.models import quenby as q
from nimbal.services.ombrel import ProjectSerializer as PS


def main(folder):
    out = pathlib.Path(folder)
    out.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        PS.save_project(str(out / "empty.vrex"), CoreCorvath())

        mgr = CoreCorvath()
        fill_every_kind(mgr, pathlib.Path(tmp))
        PS.save_project(str(out / "every_kind.vrex"), mgr)

        mgr = CoreCorvath()
        a = mgr.create_shape(T.BOX, q.BoxProperties(width=10.0, height=10.0, depth=10.0))
        b = mgr.create_shape(T.SPHERE, q.SphereProperties(radius=6.0))
        u = mgr.union_shapes([a.shape_id, b.shape_id])
        arr = mgr.create_shape_array(u, q.ArrayProperties(count_x=2, count_y=2, spacing_x=30.0, spacing_y=30.0))
        mgr.create_shape_array(arr, q.ArrayProperties(count_x=2, spacing_x=100.0))
        PS.save_project(str(out / "nested.vrex"), mgr)

        mgr = CoreCorvath()
        plane = mgr.create_plane_from_standard(StandardPlane.XY)
        sk = CoreTessik(plane.shape_id, plane.properties)
        r = sk.create_rectangle(0.0, 0.0, 20.0, 10.0)
        c = sk.create_circle(5.0, 5.0, 3.0)
        sk.union_shapes([r.shape_id, c.shape_id])
        sk.create_line((0.0, 0.0), (30.0, 30.0))
        sk.create_sketch_polyline([(0.0, 0.0), (10.0, 0.0), (10.0, 10.0)], closed=True)
        mgr.restore_sketch("sketch_seed", q.SketchProperties(plane_id=plane.shape_id), sk)
        PS.save_project(str(out / "sketch.vrex"), mgr)
    # The same descriptions as text seeds (a first byte that is odd); their
    # STEP entries all go by one name in the fuzz target's container.
    for f in sorted(out.glob("*.vrex")):
        with zipfile.ZipFile(f) as zf:
            text = zf.read("project.json")
        text = re.sub(rb'"shapes/[^"]*\.step"', b'"shapes/imported_1.step"', text)
        (out / (f.stem + ".json")).write_bytes(b"\x01" + text)
    print(f"{len(list(out.iterdir()))} seeds in {out}")


if __name__ == "__main__":
    main(sys.argv[1])
