#!/usr/bin/env python3
"""Drives the Pipe menu of the real corvel program on a private Xvfb display with xdotool: the
sizing dialog's keyboard and focus, which the offscreen platform hides.

    sizing_e2e.py SCENARIO --corvel PATH --artefacts DIR

Scenarios:
    size-from-keyboard  Alt+P, S opens "Size For Pressure Drop..." with the gradient edit
                        focused; 0.4 and Enter size the diameter for 24 l/s, and the copied
                        results show the wider pipe's lower velocity and 0.4 kPa/m. Again with
                        0.2 and Alt+F (the flowrate for the current diameter) and Enter: the
                        flowrate falls and the results show 0.2 kPa/m.

Exit status as corvel_e2e.py: 0 passed, 1 failed, 77 skipped.
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corvel_e2e as e2e  # noqa: E402  (the fixture lives beside this file)
from corvel_e2e import Failure, TIME_SCALE, log, wait_for  # noqa: E402

DIALOG_TITLE = "^Size For Pressure Drop$"


def result_lines(text):
    return dict(line.split(",", 1) for line in text.split("\r\n") if "," in line)


def size_from_menu(session, window, gradient, *choice_keys):
    """Opens the sizing dialog through the Pipe menu, types `gradient` over the offered one,
    presses `choice_keys`, then Enter; waits for the dialog to close."""
    session.x("xdotool", "windowfocus", "--sync", str(window))
    # Alt+P opens the Pipe menu; S is the mnemonic of its Size For Pressure Drop item.
    session.keys("alt+p")
    time.sleep(0.2 * TIME_SCALE)
    session.keys("s")
    dialog = wait_for("the sizing dialog to show",
                      lambda: (session.visible_windows(DIALOG_TITLE) or [None])[0], 10)
    wait_for("the sizing dialog to take the focus", lambda: session.focused() == dialog, 10)
    session.screenshot(dialog, f"sizing-{gradient}.png")
    # The gradient edit has the focus: select its text and type over it.
    session.keys("ctrl+a")
    session.x("xdotool", "type", "--delay", "60", gradient)
    if choice_keys:
        session.keys(*choice_keys)
    session.keys("Return")
    wait_for("the sizing dialog to close",
             lambda: not session.visible_windows(DIALOG_TITLE), 10)


def expect(results, caption, check, when):
    value = results.get(caption, "")
    if not check(value):
        raise Failure(f"{when}: {caption} is {value!r}.")
    log(f"{when}: {caption},{value}")


def size_from_keyboard(session):
    window = session.start()
    at_start = session.copy_results(window)
    start = result_lines(at_start)
    if start.get("Velocity") != "3.06,m/s":
        raise Failure(f"A fresh HOME should start with the default case, got {at_start!r}.")

    size_from_menu(session, window, "0.4")
    sized = session.copy_results(window, previous=at_start)
    results = result_lines(sized)
    when = "After sizing the diameter for 0.4 kPa/m"
    expect(results, "Pressure Drop Rate", lambda v: v == "0.4,kPa/m", when)
    # 24 l/s in a wider pipe: a lower velocity than the 100 mm pipe's 3.06 m/s.
    expect(results, "Velocity", lambda v: float(v.split(",")[0]) < 3.0, when)

    size_from_menu(session, window, "0.2", "alt+f")
    again = result_lines(session.copy_results(window, previous=sized))
    when = "After sizing the flowrate for 0.2 kPa/m"
    expect(again, "Pressure Drop Rate", lambda v: v == "0.2,kPa/m", when)
    # The same pipe at half the gradient: a lower velocity again.
    expect(again, "Velocity",
           lambda v: float(v.split(",")[0]) < float(results["Velocity"].split(",")[0]), when)
    session.exit_through_file_menu(window)


SCENARIOS = {
    "size-from-keyboard": size_from_keyboard,
}



if __name__ == "__main__":
    sys.exit(e2e.run_scenarios(SCENARIOS, __doc__.splitlines()[0]))
