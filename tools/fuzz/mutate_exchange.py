"""STEP/IGES mutation campaign through Drulen.import_file.

Seeds are files the exchange itself writes (boxes, spheres, unions, cuts,
placed shapes, sketch faces and wires, several shapes in one file); each case
is one seed mutated a few times (byte flips, lines duplicated, deleted or
swapped, a number replaced by NAN, 1e308, -2147483648.6 and the like, a line
made long, the file cut). Cases run in worker interpreters, one case at a
time each, with a timeout per case: a worker that does not answer in time is
a hang, one that dies is a crash of the host; either is replaced and its case
kept. After an import the worker asks the host-side questions a GUI would
(bounding box, volume, validity, sub-shape counts), so a shape that fools
the host counts too.

    tools/fuzz/mutate_exchange.py [--seconds 600] [--workers 3] [--timeout 30]
                                  [--out build-fuzz/exchange] [--seed N]
                                  [--formats step,igs]

Run it with the project's environment (source scripts/env.sh). Findings
land in OUT/hang (each name led by the stage that hung: import, box,
faces, edges, volume or valid), OUT/crash and OUT/fooled, with
OUT/summary.json.
"""

import argparse
import json
import math
import os
import pathlib
import random
import re
import select
import subprocess
import sys
import tempfile
import time

NUMBERS = ["NAN", "nan", "INF", "-INF", "1e308", "1.E308", "11.E308", "1.E+400", "-2147483648.6",
           "2147483648.", "1.E-320", "0.", "-0.", "1.E-300", "9.9999999999999999E307", "-1.", "1D308"]
NUMBER = re.compile(rb"[-+]?(?:\d+\.\d*|\.\d+|\d+)(?:[EeDd][-+]?\d+)?")


def make_seeds(folder):
    """Writes the seed files; gives their paths."""
    from nimbal.services.drulen import Drulen as D
    box = D.create_box(10.0, 20.0, 30.0)
    sphere = D.create_sphere(6.0)
    shapes = {
        "box": [box],
        "sphere": [sphere],
        "cylinder": [D.create_cylinder(3.0, 12.0)],
        "cone": [D.create_cone(4.0, 1.0, 6.0)],
        "torus": [D.create_torus(8.0, 2.0)],
        "union": [D.fuse_shapes(box, sphere)],
        "cut": [D.cut_shapes(box, D.create_cylinder(2.0, 40.0, (0.0, 0.0, -20.0)))],
        "placed": [D.translate_shape(D.rotate_shape(box, (0.0, 0.0, 0.0), (1.0, 1.0, 0.0), 30.0), 5.0, 6.0, 7.0)],
        "rectangle": [D.create_rectangle(20.0, 10.0)],
        "circle": [D.create_circle(4.0)],
        "several": [box, D.translate_shape(sphere, 40.0, 0.0, 0.0), D.create_rectangle(5.0, 5.0)],
    }
    out = []
    for name, group in shapes.items():
        group = [s for s in group if s is not None]
        for suffix, write in ((".step", D().export_shapes_to_step), (".igs", D().export_shapes_to_iges)):
            path = os.path.join(folder, name + suffix)
            if write(group, path):
                out.append(path)
    return out


def mutate(data, rng):
    """One to three edits of the file's bytes."""
    lines = data.split(b"\n")
    for _ in range(rng.randint(1, 3)):
        op = rng.choice(["flip", "dup", "delete", "swap", "number", "number", "number", "long", "cut"])
        i = rng.randrange(len(lines))
        if op == "flip" and lines[i]:
            line = bytearray(lines[i])
            line[rng.randrange(len(line))] = rng.randrange(256)
            lines[i] = bytes(line)
        elif op == "dup":
            lines.insert(i, lines[i])
        elif op == "delete" and len(lines) > 1:
            del lines[i]
        elif op == "swap":
            j = rng.randrange(len(lines))
            lines[i], lines[j] = lines[j], lines[i]
        elif op == "number":
            found = [m for m in NUMBER.finditer(lines[i])]
            if found:
                m = rng.choice(found)
                lines[i] = lines[i][:m.start()] + rng.choice(NUMBERS).encode() + lines[i][m.end():]
        elif op == "long" and lines[i]:
            at = rng.randrange(len(lines[i]))
            lines[i] = lines[i][:at] + b"9" * rng.choice([3, 20, 200, 5000]) + lines[i][at:]
        elif op == "cut":
            lines = lines[:max(1, i)]
    return b"\n".join(lines)


def worker():
    """Imports the files named on stdin, one JSON line per file on stdout."""
    import nimbal.kernel as k
    from nimbal.services.drulen import Drulen as D
    import logging
    logging.disable(logging.CRITICAL)
    T = k.TopAbs_ShapeEnum
    def at(stage):  # the campaign names a hang by the last stage it saw
        print(json.dumps({"at": stage}), flush=True)

    for line in sys.stdin:
        path = line.strip()
        at("import")
        shape = D.import_file(path)
        r = {"shape": shape is not None}
        if shape is not None:
            # A query that raises on a degenerate shape the checker warned
            # about is an answer; only a worker that dies or hangs is not.
            def ask(query, name):
                at(name)
                try:
                    return query(shape), None
                except k.KernelError as e:
                    return None, str(e)
            box, raised = ask(k.bounding_box, "box")
            r.update(box=raised or (None if box is None else [v if math.isfinite(v) else str(v) for v in box]),
                     finite=raised is not None or (box is not None and all(math.isfinite(v) for v in box)))
            for name, query in (("faces", lambda s: len(k.sub_shapes(s, T.TopAbs_FACE))),
                                ("edges", lambda s: len(k.sub_shapes(s, T.TopAbs_EDGE))),
                                ("volume", k.volume), ("valid", k.is_valid)):
                value, raised = ask(query, name)
                r[name] = value if raised is None else "raised: " + raised
        print(json.dumps(r), flush=True)


class Worker:
    def __init__(self):
        self.proc = subprocess.Popen([sys.executable, __file__, "--worker"], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, bufsize=0)
        self.case = None
        self.started = 0.0
        self.buf = b""

    def give(self, case):
        self.case, self.started, self.buf, self.stage = case, time.monotonic(), b"", None
        self.proc.stdin.write((case["path"] + "\n").encode())

    def stop(self):
        self.proc.kill()
        self.proc.wait()


def campaign(args):
    out = pathlib.Path(args.out)
    for kind in ("hang", "crash", "fooled"):
        (out / kind).mkdir(parents=True, exist_ok=True)
    rng = random.Random(args.seed)
    counts = {"cases": 0, "shape": 0, "none": 0, "hang": 0, "crash": 0, "fooled": 0}
    with tempfile.TemporaryDirectory() as tmp:
        seeds = [(p, pathlib.Path(p).read_bytes()) for p in make_seeds(tmp)
                 if pathlib.Path(p).suffix.lstrip(".") in args.formats.split(",")]
        workers = [Worker() for _ in range(args.workers)]
        end = time.monotonic() + args.seconds
        serial = 0
        last_report = time.monotonic()

        def keep(kind, case, stage=None):
            counts[kind] += 1
            name = pathlib.Path(case["path"]).name
            if stage is not None:  # where it hung: the import or a host-side query
                counts.setdefault("hang_at", {}).setdefault(stage, 0)
                counts["hang_at"][stage] += 1
                name = f"{stage}-{name}"
            (out / kind / name).write_bytes(pathlib.Path(case["path"]).read_bytes())

        def finish(w, result):
            case = w.case
            counts["cases"] += 1
            if result is None:
                pass
            elif result["shape"]:
                if not result["finite"] or (result["faces"] in (0, None) and result["edges"] in (0, None)):
                    keep("fooled", case)
                else:
                    counts["shape"] += 1
            else:
                counts["none"] += 1
            os.remove(case["path"])
            w.case = None

        while True:
            now = time.monotonic()
            for n, w in enumerate(workers):
                if w.case is None and now < end:
                    serial += 1
                    seed_path, data = rng.choice(seeds)
                    suffix = pathlib.Path(seed_path).suffix
                    name = f"{pathlib.Path(seed_path).stem}-{args.seed}-{serial}{suffix}"
                    path = os.path.join(tmp, name)
                    pathlib.Path(path).write_bytes(mutate(data, rng))
                    w.give({"path": path})
            busy = [w for w in workers if w.case is not None]
            if not busy:
                break
            ready, _, _ = select.select([w.proc.stdout for w in busy], [], [], 0.5)
            for w in busy:
                if w.proc.stdout in ready:
                    chunk = os.read(w.proc.stdout.fileno(), 65536)
                    if not chunk:  # the worker died: the host crashed
                        keep("crash", w.case)
                        counts["cases"] += 1
                        os.remove(w.case["path"])
                        w.stop()
                        workers[workers.index(w)] = Worker()
                        continue
                    w.buf += chunk
                    if w.buf.endswith(b"\n"):
                        last = json.loads(w.buf.decode().splitlines()[-1])
                        if "at" in last:
                            w.stage = last["at"]
                        else:
                            finish(w, last)
                elif time.monotonic() - w.started > args.timeout:
                    keep("hang", w.case, w.stage)
                    counts["cases"] += 1
                    os.remove(w.case["path"])
                    w.stop()
                    workers[workers.index(w)] = Worker()
            if time.monotonic() - last_report > 30:
                last_report = time.monotonic()
                print(json.dumps(counts), flush=True)
        for w in workers:
            w.stop()
    counts["seconds"] = args.seconds
    counts["timeout"] = args.timeout
    counts["seed"] = args.seed
    counts["formats"] = args.formats
    (out / "summary.json").write_text(json.dumps(counts, indent=1) + "\n")
    print(json.dumps(counts), flush=True)
    return 0 if counts["hang"] == counts["crash"] == counts["fooled"] == 0 else 1


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--worker", action="store_true", help=argparse.SUPPRESS)
    p.add_argument("--seconds", type=float, default=600)
    p.add_argument("--workers", type=int, default=3)
    p.add_argument("--timeout", type=float, default=30)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--formats", default="step,igs", help="seed formats, by suffix: step, igs or both")
    p.add_argument("--out", default="build-fuzz/exchange")
    args = p.parse_args()
    if args.worker:
        return worker()
    return campaign(args)


if __name__ == "__main__":
    sys.exit(main())
