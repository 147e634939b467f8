#!/usr/bin/env python3
"""Checks the functions a Windows runtime imports, read from its PE import table with objdump, against
the list of those it may import: every import that is not on the list fails, so that each new one is
a decision about the oldest Windows the runtime runs on. Listed functions it no longer imports are
named, without failing.

Usage: release_imports.py OBJDUMP RUNTIME LIST
Exit status 0 passed, 1 failed, 77 skipped (no objdump, or no runtime built).
"""
import os
import re
import subprocess
import sys

SKIPPED = 77


def imports_of(objdump, runtime):
    """The imported functions as "DLL function" with the DLL's name in lower case."""
    dump = subprocess.run([objdump, "-p", runtime], capture_output=True, text=True, check=True).stdout
    found = set()
    library = None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            library = named.group(1).lower()
            continue
        entry = re.match(r"\s+[0-9a-f]+\s+(\d+)\s+(\S+)$", line)
        if library and entry:
            found.add("%s %s" % (library, entry.group(2)))
        elif library and not line.strip():
            library = None
    return found


def main():
    objdump, runtime, list_path = sys.argv[1:4]
    if not os.path.exists(runtime):
        print("skipped: no runtime at %s" % runtime)
        return SKIPPED
    try:
        found = imports_of(objdump, runtime)
    except (OSError, subprocess.CalledProcessError) as error:
        print("skipped: %s cannot read the import table: %s" % (objdump, error))
        return SKIPPED
    allowed = set()
    with open(list_path) as listing:
        for line in listing:
            if line.strip() and not line.startswith("#"):
                library, function = line.split()
                allowed.add("%s %s" % (library.lower(), function))
    if not found:
        print("FAIL: no imports read from %s" % runtime)
        return 1
    for entry in sorted(allowed - found):
        print("note: %s is on the list but no longer imported" % entry)
    new = sorted(found - allowed)
    for entry in new:
        print("FAIL: %s imports %s, which %s does not list" % (runtime, entry, list_path))
    print("%d imports, %d on the list" % (len(found), len(allowed)))
    return 1 if new else 0


if __name__ == "__main__":
    sys.exit(main())
