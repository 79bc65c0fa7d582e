# Generated from the built modules by scripts/stubs.sh; do not edit.
"""Project files: saving and loading a whole project as a ZIP container."""

import nimbal.enums
import nimbal.managers.corvath
import nimbal.managers.tessik
import os
import typing

class ProjectSerializer:
    """Saves and loads a geometry manager's whole registry as a project file."""
    def __init__(self) -> None: ...
    FORMAT_VERSION: typing.ClassVar[str]
    @classmethod
    def save_project(cls, filepath: str | bytes | os.PathLike[str], corvath: nimbal.managers.corvath.CoreCorvath) -> bool:
        """Writes every shape of corvath to a project file (a ZIP container).

        Args:
            filepath: Where to write (str, bytes or path-like). The file is written
                whole or not at all: an existing file is replaced only on success.
            corvath: The geometry manager whose registry is saved; it is not changed.

        Returns:
            True when the whole file was written; False on any ordinary error, a
            corvath that is no CoreCorvath included. The error is logged on the root
            logger at error level, without a traceback, as "Failed to save project
            '<filepath>': <error>". Errors such as KeyboardInterrupt pass through.
        """
    @classmethod
    def load_project(cls, filepath: str | bytes | os.PathLike[str], corvath: nimbal.managers.corvath.CoreCorvath) -> bool:
        """Replaces the shapes of corvath with those of a project file.

        Args:
            filepath: The file to read (str, bytes or path-like).
            corvath: The geometry manager to load into.

        Returns:
            True when every shape object of the file was handed to the rebuild; False
            on any ordinary error. The error is logged on the root logger at error
            level, without a traceback, as "Failed to load project '<filepath>':
            <error>".

        After the description is read and checked, corvath.clear_all() runs (it calls
        _notify_undo_redo_changed, _notify_all_cleared); each shape is then rebuilt
        through the manager's own operations, with their hooks (_notify_shape_created
        and the rest). A shape whose rebuild makes nothing (an unreadable STEP entry)
        is reported through _notify_operation_failed and skipped; the load goes on.
        A successful load starts a fresh history: the undo and redo stacks are
        emptied at the end (a last _notify_undo_redo_changed), so no "Clear all" is
        left to undo and the model as loaded is the base. Solids, imported shapes and
        the shapes built on them get new ids; reference planes and sketches keep the
        ids they were saved with.

        A load that fails leaves corvath as it was: a file that cannot be read,
        parsed or passes no bound changes nothing and calls no hook. One that fails
        while rebuilding (an unknown kind, a refused property, an error raised by the
        kernel or by a hook) puts the registry back (the same objects, ids, names,
        records and geometry) with both undo stacks as they were, then calls
        _notify_all_cleared(), _notify_shape_created(id, shape) for each top-level
        shape in registry order and _notify_undo_redo_changed(can_undo, can_redo),
        so a host that shows what these hooks say shows the model it had. A hook
        that raises during that replay is logged; the replay goes on. Overrides of the
        ``_deserialize_*`` class methods in a subclass are not called.
        """
    @classmethod
    def _serialize_managed_shape(cls, managed_shape: nimbal.managers.corvath.ManagedShape, step_files: dict[typing.Any, typing.Any], corvath: nimbal.managers.corvath.CoreCorvath) -> typing.Any: ...
    @classmethod
    def _export_shape_to_bytes(cls, managed_shape: nimbal.managers.corvath.ManagedShape, corvath: nimbal.managers.corvath.CoreCorvath) -> bytes | None: ...
    @classmethod
    def _deserialize_shape(cls, data: typing.Any, corvath: nimbal.managers.corvath.CoreCorvath, zf: typing.Any) -> str | None: ...
    @classmethod
    def _deserialize_plane(cls, data: typing.Any, color: tuple[float, float, float], name: str | None, properties_data: typing.Any, corvath: nimbal.managers.corvath.CoreCorvath) -> str | None: ...
    @classmethod
    def _deserialize_sketch(cls, data: typing.Any, color: tuple[float, float, float], name: str | None, properties_data: typing.Any, corvath: nimbal.managers.corvath.CoreCorvath, zf: typing.Any) -> str | None: ...
    @classmethod
    def _deserialize_boolean(cls, data: typing.Any, shape_type: nimbal.enums.ShapeType, color: tuple[float, float, float], name: str | None, properties_data: typing.Any, corvath: nimbal.managers.corvath.CoreCorvath, zf: typing.Any) -> str | None: ...
    @classmethod
    def _deserialize_array(cls, data: typing.Any, color: tuple[float, float, float], name: str | None, properties_data: typing.Any, corvath: nimbal.managers.corvath.CoreCorvath, zf: typing.Any) -> str | None: ...
    @classmethod
    def _deserialize_fillet(cls, data: typing.Any, color: tuple[float, float, float], name: str | None, properties_data: typing.Any, corvath: nimbal.managers.corvath.CoreCorvath, zf: typing.Any) -> str | None: ...
    @classmethod
    def _deserialize_corner_round(cls, data: typing.Any, color: tuple[float, float, float], name: str | None, properties_data: typing.Any, corvath: nimbal.managers.corvath.CoreCorvath, zf: typing.Any) -> str | None: ...
    @classmethod
    def _deserialize_polyline_round(cls, data: typing.Any, color: tuple[float, float, float], name: str | None, properties_data: typing.Any, corvath: nimbal.managers.corvath.CoreCorvath, zf: typing.Any) -> str | None: ...
    @classmethod
    def _deserialize_extrude(cls, data: typing.Any, color: tuple[float, float, float], name: str | None, properties_data: typing.Any, corvath: nimbal.managers.corvath.CoreCorvath, zf: typing.Any) -> str | None: ...
    @classmethod
    def _deserialize_from_step(cls, data: typing.Any, color: tuple[float, float, float], name: str | None, properties_data: typing.Any, corvath: nimbal.managers.corvath.CoreCorvath, zf: typing.Any) -> str | None: ...
    @classmethod
    def _create_sketch_comp_in_manager(cls, comp_data: typing.Any, tessik: nimbal.managers.tessik.CoreTessik) -> str | None: ...
