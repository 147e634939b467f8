#!/usr/bin/env python3
"""The packer built for Windows, run under Wine with its default runtime (the stripped one beside it),
makes the same bytes as this system's packer given that runtime.

    windows_packer.py --packer KXPACK --windows-build DIR LISTING
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--packer", required=True)
    parser.add_argument("--windows-build", required=True)
    parser.add_argument("listing")
    options = parser.parse_args()

    windows_packer = os.path.join(options.windows_build, "kxpack.exe")
    stripped_runtime = os.path.join(options.windows_build, "korvex-stripped.exe")
    work = tempfile.mkdtemp(prefix="korvex-windows-packer-")
    try:
        shutil.copyfile(options.listing, os.path.join(work, "program.kxs"))
        environment = dict(os.environ)
        environment.setdefault("WINEDEBUG", "-all")
        # Output goes to a file: processes that Wine starts may hold a pipe open past the packer's end.
        with open(os.path.join(work, "output.txt"), "wb") as output:
            packed = subprocess.run([os.environ.get("KORVEX_WINE", "wine"), windows_packer, "program.kxs",
                                     "-o", "windows.exe"], cwd=work, env=environment, stdin=subprocess.DEVNULL,
                                    stdout=output, stderr=subprocess.STDOUT, timeout=120)
        if packed.returncode != 0:
            with open(os.path.join(work, "output.txt"), "rb") as output:
                print("the Windows packer failed:", output.read().decode(errors="replace"))
            return 1
        subprocess.run([options.packer, "--runtime", stripped_runtime, "program.kxs", "-o", "posix.exe"],
                       cwd=work, check=True)
        with open(os.path.join(work, "windows.exe"), "rb") as windows, \
                open(os.path.join(work, "posix.exe"), "rb") as posix:
            if windows.read() != posix.read():
                print("the two packers made different programs")
                return 1
        print("the same program from both packers")
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
