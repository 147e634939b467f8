#!/usr/bin/env python3
"""Keystrokes on an X display: starts an Xvfb of its own, a small X program that writes the keys it
receives (tests/helpers/x11_key_target.cpp, with its window hidden), and a packed program on the console
desktop that types into it with R033. Exit status 77 (skipped) when Xvfb is missing.

  x11_keys.py --packer KXPACK --runtime KORVEX --target X11_KEY_TARGET
"""
import argparse
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
# Every printable ASCII byte, "~" and "#" escaped and "'" (which ends a listing's text) as variable 40,
# so that the keyboard layout used for typing is checked against the display's own; then named keys,
# a held Shift, and a "~" at the end that types nothing.
PRINTABLE = "".join(chr(c) for c in range(0x20, 0x7F))
KEY_TEXT = "'%s'#[40]#'%s~t~r#270x#016~5~'" % tuple(
    part.replace("~", "~~").replace("#", "~#") for part in PRINTABLE.split("'"))
TYPED = PRINTABLE.encode() + b"\t\rX<F5>"


def start_xvfb():
    """An Xvfb on a free display, and that display's name."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "640x480x24", "-nolisten", "tcp"],
                              pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    deadline = time.time() + 20
    while not number.endswith(b"\n") and time.time() < deadline:
        ready, _, _ = select.select([read_end], [], [], 0.5)
        if ready:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
    os.close(read_end)
    if not number.strip():
        server.kill()
        server.wait()
        raise RuntimeError("Xvfb did not report its display")
    return server, ":" + number.decode().strip()


def read_when(path, wanted, seconds=10):
    """The file's bytes once they are wanted, or what it holds when the time is up."""
    deadline = time.time() + seconds
    content = b""
    while time.time() < deadline:
        if os.path.exists(path):
            with open(path, "rb") as f:
                content = f.read()
            if content == wanted:
                break
        time.sleep(0.1)
    return content


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--packer", required=True)
    parser.add_argument("--runtime", required=True)
    parser.add_argument("--target", required=True)
    options = parser.parse_args()
    if shutil.which("Xvfb") is None:
        print("skipped: Xvfb is missing")
        return SKIPPED

    work = tempfile.mkdtemp(prefix="korvex-x11-")
    server = target = None
    try:
        server, display = start_xvfb()
        environment = dict(os.environ, DISPLAY=display, KORVEX_DESKTOP="console")
        typed_path = os.path.join(work, "typed.txt")
        target = subprocess.Popen([options.target, "kx keys target", typed_path, "hidden"], env=environment,
                                  stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
        if target.stdout.readline().strip() != b"ready":
            print("FAIL: the X program did not start")
            return 1

        listing = os.path.join(work, "keys.kxs")
        with open(listing, "w", encoding="latin-1", newline="\n") as f:
            f.write("RRLR'4.4'\nRF06[40]'39'\nR033'kx keys target'%s\nR025'result.txt'[0]\n"
                    "R033'kx keys''zzz'\nR025'result.txt'[0]\nR009\n" % KEY_TEXT)
        program = os.path.join(work, "keys")
        subprocess.run([options.packer, "--runtime", options.runtime, "-o", program, listing], check=True)
        run = subprocess.run([program], cwd=work, env=environment, stdin=subprocess.DEVNULL,
                             capture_output=True, timeout=60)

        failures = []
        if run.returncode != 0:
            failures.append("exit status %d: %r" % (run.returncode, run.stdout + run.stderr))
        with open(os.path.join(work, "result.txt"), "rb") as f:
            results = f.read()
        if results != b"0\r\n-1\r\n":
            failures.append("R033 reported %r, expected 0 for the whole title and -1 for a part of it" % results)
        typed = read_when(typed_path, TYPED)
        if typed != TYPED:
            failures.append("the window received %r, expected %r" % (typed, TYPED))
        if failures:
            print("FAIL:\n  - " + "\n  - ".join(failures))
            return 1
        return 0
    finally:
        for process in (target, server):
            if process is not None:
                process.kill()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
