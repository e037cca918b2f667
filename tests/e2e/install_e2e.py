#!/usr/bin/env python3
"""End-to-end checks of corvel as a desktop program, on a private Xvfb display (the fixture of
corvel_e2e.py).

    install_e2e.py SCENARIO --corvel PATH --artefacts DIR

Scenarios:
    window-icon           the main window carries its icon (_NET_WM_ICON, read with xprop) in
                          the sizes a title bar and a task switcher show
    help-without-opener   F1 with no xdg-open (nor any browser) on the PATH shows an error box;
                          Enter closes it and the window goes on working

Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing, or CORVEL_E2E_SKIP is set).
"""

import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corvel_e2e as e2e  # noqa: E402
from corvel_e2e import TIME_SCALE, TOOLS, Failure, log, wait_for  # noqa: E402

# The error box's title is the application's name; the main window's title goes on with its
# version ("Corvel 1.0.0").
ERROR_BOX_TITLE = "^Corvel$"


def window_icon(session):
    window = session.start()
    result = session.x("xprop", "-id", str(window), "_NET_WM_ICON", check=False)
    text = result.stdout.decode(errors="replace")
    sizes = sorted({(int(w), int(h)) for w, h in re.findall(r"Icon \((\d+) x (\d+)\)", text)})
    if not sizes:
        raise Failure(f"The main window has no _NET_WM_ICON: {text.strip()[:200]!r}")
    log(f"_NET_WM_ICON holds the sizes {sizes}.")
    for needed in (16, 32):
        if (needed, needed) not in sizes:
            raise Failure(f"The window icon has no {needed} x {needed} image; it has {sizes}.")
    session.exit_through_file_menu(window)


def path_without_opener(session):
    """A PATH holding only the X tools the test drives, so that corvel finds no xdg-open and
    no browser."""
    folder = os.path.join(session.home, "tools")
    os.mkdir(folder)
    for tool in TOOLS + ["xprop"]:
        found = shutil.which(tool)
        if found:
            os.symlink(found, os.path.join(folder, tool))
    return folder


def help_without_opener(session):
    session.env["PATH"] = path_without_opener(session)
    # Nothing may point Qt at another opener: a browser named in the environment, or a desktop
    # session with a launcher of its own.
    for name in ("BROWSER", "DEFAULT_BROWSER", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
                 "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"):
        session.env.pop(name, None)
    window = session.start()
    session.keys("F1")

    def error_box():
        return [w for w in session.visible_windows(ERROR_BOX_TITLE) if w != window]

    box = wait_for("an error box after F1", error_box, 10)[0]
    _, _, width, height = session.geometry(box)
    if width < 200 or height < 60:
        raise Failure(f"The error box is only {width}x{height} pixels.")
    # The box's words are checked by the widget test (a message box on X offers no way to read
    # them back); here: it shows, takes the keyboard and leaves the window working.
    session.screenshot(box, "error-box.png")
    log(f"F1 without xdg-open showed an error box of {width}x{height} pixels.")

    session.keys("Return")
    wait_for("the error box to close", lambda: not error_box(), 10)
    time.sleep(0.2 * TIME_SCALE)
    if session.program.poll() is not None:
        raise Failure("corvel stopped after the error box closed.")
    session.exit_through_file_menu(window)


SCENARIOS = {
    "window-icon": window_icon,
    "help-without-opener": help_without_opener,
}



if __name__ == "__main__":
    sys.exit(e2e.run_scenarios(SCENARIOS, __doc__.splitlines()[0], extra_tools=["xprop"]))
