"""Damaged STEP and IGES files made from the project's own export of one
box, and a runner that imports them in a child interpreter: a reader crash
that ends that interpreter fails the case instead of the test session."""

import json
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
    ("iges points at 1.E+400", ".igs", _iges_fields("15.", "1.E+400", "P")),
]


def write_damaged(directory, name, suffix, damage):
    """The export of the box, damaged; returns its path."""
    from nimbal.services.drulen import Drulen
    clean = os.path.join(directory, "clean" + suffix)
    box = Drulen.create_box(*BOX)
    assert (Drulen.export_step if suffix == ".step" else Drulen.export_iges)(box, clean)
    with open(clean) as f:
        lines = f.read().splitlines()
    path = os.path.join(directory, re.sub(r"\W+", "_", name) + suffix)
    with open(path, "w") as f:
        f.write("\n".join(damage(lines)) + "\n")
    return path


def run_in_child(code, *args, timeout=120):
    """Runs `code` in a fresh interpreter with this one's environment; gives
    its exit status and the JSON lines it printed."""
    proc = subprocess.run([sys.executable, "-c", code, *args], capture_output=True, text=True, timeout=timeout,
                          env=dict(os.environ))
    lines = [json.loads(line) for line in proc.stdout.splitlines() if line.startswith("{")]
    return proc.returncode, lines, proc.stderr
