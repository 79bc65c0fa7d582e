"""Shared helpers of the project file tests: STEP files to import, a
geometry manager filled with one shape of every kind, and measures."""

import math
import os
import zipfile

from nimbal import kernel as k
from nimbal.enums import ShapeType, StandardPlane
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen


def step_file(tmp_path, name="part.step", size=(10.0, 20.0, 30.0)):
    path = str(tmp_path / name)
    assert Drulen().export_shapes_to_step([Drulen().create_box(*size)], path)
    return path


def measure(shape):
    """Volume, area and bounding box, rounded for comparison across a STEP
    round trip."""
    if shape is None:
        return None
    box = k.bounding_box(shape)
    return (round(k.volume(shape), 3), round(k.area(shape), 3), tuple(round(v, 4) for v in box))


def same_measure(a, b):
    if a is None or b is None:
        return a is b
    return all(math.isclose(x, y, rel_tol=1e-6, abs_tol=1e-3) for x, y in zip(a[:2] + a[2], b[:2] + b[2]))


def fill_every_kind(mgr, tmp_path):
    """One top-level shape of each kind, returned by label."""
    T = ShapeType
    out = {}
    out["box"] = mgr.create_shape(T.BOX, q.BoxProperties(width=10.0, height=20.0, depth=30.0,
                                                          translation=q.Translation(x=5.0)), (1.0, 0.0, 0.0), "Box A")
    out["sphere"] = mgr.create_shape(T.SPHERE, q.SphereProperties(radius=7.0), name="Ball")
    out["cylinder"] = mgr.create_shape(T.CYLINDER, q.CylinderProperties(radius=4.0, height=9.0,
                                                                        rotation=q.Rotation(x=90.0)))
    out["cone"] = mgr.create_shape(T.CONE, q.ConeProperties())
    out["torus"] = mgr.create_shape(T.TORUS, q.TorusProperties())
    out["rectangle"] = mgr.create_shape(T.RECTANGLE, q.RectangleProperties(width=30.0, height=10.0))
    out["circle"] = mgr.create_shape(T.CIRCLE, q.CircleProperties(radius=12.0))
    out["polyline"] = mgr.create_shape(T.POLYLINE, q.PolylineProperties(points=[(0, 0, 0), (40, 0, 0), (40, 30, 0)]))
    imp = mgr.import_shape(step_file(tmp_path, "u.step"), (0.2, 0.3, 0.4), name="Part",
                           properties=q.ImportedProperties(translation=q.Translation(y=100.0),
                                                           rotation=q.Rotation(z=30.0)))
    b2 = mgr.create_shape(T.BOX, q.BoxProperties(width=5.0, height=5.0, depth=50.0))
    out["union"] = mgr.get_shape(mgr.union_shapes([imp.shape_id, b2.shape_id]))
    a = mgr.create_shape(T.BOX, q.BoxProperties())
    b = mgr.create_shape(T.CYLINDER, q.CylinderProperties(radius=10.0, height=100.0))
    out["subtraction"] = mgr.get_shape(mgr.subtract_shapes([a.shape_id, b.shape_id]))
    base = mgr.create_shape(T.BOX, q.BoxProperties(width=10.0, height=10.0, depth=10.0))
    out["array"] = mgr.get_shape(mgr.create_shape_array(base.shape_id, q.ArrayProperties(count_x=3, spacing_x=20.0)))
    base = mgr.create_shape(T.BOX, q.BoxProperties())
    out["fillet"] = mgr.get_shape(mgr.fillet_shape(base.shape_id, q.FilletProperties(fillet_radius=2.0,
                                                                                    edge_indices=[0, 1])))
    base = mgr.create_shape(T.RECTANGLE, q.RectangleProperties())
    out["corner_round"] = mgr.get_shape(mgr.corner_round_shape(base.shape_id,
                                                               q.CornerRoundProperties(corner_radius=5.0)))
    base = mgr.create_shape(T.POLYLINE, q.PolylineProperties(points=[(0, 0, 0), (40, 0, 0), (40, 30, 0)]))
    out["polyline_round"] = mgr.get_shape(mgr.polyline_round_shape(base.shape_id,
                                                                   q.PolylineRoundProperties(corner_radius=5.0)))
    base = mgr.create_shape(T.CIRCLE, q.CircleProperties(radius=5.0))
    out["extrude"] = mgr.get_shape(mgr.extrude_shape(base.shape_id, q.ExtrudeProperties(depth=15.0)))
    # A fillet of a union of an extruded rectangle and a box.
    r = mgr.create_shape(T.RECTANGLE, q.RectangleProperties(width=20.0, height=20.0))
    ext = mgr.extrude_shape(r.shape_id, q.ExtrudeProperties(depth=20.0))
    bx = mgr.create_shape(T.BOX, q.BoxProperties(width=10.0, height=10.0, depth=40.0))
    un = mgr.union_shapes([ext, bx.shape_id])
    out["nested"] = mgr.get_shape(mgr.fillet_shape(un, q.FilletProperties(fillet_radius=1.0, edge_indices=[2])))
    out["plane"] = mgr.create_plane_from_standard(StandardPlane.XZ)
    for label, ms in out.items():
        assert ms is not None, label
    mgr.rename_shape(out["nested"].shape_id, "Nested thing")
    mgr.update_shape_color(out["nested"].shape_id, (0.1, 0.9, 0.5))
    return out


def tree(ms):
    """Kind, name, colour and measure of a shape and its components."""
    return (ms.shape_type, ms.name, tuple(ms.color), measure(ms.shape), [tree(c) for c in ms.components])


def same_tree(a, b):
    return (a[0] == b[0] and a[1] == b[1] and all(math.isclose(x, y) for x, y in zip(a[2], b[2]))
            and same_measure(a[3], b[3]) and len(a[4]) == len(b[4])
            and all(same_tree(x, y) for x, y in zip(a[4], b[4])))


def write_project(path, description, extra=()):
    """A container written by the host's own zipfile: text or bytes for
    project.json (None: no such entry), then (name, bytes) entries."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as zf:
        if description is not None:
            zf.writestr("project.json", description)
        for name, data in extra:
            zf.writestr(name, data)
    return str(path)


def step_entries_only(path):
    """Rewrites a saved project as a file of another writer: its native
    copies (".bin" entries) taken out, the STEP entries and project.json kept."""
    with zipfile.ZipFile(path) as zf:
        entries = [(i.filename, zf.read(i)) for i in zf.infolist() if not i.filename.endswith(".bin")]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as zf:
        for name, data in entries:
            zf.writestr(name, data)
    return str(path)


def listing(folder):
    return sorted(os.listdir(folder))
