#!/usr/bin/env python3
"""End-to-end throughput of `corvel-solve --batch` on a generated file of varied cases.

    bench/batch_throughput.py [CORVEL_SOLVE] [ROWS]

Writes the cases to a temporary file, runs the solver on it three times with the output
discarded, and reports the median cases per second and the peak resident memory. Runs with
10x fewer rows show whether memory grows with the row count.
"""
import os
import random
import resource
import statistics
import subprocess
import sys
import tempfile
import time


def make_cases(path, rows):
    rng = random.Random(7)
    with open(path, "w") as f:
        f.write("flow_lps,velocity_mps,diameter_mm,temperature_c,roughness_mm\n")
        for i in range(rows):
            cells = [
                f"{rng.uniform(0.1, 500):.3f}",
                f"{rng.uniform(0.2, 5):.2f}" if i % 3 == 0 else "",
                f"{rng.uniform(15, 750):.1f}" if i % 3 != 0 else "",
                f"{rng.uniform(-20, 200):.1f}",
                f"{rng.uniform(0.0001, 2):.4f}",
            ]
            f.write(",".join(cells) + "\n")


def run(solver, path, rows):
    times, peak = [], 0
    for _ in range(3):
        before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        start = time.perf_counter()
        with open(path) as f, open(os.devnull, "w") as out:
            code = subprocess.run([solver, "--batch"], stdin=f, stdout=out).returncode
        times.append(time.perf_counter() - start)
        peak = max(peak, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss, before)
        if code not in (0, 1):
            sys.exit(f"corvel-solve exited with {code}")
    return rows / statistics.median(times), peak


def main():
    solver = sys.argv[1] if len(sys.argv) > 1 else "build/src/app/corvel-solve"
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
    with tempfile.TemporaryDirectory() as folder:
        for count in (rows // 10, rows):
            path = os.path.join(folder, f"cases{count}.csv")
            make_cases(path, count)
            rate, peak_kib = run(solver, path, count)
            print(f"{count:>9} rows: {rate:,.0f} cases/s, peak resident memory {peak_kib / 1024:.1f} MiB")


if __name__ == "__main__":
    main()
