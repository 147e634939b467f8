#!/usr/bin/env python3
"""Runs the dialogs of the console desktop as a user would: a program is packed from a listing and run
on a pseudo-terminal, answers are typed at its prompts, and what it prints is checked. A second run
without a terminal checks that every dialog then counts as cancelled, and a third, with standard output
a closed pipe, that the script still runs to its end."""
import argparse
import os
import pty
import select
import subprocess
import sys
import tempfile

# Each dialog's answer is shown in a box "<answer>" so that an empty answer can be seen.
LISTING = r"""RRLR'4.4'
R008[31]'Setup''Your name:''nobody'
R007'Result''<'#[31]#'>''OK'
R008[31]'Setup''Your name:''nobody'
R007'Result''<'#[31]#'>''OK'
R008[31]'Setup''Your name:''nobody'
R007'Result''<'#[31]#'>''OK'
R008[31]'Setup''Your name:''nobody'
R007'Result''<'#[31]#'>''OK'
R032[31]'Notes''one'#[24]#'two''EDITABLE'
R007'Result''<'#[31]#'>''OK'
R032[31]'Notes''one'#[24]#'two''EDITABLE'
R007'Result''<'#[31]#'>''OK'
R032[31]'Terms''fixed''READONLY'
R007'Result''<'#[31]#'>''OK'
R031[31]'Colour''red|green|blue'
R007'Result''<'#[31]#'>''OK'
R031[31]'Colour''red|green|blue'
R007'Result''<'#[31]#'>''OK'
~R031[31]'Pick''a\x1B[2Jb|c'
R007'Result''<'#[31]#'>''OK'
R038'Working'''
R038'Working'''
R038'Next'''
R038'Next''hide'
R038'Back'''
R007'Question''Go on?''OKCANCEL'
R007'Result''<'#[0]#'>''OK'
R025'done.txt''end'
R009
"""

# (text the program must have printed before its next prompt "> ", line to type there); None types Ctrl-D,
# "\x1b" in a line is Escape.
CONVERSATION = [
    ("Your name: [nobody]", ""), ("<nobody>", "1"),
    ("Your name: [nobody]", "Ann"), ("<Ann>", "1"),
    ("Your name: [nobody]", None), ("<>", "1"),
    ("Your name: [nobody]\n(Enter alone: the text in brackets, Esc+Enter or Ctrl-D: cancel)\n", "Ann\x1b"),
    ("<>", "1"),
    ("| one\n| two\n", "alpha"), ("", ".."), ("", ""), ("", "beta"), ("", "."),
    ("<alpha\n.\n\nbeta>", "1"),
    ("| two\n", "."), ("<one\ntwo>", "1"),
    ("== Terms == (read-only)\n| fixed\n", ""), ("<fixed>", "1"),
    ("[3] blue\n", "7"), ('"7" is no entry of the list; type a number from 1 to 3\n', "2x"),
    ('"2x" is no number; type a number from 1 to 3\n', "3"), ("<blue>", "1"),
    ("[3] blue\n", ""), ("<red>", ""),
    # Control bytes of a text are shown escaped, never sent to the terminal.
    ("[1] a\\x1B[2Jb\n", "1"), ("<a\\x1B[2Jb>", "1"),
    ("(1 or o: OK, 2 or c: Cancel; Esc+Enter or Ctrl-D: no button, 0)", "x"),
    ('"x" is none of this box\'s keys; type 1 or o: OK, 2 or c: Cancel', "c"),
    ("<2>\n[1] OK  (1 or o: OK, Enter: OK;", ""),
]
INFO_LINES = ["(info) Working", "(info) Next", "(info) Back"]


class Terminal:
    def __init__(self, command, cwd, environment):
        self.master, slave = pty.openpty()
        self.process = subprocess.Popen(command, cwd=cwd, env=environment, stdin=slave, stdout=slave,
                                        stderr=slave, close_fds=True)
        os.close(slave)
        self.output = ""
        self.mark = 0

    def read_more(self, timeout):
        ready, _, _ = select.select([self.master], [], [], timeout)
        if not ready:
            return False
        try:
            data = os.read(self.master, 4096)
        except OSError:
            return False
        if not data:
            return False
        self.output += data.decode("latin-1").replace("\r", "")
        return True

    def expect(self, text):
        while True:
            found = self.output.find(text, self.mark)
            if found >= 0:
                self.mark = found + len(text)
                return
            if not self.read_more(20):
                raise AssertionError("never printed %r; output so far:\n%s" % (text, self.output))

    def type_line(self, line):
        self.expect("> ")
        os.write(self.master, b"\x04" if line is None else line.encode("latin-1") + b"\n")

    def finish(self):
        while self.read_more(5):
            pass
        return self.process.wait(timeout=20)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--packer", required=True)
    parser.add_argument("--runtime", required=True)
    options = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="korvex-console-") as work:
        listing = os.path.join(work, "dialogs.kxs")
        program = os.path.join(work, "dialogs")
        with open(listing, "w") as f:
            f.write(LISTING)
        subprocess.run([options.packer, "--runtime", options.runtime, listing, "-o", program], check=True)
        environment = dict(os.environ, KORVEX_DESKTOP="console")

        terminal = Terminal([program], work, environment)
        for printed, line in CONVERSATION:
            terminal.expect(printed)
            terminal.type_line(line)
        status = terminal.finish()
        info = [line for line in terminal.output.split("\n") if line.startswith("(info)")]
        if status != 0 or info != INFO_LINES or "\x1b[2J" in terminal.output:
            print("FAIL: exit status %d, information lines %r\n%s" % (status, info, terminal.output))
            return 1

        # The bare runtime, started on a terminal, says what it is and how to pack a script.
        bare = Terminal([options.runtime], work, environment)
        bare.expect("korvex: this is the Korvex runtime with no script appended; pack one with: kxpack")
        if bare.finish() != 0:
            print("FAIL: the bare runtime did not end with status 0\n%s" % bare.output)
            return 1

        # Without a terminal the dialogs are printed and cancelled, and boxes give 0.
        quiet = subprocess.run([program], cwd=work, env=environment, stdin=subprocess.DEVNULL,
                               capture_output=True, timeout=20)
        shown = quiet.stdout.decode("latin-1")
        if quiet.returncode != 0 or shown.count("<>") != 10 or "| one\n| two\n" not in shown:
            print("FAIL without a terminal: exit status %d\n%s" % (quiet.returncode, shown))
            return 1

        # A closed pipe on standard output does not end the script: its boxes count as not shown.
        os.remove(os.path.join(work, "done.txt"))
        reader, writer = os.pipe()
        os.close(reader)
        piped = subprocess.run([program], cwd=work, env=environment, stdin=subprocess.DEVNULL, stdout=writer,
                               stderr=subprocess.DEVNULL, timeout=20)
        os.close(writer)
        if piped.returncode != 0 or not os.path.exists(os.path.join(work, "done.txt")):
            print("FAIL with a closed pipe: exit status %d" % piped.returncode)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
