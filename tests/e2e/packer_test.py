#!/usr/bin/env python3
"""Checks the packer as a user meets it: packing, listing, extracting, moving a program from another
runtime, and its refusals (one error line, a non-zero exit status, no partial output). Outputs that are
no plain file are made here (device nodes by mknod, links, pipes), never the system's own /dev entries,
which a faulty packer would replace. Exit status 77 means skipped."""
import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import threading
import time

PACKER, RUNTIME, CASE = sys.argv[1], sys.argv[2], sys.argv[3]
BANNER_LENGTH = 64
SKIPPED = 77


def run(*arguments, **options):
    options.setdefault("stdout", subprocess.PIPE)
    return subprocess.run([PACKER, *arguments], stderr=subprocess.PIPE, **options)


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
    expect_no_temporary_file(os.path.dirname(output))


def expect_no_temporary_file(directory):
    expect(not any(".kxpack-" in name for name in os.listdir(directory)), "a temporary file was left")


def make_device(path, major, minor):
    """A character device node with the given numbers; None when this user may not make one."""
    try:
        os.mknod(path, 0o666 | stat.S_IFCHR, os.makedev(major, minor))
        with open(path, "rb"):
            pass
    except (PermissionError, OSError) as error:
        print("skipped: cannot make and open a device node here (%s)" % error)
        return None
    return path


def is_device(path, major, minor):
    status = os.lstat(path)
    return stat.S_ISCHR(status.st_mode) and status.st_rdev == os.makedev(major, minor)


def read_fifo_in_background(path):
    """Starts reading a named pipe to its end; the bytes land in the returned list."""
    received = []
    reader = threading.Thread(target=lambda: received.append(read(path)), daemon=True)
    reader.start()
    return reader, received


def main():
    work = tempfile.mkdtemp(prefix="korvex-packer-")
    try:
        return check(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def check(work):
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
        # --list --explain names each record's instruction in a comment and packs back to the same program.
        write(listing, b"R001[31]'x'\nR0IF[31]='R001'R004end\nXXXX\nRLBLend\n")
        expect(run(listing, "-o", program).returncode == 0, "packing for --explain")
        explained = run("--list", program, "--explain")
        text = explained.stdout
        expect(b"# 2: R0IF one-line if, then R004 jump\n" in text and b"# 3: unknown instruction" in text,
               "explained: %r" % text)
        relisted = os.path.join(work, "relisted.kxs")
        write(relisted, text)
        second = os.path.join(work, "second")
        expect(run(relisted, "-o", second).returncode == 0 and read(second) == read(program),
               "the explained listing packs to another program")

    elif CASE == "run_interrupted":
        # An interrupt, termination or hang-up sent to kxpack --run ends the program, not kxpack, which
        # removes the temporary program, prints the listing's warning once and exits with the program's
        # status as a shell gives it (128 + the signal).
        write(listing, b"r001[31]'x'\nR025'started.txt''yes'\nR036'20000'\nR009\n")
        temporary = os.path.join(work, "tmp")
        for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            os.makedirs(temporary, exist_ok=True)
            started = os.path.join(work, "started.txt")
            if os.path.exists(started):
                os.remove(started)
            packer = subprocess.Popen([PACKER, "--run", listing], cwd=work, stderr=subprocess.PIPE,
                                      env=dict(os.environ, TMPDIR=temporary, KORVEX_DESKTOP="console"))
            for _ in range(200):
                if os.path.exists(started) or packer.poll() is not None:
                    break
                time.sleep(0.05)
            packer.send_signal(number)
            try:
                _, errors = packer.communicate(timeout=10)
            except subprocess.TimeoutExpired:
                packer.kill()
                expect(False, "kxpack --run did not end after %s" % number.name)
            expect(packer.returncode == 128 + number, "%s: status %d" % (number.name, packer.returncode))
            expect(os.listdir(temporary) == [], "%s: left %r" % (number.name, os.listdir(temporary)))
            expect(errors.count(b"warning:") == 1, "%s: warnings %r" % (number.name, errors))

    elif CASE == "trace_places":
        # The trace names each record's listing line: under kxpack --run, and from the line map that
        # --line-map writes beside a program.
        trace = os.path.join(work, "trace.txt")
        environment = dict(os.environ, KORVEX_TRACE=trace, KORVEX_DESKTOP="console")
        ran = run("--run", listing, cwd=work, env=environment, stdin=subprocess.DEVNULL)
        expect(ran.returncode == 0, "run: %r" % ran.stderr)
        expected = "#3 %s:4 R001[32]" % listing
        expect(expected in read(trace).decode(), "trace of --run: %r" % read(trace))
        line_map = os.path.join(work, "program.lines")
        expect(run(listing, "-o", program, "--line-map", line_map).returncode == 0, "packing with a line map")
        expect(read(line_map) == ("%s:2\n%s:3\n%s:4\n%s:5\n" % ((listing,) * 4)).encode(), "line map")
        environment["KORVEX_TRACE_LINES"] = line_map
        subprocess.run([program], cwd=work, env=environment, stdin=subprocess.DEVNULL, check=True)
        expect(expected in read(trace).decode(), "trace with the line map: %r" % read(trace))

    elif CASE == "usage":
        result = run()
        expect(result.returncode == 1 and b"usage" in result.stderr, "usage")
        expect(run("--offset", "-5", "--list", program).returncode == 1, "negative offset")
        result = run("--list", RUNTIME, "--offset", "99999999999999999999")
        expect(result.returncode == 1 and result.stderr.startswith(b"kxpack: --offset 9"),
               "offset too large: %d %r" % (result.returncode, result.stderr))

    elif CASE == "output_not_a_plain_file":
        expect(run(listing, "-o", program).returncode == 0, "packing failed")
        packed = read(program)
        fifo = os.path.join(work, "fifo")
        os.mkfifo(fifo)
        reader, received = read_fifo_in_background(fifo)
        expect(run(listing, "-o", fifo, timeout=30).returncode == 0, "packing into a pipe")
        reader.join(30)
        expect(received == [packed] and stat.S_ISFIFO(os.lstat(fifo).st_mode), "the pipe got the program")
        # What /dev/stdout is: a link to the descriptor's own link.
        standard_output = os.path.join(work, "stdout")
        os.symlink("/proc/self/fd/1", standard_output)
        result = run(listing, "-o", standard_output)
        expect(result.returncode == 0 and result.stdout == packed, "packing to the standard output")
        expect(os.path.islink(standard_output), "the link to the standard output was replaced")
        expect_no_temporary_file(work)
        null = make_device(os.path.join(work, "null"), 1, 3)
        if not null:
            return SKIPPED
        expect(run(listing, "-o", null).returncode == 0, "packing into a null device")
        expect(is_device(null, 1, 3), "the device node was replaced")

    elif CASE == "output_device_refusing_writes":
        full = make_device(os.path.join(work, "full"), 1, 7)
        if not full:
            return SKIPPED
        result = run(listing, "-o", full)
        expect(result.returncode == 3 and b"full" in result.stderr, "exit status %d" % result.returncode)
        expect(is_device(full, 1, 7), "the device node was replaced")
        expect_no_temporary_file(work)
        expect(run(listing, "-o", program).returncode == 0, "packing failed")
        with open(full, "wb") as refusing:
            expect(run("--list", program, stdout=refusing).returncode == 3, "listing into a full device")

    elif CASE == "output_through_link":
        target, link = os.path.join(work, "target"), os.path.join(work, "link")
        write(target, b"old")
        os.symlink("target", link)
        expect(run(listing, "-o", link).returncode == 0, "packing through a link")
        expect(os.path.islink(link) and read(target).startswith(read(RUNTIME)), "the link's target replaced")
        dangling = os.path.join(work, "dangling")
        os.symlink("new-target", dangling)
        expect(run(listing, "-o", dangling).returncode == 0, "packing through a dangling link")
        expect(os.path.islink(dangling) and os.path.isfile(os.path.join(work, "new-target")), "target made")

    elif CASE == "new_and_existing_modes":
        in_umask_027 = dict(preexec_fn=lambda: os.umask(0o027))
        expect(run(listing, "-o", program, **in_umask_027).returncode == 0, "packing failed")
        expect(stat.S_IMODE(os.stat(program).st_mode) == 0o750, "new program %o" % os.stat(program).st_mode)
        extracted = os.path.join(work, "stream.bin")
        expect(run("--extract", program, "-o", extracted, **in_umask_027).returncode == 0, "extract failed")
        expect(stat.S_IMODE(os.stat(extracted).st_mode) == 0o640, "new stream %o" % os.stat(extracted).st_mode)
        os.chmod(program, 0o701)
        expect(run(listing, "-o", program).returncode == 0, "packing again failed")
        expect(stat.S_IMODE(os.stat(program).st_mode) == 0o701, "existing %o" % os.stat(program).st_mode)

    elif CASE == "users_temporary_file_kept":
        mine = program + ".kxpack-tmp"
        write(mine, b"mine")
        expect(run(listing, "-o", program).returncode == 0, "packing failed")
        expect(os.path.exists(mine) and read(mine) == b"mine", "the user's file was overwritten")
        expect(sorted(os.listdir(work)) == ["program", "program.kxpack-tmp", "script.kxs"],
               "files left: %r" % os.listdir(work))

    elif CASE == "output_is_an_input":
        runtime = os.path.join(work, "runtime")
        write(runtime, read(RUNTIME))
        result = run("--runtime", runtime, listing, "-o", runtime)
        expect(result.returncode == 1 and b"itself" in result.stderr, "output over the runtime")
        expect(read(runtime) == read(RUNTIME), "the runtime was changed")
        link = os.path.join(work, "link")
        os.symlink("script.kxs", link)
        before = read(listing)
        expect(run(listing, "-o", link).returncode == 1 and read(listing) == before, "output over the listing")
        expect(run("--runtime", runtime, listing, "-o", program).returncode == 0, "packing failed")
        packed = read(program)
        second_name = os.path.join(work, "second-name")
        os.link(program, second_name)
        expect(run("--extract", program, "-o", second_name).returncode == 1, "output over the program")
        expect(read(program) == packed, "the program was changed")
        expect_no_temporary_file(work)

    elif CASE == "input_read_error":
        expect_refusal(run(work, "-o", program), 3, program, work)
        if os.path.exists("/proc/self/mem"):
            expect_refusal(run("/proc/self/mem", "-o", program), 3, program, "/proc/self/mem")

    elif CASE == "runtime_not_an_executable":
        fake = os.path.join(work, "fake")
        write(fake, b"\x7fELF" + bytes(48))  # exactly as long as a 32-bit ELF header, and nothing in it
        expect_refusal(run("--runtime", fake, listing, "-o", program), 3, program, "not a runtime")
        big_endian = bytearray(read(RUNTIME))
        big_endian[5] = 2
        write(fake, bytes(big_endian))
        expect_refusal(run("--runtime", fake, listing, "-o", program), 3, program, "not a runtime")
    else:
        print("unknown case", CASE)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
