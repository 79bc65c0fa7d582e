// The docstrings of nimbal.services.hathel.
#pragma once

namespace nimbal::py::hathel::doc {

constexpr const char* state_cls =
    "Shape id -> _ShapeSnapshot (the shape exists so) or None (it must not exist), in insertion order.";
constexpr const char* hathel_init = R"(Empty undo and redo stacks of one manager.

Args:
    apply_state: Called with a command's before state on undo and its after state on redo.
    on_change: Called with (can_undo, can_redo) after every change of the stacks.
    on_redo_clears_all: Called instead of apply_state when a command that asks for it is redone.
    max_steps: How many commands the undo stack keeps; the oldest go first.)";
constexpr const char* push = R"(Puts cmd on the undo stack (dropping the oldest beyond max_steps) and empties the redo stack.

Calls on_change(can_undo, can_redo). Raises TypeError when cmd is not an _UndoCommand.)";
constexpr const char* undo =
    "Undoes the newest command: calls apply_state(its before state), moves it to the redo stack, then "
    "calls on_change(can_undo, can_redo). Does nothing when there is nothing to undo.";
constexpr const char* redo =
    "Redoes the newest undone command: calls on_redo_clears_all() when the command asks for it and "
    "that callback is set, apply_state(its after state) otherwise; moves it back to the undo stack, "
    "then calls on_change(can_undo, can_redo). Does nothing when there is nothing to redo.";
constexpr const char* trim_to =
    "Keeps the oldest depth commands of the undo stack (a negative depth drops that many from the "
    "newest end), empties the redo stack and calls on_change(can_undo, can_redo).";
constexpr const char* pop_last =
    "Takes the newest command off the undo stack and returns it (None when empty), calling "
    "on_change(can_undo, can_redo) when one was taken.";

}  // namespace nimbal::py::hathel::doc
