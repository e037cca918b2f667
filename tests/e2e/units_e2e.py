#!/usr/bin/env python3
"""The window in US customary units on a private Xvfb display, driven with xdotool.

    units_e2e.py SCENARIO --corvel PATH --artefacts DIR

Scenarios:
    us-customary  Units > US customary from the keyboard, then 100 usgpm, 4 inch and 60 °F
                  typed into the grid and F9: the copied results are in ft/s and psi/100 ft
                  and are the physics corvel-solve gives for the same case in SI units
                  (6.309 l/s, 101.6 mm, 15.56 °C); after a restart the window is still in
                  US units

Exit status as corvel_e2e.py: 0 passed, 1 failed, 77 skipped.
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corvel_e2e as e2e  # noqa: E402  (the fixture lives beside this file)
from corvel_e2e import Failure, TIME_SCALE, log  # noqa: E402

USGPM_PER_LPS = 15.850323141488905
PSI_IN_PA = 6894.757293168361
FOOT_IN_M = 0.3048


def choose_us_customary(session, window):
    # Units > US customary.
    session.choose_menu_item(window, "u", "u", settle=0.3)
    time.sleep(0.3 * TIME_SCALE)


def type_value(session, text):
    # A digit typed into the selected value cell opens its editor with that digit.
    session.x("xdotool", "type", "--delay", "60", text)
    session.keys("Return")
    time.sleep(0.2 * TIME_SCALE)


def copied_lines(session, window, previous):
    text = session.copy_results(window, previous=previous)
    lines = {}
    for line in text.split("\r\n"):
        parts = line.split(",")
        if len(parts) == 3:
            lines[parts[0]] = (parts[1], parts[2])
    return text, lines


def si_solution(corvel):
    """Velocity [m/s] and pressure drop rate [kPa/m] corvel-solve gives for the SI case."""
    solver = os.path.join(os.path.dirname(corvel), "corvel-solve")
    output = subprocess.run(
        [solver, "--flow", repr(100 / USGPM_PER_LPS), "--diameter", "101.6",
         "--temperature", repr((60 - 32) / 1.8), "--precise"],
        check=True, capture_output=True, text=True).stdout
    results = {}
    for line in output.splitlines():
        caption, value, _ = line.split(",")
        try:
            results[caption] = float(value)
        except ValueError:
            pass  # the regime's name
    return results


def expect_close(what, shown, expected, decimals):
    """`shown` is the text of a value rounded to `decimals`: it must be `expected` so rounded."""
    if abs(float(shown) - expected) > 0.5 * 10 ** -decimals + 1e-12:
        raise Failure(f"{what} shows {shown}, the SI case gives {expected:.{decimals + 3}f}.")
    log(f"{what}: {shown} (SI case: {expected:.{decimals + 3}f})")


def us_customary(session):
    window = session.start()
    at_start = session.copy_results(window)
    choose_us_customary(session, window)
    text, lines = copied_lines(session, window, at_start)
    if lines.get("Velocity", ("", ""))[1] != "ft/s":
        raise Failure(f"Units > US customary did not switch the results: {text!r}")

    # The flowrate value is the current cell at start-up; Down moves to the next row.
    type_value(session, "100")
    session.keys("Down", "Down")
    type_value(session, "4")
    session.keys("Down")
    type_value(session, "60")
    session.keys("F9")
    text, lines = copied_lines(session, window, text)
    if lines.get("Pressure Drop Rate", ("", ""))[1] != "psi/100 ft":
        raise Failure(f"The pressure drop rate is not in psi/100 ft: {text!r}")

    si = si_solution(session.corvel)
    expect_close("Velocity [ft/s]", lines["Velocity"][0], si["Velocity"] / FOOT_IN_M, 2)
    expect_close("Pressure drop rate [psi/100 ft]", lines["Pressure Drop Rate"][0],
                 si["Pressure Drop Rate"] * 1000 * 100 * FOOT_IN_M / PSI_IN_PA, 4)
    expect_close("Reynolds number", lines["Reynolds Number"][0], si["Reynolds Number"], 0)
    e2e.expect_lines(text, text[:-2].split("\r\n"), "US customary")
    session.screenshot(window, "us-customary.png")

    session.exit_through_file_menu(window)
    window = session.start()
    restarted, lines = copied_lines(session, window, None)
    if lines.get("Pressure Drop Rate", ("", ""))[1] != "psi/100 ft":
        raise Failure(f"After a restart the results are not in US units: {restarted!r}")
    log("The US units came back after a restart.")
    session.exit_through_file_menu(window)


SCENARIOS = {"us-customary": us_customary}



if __name__ == "__main__":
    sys.exit(e2e.run_scenarios(SCENARIOS, __doc__.splitlines()[0]))
