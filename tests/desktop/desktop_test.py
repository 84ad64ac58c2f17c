#!/usr/bin/python3
"""End-to-end run of the installed desktop program under a private X server.

Installs the build into a DESTDIR under a temporary folder, starts the
installed `calvane` with a fresh home folder on an Xvfb display of its own,
and drives it with xdotool through the typical road of a user: open two
crystals through the File menu and Qt's file dialog, load an observed pattern
and a peak list made by calvane-sim, zoom and unzoom, index a reflection by a
click, change a colour and save the colours, save, erase and reload the whole
workspace, export the plot, show the difference window and the global report,
and quit. Each step checks what it can see from outside (windows by title,
files written, pixels of the plot) and saves a screenshot of each window into
the shots folder. Steps whose feature is not in this source tree yet are
reported as PENDING. Xvfb and the program are always stopped at the end.

usage: desktop_test.py [--build BUILD] [--shots FOLDER] [--keep]
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from collections import Counter
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

# The main window's File menu: its items between separators, in order.
FILE_MENU_GROUPS = [5, 1, 4, 3, 1, 1]
FILE_OPEN_CRYSTAL, FILE_OPEN_PATTERN, FILE_OPEN_PEAKS, FILE_OPEN_CMP, FILE_SAVE_CMP = 0, 6, 8, 10, 12
CRYSTAL_ENTRIES, PATTERN_ENTRIES, PEAK_ENTRIES = 6, 6, 5



class StepFailed(Exception):
    pass


def source_has(pattern):
    """True when the app sources hold `pattern`: the feature is on this branch."""
    for path in (ROOT / "src" / "app").glob("*.cpp"):
        if pattern in path.read_text(errors="replace"):
            return True
    return False


class Desktop:
    """An Xvfb display with the installed program running on it."""

    def __init__(self, build, shots, work):
        self.build = build
        self.shots = shots
        self.work = work
        self.root = work / "root"
        self.prefix = self.root / "usr"
        self.home = work / "home"
        self.user_folder = self.home / ".local" / "share" / "calvane"
        self.inputs = work / "inputs"
        self.outputs = work / "outputs"
        self.xvfb = None
        self.program = None
        self.display = None
        self.shot_count = 0
        self.log = work / "calvane.log"

    # --- processes -------------------------------------------------------

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        deadline = time.monotonic() + 15
        number = b""
        with os.fdopen(read_end, "rb", buffering=0) as pipe:
            while time.monotonic() < deadline and not number.endswith(b"\n"):
                chunk = pipe.read(16)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            raise StepFailed("Xvfb gave no display number")
        self.display = ":" + number.decode().strip()

    def environment(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("XDG_", "QT_", "WAYLAND"))}
        env.update({"DISPLAY": self.display, "HOME": str(self.home), "QT_QPA_PLATFORM": "xcb",
                    "LC_ALL": "C.UTF-8", "LANG": "C.UTF-8"})
        return env

    def start_program(self, *arguments):
        self.home.mkdir(parents=True, exist_ok=True)
        with open(self.log, "ab") as log:
            self.program = subprocess.Popen([str(self.prefix / "bin" / "calvane"), *arguments], cwd=self.home,
                                            env=self.environment(), stdout=log, stderr=log,
                                            start_new_session=True)

    def stop(self):
        for process in (self.program, self.xvfb):
            if process is None or process.poll() is not None:
                continue
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait(timeout=5)

    def program_running(self):
        return self.program is not None and self.program.poll() is None

    # --- X ---------------------------------------------------------------

    def xdotool(self, *arguments, timeout=10):
        result = subprocess.run(["xdotool", *map(str, arguments)], env={"DISPLAY": self.display},
                                capture_output=True, text=True, timeout=timeout)
        return result.stdout

    def windows(self, title):
        out = self.xdotool("search", "--onlyvisible", "--name", title)
        return [int(w) for w in out.split()]

    def wait_window(self, title, timeout=15, what=None):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.program_running():
                raise StepFailed(f"the program ended while waiting for the window {what or title}")
            found = self.windows(title)
            if found:
                return found[-1]
            time.sleep(0.1)
        raise StepFailed(f"no window {what or title!r} within {timeout} s")

    def wait_gone(self, title, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.windows(title):
                return
            time.sleep(0.1)
        raise StepFailed(f"the window {title!r} is still open after {timeout} s")

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

    def geometry(self, window):
        values = dict(re.findall(r"(\w+)=(\d+)", self.xdotool("getwindowgeometry", "--shell", window)))
        return int(values["WIDTH"]), int(values["HEIGHT"])

    def move_mouse(self, window, x, y):
        self.xdotool("mousemove", "--window", window, x, y)
        time.sleep(0.05)

    def click(self, window, x, y, button=1):
        self.move_mouse(window, x, y)
        self.xdotool("click", button)
        time.sleep(0.2)

    def drag(self, window, start, end):
        self.move_mouse(window, *start)
        self.xdotool("mousedown", 1)
        for step in range(1, 9):
            self.move_mouse(window, start[0] + (end[0] - start[0]) * step // 8,
                            start[1] + (end[1] - start[1]) * step // 8)
        self.xdotool("mouseup", 1)
        time.sleep(0.3)

    def shot(self, name, window=None, keep=True):
        """Saves a screenshot of `window` (the whole screen when None) and
        returns it as an image; `keep` False only looks."""
        if keep:
            self.shot_count += 1
            path = self.shots / f"{self.shot_count:02d}-{name}.png"
        else:
            path = self.work / "look.png"
        target = str(window) if window is not None else "root"
        if window is not None:
            # Without a window manager a covered window has no pixels of its own.
            self.xdotool("windowraise", window)
            time.sleep(0.3)
        subprocess.run(["import", "-display", self.display, "-window", target, str(path)],
                       check=True, timeout=20, capture_output=True)
        return Image.open(path).convert("RGB")

    def wait_image(self, name, window, condition, failure, timeout=10):
        """Screenshots of `window` until `condition(image)` holds; the last is
        kept as the shot `name`. StepFailed(`failure`) after `timeout` seconds."""
        deadline = time.monotonic() + timeout
        while True:
            image = self.shot(name, window, keep=False)
            if condition(image) or time.monotonic() > deadline:
                break
            time.sleep(0.2)
        kept = self.shot(name, window)
        if not condition(image) and not condition(kept):
            raise StepFailed(failure)
        return kept

    def wait_file(self, path, timeout=10):
        deadline = time.monotonic() + timeout
        while not path.exists():
            if time.monotonic() > deadline:
                raise StepFailed(f"no file {path.name} in {path.parent} after {timeout} s")
            time.sleep(0.1)

    # --- the program's dialogs -------------------------------------------

    def main_window(self):
        return self.wait_window(MAIN_TITLE, what="main window")

    def plot_window(self, timeout=20):
        return self.wait_window(PLOT_TITLE, timeout=timeout, what="plot window")

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
        deadline = time.monotonic() + 5
        while self.windows(title) and time.monotonic() < deadline:
            # A completion list may have taken the first Return.
            time.sleep(0.3)
            if self.windows(title):
                self.keys("Return")
        self.wait_gone(title)

    def new_window(self, before, timeout=5, what="menu"):
        """The first visible window of the program that was not in `before`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            now = [int(w) for w in self.xdotool("search", "--onlyvisible", "--class", "calvane").split()]
            fresh = [w for w in now if w not in before]
            if fresh:
                time.sleep(0.2)  # let it paint
                return fresh[-1]
            time.sleep(0.05)
        raise StepFailed(f"no {what} opened within {timeout} s")

    def visible_windows(self):
        return [int(w) for w in self.xdotool("search", "--onlyvisible", "--class", "calvane").split()]

    def menu(self, window, key, groups, index, submenu=None):
        """Opens the menu of `window` with `key` (its mnemonic) and clicks its
        item `index` (0-based), counted in `groups`: the items between
        separators, as the menu is built. Items are located from the
        separators seen in the menu's image, so disabled items count and
        fonts do not matter. `submenu` = (item count, index) then clicks an
        item of the submenu that item opens."""
        self.focus(window)
        before = self.visible_windows()
        self.keys(key)
        popup = self.new_window(before, what=f"menu of {key}")
        centres = menu_item_centres(self.shot(f"menu-{key}", popup), groups)
        width, _ = self.geometry(popup)
        if submenu is None:
            self.click(popup, width // 3, centres[index])
            return
        before = self.visible_windows()
        self.click(popup, width // 3, centres[index])
        child = self.new_window(before, what="submenu")
        child_width, child_height = self.geometry(child)
        count, chosen = submenu
        self.click(child, child_width // 3, int(child_height * (chosen + 0.5) / count))

    def file_menu(self, index, submenu=None):
        self.menu(self.main_window(), "alt+f", FILE_MENU_GROUPS, index, submenu)


def menu_item_centres(image, groups):
    """Centres (pixel rows) of the items of a menu image whose items come in
    `groups` between separator lines."""
    width, height = image.size
    pixels = image.load()
    background = Counter(image.getdata()).most_common(1)[0][0]
    lines = []
    for y in range(3, height - 3):
        row = [pixels[x, y] for x in range(10, width - 10)]
        colour, count = Counter(row).most_common(1)[0]
        if (count >= 0.9 * len(row) and max(colour) - min(colour) < 12
                and sum(abs(a - b) for a, b in zip(colour, background)) > 20):
            if not lines or y - lines[-1] > 2:
                lines.append(y)
    if len(lines) != len(groups) - 1:
        raise StepFailed(f"the menu shows {len(lines)} separators, {len(groups) - 1} expected")
    bounds = [0, *lines, height]
    centres = []
    for group, count in enumerate(groups):
        top, bottom = bounds[group], bounds[group + 1]
        centres += [int(top + (bottom - top) * (i + 0.5) / count) for i in range(count)]
    return centres


# --- the steps -----------------------------------------------------------

def step_install(d):
    """cmake --install into a DESTDIR lays out bin/, share/calvane/, the menu entry and icon."""
    env = dict(os.environ, DESTDIR=str(d.root))
    result = subprocess.run(["cmake", "--install", str(d.build), "--prefix", "/usr"], env=env,
                            capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise StepFailed("cmake --install failed:\n" + result.stdout + result.stderr)
    expected = ["bin/calvane", "share/calvane/spgr2.dat", "share/calvane/Brcow.an",
                "share/applications/calvane.desktop", "share/icons/hicolor/scalable/apps/calvane.svg",
                "share/mime/packages/calvane.xml"]
    missing = [name for name in expected if not (d.prefix / name).exists()]
    if missing:
        raise StepFailed("not installed: " + ", ".join(missing))
    entry = (d.prefix / "share/applications/calvane.desktop").read_text()
    for line in ("Exec=calvane %F", "Icon=calvane", "Type=Application"):
        if line not in entry.splitlines():
            raise StepFailed(f"calvane.desktop lacks {line!r}")
    if shutil.which("desktop-file-validate"):
        check = subprocess.run(["desktop-file-validate", str(d.prefix / "share/applications/calvane.desktop")],
                               capture_output=True, text=True)
        if check.returncode != 0:
            raise StepFailed("desktop-file-validate: " + check.stdout + check.stderr)
    import xml.etree.ElementTree as ElementTree
    icon = ElementTree.parse(d.prefix / "share/icons/hicolor/scalable/apps/calvane.svg").getroot()
    if not icon.tag.endswith("svg"):
        raise StepFailed("the icon is not an SVG image")
    d.installed_files = sorted(p for p in d.root.rglob("*"))


def step_make_inputs(d):
    """calvane-sim writes an observed pattern and a peak list to load."""
    d.inputs.mkdir(parents=True, exist_ok=True)
    d.outputs.mkdir(parents=True, exist_ok=True)
    for name in ("nacl.cry", "rutile.cry"):
        shutil.copy(ROOT / "examples" / name, d.inputs / name)
    sim = d.build / "program" / "calvane-sim"
    result = subprocess.run([str(sim), str(d.inputs / "nacl.cry"), "--profile", str(d.inputs / "observed.cpi"),
                             "--peaks", str(d.inputs / "observed.dif"), "--overwrite"],
                            cwd=d.work, capture_output=True, text=True, timeout=60)
    if result.returncode != 0 or not (d.inputs / "observed.cpi").exists():
        raise StepFailed("calvane-sim could not write the inputs:\n" + result.stderr)


def step_start(d):
    """The installed program starts and makes the user's own program folder."""
    d.start_xvfb()
    d.start_program()
    main = d.main_window()
    d.shot("main-window", main)
    d.check_no_message("start")
    if not (d.user_folder / "spgr2.dat").exists():
        raise StepFailed(f"no data files copied into {d.user_folder}")


def step_open_crystal(d):
    """File › Open a crystal data file › Calvane format, typed into the file dialog; the plot appears."""
    d.file_menu(FILE_OPEN_CRYSTAL, submenu=(CRYSTAL_ENTRIES, 0))
    d.answer_file_dialog(OPEN_TITLE, d.inputs / "nacl.cry", "crystal")
    plot = d.plot_window()
    d.check_no_message("open-crystal")
    d.wait_file(d.user_folder / "phase1.out")
    d.plot_first = d.wait_image("plot-one-phase", plot, lambda image: phase_apex(image, (255, 124, 162)),
                                "phase 1 is not drawn")


def step_second_phase(d):
    """A second crystal becomes phase 2; its listing is written and the plot changes."""
    d.file_menu(FILE_OPEN_CRYSTAL, submenu=(CRYSTAL_ENTRIES, 0))
    d.answer_file_dialog(OPEN_TITLE, d.inputs / "rutile.cry", "second-crystal")
    d.check_no_message("second-phase")
    d.wait_file(d.user_folder / "phase2.out")
    d.plot_two = d.wait_image("plot-two-phases", d.plot_window(), lambda image: changed(d.plot_first, image),
                              "the plot did not change with the second phase")


def step_observed_pattern(d):
    """File › Open an observed diagram data file › CPI Format: the pattern is drawn."""
    d.file_menu(FILE_OPEN_PATTERN, submenu=(PATTERN_ENTRIES, 4))
    d.answer_file_dialog(OPEN_TITLE, d.inputs / "observed.cpi", "observed-pattern")
    d.check_no_message("observed-pattern")
    d.plot_observed = d.wait_image("plot-observed", d.plot_window(), lambda image: changed(d.plot_two, image),
                                   "the plot did not change with the observed pattern")


def step_observed_peaks(d):
    """File › Open an observed peaks file › Bruker format: the peaks are drawn."""
    d.file_menu(FILE_OPEN_PEAKS, submenu=(PEAK_ENTRIES, 0))
    d.answer_file_dialog(OPEN_TITLE, d.inputs / "observed.dif", "observed-peaks")
    d.check_no_message("observed-peaks")
    d.wait_image("plot-peaks", d.plot_window(), lambda image: changed(d.plot_observed, image),
                 "the plot did not change with the peak list")


def phase_apex(image, colour):
    """The pixel of `colour` highest in the image, the legends at the sides
    left out: the top of phase 1's tallest visible peak."""
    width, height = image.size
    pixels = image.load()
    for y in range(5, height - 40):
        for x in range(130, width - 140):
            r, g, b = pixels[x, y]
            if abs(r - colour[0]) < 12 and abs(g - colour[1]) < 12 and abs(b - colour[2]) < 12:
                return x, y
    return None


def changed(before, after, min_pixels=20):
    """True when at least `min_pixels` pixels differ (the mouse read-out alone changes a few)."""
    if before.size != after.size:
        return True
    difference = ImageChops.difference(before, after).convert("L").point(lambda v: 255 if v > 16 else 0)
    return sum(1 for v in difference.getdata() if v) >= min_pixels


def step_zoom_and_unzoom(d):
    """A box dragged with the left button zooms; the right button unzooms."""
    plot = d.plot_window()
    d.focus(plot)
    before = d.shot("before-zoom", plot)
    apex = phase_apex(before, (255, 124, 162))
    if apex is None:
        raise StepFailed("phase 1's colour is nowhere in the plot")
    width, height = before.size
    start = (max(20, apex[0] - 80), min(apex[1] + 15, height - 80))
    end = (min(width - 20, apex[0] + 120), min(height - 50, start[1] + 150))
    d.drag(plot, start, end)
    d.check_no_message("zoom")
    zoomed = d.wait_image("zoomed", plot, lambda image: changed(before, image, min_pixels=500),
                          "the plot did not change after the dragged box")
    d.click(plot, width // 2, height // 2, button=3)
    d.check_no_message("unzoom")
    d.wait_image("unzoomed", plot, lambda image: changed(zoomed, image, min_pixels=500),
                 "the right button did not unzoom")


def step_index_peak(d):
    """A plain click on a reflection of phase 1 labels it on the plot."""
    plot = d.plot_window()
    d.focus(plot)
    before = d.shot("before-index", plot)
    apex = phase_apex(before, (255, 124, 162))
    if apex is None:
        raise StepFailed("phase 1's colour is nowhere in the plot")
    d.click(plot, apex[0], apex[1] + 40)
    d.check_no_message("index")
    d.wait_image("indexed", plot, lambda image: changed(before, image, min_pixels=40),
                 "no label appeared after the click on the reflection")


def step_difference(d):
    """Plot window › &Difference opens the difference window."""
    plot = d.plot_window()
    d.focus(plot)
    # "&Drawing options" shares the letter D: a tap of Alt, then the fourth item of the menu bar.
    d.keys("alt", "Right", "Right", "Right", "Return")
    window = d.wait_window(r"^Difference", what="difference window")
    d.check_no_message("difference")
    d.shot("difference-window", window)


def style_tab_position(image):
    """The centre of the last page tab ("Style Options") of the main window:
    the tab bar is the band of rows whose content ends well left of the pages' frame."""
    width, _ = image.size
    pixels = image.load()
    background = pixels[width - 5, 60]
    candidates = []
    for y in range(30, 120):
        right = max((x for x in range(0, 600) if pixels[x, y] != background), default=0)
        candidates.append((y, right))
    # The pages' frame reaches farther right than the last tab, the source bar less far.
    tab_rows = [(y, right) for y, right in candidates if 330 < right < 560]
    if not tab_rows:
        raise StepFailed("the page tabs of the main window were not found")
    y = tab_rows[len(tab_rows) // 2][0]
    edge = max(right for _, right in tab_rows)
    return edge - 30, y


def find_colour(image, colour, tolerance=4):
    width, height = image.size
    pixels = image.load()
    for y in range(height):
        for x in range(width):
            if all(abs(a - b) <= tolerance for a, b in zip(pixels[x, y], colour)):
                return x, y
    return None


NEW_PHASE1_COLOUR = (26, 158, 60)


def step_colour(d):
    """Style Options shows the colours window; a new colour for phase 1 is applied and saved."""
    main = d.main_window()
    d.focus(main)
    d.click(main, *style_tab_position(d.shot("main-before-style-page", main)))
    colours = d.wait_window(COLOURS_TITLE, timeout=5, what="colours window (Style Options page)")
    image = d.shot("colours-window", colours)
    d.shot("before-colour", d.plot_window())
    box = find_colour(image, (255, 124, 162))
    if box is None:
        raise StepFailed("no box of phase 1's colour in the colours window")
    d.focus(colours)
    d.click(colours, box[0] + 3, box[1] + 3)
    dialog = d.wait_window(COLOUR_DIALOG_TITLE, what="colour dialog of phase 1")
    d.focus(dialog)
    d.keys("alt+h", "ctrl+a")  # the dialog's "HTML:" box
    d.type_text("#%02x%02x%02x" % NEW_PHASE1_COLOUR)
    d.shot("colour-dialog", dialog)
    d.keys("Return")
    d.wait_gone(COLOUR_DIALOG_TITLE)
    d.focus(colours)
    d.keys("Return")  # "Apply", the default button
    d.check_no_message("colour-apply")
    d.wait_image("after-colour", d.plot_window(),
                 lambda image: find_colour(image, NEW_PHASE1_COLOUR, tolerance=8) is not None,
                 "phase 1 is not drawn in its new colour after Apply")
    d.focus(colours)
    d.keys("ctrl+s")  # "Save "
    box = d.wait_window(MESSAGE_TITLE, what="message 'The Selection has been saved'")
    d.shot("colours-saved", box)
    d.focus(box)
    d.keys("Return")
    d.wait_gone(MESSAGE_TITLE)
    saved = d.user_folder / "couleurs.txt"
    if not saved.exists():
        raise StepFailed(f"no couleurs.txt in {d.user_folder}")
    lines = saved.read_text().splitlines()
    red, green, blue = NEW_PHASE1_COLOUR
    if len(lines) != 6 or int(lines[3].split()[0]) != red + 256 * green + 65536 * blue:
        raise StepFailed("couleurs.txt does not hold the new colour of phase 1:\n" + saved.read_text())
    d.focus(colours)
    d.keys("Escape")  # "Cancel"
    d.wait_gone(COLOURS_TITLE)


def step_save_and_reload(d):
    """Save the total data, erase everything, open the .cmp again: the plot comes back."""
    saved = d.outputs / "workspace.cmp"
    d.file_menu(FILE_SAVE_CMP)
    d.answer_file_dialog(SAVE_TITLE, saved, "save-cmp")
    d.check_no_message("save-cmp")
    if not saved.exists() or saved.stat().st_size == 0:
        raise StepFailed("no workspace.cmp written")
    sim = d.build / "program" / "calvane-sim"
    check = subprocess.run([str(sim), str(saved), "--report", str(d.outputs / "cmp-report.txt"), "--overwrite"],
                           cwd=d.work, capture_output=True, text=True, timeout=60)
    if check.returncode != 0:
        raise StepFailed("calvane-sim cannot read the saved workspace:\n" + check.stderr)
    main = d.main_window()
    d.focus(main)
    d.keys("alt+e", "g")  # Erase › General
    d.check_no_message("erase")
    erased = d.wait_image("plot-erased", d.plot_window(), lambda image: phase_apex(image, NEW_PHASE1_COLOUR) is None,
                          "the plot still shows phase 1 after Erase › General")
    d.file_menu(FILE_OPEN_CMP)
    d.answer_file_dialog(OPEN_TITLE, saved, "open-cmp")
    d.check_no_message("open-cmp")
    d.wait_image("plot-reloaded", d.plot_window(), lambda image: changed(erased, image, min_pixels=200),
                 "the plot stayed empty after opening the saved workspace")
    d.wait_file(d.user_folder / "phase2.out")


def step_export_png(d):
    """Plot window › Save image › PNG format writes the plot as a PNG image."""
    plot = d.plot_window()
    d.focus(plot)
    d.keys("alt+s", "p")
    target = d.outputs / "plot.png"
    d.answer_file_dialog(SAVE_TITLE, target, "export-png")
    d.check_no_message("export-png")
    if not target.exists():
        raise StepFailed("no plot.png written")
    with Image.open(target) as image:
        if image.format != "PNG" or image.size[0] < 400 or image.size[1] < 150:
            raise StepFailed(f"plot.png is a {image.format} image of {image.size}")


def step_export_metafile(d):
    """Plot window › Save image › EML format writes an enhanced metafile."""
    plot = d.plot_window()
    d.focus(plot)
    d.keys("alt+s", "e")
    dialog = d.wait_window(r"Creation of an EML image", what="metafile dialog")
    d.shot("metafile-dialog", dialog)
    d.focus(dialog)
    d.keys("Return")  # "Create"
    target = d.outputs / "plot.emf"
    d.answer_file_dialog(SAVE_TITLE, target, "export-metafile")
    box = d.wait_window(MESSAGE_TITLE, what="message that the metafile was created")
    d.shot("metafile-created", box)
    d.focus(box)
    d.keys("Return")
    d.wait_gone(MESSAGE_TITLE)
    if d.windows(r"Creation of an EML image"):
        d.focus(d.wait_window(r"Creation of an EML image"))
        d.keys("Escape")
        d.wait_gone(r"Creation of an EML image")
    if not target.exists():
        raise StepFailed("no plot.emf written")
    header = target.read_bytes()[:44]
    if len(header) < 44 or header[40:44] != b" EMF":
        raise StepFailed("plot.emf has no enhanced-metafile header")


def step_global_report(d):
    """Results › Global results writes report_cmp.txt and shows it."""
    main = d.main_window()
    d.focus(main)
    d.keys("alt+r", "g")
    viewer = d.wait_window(r"report_cmp", what="report viewer")
    d.check_no_message("report")
    d.shot("global-report", viewer)
    report = d.user_folder / "report_cmp.txt"
    if not report.exists() or "nacl" not in report.read_text(errors="replace").lower():
        raise StepFailed("report_cmp.txt is missing or does not name the phases")


def step_quit(d):
    """Quit ends the program, deletes the listings and leaves the installed tree as installed."""
    d.shot("screen-before-quit")
    main = d.main_window()
    d.focus(main)
    d.keys("alt+q")
    deadline = time.monotonic() + 10
    while d.program_running() and time.monotonic() < deadline:
        time.sleep(0.1)
    if d.program_running():
        raise StepFailed("the program did not end after Quit")
    if (d.user_folder / "phase1.out").exists():
        raise StepFailed("Quit left the listing phase1.out")
    now = sorted(p for p in d.root.rglob("*"))
    if now != d.installed_files:
        extra = sorted(set(now) - set(d.installed_files))
        raise StepFailed("the program wrote into the installed tree: " + ", ".join(map(str, extra)))


def step_restart(d):
    """A second start opens the crystal named on the command line and draws it in the saved colour."""
    d.start_program(str(d.inputs / "nacl.cry"))
    d.main_window()
    plot = d.plot_window()
    d.check_no_message("restart")
    d.wait_image("restart-with-saved-colours", plot,
                 lambda image: find_colour(image, NEW_PHASE1_COLOUR, tolerance=8) is not None,
                 "phase 1 is not drawn in the colour saved in couleurs.txt")
    step_quit(d)


# name, function, marker of the feature in the sources (None: always there)
STEPS = [
    ("install", step_install, None),
    ("make inputs", step_make_inputs, None),
    ("start", step_start, None),
    ("open crystal", step_open_crystal, None),
    ("second phase", step_second_phase, None),
    ("observed pattern", step_observed_pattern, None),
    ("observed peaks", step_observed_peaks, None),
    # The redraw after a zoom's recomputation comes with the plot window's menus.
    ("zoom and unzoom", step_zoom_and_unzoom, '"&Save image"'),
    ("index a peak", step_index_peak, None),
    ("difference window", step_difference, '"&Difference"'),
    ("colour", step_colour, None),
    ("save and reload .cmp", step_save_and_reload, None),
    ("export PNG", step_export_png, '"&PNG format"'),
    ("export metafile", step_export_metafile, '"&EML format"'),
    ("global report", step_global_report, None),
    ("quit", step_quit, None),
    ("restart with a file and the saved colours", step_restart, None),
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
    passed, pending, failed = [], [], None
    try:
        for name, function, marker in STEPS:
            if marker is not None and not source_has(marker):
                pending.append(name)
                print(f"PENDING  {name} (not in this source tree yet)", flush=True)
                continue
            started = time.monotonic()
            try:
                function(desktop)
            except Exception as problem:  # noqa: BLE001 - any fault ends the run with the step's name
                failed = (name, str(problem))
                try:
                    if desktop.display:
                        desktop.shot("failed-" + name.replace(" ", "-"))
                except Exception:
                    pass
                kind = "" if isinstance(problem, StepFailed) else type(problem).__name__ + ": "
                print(f"FAILED   {name}: {kind}{problem}", flush=True)
                break
            passed.append(name)
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
    skipped = len(STEPS) - len(passed) - len(pending) - (1 if failed else 0)
    print(f"desktop: {len(passed)} passed, {1 if failed else 0} failed, {len(pending) + skipped} skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
