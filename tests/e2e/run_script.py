#!/usr/bin/env python3
"""Runs one end-to-end script: packs the listing into a real program, runs it in a fresh temporary
directory with the scripted desktop, and checks its exit status, the files it leaves and its transcript.

Expectations stand in the listing's own comment lines, which the packer ignores:
  #@ exit N                   exit status (default 0)
  #@ args TEXT                command-line arguments, split at blanks
  #@ env NAME=VALUE           an environment variable for the program
  #@ answer LINE              one line of the scripted desktop's answer file
  #@ setup-file NAME TEXT     a file to create before the run (TEXT with backslash escapes)
  #@ setup-dir NAME           a directory to create before the run
  #@ file NAME TEXT           NAME must hold exactly TEXT afterwards (backslash escapes)
  #@ file-lines NAME TEXT     the same, with the file's CR LF line ends read as LF
  #@ copy NAME                copy the file NAME from the listing's folder into the run directory
  #@ no-file NAME             NAME must not exist afterwards
  #@ box TEXT                 the texts of the message boxes shown, in order, exactly these
  #@ dialog LINE              the transcript lines of the input, editor and list dialogs and the
                              information window, in order, exactly these
  #@ transcript LINE          the transcript's lines after those start-up writes (the button captions
                              and the hidden information window), in order, exactly these
  #@ transcript-has TEXT      the transcript contains TEXT
  #@ transcript-lacks TEXT    the transcript does not contain TEXT
  #@ raw HEX                  pack exactly these stream bytes instead of the listing's records
  #@ no-stream                run the bare runtime, with nothing appended
  #@ only posix|windows       run on one platform only (elsewhere the test counts as skipped)
  #@ memory-limit MB          the program's address space is limited to MB megabytes (POSIX only;
                              skipped for a sanitized runtime, whose shadow memory needs more)
  #@ descriptor-limit N       the program may hold at most N open descriptors (POSIX only; on
                              Windows the script runs without it)
  #@ child-signal-ignored     the program starts with SIGCHLD ignored, as a parent may leave it
                              (POSIX only, as the descriptor limit)
  #@ large-record MB          a record of MB megabytes is packed behind the listing's records
  #@ output-has TEXT          what the program wrote to standard output and error contains TEXT
  #@ helper NAME [AS]         copy the helper program NAME (given with --helper NAME=PATH) into the run
                              directory as AS (default NAME; AS.exe on Windows), where the program finds
                              it by that name: Windows looks in the current directory, and on POSIX the
                              run directory is put in front of PATH
In the texts of expectations, {uname} stands for the system's name as uname gives it.

Exit status 0 means passed, 1 failed, 77 skipped (the script does not apply here).
With --answers FILE the scripted desktop takes its answers from FILE instead of "#@ answer" lines.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

# The exit status that tells CTest the test was skipped.
SKIPPED = 77


def unescape(text):
    out = bytearray()
    i = 0
    raw = text.encode("latin-1", errors="strict") if isinstance(text, str) else text
    while i < len(raw):
        c = raw[i]
        if c != 0x5C:
            out.append(c)
            i += 1
            continue
        i += 1
        e = chr(raw[i])
        simple = {"\\": 0x5C, '"': 0x22, "'": 0x27, "n": 0x0A, "r": 0x0D, "t": 0x09, "0": 0x00}
        if e in simple:
            out.append(simple[e])
            i += 1
        elif e == "x":
            out.append(int(raw[i + 1:i + 3], 16))
            i += 3
        else:
            raise ValueError("bad escape in %r" % text)
    return bytes(out)


def file_name(name):
    """A name from a directive as the listing's own bytes (UTF-8 in a UTF-8 listing)."""
    return os.fsdecode(name.encode("latin-1"))


def helper_entry(option):
    """NAME=PATH, or a bare PATH named by its file name without ".exe"."""
    name, equals, path = option.partition("=")
    if equals and os.sep not in name and "/" not in name:
        return name, path
    base = os.path.basename(option)
    return (base[:-4] if base.lower().endswith(".exe") else base), option


def process_setup(memory_limit, descriptor_limit, child_signal_ignored):
    """What the child process does before the program starts in it; None when nothing."""
    if not (memory_limit or descriptor_limit or child_signal_ignored):
        return None

    def setup():
        import resource
        import signal
        if memory_limit:
            size = memory_limit * 1024 * 1024
            resource.setrlimit(resource.RLIMIT_AS, (size, size))
        if descriptor_limit:
            resource.setrlimit(resource.RLIMIT_NOFILE, (descriptor_limit, descriptor_limit))
        if child_signal_ignored:
            signal.signal(signal.SIGCHLD, signal.SIG_IGN)
    return setup


def read_directives(path):
    directives = []
    system_name = os.uname().sysname if hasattr(os, "uname") else "Windows"
    with open(path, "rb") as listing:
        for line in listing.read().decode("latin-1").splitlines():
            if line.startswith("#@ "):
                body = line[3:]
                key, _, value = body.partition(" ")
                directives.append((key, value.replace("{uname}", system_name)))
    return directives


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--packer", required=True)
    parser.add_argument("--runtime", required=True)
    parser.add_argument("--platform", choices=["posix", "windows"], required=True)
    parser.add_argument("--helper", action="append", default=[], metavar="[NAME=]PATH",
                        help="a program that scripts may start (tests/helpers), named NAME or by its file")
    parser.add_argument("--keep", action="store_true", help="keep the temporary directory")
    parser.add_argument("--sanitized", action="store_true", help="the runtime is built with sanitizers")
    parser.add_argument("--answers", help="the answer file, instead of the listing's answer lines")
    parser.add_argument("script")
    options = parser.parse_args()

    directives = read_directives(options.script)
    only = [value for key, value in directives if key == "only"]
    if only and options.platform not in only:
        print("skipped: only for", ", ".join(only))
        return SKIPPED

    memory_limit = next((int(v) for k, v in directives if k == "memory-limit"), None)
    if memory_limit and options.sanitized:
        print("skipped: a sanitized runtime cannot run with a memory limit")
        return SKIPPED
    descriptor_limit = next((int(v) for k, v in directives if k == "descriptor-limit"), None)
    child_signal_ignored = any(key == "child-signal-ignored" for key, _ in directives)
    large_record = next((int(v) for k, v in directives if k == "large-record"), None)

    work = tempfile.mkdtemp(prefix="korvex-e2e-")
    failures = []
    try:
        program = os.path.join(work, "program.exe" if options.platform == "windows" else "program")
        raw = " ".join(value for key, value in directives if key == "raw")
        pack = [options.packer, "--runtime", options.runtime, "-o", program]
        if any(key == "no-stream" for key, _ in directives):
            shutil.copyfile(options.runtime, program)
            os.chmod(program, 0o755)
            pack = None
        elif raw:
            stream_path = os.path.join(work, "stream.bin")
            with open(stream_path, "wb") as stream:
                stream.write(bytes.fromhex(raw))
            pack += ["--raw", stream_path]
        elif large_record:
            listing_path = os.path.join(work, "listing.kxs")
            with open(options.script, "rb") as listing, open(listing_path, "wb") as extended:
                shutil.copyfileobj(listing, extended)
                extended.write(b"\nR001[99]'")
                block = b"x" * (1024 * 1024)
                for _ in range(large_record):
                    extended.write(block)
                extended.write(b"'\n")
            pack += [listing_path]
        else:
            pack += [options.script]
        packed = subprocess.run(pack, capture_output=True) if pack else None
        if packed and packed.returncode != 0:
            print("packing failed:", packed.stderr.decode(errors="replace"))
            return 1

        run_dir = os.path.join(work, "run")
        os.mkdir(run_dir)
        answers = [value for key, value in directives if key == "answer"]
        if options.answers:
            shutil.copyfile(options.answers, os.path.join(run_dir, "answers.txt"))
        else:
            with open(os.path.join(run_dir, "answers.txt"), "w", newline="\n") as answer_file:
                answer_file.write("".join(a + "\n" for a in answers))
        for key, value in directives:
            if key == "setup-file":
                name, _, text = value.partition(" ")
                target = os.path.join(run_dir, file_name(name))
                os.makedirs(os.path.dirname(target), exist_ok=True)
                with open(target, "wb") as f:
                    f.write(unescape(text))
            elif key == "copy":
                shutil.copy(os.path.join(os.path.dirname(os.path.abspath(options.script)), value),
                            os.path.join(run_dir, value))
            elif key == "setup-dir":
                os.makedirs(os.path.join(run_dir, file_name(value)), exist_ok=True)
            elif key == "helper":
                helpers = dict(helper_entry(h) for h in options.helper)
                name, _, copy_as = value.partition(" ")
                if name not in helpers:
                    print("FAIL: the script needs the helper program %s and none was given" % name)
                    return 1
                suffix = ".exe" if options.platform == "windows" else ""
                shutil.copy(helpers[name], os.path.join(run_dir, (copy_as or name) + suffix))

        environment = dict(os.environ)
        environment["KORVEX_DESKTOP"] = "scripted:answers.txt"
        environment["KORVEX_TRANSCRIPT"] = "transcript.txt"
        for key, value in directives:
            if key == "env":
                name, _, text = value.partition("=")
                environment[name] = text
        if any(key == "helper" for key, _ in directives) and options.platform == "posix":
            environment["PATH"] = run_dir + os.pathsep + environment.get("PATH", "")
        arguments = []
        for key, value in directives:
            if key == "args":
                arguments += value.split()
        command = [program] + arguments
        setup = None
        if options.platform == "windows":
            command = [os.environ.get("KORVEX_WINE", "wine")] + command
            environment.setdefault("WINEDEBUG", "-all")
            # Variables reach the Windows program through Wine's own environment.
        else:
            setup = process_setup(memory_limit, descriptor_limit, child_signal_ignored)
        transcript_path = os.path.join(run_dir, "transcript.txt")
        # Output goes to files, not pipes: helper processes that Wine starts inherit the descriptors
        # and outlive the program, so a pipe would not reach its end with the program.
        output_path = os.path.join(work, "output.txt")
        try:
            with open(output_path, "wb") as output:
                result = subprocess.run(command, cwd=run_dir, env=environment, stdin=subprocess.DEVNULL,
                                        stdout=output, stderr=subprocess.STDOUT, timeout=60,
                                        preexec_fn=setup)
        except subprocess.TimeoutExpired:
            print("FAIL: the program did not end within 60 seconds")
            return 1
        with open(output_path, "rb") as output:
            result.stdout, result.stderr = output.read(), b""
        expected_exit = int(next((v for k, v in directives if k == "exit"), "0"))
        if result.returncode != expected_exit:
            failures.append("exit status %d, expected %d" % (result.returncode, expected_exit))

        transcript = b""
        if os.path.exists(transcript_path):
            with open(transcript_path, "rb") as f:
                transcript = f.read()
        boxes = [m.group(1) for m in re.finditer(rb'^message_box title="(?:[^"\\]|\\.)*" text="((?:[^"\\]|\\.)*)"',
                                                  transcript, re.M)]
        expected_boxes = [value.encode("latin-1") for key, value in directives if key == "box"]
        if any(key == "box" for key, _ in directives) and boxes != expected_boxes:
            failures.append("message boxes %r, expected %r" % (boxes, expected_boxes))
        dialogs = [line for line in transcript.split(b"\n")
                   if re.match(rb"(input_dialog|editor_dialog|list_dialog|info_window) ", line)]
        expected_dialogs = [value.encode("latin-1") for key, value in directives if key == "dialog"]
        if any(key == "dialog" for key, _ in directives) and dialogs != expected_dialogs:
            failures.append("dialogs %r, expected %r" % (dialogs, expected_dialogs))
        if any(key == "transcript" for key, _ in directives):
            lines = transcript.decode("latin-1").splitlines()
            # Start-up sets the five button captions and hides the information window, in that order.
            start = 0
            while start < len(lines) and lines[start].startswith("caption "):
                start += 1
            start = start + 1 if start < len(lines) and lines[start] == "info_window hidden" else 0
            expected_lines = [value for key, value in directives if key == "transcript"]
            if lines[start:] != expected_lines:
                failures.append("transcript %r, expected %r" % (lines[start:], expected_lines))
        for key, value in directives:
            if key == "transcript-has" and value.encode("latin-1") not in transcript:
                failures.append("transcript lacks %r" % value)
            elif key == "transcript-lacks" and value.encode("latin-1") in transcript:
                failures.append("transcript has %r" % value)
            elif key in ("file", "file-lines"):
                name, _, text = value.partition(" ")
                target = os.path.join(run_dir, name)
                if not os.path.exists(target):
                    failures.append("file %s is missing" % name)
                else:
                    with open(target, "rb") as f:
                        content = f.read()
                    if key == "file-lines":
                        content = content.replace(b"\r\n", b"\n")
                    if content != unescape(text):
                        failures.append("file %s holds %r, expected %r" % (name, content, unescape(text)))
            elif key == "output-has" and value.encode("latin-1") not in result.stdout:
                failures.append("the program's output lacks %r" % value)
            elif key == "no-file" and os.path.exists(os.path.join(run_dir, value)):
                failures.append("file %s exists" % value)

        if failures:
            print("FAIL:", options.script)
            for failure in failures:
                print("  -", failure)
            print("--- transcript ---")
            print(transcript.decode("latin-1"))
            print("--- program output ---")
            print(result.stdout.decode(errors="replace"), result.stderr.decode(errors="replace")[-4000:])
            return 1
        return 0
    finally:
        if options.keep:
            print("kept", work)
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
