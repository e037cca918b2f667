#!/usr/bin/env python3
"""The about box on a real X server, where focus and the order of windows are real.

    report_e2e.py SCENARIO --corvel PATH --artefacts DIR

Scenarios:
    about-focus       Help > About opens the box with OK focused: Enter closes it and opens
                      no link
    about-at-startup  with "Show this form on program bootup" stored, the box shows after the
                      main window at start-up; Esc closes it, the check box turns it off for
                      the next start

Exit status: 0 passed, 1 failed, 77 skipped (as corvel_e2e.py).
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corvel_e2e as e2e  # noqa: E402
from corvel_e2e import TIME_SCALE, Failure, log, wait_for  # noqa: E402

ABOUT_TITLE = "^About Corvel$"
# Where the check box "Show this form on program bootup" lies in the about box, in pixels.
SPLASH_CHECK_BOX = (16, 285)


def record_opened_links(session):
    """Puts recording stand-ins for xdg-open and xdg-email first on the PATH; returns the path of
    the file they append the addresses they are given to."""
    fake_bin = os.path.join(session.home, "bin")
    os.makedirs(fake_bin, exist_ok=True)
    record = os.path.join(session.home, "opened-links")
    for tool in ("xdg-open", "xdg-email"):
        path = os.path.join(fake_bin, tool)
        with open(path, "w") as script:
            script.write(f'#!/bin/sh\nprintf "%s\\n" "$*" >> "{record}"\n')
        os.chmod(path, 0o755)
    session.env["PATH"] = fake_bin + os.pathsep + session.env.get("PATH", "")
    return record


def settings_file(session):
    return os.path.join(session.env["XDG_CONFIG_HOME"], "Kestrone", "corvel.conf")


def store_show_at_startup(session, value):
    path = settings_file(session)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as file:
        file.write(f"[Settings]\nSplashScreen={value}\n")


def stored_show_at_startup(session):
    try:
        with open(settings_file(session)) as file:
            for line in file:
                name, _, value = line.strip().partition("=")
                if name.lower() == "splashscreen":
                    return value
    except FileNotFoundError:
        pass
    return None


def start_program(session):
    """Starts corvel and returns its main window once it is shown (focus not awaited)."""
    session.runs += 1
    output = open(os.path.join(session.artefacts, f"corvel-run{session.runs}.log"), "w")
    session.program = subprocess.Popen([session.corvel], env=session.env, cwd=session.home,
                                       stdout=output, stderr=subprocess.STDOUT)

    def main_window():
        if session.program.poll() is not None:
            raise Failure(f"corvel stopped at start-up with status {session.program.returncode}.")
        windows = session.visible_windows("^Corvel")
        return windows[0] if windows else None

    return wait_for("the main window to show", main_window, 30)


def about_box(session):
    return wait_for("the about box", lambda: session.visible_windows(ABOUT_TITLE), 10)[0]


def wait_closed(session, what):
    wait_for(f"{what} to close", lambda: not session.visible_windows(ABOUT_TITLE), 10)


def about_focus(session):
    record = record_opened_links(session)
    window = session.start()
    # Alt+H opens the Help menu; A is the mnemonic of its About item.
    session.keys("alt+h")
    time.sleep(0.2 * TIME_SCALE)
    session.keys("a")
    box = about_box(session)
    wait_for("the about box to take the focus", lambda: session.focused() == box, 10)
    session.keys("Return")
    wait_closed(session, "the about box after Enter")
    time.sleep(0.5 * TIME_SCALE)
    if os.path.exists(record):
        raise Failure(f"Enter in the about box opened {open(record).read().strip()!r}.")
    log("Enter closed the about box and opened no link.")
    session.exit_through_file_menu(window)


def about_at_startup(session):
    store_show_at_startup(session, 1)
    window = start_program(session)
    box = about_box(session)
    if not session.visible_windows("^Corvel"):
        raise Failure("The about box showed without the main window.")
    wait_for("the about box to take the focus", lambda: session.focused() == box, 10)
    session.screenshot(box, "about-at-startup.png")
    session.keys("Escape")
    wait_closed(session, "the about box after Esc")
    log("The stored preference showed the about box after the main window; Esc closed it.")
    if stored_show_at_startup(session) not in ("1", "true"):
        raise Failure(f"Esc changed the stored preference to {stored_show_at_startup(session)!r}.")
    session.exit_through_file_menu(window)

    # Untick the check box and close with OK: the next start shows no about box.
    window = start_program(session)
    box = about_box(session)
    wait_for("the about box to take the focus", lambda: session.focused() == box, 10)
    x, y = SPLASH_CHECK_BOX
    session.x("xdotool", "mousemove", "--window", str(box), str(x), str(y), "click", "1")
    time.sleep(0.3 * TIME_SCALE)
    session.keys("Return")
    wait_closed(session, "the about box after OK")
    if stored_show_at_startup(session) not in ("0", "false"):
        raise Failure("Unticking the check box did not store SplashScreen=0, the file holds "
                      f"{stored_show_at_startup(session)!r}.")
    session.exit_through_file_menu(window)

    window = session.start()
    time.sleep(1.5 * TIME_SCALE)
    if session.visible_windows(ABOUT_TITLE):
        raise Failure("The about box showed at start-up although the preference is off.")
    log("With the check box unticked the next start showed no about box.")
    session.exit_through_file_menu(window)


SCENARIOS = {
    "about-focus": about_focus,
    "about-at-startup": about_at_startup,
}



if __name__ == "__main__":
    sys.exit(e2e.run_scenarios(SCENARIOS, __doc__.splitlines()[0]))
