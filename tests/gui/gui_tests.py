#!/usr/bin/env python3
"""GUI tests of the Windows runtime under Wine: each test packs a listing into a real program, starts it
on the Win32 desktop (no KORVEX_DESKTOP), drives its windows and message boxes with the GUI test driver
(tests/gui/driver.cpp) and checks what the windows showed, what the script stored and the exit status.

  gui_tests.py --packer KXPACK --runtime KORVEX.EXE --driver DRIVER.EXE [--key-target KEY_TARGET.EXE] TEST_NAME

Scripts report what they stored through a last message box titled "Result <test>", whose text the
driver reads. Titles carry the test's name, so tests may run side by side on one Wine desktop.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

WINE = os.environ.get("KORVEX_WINE", "wine")
TESTS = {}


def gui_test(function):
    TESTS[function.__name__] = function
    return function


class Failed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failed(message)


def unescape(text):
    return text.encode("latin-1").decode("unicode_escape").encode("latin-1").decode("latin-1")


def parse_report(output):
    """The windows of a driver report: dicts with their fields and a list of controls."""
    windows = []
    for line in output.splitlines():
        fields = dict((k, unescape(v[1:-1]) if v.startswith('"') else v)
                      for k, v in re.findall(r'(\w+)=("(?:[^"\\]|\\.)*"|\S+)', line))
        if line.startswith("window "):
            windows.append(dict(fields, controls=[], items=[]))
        elif line.startswith("  control "):
            windows[-1]["controls"].append(fields)
        elif line.startswith("  item "):
            windows[-1]["items"].append(unescape(re.search(r'"(.*)"$', line).group(1)))
        elif line.startswith("  items "):
            windows[-1]["selected"] = int(fields["selected"])
    return windows


def number(window, key):
    return int(window[key])


def control(window, control_id, window_class=None, index=0):
    found = [c for c in window["controls"]
             if int(c["id"]) == control_id and (window_class is None or c["class"].lower() == window_class.lower())]
    check(len(found) > index, "no control %d (%s) in %r" % (control_id, window_class, window))
    return found[index]


class Run:
    def __init__(self, options, name):
        self.options = options
        self.name = name
        self.work = tempfile.mkdtemp(prefix="korvex-gui-")
        self.process = None
        self.helpers = []
        self.environment = dict(os.environ)
        self.environment.pop("KORVEX_DESKTOP", None)
        self.environment.setdefault("WINEDEBUG", "-all")

    def title(self, text):
        return "%s %s" % (text, self.name)

    def pack(self, listing, directory=None):
        directory = directory or self.work
        os.makedirs(directory, exist_ok=True)
        source = os.path.join(self.work, "program.kxs")
        with open(source, "w", encoding="latin-1", newline="\n") as f:
            f.write(listing)
        program = os.path.join(directory, "program.exe")
        packed = subprocess.run([self.options.packer, "--runtime", self.options.runtime, "-o", program, source],
                                capture_output=True)
        check(packed.returncode == 0, "packing failed: %s" % packed.stderr.decode(errors="replace"))
        return program

    def start(self, listing=None, program=None, arguments=()):
        program = program or self.pack(listing)
        self.output = open(os.path.join(self.work, "program-output.txt"), "wb")
        self.process = subprocess.Popen([WINE, program] + list(arguments), cwd=os.path.dirname(program),
                                        env=self.environment,
                                        stdin=subprocess.DEVNULL, stdout=self.output, stderr=subprocess.STDOUT)

    def start_helper(self, *arguments):
        """Another Windows program beside the runtime, ended at the latest when the test ends."""
        output = open(os.path.join(self.work, "helper-output-%d.txt" % len(self.helpers)), "wb")
        self.helpers.append(subprocess.Popen([WINE] + list(arguments), cwd=self.work, env=self.environment,
                                             stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT))

    def drive(self, *commands, expect_failure=False):
        # Output to a file: Wine's helper processes may keep a pipe open after the driver ends.
        path = os.path.join(self.work, "driver-output.txt")
        with open(path, "wb") as output:
            result = subprocess.run([WINE, self.options.driver] + list(commands), env=self.environment,
                                    stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT, timeout=150)
        with open(path, "rb") as output:
            text = output.read().decode("latin-1")
        if not expect_failure:
            check(result.returncode == 0, "driver %r failed: %s" % (commands, text))
        return text

    def result(self):
        """The text of the script's closing "Result" box, which is then closed with OK."""
        report = parse_report(self.drive("wait", self.title("Result"), "show", "press", "1"))
        return control(report[0], 0xFFFF)["text"]

    def finish(self, expected_exit=0, seconds=30):
        try:
            status = self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failed("the program did not end within %d seconds" % seconds)
        check(status == expected_exit, "exit status %d, expected %d" % (status, expected_exit))

    def close(self):
        for process in [self.process] + self.helpers:
            if process and process.poll() is None:
                process.kill()
                process.wait()
        shutil.rmtree(self.work, ignore_errors=True)


def box_buttons(window):
    return sorted(int(c["id"]) for c in window["controls"] if c["class"].lower() == "button")


# --- message boxes ---------------------------------------------------------------------------------

@gui_test
def message_box_button_sets(run):
    cases = [("OK", [1], 1), ("OKCANCEL", [1, 2], 2), ("CANCELRETRYIGNORE", [3, 4, 5], 4),
             ("YESNOCANCEL", [2, 6, 7], 7), ("YESNO", [6, 7], 6), ("RETRYCANCEL", [2, 4], 4),
             (" yesno ", [6, 7], 7), ("36", [6, 7], 6), ("no such set", [1], 1)]
    listing = "RRLR'4.4'\n"
    for index, (button_set, _, _) in enumerate(cases):
        listing += "R007'%s''Press a button''%s'\nR001[40][40]#[0]#','\n" % (run.title("Box%d" % index), button_set)
    listing += "R007'%s''Close me''okcancel'\nR001[40][40]#[0]\n" % run.title("Closed")
    listing += "R007'%s'[40]'OK'\nR009\n" % run.title("Result")
    run.start(listing)
    for index, (button_set, buttons, press) in enumerate(cases):
        report = parse_report(run.drive("wait", run.title("Box%d" % index), "show", "press", str(press)))
        check(box_buttons(report[0]) == buttons,
              "set %r shows buttons %r, expected %r" % (button_set, box_buttons(report[0]), buttons))
        check(control(report[0], 0xFFFF)["text"] == "Press a button", "box text %r" % report[0])
    run.drive("wait", run.title("Closed"), "close")
    expected = "".join("%d," % press for _, _, press in cases) + "2"
    stored = run.result()
    check(stored == expected, "stored codes %r, expected %r" % (stored, expected))
    run.finish(0)


@gui_test
def notice_and_confirmation_titles(run):
    run.start("RRLR'4.4'\nR027'first notice'\nR001[4]'%s'\nR027'second notice'\n"
              "R028[31]'sure?'\nR001[5]'%s'\nR028[32]'really?'\nR007'%s'[31]#'/'#[32]'OK'\nR009\n"
              % (run.title("Echo"), run.title("Ask"), run.title("Result")))
    first = parse_report(run.drive("wait", "Korvex Echo", "show", "press", "1"))[0]
    check(control(first, 0xFFFF)["text"] == "first notice" and box_buttons(first) == [1], "first notice %r" % first)
    second = parse_report(run.drive("wait", run.title("Echo"), "show", "press", "1"))[0]
    check(control(second, 0xFFFF)["text"] == "second notice", "second notice %r" % second)
    confirmation = parse_report(run.drive("wait", "Korvex Confirmation", "show", "press", "6"))[0]
    check(box_buttons(confirmation) == [6, 7], "confirmation buttons %r" % confirmation)
    run.drive("wait", run.title("Ask"), "press", "7")
    stored = run.result()
    check(stored == "0/-1", "confirmations stored %r, expected '0/-1'" % stored)
    run.finish(0)


@gui_test
def version_conflict_box(run):
    run.start("RRLR'4.5'\nR007'%s''must not show''OK'\nR009\n" % run.title("After"))
    box = parse_report(run.drive("wait", "Korvex Runtime Language Conflict", "show", "press", "1"))[0]
    text = control(box, 0xFFFF)["text"]
    check(text == "ERROR: RTL uses newer KXRL-specification!\nThis may result unpredictable results.",
          "conflict text %r" % text)
    check(box_buttons(box) == [1], "conflict buttons %r" % box)
    run.finish(0)  # a box shown afterwards would keep the program from ending


# --- the hidden windows ------------------------------------------------------------------------------

def hidden_windows(run, title):
    """The runtime's four KX4RTL windows, reported while the box titled title waits, keyed by role."""
    report = parse_report(run.drive("wait", title, "family", "KX4RTL", "press", "1"))
    check(len(report) == 4, "%d windows of class KX4RTL, expected 4" % len(report))
    roles = {}
    for window in report:
        ids = sorted(int(c["id"]) for c in window["controls"])
        role = {(0, 0, 1, 2): "input", (7, 8, 9): "editor", (4, 5): "list", (12,): "info"}.get(tuple(ids))
        check(role is not None, "unexpected window %r" % window)
        roles[role] = window
    return roles


def check_place(window, x, y, width, height, what):
    place = tuple(number(window, k) for k in ("x", "y", "width", "height"))
    check(place == (x, y, width, height), "%s at %r, expected %r" % (what, place, (x, y, width, height)))


def check_start_windows(run, theme):
    metrics = dict(re.findall(r"(\w+)=(\d+)", run.drive("theme", theme, "metrics")))
    allowance = 10 if metrics["theme"] == "1" else 0
    check(metrics["theme"] == theme, "Wine reports visual styles %s, expected %s" % (metrics["theme"], theme))
    run.start("RRLR'4.4'\nR007'%s''windows''OK'\nR009\n" % run.title("Start"))
    windows = hidden_windows(run, run.title("Start"))
    run.finish(0)
    cx, cy = int(metrics["screen_width"]), int(metrics["screen_height"])
    fx, fy = int(metrics["full_width"]), int(metrics["full_height"])
    half = lambda value: int(value / 2)
    for role, window in windows.items():
        check(window["visible"] == "0", "the %s window is shown at start" % role)
        check(window["title"] == "", "the %s window has a title" % role)
    check_place(windows["input"], half(fx) - 150, half(fy) - 55, 300, 102 + allowance, "input window")
    check_place(windows["editor"], half(cx) - 175, half(cy) + allowance - 119, 350, 238, "editor window")
    check_place(windows["list"], half(cx) - 65, half(cy) + allowance - 88, 130, 176, "list window")
    check_place(windows["info"], half(cx) - 150, half(cy) - 12, 300, 24, "info window")
    # Styles without the bits the system adds itself (clipping of siblings; a caption for overlapped
    # windows; the window edge of framed windows).
    styles = {"input": 0x00C80000, "editor": 0x00CE0000, "list": 0x00CC0000, "info": 0x80880000}
    for role, style in styles.items():
        actual = int(windows[role]["style"], 16) & ~0x04000000
        check(actual == style, "%s window style 0x%08X, expected 0x%08X" % (role, actual, style))
    check(int(windows["info"]["exstyle"], 16) & 0x9 == 0x9, "the info window is not top-most with a modal frame")
    controls = [("input", 0, "Static", 0, (5, 5, 280, 20), 0x50000000, "", 0),
                ("input", 0, "Edit", 0, (5, 22, 285, 24), 0x508100C0, "", 0x200),
                ("input", 1, "Button", 0, (15, 50, 80, 25), 0x50014000, "Ok", 0),
                ("input", 2, "Button", 0, (200, 50, 80, 25), 0x50014000, "Cancel", 0),
                ("editor", 7, "Edit", 0, (1, 1, 342, 180), 0x50201044, "", 0x200),
                ("editor", 8, "Button", 0, (1, 185, 100, 25), 0x50010001, "&Ok", 0),
                ("editor", 9, "Button", 0, (242, 185, 100, 25), 0x50010000, "&Cancel", 0),
                ("list", 4, "ListBox", 0, (1, 1, 122, 140), 0x50210100, "", 0x200),
                ("list", 5, "Button", 0, (1, 125, 122, 24), 0x50010001, "&Ok", 0),
                ("info", 12, "Static", 0, (0, 2, 300, 30), 0x50000001, "", 0)]
    for role, control_id, window_class, index, place, style, text, exstyle in controls:
        found = control(windows[role], control_id, window_class, index)
        what = "%s %s %d" % (role, window_class, control_id)
        check_place(found, *place, what)
        # A list box shows its scroll bar only when its entries need it.
        mask = ~0x00200000 if window_class == "ListBox" else ~0
        check(int(found["style"], 16) & mask == style & mask, "%s style %s, expected 0x%08X" % (what, found["style"], style))
        check(int(found["exstyle"], 16) & 0x200 == exstyle, "%s extended style %s" % (what, found["exstyle"]))
        check(found["text"] == text, "%s text %r, expected %r" % (what, found["text"], text))


@gui_test
def start_windows_with_theme(run):
    check_start_windows(run, "1")


@gui_test
def start_windows_without_theme(run):
    try:
        check_start_windows(run, "0")
    finally:
        run.drive("theme", "1")


@gui_test
def captions_follow_variables(run):
    run.start("RRLR'4.4'\nR001[13]'Yes!'\nR001[14]'No way'\nR001[17]'Take'\nR001[18]'Drop'\nR001[23]'Choose'\n"
              "R007'%s''captions''OK'\nR007'%s'[13]#[14]#[17]#[18]#[23]'OK'\nR009\n"
              % (run.title("Captions"), run.title("Result")))
    windows = hidden_windows(run, run.title("Captions"))
    captions = [control(windows["input"], 1)["text"], control(windows["input"], 2)["text"],
                control(windows["editor"], 8)["text"], control(windows["editor"], 9)["text"],
                control(windows["list"], 5)["text"]]
    check(captions == ["Yes!", "No way", "Take", "Drop", "Choose"], "captions %r" % captions)
    check(run.result() == "Yes!No wayTakeDropChoose", "the variables do not keep the captions")
    run.finish(0)


@gui_test
def info_window_through_variable_28(run):
    run.start("RRLR'4.4'\nR001[28]'0'\nR007'%s''x''OK'\nR001[28]'hide'\nR007'%s''x''OK'\n"
              "R001[26]'200'\nR001[27]'40'\nR038'Hello info'''\nR001[31][28]\nR007'%s''x''OK'\n"
              "R038'Bye'' HIDE'\nR001[32][28]\nR038'Bye''hide'\nR001[33][28]\nR007'%s''x''OK'\n"
              "R007'%s'[31]#'/'#[32]#'/'#[33]'OK'\nR009\n"
              % (run.title("Shown"), run.title("Hidden"), run.title("Placed"), run.title("Gone"),
                 run.title("Result")))
    metrics = dict(re.findall(r"(\w+)=(\d+)", run.drive("metrics")))
    cx, cy = int(metrics["screen_width"]), int(metrics["screen_height"])
    check(hidden_windows(run, run.title("Shown"))["info"]["visible"] == "1", "storing 0 under 28 does not show it")
    check(hidden_windows(run, run.title("Hidden"))["info"]["visible"] == "0", "storing hide under 28 keeps it")
    info = hidden_windows(run, run.title("Placed"))["info"]
    check(info["visible"] == "1", "the info instruction does not show the window")
    check_place(info, int(cx / 2) - 100, int(cy / 2) - 20, 200, 40, "info window")
    text = control(info, 12)
    check_place(text, 0, 3, 200, 40, "info text")
    check(text["text"] == "Hello info", "info text %r" % text["text"])
    check(hidden_windows(run, run.title("Gone"))["info"]["visible"] == "0", "hide does not hide the window")
    stored = run.result()
    check(stored == "0/0/-1", "variable 28 reads %r" % stored)
    run.finish(0)


@gui_test
def info_window_stays_across_instructions_and_dialogs(run):
    run.start("RRLR'4.4'\nR038'Working'''\nR001[34][28]\nR001[31]'after the window'\nR001[31][31]#'!'\n"
              "R008[32]'%s''Name:''n'\nR007'%s''x''OK'\nR038'Bye''-1'\nR001[33][28]\nR007'%s''x''OK'\n"
              "R007'%s'[34]#'/'#[32]#'/'#[33]'OK'\nR009\n"
              % (run.title("Ask"), run.title("After"), run.title("Gone"), run.title("Result")))
    during = hidden_windows(run, run.title("Ask"))
    check(during["input"]["visible"] == "1", "the input dialog is not shown")
    check(during["info"]["visible"] == "1", "the info window went away during the input dialog")
    check(control(during["info"], 12)["text"] == "Working", "info text %r" % during["info"])
    check(hidden_windows(run, run.title("After"))["info"]["visible"] == "1",
          "the info window went away after the input dialog")
    check(hidden_windows(run, run.title("Gone"))["info"]["visible"] == "0", "the mode -1 does not hide it")
    stored = run.result()
    check(stored == "0/n/-1", "variable 28 and the answer read %r" % stored)
    run.finish(0)


# --- clipboard, start-up -----------------------------------------------------------------------------

@gui_test
def clipboard_in_cf_text(run):
    run.start("RRLR'4.4'\nR001[25]'from the script'#[24]#'line 2'\nR007'%s''x''OK'\n"
              "R007'%s'[25]'OK'\nR009\n" % (run.title("Clip"), run.title("Result")))
    output = run.drive("wait", run.title("Clip"), "clipboard-get", "clipboard-set", "from the driver", "press", "1")
    check('clipboard "from the script\\nline 2"' in output, "clipboard after storing 25: %r" % output)
    stored = run.result()
    check(stored == "from the driver", "reading 25 gives %r" % stored)
    run.finish(0)


@gui_test
def windows_start_values(run):
    run.start("RRLR'4.4'\nR007'%s'[1]#'|'#[3]#'|'#[6]#'|'#[9]'OK'\nR009\n" % run.title("Result"),
              arguments=["alpha", "beta"])
    command_line, path, windows_directory, user = run.result().split("|")
    check(command_line == "alpha beta", "[1] reads %r" % command_line)
    check(re.match(r"^[A-Za-z]:\\.*\\program\.exe$", path) is not None, "[3] reads %r" % path)
    check(windows_directory.lower() == "c:\\windows", "[6] reads %r" % windows_directory)
    check(user not in ("", "unknown"), "[9] reads %r" % user)
    run.finish(0)


@gui_test
def icon_and_version_resources(run):
    for runtime in (run.options.runtime, run.pack("RRLR'4.4'\nR009\n")):
        output = run.drive("resources", runtime)
        check("resources icon1000=1 version=4.4.0.0" in output, "%s: %r" % (runtime, output))


@gui_test
def runtime_without_script(run):
    program = os.path.join(run.work, "bare.exe")
    shutil.copy(run.options.runtime, program)
    run.start(program=program)
    run.finish(0, seconds=20)  # a window waiting for the user would keep it from ending


@gui_test
def stripped_runtime_finds_its_stream(run):
    strip = shutil.which("x86_64-w64-mingw32-strip")
    check(strip is not None, "x86_64-w64-mingw32-strip is missing")
    stripped = os.path.join(run.work, "korvex-stripped.exe")
    subprocess.run([strip, "-o", stripped, run.options.runtime], check=True)
    check(os.path.getsize(stripped) < os.path.getsize(run.options.runtime), "stripping removed nothing")
    run.options.runtime = stripped
    run.start("RRLR'4.4'\nR001[31]'stripped'\nR007'%s'[31]'OK'\nR009\n" % run.title("Result"))
    check(run.result() == "stripped", "the stripped runtime ran another stream")
    run.finish(0)


@gui_test
def error_in_file(run):
    # An ANSI program cannot open its own file under a name the code page cannot spell.
    program = run.pack("RRLR'4.4'\nR009\n", os.path.join(run.work, "folder \u0416\u4e2d"))
    run.start(program=program)
    box = parse_report(run.drive("wait", "KX4", "show", "press", "1"))[0]
    check(control(box, 0xFFFF)["text"] == "Error in file", "start-up box %r" % box)
    run.finish(1)


# --- the dialogs ---------------------------------------------------------------------------------------

@gui_test
def input_dialog(run):
    run.start("RRLR'4.4'\nR008[31]'%s''Your name:''abc'\nR008[32]'%s''Again:''xyz'\n"
              "R008[33]'%s''Once more:''q'\nR008[34]'%s''Enter:''typed'\nR008[35]'%s''Escape:''gone'\n"
              "R007'%s'[31]#'/'#[32]#'/'#[33]#'/'#[34]#'/'#[35]'OK'\nR009\n"
              % tuple(run.title(t) for t in ("Input1", "Input2", "Input3", "Input4", "Input5", "Result")))
    output = run.drive("wait", run.title("Input1"), "show", "selection", "Edit:0", "press", "1", "gone")
    window = parse_report(output)[0]
    check(control(window, 0, "Static")["text"] == "Your name:", "prompt %r" % window)
    check(control(window, 0, "Edit")["text"] == "abc", "default text %r" % window)
    check("selection start=3 end=3" in output, "the caret does not stand after the default: %r" % output)
    check([control(window, 1)["text"], control(window, 2)["text"]] == ["Ok", "Cancel"], "captions %r" % window)
    run.drive("wait", run.title("Input2"), "set-text", "Edit:0", "changed", "press", "2", "gone")
    run.drive("wait", run.title("Input3"), "close", "gone")
    run.drive("wait", run.title("Input4"), "key", "Edit:0", "13", "gone")
    run.drive("wait", run.title("Input5"), "key", "Edit:0", "27", "gone")
    stored = run.result()
    check(stored == "abc///typed/", "input answers %r" % stored)
    run.finish(0)


@gui_test
def editor_dialog(run):
    run.start("RRLR'4.4'\nR032[31]'%s''line one'#[24]#'line two'' readonly '\n"
              "R001[19]'400'\nR001[20]'300'\nR032[32]'%s''old''EDITABLE'\nR032[33]'%s''keep''0'\n"
              "R007'%s'[31]#'|'#[32]#'|'#[33]'OK'\nR009\n"
              % tuple(run.title(t) for t in ("Editor1", "Editor2", "Editor3", "Result")))
    metrics = dict(re.findall(r"(\w+)=(\d+)", run.drive("metrics")))
    cx, cy = int(metrics["screen_width"]), int(metrics["screen_height"])
    first = parse_report(run.drive("wait", run.title("Editor1"), "family", "KX4RTL", "press", "8", "gone"))
    editor = [w for w in first if w["title"] == run.title("Editor1")][0]
    input_window = [w for w in first if len(w["controls"]) == 4][0]
    allowance = number(input_window, "height") - 102
    edit = control(editor, 7)
    check(edit["text"] == "line one\r\nline two", "editor content %r" % edit["text"])
    check(int(edit["style"], 16) & 0x0800, "readonly mode leaves the editor editable")
    check_place(editor, int(cx / 2) - 175, int(cy / 2) - 119 + allowance, 350, 238, "editor window")
    second = parse_report(run.drive("wait", run.title("Editor2"), "show", "set-text", "7", "new\\r\\ntext",
                                    "press", "8", "gone"))[0]
    check(not int(control(second, 7)["style"], 16) & 0x0800, "EDITABLE mode leaves the editor read-only")
    check_place(second, int(cx / 2) - 200, int(cy / 2) - 150 + allowance, 400, 300, "resized editor")
    client_width, client_height = number(second, "client_width"), number(second, "client_height")
    check_place(control(second, 7), 0, 0, client_width, client_height - 35, "editor text after resizing")
    check_place(control(second, 9), client_width - 105, client_height - 28, 100, 25, "editor Cancel after resizing")
    run.drive("wait", run.title("Editor3"), "press", "9", "gone")
    stored = run.result()
    check(stored == "line one\nline two|new\ntext|", "editor answers %r" % stored)
    run.finish(0)


@gui_test
def list_dialog(run):
    long_item = "R001[40]'0123456789'\n" + "R001[40][40]#[40]\n" * 9  # 5120 characters
    run.start("RRLR'4.4'\n" + long_item +
              "R031[31]'%s''alpha|beta|gamma'\nR001[21]'200'\nR001[22]'220'\nR031[32]'%s''alpha|beta|gamma'\n"
              "R031[33]'%s'''\nR031[34]'%s''a||b|'\nR031[35]'%s''short|'#[40]\n"
              "RXIF[35]=[40]\nR001[35]'long item whole'\nRXEI\n"
              "R007'%s'[31]#'/'#[32]#'/'#[33]#'/'#[34]#'/'#[35]'OK'\nR009\n"
              % tuple(run.title(t) for t in ("List1", "List2", "List3", "List4", "List5", "Result")))
    metrics = dict(re.findall(r"(\w+)=(\d+)", run.drive("metrics")))
    cx, cy = int(metrics["screen_width"]), int(metrics["screen_height"])
    first = parse_report(run.drive("wait", run.title("List1"), "show", "press", "5", "gone"))[0]
    check(first["items"] == ["alpha", "beta", "gamma"] and first["selected"] == 0, "list %r" % first)
    second = parse_report(run.drive("wait", run.title("List2"), "show", "select", "4", "2", "press", "5", "gone"))[0]
    check(number(second, "width") == 200 and number(second, "height") == 220, "list size %r" % second)
    check(number(second, "x") == int(cx / 2) - 100, "list place %r" % second)
    client_width, client_height = number(second, "client_width"), number(second, "client_height")
    check_place(control(second, 4), 0, 0, client_width, client_height - 35, "list box after resizing")
    check_place(control(second, 5), 3, client_height - 28, client_width - 5, 25, "list OK after resizing")
    third = parse_report(run.drive("wait", run.title("List3"), "show", "close", "gone"))[0]
    check(third["items"] == [""], "an empty list text gives %r" % third["items"])
    fourth = parse_report(run.drive("wait", run.title("List4"), "show", "select", "4", "1", "press", "5", "gone"))[0]
    check(fourth["items"] == ["a", "", "b", ""], "pieces %r" % fourth["items"])
    run.drive("wait", run.title("List5"), "select", "4", "1", "press", "5", "gone")
    stored = run.result()
    check(stored == "alpha/gamma///long item whole", "list answers %r" % stored)
    run.finish(0)


# --- keystrokes to another program ----------------------------------------------------------------

@gui_test
def keystrokes_to_another_program(run):
    check(run.options.key_target and os.path.exists(run.options.key_target), "the key target program is missing")
    title = run.title("Key target")
    run.start_helper(run.options.key_target, title, "minimized")
    run.drive("wait", title)
    # A part of the title finds no window: nothing is typed, although the target has the focus then.
    # The results go to a file, not to a box: a box would take the focus from keys not yet taken.
    # No parentheses: the layout lookup of Wine finds no key for them on its virtual X server.
    run.start("RRLR'4.4'\nR033'%s''Hello, World! 42~t~r#270x#016[a_b=c;]~~+-*/.'\nR025'result.txt'[0]\n"
              "R033'%s''zzz'\nR025'result.txt'[0]\nR009\n" % (title, title[:-1]))
    run.finish(0)
    with open(os.path.join(run.work, "result.txt"), "rb") as f:
        stored = f.read()
    check(stored == b"0\r\n-1\r\n", "R033 reported %r, expected 0 for the whole title and -1 for a part of it" % stored)
    expected = "Hello, World! 42\t\r\nX[a_b=c;]~+-*/."
    for _ in range(50):
        target = parse_report(run.drive("wait", title, "show"))[0]
        typed = control(target, 100, "Edit")["text"]
        if typed == expected:
            break
        time.sleep(0.2)
    check(typed == expected, "the target's edit control holds %r, expected %r" % (typed, expected))
    check(not int(target["style"], 16) & 0x20000000, "the target window stayed minimised")
    run.drive("wait", title, "close")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--packer", required=True)
    parser.add_argument("--runtime", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--key-target", help="the Windows program that keystroke tests type into")
    parser.add_argument("--list", action="store_true", help="print the test names")
    parser.add_argument("test", nargs="?")
    options = parser.parse_args()
    if options.list:
        print("\n".join(TESTS))
        return 0
    run = Run(options, options.test)
    try:
        TESTS[options.test](run)
    except Failed as failure:
        print("FAIL:", options.test, "-", failure)
        return 1
    finally:
        run.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
