#!/usr/bin/env python3
"""Start-up time, idle memory and interactive-solve time of the calculator.

    bench/startup.py [--build BUILD_DIR] [--runs N]

On a private Xvfb display (the first free number from 90 up):

* start-up: launches corvel and bench_startup_minimal, the yardstick, alternately, N times each,
  and takes the median time from launch to the moment the main window has been painted for the
  first time; corvel solves its case when the window is shown, so that paint has the results.
  Both programs report that moment through CORVEL_BENCH_STARTUP=exit (see StartupProbe.h).
  The yardstick is the minimal Qt Widgets program showing one line of text in a label, in a
  main window of the same size: any window's first text loads the font configuration, the font
  database and a font, and draws glyphs. The same program with an empty window is timed
  alongside for comparison.
* idle memory: starts each program with CORVEL_BENCH_STARTUP=stay, waits for the start-up line
  and one idle second, and reads its resident set (VmRSS) and proportional set (Pss).
* interactive solve: the median of bench_main_form (read grid, solve, 13 result texts, report
  recomposed) on the offscreen platform.

The targets: start-up at most 1.1 times and memory at most 1.3 times the one-text-line window's,
a solve at most 1 ms.
"""
import argparse
import json
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from corvel_e2e import Display  # noqa: E402  (the end-to-end tests' Xvfb starter)


TEXT_SUFFIX = " (one line of text)"


def environment(display, home):
    env = dict(os.environ)
    env.update({"DISPLAY": display, "HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                "XDG_RUNTIME_DIR": home, "QT_QPA_PLATFORM": "xcb"})
    for name in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(name, None)
    return env


def launch(program, env, mode):
    """Starts program with the start-up hook and returns (process, ms from launch to started)."""
    env = dict(env, CORVEL_BENCH_STARTUP=mode)
    launched = time.time_ns()
    process = subprocess.Popen([program], env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
    readable, _, _ = select.select([process.stdout], [], [], 30)
    line = process.stdout.readline().split() if readable else []
    if len(line) != 2 or line[0] != "started":
        process.kill()
        raise SystemExit(f"{program} did not report its start-up (got {line!r}).")
    return process, (int(line[1]) - launched) / 1e6


def start_up_ms(program, env):
    if program.endswith(TEXT_SUFFIX):
        program = program[: -len(TEXT_SUFFIX)]
        env = dict(env, CORVEL_BENCH_MINIMAL_TEXT="1")
    process, elapsed = launch(program, env, "exit")
    if process.wait(timeout=30) != 0:
        raise SystemExit(f"{program} exited with status {process.returncode}.")
    return elapsed


def idle_memory_kib(program, env):
    """(VmRSS, Pss) in KiB of the program one second after its start-up."""
    if program.endswith(TEXT_SUFFIX):
        program = program[: -len(TEXT_SUFFIX)]
        env = dict(env, CORVEL_BENCH_MINIMAL_TEXT="1")
    process, _ = launch(program, env, "stay")
    time.sleep(1)
    with open(f"/proc/{process.pid}/status") as status:
        rss = next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))
    with open(f"/proc/{process.pid}/smaps_rollup") as rollup:
        pss = next(int(line.split()[1]) for line in rollup if line.startswith("Pss:"))
    process.terminate()
    process.wait(timeout=30)
    return rss, pss


def solve_median_us(bench_main_form):
    result = subprocess.run(
        [bench_main_form, "--benchmark_repetitions=10", "--benchmark_format=json",
         "--benchmark_report_aggregates_only=true"],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, check=True,
        env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    medians = {}
    for entry in json.loads(result.stdout)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            medians[entry["run_name"]] = (entry["real_time"], entry["cpu_time"])
    return medians


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"), help="build folder")
    parser.add_argument("--runs", type=int, default=30, help="start-ups of each program")
    args = parser.parse_args()
    corvel = os.path.join(args.build, "src", "app", "corvel")
    minimal = os.path.join(args.build, "bench", "bench_startup_minimal")
    bench_main_form = os.path.join(args.build, "bench", "bench_main_form")
    for program in (corvel, minimal, bench_main_form):
        if not os.access(program, os.X_OK):
            raise SystemExit(f"Missing {program}; build with CORVEL_BUILD_BENCH=ON first.")

    home = tempfile.mkdtemp(prefix="corvel-bench-home-")
    display = Display(home)
    try:
        env = environment(display.name, home)
        # One start of each first: a fresh settings file and warm file caches for both.
        minimal_text = minimal + TEXT_SUFFIX
        started = (corvel, minimal, minimal_text)
        for program in started:
            start_up_ms(program, env)
        times = {program: [] for program in started}
        for _ in range(args.runs):
            for program in started:
                times[program].append(start_up_ms(program, env))
        memory = {program: [] for program in started}
        for _ in range(5):
            for program in started:
                memory[program].append(idle_memory_kib(program, env))
    finally:
        display.stop()
        shutil.rmtree(home, ignore_errors=True)

    corvel_ms, minimal_ms, text_ms = (statistics.median(times[p]) for p in started)
    print(f"Start-up to the first painted main window, median of {args.runs} runs "
          f"(Xvfb {display.name}):")
    print(f"  corvel (first solve done)   {corvel_ms:7.1f} ms")
    print(f"  minimal, one line of text   {text_ms:7.1f} ms")
    print(f"  ratio                       {corvel_ms / text_ms:7.2f}   (target at most 1.1)")
    print(f"  minimal, empty window       {minimal_ms:7.1f} ms  "
          f"corvel's ratio to it {corvel_ms / minimal_ms:.2f}")

    rss = {p: statistics.median(r for r, _ in memory[p]) for p in memory}
    pss = {p: statistics.median(s for _, s in memory[p]) for p in memory}
    print("Idle memory one second after start-up, median of 5 runs:")
    for label, program in (("corvel", corvel), ("minimal, one line of text", minimal_text),
                           ("minimal, empty window", minimal)):
        print(f"  {label:27} {rss[program] / 1024:7.1f} MiB RSS  "
              f"{pss[program] / 1024:7.1f} MiB PSS")
    print(f"  ratio to one line of text   {rss[corvel] / rss[minimal_text]:7.2f} RSS  "
          f"{pss[corvel] / pss[minimal_text]:7.2f} PSS   (target at most 1.3)")

    print("Interactive solve (read grid, solve, 13 result texts, report recomposed), median:")
    for name, (real, cpu) in solve_median_us(bench_main_form).items():
        print(f"  {name:40} {real / 1000:6.3f} ms wall  {cpu / 1000:6.3f} ms CPU   "
              "(target at most 1 ms)")


if __name__ == "__main__":
    main()
