#!/usr/bin/env python3
"""Checks that the man page of corvel-solve lists the units and note codes its --help lists.

    solve_man_sync.py CORVEL_SOLVE MAN_PAGE_SOURCE

--help makes both lists from the unit catalogue and the note table; the man page is written by
hand, so a unit or note added to the core must be added to it too.
"""
import re
import subprocess
import sys


def help_sections(text):
    """{quantity: unit list} of the units section and the note codes of the notes section."""
    units, codes, section, last = {}, [], None, None
    for line in text.splitlines():
        if line.startswith("Units of --unit"):
            section = "units"
        elif line.startswith("Notes (the codes"):
            section = "notes"
        elif not line.strip():
            section = None if section == "notes" else section
        elif section == "units":
            match = re.match(r"^  (\w+): (.*)$", line)
            if match:
                last = match.group(1)
                units[last] = match.group(2)
            else:
                units[last] += " " + line.strip()
        elif section == "notes":
            match = re.match(r"^  ([a-z-]+)\s", line)
            if match:
                codes.append(match.group(1))
    return units, codes


def main():
    solver, man_path = sys.argv[1], sys.argv[2]
    units, codes = help_sections(subprocess.run([solver, "--help"], capture_output=True,
                                                text=True, check=True).stdout)
    man = open(man_path, encoding="utf-8").read().replace("\\-", "-")
    lines = man.splitlines()
    failures = []
    if not units or not codes:
        failures.append("--help lists no units or no note codes")
    for quantity, listed in units.items():
        # ".B quantity" followed by its unit list, as the UNITS section has them.
        found = any(lines[i] == ".B " + quantity and lines[i + 1] == listed
                    for i in range(len(lines) - 1))
        if not found:
            failures.append(f"man page lacks '{quantity}: {listed}'")
    for code in codes:
        if ".B " + code not in lines:
            failures.append(f"man page lacks the note code '{code}'")
    for failure in failures:
        print(failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
