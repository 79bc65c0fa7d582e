"""Writes the .pyi stubs of nimbal's extension modules from the built modules.

Usage: python3.12 tools/stubgen.py OUTPUT_DIR   (the built package on sys.path)

Signatures come from the pybind11 docstrings (which name every type), the
prose of each docstring is kept, and Python classes defined by a module are
written from their annotations. Fails on a type it cannot spell as Python.
"""

import ast
import importlib
import inspect
import os
import re
import sys
import typing

EXTENSION_MODULES = [
    "nimbal.kernel",
    "nimbal.models.quenby",
    "nimbal.services.drulen",
    "nimbal.services.hathel",
    "nimbal.managers.corvath",
    "nimbal.services.fandor",
    "nimbal.managers.tessik",
    "nimbal.services.ostrel",
    "nimbal.services.ombrel",
    "nimbal.services.lumbra",
    "nimbal.services.pikalo",
]
PACKAGE_MODULES = set(EXTENSION_MODULES) | {"nimbal", "nimbal.enums"}

HEADER = "# Generated from the built modules by scripts/stubs.sh; do not edit.\n"

# pybind11's own spellings -> today's typing.
_RENAMES = [
    (r"\bList\[", "list["),
    (r"\bDict\[", "dict["),
    (r"\bTuple\[", "tuple["),
    (r"\bSet\[", "set["),
    (r"(?<![\w.])Callable\b", "typing.Callable"),
    (r"(?<![\w.])Iterable\b", "typing.Iterable"),
    (r"(?<![\w.])Iterator\b", "typing.Iterator"),
    (r"(?<![\w.])Sequence\b", "typing.Sequence"),
    (r"(?<![\w.])handle\b", "typing.Any"),
    (r"(?<![\w.])(list|set)\b(?!\[)", r"\1[typing.Any]"),
    (r"(?<![\w.])dict\b(?!\[)", "dict[typing.Any, typing.Any]"),
    (r"(?<![\w.])tuple\b(?!\[)", "tuple[typing.Any, ...]"),
]
_KNOWN = {"int", "float", "str", "bool", "bytes", "None", "object", "list", "dict", "tuple", "set", "type", "slice"}

_SIGNATURE = re.compile(r"^(?:\d+\. )?(\w*)\((.*)\)(?: -> (.*))?$")


class StubError(Exception):
    pass


def split_top(text, sep=","):
    """Splits at `sep` outside brackets, parentheses and quotes."""
    out, depth, quote, cur = [], 0, None, ""
    for ch in text:
        if quote:
            cur += ch
            if ch == quote:
                quote = None
            continue
        if ch in "'\"":
            quote = ch
        elif ch in "([{<":
            depth += 1
        elif ch in ")]}>":
            depth -= 1
        if ch == sep and depth == 0:
            out.append(cur)
            cur = ""
        else:
            cur += ch
    if cur.strip():
        out.append(cur)
    return [p.strip() for p in out]


def optional_to_union(t):
    while True:
        i = t.find("Optional[")
        if i < 0:
            return t
        j, depth = i + len("Optional["), 1
        while depth:
            depth += {"[": 1, "]": -1}.get(t[j], 0)
            j += 1
        inner = t[i + len("Optional["):j - 1]
        t = t[:i] + inner + " | None" + t[j:]


class Module:
    def __init__(self, name):
        self.name = name
        self.imports = set()

    def type(self, t):
        t = optional_to_union(t.strip())
        for pattern, repl in _RENAMES:
            t = re.sub(pattern, repl, t)
        t = re.sub(re.escape(self.name) + r"\.(?=\w)", "", t)
        for dotted in re.findall(r"[A-Za-z_][\w.]*", t):
            if self.is_local(dotted):
                continue
            if "." in dotted:
                mod = dotted.rsplit(".", 1)[0]
                while mod not in PACKAGE_MODULES and mod not in ("typing", "os") and "." in mod:
                    mod = mod.rsplit(".", 1)[0]
                if mod.startswith("nimbal") and mod not in PACKAGE_MODULES:
                    raise StubError(f"{self.name}: unknown type {dotted!r} in {t!r}")
                self.imports.add(mod)
            elif dotted not in _KNOWN:
                raise StubError(f"{self.name}: type {dotted!r} is not a Python type (in {t!r})")
        return t

    def is_local(self, name):
        mod = sys.modules[self.name]
        head = name.split(".")[0]
        return isinstance(getattr(mod, head, None), type)


def prose(doc):
    lines = [
        line for line in (doc or "").splitlines()
        if not _SIGNATURE.match(line.strip()) and line.strip() != "Overloaded function."
    ]
    return "\n".join(lines).strip()


def docstring(doc, indent):
    text = prose(doc)
    if not text:
        return []
    text = text.replace("\\", "\\\\").replace('"""', '\\"\\"\\"')
    lines = text.splitlines()
    if len(lines) == 1:
        return [f'{indent}"""{lines[0]}"""']
    return [f'{indent}"""{lines[0]}'] + [f"{indent}{l}".rstrip() for l in lines[1:]] + [f'{indent}"""']


def signatures(doc):
    """(params text, return text) of every signature line in a pybind11 docstring."""
    out = []
    lines = (doc or "").splitlines()
    overloaded = any(l.strip() == "Overloaded function." for l in lines)
    for line in lines:
        m = _SIGNATURE.match(line.strip())
        if not m:
            continue
        if overloaded and not re.match(r"^\d+\. ", line.strip()):
            continue  # the (*args, **kwargs) summary line
        out.append((m.group(2), m.group(3) or "None"))
    return out


_MEMBER = re.compile(r"^<(\w+)\.(\w+): .*>$")


def plain_literal(node):
    """Whether node is a number, text, bytes, a truth value, None, or a tuple of those."""
    if isinstance(node, ast.Constant):
        return node.value is not Ellipsis
    if isinstance(node, ast.UnaryOp) and isinstance(node.op, (ast.USub, ast.UAdd)):
        return isinstance(node.operand, ast.Constant) and isinstance(node.operand.value, (int, float))
    if isinstance(node, ast.Tuple):
        return all(plain_literal(e) for e in node.elts)
    return False


def default_value(annotation, text):
    """A default as the stub writes it: plain values and enumeration members as
    themselves, anything else as `...`."""
    member = _MEMBER.match(text)
    if member:
        enum_name, member_name = member.groups()
        for t in split_top(annotation, "|"):
            if t == enum_name or t.endswith("." + enum_name):
                return f"{t}.{member_name}"
        return "..."
    try:
        node = ast.parse(text, mode="eval").body
    except SyntaxError:
        return "..."
    return text if plain_literal(node) else "..."


def params(mod, text, kind):
    """Stub parameter list; kind is 'method', 'static' or 'class'."""
    out = []
    for i, p in enumerate(split_top(text)):
        if p in ("*", "/"):
            out.append(p)
            continue
        if p.startswith("**"):
            out.append(p.split(":")[0] + ": typing.Any")
            mod.imports.add("typing")
            continue
        if p.startswith("*"):
            out.append(p.split(":")[0] + ": typing.Any")
            mod.imports.add("typing")
            continue
        name, _, rest = p.partition(": ")
        parts = split_top(rest, "=") if "=" in rest else [rest]
        if i == 0 and kind in ("method", "class"):
            out.append("self" if kind == "method" else "cls")
            continue
        annotation = mod.type(parts[0])
        out.append(f"{name}: {annotation}" + (f" = {default_value(annotation, parts[1])}" if len(parts) > 1 else ""))
    if kind in ("method", "class") and not out:
        out.append("self" if kind == "method" else "cls")
    return ", ".join(out)


def function(mod, name, doc, indent, kind="function"):
    sigs = signatures(doc)
    if not sigs:
        raise StubError(f"{mod.name}.{name}: no signature in its docstring")
    lines = []
    decorator = {"static": "@staticmethod", "class": "@classmethod"}.get(kind)
    body = docstring(doc, indent + "    ")
    for args, ret in sigs:
        if len(sigs) > 1:
            mod.imports.add("typing")
            lines.append(f"{indent}@typing.overload")
        if decorator:
            lines.append(f"{indent}{decorator}")
        k = "method" if kind == "method" else kind
        ret_t = mod.type(ret)
        head = f"{indent}def {name}({params(mod, args, k)}) -> {ret_t}:"
        if body and len(sigs) == 1:
            lines += [head] + body
        else:
            lines.append(head + " ...")
    return lines


def value_type(mod, v):
    if isinstance(v, bool):
        return "bool"
    if isinstance(v, (int, float, str, bytes)):
        return type(v).__name__
    if isinstance(v, tuple):
        return "tuple[" + ", ".join(value_type(mod, x) for x in v) + "]" if v else "tuple[()]"
    if isinstance(v, frozenset):
        return "frozenset[str]"
    if isinstance(v, dict):
        mod.imports.add("typing")
        return "dict[typing.Any, typing.Any]"
    if inspect.ismodule(v):
        raise StubError("module values are imports")
    t = type(v)
    mod.imports.add(t.__module__)
    return f"{t.__module__}.{t.__qualname__}" if t.__module__ != mod.name else t.__qualname__


def python_class(mod, cls, indent):
    """A class written in Python (a Protocol): its bases and annotated methods."""
    bases = [
        b.__qualname__ if b.__module__ == "builtins" else f"{b.__module__}.{b.__qualname__}"
        for b in cls.__bases__
        if b is not object
    ]
    mod.imports.add("typing")
    head = f"{indent}class {cls.__name__}" + (f"({', '.join(bases)})" if bases else "") + ":"
    lines = [head] + docstring(cls.__doc__, indent + "    ")
    for name, f in vars(cls).items():
        if name.startswith("_") or not inspect.isfunction(f):
            continue
        sig = inspect.signature(f)
        ps = []
        for p in sig.parameters.values():
            if p.name == "self":
                ps.append("self")
                continue
            ann = mod.type(p.annotation if isinstance(p.annotation, str) else "typing.Any")
            ps.append(f"{p.name}: {ann}" + (" = ..." if p.default is not p.empty else ""))
        ret = mod.type(sig.return_annotation if isinstance(sig.return_annotation, str) else "typing.Any")
        body = docstring(f.__doc__, indent + "        ")
        head = f"{indent}    def {name}({', '.join(ps)}) -> {ret}:"
        lines += [head] + body if body else [head + " ..."]
    if len(lines) == 1:
        lines.append(f"{indent}    ...")
    return lines


_COMPARISONS = {"__eq__", "__ne__"}
_DUNDERS_SKIPPED = {"__doc__", "__module__", "__dict__", "__weakref__", "__entries", "__getstate__", "__setstate__"}


def plain_default(value):
    """A record field's default as a stub writes it: a number, text, truth
    value or None as itself, anything else as `...`."""
    if value is None or isinstance(value, (bool, int, float, str)):
        text = repr(value)
        return text if default_value("", text) == text else "..."
    return "..."


def record_init(mod, cls, indent):
    """A record's __init__ takes its fields by position or keyword, each as its setter does."""
    ps = ["self"]
    fresh = cls()
    for field in cls.__match_args__:
        prop = getattr(cls, field)
        (args, _), = signatures(prop.fset.__doc__)
        value_t = split_top(args)[1].partition(": ")[2]
        ps.append(f"{field}: {mod.type(value_t)} = {plain_default(getattr(fresh, field))}")
    return f"{indent}def __init__({', '.join(ps)}) -> None: ..."


def bound_class(mod, cls, indent):
    bases = [b for b in cls.__bases__ if b.__name__ != "pybind11_object"]
    names = []
    for b in bases:
        if b.__module__ == mod.name:
            names.append(b.__qualname__)
        else:
            mod.imports.add(b.__module__)
            names.append(f"{b.__module__}.{b.__qualname__}")
    head = f"{indent}class {cls.__name__}" + (f"({', '.join(names)})" if names else "") + ":"
    lines = [head] + docstring(cls.__doc__, indent + "    ")
    inner = indent + "    "
    for name, attr in vars(cls).items():
        if name in _DUNDERS_SKIPPED or name.startswith("__pybind11_"):
            continue
        if name in _COMPARISONS:
            # Any object compares (NotImplemented for a foreign one).
            lines.append(f"{inner}def {name}(self, other: object) -> bool: ...")
            continue
        if isinstance(attr, type):
            if attr.__qualname__ == f"{cls.__qualname__}.{name}":
                lines += bound_class(mod, attr, inner)
            continue
        if isinstance(attr, cls) or (hasattr(cls, "__members__") and type(attr).__name__ == cls.__name__):
            lines.append(f"{inner}{name}: typing.ClassVar[{cls.__qualname__}]")
            mod.imports.add("typing")
        elif isinstance(attr, property):
            sigs = signatures(attr.fget.__doc__)
            ret = mod.type(sigs[0][1]) if sigs else "typing.Any"
            lines.append(f"{inner}@property")
            body = docstring(attr.__doc__, inner + "    ")
            lines += [f"{inner}def {name}(self) -> {ret}:"] + body if body else [f"{inner}def {name}(self) -> {ret}: ..."]
            if attr.fset is not None:
                lines.append(f"{inner}@{name}.setter")
                lines.append(f"{inner}def {name}(self, value: {ret}) -> None: ...")
        elif isinstance(attr, staticmethod):
            lines += function(mod, name, attr.__func__.__doc__, inner, "static")
        elif isinstance(attr, classmethod):
            lines += function(mod, name, attr.__func__.__doc__, inner, "class")
        elif name == "__init__" and "__match_args__" in vars(cls):
            lines.append(record_init(mod, cls, inner))
        elif callable(attr):
            if name.startswith("__") and not signatures(attr.__doc__):
                continue  # a slot of Python's own (no constructor bound, say)
            lines += function(mod, name, attr.__doc__, inner, "method")
        elif attr is None and name == "__hash__":
            inherited = any(vars(b).get("__hash__", 0) is None for b in cls.__mro__[1:])
            ignore = "" if inherited else "  # type: ignore[assignment]"
            lines.append(f"{inner}__hash__: typing.ClassVar[None]{ignore}")
            mod.imports.add("typing")
        elif name == "__match_args__":
            lines.append(f"{inner}__match_args__: typing.ClassVar[tuple[str, ...]]")
        elif name == "__members__":
            lines.append(f"{inner}__members__: typing.ClassVar[dict[str, {cls.__name__}]]")
        else:
            mod.imports.add("typing")
            lines.append(f"{inner}{name}: typing.ClassVar[{value_type(mod, attr)}]")
    if len(lines) == 1:
        lines.append(f"{inner}...")
    return lines


def module_stub(name):
    module = importlib.import_module(name)
    mod = Module(name)
    body = []
    reexports = []
    for attr_name, obj in vars(module).items():
        if attr_name.startswith("__"):
            continue
        if inspect.ismodule(obj):
            reexports.append(f"import {obj.__name__} as {attr_name}")
            continue
        if isinstance(obj, type) and obj.__module__ != name:
            reexports.append(f"from {obj.__module__} import {obj.__qualname__} as {attr_name}")
            continue
        if isinstance(obj, typing.TypeVar):
            mod.imports.add("typing")
            bound = obj.__bound__
            bound_t = mod.type(f"{bound.__module__}.{bound.__qualname__}") if bound else None
            body.append(f'{attr_name} = typing.TypeVar("{obj.__name__}"' + (f", bound={bound_t})" if bound_t else ")"))
        elif isinstance(obj, type):
            if hasattr(obj, "__pybind11_module_local_v4__") or any(
                "pybind11" in b.__name__ for b in obj.__mro__[1:]
            ) or type(obj).__name__ == "pybind11_type":
                body += [""] + bound_class(mod, obj, "")
            else:
                body += [""] + python_class(mod, obj, "")
        elif callable(obj):
            body += [""] + function(mod, attr_name, obj.__doc__, "")
        else:
            body.append(f"{attr_name}: {value_type(mod, obj)}")
    imports = sorted(i for i in mod.imports if i not in ("builtins", name))
    out = [HEADER.rstrip()] + docstring(module.__doc__, "")
    out += [""] + [f"import {i}" for i in imports]
    if reexports:
        out += [""] + reexports
    out += body
    return "\n".join(out).rstrip() + "\n"


def stub_path(out_dir, name):
    return os.path.join(out_dir, *name.split(".")) + ".pyi"


def main(out_dir):
    for name in EXTENSION_MODULES:
        path = stub_path(out_dir, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        text = module_stub(name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    try:
        main(sys.argv[1])
    except StubError as e:
        sys.exit(f"stubgen: {e}")
