"""What reading in the reader process costs.

    scripts/bench.sh reader            # every line
    scripts/bench.sh reader host       # the lines whose name starts so

host: the median STEP import of one box in this process as it is, then
again with 4 GiB of touched memory held (a fork would copy its page
tables; a spawned reader does not care); the ratio must stay within 1.3.
boxes: 100 placed boxes exported to one STEP file and imported back
through nimbal, against the raw kernel calls of bench/drulen_driver in its
own process (same kernel, same run); the ratio is nimbal's median over the
driver's.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from nimbal.services.drulen import Drulen as D

BUILD = os.environ.get("BUILD_DIR") or os.path.join(os.path.dirname(__file__), "..", "build")
DRIVER = os.path.join(BUILD, "bench", "drulen_driver")
TMP = tempfile.mkdtemp(prefix="reader-bench-")
GIB = 1 << 30


def best_of(fn, calls):
    return min(timed(fn, calls))


def timed(fn, calls):
    times = []
    for _ in range(calls):
        t0 = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t0)
    return times


def median_of(fn, calls):
    times = []
    for _ in range(calls):
        t0 = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t0)
    return statistics.median(times)


def quiet(fn):
    # The kernel's data exchange prints its statistics on descriptor 1.
    def run():
        sys.stdout.flush()
        saved = os.dup(1)
        null = os.open(os.devnull, os.O_WRONLY)
        os.dup2(null, 1)
        try:
            fn()
        finally:
            os.dup2(saved, 1)
            os.close(saved)
            os.close(null)
    return run


def driver(op, calls, path, *sizes):
    env = dict(os.environ, NIMBAL_BENCH_STEP=path)
    out = subprocess.run([DRIVER, op, str(calls), *sizes], check=True, capture_output=True, text=True, env=env)
    return float(out.stdout.strip())  # best seconds per call


def available():
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith("MemAvailable:"):
                return int(line.split()[1]) * 1024
    return 0


def host_size():
    path = os.path.join(TMP, "box.step")
    assert D.export_step(D.create_box(10, 20, 30), path)
    run = quiet(lambda: D.import_file(path))
    run()
    small = median_of(run, 100)
    if available() < 6 * GIB:
        print(f"{'host 4 GiB':<24}   skipped: less than 6 GiB of memory available")
        return
    held = bytearray(4 * GIB)
    held[::4096] = b"\x01" * (len(held) // 4096)  # every page touched
    large = median_of(run, 100)
    del held
    print(f"{'host 4 GiB':<24}{small * 1e3:>12.2f}{large * 1e3:>12.2f}{large / small:>8.2f}   (small, large ms)")


def boxes():
    path = os.path.join(TMP, "boxes.step")
    shapes = [D.create_box(1, 1, 1, (2.0 * i, 0, 0)) for i in range(100)]
    service = D()
    export = quiet(lambda: service.export_shapes_to_step(shapes, path))
    export()
    ex = best_of(export, 20)
    ex_raw = driver("step", 20, path, "100")
    imp = quiet(lambda: D.import_file(path))
    imp()
    im = best_of(imp, 20)
    im_raw = driver("import", 20, path)
    print(f"{'boxes 100 export':<24}{ex * 1e3:>12.2f}{ex_raw * 1e3:>12.2f}{ex / ex_raw:>8.2f}   (nimbal, raw ms)")
    print(f"{'boxes 100 import':<24}{im * 1e3:>12.2f}{im_raw * 1e3:>12.2f}{im / im_raw:>8.2f}   (nimbal, raw ms)")


LINES = [("host", host_size), ("boxes", boxes)]


def main():
    if not os.path.exists(DRIVER):
        sys.exit(f"{DRIVER} is missing: build the project first")
    wanted = sys.argv[1:]
    print(f"{'line':<24}{'a':>12}{'b':>12}{'ratio':>8}")
    for name, fn in LINES:
        if not wanted or any(name.startswith(w) for w in wanted):
            fn()


if __name__ == "__main__":
    main()
