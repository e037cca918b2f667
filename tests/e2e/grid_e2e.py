#!/usr/bin/env python3
"""Drives the input grid of the real corvel program on a private Xvfb display with xdotool:
the faults of focus and keyboard that the offscreen platform hides.

    grid_e2e.py SCENARIO --corvel PATH --artefacts DIR

Scenarios:
    type-at-start   type 30, Enter and F9 straight after start-up: the flowrate cell is the
                    current one, so 30 l/s is solved
    tab-commits     open the flowrate editor, type 40 and leave it with Tab (then Shift+Tab):
                    F9 solves 40 l/s, and typing afterwards starts a fresh entry
    solve-commits   open the velocity editor and type a value, then press F9, choose Solve from
                    the menu, or click the results list: each solves the typed velocity

Exit status as corvel_e2e.py: 0 passed, 1 failed, 77 skipped.
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corvel_e2e as e2e  # noqa: E402  (the fixture lives beside this file)
from corvel_e2e import Failure, TIME_SCALE, expect_lines, log  # noqa: E402

# A point inside the results list, well below the input grid.
RESULTS_LIST_POINT = (170, 200)


def velocity_line(session, window, previous):
    """The first line Edit > Copy puts on the clipboard (the velocity result)."""
    return session.copy_results(window, previous=previous).split("\r\n")[0]


def expect_velocity(session, window, previous, expected, when):
    line = velocity_line(session, window, previous)
    if line != expected:
        raise Failure(f"{when}: the results start with {line!r}, expected {expected!r}.")
    log(f"{when}: {line}")


def open_flowrate_editor(session, window):
    """Two separate clicks on the flowrate value: the first selects it, the second opens the
    editor (a double-click would not)."""
    x, y = e2e.FLOWRATE_VALUE_CELL
    for _ in range(2):
        session.x("xdotool", "mousemove", "--window", str(window), str(x), str(y), "click", "1")
        time.sleep(0.7 * TIME_SCALE)


def type_at_start(session):
    window = session.start()
    at_start = session.copy_results(window)
    # No click: the grid opens with the flowrate value current, so typing edits it.
    session.x("xdotool", "type", "--delay", "60", "30")
    session.keys("Return", "F9")
    expect_lines(session.copy_results(window, previous=at_start), e2e.RESULTS_AT_30_LPS,
                 "After typing 30, Enter and F9 at start")
    log("Typing at start edited the flowrate.")
    session.exit_through_file_menu(window)


def tab_commits(session):
    window = session.start()
    previous = session.copy_results(window)
    for key, flow, velocity in (("Tab", "40", "Velocity,5.09,m/s"),
                                ("shift+Tab", "50", "Velocity,6.37,m/s")):
        open_flowrate_editor(session, window)
        session.x("xdotool", "type", "--delay", "60", flow)
        session.keys(key, "F9")
        expect_velocity(session, window, previous, velocity, f"After {flow} and {key}, F9")
        previous = session.clipboard()
    # The editor was committed and closed: these digits start a new entry of their own.
    session.x("xdotool", "type", "--delay", "60", "30")
    session.keys("Return", "F9")
    expect_lines(session.copy_results(window, previous=previous), e2e.RESULTS_AT_30_LPS,
                 "After typing 30 once more")
    session.exit_through_file_menu(window)


def solve_from_menu(session):
    # Alt+F opens the File menu; Right moves to Edit, then to the Solve item of the menu bar.
    session.keys("alt+f")
    time.sleep(0.2 * TIME_SCALE)
    session.keys("Right", "Right", "Return")


def click_results_list(session, window):
    x, y = RESULTS_LIST_POINT
    session.x("xdotool", "mousemove", "--window", str(window), str(x), str(y), "click", "1")
    time.sleep(0.3 * TIME_SCALE)
    # An editor still open would take Esc back to the old text; a committed one ignores it.
    session.keys("Escape", "F9")


def solve_commits(session):
    ways = (("F9", lambda window: session.keys("F9")),
            ("Solve in the menu", lambda window: solve_from_menu(session)),
            ("a click in the results list", lambda window: click_results_list(session, window)))
    for number, (how, solve) in enumerate(ways):
        window = session.start()
        previous = session.copy_results(window)
        # Down to the velocity value, Enter opens its editor.
        session.keys("Down", "Return")
        typed = str(5 + number)
        session.x("xdotool", "type", "--delay", "60", typed)
        solve(window)
        expect_velocity(session, window, previous, f"Velocity,{typed}.00,m/s",
                        f"Velocity {typed} typed, then {how}")
        session.exit_through_file_menu(window)


SCENARIOS = {
    "type-at-start": type_at_start,
    "tab-commits": tab_commits,
    "solve-commits": solve_commits,
}



if __name__ == "__main__":
    sys.exit(e2e.run_scenarios(SCENARIOS, __doc__.splitlines()[0]))
