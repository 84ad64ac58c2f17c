#!/usr/bin/python3
"""End-to-end run of the installed desktop program under a private X server.

Installs the build into a DESTDIR, starts the installed `calvane` with a fresh home on an Xvfb
display of its own and drives it with xdotool along one road through every window, checking
what it sees from outside (windows by title, files written, plot pixels) and saving screenshots.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from PIL import Image, ImageChops

ROOT = Path(__file__).resolve().parents[2]
TIME_LIMIT_S = 170  # the whole run, set-up and clean-up included

MAIN_TITLE = r"version of Calvane"
PLOT_TITLE = r"Diagrams|Diffraction diagram"
MESSAGE_TITLE = r"^Calvane$"  # the warning and question boxes
OPEN_TITLE = r"^Open|Open a|Ouvrir"
SAVE_TITLE = r"^Save|Save As"
COLOURS_TITLE = r"^Colours and styles"
COLOUR_DIALOG_TITLE = r"^Colour of phase 1"
GROUPS_TITLE = r"^Select a space group"
WAVELENGTHS_TITLE = r"^Multiple wavelengths"
XRAY_SOURCE_TITLE = r"^X ray source"
METAFILE_TITLE = r"Creation of an EMF image"
EXPORT_TITLE = r"^Export the plot"
EXPORT_SIZE = (800, 500)  # pixels asked of the export dialog

PHASE1_COLOUR = (255, 124, 162)
NEW_PHASE1_COLOUR = (26, 158, 60)


class StepFailed(Exception):
    pass


def expect(condition, failure):
    if not condition:
        raise StepFailed(failure)

class Desktop:
    """An Xvfb display with the installed program running on it."""

    def __init__(self, build, shots, work):
        self.build, self.shots, self.work = build, shots, work
        self.root = work / "root"
        self.prefix = self.root / "usr"
        self.home = work / "home"
        self.user_folder = self.home / ".local" / "share" / "calvane"
        self.inputs, self.outputs = work / "inputs", work / "outputs"
        self.xvfb = self.program = self.display = None
        self.shot_count = 0
        self.log = work / "calvane.log"

    # --- processes -------------------------------------------------------

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset"],  # no server reset between the two runs of the program
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:  # the number once ready; end of file if Xvfb failed
            number = pipe.readline().strip()
        expect(number, "Xvfb gave no display number")
        self.display = ":" + number

    def start_program(self, *arguments):
        self.home.mkdir(parents=True, exist_ok=True)
        env = {k: v for k, v in os.environ.items() if not k.startswith(("XDG_", "QT_", "WAYLAND"))}
        env.update(DISPLAY=self.display, HOME=str(self.home), QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8", LANG="C.UTF-8")
        with open(self.log, "ab") as log:
            self.program = subprocess.Popen([str(self.prefix / "bin" / "calvane"), *arguments], cwd=self.home,
                                            env=env, stdout=log, stderr=log, start_new_session=True)

    def stop(self):
        for process in (p for p in (self.program, self.xvfb) if p is not None and p.poll() is None):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()

    def program_running(self):
        return self.program is not None and self.program.poll() is None

    # --- X ---------------------------------------------------------------

    def xdotool(self, *arguments, timeout=10):
        return subprocess.run(["xdotool", *map(str, arguments)], env={"DISPLAY": self.display},
                              capture_output=True, text=True, timeout=timeout).stdout

    def windows(self, title):
        return [int(w) for w in self.xdotool("search", "--onlyvisible", "--name", title).split()]

    def wait_until(self, condition, timeout, failure):
        """The first true value of `condition()` within `timeout` seconds; StepFailed(`failure`) otherwise."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = condition()
            if found:
                return found
            time.sleep(0.1)
        raise StepFailed(failure)

    def wait_window(self, title, timeout=15, what=None):
        def found():
            expect(self.program_running(), f"the program ended while waiting for the window {what or title}")
            return self.windows(title)
        return self.wait_until(found, timeout, f"no window {what or title!r} within {timeout} s")[-1]

    def wait_gone(self, title, timeout=10):
        self.wait_until(lambda: not self.windows(title), timeout, f"the window {title!r} is open after {timeout} s")

    def focus(self, window):
        self.xdotool("windowraise", window)
        self.xdotool("windowfocus", "--sync", window)
        time.sleep(0.15)

    def keys(self, *names, delay=0.12):
        for name in names:
            self.xdotool("key", "--clearmodifiers", name)
            time.sleep(delay)

    def type_text(self, text):
        self.xdotool("type", "--delay", "15", text)

    def shot(self, name, window=None, keep=True):
        """A screenshot of `window` (the screen when None), saved as shot `name` when `keep`."""
        self.shot_count += keep
        path = self.shots / f"{self.shot_count:02d}-{name}.png" if keep else self.work / "look.png"
        target = str(window) if window is not None else "root"
        if window is not None:
            # Without a window manager a covered window has no pixels of its own.
            self.xdotool("windowraise", window)
            time.sleep(0.3)
        subprocess.run(["import", "-display", self.display, "-window", target, str(path)],
                       check=True, timeout=20, capture_output=True)
        return Image.open(path).convert("RGB")

    def wait_image(self, name, window, condition, failure, timeout=10):
        """Screenshots of `window` until `condition(image)` holds, kept as the shot `name`."""
        self.wait_until(lambda: condition(self.shot(name, window, keep=False)), timeout, failure)
        return self.shot(name, window)

    def wait_file(self, path, timeout=10):
        self.wait_until(path.exists, timeout, f"no file {path.name} in {path.parent} after {timeout} s")

    # --- the program's dialogs -------------------------------------------

    def main_window(self):
        return self.wait_window(MAIN_TITLE, what="main window")

    def plot_window(self, timeout=20):
        return self.wait_window(PLOT_TITLE, timeout=timeout, what="plot window")

    def dismiss(self, title, what, key="Return"):
        self.focus(self.wait_window(title, what=what))
        self.keys(key)
        self.wait_gone(title)

    def check_no_message(self, step):
        boxes = self.windows(MESSAGE_TITLE)
        if boxes:
            self.shot(f"{step}-unexpected-message", boxes[-1])
            raise StepFailed("an unexpected message box is open (see its screenshot)")

    def answer_file_dialog(self, title, path, name):
        dialog = self.wait_window(title, what=f"file dialog of {name}")
        self.focus(dialog)
        self.shot(f"{name}-file-dialog", dialog)
        self.keys("ctrl+a")
        self.type_text(str(path))
        time.sleep(0.3)
        self.keys("Return")
        time.sleep(0.3)  # a completion list may take the first Return: Return again until the dialog is gone
        self.wait_until(lambda: not self.windows(title) or self.keys("Return", delay=0.3), 8,
                        f"the file dialog of {name} is still open")

# --- what the plot shows ---------------------------------------------------

def find_colour(image, colour, tolerance=8, margins=(0, 0, 0, 0)):
    """The first pixel of `colour` in reading order, `margins` (left, top, right, bottom) left out."""
    width, height = image.size
    pixels = image.load()
    left, top, right, bottom = margins
    for y in range(top, height - bottom):
        for x in range(left, width - right):
            if all(abs(a - b) <= tolerance for a, b in zip(pixels[x, y], colour)):
                return x, y
    return None


def changed(before, after, min_pixels=20):
    """True when at least `min_pixels` pixels differ (the mouse read-out alone changes a few)."""
    if before.size != after.size:
        return True
    difference = ImageChops.difference(before, after).convert("L").point(lambda v: 255 if v > 16 else 0)
    return sum(1 for v in difference.getdata() if v) >= min_pixels


def plot_changes(d, name, before, failure):
    return d.wait_image(name, d.plot_window(), lambda image: changed(before, image), failure)


# --- the steps -----------------------------------------------------------

def step_install(d):
    """cmake --install into a DESTDIR lays out bin/, share/calvane/, the menu entry and icon."""
    env = dict(os.environ, DESTDIR=str(d.root))
    result = subprocess.run(["cmake", "--install", str(d.build), "--prefix", "/usr"], env=env,
                            capture_output=True, text=True, timeout=60)
    expect(result.returncode == 0, "cmake --install failed:\n" + result.stdout + result.stderr)
    expected = ["bin/calvane", "share/calvane/spgr2.dat", "share/calvane/Brcow.an",
                "share/applications/calvane.desktop", "share/icons/hicolor/scalable/apps/calvane.svg",
                "share/mime/packages/calvane.xml"]
    missing = [name for name in expected if not (d.prefix / name).exists()]
    expect(not missing, "not installed: " + ", ".join(missing))
    entry = (d.prefix / "share/applications/calvane.desktop").read_text().splitlines()
    expect({"Exec=calvane %F", "Icon=calvane", "Type=Application"} <= set(entry), "calvane.desktop lacks a key")
    if shutil.which("desktop-file-validate"):
        check = subprocess.run(["desktop-file-validate", str(d.prefix / "share/applications/calvane.desktop")],
                               capture_output=True, text=True)
        expect(check.returncode == 0, "desktop-file-validate: " + check.stdout + check.stderr)
    d.installed_files = sorted(p for p in d.root.rglob("*"))


def step_start(d):
    """calvane-sim writes the observed pattern; the installed program starts and makes the user's folder."""
    d.inputs.mkdir(parents=True, exist_ok=True)
    d.outputs.mkdir(parents=True, exist_ok=True)
    shutil.copy(ROOT / "examples" / "nacl.cry", d.inputs / "nacl.cry")
    sim = d.build / "program" / "calvane-sim"
    result = subprocess.run([str(sim), str(d.inputs / "nacl.cry"), "--profile", str(d.inputs / "observed.cpi"),
                             "--overwrite"], cwd=d.work, capture_output=True, text=True, timeout=60)
    expect(result.returncode == 0 and (d.inputs / "observed.cpi").exists(),
           "calvane-sim could not write the observed pattern:\n" + result.stderr)
    d.start_xvfb()
    d.start_program()
    d.shot("main-window", d.main_window())
    expect((d.user_folder / "spgr2.dat").exists(), f"no data files copied into {d.user_folder}")


def main_keys(d, *keys):
    """Presses `keys` in the main window: every command of the road has a key there."""
    main = d.main_window()
    d.focus(main)
    d.keys(*keys)
    return main


def step_open_crystal(d):
    """Ctrl+O (Open crystal structure...), the file typed into the file dialog: the plot appears."""
    main_keys(d, "ctrl+o")
    d.answer_file_dialog(OPEN_TITLE, d.inputs / "nacl.cry", "crystal")
    plot = d.plot_window()
    d.wait_file(d.user_folder / "phase1.out")
    # The legends at the sides are left out: the peak itself must be drawn.
    d.wait_image("plot-one-phase", plot, lambda image: find_colour(image, PHASE1_COLOUR, 11, (130, 5, 140, 40)),
                 "phase 1 is not drawn")


def step_space_group(d):
    """Crystal Data, Select the space group, its first standard symbol, OK, Apply: the plot changes."""
    before = d.shot("before-space-group", d.plot_window())
    main_keys(d, "ctrl+2")
    d.keys("ctrl+g")  # "Select the space group"
    groups = d.wait_window(GROUPS_TITLE, what="space-group window")
    d.focus(groups)
    d.keys("Down", "Home")  # the standard symbols have the focus: select the first
    d.shot("space-group-window", groups)
    d.keys("Return")  # OK, the default button
    d.wait_gone(GROUPS_TITLE)
    main_keys(d, "ctrl+Return")  # Apply
    plot_changes(d, "plot-new-group", before, "the plot did not change with the new space group")


def step_multiple_wavelengths(d):
    """Line list › Multiple W.L., CuKα1 and CuKα2 (100 and 50) typed, OK, Apply: the plot changes."""
    before = d.shot("before-wavelengths", d.plot_window())
    main_keys(d, "ctrl+l", "Home")  # the line list, its first item "Multiple W.L."
    dialog = d.wait_window(WAVELENGTHS_TITLE, what="multiple-wavelength dialog")
    d.focus(dialog)
    for text in ("1.54056", "100", "1.54439", "50"):  # λ and intensity of rows 1 and 2, in tab order
        d.keys("ctrl+a")
        d.type_text(text)
        d.keys("Tab")
    d.shot("wavelength-dialog", dialog)
    d.keys("Return")  # OK, the default button
    d.wait_gone(WAVELENGTHS_TITLE)
    main_keys(d, "ctrl+Return")  # Apply
    plot_changes(d, "plot-two-wavelengths", before, "the plot did not change with the second wavelength")


def step_neutrons_and_back(d):
    """Neutrons recomputes for neutrons; X rays and the tube in the X-ray source dialog come back."""
    before = d.shot("before-neutrons", d.plot_window())
    main_keys(d, "ctrl+shift+n")
    neutron_plot = plot_changes(d, "plot-neutrons", before, "the plot did not change for neutrons")
    main_keys(d, "ctrl+shift+x")
    dialog = d.wait_window(XRAY_SOURCE_TITLE, what="X-ray source dialog")
    d.focus(dialog)
    d.keys("space")  # "X Rays tube (p=0.5)", the first item, has the focus
    d.keys("Return")  # OK
    d.wait_gone(XRAY_SOURCE_TITLE)
    plot_changes(d, "plot-xrays-again", neutron_plot, "the plot did not change back for X rays")


def step_observed_pattern(d):
    """Ctrl+M (Open measured pattern...), a CPI file: the pattern is drawn."""
    before = d.shot("before-observed", d.plot_window())
    main_keys(d, "ctrl+m")
    d.answer_file_dialog(OPEN_TITLE, d.inputs / "observed.cpi", "observed-pattern")
    plot_changes(d, "plot-observed", before, "the plot did not change with the observed pattern")


def step_difference(d):
    """Plot window › &Difference opens the difference window."""
    d.focus(d.plot_window())
    # "&Drawing options" shares the letter D: a tap of Alt, then the fourth item of the menu bar.
    d.keys("alt", "Right", "Right", "Right", "Return")
    d.wait_window(r"^Difference", what="difference window")


def step_colour(d):
    """Style Options shows the colours window; a new colour for phase 1 is applied and saved."""
    main_keys(d, "ctrl+4")
    colours = d.wait_window(COLOURS_TITLE, timeout=5, what="colours window (Style Options page)")
    d.shot("colours-window", colours)
    d.focus(colours)
    d.keys("space")  # phase 1's colour box has the focus
    dialog = d.wait_window(COLOUR_DIALOG_TITLE, what="colour dialog of phase 1")
    d.focus(dialog)
    d.keys("alt+h", "ctrl+a")  # the dialog's "HTML:" box
    d.type_text("#%02x%02x%02x" % NEW_PHASE1_COLOUR)
    d.keys("Return")
    d.wait_gone(COLOUR_DIALOG_TITLE)
    d.focus(colours)
    d.keys("ctrl+Return")  # "Apply"
    d.wait_image("after-colour", d.plot_window(),
                 lambda image: find_colour(image, NEW_PHASE1_COLOUR),
                 "phase 1 is not drawn in its new colour after Apply")
    d.focus(colours)
    d.keys("ctrl+s")  # "Save "
    d.dismiss(MESSAGE_TITLE, "message 'The Selection has been saved'")
    d.wait_file(d.user_folder / "couleurs.txt")
    d.focus(colours)
    d.keys("Escape")  # "Cancel"
    d.wait_gone(COLOURS_TITLE)


def step_export_metafile(d):
    """Plot window › Save image › EMF format: the metafile dialog writes an enhanced metafile."""
    d.focus(d.plot_window())
    d.keys("alt+s", "e")
    dialog = d.wait_window(METAFILE_TITLE, what="metafile dialog")
    d.shot("metafile-dialog", dialog)
    d.focus(dialog)
    d.keys("Return")  # "Create"
    target = d.outputs / "plot.emf"
    d.answer_file_dialog(SAVE_TITLE, target, "export-metafile")
    d.dismiss(MESSAGE_TITLE, "message that the metafile was created")
    if d.windows(METAFILE_TITLE):
        d.dismiss(METAFILE_TITLE, "metafile dialog", "Escape")
    expect(target.read_bytes()[40:44] == b" EMF", "plot.emf has no enhanced-metafile header")


def step_export_picture(d):
    """Save image › Export picture... (Ctrl+E) at 800 × 500 pixels on white: the PNG has that size and white edges."""
    d.focus(d.plot_window())
    d.keys("ctrl+e")
    dialog = d.wait_window(EXPORT_TITLE, what="export dialog")
    d.focus(dialog)
    d.keys("p")  # "Size in": pixels
    for value in EXPORT_SIZE:  # Width, then Height
        d.keys("Tab", "ctrl+a")
        d.type_text(str(value))
    d.shot("export-dialog", dialog)
    d.keys("Return")  # "Export..."
    target = d.outputs / "figure.png"
    d.answer_file_dialog(SAVE_TITLE, target, "export-picture")
    d.wait_file(target)
    d.wait_gone(EXPORT_TITLE)
    picture = Image.open(target).convert("RGB")
    expect(picture.size == EXPORT_SIZE, f"figure.png is {picture.size}, not {EXPORT_SIZE}")
    width, height = picture.size
    corners = [picture.getpixel((x, y)) for x in (1, width - 2) for y in (1, height - 2)]
    expect(all(pixel == (255, 255, 255) for pixel in corners), f"figure.png is not white at its corners: {corners}")
    shutil.copy(target, d.shots / f"{d.shot_count + 1:02d}-exported-figure.png")
    d.shot_count += 1


def step_global_report(d):
    """Results › Global results writes report_cmp.txt and shows it."""
    main_keys(d, "alt+r", "g")
    d.wait_window(r"report_cmp", what="report viewer")
    expect((d.user_folder / "report_cmp.txt").exists(), "report_cmp.txt is missing")


def step_quit(d, save_to=None):
    """Quit ends the program, deletes the listings and leaves the installed tree as installed.
    With `save_to`, the workspace changed since it was opened: Quit asks to save it first,
    and the default button, Save, saves it there through the save dialog."""
    main_keys(d, "alt+q")
    if save_to is not None:
        d.dismiss(MESSAGE_TITLE, "question 'Save the workspace before closing?'")  # Save, the default
        d.answer_file_dialog(SAVE_TITLE, save_to, "quit-save")
    d.wait_until(lambda: not d.program_running(), 10, "the program did not end after Quit")
    expect(save_to is None or save_to.exists(), f"Quit did not save the changed workspace in {save_to}")
    expect(not (d.user_folder / "phase1.out").exists(), "Quit left the listing phase1.out")
    extra = sorted(set(d.root.rglob("*")) - set(d.installed_files))
    expect(not extra, "the program wrote into the installed tree: " + ", ".join(map(str, extra)))
    unasked = sorted(p.name for p in d.outputs.iterdir() if p.name not in (
        "workspace.cmp", "plot.emf", "figure.png", "restart.cmp"))
    expect(not unasked, "the working folder holds files the user did not save: " + ", ".join(unasked))


def step_restart(d):
    """A second start opens the crystal named on the command line and draws it in the saved colour."""
    d.start_program(str(d.inputs / "nacl.cry"))
    d.main_window()
    # What the first run left: the files it opened among the recent files, and the folder of its save dialog.
    settings = (d.home / ".config" / "calvane" / "calvane.ini").read_text()
    expect("observed.cpi" in settings, "the opened pattern is not among the recent files")
    expect(str(d.outputs) in settings, "the save dialog's folder was not remembered")
    d.wait_image("restart-with-saved-colours", d.plot_window(),
                 lambda image: find_colour(image, NEW_PHASE1_COLOUR),
                 "phase 1 is not drawn in the colour saved in couleurs.txt")
    step_quit(d, save_to=d.outputs / "restart.cmp")


STEPS = [
    ("install", step_install),
    ("start", step_start),
    ("open crystal", step_open_crystal),
    ("space group of the current phase", step_space_group),
    ("multiple wavelengths", step_multiple_wavelengths),
    ("neutrons and back to X rays", step_neutrons_and_back),
    ("observed pattern", step_observed_pattern),
    ("difference window", step_difference),
    ("colour", step_colour),
    ("export metafile", step_export_metafile),
    ("export a picture", step_export_picture),
    ("global report", step_global_report),
    # The workspace was never saved: Quit asks to save it.
    ("quit", lambda d: step_quit(d, save_to=d.outputs / "workspace.cmp")),
    ("restart with a file and the saved colours", step_restart),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=str(ROOT / "build"))
    parser.add_argument("--shots", default=None)
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    arguments = parser.parse_args()
    build = Path(arguments.build).resolve()
    shots = Path(arguments.shots or build / "desktop-shots").resolve()
    shutil.rmtree(shots, ignore_errors=True)
    shots.mkdir(parents=True)
    work = Path(tempfile.mkdtemp(prefix="calvane-desktop-"))
    desktop = Desktop(build, shots, work)

    def out_of_time(signum, frame):
        raise StepFailed(f"the whole run took longer than {TIME_LIMIT_S} s")

    signal.signal(signal.SIGALRM, out_of_time)
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(1))
    signal.alarm(TIME_LIMIT_S)
    passed, failed = 0, False
    try:
        for name, function in STEPS:
            started = time.monotonic()
            try:
                function(desktop)
                if desktop.program_running():
                    desktop.check_no_message(name.replace(" ", "-"))
            except Exception as problem:  # noqa: BLE001 - any fault ends the run with the step's name
                failed = True
                if desktop.display and desktop.xvfb.poll() is None:
                    desktop.shot("failed-" + name.replace(" ", "-"))
                kind = "" if isinstance(problem, StepFailed) else type(problem).__name__ + ": "
                print(f"FAILED   {name}: {kind}{problem}", flush=True)
                break
            passed += 1
            print(f"ok       {name} ({time.monotonic() - started:.1f} s)", flush=True)
    finally:
        signal.alarm(0)
        desktop.stop()
        if failed and desktop.log.exists():
            print("--- program output ---\n" + desktop.log.read_text(errors="replace")[-3000:])
        if arguments.keep:
            print(f"temporary folder kept: {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)
    print(f"screenshots in {shots}")
    print(f"desktop: {passed} passed, {int(failed)} failed, {len(STEPS) - passed - failed} skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
