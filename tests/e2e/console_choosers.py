#!/usr/bin/env python3
"""Runs the choosers of the console desktop as a user would, on a pseudo-terminal: paths are typed at
their prompts and what the program stores is checked. A second run without a terminal checks that every
chooser then counts as cancelled."""
import argparse
import os
import subprocess
import sys
import tempfile

from console_dialogs import Terminal

LISTING = r"""RRLR'4.4'
R022[31]'Open notes''Text files|*.txt|All files|*.*'
R025'out.txt'[31]#':'#[0]
R022[31]'Open notes''Text files|*.txt|All files|*.*'
R025'out.txt'[31]#':'#[0]
R001[15]'1'
R022[31]'Open several''All files|*.*'
R025'out.txt'[31]#':'#[0]
R023[31]'Save as'''
R025'out.txt'[31]#':'#[0]
R037[31]'Folder''sub'
R025'out.txt'[31]#':'#[0]
R037[31]'Folder''sub'
R025'out.txt'[31]#':'#[0]
R037[31]'No folder'''
R025'out.txt'[31]#':'#[0]
R009
"""


def conversation(work):
    # (text the program must have printed before its next prompt "> ", line to type there); None types Ctrl-D.
    return [
        ("== Open notes == (open)\ntypes: Text files (*.txt), All files (*.*)\nfolder: %s\n" % work, "sub/../a.txt"),
        ("== Open notes ==", None),
        ("== Open several ==", "one.txt | /elsewhere/two.txt"), ("the files must be in one folder", "one.txt|two.txt "),
        ("== Save as == (save)", ""),
        ("== Folder == (folder)\nfolder: sub\n", ""),
        ("== Folder ==", "missing"), ("%s/missing is no folder" % work, None),
        # With no folder shown, Enter alone is not offered.
        ("== No folder == (folder)\n(a folder; Esc+Enter or Ctrl-D: cancel)\n", ""),
        ("no folder is shown: type one\n", "sub"),
    ]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--packer", required=True)
    parser.add_argument("--runtime", required=True)
    options = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="korvex-console-") as work:
        work = os.path.realpath(work)
        os.mkdir(os.path.join(work, "sub"))
        listing = os.path.join(work, "choosers.kxs")
        program = os.path.join(work, "choosers")
        with open(listing, "w") as f:
            f.write(LISTING)
        subprocess.run([options.packer, "--runtime", options.runtime, listing, "-o", program], check=True)
        environment = dict(os.environ, KORVEX_DESKTOP="console")
        out = os.path.join(work, "out.txt")

        terminal = Terminal([program], work, environment)
        for printed, line in conversation(work):
            terminal.expect(printed)
            terminal.type_line(line)
        status = terminal.finish()
        with open(out, "rb") as f:
            stored = f.read().decode("latin-1").split("\r\n")
        expected = ["%s/a.txt:0" % work, ":-1", "%s|one.txt|two.txt:0" % work, ":-1", "%s/sub:0" % work, ":0", "%s/sub:0" % work, ""]
        if status != 0 or stored != expected:
            print("FAIL: exit status %d, stored %r, expected %r\n%s" % (status, stored, expected, terminal.output))
            return 1

        # Without a terminal the choosers are printed and cancelled.
        os.remove(out)
        quiet = subprocess.run([program], cwd=work, env=environment, stdin=subprocess.DEVNULL,
                               capture_output=True, timeout=20)
        with open(out, "rb") as f:
            stored = f.read().decode("latin-1").split("\r\n")
        shown = quiet.stdout.decode("latin-1")
        if quiet.returncode != 0 or stored != [":-1"] * 4 + [":0"] * 3 + [""] or "== Save as ==" not in shown:
            print("FAIL without a terminal: exit status %d, stored %r\n%s" % (quiet.returncode, stored, shown))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
