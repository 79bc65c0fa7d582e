// The docstrings of nimbal.services.hathel.
#pragma once

namespace nimbal::py::hathel::doc {

constexpr const char* module = "Undo history: shape snapshots, undo commands and bounded undo/redo stacks.";
constexpr const char* id_list_cls = "Shape ids of a snapshot's components (a live list).";
constexpr const char* command_list_cls = "An undo or redo stack (a live list).";

constexpr const char* state_cls =
    "Shape id -> _ShapeSnapshot (the shape exists so) or None (it must not exist), in insertion order.";
constexpr const char* state_keys = "The shape ids, in insertion order.";
constexpr const char* state_values = "The snapshots (None where the shape must not exist), in insertion order.";
constexpr const char* state_items = "(shape id, snapshot or None) pairs, in insertion order.";
constexpr const char* state_get = "The entry for key, or default when there is none.";
constexpr const char* state_clear = "Removes every entry.";
constexpr const char* state_copy = "A plain dict of the entries.";
constexpr const char* snapshot_cls = "The state of one managed shape at one moment.";
constexpr const char* command_cls = "One undoable edit: the states before and after it.";
constexpr const char* hathel_cls = "Bounded undo and redo stacks of one manager.";
constexpr const char* hathel_init = R"(Empty undo and redo stacks of one manager.

Args:
    apply_state: Called with a command's before state on undo and its after state on redo.
    on_change: Called with (can_undo, can_redo) after every change of the stacks.
    on_redo_clears_all: Called instead of apply_state when a command that asks for it is redone.
    max_steps: How many commands the undo stack keeps; the oldest go first.)";
constexpr const char* can_undo = "Whether there is a command to undo.";
constexpr const char* can_redo = "Whether there is a command to redo.";
constexpr const char* push = R"(Puts cmd on the undo stack (dropping the oldest beyond max_steps) and empties the redo stack.

Calls on_change(can_undo, can_redo). Raises TypeError when cmd is not an _UndoCommand.)";
constexpr const char* undo =
    "Undoes the newest command: calls apply_state(its before state), moves it to the redo stack, then "
    "calls on_change(can_undo, can_redo). Does nothing when there is nothing to undo.";
constexpr const char* redo =
    "Redoes the newest undone command: calls on_redo_clears_all() when the command asks for it and "
    "that callback is set, apply_state(its after state) otherwise; moves it back to the undo stack, "
    "then calls on_change(can_undo, can_redo). Does nothing when there is nothing to redo.";
constexpr const char* clear = "Empties both stacks and calls on_change(False, False).";
constexpr const char* depth = "Number of commands on the undo stack.";
constexpr const char* trim_to =
    "Keeps the oldest depth commands of the undo stack (a negative depth drops that many from the "
    "newest end), empties the redo stack and calls on_change(can_undo, can_redo).";
constexpr const char* peek_last = "The newest command on the undo stack, or None.";
constexpr const char* pop_last =
    "Takes the newest command off the undo stack and returns it (None when empty), calling "
    "on_change(can_undo, can_redo) when one was taken.";

}  // namespace nimbal::py::hathel::doc
