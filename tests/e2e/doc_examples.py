#!/usr/bin/env python3
"""Runs the examples of a Markdown document, so that none of them can go stale.

Every fenced block marked ```kx is a listing: it is packed into a real program and run by
run_script.py in an empty directory with the scripted desktop. The blocks that follow it, up to the
next ```kx block or heading, say what the run must give:
  ```answers            the answer file, line by line
  ```transcript         the transcript's lines after those start-up writes, exactly these
  ```file NAME          the file NAME afterwards holds exactly these lines (its CR LF read as LF)
A ```given NAME block, which may stand before the listing, is a file that exists before the run.
Lines "#@ ..." inside a listing are run_script.py's own directives (environment, arguments, exit
status). A block marked ```kx pending describes an instruction this build does not carry out yet:
it is listed, not run.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

FENCE = re.compile(r"^```(\S*)\s*(.*)$")
HEADING = re.compile(r"^#{1,6} ")


def escape(text):
    out = []
    for byte in text.encode("latin-1"):
        char = chr(byte)
        if char == "\\":
            out.append("\\\\")
        elif char == "\n":
            out.append("\\n")
        elif char == "\r":
            out.append("\\r")
        elif char == "\t":
            out.append("\\t")
        elif byte < 0x20 or byte == 0x7F:
            out.append("\\x%02X" % byte)
        else:
            out.append(char)
    return "".join(out)


def blocks_of(lines):
    """Fenced blocks as (line number, language, argument, text lines), and headings as None."""
    block = None
    for number, line in enumerate(lines, 1):
        if block is None:
            match = FENCE.match(line)
            if match:
                block = (number, match.group(1), match.group(2).strip(), [])
            elif HEADING.match(line):
                yield None
        elif line.rstrip() == "```":
            yield block
            block = None
        else:
            block[3].append(line)


def examples_of(path):
    with open(path, encoding="utf-8") as document:
        lines = document.read().splitlines()
    examples, given, current = [], [], None
    for block in blocks_of(lines):
        if block is None:
            given, current = [], None
            continue
        number, language, argument, text = block
        if language == "kx":
            current = {"line": number, "listing": text, "pending": argument == "pending",
                       "directives": ["#@ setup-file %s %s" % (name, escape(body)) for name, body in given]}
            given = []
            examples.append(current)
        elif language == "given":
            given.append((argument, "\n".join(text) + "\n" if text else ""))
        elif current is not None and language == "answers":
            current["directives"] += ["#@ answer " + line for line in text]
        elif current is not None and language == "transcript":
            current["directives"] += ["#@ transcript " + line for line in text]
        elif current is not None and language == "file":
            body = "\n".join(text) + "\n" if text else ""
            current["directives"].append("#@ file-lines %s %s" % (argument, escape(body)))
    return examples


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--packer", required=True)
    parser.add_argument("--runtime", required=True)
    parser.add_argument("--platform", choices=["posix", "windows"], default="posix")
    parser.add_argument("--helper", action="append", default=[])
    parser.add_argument("--sanitized", action="store_true")
    parser.add_argument("document")
    options = parser.parse_args()

    runner = os.path.join(os.path.dirname(os.path.abspath(__file__)), "run_script.py")
    examples = examples_of(options.document)
    passed, failed, pending = 0, 0, []
    with tempfile.TemporaryDirectory(prefix="korvex-docs-") as work:
        for example in examples:
            where = "%s:%d" % (options.document, example["line"])
            if example["pending"]:
                pending.append(where)
                continue
            listing = os.path.join(work, "example%d.kxs" % example["line"])
            with open(listing, "w", encoding="latin-1", newline="\n") as f:
                f.write("\n".join(example["directives"] + example["listing"]) + "\n")
            command = [sys.executable, runner, "--packer", options.packer, "--runtime", options.runtime,
                       "--platform", options.platform, listing]
            for helper in options.helper:
                command += ["--helper", helper]
            if options.sanitized:
                command.append("--sanitized")
            result = subprocess.run(command, capture_output=True, text=True, encoding="latin-1")
            if result.returncode == 0:
                passed += 1
            else:
                failed += 1
                print("FAIL: the example at", where)
                print(result.stdout + result.stderr)
    for where in pending:
        print("pending, not run:", where)
    if not examples:
        print("FAIL: %s has no examples" % options.document)
        return 1
    print("examples: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
