"""Every member of every class of the package's extension modules, called
from a subclass's __init__ before super().__init__(): run in a child
interpreter (a member that read the unconstructed object could crash it)."""
import importlib
import inspect

from package_modules import EXTENSION_MODULES as MODULES


def is_extension_class(obj):
    return inspect.isclass(obj) and type(obj).__name__ == "pybind11_type"


def classes():
    """(qualified name, class) of every extension class defined by the modules."""
    out = []
    for name in MODULES:
        module = importlib.import_module(name)
        for attr, obj in vars(module).items():
            if is_extension_class(obj) and obj.__module__ == name:
                out.append((f"{name}.{attr}", obj))
    return out


def members(cls):
    """(name, kind) of the bound instance members cls offers: methods,
    property getters and setters, its bases' included."""
    seen = {}
    for klass in cls.__mro__:
        if not is_extension_class(klass):
            continue
        for name, attr in vars(klass).items():
            # __setstate__ constructs (unpickling); class-level properties
            # take no instance.
            if name in seen or name in ("__init__", "__setstate__") or type(attr).__name__ == "pybind11_static_property":
                continue
            if isinstance(attr, property):
                seen[name] = ["get"] + (["set"] if attr.fset is not None else [])
            elif type(attr).__name__ == "instancemethod":
                seen[name] = ["call"]
    return [(name, kind) for name, kinds in seen.items() for kind in kinds]


def probe(qualified, cls):
    """Members that did not refuse the unconstructed object with the
    TypeError saying so, with what they did instead."""
    wrong = []

    def attempt(self, name, kind):
        outcomes = []
        for n in range(6) if kind == "call" else [1]:
            try:
                if kind == "call":
                    # An operator answers arguments it does not take so.
                    if getattr(self, name)(*[None] * n) is NotImplemented:
                        continue
                elif kind == "get":
                    getattr(self, name)
                else:
                    setattr(self, name, None)
                return f"ran with {n} arguments"
            except TypeError as e:
                if "before " in str(e) and ".__init__() ran: call super().__init__() first" in str(e):
                    return None
                outcomes.append(str(e).splitlines()[0])
            except Exception as e:  # the member ran on the unconstructed object
                return f"{type(e).__name__}: {e}"
        return "; ".join(outcomes[:2])

    class Early(cls):
        def __init__(self):
            for name, kind in members(cls):
                found = attempt(self, name, kind)
                if found is not None:
                    wrong.append(f"{name} ({kind}): {found}")

    try:
        Early()
    except TypeError:
        pass  # the subclass never called super().__init__()
    return wrong


def main():
    import json
    for qualified, cls in classes():
        print(json.dumps({"class": qualified, "wrong": probe(qualified, cls)}), flush=True)
