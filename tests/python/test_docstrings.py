"""Every public class, method, property and function of every module says what it does."""

import enum
import importlib
import inspect
import re

import pytest

from package_modules import MODULES

# What pybind11 itself puts on every enumeration it binds.
_PYBIND_ENUM_MEMBERS = {"name", "value"}

# A pybind11 signature line, plain or numbered within an overload list.
_SIGNATURE = re.compile(r"^(\d+\. )?[\w.]*\(.*\)( -> .*)?$")


def prose(doc):
    """The docstring with pybind11's signature lines taken out."""
    lines = [
        line
        for line in (doc or "").splitlines()
        if not _SIGNATURE.match(line.strip()) and line.strip() != "Overloaded function."
    ]
    return "\n".join(lines).strip()


def is_public(name):
    return not name.startswith("_")


def members(cls):
    """(name, docstring) of the class's own public methods and properties."""
    is_pybind_enum = hasattr(cls, "__members__") and not issubclass(cls, enum.Enum)
    for name, attr in vars(cls).items():
        if not is_public(name):
            continue
        if is_pybind_enum and name in _PYBIND_ENUM_MEMBERS:
            continue
        if isinstance(attr, property):
            yield name, attr.__doc__
        elif isinstance(attr, (staticmethod, classmethod)):
            yield name, attr.__func__.__doc__
        elif callable(attr) and not isinstance(attr, type) and not isinstance(attr, cls):
            yield name, attr.__doc__


def missing_docstrings(module_name):
    module = importlib.import_module(module_name)
    missing = []
    if not prose(module.__doc__):
        missing.append(module_name)
    for name, obj in vars(module).items():
        if not is_public(name) or getattr(obj, "__module__", None) != module_name:
            continue  # private, or brought in from another module
        if inspect.isclass(obj):
            if not prose(obj.__doc__):
                missing.append(name)
            missing += [f"{name}.{m}" for m, doc in members(obj) if not prose(doc)]
        elif callable(obj) and not prose(obj.__doc__):
            missing.append(name)
    return missing


@pytest.mark.parametrize("module_name", MODULES)
def test_every_public_member_has_a_docstring(module_name):
    assert missing_docstrings(module_name) == []


@pytest.mark.parametrize(
    "doc, text",
    [
        ("f(self: A, x: int) -> None\n", ""),
        ("f(self: A, x: int) -> None\n\nDoes f.\n", "Does f."),
        ("f(*args, **kwargs)\nOverloaded function.\n\n1. f(self: A) -> None\n\n2. f(self: A, x: int) -> None\n", ""),
        ("f(*args, **kwargs)\nOverloaded function.\n\n1. f(self: A) -> None\n\nDoes f.\n", "Does f."),
        (None, ""),
        ("Plain prose.", "Plain prose."),
    ],
)
def test_signature_lines_are_not_counted_as_prose(doc, text):
    assert prose(doc) == text
