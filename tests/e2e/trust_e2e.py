#!/usr/bin/env python3
"""The Moody diagram window and the Solve menu on a real X server, driven from the keyboard.

    trust_e2e.py SCENARIO --corvel PATH --artefacts DIR

Scenarios:
    moody-from-keyboard  Alt+W, M opens the "Moody Diagram" window; closing it leaves the main
                         window working
    solve-menu           F9 still solves, and so does the first item of the Solve menu (Alt+S,
                         Enter)

Exit status as corvel_e2e.py: 0 passed, 1 failed, 77 skipped.
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corvel_e2e as e2e  # noqa: E402  (the fixture lives beside this file)
from corvel_e2e import Failure, TIME_SCALE, type_flowrate, wait_for  # noqa: E402

MOODY_TITLE = "^Moody Diagram$"


def first_line(text):
    return text.split("\r\n")[0]


def moody_from_keyboard(session):
    window = session.start()
    if session.visible_windows(MOODY_TITLE):
        raise Failure("The Moody diagram is shown before it was asked for.")
    # Alt+W opens the Window menu; M is the mnemonic of its Moody Diagram item.
    session.keys("alt+w")
    time.sleep(0.2 * TIME_SCALE)
    session.keys("m")
    moody = wait_for("the Moody Diagram window to show",
                     lambda: (session.visible_windows(MOODY_TITLE) or [None])[0], 15)
    x, y, width, height = session.geometry(moody)
    if width < 300 or height < 200:
        raise Failure(f"The Moody Diagram window is only {width}x{height} pixels.")
    session.screenshot(moody, "moody-diagram.png")
    # Ctrl+W closes the diagram, and the main window takes the keyboard again and solves.
    session.x("xdotool", "windowfocus", "--sync", str(moody))
    session.keys("ctrl+w")
    wait_for("the Moody Diagram window to close",
             lambda: not session.visible_windows(MOODY_TITLE), 10)
    session.x("xdotool", "windowfocus", "--sync", str(window))
    type_flowrate(session, window, "30")
    session.keys("F9")
    text = session.copy_results(window)
    if first_line(text) != "Velocity,3.82,m/s":
        raise Failure(f"After 30 l/s and F9 the results start {first_line(text)!r}.")
    session.exit_through_file_menu(window)


def solve_menu(session):
    window = session.start()
    previous = session.copy_results(window)
    type_flowrate(session, window, "30")
    session.keys("F9")
    text = session.copy_results(window, previous)
    if first_line(text) != "Velocity,3.82,m/s":
        raise Failure(f"F9 did not solve 30 l/s: the results start {first_line(text)!r}.")
    type_flowrate(session, window, "40")
    # Alt+S opens the Solve menu with its first item, Solve, selected.
    session.keys("alt+s")
    time.sleep(0.2 * TIME_SCALE)
    session.keys("Return")
    text = session.copy_results(window, text)
    if first_line(text) != "Velocity,5.09,m/s":
        raise Failure(f"Solve > Solve did not solve 40 l/s: the results start "
                      f"{first_line(text)!r}.")
    session.exit_through_file_menu(window)


SCENARIOS = {
    "moody-from-keyboard": moody_from_keyboard,
    "solve-menu": solve_menu,
}



if __name__ == "__main__":
    sys.exit(e2e.run_scenarios(SCENARIOS, __doc__.splitlines()[0]))
