#!/usr/bin/env python3
"""Drives an installed corvel on a private Xvfb display to check where its case file goes.

    case_file_e2e.py installed-save --corvel PATH --artefacts DIR --cmake CMAKE --build-folder DIR

Scenarios:
    installed-save  install the build with `cmake --install` into a prefix inside a fresh HOME,
                    start the installed corvel, type 30 l/s and choose File > Save: the case must
                    land in ~/Documents/Kestrone/corvel/Corvel.ini and nothing may be written
                    beside the program, even when the user (root) may write there. Then type
                    40 l/s and choose File > Open: the saved 30 l/s must come back, solved.

Exit status: 0 passed, 1 failed, 77 skipped, as corvel_e2e.py.
"""

import os
import subprocess
import sys
import time

import corvel_e2e as e2e
from corvel_e2e import Failure, log


def choose_file_menu_item(session, window, mnemonic):
    session.x("xdotool", "windowfocus", "--sync", str(window))
    session.keys("alt+f")
    time.sleep(0.2 * e2e.TIME_SCALE)
    session.keys(mnemonic)


def installed_save(session, cmake, build_folder):
    prefix = os.path.join(session.home, "prefix")
    installed = subprocess.run([cmake, "--install", build_folder, "--prefix", prefix],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if installed.returncode != 0:
        raise Failure("cmake --install failed:\n" + installed.stdout.decode(errors="replace"))
    program_folder = os.path.join(prefix, "bin")
    session.corvel = os.path.join(program_folder, "corvel")
    users_case = os.path.join(session.home, "Documents", "Kestrone", "corvel", "Corvel.ini")
    beside = os.path.join(program_folder, "Corvel.ini")

    window = session.start()
    e2e.type_flowrate(session, window, "30")
    choose_file_menu_item(session, window, "s")
    text = e2e.wait_for("File > Save to write the user's case file",
                        lambda: os.path.exists(users_case) and open(users_case).read(), 10)
    if "Q=0.030000" not in text:
        raise Failure(f"The saved case does not hold 30 l/s:\n{text}")
    if os.path.exists(beside):
        raise Failure(f"The installed corvel wrote {beside} beside itself.")
    log(f"File > Save wrote {users_case} and nothing beside the program.")

    e2e.type_flowrate(session, window, "40")
    at_40 = session.copy_results(window)
    choose_file_menu_item(session, window, "o")
    e2e.expect_lines(session.copy_results(window, previous=at_40), e2e.RESULTS_AT_30_LPS,
                     "After File > Open")
    log("File > Open brought the saved 30 l/s back, solved.")
    session.exit_through_file_menu(window)
    if os.path.exists(beside):
        raise Failure(f"The installed corvel wrote {beside} beside itself.")


SCENARIOS = {
    "installed-save": lambda session, args: installed_save(session, args.cmake,
                                                           os.path.abspath(args.build_folder)),
}


if __name__ == "__main__":
    sys.exit(e2e.run_scenarios(SCENARIOS, __doc__.splitlines()[0], build_tree=True))
