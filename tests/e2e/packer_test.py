#!/usr/bin/env python3
"""Checks the packer as a user meets it: packing, listing, extracting, moving a program from another
runtime, and its refusals (one error line, a non-zero exit status, no partial output)."""
import os
import subprocess
import sys
import tempfile

PACKER, RUNTIME, CASE = sys.argv[1], sys.argv[2], sys.argv[3]
BANNER_LENGTH = 64


def run(*arguments, **options):
    return subprocess.run([PACKER, *arguments], capture_output=True, **options)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def expect(condition, message):
    if not condition:
        print("FAIL:", message)
        sys.exit(1)


def expect_refusal(result, code, output, words):
    expect(result.returncode == code, "exit status %d, expected %d" % (result.returncode, code))
    first = result.stderr.decode(errors="replace").splitlines()[0]
    expect(words in first, "error line %r does not name %r" % (first, words))
    expect(not os.path.exists(output), "a partial output file was left")
    expect(not any(name.endswith(".kxpack-tmp") for name in os.listdir(os.path.dirname(output))),
           "a temporary file was left")


def main():
    work = tempfile.mkdtemp(prefix="korvex-packer-")
    listing = os.path.join(work, "script.kxs")
    program = os.path.join(work, "program")
    write(listing, b"# comment\nRRLR'4.4'\n~R001[31]'a\\nb'\nR001[32]'C:\\Work\\x.txt'\nR009\n")

    if CASE == "round_trip":
        expect(run(listing, "-o", program).returncode == 0, "packing failed")
        runtime = read(RUNTIME)
        packed = read(program)
        expect(packed.startswith(runtime), "the runtime is not copied unchanged")
        banner = packed[len(runtime):len(runtime) + BANNER_LENGTH]
        expect(banner.startswith(b"\r\n") and banner.endswith(b"\r\n"), "banner framing")
        stream = packed[len(runtime) + BANNER_LENGTH:]
        expect(stream == b"RRLR'4.4'\x01R001[31]'a\nb'\x01R001[32]'C:\\Work\\x.txt'\x01R009\x01\x00", "stream bytes")
        listed = run("--list", program)
        lines = [line for line in listed.stdout.decode("latin-1").splitlines() if not line.startswith("#")]
        expect(lines == ["RRLR'4.4'", "~R001[31]'a\\nb'", "R001[32]'C:\\Work\\x.txt'", "R009"], "listing %r" % lines)
        extracted = os.path.join(work, "stream.bin")
        expect(run("--extract", program, "-o", extracted).returncode == 0, "extract failed")
        expect(read(extracted) == stream, "extracted stream")

    elif CASE == "foreign_runtime":
        # A program built on a runtime of 192,000 bytes moves onto this runtime by its offset.
        old = os.path.join(work, "old.exe")
        stream = b"R009\x01\x00"
        write(old, b"M" * 192000 + b"\r\n" + b"x" * 60 + b"\r\n" + stream)
        extracted = os.path.join(work, "stream.bin")
        expect(run("--extract", old, "--offset", "192064", "-o", extracted).returncode == 0, "extract by offset")
        expect(read(extracted) == stream, "stream at offset 192064")
        listed = run("--list", old, "--offset", "192064")
        expect(b"R009" in listed.stdout, "list by offset")
        expect(run("--raw", extracted, "-o", program).returncode == 0, "repacking")
        expect(subprocess.run([program], capture_output=True, timeout=30).returncode == 0, "the moved program runs")

    elif CASE == "unreadable_input":
        expect_refusal(run(os.path.join(work, "missing.kxs"), "-o", program), 3, program, "missing.kxs")

    elif CASE == "separator_in_record":
        write(listing, b"R009\nR001[31]'\x01'\n")
        result = run(listing, "-o", program)
        expect_refusal(result, 2, program, "script.kxs:2")

    elif CASE == "program_without_stream":
        bare = os.path.join(work, "bare")
        write(bare, read(RUNTIME))
        result = run("--list", bare)
        expect(result.returncode == 3 and b"no stream" in result.stderr, "bare runtime listed: %r" % result.stderr)
        output = os.path.join(work, "out.bin")
        expect_refusal(run("--extract", bare, "-o", output), 3, output, "no stream")

    elif CASE == "packed_program_as_runtime":
        expect(run(listing, "-o", program).returncode == 0, "packing failed")
        second = os.path.join(work, "second")
        expect_refusal(run("--runtime", program, listing, "-o", second), 3, second, "already has a program")

    elif CASE == "checks":
        # Findings are warnings that name the line; strict makes them errors and writes nothing.
        write(listing, b"R009\nr001[31]'x'\n")
        warned = run("--check", listing)
        expect(warned.returncode == 0 and b"script.kxs:2: warning:" in warned.stderr, "check: %r" % warned.stderr)
        expect(run(listing, "-o", program).returncode == 0, "packing with warnings")
        os.remove(program)
        expect_refusal(run("--strict", listing, "-o", program), 2, program, "script.kxs:2: error:")
        # --run packs to a temporary program, runs it with the arguments and exits with its status.
        write(listing, b"R025'args.txt'[1]\nR030[0]'no-such-program'\nR014'exit 7'\nR009\n")
        ran = run("--run", listing, "a b", "c", cwd=work)
        expect(ran.returncode == 0 and read(os.path.join(work, "args.txt")) == b'"a b" c\r\n',
               "run: status %d, args %r" % (ran.returncode, read(os.path.join(work, "args.txt"))))
        expect(not any(name.startswith("kxpack-run-") for name in os.listdir(tempfile.gettempdir())),
               "the temporary program was left")

    elif CASE == "usage":
        result = run()
        expect(result.returncode == 1 and b"usage" in result.stderr, "usage")
        expect(run("--offset", "-5", "--list", program).returncode == 1, "negative offset")
    else:
        print("unknown case", CASE)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
