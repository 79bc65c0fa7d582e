"""Damaged STEP and IGES files made from another writer's export of one
box, and a runner that imports them in a child interpreter: a reader crash
that ends that interpreter fails the case instead of the test session."""

import json
import logging
import os
import re
import subprocess
import sys

BOX = (10.0, 20.0, 30.0)


def _without(word):
    return lambda lines: [line for line in lines if word not in line]


def _replace_in(word, old, new):
    return lambda lines: [line.replace(old, new) if word in line else line for line in lines]


def _cut_lines(fraction):
    return lambda lines: lines[: int(len(lines) * fraction)]


def _cut_inside_entity(lines):
    # Stops in the middle of an entity, without its closing ");".
    text = "\n".join(lines)
    at = text.index("VECTOR(", len(text) // 2)
    return text[: at + 10].splitlines()


def _iges_fields(old, new, section):
    """Replaces text in the fixed-width data columns of one IGES section,
    keeping the sequence columns in place."""
    def damage(lines):
        out = []
        for line in lines:
            if len(line) == 80 and line[72] == section:
                data = line[:64].replace(old, new).rstrip()
                if len(data) <= 64:
                    line = data.ljust(64) + line[64:]
            out.append(line)
        return out
    return damage


def _iges_without_entry(index):
    # Directory entries take two lines each.
    def damage(lines):
        d = [i for i, line in enumerate(lines) if len(line) == 80 and line[72] == "D"]
        gone = set(d[2 * index: 2 * index + 2])
        return [line for i, line in enumerate(lines) if i not in gone]
    return damage


def _iges_retyped(old_type, new_type):
    def damage(lines):
        return [re.sub(rf"^ *{old_type}(?= )", f"{new_type:>8}", line) if len(line) == 80 and line[72] == "D"
                else line for line in lines]
    return damage


# (case, suffix, damage of the exported lines)
DAMAGES = [
    ("step cut in half", ".step", _cut_lines(0.5)),
    ("step cut inside an entity", ".step", _cut_inside_entity),
    ("step without its VECTOR lines", ".step", _without("VECTOR(")),
    ("step without its EDGE_CURVE lines", ".step", _without("EDGE_CURVE(")),
    ("step VECTOR entities typed DIRECTION", ".step", _replace_in("VECTOR(", "VECTOR(", "DIRECTION(")),
    ("step PLANE entities typed CARTESIAN_POINT", ".step", _replace_in("= PLANE(", "PLANE(", "CARTESIAN_POINT(")),
    ("step points at 1.E+400", ".step", _replace_in("CARTESIAN_POINT(", "15.", "1.E+400")),
    ("step vector lengths of 1.E+400", ".step", _replace_in("VECTOR(", ",1.);", ",1.E+400);")),
    ("iges cut after 140 lines", ".igs", lambda lines: lines[:140]),
    ("iges cut in half", ".igs", _cut_lines(0.5)),
    ("iges without its third entity", ".igs", _iges_without_entry(2)),
    ("iges faces typed as lines", ".igs", _iges_retyped(510, 110)),
    ("step points at 1.E+300", ".step", _replace_in("CARTESIAN_POINT(", "15.", "1.E+300")),
    ("iges points at 1.E+400", ".igs", _iges_fields("15.", "1.E+400", "P")),
    ("iges points at 1.E+300", ".igs", _iges_fields("15.", "1.E+300", "P")),
]


def _seed(name):
    from nimbal.services.drulen import Drulen
    return {"box": lambda: Drulen.create_box(*BOX), "sphere": lambda: Drulen.create_sphere(6.0),
            "circle": lambda: Drulen.create_circle(4.0), "torus": lambda: Drulen.create_torus(8.0, 2.0),
            "cylinder": lambda: Drulen.create_cylinder(3.0, 12.0),
            "union": lambda: Drulen.fuse_shapes(Drulen.create_box(*BOX), Drulen.create_sphere(6.0)),
            "cylinders": lambda: Drulen().create_array_compound(Drulen.create_cylinder(3.0, 12.0), (3, 1, 1),
                                                                (10.0, 0.0, 0.0))}[name]()


def write_damaged(directory, name, suffix, damage, seed="box", iges_faces=False):
    """The seed shape (the box unless told) written, then damaged; returns
    its path. IGES is written in BRep mode unless `iges_faces`."""
    import _nimbal_testing as t
    clean = os.path.join(directory, "clean" + suffix)
    # Damages are made to the lines of another writer's file (pcurves in
    # STEP, BRep entities in IGES), whatever our own exports become.
    assert t.write_with_other_writer(_seed(seed), clean, iges_faces)
    with open(clean) as f:
        lines = f.read().splitlines()
    path = os.path.join(directory, re.sub(r"\W+", "_", name) + suffix)
    with open(path, "w") as f:
        f.write("\n".join(damage(lines)) + "\n")
    return path


def run_in_child(code, *args, timeout=120):
    """Runs `code` in a fresh interpreter with this one's environment (and
    these helpers importable); gives its exit status, the JSON lines it
    printed and its error output."""
    env = dict(os.environ)
    env["PYTHONPATH"] = os.pathsep.join([os.path.dirname(os.path.abspath(__file__)), env.get("PYTHONPATH", "")])
    proc = subprocess.run([sys.executable, "-c", code, *args], capture_output=True, text=True, timeout=timeout,
                          env=env)
    lines = [json.loads(line) for line in proc.stdout.splitlines() if line.startswith("{")]
    return proc.returncode, lines, proc.stderr


def emit(**record):
    print(json.dumps(record), flush=True)


def measure(shape):
    from nimbal import kernel as k
    if shape is None:
        return None
    box = k.bounding_box(shape)
    return {"volume": k.volume(shape), "valid": k.is_valid(shape),
            "box": None if box is None else [round(v, 6) for v in box]}


class Records(logging.Handler):
    def __init__(self):
        super().__init__(logging.DEBUG)
        self.messages = []

        self.warnings = []

    def emit(self, record):
        if record.levelno >= logging.ERROR:
            self.messages.append(record.getMessage())
        elif record.levelno == logging.WARNING:
            self.warnings.append(record.getMessage())


def import_everywhere(directory):
    """Imports every damaged file through the kernel service, the geometry
    manager and (STEP) a project file load; prints one JSON line per case,
    after a line naming the case it starts."""
    import_cases(directory, [("undamaged step", ".step", list), ("undamaged iges", ".igs", list)] + DAMAGES)


def import_cases(directory, cases):
    """import_everywhere for `cases`: (name, suffix, damage[, seed])."""
    import zipfile

    from manager_fixtures import CorvathHost as Host
    from nimbal.managers.corvath import CoreCorvath
    from nimbal.models import quenby as q
    from nimbal.services.drulen import Drulen
    from nimbal.services.ombrel import ProjectSerializer as PS
    from nimbal.enums import ShapeType

    records = Records()
    logging.getLogger("nimbal.services.drulen").addHandler(records)
    clean_step = os.path.join(directory, "clean-import.step")
    assert Drulen.export_step(Drulen.create_box(*BOX), clean_step)
    src = CoreCorvath()
    src.import_shape(clean_step, name="Imported")
    src.create_shape(ShapeType.BOX, q.BoxProperties(width=1.0, height=1.0, depth=1.0), name="After")
    project = os.path.join(directory, "clean.vrex")
    assert PS.save_project(project, src)

    for name, suffix, damage, *seed in cases:
        emit(start=name)
        path = write_damaged(directory, name, suffix, damage, *seed)
        records.messages.clear()
        records.warnings.clear()
        direct = measure(Drulen.import_file(path))
        direct_errors = list(records.messages)
        direct_warnings = list(records.warnings)
        mgr = Host()
        mgr.import_shape(path)
        manager = {"shapes": [measure(mgr.get_shape(i).shape) for i in mgr.get_all_shape_ids()],
                   "failed": [list(e[1:]) for e in mgr.log if e[0] == "failed"]}
        loaded = None
        if suffix == ".step":
            with open(path, "rb") as f:
                damaged = f.read()
            mixed = os.path.join(directory, "damaged.vrex")
            with zipfile.ZipFile(project) as zin, zipfile.ZipFile(mixed, "w") as zout:
                for info in zin.infolist():
                    # STEP entries only, as another writer's file has them.
                    if info.filename.endswith(".bin"):
                        continue
                    data = zin.read(info)
                    zout.writestr(info, damaged if info.filename.endswith(".step") else data)
            mgr = Host()
            ok = PS.load_project(mixed, mgr)
            loaded = {"ok": ok, "names": [mgr.get_shape(i).name for i in mgr.get_all_shape_ids()],
                      "failed": [e[1] for e in mgr.log if e[0] == "failed"]}
        emit(case=name, direct=direct, errors=direct_errors, warnings=direct_warnings, manager=manager,
             project=loaded)
