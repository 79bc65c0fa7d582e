# Generated from the built modules by scripts/stubs.sh; do not edit.
"""Undo history: shape snapshots, undo commands and bounded undo/redo stacks."""

import nimbal.enums
import nimbal.kernel
import nimbal.managers.corvath
import nimbal.models.quenby
import typing

class IdList:
    """Shape ids of a snapshot's components (a live list)."""
    @typing.overload
    def __init__(self) -> None: ...
    @typing.overload
    def __init__(self, iterable: typing.Iterable[str]) -> None: ...
    def __len__(self) -> int: ...
    @typing.overload
    def __getitem__(self, arg0: int) -> str: ...
    @typing.overload
    def __getitem__(self, arg0: slice) -> list[str]: ...
    @typing.overload
    def __setitem__(self, arg0: int, arg1: str) -> None: ...
    @typing.overload
    def __setitem__(self, arg0: slice, arg1: typing.Iterable[str]) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: int) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: slice) -> None: ...
    def __iter__(self) -> typing.Iterator[str]: ...
    def __contains__(self, arg0: str) -> bool: ...
    def __eq__(self, other: object) -> bool: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    def __ne__(self, other: object) -> bool: ...
    def __repr__(self) -> str: ...
    def __copy__(self) -> IdList: ...
    def __deepcopy__(self, memo: typing.Any) -> IdList: ...
    def copy(self) -> list[str]:
        """A plain list of the items."""
    def __add__(self, arg0: typing.Iterable[str]) -> list[str]: ...
    def __iadd__(self, arg0: typing.Iterable[str]) -> IdList: ...
    def append(self, item: str) -> None:
        """Adds item at the end.

        Raises TypeError (or ValueError) for an item the list cannot hold.
        """
    def extend(self, iterable: typing.Iterable[str]) -> None:
        """Adds every item of iterable at the end; all are checked before any is added.

        Raises TypeError for something that is not an iterable of items the list holds.
        """
    def insert(self, index: int, item: str) -> None:
        """Puts item before position index (counted from the end when negative, clamped to the list).

        Raises TypeError for an item the list cannot hold.
        """
    def pop(self, index: int = -1) -> str:
        """Removes and returns the item at index (the last by default).

        Raises IndexError when the list is empty or index is out of range.
        """
    def remove(self, item: str) -> None:
        """Removes the first item equal to item.

        Raises ValueError when there is none.
        """
    def clear(self) -> None:
        """Removes every item."""
    def index(self, item: str) -> int:
        """Position of the first item equal to item.

        Raises ValueError when there is none.
        """
    def count(self, item: str) -> int:
        """Number of items equal to item."""
    def reverse(self) -> None:
        """Reverses the items in place."""
    def sort(self, *args: typing.Any, **kwargs: typing.Any) -> None:
        """Sorts the items in place, taking list.sort's key and reverse; the list is unchanged if a key raises."""

class CommandList:
    """An undo or redo stack (a live list)."""
    @typing.overload
    def __init__(self) -> None: ...
    @typing.overload
    def __init__(self, iterable: typing.Iterable[_UndoCommand]) -> None: ...
    def __len__(self) -> int: ...
    @typing.overload
    def __getitem__(self, arg0: int) -> _UndoCommand: ...
    @typing.overload
    def __getitem__(self, arg0: slice) -> list[_UndoCommand]: ...
    @typing.overload
    def __setitem__(self, arg0: int, arg1: _UndoCommand) -> None: ...
    @typing.overload
    def __setitem__(self, arg0: slice, arg1: typing.Iterable[_UndoCommand]) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: int) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: slice) -> None: ...
    def __iter__(self) -> typing.Iterator[_UndoCommand]: ...
    def __contains__(self, arg0: _UndoCommand) -> bool: ...
    def __eq__(self, other: object) -> bool: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    def __ne__(self, other: object) -> bool: ...
    def __repr__(self) -> str: ...
    def __copy__(self) -> CommandList: ...
    def __deepcopy__(self, memo: typing.Any) -> CommandList: ...
    def copy(self) -> list[_UndoCommand]:
        """A plain list of the items."""
    def __add__(self, arg0: typing.Iterable[_UndoCommand]) -> list[_UndoCommand]: ...
    def __iadd__(self, arg0: typing.Iterable[_UndoCommand]) -> CommandList: ...
    def append(self, item: _UndoCommand) -> None:
        """Adds item at the end.

        Raises TypeError (or ValueError) for an item the list cannot hold.
        """
    def extend(self, iterable: typing.Iterable[_UndoCommand]) -> None:
        """Adds every item of iterable at the end; all are checked before any is added.

        Raises TypeError for something that is not an iterable of items the list holds.
        """
    def insert(self, index: int, item: _UndoCommand) -> None:
        """Puts item before position index (counted from the end when negative, clamped to the list).

        Raises TypeError for an item the list cannot hold.
        """
    def pop(self, index: int = -1) -> _UndoCommand:
        """Removes and returns the item at index (the last by default).

        Raises IndexError when the list is empty or index is out of range.
        """
    def remove(self, item: _UndoCommand) -> None:
        """Removes the first item equal to item.

        Raises ValueError when there is none.
        """
    def clear(self) -> None:
        """Removes every item."""
    def index(self, item: _UndoCommand) -> int:
        """Position of the first item equal to item.

        Raises ValueError when there is none.
        """
    def count(self, item: _UndoCommand) -> int:
        """Number of items equal to item."""
    def reverse(self) -> None:
        """Reverses the items in place."""
    def sort(self, *args: typing.Any, **kwargs: typing.Any) -> None:
        """Sorts the items in place, taking list.sort's key and reverse; the list is unchanged if a key raises."""

class State:
    """Shape id -> _ShapeSnapshot (the shape exists so) or None (it must not exist), in insertion order."""
    @typing.overload
    def __init__(self) -> None: ...
    @typing.overload
    def __init__(self, mapping: typing.Mapping[str, _ShapeSnapshot | None]) -> None: ...
    def __len__(self) -> int: ...
    def __contains__(self, arg0: typing.Any) -> bool: ...
    def __getitem__(self, arg0: str) -> _ShapeSnapshot | None: ...
    def __setitem__(self, arg0: str, arg1: _ShapeSnapshot | None) -> None: ...
    def __delitem__(self, arg0: str) -> None: ...
    def __iter__(self) -> typing.Iterator[str]: ...
    def keys(self) -> list[str]:
        """The shape ids, in insertion order."""
    def values(self) -> list[_ShapeSnapshot | None]:
        """The snapshots (None where the shape must not exist), in insertion order."""
    def items(self) -> list[tuple[str, _ShapeSnapshot | None]]:
        """(shape id, snapshot or None) pairs, in insertion order."""
    def get(self, key: str, default: typing.Any = None) -> typing.Any:
        """The entry for key, or default when there is none."""
    def clear(self) -> None:
        """Removes every entry."""
    def copy(self) -> dict[str, _ShapeSnapshot | None]:
        """A plain dict of the entries."""
    def __eq__(self, other: object) -> bool: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    def __repr__(self) -> str: ...

class _ShapeSnapshot:
    """The state of one managed shape at one moment."""
    def __init__(self, shape_id: str, shape: nimbal.kernel.TopoDS_Shape | None, shape_type: nimbal.enums.ShapeType, name: str, color: tuple[float, float, float], properties: nimbal.models.quenby.Quenby, component_ids: typing.Iterable[str], parent_id: str | None) -> None: ...
    @property
    def shape_id(self) -> str: ...
    @shape_id.setter
    def shape_id(self, value: str) -> None: ...
    @property
    def shape(self) -> nimbal.kernel.TopoDS_Shape | None: ...
    @shape.setter
    def shape(self, value: nimbal.kernel.TopoDS_Shape | None) -> None: ...
    @property
    def shape_type(self) -> nimbal.enums.ShapeType: ...
    @shape_type.setter
    def shape_type(self, value: nimbal.enums.ShapeType) -> None: ...
    @property
    def name(self) -> str: ...
    @name.setter
    def name(self, value: str) -> None: ...
    @property
    def color(self) -> tuple[float, float, float]: ...
    @color.setter
    def color(self, value: tuple[float, float, float]) -> None: ...
    @property
    def properties(self) -> nimbal.models.quenby.Quenby: ...
    @properties.setter
    def properties(self, value: nimbal.models.quenby.Quenby) -> None: ...
    @property
    def component_ids(self) -> IdList: ...
    @component_ids.setter
    def component_ids(self, value: IdList) -> None: ...
    @property
    def parent_id(self) -> str | None: ...
    @parent_id.setter
    def parent_id(self, value: str | None) -> None: ...
    def __eq__(self, other: object) -> bool: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    def __repr__(self) -> str: ...
    @classmethod
    def from_managed(cls, ms: nimbal.managers.corvath.ManagedShape) -> typing.Self: ...

class _UndoCommand:
    """One undoable edit: the states before and after it."""
    def __init__(self, description: str, before: State | dict[str, _ShapeSnapshot | None] | None = None, after: State | dict[str, _ShapeSnapshot | None] | None = None, redo_clears_all: bool = False) -> None: ...
    @property
    def description(self) -> str: ...
    @description.setter
    def description(self, value: str) -> None: ...
    @property
    def before(self) -> State: ...
    @before.setter
    def before(self, value: State) -> None: ...
    @property
    def after(self) -> State: ...
    @after.setter
    def after(self, value: State) -> None: ...
    @property
    def redo_clears_all(self) -> bool: ...
    @redo_clears_all.setter
    def redo_clears_all(self, value: bool) -> None: ...
    def __repr__(self) -> str: ...

class Hathel:
    """Bounded undo and redo stacks of one manager."""
    def __init__(self, apply_state: typing.Callable[[State], None], on_change: typing.Callable[[bool, bool], None], on_redo_clears_all: typing.Callable[[], None] | None = None, max_steps: int = 50) -> None:
        """Empty undo and redo stacks of one manager.

        Args:
            apply_state: Called with a command's before state on undo and its after state on redo.
            on_change: Called with (can_undo, can_redo) after every change of the stacks.
            on_redo_clears_all: Called instead of apply_state when a command that asks for it is redone.
            max_steps: How many commands the undo stack keeps; the oldest go first.
        """
    @property
    def can_undo(self) -> bool:
        """Whether there is a command to undo."""
    @property
    def can_redo(self) -> bool:
        """Whether there is a command to redo."""
    def push(self, cmd: _UndoCommand) -> None:
        """Puts cmd on the undo stack (dropping the oldest beyond max_steps) and empties the redo stack.

        Calls on_change(can_undo, can_redo). Raises TypeError when cmd is not an _UndoCommand.
        """
    def undo(self) -> None:
        """Undoes the newest command: calls apply_state(its before state), moves it to the redo stack, then calls on_change(can_undo, can_redo). Does nothing when there is nothing to undo."""
    def redo(self) -> None:
        """Redoes the newest undone command: calls on_redo_clears_all() when the command asks for it and that callback is set, apply_state(its after state) otherwise; moves it back to the undo stack, then calls on_change(can_undo, can_redo). Does nothing when there is nothing to redo."""
    def clear(self) -> None:
        """Empties both stacks and calls on_change(False, False)."""
    def depth(self) -> int:
        """Number of commands on the undo stack."""
    def trim_to(self, depth: int) -> None:
        """Keeps the oldest depth commands of the undo stack (a negative depth drops that many from the newest end), empties the redo stack and calls on_change(can_undo, can_redo)."""
    def peek_last(self) -> _UndoCommand | None:
        """The newest command on the undo stack, or None."""
    def pop_last(self) -> _UndoCommand | None:
        """Takes the newest command off the undo stack and returns it (None when empty), calling on_change(can_undo, can_redo) when one was taken."""
    @property
    def _max_steps(self) -> int: ...
    @property
    def _apply_state(self) -> typing.Callable[[State], None]: ...
    @property
    def _on_change(self) -> typing.Callable[[bool, bool], None]: ...
    @property
    def _on_redo_clears_all(self) -> object: ...
    @property
    def _undo_stack(self) -> CommandList: ...
    @property
    def _redo_stack(self) -> CommandList: ...
MAX_UNDO_STEPS: int
