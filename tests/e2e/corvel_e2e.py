#!/usr/bin/env python3
"""Drives the real corvel program on a private Xvfb display as a person would, with xdotool.

    corvel_e2e.py SCENARIO --corvel PATH --artefacts DIR

Scenarios:
    copy-and-restart  type a flowrate of 30, solve with F9, copy the results through the Edit
                      menu and compare the clipboard; exit through the File menu, start again and
                      check that the inputs came back
    report            open the report window from the File menu
    help              press F1 in the build tree and in a `cmake --install` tree: the help page
                      handed to xdg-open must be the one beside the program, or the installed one
    screenshots       save main-window.png and report-window.png for the README

Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing, or CORVEL_E2E_SKIP is set to
the reason, for machines where no X server may run).
Every wait polls with a deadline; CORVEL_E2E_TIME_SCALE stretches the deadlines (slow builds).
"""

import argparse
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
TIME_SCALE = float(os.environ.get("CORVEL_E2E_TIME_SCALE", "1"))

# Results of the default case with a flowrate of 30 l/s, as the Edit menu copies them.
RESULTS_AT_30_LPS = [
    "Velocity,3.82,m/s",
    "Density,999.6,kg/m³",
    "Heat Capacity,4.195,kJ/kg·K",
    "Dynamic Viscosity,1333,mg/m-s",
    "Conductivity,585,mW/m-K",
    "Prandtl Number,9.55, -",
    "Enthalpy,37.75,kJ/kg",
    "Saturation Pressure,1.147,kPa",
    "Diffusion Coefficient,0.235,cm²/s",
    "Reynolds Number,286548,-",
    "Friction Factor,0.01704,D'arcy",
    "Moody Diagram,Transition,Zone",
    "Pressure Drop Rate,1.243,kPa/m",
]
# The default case (24 l/s in a 100 mm pipe) solves to this velocity at start-up.
DEFAULT_VELOCITY_LINE = "Velocity,3.06,m/s"

# Where the value cell of the "Water Flowrate" row lies in the main window, in pixels: below the
# menu bar (about 19 px) and the header row (about 17 px); the value column spans about 135-205.
FLOWRATE_VALUE_CELL = (170, 44)

TOOLS = ["Xvfb", "xdotool", "xclip", "import"]


class Failure(Exception):
    """A check of the scenario did not hold."""


def log(message):
    print(message, flush=True)


def wait_for(what, probe, timeout, interval=0.1):
    """Calls probe until it returns a true value and returns that; fails after timeout seconds."""
    deadline = time.monotonic() + timeout * TIME_SCALE
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"Timed out after {timeout * TIME_SCALE:.0f} s waiting for {what}.")
        time.sleep(interval)


class Display:
    """An Xvfb server on the first free display number from 90 up, stopped on exit."""

    def __init__(self, log_folder):
        self.process = None
        for number in range(90, 200):
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            if self._start(number, log_folder):
                self.name = f":{number}"
                return
        raise Failure("No free X display number between 90 and 199.")

    def _start(self, number, log_folder):
        """Starts Xvfb on :number; false when it did not come up (another took the number)."""
        # Xvfb writes the display number to the -displayfd pipe once it accepts connections,
        # and exits without writing when the number is taken. -noreset: by default the server
        # resets when its last client leaves and refuses a program started again meanwhile.
        ready_read, ready_write = os.pipe()
        log_file = open(os.path.join(log_folder, "xvfb.log"), "a")
        process = subprocess.Popen(
            ["Xvfb", f":{number}", "-displayfd", str(ready_write), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset"],
            stdout=log_file, stderr=subprocess.STDOUT, pass_fds=(ready_write,))
        os.close(ready_write)
        with os.fdopen(ready_read) as ready:
            readable, _, _ = select.select([ready], [], [], 15 * TIME_SCALE)
            announced = ready.readline().strip() if readable else ""
        if announced == str(number):
            self.process = process
            return True
        process.kill()
        process.wait()
        return False

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Session:
    """The display, a fresh HOME and the helpers that drive the X server."""

    def __init__(self, corvel, artefacts):
        self.corvel = corvel
        self.artefacts = artefacts
        os.makedirs(artefacts, exist_ok=True)
        self.home = tempfile.mkdtemp(prefix="corvel-e2e-home-")
        runtime = os.path.join(self.home, "runtime")
        os.mkdir(runtime, 0o700)
        self.display = Display(artefacts)
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": self.display.name,
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_RUNTIME_DIR": runtime,
            "QT_QPA_PLATFORM": "xcb",
        })
        # Under AddressSanitizer: libxkbcommon-x11 strndup()s X atom names that are not
        # NUL-terminated, which strndup allows but ASan's strict string checks report.
        if "ASAN_OPTIONS" in self.env:
            self.env["ASAN_OPTIONS"] += ":strict_string_checks=0"
        self.env["LSAN_OPTIONS"] = self._leak_options(self.env.get("LSAN_OPTIONS", ""))
        # No desktop session: keep Qt from looking for one.
        for name in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XAUTHORITY"):
            self.env.pop(name, None)
        self.program = None
        self.runs = 0

    def _leak_options(self, options):
        """LSAN_OPTIONS with our suppressions added to any file the options already name."""
        lines = []
        kept = []
        for option in filter(None, options.split(":")):
            name, _, value = option.partition("=")
            if name == "suppressions":
                with open(value) as given:
                    lines.append(given.read())
            else:
                kept.append(option)
        with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")) as ours:
            lines.append(ours.read())
        combined = os.path.join(self.home, "lsan.supp")
        with open(combined, "w") as file:
            file.write("\n".join(lines))
        return ":".join(kept + [f"suppressions={combined}"])

    def close(self):
        if self.program and self.program.poll() is None:
            self.program.kill()
            self.program.wait()
        self.display.stop()
        shutil.rmtree(self.home, ignore_errors=True)

    def x(self, *args, check=True):
        """Runs an X client (xdotool, xclip, import) on our display and returns its output."""
        try:
            result = subprocess.run(list(args), env=self.env, stdout=subprocess.PIPE,
                                    stderr=subprocess.PIPE, timeout=30 * TIME_SCALE)
        except subprocess.TimeoutExpired:
            raise Failure(f"{' '.join(args)} did not finish in {30 * TIME_SCALE:.0f} s.")
        if check and result.returncode != 0:
            raise Failure(f"{' '.join(args)} failed: {result.stderr.decode(errors='replace')}")
        return result

    def visible_windows(self, name_pattern):
        result = self.x("xdotool", "search", "--onlyvisible", "--name", name_pattern, check=False)
        return [int(w) for w in result.stdout.split()]

    def geometry(self, window):
        """(x, y, width, height) of a window on the screen."""
        values = {}
        for line in self.x("xdotool", "getwindowgeometry", "--shell", str(window)).stdout.decode().split():
            key, _, value = line.partition("=")
            values[key] = int(value)
        return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]

    def start(self, *args):
        """Starts corvel with `args` (a case file to open, say) and returns its main window
        once it is shown and has the focus."""
        self.runs += 1
        output = open(os.path.join(self.artefacts, f"corvel-run{self.runs}.log"), "w")
        self.program = subprocess.Popen([self.corvel, *args], env=self.env, cwd=self.home,
                                        stdout=output, stderr=subprocess.STDOUT)

        def main_window():
            if self.program.poll() is not None:
                raise Failure(f"corvel stopped at start-up with status {self.program.returncode}; "
                              f"see corvel-run{self.runs}.log.")
            windows = self.visible_windows("^Corvel")
            return windows[0] if windows else None

        window = wait_for("the main window to show", main_window, 30)
        # The program takes the focus itself (there is no window manager), and its first
        # activation solves the case.
        wait_for("the main window to take the focus", lambda: self.focused() == window, 10)
        return window

    def focused(self):
        result = self.x("xdotool", "getwindowfocus", "-f", check=False)
        return int(result.stdout) if result.returncode == 0 and result.stdout.strip() else None

    def keys(self, *keys):
        self.x("xdotool", "key", "--delay", "40", *keys)

    def clipboard(self):
        result = self.x("xclip", "-o", "-selection", "clipboard", check=False)
        return result.stdout.decode("utf-8", errors="replace") if result.returncode == 0 else ""

    def choose_menu_item(self, window, menu, item, settle=0.2):
        """Focuses the window and chooses an item from the keyboard: Alt+`menu` opens the menu,
        `item` is the mnemonic of the item in it."""
        self.x("xdotool", "windowfocus", "--sync", str(window))
        self.keys(f"alt+{menu}")
        time.sleep(settle * TIME_SCALE)
        self.keys(item)

    def copy_results(self, window, previous=None, lines=None):
        """Copies the results through Edit > Copy and returns the clipboard text: as soon as it
        holds lines other than `previous` (exactly `lines` of them when given, else at least
        thirteen), else after three tries whatever it holds."""
        def fresh_results():
            text = self.clipboard()
            count = text.count("\r\n")
            enough = count == lines if lines is not None else count >= 13
            return text if enough and text != previous else None

        for _ in range(3):
            self.choose_menu_item(window, "e", "c")
            try:
                return wait_for("the results on the clipboard", fresh_results, 5)
            except Failure:
                self.keys("Escape", "Escape")  # a menu left open by a lost key press
        return self.clipboard()

    def exit_through_file_menu(self, window):
        self.choose_menu_item(window, "f", "x")
        wait_for("corvel to exit", lambda: self.program.poll() is not None, 20)
        if self.program.returncode != 0:
            raise Failure(f"corvel exited with status {self.program.returncode}; "
                          f"see corvel-run{self.runs}.log.")

    def screenshot(self, window, file_name):
        """Saves the window's area of the screen; with no window manager there is no frame."""
        x, y, width, height = self.geometry(window)
        path = os.path.join(self.artefacts, file_name)
        self.x("import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage", path)
        log(f"Saved {path}")
        return path


def expect_lines(text, expected, when):
    if not text:
        raise Failure(f"{when}: Edit > Copy put nothing on the clipboard.")
    if not text.endswith("\r\n"):
        raise Failure(f"{when}: the clipboard text does not end in CR LF: {text!r}")
    lines = text[:-2].split("\r\n")
    if lines != expected:
        diff = "\n".join(f"  got {g!r:40} expected {e!r}" for g, e in
                         zip(lines + [""] * 13, expected + [""] * 13) if g != e)
        raise Failure(f"{when}: the copied results differ:\n{diff}")


def click_flowrate_value(session, window):
    """One click on the flowrate's value cell, which selects it."""
    cell_x, cell_y = FLOWRATE_VALUE_CELL
    session.x("xdotool", "mousemove", "--window", str(window), str(cell_x), str(cell_y),
              "click", "1")


def type_flowrate(session, window, text):
    click_flowrate_value(session, window)
    # A digit typed into the selected cell opens its editor with that digit.
    session.x("xdotool", "type", "--delay", "60", text)
    session.keys("Return")


def copy_and_restart(session):
    window = session.start()
    at_start = session.copy_results(window)
    first_line = at_start.split("\r\n")[0]
    if first_line != DEFAULT_VELOCITY_LINE:
        raise Failure(f"A fresh HOME should start with the default case, got {first_line!r}.")

    type_flowrate(session, window, "30")
    session.keys("F9")
    copied = session.copy_results(window, previous=at_start)
    expect_lines(copied, RESULTS_AT_30_LPS, "After typing 30 l/s and pressing F9")
    session.screenshot(window, "main-window.png")
    log("The 13 results of 30 l/s reached the clipboard.")

    session.exit_through_file_menu(window)
    window = session.start()
    expect_lines(session.copy_results(window), RESULTS_AT_30_LPS, "After a restart")
    log("The flowrate of 30 l/s came back after a restart.")
    session.exit_through_file_menu(window)


def open_report(session, window):
    # Alt+F opens the File menu; R is the mnemonic of its Report Results item.
    session.keys("alt+f")
    time.sleep(0.2 * TIME_SCALE)
    session.keys("r")
    report = wait_for("the Report window", lambda: session.visible_windows("^Report$"), 10)[0]
    _, _, width, height = session.geometry(report)
    if width < 100 or height < 100:
        raise Failure(f"The Report window is only {width}x{height} pixels.")
    return report


def report(session):
    window = session.start()
    report_window = open_report(session, window)
    session.screenshot(report_window, "report-window.png")
    log("The Report window opened from the File menu.")
    session.exit_through_file_menu(window)


def opened_help_page(session, corvel):
    """Starts corvel, presses F1 and returns the URL it handed to xdg-open."""
    record = os.path.join(session.home, "opened-urls")
    if os.path.exists(record):
        os.remove(record)
    session.corvel = corvel
    window = session.start()
    session.keys("F1")
    url = wait_for("corvel to open the help page",
                   lambda: os.path.exists(record) and open(record).read().strip(), 10)
    session.exit_through_file_menu(window)
    return url


def help_pages(session, cmake, build_folder):
    # Qt opens documents with xdg-open from the PATH; ours records the URL instead.
    fake_bin = os.path.join(session.home, "bin")
    os.mkdir(fake_bin)
    with open(os.path.join(fake_bin, "xdg-open"), "w") as script:
        script.write(f'#!/bin/sh\nprintf "%s\\n" "$1" >> "{session.home}/opened-urls"\n')
    os.chmod(os.path.join(fake_bin, "xdg-open"), 0o755)
    session.env["PATH"] = fake_bin + os.pathsep + session.env.get("PATH", "")

    beside = "file://" + os.path.join(os.path.dirname(session.corvel), "Help", "index.htm")
    url = opened_help_page(session, session.corvel)
    if url != beside:
        raise Failure(f"In the build tree F1 opened {url!r}, expected {beside!r}.")
    log(f"The build tree's corvel opened {url}.")

    prefix = os.path.join(session.home, "prefix")
    installed = subprocess.run([cmake, "--install", build_folder, "--prefix", prefix],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if installed.returncode != 0:
        raise Failure("cmake --install failed:\n" + installed.stdout.decode(errors="replace"))
    expected = "file://" + os.path.join(prefix, "share", "corvel", "Help", "index.htm")
    url = opened_help_page(session, os.path.join(prefix, "bin", "corvel"))
    if url != expected:
        raise Failure(f"Installed, F1 opened {url!r}, expected {expected!r}.")
    log(f"The installed corvel opened {url}.")


def screenshots(session):
    window = session.start()
    type_flowrate(session, window, "30")
    session.keys("F9")
    expect_lines(session.copy_results(window), RESULTS_AT_30_LPS, "Before the screenshots")
    session.screenshot(window, "main-window.png")
    session.screenshot(open_report(session, window), "report-window.png")
    session.exit_through_file_menu(window)


SCENARIOS = {
    "copy-and-restart": copy_and_restart,
    "report": report,
    "help": lambda session: help_pages(session, ARGS.cmake, ARGS.build_folder),
    "screenshots": screenshots,
}
ARGS = None



def run_scenarios(scenarios, description, extra_tools=(), build_tree=False):
    """The command line of a scenario script: runs the scenario named on it against the corvel
    program given, on a private display; returns the exit status (SKIP when a tool is missing).
    With `build_tree` the script also takes --cmake and --build-folder, and each scenario is
    called with the parsed arguments after the session."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("scenario", choices=sorted(scenarios))
    parser.add_argument("--corvel", required=True, help="the corvel program to drive")
    parser.add_argument("--artefacts", required=True, help="folder for screenshots and logs")
    if build_tree:
        parser.add_argument("--cmake", default="cmake", help="cmake, to install the build")
        parser.add_argument("--build-folder", required=True, help="the build to install")
    args = parser.parse_args()

    if os.environ.get("CORVEL_E2E_SKIP"):
        log(f"SKIPPED: {os.environ['CORVEL_E2E_SKIP']}")
        return SKIP
    missing = [tool for tool in list(TOOLS) + list(extra_tools) if shutil.which(tool) is None]
    if missing:
        log(f"SKIPPED: the end-to-end tests need {', '.join(missing)} "
            "(scripts/deps.sh installs them).")
        return SKIP

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    session = None
    try:
        session = Session(os.path.abspath(args.corvel), os.path.abspath(args.artefacts))
        if build_tree:
            scenarios[args.scenario](session, args)
        else:
            scenarios[args.scenario](session)
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

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--corvel", required=True, help="the corvel program to drive")
    parser.add_argument("--artefacts", required=True, help="folder for screenshots and logs")
    parser.add_argument("--cmake", default="cmake", help="cmake, for the help scenario")
    parser.add_argument("--build-folder", help="the build to install, for the help scenario")
    global ARGS
    ARGS = args = parser.parse_args()
    if args.scenario == "help" and not args.build_folder:
        parser.error("the help scenario needs --build-folder")

    if os.environ.get("CORVEL_E2E_SKIP"):
        log(f"SKIPPED: {os.environ['CORVEL_E2E_SKIP']}")
        return SKIP
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        log(f"SKIPPED: the end-to-end tests need {', '.join(missing)} "
            "(Debian packages xvfb, xdotool, xclip, imagemagick; scripts/deps.sh installs "
            "them).")
        return SKIP

    # A stopped test run (CTest timeout) still takes the X server down with it.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    session = None
    try:
        session = Session(os.path.abspath(args.corvel), os.path.abspath(args.artefacts))
        SCENARIOS[args.scenario](session)
    except Failure as failure:
        log(f"FAILED: {failure}")
        if session and session.program and session.program.poll() is None:
            try:
                session.x("import", "-window", "root",
                          os.path.join(session.artefacts, "failure-screen.png"), check=False)
            except Exception:
                pass
        return 1
    finally:
        if session:
            session.close()
    log("PASSED")
    return 0


if __name__ == "__main__":
    sys.exit(main())
