#!/usr/bin/env python3
"""End-to-end throughput of `corvel-solve --batch` on a generated file of varied cases.

    bench/batch_throughput.py [CORVEL_SOLVE] [ROWS] [--runs N] [--against OTHER_SOLVE]
                              [--pipe-run]

Writes the cases to a temporary file, runs the solver on it N times (5 by default) with the
output discarded, and reports the median cases per second and the peak resident memory (read
from /proc during one more, untimed, run). Runs with 10x fewer rows show whether memory grows
with the row count. With --against, a second solver (an older build, say) is run in turns
with the first on the same files, both are reported side by side, and their outputs are
compared byte for byte. --pipe-run adds the pipe-run columns (length, elevation, fittings,
pump efficiency) to every row.

The target is 1,000,000 cases/s on the project's 2-core machine, 200,000 cases/s with the
pipe-run columns.
"""
import argparse
import filecmp
import os
import random
import statistics
import sys
import tempfile
import time

FITTINGS = ["Elbow 90 deg threaded standard r/D=1*4", "Valve gate*2", "Tee run through threaded*1"]


def make_cases(path, rows, pipe_run):
    rng = random.Random(7)
    with open(path, "w") as f:
        header = "flow_lps,velocity_mps,diameter_mm,temperature_c,roughness_mm"
        if pipe_run:
            header += ",length_m,elevation_m,fittings,pump_efficiency_pct"
        f.write(header + "\n")
        for i in range(rows):
            cells = [
                f"{rng.uniform(0.1, 500):.3f}",
                f"{rng.uniform(0.2, 5):.2f}" if i % 3 == 0 else "",
                f"{rng.uniform(15, 750):.1f}" if i % 3 != 0 else "",
                f"{rng.uniform(-20, 200):.1f}",
                f"{rng.uniform(0.0001, 2):.4f}",
            ]
            if pipe_run:
                cells += [
                    f"{rng.uniform(0, 2000):.1f}",
                    f"{rng.uniform(-50, 50):.1f}",
                    f'"{";".join(rng.sample(FITTINGS, 1 + i % 3))}"',
                    f"{rng.uniform(40, 90):.0f}",
                ]
            f.write(",".join(cells) + "\n")


def spawn(solver, path, output):
    actions = [
        (os.POSIX_SPAWN_OPEN, 0, path, os.O_RDONLY, 0),
        (os.POSIX_SPAWN_OPEN, 1, output, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644),
    ]
    return os.posix_spawn(solver, [solver, "--batch"], os.environ, file_actions=actions)


def finish(solver, pid):
    _, status, _ = os.wait4(pid, 0)
    code = os.waitstatus_to_exitcode(status)
    if code not in (0, 1):
        sys.exit(f"{solver} exited with {code}")


def timed_run(solver, path):
    """Seconds one run with its output discarded took."""
    start = time.perf_counter()
    finish(solver, spawn(solver, path, os.devnull))
    return time.perf_counter() - start


def peak_memory(solver, path, output=os.devnull):
    """The peak resident memory of one run [KiB], read from /proc while it runs: the rusage
    of a child started from this script would count the script's own memory, which the kernel
    carries over into the child's peak at exec."""
    pid = spawn(solver, path, output)
    peak = 0
    while True:
        try:
            with open(f"/proc/{pid}/status") as status:
                for line in status:
                    if line.startswith("VmHWM:"):
                        peak = max(peak, int(line.split()[1]))
        except OSError:
            pass
        if os.waitpid(pid, os.WNOHANG) != (0, 0):
            return peak
        time.sleep(0.002)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("solver", nargs="?", default="build/src/app/corvel-solve")
    parser.add_argument("rows", nargs="?", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--against", help="a second corvel-solve run in turns with the first")
    parser.add_argument("--pipe-run", action="store_true", help="add the pipe-run columns")
    args = parser.parse_args()
    solvers = [args.solver] + ([args.against] if args.against else [])
    with tempfile.TemporaryDirectory() as folder:
        for count in (args.rows // 10, args.rows):
            path = os.path.join(folder, f"cases{count}.csv")
            make_cases(path, count, args.pipe_run)
            outputs = [os.path.join(folder, f"out{k}.csv") for k in range(len(solvers))]
            times = [[] for _ in solvers]
            for _ in range(args.runs):
                for k, solver in enumerate(solvers):
                    times[k].append(timed_run(solver, path))
            # One more run of each, untimed, for its memory and (with --against) its output.
            peaks = [peak_memory(solver, path, outputs[k] if args.against else os.devnull)
                     for k, solver in enumerate(solvers)]
            rates = [count / statistics.median(t) for t in times]
            line = (f"{count:>9} rows: {rates[0]:,.0f} cases/s, "
                    f"peak resident memory {peaks[0] / 1024:.1f} MiB")
            if args.against:
                same = filecmp.cmp(outputs[0], outputs[1], shallow=False)
                line += (f"; against {rates[1]:,.0f} cases/s ({rates[0] / rates[1]:.2f}x), "
                         f"{peaks[1] / 1024:.1f} MiB; output {'identical' if same else 'DIFFERENT'}")
            print(line, flush=True)


if __name__ == "__main__":
    main()
