"""Timing of the sketch grid and plane service hot paths (run by hand, never by the tests).

    scripts/bench.sh sketch_grid
"""

import timeit

from nimbal.models.quenby import PlaneProperties
from nimbal.services.fandor import Fandor
from nimbal.services.ostrel import Ostrel


class Swapped(Fandor):
    def plane_local_axes(self, plane_props):
        u, v = super().plane_local_axes(plane_props)
        return v, u


def report(name, stmt, number):
    t = min(timeit.repeat(stmt, number=number, repeat=5)) / number
    print(f"{name:48s} {t * 1e3:9.3f} ms")


def main():
    plane = PlaneProperties(normal_x=0.0, normal_y=0.6, normal_z=0.8)
    grid, f, s = Ostrel(), Fandor(), Swapped()
    pts = [(i * 1.5, (i % 7) * 2.0) for i in range(200)]
    report("minor grid, capped (8002 edges)", lambda: grid.create_minor_grid(plane, 0.1), 3)
    report("minor grid, spacing 10 (202 edges)", lambda: grid.create_minor_grid(plane, 10), 50)
    report("snap_point x1000", lambda: [grid.snap_point(i * 0.37, i * 0.91, 2.0) for i in range(1000)], 20)
    report("local_to_world x1000", lambda: [f.local_to_world(plane, i, i) for i in range(1000)], 20)
    report("local_to_world x1000, Python frame override", lambda: [s.local_to_world(plane, i, i) for i in range(1000)], 20)
    report("polyline of 200 points", lambda: f.create_polyline_on_plane(plane, pts), 20)


if __name__ == "__main__":
    main()
