#!/usr/bin/env python3
"""Counts test cases over CTest runs, from each GoogleTest program's report.

Usage: count-tests.py [--failed-part NAME ...] BUILD_DIR:CTEST_LOG [...]

Each program registered in BUILD_DIR writes BUILD_DIR/test-results/NAME.xml
(cmake/Testing.cmake); CTEST_LOG is CTest's output of the run, which says
whether the program as a whole passed. A program that CTest saw fail counts
at least one failed case even when its report shows none (a crash after the
report, a sanitizer's finding at exit, a timeout), and a program that left
no report counts as one failed case (it crashed, hung or never ran); a build
without tests (it did not build) and each --failed-part (a step of the test
command that failed outside CTest, such as the fuzzing) count one failed
case each. Run the programs with the reports of an earlier run removed.

Prints one line per program with anything to say, then
"tests: N passed, N failed". Exit status 0 only when nothing failed.
"""
import json
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree


def ctest_names(build):
    if not os.path.isfile(os.path.join(build, "CTestTestfile.cmake")):
        return None
    out = subprocess.run(
        ["ctest", "--test-dir", build, "--show-only=json-v1"],
        check=True, capture_output=True, text=True).stdout
    return [test["name"] for test in json.loads(out).get("tests", [])]


def ctest_status(log_path):
    """Test name -> CTest's word for it (Passed, Failed, Timeout, ...)."""
    status = {}
    pattern = re.compile(r"Test +#\d+: (\S+) \.+\**\s*(.*?)\s+[0-9.]+ sec")
    try:
        with open(log_path, encoding="utf-8", errors="replace") as log:
            for line in log:
                match = pattern.search(line)
                if match:
                    status[match.group(1)] = match.group(2) or "?"
    except OSError:
        pass
    return status


def report_counts(path):
    """(passed, failed) test cases of one GoogleTest XML report, or None."""
    try:
        root = ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return None
    passed = failed = 0
    for case in root.iter("testcase"):
        if case.get("status") == "notrun" or case.get("result") == "skipped":
            continue
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is None:
            passed += 1
    return passed, failed


def main(args):
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    passed = failed = programs = 0
    while args and args[0] == "--failed-part":
        print(f"{args[1]}: failed: counted as 1 failed")
        failed += 1
        args = args[2:]
    for arg in args:
        build, _, log_path = arg.partition(":")
        status = ctest_status(log_path)
        names = ctest_names(build)
        if names is None:
            print(f"{build}: not built, so its tests never ran: counted as 1 failed")
            failed += 1
            continue
        for name in names:
            programs += 1
            state = status.get(name, "not run")
            counts = report_counts(os.path.join(build, "test-results", name + ".xml"))
            if counts is None:
                if state == "Passed":
                    # A program without a GoogleTest report: it is one case.
                    passed += 1
                else:
                    failed += 1
                    print(f"{name}: {state}, and no test report (crashed, hung or never ran): "
                          "counted as 1 failed")
                continue
            ok, bad = counts
            if state != "Passed" and bad == 0:
                bad = 1
                print(f"{name}: {state} although its {ok} cases passed "
                      "(crash or sanitizer finding at exit?): counted as 1 failed")
            elif bad:
                print(f"{name}: {bad} failed")
            passed += ok
            failed += bad
    print(f"test programs: {programs}")
    # Alone on its line: CI reads the closing line in exactly this form.
    print(f"tests: {passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
