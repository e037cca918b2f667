#!/usr/bin/env python3
"""Drives corvel's named case files on a private Xvfb display, with xdotool.

    cases_e2e.py SCENARIO --corvel PATH --artefacts DIR

Scenarios:
    save-as-then-close  File > Save As..., type the name "pipe" into the file dialog for a
                        temporary folder: pipe.corvel must be written and the title must name it.
                        Type 30 l/s: the title gains "*". File > Exit: the question "Save changes
                        to pipe.corvel?" must appear; Escape (Cancel) must keep the window and the
                        file. File > Exit again and Enter (Save): the file holds 30 l/s and
                        corvel exits.
    open-argument       start `corvel FILE` with a case file of 30 l/s: the title names the file
                        and the results are those of 30 l/s.

Exit status: 0 passed, 1 failed, 77 skipped, as corvel_e2e.py.
"""

import os
import sys
import time

import corvel_e2e as e2e
from corvel_e2e import Failure, log


def choose_file_menu_item(session, window, mnemonic):
    session.x("xdotool", "windowfocus", "--sync", str(window))
    session.keys("alt+f")
    time.sleep(0.2 * e2e.TIME_SCALE)
    session.keys(mnemonic)


def wait_for_window(session, what, name_pattern, timeout=10):
    def found():
        windows = session.visible_windows(name_pattern)
        return windows[0] if windows else None
    return e2e.wait_for(what, found, timeout)


def read(path):
    with open(path, encoding="utf-8") as file:
        return file.read()


def save_as_then_close(session):
    folder = os.path.join(session.home, "cases")
    os.mkdir(folder)
    case = os.path.join(folder, "pipe.corvel")
    window = session.start()

    choose_file_menu_item(session, window, "a")
    dialog = wait_for_window(session, "the Save As dialog", "^Save Case As$")
    session.x("xdotool", "windowfocus", "--sync", str(dialog))
    # The file name field has the focus; a full path names the folder too, and the dialog adds
    # the extension .corvel.
    session.x("xdotool", "type", "--delay", "40", os.path.join(folder, "pipe"))
    session.keys("Return")
    e2e.wait_for("Save As to write pipe.corvel", lambda: os.path.exists(case), 10)
    if "Q=0.024000" not in read(case):
        raise Failure(f"The saved case does not hold 24 l/s:\n{read(case)}")
    wait_for_window(session, "the title to name the case", r"^Corvel .* - pipe\.corvel$")
    log("Save As wrote pipe.corvel and the title names it.")

    e2e.type_flowrate(session, window, "30")
    wait_for_window(session, "the title to mark the change", r"^Corvel .* - pipe\.corvel\*$")

    choose_file_menu_item(session, window, "x")
    question = wait_for_window(session, "the question before closing", "^Corvel$")
    session.screenshot(question, "save-changes-question.png")
    session.x("xdotool", "windowfocus", "--sync", str(question))
    session.keys("Escape")
    e2e.wait_for("the question to go", lambda: not session.visible_windows("^Corvel$"), 10)
    time.sleep(0.5 * e2e.TIME_SCALE)
    if session.program.poll() is not None:
        raise Failure("Cancel on the question closed corvel.")
    if not session.visible_windows(r"^Corvel .* - pipe\.corvel\*$"):
        raise Failure("After Cancel the main window with its changed case is gone.")
    if "Q=0.024000" not in read(case):
        raise Failure(f"Cancel changed the saved case:\n{read(case)}")
    log("Cancel kept the window and the file.")

    choose_file_menu_item(session, window, "x")
    question = wait_for_window(session, "the question before closing again", "^Corvel$")
    session.x("xdotool", "windowfocus", "--sync", str(question))
    session.keys("Return")  # Save is the default button
    e2e.wait_for("corvel to exit", lambda: session.program.poll() is not None, 20)
    if session.program.returncode != 0:
        raise Failure(f"corvel exited with status {session.program.returncode}.")
    if "Q=0.030000" not in read(case):
        raise Failure(f"Save on the question did not write 30 l/s:\n{read(case)}")
    log("Save on the question wrote the case and corvel exited.")


def open_argument(session):
    case = os.path.join(session.home, "line 30.corvel")
    with open(case, "w", encoding="utf-8") as file:
        file.write("[Store]\nQ=0.030000\nd=0.100000\nt=9.000000\nk=0.000030\n")
    window = session.start(case)
    wait_for_window(session, "the title to name the case", r"^Corvel .* - line 30\.corvel$")
    e2e.expect_lines(session.copy_results(window), e2e.RESULTS_AT_30_LPS, "After corvel FILE")
    log("corvel FILE opened the case, solved.")
    session.exit_through_file_menu(window)


SCENARIOS = {"save-as-then-close": save_as_then_close, "open-argument": open_argument}



if __name__ == "__main__":
    sys.exit(e2e.run_scenarios(SCENARIOS, __doc__.splitlines()[0]))
