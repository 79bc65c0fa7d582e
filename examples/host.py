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


def main():
    records_round_trip()


if __name__ == "__main__":
    main()
