#!/usr/bin/env python3
"""Keeps the packer's usage in the documents what `kxpack --help` prints: each document named holds it
as one fenced block, the first block whose first line starts with "kxpack [" or "kxpack --". Fails and
shows both when they differ; with --update it writes the packer's text into the documents instead.

  packer_usage_in_docs.py [--update] PACKER DOCUMENT..."""
import subprocess
import sys


def usage_block(lines):
    """The start and end (exclusive) of the lines inside the usage block, or None."""
    for start, line in enumerate(lines):
        if line.startswith("```") and start + 1 < len(lines) and lines[start + 1].startswith(("kxpack [", "kxpack --")):
            end = start + 1
            while end < len(lines) and not lines[end].startswith("```"):
                end += 1
            return start + 1, end
    return None


def main(arguments):
    update = arguments[:1] == ["--update"]
    if update:
        arguments = arguments[1:]
    packer, documents = arguments[0], arguments[1:]
    usage = subprocess.run([packer, "--help"], stdout=subprocess.PIPE, check=True).stdout.decode()
    usage_lines = usage.splitlines()
    failed = False
    for document in documents:
        with open(document, encoding="utf-8") as f:
            lines = f.read().split("\n")
        block = usage_block(lines)
        if block is None:
            print("FAIL: %s shows no usage block of kxpack" % document)
            failed = True
            continue
        start, end = block
        if lines[start:end] == usage_lines:
            continue
        if update:
            lines[start:end] = usage_lines
            with open(document, "w", encoding="utf-8") as f:
                f.write("\n".join(lines))
            print("updated", document)
            continue
        print("FAIL: the usage in %s is not what kxpack --help prints" % document)
        print("--- %s\n%s\n--- kxpack --help\n%s" % (document, "\n".join(lines[start:end]), usage))
        print("(tests/e2e/packer_usage_in_docs.py --update PACKER %s writes it)" % document)
        failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
