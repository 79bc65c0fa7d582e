"""A minimal headless host: what a GUI layer would do with nimbal, printed."""

import json

from nimbal.enums import ShapeType
from nimbal.models import quenby


def records_round_trip():
    print("== property records: dictionary form and back ==")
    records = [
        quenby.BoxProperties(width=80.0, translation=quenby.Translation(10.0, 0.0, 0.0)),
        quenby.CylinderProperties(radius=5.0, height=40.0, rotation=quenby.Rotation(x=90.0)),
        quenby.FilletProperties(fillet_radius=2.0, edge_indices=[0, 4]),
        quenby.PlaneProperties(source="custom", normal_x=1.0, normal_z=0.0),
        quenby.ArcProperties(plane_id="plane_1a2b3c4d", mid=(0.0, 25.0)),
    ]
    records[2].edge_indices.append(7)  # lists are the record's own
    for rec in records:
        data = rec.to_dict()
        text = json.dumps(data)
        back = type(rec).from_dict(json.loads(text))
        print(f"{type(rec).__name__}: {text}")
        print(f"  read back equal: {back == rec}")
    print(f"shape type from its value: {ShapeType('fillet')!r}, category {ShapeType.FILLET.category.name}")


def sketch_on_a_tilted_plane():
    print("== sketch elements on a tilted plane, in world coordinates ==")
    import math

    import nimbal.kernel as kernel
    from nimbal.services.fandor import Fandor
    from nimbal.services.ostrel import Ostrel

    c = 1 / math.sqrt(2)
    plane = quenby.PlaneProperties(source="custom", origin_x=10.0, origin_y=0.0, origin_z=5.0,
                                   normal_x=0.0, normal_y=-c, normal_z=c)
    fandor, grid = Fandor(), Ostrel()
    u_axis, v_axis = fandor.plane_local_axes(plane)
    print(f"u axis {u_axis}, v axis {v_axis}, view up {fandor.up_vector_for_normal(0.0, -c, c)}")

    def corners(shape):
        pts = [kernel.bounding_box(v)[:3] for v in kernel.sub_shapes(shape, kernel.TopAbs_VERTEX)]
        return ", ".join("(" + ", ".join(f"{x:.3f}" for x in p) + ")" for p in pts)

    rect = fandor.create_rectangle_on_plane(plane, 0.0, 0.0, 60.0, 40.0)
    print(f"rectangle: area {kernel.area(rect):.1f}, corners {corners(rect)}")
    circle = fandor.create_circle_on_plane(plane, *grid.snap_point(31.0, 19.0, 10.0), 10.0, filled=False)
    print(f"circle at snapped (30, 20): length {kernel.length(circle):.3f}, starts at {corners(circle)}")
    line = fandor.create_line_on_plane(plane, (0.0, 0.0), (30.0, 40.0))
    print(f"line: length {kernel.length(line):.1f}, ends {corners(line)}")
    poly = fandor.create_polyline_on_plane(plane, [(0, 0), (20, 0), (20, 20)], closed=True, filled=True)
    print(f"closed polyline face: area {kernel.area(poly):.1f}, corners {corners(poly)}")
    print(f"world (40, 14.142, 19.142) is local {fandor.world_to_local(plane, 40.0, 14.142, 19.142)}")
    minor = grid.create_minor_grid(plane, 10.0, 50.0)
    print(f"minor grid: {len(kernel.sub_shapes(minor, kernel.TopAbs_EDGE))} lines")


def main():
    records_round_trip()
    sketch_on_a_tilted_plane()


if __name__ == "__main__":
    main()
