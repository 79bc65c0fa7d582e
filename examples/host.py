"""A minimal headless host: what a GUI layer would do with nimbal, printed."""

import contextlib
import json
import os
import tempfile
import typing

import nimbal.kernel
from nimbal.enums import ShapeType
from nimbal.managers.corvath import ManagedShape
from nimbal.models import quenby

T = typing.TypeVar("T")


def present(value: T | None) -> T:
    """The result of an operation that reports its failure as None; here it must not fail."""
    assert value is not None
    return value


def bounds(shape: nimbal.kernel.TopoDS_Shape | None) -> tuple[float, float, float, float, float, float]:
    return present(nimbal.kernel.bounding_box(present(shape)))


def records_round_trip() -> None:
    print("== property records: dictionary form and back ==")
    records: list[quenby.Quenby] = [
        quenby.BoxProperties(width=80.0, translation=quenby.Translation(10.0, 0.0, 0.0)),
        quenby.CylinderProperties(radius=5.0, height=40.0, rotation=quenby.Rotation(x=90.0)),
        quenby.FilletProperties(fillet_radius=2.0, edge_indices=[0, 4]),
        quenby.PlaneProperties(source="custom", normal_x=1.0, normal_z=0.0),
        quenby.ArcProperties(plane_id="plane_1a2b3c4d", mid=(0.0, 25.0)),
    ]
    fillet = records[2]
    assert isinstance(fillet, quenby.FilletProperties)
    fillet.edge_indices.append(7)  # lists are the record's own
    for rec in records:
        data = rec.to_dict()
        text = json.dumps(data)
        back = type(rec).from_dict(json.loads(text))
        print(f"{type(rec).__name__}: {text}")
        print(f"  read back equal: {back == rec}")
    print(f"shape type from its value: {ShapeType('fillet')!r}, category {ShapeType.FILLET.category.name}")


def sketch_on_a_tilted_plane() -> None:
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

    def corners(shape: kernel.TopoDS_Shape | None) -> str:
        pts = [bounds(v)[:3] for v in kernel.sub_shapes(present(shape), kernel.TopAbs_VERTEX)]
        return ", ".join("(" + ", ".join(f"{x:.3f}" for x in p) + ")" for p in pts)

    rect = fandor.create_rectangle_on_plane(plane, 0.0, 0.0, 60.0, 40.0)
    print(f"rectangle: area {kernel.area(rect):.1f}, corners {corners(rect)}")
    circle = fandor.create_circle_on_plane(plane, *grid.snap_point(31.0, 19.0, 10.0), 10.0, filled=False)
    print(f"circle at snapped (30, 20): length {kernel.length(circle):.3f}, starts at {corners(circle)}")
    line = fandor.create_line_on_plane(plane, (0.0, 0.0), (30.0, 40.0))
    print(f"line: length {kernel.length(present(line)):.1f}, ends {corners(line)}")
    poly = fandor.create_polyline_on_plane(plane, [(0, 0), (20, 0), (20, 20)], closed=True, filled=True)
    print(f"closed polyline face: area {kernel.area(present(poly)):.1f}, corners {corners(poly)}")
    print(f"world (40, 14.142, 19.142) is local {fandor.world_to_local(plane, 40.0, 14.142, 19.142)}")
    minor = grid.create_minor_grid(plane, 10.0, 50.0)
    print(f"minor grid: {len(kernel.sub_shapes(minor, kernel.TopAbs_EDGE))} lines")


def kernel_service(out_dir: str) -> None:
    print("== kernel service: build, transform, combine, export ==")
    import nimbal.kernel as kernel
    from nimbal.services.drulen import Drulen

    geo = Drulen()
    box = geo.create_box(40.0, 40.0, 20.0)
    pin = geo.rotate_shape(geo.create_cylinder(5.0, 60.0), (0, 0, 0), (1, 0, 0), 90.0)
    moved = geo.translate_shape(box, 0.0, 0.0, 10.0)
    part = present(geo.unify_same_domain(present(geo.cut_shapes(moved, pin))))
    print(f"box {kernel.volume(box):.1f}, moved to z {bounds(moved)[2]:.1f}..{bounds(moved)[5]:.1f}")
    print(f"box minus pin: volume {kernel.volume(part):.1f}, "
          f"{len(kernel.sub_shapes(part, kernel.TopAbs_FACE))} faces, valid {kernel.is_valid(part)}")
    path = os.path.join(out_dir, "parts.step")
    print(f"export of two shapes to STEP: {geo.export_shapes_to_step([part, pin], path)}, "
          f"read back volume {kernel.volume(present(geo.import_file(path))):.1f}")


class PrintingHost:
    """Mixed into the manager: prints every hook the manager calls."""

    def _notify_shape_created(self, shape_id: str, ms: ManagedShape) -> None:
        print(f"  created  {ms.name} ({shape_id})")

    def _notify_shape_updated(self, shape_id: str, ms: ManagedShape) -> None:
        print(f"  updated  {ms.name}")

    def _notify_shape_removed(self, shape_id: str) -> None:
        print(f"  removed  {shape_id}")

    def _notify_all_cleared(self) -> None:
        print("  all cleared")

    def _notify_undo_redo_changed(self, can_undo: bool, can_redo: bool) -> None:
        print(f"  undo {'on' if can_undo else 'off'}, redo {'on' if can_redo else 'off'}")

    def _notify_operation_failed(self, operation: str, message: str) -> None:
        print(f"  FAILED   {operation}: {message}")

    @contextlib.contextmanager
    def _operation(self, message: str) -> typing.Iterator[None]:
        print(f"  [{message}]")
        yield


def manager(out_dir: str) -> None:
    print("== geometry manager: a small part with undo and redo ==")
    import nimbal.kernel as kernel
    from nimbal.enums import StandardPlane
    from nimbal.managers.corvath import CoreCorvath
    from nimbal.services.drulen import Drulen

    class Host(PrintingHost, CoreCorvath):
        pass

    host = Host()
    print("create a plane, a box and a cylinder:")
    host.create_plane_from_standard(StandardPlane.XY)
    box = present(host.create_shape(ShapeType.BOX, quenby.BoxProperties(width=40.0, height=40.0, depth=20.0)))
    cyl = present(host.create_shape(ShapeType.CYLINDER, quenby.CylinderProperties(radius=8.0, height=40.0)))
    print("box minus cylinder, filleted, arrayed:")
    cut = present(host.subtract_shapes([box.shape_id, cyl.shape_id]))
    fillet = present(host.fillet_shape(cut, quenby.FilletProperties(fillet_radius=2.0)))
    array = present(host.create_shape_array(fillet, quenby.ArrayProperties(count_x=3, count_y=2, spacing_x=60.0,
                                                                           spacing_y=60.0)))
    shape = present(host.get_shape(array)).shape
    print(f"array: volume {kernel.volume(present(shape)):.1f}, bounds {tuple(round(c, 1) for c in bounds(shape))}")
    print("a failure is reported, not raised:")
    host.create_shape(ShapeType.BOX, quenby.BoxProperties(width=0.0))
    print(f"undo '{host._undo_stack[-1].description}':")
    host.undo()
    print(f"top level now {[present(host.get_shape(i)).name for i in host.get_all_shape_ids()]}")
    print("redo:")
    host.redo()
    print(f"top level now {[present(host.get_shape(i)).name for i in host.get_all_shape_ids()]}")
    for fmt in ("step", "iges"):
        path = os.path.join(out_dir, f"part.{fmt}")
        print(f"export to {fmt.upper()}:")
        ok = getattr(host, f"export_shapes_to_{fmt}")(path)
        back = present(Drulen().import_file(path))
        print(f"  written {ok}, read back: volume {kernel.volume(back):.1f}, area {kernel.area(back):.1f}")


def sketch_manager() -> None:
    print("== sketch manager: elements on a plane, a union, undo and redo ==")
    import nimbal.kernel as kernel
    from nimbal.managers.tessik import CoreTessik

    class SketchHost(CoreTessik):
        def _notify_shape_created(self, shape_id: str, ms: ManagedShape) -> None:
            print(f"  created  {ms.name} ({shape_id})")

        def _notify_shape_updated(self, shape_id: str, ms: ManagedShape) -> None:
            print(f"  updated  {ms.name} ({shape_id})")

        def _notify_shape_removed(self, shape_id: str) -> None:
            print(f"  removed  {shape_id}")

        def _notify_all_cleared(self) -> None:
            print("  cleared")

        def _notify_undo_redo_changed(self, can_undo: bool, can_redo: bool) -> None:
            print(f"  undo {can_undo}, redo {can_redo}")

    plane = quenby.PlaneProperties(origin_z=10.0)
    sketch = SketchHost("plane_1", plane)
    print("a rectangle, a circle and a line:")
    rect = present(sketch.create_rectangle(0.0, 0.0, 60.0, 40.0))
    circle = present(sketch.create_circle(60.0, 20.0, radius=15.0))
    sketch.create_line((0.0, -10.0), (60.0, -10.0))
    print("rectangle and circle united:")
    union = present(sketch.get_shape(present(sketch.union_shapes([rect.shape_id, circle.shape_id]))))
    print(f"{union.name}: area {kernel.area(present(union.shape)):.1f}, "
          f"bounds {tuple(round(c, 1) for c in bounds(union.shape))}")
    print(f"undo '{present(sketch._undo_redo.peek_last()).description}':")
    sketch.undo()
    print("redo:")
    sketch.redo()
    shapes = [present(sketch.get_shape(i)) for i in sketch.get_all_shape_ids()]
    top = [ms.name for ms in shapes if ms.parent_id is None]
    print(f"top level now {top}, {len(sketch.get_all_shape_ids())} records in all")

    print("the sketch committed to a geometry manager, extruded, edited, recommitted:")
    from nimbal.enums import StandardPlane
    from nimbal.managers.corvath import CoreCorvath

    part = CoreCorvath()
    xy = present(part.create_plane_from_standard(StandardPlane.XY))
    xy_props = xy.properties
    assert isinstance(xy_props, quenby.PlaneProperties)
    drawing = SketchHost(xy.shape_id, xy_props)
    profile = present(drawing.create_rectangle(0.0, 0.0, 60.0, 40.0))
    drawing.create_circle(100.0, 20.0, radius=15.0)
    sk = present(part.create_sketch(xy.shape_id))
    committed = part.commit_sketch(sk.shape_id, drawing)
    sketch_ms = present(part.get_shape(sk.shape_id))
    print(f"  committed: {committed}, {len(sketch_ms.components)} elements, "
          f"area {kernel.area(present(sketch_ms.shape)):.1f}")
    ext = present(part.get_shape(present(part.extrude_shape(sk.shape_id, quenby.ExtrudeProperties(depth=10.0)))))
    print(f"  {ext.name}: volume {kernel.volume(present(ext.shape)):.1f}")
    drawing.update_shape(profile.shape_id, quenby.RectangleProperties(width=30.0, height=40.0))
    part.commit_sketch(sk.shape_id, drawing)
    print(f"  after the edit and a second commit: volume {kernel.volume(present(ext.shape)):.1f}")
    steps = []
    while part.can_undo:
        steps.append(part._undo_stack[-1].description)
        part.undo()
    print(f"  undone {steps}: {len(part._shapes)} shapes left")


def offscreen_view(out_dir: str) -> None:
    print("== 3D view: shapes and a plane offscreen, saved as an image ==")
    if not os.environ.get("DISPLAY"):
        print("skipped: no X server (DISPLAY is not set; try xvfb-run)")
        return
    from nimbal import kernel as k
    from nimbal.enums import DisplayMode, ViewDirection
    from nimbal.services.drulen import Drulen
    from nimbal.services.lumbra import Lumbra

    display = k.Aspect_DisplayConnection()
    viewer = k.V3d_Viewer(k.OpenGl_GraphicDriver(display))
    viewer.SetDefaultLights()
    viewer.SetLightOn()
    view = viewer.CreateView()
    window = k.Xw_Window(display, "nimbal", 0, 0, 640, 480)
    window.SetVirtual(True)  # rendered offscreen, never mapped
    view.SetWindow(window)
    context = k.AIS_InteractiveContext(viewer)

    lumbra = Lumbra(view, viewer, context)
    lumbra.set_background_gradient((0.85, 0.9, 1.0), (1.0, 1.0, 1.0))
    lumbra.setup_initial_view()
    lumbra.set_display_mode(DisplayMode.BOTH)
    kernel = Drulen()
    lumbra.display_shape(kernel.create_box(40.0, 30.0, 20.0), "box_1", (0.8, 0.2, 0.2))
    sphere = kernel.create_sphere(12.0, (60.0, 15.0, 10.0))
    lumbra.display_shape(sphere, "sphere_1", (0.2, 0.5, 0.9))
    lumbra.display_plane("plane_1", (0.0, 0.0, 0.0), (0.0, 0.0, 1.0))
    lumbra.set_projection(ViewDirection.ISO)
    lumbra.fit_all()
    lumbra.update_plane_display_sizes()
    lumbra.redraw()
    path = os.path.join(out_dir, "view.png")
    ok = view.Dump(path)
    print(f"shapes {lumbra.get_shape_count()}, objects in the context {len(context.DisplayedObjects())}")
    print(f"image written: {ok}, {os.path.getsize(path) if ok else 0} bytes")

    # Selection over the same context: hover the box's top face, then pick
    # two of its edges by index as a fillet dialog would show them.
    from nimbal.enums import SelectionMode
    from nimbal.services.pikalo import Pikalo

    pikalo = Pikalo(context)
    pikalo.set_mode(SelectionMode.VOLUME)
    x, y = view.Convert(20.0, 15.0, 20.0)
    pikalo.move_to(x, y, view)
    print(f"hovered at pixel ({x}, {y}): {pikalo.get_hovered_shape_id(lumbra)}")
    box_info = lumbra.get_shape_info("box_1")
    if box_info is None:  # None for an id the view does not show
        return
    pikalo.set_mode(SelectionMode.EDGE)
    pikalo.select_edges_by_index(box_info.ais_shape, box_info.ais_shape.Shape(), [3, 0])
    edges = pikalo.get_selected_subshapes()
    print(f"edges selected by index: {pikalo.get_selected_edge_indices(box_info.ais_shape.Shape())}, "
          f"lengths {sorted(k.length(e) for e in edges)}")


def wired_view(out_dir: str) -> None:
    print("== a view wired to the manager's hooks: a project loaded, shown with one redraw ==")
    if not os.environ.get("DISPLAY"):
        print("skipped: no X server (DISPLAY is not set; try xvfb-run)")
        return
    from nimbal import kernel as k
    from nimbal.enums import StandardPlane
    from nimbal.managers.corvath import CoreCorvath
    from nimbal.services.lumbra import Lumbra
    from nimbal.services.ombrel import ProjectSerializer

    class ViewHost(CoreCorvath):
        """Each hook calls the view; nothing redraws until the operation is over."""

        def __init__(self, lumbra: Lumbra) -> None:
            super().__init__()
            self.lumbra = lumbra

        def show(self, shape_id: str, ms: ManagedShape) -> None:
            props = ms.properties
            if isinstance(props, quenby.PlaneProperties):  # a plane has no kernel shape
                self.lumbra.display_plane(shape_id, (props.origin_x, props.origin_y, props.origin_z),
                                          (props.normal_x, props.normal_y, props.normal_z), update=False)
            elif ms.shape is not None:  # display_shape replaces what the id showed
                self.lumbra.display_shape(ms.shape, shape_id, ms.color, update=False)
            else:
                self.lumbra.erase_shape(shape_id, update=False)

        def _notify_shape_created(self, shape_id: str, ms: ManagedShape) -> None:
            self.show(shape_id, ms)

        def _notify_shape_updated(self, shape_id: str, ms: ManagedShape) -> None:
            self.show(shape_id, ms)

        def _notify_shape_removed(self, shape_id: str) -> None:
            if self.lumbra.get_plane_ais(shape_id) is not None:
                self.lumbra.erase_plane(shape_id, update=False)
            else:
                self.lumbra.erase_shape(shape_id, update=False)

        def _notify_all_cleared(self) -> None:
            self.lumbra.erase_all()

    display = k.Aspect_DisplayConnection()
    viewer = k.V3d_Viewer(k.OpenGl_GraphicDriver(display))
    view = viewer.CreateView()
    window = k.Xw_Window(display, "nimbal", 0, 0, 320, 240)
    window.SetVirtual(True)
    view.SetWindow(window)
    lumbra = Lumbra(view, viewer, k.AIS_InteractiveContext(viewer))
    lumbra.setup_initial_view()

    part = CoreCorvath()
    part.create_plane_from_standard(StandardPlane.XY)
    for x in (0.0, 50.0, 100.0):
        part.create_shape(ShapeType.BOX, quenby.BoxProperties(translation=quenby.Translation(x, 0.0, 0.0)))
    path = os.path.join(out_dir, "wired.vrex")
    ProjectSerializer.save_project(path, part)

    host = ViewHost(lumbra)
    print(f"loaded: {ProjectSerializer.load_project(path, host)}")
    lumbra.fit_all()
    lumbra.update_plane_display_sizes()
    lumbra.redraw()  # once, after the operation
    planes = [i for i in host.get_all_shape_ids() if lumbra.get_plane_ais(i) is not None]
    print(f"shown: {lumbra.get_shape_count()} shapes and {len(planes)} plane")
    first = host.get_all_shape_ids()[-1]
    host.remove_shape(first)
    lumbra.redraw()
    print(f"after removing one: {lumbra.get_shape_count()} shapes; undo brings it back:")
    host.undo()
    lumbra.redraw()
    print(f"  {lumbra.get_shape_count()} shapes")


def project_file(out_dir: str) -> None:
    print("== project file: a part saved to a .vrex and loaded into a fresh manager ==")
    import zipfile

    import nimbal.kernel as kernel
    from nimbal.enums import StandardPlane
    from nimbal.managers.corvath import CoreCorvath
    from nimbal.services.ombrel import ProjectSerializer

    part = CoreCorvath()
    part.create_plane_from_standard(StandardPlane.XY)
    box = present(part.create_shape(ShapeType.BOX, quenby.BoxProperties(width=40.0, height=40.0, depth=20.0)))
    cyl = present(part.create_shape(ShapeType.CYLINDER, quenby.CylinderProperties(radius=8.0, height=40.0)))
    cut = present(part.subtract_shapes([box.shape_id, cyl.shape_id]))
    part.fillet_shape(cut, quenby.FilletProperties(fillet_radius=2.0))
    step = os.path.join(out_dir, "bolt.step")
    part.export_shape_to_step(cyl.shape_id, step)
    part.import_shape(step, (0.9, 0.6, 0.1), quenby.ImportedProperties(translation=quenby.Translation(x=60.0)), "Bolt")
    path = os.path.join(out_dir, "part.vrex")
    saved = ProjectSerializer.save_project(path, part)
    with zipfile.ZipFile(path) as zf:
        print(f"saved: {saved}, entries {zf.namelist()}")
    fresh = CoreCorvath()
    print(f"loaded: {ProjectSerializer.load_project(path, fresh)}")

    def described(mgr: CoreCorvath) -> list[tuple[str, str, float | None]]:
        """Type, name and measured volume of each top-level shape, in order."""
        out: list[tuple[str, str, float | None]] = []
        for sid in mgr.get_all_shape_ids():
            ms = present(mgr.get_shape(sid))
            volume = None if ms.shape is None else round(kernel.volume(ms.shape), 3)
            out.append((ms.shape_type.value, ms.name, volume))
        return out

    before, after = described(part), described(fresh)
    for i, (kind, name, volume) in enumerate(after):
        was = before[i][2] if i < len(before) else "nothing"
        size = "no geometry" if volume is None else f"volume {volume:.1f} (saved {was})"
        print(f"  {name} ({kind}): {size}")
    print(f"loaded matches saved (types, names, volumes): {after == before}")


def main() -> None:
    records_round_trip()
    sketch_on_a_tilted_plane()
    sketch_manager()
    with tempfile.TemporaryDirectory() as out_dir:
        kernel_service(out_dir)
        manager(out_dir)
        project_file(out_dir)
        offscreen_view(out_dir)
        wired_view(out_dir)


if __name__ == "__main__":
    main()
