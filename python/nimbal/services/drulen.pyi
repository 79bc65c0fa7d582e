# Generated from the built modules by scripts/stubs.sh; do not edit.
"""Geometry kernel service: modelling operations over the kernel."""

import logging
import nimbal.kernel
import typing
logger: logging.Logger

class DrulenProtocol(typing.Protocol):
    """The 24 operations the geometry manager calls on its kernel service.

        Drulen provides them all; a host may hand the manager any other object
        that does (a subclass of Drulen, or its own service). Every operation
        returns a new shape and leaves its inputs alone; the modelling ones give
        None where the kernel fails.
    """
    def create_box(self, width: float, height: float, depth: float, position: tuple[float, float, float] = ...) -> nimbal.kernel.TopoDS_Shape:
        """Box of the three extents centred on position."""
    def create_sphere(self, radius: float, center: tuple[float, float, float] = ...) -> nimbal.kernel.TopoDS_Shape:
        """Sphere of the radius about center."""
    def create_cylinder(self, radius: float, height: float, position: tuple[float, float, float] = ..., direction: tuple[float, float, float] = ...) -> nimbal.kernel.TopoDS_Shape:
        """Cylinder along direction whose axis midpoint is position."""
    def create_cone(self, radius1: float, radius2: float, height: float, position: tuple[float, float, float] = ..., direction: tuple[float, float, float] = ...) -> nimbal.kernel.TopoDS_Shape:
        """Cone (truncated when both radii are set) with its base centre at position."""
    def create_torus(self, major_radius: float, minor_radius: float, position: tuple[float, float, float] = ..., direction: tuple[float, float, float] = ...) -> nimbal.kernel.TopoDS_Shape:
        """Torus about position whose axis is direction."""
    def create_rectangle(self, width: float, height: float) -> nimbal.kernel.TopoDS_Shape:
        """Rectangular face in the XY plane centred on the origin."""
    def create_circle(self, radius: float) -> nimbal.kernel.TopoDS_Shape:
        """Disc face in the XY plane centred on the origin."""
    def translate_shape(self, shape: nimbal.kernel.TopoDS_Shape, dx: float, dy: float, dz: float) -> nimbal.kernel.TopoDS_Shape:
        """Copy of shape moved by (dx, dy, dz)."""
    def rotate_shape(self, shape: nimbal.kernel.TopoDS_Shape, axis_point: tuple[float, float, float], axis_direction: tuple[float, float, float], angle_degrees: float) -> nimbal.kernel.TopoDS_Shape:
        """Copy of shape turned by angle_degrees about the axis through axis_point."""
    def fuse_shapes(self, shape1: nimbal.kernel.TopoDS_Shape, shape2: nimbal.kernel.TopoDS_Shape) -> nimbal.kernel.TopoDS_Shape | None:
        """Union of the two shapes, or None."""
    def cut_shapes(self, shape1: nimbal.kernel.TopoDS_Shape, shape2: nimbal.kernel.TopoDS_Shape) -> nimbal.kernel.TopoDS_Shape | None:
        """shape1 with shape2 taken away, or None."""
    def unify_same_domain(self, shape: nimbal.kernel.TopoDS_Shape) -> nimbal.kernel.TopoDS_Shape | None:
        """shape with faces and edges of one surface or curve merged; shape itself when that fails."""
    def import_file(self, filename: str) -> nimbal.kernel.TopoDS_Shape | None:
        """Every root of a STEP or IGES file (chosen by suffix) in one shape, or None."""
    def export_shapes_to_step(self, shapes: typing.Iterable[nimbal.kernel.TopoDS_Shape], filename: str) -> bool:
        """Writes the shapes to one STEP file; True on success."""
    def export_shapes_to_iges(self, shapes: typing.Iterable[nimbal.kernel.TopoDS_Shape], filename: str) -> bool:
        """Writes the shapes to one IGES file; True on success."""
    def explode_to_faces(self, shape: nimbal.kernel.TopoDS_Shape) -> list[nimbal.kernel.TopoDS_Face]:
        """Independent copies of the faces of shape."""
    def create_array_compound(self, base_shape: nimbal.kernel.TopoDS_Shape, count: tuple[int, int, int], spacing: tuple[float, float, float]) -> nimbal.kernel.TopoDS_Shape:
        """Compound of copies of base_shape on a grid of count copies per axis, spacing apart."""
    def apply_fillet(self, shape: nimbal.kernel.TopoDS_Shape, radius: float, edge_indices: typing.Iterable[int] = ...) -> nimbal.kernel.TopoDS_Shape | None:
        """3D fillet of the edges by index (all when none is given), or None."""
    def apply_corner_round(self, shape: nimbal.kernel.TopoDS_Shape, radius: float, vertex_indices: typing.Iterable[int] = ...) -> nimbal.kernel.TopoDS_Shape | None:
        """Rounding of the corners by index of a planar face, or None."""
    def apply_polyline_round(self, shape: nimbal.kernel.TopoDS_Shape, radius: float, vertex_indices: typing.Iterable[int] = ...) -> nimbal.kernel.TopoDS_Shape | None:
        """Arcs put at the junctions by index of a polyline wire, or None."""
    def plane_params_for_standard(self, standard_plane: str) -> tuple[tuple[float, float, float], tuple[float, float, float]]:
        """(origin, normal) of the standard plane 'xy', 'xz' or 'yz'."""
    def plane_params_from_face(self, face_shape: nimbal.kernel.TopoDS_Shape) -> tuple[tuple[float, float, float], tuple[float, float, float]]:
        """(origin, normal) of the plane carrying a planar face."""
    def create_polyline(self, points: typing.Iterable[tuple[float, float, float]], closed: bool = ...) -> nimbal.kernel.TopoDS_Shape | None:
        """Wire of straight edges through the points, or None."""
    def extrude_shape(self, shape: nimbal.kernel.TopoDS_Shape, depth: float) -> nimbal.kernel.TopoDS_Shape | None:
        """Prism of a planar face or wire along its normal by depth, or None."""

class Drulen:
    """The geometry kernel service over the kernel; keeps no state.

    Every operation makes new shapes and leaves its inputs alone. Lengths are in
    model units, angles in degrees, points and directions (x, y, z). Failures
    follow one split:

    - the primitive builders, the transforms, create_array_compound and
      create_polyline let kernel failures through as KernelError (a wrong
      argument type is a TypeError);
    - plane_params_for_standard and plane_params_from_face raise ValueError;
    - every other operation catches its failure, logs it through this module's
      logger (error level with its traceback; warning for refused inputs and for
      unify_same_domain) and returns None, False, its input or the faces made so
      far.

    A subclass may override any operation; create_array_compound places its
    copies through the instance's own translate_shape.
    """
    def __init__(self) -> None: ...
    _STANDARD_PLANE_NORMALS: typing.ClassVar[dict[typing.Any, typing.Any]]
    @staticmethod
    def create_box(width: float, height: float, depth: float, position: tuple[float, float, float] = (0, 0, 0)) -> nimbal.kernel.TopoDS_Shape:
        """Box of the three extents centred on position."""
    @staticmethod
    def create_sphere(radius: float, center: tuple[float, float, float] = (0, 0, 0)) -> nimbal.kernel.TopoDS_Shape:
        """Sphere about center."""
    @staticmethod
    def create_cylinder(radius: float, height: float, position: tuple[float, float, float] = (0, 0, 0), direction: tuple[float, float, float] = (0, 0, 1)) -> nimbal.kernel.TopoDS_Shape:
        """Cylinder along direction whose axis midpoint is position."""
    @staticmethod
    def create_cone(radius1: float, radius2: float, height: float, position: tuple[float, float, float] = (0, 0, 0), direction: tuple[float, float, float] = (0, 0, 1)) -> nimbal.kernel.TopoDS_Shape:
        """Cone or truncated cone with its base centre at position."""
    @staticmethod
    def create_torus(major_radius: float, minor_radius: float, position: tuple[float, float, float] = (0, 0, 0), direction: tuple[float, float, float] = (0, 0, 1)) -> nimbal.kernel.TopoDS_Shape:
        """Torus about position with axis direction."""
    @staticmethod
    def create_rectangle(width: float, height: float) -> nimbal.kernel.TopoDS_Shape:
        """Rectangular face in the XY plane centred on the origin."""
    @staticmethod
    def create_circle(radius: float) -> nimbal.kernel.TopoDS_Shape:
        """Disc face in the XY plane centred on the origin."""
    @staticmethod
    def translate_shape(shape: nimbal.kernel.TopoDS_Shape, dx: float, dy: float, dz: float) -> nimbal.kernel.TopoDS_Shape:
        """Translated copy of shape."""
    @staticmethod
    def rotate_shape(shape: nimbal.kernel.TopoDS_Shape, axis_point: tuple[float, float, float], axis_direction: tuple[float, float, float], angle_degrees: float) -> nimbal.kernel.TopoDS_Shape:
        """Copy of shape rotated about the axis through axis_point."""
    @staticmethod
    def scale_shape(shape: nimbal.kernel.TopoDS_Shape, center: tuple[float, float, float], factor: float) -> nimbal.kernel.TopoDS_Shape:
        """Copy of shape scaled uniformly about center."""
    def create_array_compound(self, base_shape: nimbal.kernel.TopoDS_Shape, count: tuple[int, int, int], spacing: tuple[float, float, float]) -> nimbal.kernel.TopoDS_Shape:
        """Compound of copies of base_shape on a grid, each placed by this object's translate_shape."""
    @staticmethod
    def plane_params_for_standard(standard_plane: str) -> tuple[tuple[float, float, float], tuple[float, float, float]]:
        """(origin, normal) of the standard plane 'xy', 'xz' or 'yz'."""
    @staticmethod
    def plane_params_from_face(face_shape: nimbal.kernel.TopoDS_Shape | object) -> tuple[tuple[float, float, float], tuple[float, float, float]]:
        """(origin, normal) of the plane carrying a planar face."""
    @staticmethod
    def create_polyline(points: list[tuple[float, float, float]], closed: bool = False) -> nimbal.kernel.TopoDS_Shape | None:
        """Wire of straight edges through the points, or None."""
    @staticmethod
    def _fillet2d_face(face: nimbal.kernel.TopoDS_Shape, radius: float, target_vertices: typing.Iterable[nimbal.kernel.TopoDS_Shape]) -> nimbal.kernel.TopoDS_Shape | None: ...
    @staticmethod
    def _apply_corner_round_wire(wire: nimbal.kernel.TopoDS_Shape, radius: float, target_vertices: typing.Iterable[nimbal.kernel.TopoDS_Shape]) -> nimbal.kernel.TopoDS_Shape | None: ...
    @staticmethod
    def extrude_shape(shape: nimbal.kernel.TopoDS_Shape | None, depth: float) -> nimbal.kernel.TopoDS_Shape | None:
        """Prism of a planar face or wire along its normal, or None."""
    @staticmethod
    def fuse_shapes(shape1: nimbal.kernel.TopoDS_Shape, shape2: nimbal.kernel.TopoDS_Shape) -> nimbal.kernel.TopoDS_Shape | None:
        """Boolean union, or None."""
    @staticmethod
    def cut_shapes(shape1: nimbal.kernel.TopoDS_Shape, shape2: nimbal.kernel.TopoDS_Shape) -> nimbal.kernel.TopoDS_Shape | None:
        """shape1 with shape2 removed, or None."""
    @staticmethod
    def unify_same_domain(shape: nimbal.kernel.TopoDS_Shape | object) -> nimbal.kernel.TopoDS_Shape | None:
        """shape with its same-domain edges merged; shape itself when the kernel fails."""
    @staticmethod
    def intersect_shapes(shape1: nimbal.kernel.TopoDS_Shape, shape2: nimbal.kernel.TopoDS_Shape) -> nimbal.kernel.TopoDS_Shape | None:
        """Common part of the two, or None."""
    @staticmethod
    def explode_to_faces(shape: nimbal.kernel.TopoDS_Shape) -> list[nimbal.kernel.TopoDS_Face]:
        """Independent copies of the shape's faces (those made so far on a failure); one oriented INTERNAL or EXTERNAL faces forward."""
    @staticmethod
    def apply_fillet(shape: nimbal.kernel.TopoDS_Shape, radius: float, edge_indices: typing.Iterable[int] = ()) -> nimbal.kernel.TopoDS_Shape | None:
        """3D fillet of the chosen edges (all when none is chosen), or None.

        The kernel's fillet builder runs in the reader process: where it crashes, the failure is logged and None returned. Ctrl-C in the main thread stops it with KeyboardInterrupt.
        """
    @staticmethod
    def apply_corner_round(shape: nimbal.kernel.TopoDS_Shape, radius: float, vertex_indices: typing.Iterable[int] = ()) -> nimbal.kernel.TopoDS_Shape | None:
        """Rounding of the chosen corners of a planar face, or None.

        The kernel's 2D fillet runs in the reader process: where it crashes, the failure is logged and None returned.
        """
    @staticmethod
    def apply_polyline_round(shape: nimbal.kernel.TopoDS_Shape, radius: float, vertex_indices: typing.Iterable[int] = ()) -> nimbal.kernel.TopoDS_Shape | None:
        """Arcs inserted at the chosen junctions of a polyline wire, or None."""
    @staticmethod
    def export_step(shape: nimbal.kernel.TopoDS_Shape, filename: str) -> bool:
        """Writes one shape to a STEP file, as export_shapes_to_step does; True on success."""
    @staticmethod
    def _import_with_reader(reader: XSControl_Reader, filename: str, file_type: str) -> nimbal.kernel.TopoDS_Shape | None: ...
    @staticmethod
    def import_file(filename: str) -> nimbal.kernel.TopoDS_Shape | None:
        """One shape holding every root of a STEP or IGES file (chosen by suffix), or None.

        The file is read in a reader process of its own: a reader that crashes fails this import only (logged, None). Ctrl-C in the main thread stops the read within a second and raises KeyboardInterrupt; cancel_imports() from another thread, or the deadline set by set_import_deadline(), fails it (logged, None).
        """
    @staticmethod
    def cancel_imports() -> None:
        """Makes every import in progress, in any thread, fail as cancelled: logged, None returned."""
    @staticmethod
    def set_import_deadline(seconds: float | None) -> None:
        """The longest one import may take, in seconds, before it fails (logged, None); None, the default, waits for ever. Raises ValueError for a value that is not positive."""
    @staticmethod
    def export_iges(shape: nimbal.kernel.TopoDS_Shape, filename: str) -> bool:
        """Writes one shape to an IGES file, as export_shapes_to_iges does; True on success."""
    @staticmethod
    def export_shapes_to_iges(shapes: typing.Iterable[nimbal.kernel.TopoDS_Shape], filename: str) -> bool:
        """Writes all shapes to one IGES file, faces as trimmed surfaces; True on success. A link at filename is followed and an existing file keeps its mode; False with a warning when the file cannot be made."""
    def export_shapes_to_step(self, shapes: typing.Iterable[nimbal.kernel.TopoDS_Shape], filename: str) -> bool:
        """Writes all shapes to one STEP file (AP203, 3D curves only); True on success. False with an error logged when a face could not be written, with a warning when the file cannot be made. A link at filename is followed and an existing file keeps its mode; the kernel's exchange settings are put back."""

class XSControl_Reader:
    """A kernel file reader, as _import_with_reader takes it."""

class STEPControl_Reader(XSControl_Reader):
    """The kernel's STEP file reader."""
    def __init__(self) -> None:
        """A new STEP reader with nothing read yet."""

class IGESControl_Reader(XSControl_Reader):
    """The kernel's IGES file reader."""
    def __init__(self) -> None:
        """A new IGES reader with nothing read yet."""
