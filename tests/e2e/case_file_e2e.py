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

import argparse
import os
import shutil
import signal
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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("scenario", choices=["installed-save"])
    parser.add_argument("--corvel", required=True, help="the corvel program of the build")
    parser.add_argument("--artefacts", required=True, help="folder for screenshots and logs")
    parser.add_argument("--cmake", default="cmake", help="cmake, to install the build")
    parser.add_argument("--build-folder", required=True, help="the build to install")
    args = parser.parse_args()

    if os.environ.get("CORVEL_E2E_SKIP"):
        log(f"SKIPPED: {os.environ['CORVEL_E2E_SKIP']}")
        return e2e.SKIP
    missing = [tool for tool in e2e.TOOLS if shutil.which(tool) is None]
    if missing:
        log(f"SKIPPED: the end-to-end tests need {', '.join(missing)} "
            "(scripts/deps.sh installs them).")
        return e2e.SKIP

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    session = None
    try:
        session = e2e.Session(os.path.abspath(args.corvel), os.path.abspath(args.artefacts))
        installed_save(session, args.cmake, os.path.abspath(args.build_folder))
    except Failure as failure:
        log(f"FAILED: {failure}")
        if session and session.program and session.program.poll() is None:
            session.x("import", "-window", "root",
                      os.path.join(session.artefacts, "failure-screen.png"), check=False)
        return 1
    finally:
        if session:
            session.close()
    log("PASSED")
    return 0


if __name__ == "__main__":
    sys.exit(main())
