"""Every shape parameter of every module, found from the committed stubs,
called with None and with values of the wrong type: a parameter the stub
types `TopoDS_Shape` refuses None, one typed `TopoDS_Shape | None` takes
it, and a wrong type is refused, each the same way wherever it appears; one
typed `TopoDS_Shape | object` takes anything and answers what is no shape
as no shape.

Refusals come in the module's own forms: a TypeError naming the argument
("shape must be a kernel shape, not 'NoneType'"); for the operations that
log their failures (the kernel service's guarded operations, the view and
selection services), an error record and no result. The kernel objects'
own module refuses in the same words as every other."""
import ast
import logging
import pathlib
import re

import pytest

import nimbal.kernel as k
from nimbal.managers.corvath import CoreCorvath, ManagedShape
from nimbal.managers.tessik import CoreTessik
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen
from nimbal.services.fandor import Fandor
from nimbal.services.hathel import _ShapeSnapshot
from nimbal.services.pikalo import Pikalo
from nimbal.enums import ShapeType
from lumbra_fixtures import Scene

PACKAGE = pathlib.Path(__file__).resolve().parents[2] / "python" / "nimbal"
SHAPE = {"TopoDS_Shape", "nimbal.kernel.TopoDS_Shape"}
NULLABLE = {f"{s} | None" for s in SHAPE}
ANY_VALUE = {f"{s} | object" for s in SHAPE}

# module -> receiver factory by class name (None: module functions)
STUBS = {
    "kernel.pyi": "nimbal.kernel",
    "managers/corvath.pyi": "nimbal.managers.corvath",
    "managers/tessik.pyi": "nimbal.managers.tessik",
    "services/drulen.pyi": "nimbal.services.drulen",
    "services/fandor.pyi": "nimbal.services.fandor",
    "services/hathel.pyi": "nimbal.services.hathel",
    "services/lumbra.pyi": "nimbal.services.lumbra",
    "services/pikalo.pyi": "nimbal.services.pikalo",
}

# Methods that cannot be called blind, with the reason.
NOT_BLIND = {
    # A protocol of pure Python: it states signatures, it has no behaviour.
    ("nimbal.services.drulen", "DrulenProtocol"): "a typing.Protocol, nothing to call",
}


def shape_parameters():
    """(module, class or None, function, parameter, annotation, params) for
    every parameter annotated as a shape in the committed stubs."""
    found = []
    for rel, module in STUBS.items():
        tree = ast.parse((PACKAGE / rel).read_text())
        scopes = [(None, tree.body)] + [(n.name, n.body) for n in tree.body if isinstance(n, ast.ClassDef)]
        for cls, body in scopes:
            for fn in body:
                if not isinstance(fn, ast.FunctionDef):
                    continue
                params = [a for a in fn.args.args if a.arg != "self"]
                for a in params:
                    ann = ast.unparse(a.annotation) if a.annotation else ""
                    if ann in SHAPE or ann in NULLABLE or ann in ANY_VALUE:
                        found.append((module, cls, fn, a.arg, ann, params))
    return found


PARAMS = shape_parameters()


def test_the_stubs_have_shape_parameters_in_every_module():
    modules = {p[0] for p in PARAMS}
    assert modules == set(STUBS.values())
    assert len(PARAMS) > 40


@pytest.fixture(scope="module")
def scene():
    return Scene(windowed=False)


def box():
    return Drulen.create_box(10, 20, 30)


def face():
    return k.sub_shapes(box(), k.TopAbs_FACE)[0]


def receiver(module, cls, scene):
    """A receiver built for the call, or the class itself for a static."""
    if cls is None:
        return None
    makers = {
        "Drulen": Drulen,
        "CoreCorvath": CoreCorvath,
        "CoreTessik": CoreTessik,
        "Fandor": Fandor,
        "Lumbra": lambda: scene.lumbra,
        "Pikalo": lambda: Pikalo(scene.context),
        "TopoDS_Shape": box,
        "AIS_Shape": lambda: k.AIS_Shape(box()),
        "ManagedShape": lambda: ManagedShape("id", box(), ShapeType.BOX, "n", (1, 1, 1), q.BoxProperties()),
        "_ShapeSnapshot": lambda: _ShapeSnapshot("id", box(), ShapeType.BOX, "n", (1, 1, 1), q.BoxProperties(),
                                                 [], None),
    }
    return makers[cls]()


def value_for(ann, name):
    """A valid value for a parameter annotated `ann`."""
    base = ann.replace(" | None", "").replace(" | object", "")
    simple = {"float": 1.0, "int": 0, "bool": True, "str": "x", "list[int]": [], "typing.Iterable[int]": [],
              "typing.Iterable[str]": [], "tuple[float, float, float]": (1.0, 0.0, 0.0),
              "tuple[float, float, float] | None": None, "tuple[int, int, int]": (1, 1, 1),
              "nimbal.enums.ShapeType": ShapeType.BOX, "typing.Iterable[nimbal.kernel.TopoDS_Shape]": [],
              "list[nimbal.kernel.TopoDS_Shape]": [], "typing.Iterable[ManagedShape] | None": None}
    if ann in simple:
        return simple[ann]
    if base in SHAPE:
        return face() if "face" in name else box()
    if base.endswith("ArrayProperties"):
        return q.ArrayProperties()
    if base.endswith("Quenby"):
        return q.BoxProperties()
    if base.endswith("AIS_InteractiveObject") or base.endswith("AIS_Shape"):
        return k.AIS_Shape(box())
    if base.endswith("TopAbs_ShapeEnum"):
        return k.TopAbs_FACE
    if base.endswith("str | None") or ann == "str | None":
        return None
    raise AssertionError(f"no value for {name}: {ann}")


def call(module, cls, fn, params, target, given, scene):
    """Calls fn with `given` for `target` and valid values elsewhere: its
    answer, or the exception it raised."""
    import importlib
    mod = importlib.import_module(module)
    args = [given if a.arg == target else value_for(ast.unparse(a.annotation), a.arg) for a in params]
    if cls is None:
        f = getattr(mod, fn.name)
    else:
        owner = getattr(mod, cls)
        static = any(ast.unparse(d) == "staticmethod" for d in fn.decorator_list)
        prop = any(ast.unparse(d).endswith(".setter") for d in fn.decorator_list)
        if fn.name == "__init__":
            f = owner
        elif prop:
            obj = receiver(module, cls, scene)
            return setattr(obj, fn.name, *args)
        elif static:
            f = getattr(owner, fn.name)
        else:
            f = getattr(receiver(module, cls, scene), fn.name)
    return f(*args)


def refusal_pattern(module, target, wrong, nullable):
    kind = "a kernel shape or None" if nullable else "a kernel shape"
    return rf"^{target} must be {kind}, not '{type(wrong).__name__}'$"


CASES = [p for p in PARAMS if (p[0], p[1]) not in NOT_BLIND]


def case_id(p):
    return f"{p[0].rsplit('.', 1)[1]}.{p[1] or ''}.{p[2].name}.{p[3]}"


@pytest.mark.parametrize("param", CASES, ids=case_id)
@pytest.mark.parametrize("wrong", [None, 7, "box"], ids=["None", "int", "str"])
def test_a_shape_parameter_answers_as_its_stub_says(param, wrong, scene, caplog):
    module, cls, fn, target, ann, params = param
    nullable = ann in NULLABLE
    named = fn.name if any(ast.unparse(d).endswith(".setter") for d in fn.decorator_list) else target
    caplog.set_level(logging.ERROR)
    try:
        answer = call(module, cls, fn, params, target, wrong, scene)
        raised = None
    except Exception as e:  # noqa: BLE001: the answer is what is measured
        raised = e
    if ann in ANY_VALUE:
        # Never refused for its kind: what is no shape is answered as no
        # shape (nothing, no indices, the value as given, or the operation's
        # own error for a face that gives no plane).
        if raised is not None:
            assert isinstance(raised, ValueError) and "must be a kernel shape" in str(raised), repr(raised)
            return
        assert answer in (None, [], wrong), answer
        return
    if wrong is None and nullable:
        # Taken: the call goes on with no shape (whatever it then answers,
        # it is not a refusal of the argument).
        assert not (isinstance(raised, TypeError) and target in str(raised)), raised
        return
    if raised is None:
        # The operation's own error path: logged, nothing returned.
        assert answer in (None, False, []), answer
        assert any("kernel shape" in r.getMessage() for r in caplog.records), \
            f"{fn.name}({target}={wrong!r}) answered {answer!r} without a refusal"
        return
    assert isinstance(raised, TypeError), repr(raised)
    assert re.search(refusal_pattern(module, named, wrong, nullable), str(raised)), str(raised)
