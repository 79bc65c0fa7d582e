"""The project file tests/data/placed.vrex and the measures of its shapes in
tests/data/placed.json, written once by this module's main and kept: loading
the file must give the same shapes whatever the placement code does now.

    PYTHONPATH=build/python python3 tests/python/placed_fixture.py
"""

import json
import os
import sys
import tempfile

from nimbal import kernel as k
from nimbal.enums import ShapeType
from nimbal.managers.corvath import CoreCorvath
from nimbal.models import quenby as q
from nimbal.services.ombrel import ProjectSerializer

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")
PROJECT = os.path.join(DATA, "placed.vrex")
MEASURES = os.path.join(DATA, "placed.json")

T = ShapeType


def shape_measure(shape):
    """Volume, area, length, bounding box, sub-shape counts, validity and the
    centre of each edge in map order (what stored edge indices pick)."""
    return {
        "volume": k.volume(shape), "area": k.area(shape), "length": k.length(shape),
        "bbox": list(k.bounding_box(shape)),
        "counts": [len(k.sub_shapes(shape, t)) for t in (k.TopAbs_SOLID, k.TopAbs_FACE, k.TopAbs_EDGE,
                                                          k.TopAbs_VERTEX)],
        "valid": k.is_valid(shape),
        "edges": [list(k.bounding_box(e)) for e in k.sub_shapes(shape, k.TopAbs_EDGE)],
    }


def measures(mgr):
    """The measures of every shape and component, depth first (components
    are renumbered on loading, so they are matched by position)."""
    out = []

    def walk(ms):
        out.append(dict(kind=str(ms.shape_type), **shape_measure(ms.shape)))
        for c in ms.components:
            walk(c)
    for sid in mgr.get_all_shape_ids():
        walk(mgr.get_shape(sid))
    return out


def fill(mgr, folder):
    """Shapes placed by rotation and translation, and results whose stored
    edge and vertex indices depend on the numbering of placed inputs."""
    rot = q.Rotation(x=30.0, y=-45.0, z=100.0)
    mv = q.Translation(x=12.5, y=-7.0, z=3.25)
    box = mgr.create_shape(T.BOX, q.BoxProperties(width=10.0, height=6.0, depth=4.0, rotation=rot, translation=mv))
    mgr.create_shape(T.CYLINDER, q.CylinderProperties(radius=3.0, height=8.0, rotation=q.Rotation(y=90.0),
                                                      translation=q.Translation(z=-20.0)))
    mgr.create_shape(T.TORUS, q.TorusProperties(rotation=q.Rotation(x=45.0, z=10.0)))
    f = mgr.create_shape(T.BOX, q.BoxProperties(width=20.0, height=10.0, depth=8.0, rotation=rot, translation=mv))
    mgr.fillet_shape(f.shape_id, q.FilletProperties(fillet_radius=1.5, edge_indices=[0, 3, 7, 10]))
    a = mgr.create_shape(T.BOX, q.BoxProperties(width=10.0, height=10.0, depth=10.0, rotation=q.Rotation(z=20.0)))
    b = mgr.create_shape(T.SPHERE, q.SphereProperties(radius=6.0, translation=q.Translation(x=5.0, y=3.0)))
    u = mgr.union_shapes([a.shape_id, b.shape_id])
    mgr.fillet_shape(u, q.FilletProperties(fillet_radius=0.5, edge_indices=[1, 2]))
    c = mgr.create_shape(T.BOX, q.BoxProperties(width=30.0, height=30.0, depth=5.0, rotation=q.Rotation(x=10.0)))
    d = mgr.create_shape(T.CYLINDER, q.CylinderProperties(radius=4.0, height=40.0, translation=q.Translation(x=6.0)))
    mgr.subtract_shapes([c.shape_id, d.shape_id])
    base = mgr.create_shape(T.BOX, q.BoxProperties(width=4.0, height=3.0, depth=2.0, rotation=q.Rotation(z=15.0),
                                                   translation=q.Translation(x=1.0)))
    arr = mgr.create_shape_array(base.shape_id, q.ArrayProperties(count_x=3, count_y=2, count_z=2, spacing_x=10.0,
                                                                  spacing_y=8.0, spacing_z=6.0))
    mgr.fillet_shape(arr, q.FilletProperties(fillet_radius=0.4, edge_indices=[0, 13, 30]))
    r = mgr.create_shape(T.RECTANGLE, q.RectangleProperties(width=20.0, height=12.0, rotation=q.Rotation(x=60.0),
                                                            translation=q.Translation(y=4.0)))
    mgr.corner_round_shape(r.shape_id, q.CornerRoundProperties(corner_radius=2.0, vertex_indices=[0, 2]))
    p = mgr.create_shape(T.POLYLINE, q.PolylineProperties(points=[(0, 0, 0), (30, 0, 0), (30, 20, 0), (0, 20, 5)],
                                                          closed=True, rotation=q.Rotation(y=30.0),
                                                          translation=q.Translation(z=2.0)))
    mgr.polyline_round_shape(p.shape_id, q.PolylineRoundProperties(corner_radius=3.0, vertex_indices=[1, 3]))
    e = mgr.create_shape(T.CIRCLE, q.CircleProperties(radius=5.0, rotation=q.Rotation(x=90.0)))
    mgr.extrude_shape(e.shape_id, q.ExtrudeProperties(depth=7.0))
    step = os.path.join(folder, "part.step")
    from nimbal.services.drulen import Drulen
    assert Drulen().export_shapes_to_step([Drulen().create_box(10.0, 20.0, 30.0)], step)
    mgr.import_shape(step, name="Part", properties=q.ImportedProperties(translation=q.Translation(x=-50.0),
                                                                        rotation=q.Rotation(x=15.0, y=25.0)))
    assert box is not None


def main():
    mgr = CoreCorvath()
    with tempfile.TemporaryDirectory() as folder:
        fill(mgr, folder)
    assert ProjectSerializer.save_project(PROJECT, mgr)
    with open(MEASURES, "w") as f:
        json.dump(measures(mgr), f)
    print(f"wrote {PROJECT} and {MEASURES}: {len(measures(mgr))} shapes")


if __name__ == "__main__":
    sys.exit(main())
