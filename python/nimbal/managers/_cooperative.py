"""Cooperative initialisation of a manager class bound in C++.

A host mixes a manager into its own class hierarchy (a UI base class
beside it); the manager's initialiser passes the keywords it does not take
on to the next initialiser in the instance's class order, then makes its
C++ part.
"""


import typing


def cooperative_init(cls: type, core_init: typing.Callable[..., None], doc: str) -> None:
    """Gives `cls` an ``__init__(self, plane_id="", plane_props=None,
    fandor=None, **kwargs)`` that calls the next initialiser after `cls` in
    ``type(self).__mro__`` with `kwargs`, then `core_init` with the rest.

    pybind11's own base class, whose initialiser refuses every call, is
    passed over; ``object`` comes at the latest and refuses extra keywords
    with TypeError."""
    skip = cls.__base__

    def __init__(self: typing.Any, plane_id: str = "", plane_props: typing.Any = None, fandor: typing.Any = None,
                 **kwargs: typing.Any) -> None:
        mro = type(self).__mro__
        # Not an instance of `cls`: core_init refuses it.
        if cls in mro:
            for k in mro[mro.index(cls) + 1:]:
                if k is skip or "__init__" not in vars(k):
                    continue
                vars(k)["__init__"](self, **kwargs)
                break
        core_init(self, plane_id, plane_props, fandor)

    # The first line reads as the bindings' own signatures do, so help() and
    # the stub generator see the same types as the constructor's.
    __init__.__doc__ = (
        f"__init__(self: {cls.__module__}.{cls.__qualname__}, plane_id: str = '', "
        "plane_props: nimbal.models.quenby.PlaneProperties | None = None, "
        "fandor: nimbal.services.fandor.Fandor | None = None, **kwargs) -> None\n\n" + doc)
    __init__.__module__ = cls.__module__
    __init__.__qualname__ = cls.__qualname__ + ".__init__"
    setattr(cls, "__init__", __init__)
