#!/usr/bin/env python3
"""Checks that a Windows program imports only functions its minimum Windows has.

Usage: check_imports.py OBJDUMP PROGRAM ALLOWED_LIST

OBJDUMP is the toolchain's objdump (i686-w64-mingw32-objdump); ALLOWED_LIST
holds one "dll function" pair a line, '#' starting a comment. Fails, naming
the lines to add, when the program imports anything not on the list, so that
a new import is a decision someone takes and not an accident of the build.
"""
import re
import subprocess
import sys


def read_allowed(path):
    allowed = set()
    with open(path, encoding="utf-8") as listing:
        for number, line in enumerate(listing, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            if len(parts) != 2:
                sys.exit(f"{path}:{number}: expected 'dll function', found '{line}'")
            allowed.add((parts[0].lower(), parts[1]))
    return allowed


def read_imports(objdump, program):
    out = subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                         text=True).stdout
    imports = set()
    dll = None
    for line in out.splitlines():
        match = re.match(r"\s*DLL Name: (\S+)", line)
        if match:
            dll = re.sub(r"\.dll$", "", match.group(1).lower())
            continue
        if dll is None:
            continue
        if not line.strip():
            continue
        # "\t4b6bc\t 1569  RegCloseKey": address, hint, name; an import by
        # ordinal shows its number and "<none>".
        match = re.match(r"\t[0-9a-f]+\t\s*([0-9]+)\s+(\S+)", line)
        if match:
            name = match.group(2)
            imports.add((dll, f"#{match.group(1)}" if name == "<none>" else name))
        elif not line.startswith("\tvma:"):
            dll = None
    return imports


def main(args):
    if len(args) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    objdump, program, allowed_path = args
    imports = read_imports(objdump, program)
    if not any(dll == "kernel32" for dll, _ in imports):
        print(f"{program}: no imports from kernel32 found in '{objdump} -p': "
              "cannot check the imports")
        return 1
    allowed = read_allowed(allowed_path)
    new = sorted(imports - allowed)
    dlls = sorted({dll for dll, _ in imports})
    print(f"{program}: {len(imports)} imported functions from {', '.join(dlls)}")
    if not new:
        print(f"all on the list of {allowed_path}")
        return 0
    print(f"\n{len(new)} imported function(s) not on the list of functions that the oldest")
    print(f"supported Windows has ({allowed_path}):")
    for dll, name in new:
        print(f"    {dll} {name}")
    print("\nIf the oldest supported Windows (see the list's first lines) has the function,")
    print("add these lines to the list, each under its DLL's heading:")
    for dll, name in new:
        print(f"{dll} {name}")
    print("Otherwise look the function up at run time (GetProcAddress) with a fallback, or")
    print("raise the minimum in the README and in the list's first lines.")
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
