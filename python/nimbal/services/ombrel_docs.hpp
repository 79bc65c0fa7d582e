// The docstrings of nimbal.services.ombrel.
#pragma once

namespace nimbal::py::ombrel::doc {

constexpr const char* module = "Project files: saving and loading a whole project as a ZIP container.";
constexpr const char* cls = "Saves and loads a geometry manager's whole registry as a project file.";
constexpr const char* save_project = R"(Writes every shape of corvath to a project file (a ZIP container).

Args:
    filepath: Where to write (str, bytes or path-like). The file is written
        whole or not at all: an existing file is replaced only on success.
    corvath: The geometry manager whose registry is saved; it is not changed.

Returns:
    True when the whole file was written; False on any ordinary error, which
    is logged (error level, with its traceback) through this module's logger,
    a corvath that is no CoreCorvath included. Errors such as
    KeyboardInterrupt pass through.)";
constexpr const char* load_project = R"(Replaces the shapes of corvath with those of a project file.

Args:
    filepath: The file to read (str, bytes or path-like).
    corvath: The geometry manager to load into.

Returns:
    True when every shape object of the file was handed to the rebuild; False
    on any ordinary error (logged), a file that cannot be read or parsed
    leaving corvath unchanged.

After the description is read, corvath.clear_all() records one undoable
"Clear all" (hooks: _notify_undo_redo_changed, _notify_all_cleared); each
shape is then rebuilt through the manager's own operations, with their undo
commands and hooks (_notify_shape_created and the rest). Overrides of the
``_deserialize_*`` class methods in a subclass are not called.)";

}  // namespace nimbal::py::ombrel::doc
