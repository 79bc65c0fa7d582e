"""A host's own mistakes end in a clear TypeError: members used before the
C++ object is constructed, mappings whose items are not pairs."""
import pytest

import uninitialised_members as um
from damaged_files import run_in_child
from nimbal.managers.corvath import CoreCorvath
from nimbal.services.ombrel import ProjectSerializer as PS

CLASSES = [name for name, _ in um.classes()]


def test_every_module_contributes_classes():
    assert {name.rsplit(".", 1)[0] for name in CLASSES} == set(um.MODULES)


@pytest.fixture(scope="module")
def early_calls():
    status, lines, stderr = run_in_child("import uninitialised_members as u; u.main()")
    return status, {line["class"]: line["wrong"] for line in lines}, stderr


@pytest.mark.parametrize("qualified", CLASSES)
def test_members_used_before_super_init_raise_type_error(early_calls, qualified):
    status, wrong, stderr = early_calls
    if qualified not in wrong:
        pytest.fail(f"the probing interpreter ended with status {status} before {qualified}: {stderr[-2000:]}")
    assert wrong[qualified] == []


def test_the_refusal_names_the_class_and_the_member():
    class Host(CoreCorvath):
        def __init__(self):
            with pytest.raises(TypeError) as e:
                self.get_all_shape_ids()
            self.message = str(e.value)
            super().__init__()

    host = Host()
    assert host.message == ("CoreCorvath.get_all_shape_ids() used on a Host object before CoreCorvath.__init__() ran: "
                            "call super().__init__() first")
    assert host.get_all_shape_ids() == []


class ItemsOf:
    def __init__(self, items):
        self._items = items

    def items(self):
        return self._items


@pytest.mark.parametrize("items", [[["type", "box"]], [("type",)], [("type", "box", 1)], ["ab"], [None]],
                         ids=["list pair", "1-tuple", "3-tuple", "string", "None"])
def test_deserialize_shape_with_items_that_are_not_pairs(items):
    mgr = CoreCorvath()
    with pytest.raises(TypeError, match=r"items must be \(key, value\) pairs"):
        PS._deserialize_shape(ItemsOf(items), mgr, None)
    # Nested mappings go through the same conversion.
    with pytest.raises(TypeError, match=r"items must be \(key, value\) pairs"):
        PS._deserialize_shape({"type": "box", "properties": ItemsOf(items)}, mgr, None)
    assert mgr.get_all_shape_ids() == []
