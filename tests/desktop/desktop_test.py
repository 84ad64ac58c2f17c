#!/usr/bin/python3
"""End-to-end run of the installed desktop program under a private X server.

Installs the build into a DESTDIR under a temporary folder, starts the
installed `calvane` with a fresh home folder on an Xvfb display of its own,
and drives it with xdotool through the typical road of a user: open two
crystals through the File menu and Qt's file dialog, give the current phase
another space group in the space-group window, type a third phase by keyboard
capture and save it as a .cry file, set a spectrum of two wavelengths, switch
to neutrons and back to X rays, load an observed pattern
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
GROUPS_TITLE = r"^Select a space group"
WAVELENGTHS_TITLE = r"^Multiple wavelengths"
XRAY_SOURCE_TITLE = r"^X ray source"

# The main window's File menu: its items between separators, in order.
FILE_MENU_GROUPS = [6, 1, 6, 3, 1, 1]
FILE_OPEN_CRYSTAL, FILE_OPEN_PATTERN, FILE_OPEN_PEAKS, FILE_OPEN_CMP, FILE_SAVE_CMP = 1, 8, 11, 13, 15
FILE_KEYBOARD_CAPTURE = 6
# The main window's pages, in tab order.
EXPERIMENT_PAGE, CRYSTAL_PAGE, STYLE_PAGE = 0, 1, 3
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


# --- widgets found in screenshots ----------------------------------------
#
# Qt draws its widgets itself: X knows only the top-level windows. Buttons,
# combo boxes, edit fields and lists are found in screenshots by the style's
# drawing: a frame of the border grey (the focus blue on the focused widget)
# around a plain fill (an edit field) or a light top-to-bottom gradient (a
# button or a closed combo box).

FRAME_GREY = (171, 171, 171)
FOCUS_BLUE = (38, 112, 158)
FRAME_COLOURS = (FRAME_GREY, FOCUS_BLUE)
WHITE = (255, 255, 255)


def find_boxes(image, top=0):
    """Buttons and edit fields below the row `top`, in reading order: dicts
    with x, y, w, h (the frame), kind ("button" or "edit") and fill."""
    width, height = image.size
    pixels = image.load()
    boxes, seen = [], set()
    for y in range(top, height - 16):
        x = 0
        while x < width:
            if pixels[x, y] not in FRAME_COLOURS:
                x += 1
                continue
            start = x
            while x < width and pixels[x, y] in FRAME_COLOURS:
                x += 1
            if x - start < 10 or y + 5 >= height:
                continue
            # The frame's sides stand just outside the ends of its top line (rounded corners).
            left = next((c for c in range(start - 1, max(start - 5, -1), -1) if pixels[c, y + 5] in FRAME_COLOURS), None)
            right = next((c for c in range(x, min(x + 5, width)) if pixels[c, y + 5] in FRAME_COLOURS), None)
            if left is None or right is None or (left, y) in seen:
                continue
            depth = next((h for h in range(14, 42) if y + h < height and pixels[left + 4, y + h] in FRAME_COLOURS), None)
            if depth is None:
                continue
            seen.add((left, y))
            # Inside the right end: no text there in a button or a short entry.
            upper, lower = pixels[right - 5, y + 4], pixels[right - 5, y + depth - 4]
            if upper == lower:
                kind = "edit"
            elif sum(upper) > sum(lower) + 12 and min(upper) > 200:
                kind = "button"
            else:
                continue
            boxes.append({"x": left, "y": y, "w": right - left + 1, "h": depth + 1, "kind": kind,
                          "fill": pixels[right - 5, y + depth // 2]})
    return sorted(boxes, key=lambda box: (box["y"], box["x"]))


def buttons_of(image, top=0):
    return [box for box in find_boxes(image, top) if box["kind"] == "button"]


def white_edits_of(image, top=0):
    return [box for box in find_boxes(image, top) if box["kind"] == "edit" and box["fill"] == WHITE]


def centre(box):
    return box["x"] + box["w"] // 2, box["y"] + box["h"] // 2


def same_row(boxes, first):
    return sorted((box for box in boxes if abs(box["y"] - first["y"]) <= 4), key=lambda box: box["x"])


def pages_frame(image, right_limit=700):
    """The row of the top line of the main window's pages: the first long line of the border grey."""
    pixels = image.load()
    for y in range(30, min(200, image.size[1])):
        if sum(1 for x in range(right_limit) if pixels[x, y] == FRAME_GREY) > 300:
            return y
    raise StepFailed("the pages of the main window were not found")


def selected_tab(image, right_limit=700):
    """Left and right edges of the selected page tab and the pages' top row:
    the tab's two sides are the only border-grey pixels of the rows above the pages."""
    frame = pages_frame(image, right_limit)
    pixels = image.load()
    sides = Counter()
    for y in range(frame - 25, frame):
        found = [x for x in range(right_limit) if pixels[x, y] == FRAME_GREY]
        if len(found) == 2 and found[1] - found[0] > 50:
            sides[tuple(found)] += 1
    if not sides:
        raise StepFailed("the selected page tab of the main window was not found")
    left, right = sides.most_common(1)[0][0]
    return left, right, frame


def show_page(d, index):
    """Shows the main window's page `index` by clicking its tab: first the
    tabs to the left of the selected one until the first page shows, then
    `index` tabs to the right. Returns the main window and its image."""
    main = d.main_window()
    d.focus(main)
    image = d.shot("", main, keep=False)
    left, right, frame = selected_tab(image)
    for _ in range(4):
        if left <= 8:
            break
        d.click(main, left - 15, frame - 10)
        image = d.shot("", main, keep=False)
        left, right, frame = selected_tab(image)
    if left > 8:
        raise StepFailed("the first page of the main window could not be shown")
    for _ in range(index):
        d.click(main, right + 15, frame - 10)
        image = d.shot("", main, keep=False)
        moved = selected_tab(image)
        if moved[0] != right:
            raise StepFailed(f"a click on the page tab {index} did not show it")
        left, right, frame = moved
    return main, image


def list_spans(image, gap=6):
    """Column spans of the lists and tables of a window: columns mostly white in its middle half."""
    width, height = image.size
    pixels = image.load()
    rows = range(height // 4, 3 * height // 4)
    spans = []
    for x in range(width):
        if sum(1 for y in rows if pixels[x, y] == WHITE) >= 0.6 * len(rows):
            if spans and x - spans[-1][1] <= gap:
                spans[-1][1] = x
            else:
                spans.append([x, x])
    return [span for span in spans if span[1] - span[0] > 40]


def list_frame_top(image, left, right):
    """The row of the top frame line of the list between columns `left` and `right`."""
    pixels = image.load()
    for y in range(image.size[1] // 2):
        colours = [pixels[x, y] for x in range(left + 2, right - 1)]
        first = colours[0]
        if sum(first) < 600 and max(first) - min(first) < 12 and colours.count(first) >= 0.9 * len(colours):
            return y
    raise StepFailed("the top of a list was not found")


def has_colour(image, colour):
    return any(found == colour for _, found in image.getcolors(1 << 22))


def listings(d):
    """The short listings phase<N>.out of the program folder, by name."""
    return {path.name: path.read_text(errors="replace") for path in sorted(d.user_folder.glob("phase?.out"))}


def wait_listings(d, condition, failure, timeout=15):
    """Re-reads the short listings until `condition(listings)` holds (they are
    rewritten in place, so a read may see a half-written file)."""
    deadline = time.monotonic() + timeout
    while True:
        texts = listings(d)
        if condition(texts):
            return texts
        if time.monotonic() > deadline:
            raise StepFailed(failure)
        time.sleep(0.2)


# The standard-symbol file of each crystal system (file names are compared without regard to case).
POS_FILES = {"CUBI": "c.pos", "TETR": "q.pos", "ORTH": "o.pos", "HEXA": "h.pos", "RHOM": "r.pos",
             "MONO": "m.pos", "TRIC": "t.pos"}


def first_standard_symbol(d, system):
    """The first symbol of the system's standard list: the line after the first blank line of its .pos file."""
    name = POS_FILES[system]
    path = next((p for p in d.user_folder.iterdir() if p.name.lower() == name), None)
    if path is None:
        raise StepFailed(f"no {name} in {d.user_folder}")
    lines = path.read_text(errors="replace").splitlines()
    for number, line in enumerate(lines[:-1]):
        if not line.strip():
            return lines[number + 1].strip()
    raise StepFailed(f"no symbol in {path.name}")


def choose_first_standard_group(d, name):
    """In the open space-group window, clicks the first standard symbol and leaves with OK (Return)."""
    groups = d.wait_window(GROUPS_TITLE, what="space-group window")
    d.focus(groups)
    image = d.shot(f"{name}-space-group-window", groups)
    spans = list_spans(image)
    if len(spans) != 3:
        raise StepFailed(f"the space-group window shows {len(spans)} lists, 3 expected")
    left, right = spans[1]  # the catalogue, the standard symbols, the positions
    d.click(groups, left + 15, list_frame_top(image, left, right) + 6)
    d.shot(f"{name}-space-group-chosen", groups)
    d.focus(groups)
    d.keys("Return")  # OK, the default button
    d.wait_gone(GROUPS_TITLE)
    d.check_no_message(name)


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


def step_space_group(d):
    """Crystal Data › Select the space group: the first standard symbol of
    the current phase's system, OK, Apply: the phase is computed in it."""
    main, page = show_page(d, CRYSTAL_PAGE)
    d.check_no_message("crystal-page")
    frame = pages_frame(page)
    buttons = buttons_of(page, frame)
    if not buttons:
        raise StepFailed("no button on the Crystal Data page")
    plot_before = d.shot("before-space-group", d.plot_window())
    before = listings(d)
    d.shot("crystal-page", main)
    d.click(main, *centre(max(buttons, key=lambda box: box["w"])))  # "Select the space group", the widest
    choose_first_standard_group(d, "phase")
    d.focus(main)
    page = d.shot("crystal-page-new-group", main)
    d.click(main, *centre(buttons_of(page, frame)[0]))  # "Apply" of the bar above the page
    d.check_no_message("space-group-apply")

    def regrouped(texts):
        for name, text in texts.items():
            group = re.search(r"^Sp\.Group: *(.*?) *$", text, re.M)
            system = re.search(r"^System *: *(\w+)", text, re.M)
            if (text != before.get(name) and group and system and system.group(1) in POS_FILES
                    and group.group(1) == first_standard_symbol(d, system.group(1))
                    and "Results for lambda=" in text):
                return True
        return False

    wait_listings(d, regrouped, "no listing shows the phase computed in the first standard group of its system")
    d.wait_image("plot-new-group", d.plot_window(), lambda image: changed(plot_before, image),
                 "the plot did not change with the new space group")


CAPTURE_YELLOW = (255, 248, 220)  # the background of the keyboard-capture panel
CAPTURED_ATOMS = [("Sr", 0, 0, 0, 0.5), ("Ti", 0.5, 0.5, 0.5, 0.4), ("O", 0.5, 0.5, 0, 0.6)]


def step_keyboard_capture(d):
    """File › Keyboard capture: a cubic SrTiO3 typed on the Crystal Data page is
    saved as a .cry file through the save dialog and computed as a new phase."""
    plot_before = d.shot("before-capture", d.plot_window())
    d.file_menu(FILE_KEYBOARD_CAPTURE)
    main = d.main_window()
    page = d.wait_image("capture-panel", main, lambda image: has_colour(image, CAPTURE_YELLOW),
                        "the keyboard-capture panel did not show")
    frame = pages_frame(page)
    buttons = buttons_of(page, frame)
    edits = white_edits_of(page, frame)
    if len(buttons) < 4 or len(edits) < 7:
        raise StepFailed(f"the capture page shows {len(buttons)} buttons and {len(edits)} white fields")
    apply_new = buttons[0]  # "Apply new phase", then "Cancel", on the capture panel
    system = next(box for box in buttons if box["y"] > apply_new["y"] + apply_new["h"])
    select_group = max(buttons, key=lambda box: box["w"])
    title = max(edits, key=lambda box: box["w"])
    cell_a = [box for box in edits if box is not title][0]

    d.focus(main)
    before = d.visible_windows()
    d.click(main, *centre(system))
    d.new_window(before, what="list of the crystal systems")
    d.keys("c", "Return")  # "Cubic"
    d.click(main, *centre(title))
    d.keys("ctrl+a")
    d.type_text("Strontium titanate")
    d.click(main, *centre(cell_a))
    d.keys("ctrl+a")
    d.type_text("3.905")
    d.keys("Tab")  # leaving a: b and c copy it, the angles become 90
    d.check_no_message("capture-cell")
    d.click(main, *centre(select_group))
    choose_first_standard_group(d, "capture")
    d.focus(main)
    page = d.shot("", main, keep=False)
    # The first white row under the space-group box is the atom grid's first row.
    pixels = page.load()
    row = next((y for y in range(select_group["y"] + select_group["h"], page.size[1])
                if sum(1 for x in range(0, select_group["x"] + select_group["w"]) if pixels[x, y] == WHITE) > 300), None)
    if row is None:
        raise StepFailed("the atom grid was not found on the capture page")
    first_cell = next(x for x in range(select_group["x"] + select_group["w"]) if pixels[x, row] == WHITE)
    d.click(main, first_cell + 15, row + 8)
    for atom, x, y, z, b in CAPTURED_ATOMS:
        for text in (atom, "1", x, y, z, b, "1"):  # Atom, Lab., X, Y, Z, B, Pop
            d.type_text(str(text))
            d.keys("Tab", delay=0.08)
    d.check_no_message("capture-atoms")
    d.shot("capture-typed", main)
    d.click(main, *centre(apply_new))
    box = d.wait_window(MESSAGE_TITLE, what="question 'Do you want to save the data?'")
    d.shot("capture-save-question", box)
    d.focus(box)
    d.keys("Return")  # Yes
    d.wait_gone(MESSAGE_TITLE)
    saved = d.outputs / "srtio3.cry"
    d.answer_file_dialog(SAVE_TITLE, saved, "capture-cry")
    d.check_no_message("capture-save")
    d.wait_file(saved)
    lines = [line.split() for line in saved.read_text().splitlines()]
    expected_group = first_standard_symbol(d, "CUBI").split()
    if (len(lines) != 4 + len(CAPTURED_ATOMS) or " ".join(lines[0]) != "Strontium titanate" or lines[1] != ["CUBI"]
            or lines[2] != expected_group or [float(v) for v in lines[3]] != [3.905] * 3 + [90.0] * 3):
        raise StepFailed("the saved srtio3.cry does not hold the typed title, system, group and cell:\n"
                         + saved.read_text())
    for fields, (atom, x, y, z, b) in zip(lines[4:], CAPTURED_ATOMS):
        if fields[0] != atom.upper() or [float(v) for v in fields[2:6]] != [x, y, z, b] or float(fields[6]) != 1:
            raise StepFailed("the saved srtio3.cry does not hold the typed atoms:\n" + saved.read_text())
    d.wait_file(d.user_folder / "phase3.out")
    d.wait_image("plot-captured-phase", d.plot_window(), lambda image: changed(plot_before, image),
                 "the plot did not change with the captured phase")
    d.shot("crystal-page-captured-phase", main)


def lambda_sections(text):
    return re.findall(r"^Results for lambda= *([0-9.]+)", text, re.M)


def step_multiple_wavelengths(d):
    """Wavelength › Multiple W.L.: CuKα1 and CuKα2 (100 and 50) typed in the
    dialog, OK, Apply: every listing has a section per wavelength, the plot changes."""
    main, page = show_page(d, EXPERIMENT_PAGE)
    frame = pages_frame(page)
    edits = white_edits_of(page, frame)
    if not edits:
        raise StepFailed("no edit field on the Experimental Data page")
    plot_before = d.shot("before-wavelengths", d.plot_window())
    d.shot("experiment-page", main)
    d.click(main, *centre(edits[0]))  # "λ (Å)"
    d.keys("shift+Tab", "Home")  # the line list before it: its first item, "Multiple W.L."
    dialog = d.wait_window(WAVELENGTHS_TITLE, what="multiple-wavelength dialog")
    d.focus(dialog)
    image = d.shot("", dialog, keep=False)
    boxes = white_edits_of(image)
    if len(boxes) < 7:
        raise StepFailed(f"the wavelength dialog shows {len(boxes)} edit fields, 8 expected")
    first_row = same_row(boxes, boxes[0])
    d.click(dialog, *centre(first_row[0]))  # λ of row 1 (or its intensity when λ has the focus)
    if len(first_row) == 1 and first_row[0]["w"] < max(box["w"] for box in boxes):
        d.keys("shift+Tab")
    for text in ("1.54056", "100", "1.54439", "50"):
        d.keys("ctrl+a")
        d.type_text(text)
        d.keys("Tab")
    d.shot("wavelength-dialog", dialog)
    d.keys("Return")  # OK, the default button
    d.check_no_message("wavelengths")
    d.wait_gone(WAVELENGTHS_TITLE)
    d.focus(main)
    page = d.shot("experiment-page-spectrum", main)
    buttons = buttons_of(page, frame)
    if not buttons:
        raise StepFailed("no Apply button on the Experimental Data page")
    d.click(main, *centre(buttons[-1]))  # "Apply", the last button of the page
    d.check_no_message("wavelengths-apply")
    wait_listings(d, lambda texts: texts and all(lambda_sections(text) == ["1.54056", "1.54439"]
                                                 for text in texts.values()),
                  "the listings do not hold one section per wavelength (1.54056 and 1.54439)")
    d.wait_image("plot-two-wavelengths", d.plot_window(), lambda image: changed(plot_before, image),
                 "the plot did not change with the second wavelength")


def listing_sources(texts):
    return {text.splitlines()[0] if text else "" for text in texts.values()}


def step_neutrons_and_back(d):
    """The Neutrons button recomputes every phase for neutrons; X rays and the
    tube in the X-ray source dialog bring the X-ray patterns back."""
    main = d.main_window()
    d.focus(main)
    image = d.shot("main-before-neutrons", main)
    source_bar = [box for box in buttons_of(image) if box["y"] < pages_frame(image)]
    if len(source_bar) < 2:
        raise StepFailed("the X rays and Neutrons buttons were not found")
    xrays, neutrons = source_bar[0], source_bar[1]
    xray_plot = d.shot("before-neutrons", d.plot_window())
    d.click(main, *centre(neutrons))
    d.check_no_message("neutrons")
    wait_listings(d, lambda texts: texts and all("Source: Neutrons" in line for line in listing_sources(texts)),
                  "the listings do not say \"Source: Neutrons\" after the Neutrons button")
    neutron_plot = d.wait_image("plot-neutrons", d.plot_window(), lambda image: changed(xray_plot, image),
                                "the plot did not change for neutrons")
    d.shot("main-neutrons", main)
    main, _ = show_page(d, CRYSTAL_PAGE)  # the neutron atom grid, with "B Fermi"
    d.shot("crystal-page-neutrons", main)
    d.click(main, *centre(xrays))
    dialog = d.wait_window(XRAY_SOURCE_TITLE, what="X-ray source dialog")
    d.focus(dialog)
    d.keys("space")  # "X Rays tube (p=0.5)", the first item, has the focus
    d.shot("xray-source-dialog", dialog)
    d.keys("Return")  # OK
    d.wait_gone(XRAY_SOURCE_TITLE)
    d.check_no_message("xrays")
    wait_listings(d, lambda texts: texts and all("Source: Xray tube" in line for line in listing_sources(texts)),
                  "the listings do not say \"Source: Xray tube\" after the X rays button")
    d.wait_image("plot-xrays-again", d.plot_window(), lambda image: changed(neutron_plot, image),
                 "the plot did not change back for X rays")
    d.focus(main)
    d.shot("crystal-page-xrays-again", main)


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
    d.shot("main-before-style-page", main)
    show_page(d, STYLE_PAGE)
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
    """Plot window › Save image › EMF format writes an enhanced metafile."""
    plot = d.plot_window()
    d.focus(plot)
    d.keys("alt+s", "e")
    dialog = d.wait_window(r"Creation of an EMF image", what="metafile dialog")
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
    if d.windows(r"Creation of an EMF image"):
        d.focus(d.wait_window(r"Creation of an EMF image"))
        d.keys("Escape")
        d.wait_gone(r"Creation of an EMF image")
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


def step_quit(d, save_to=None):
    """Quit ends the program, deletes the listings and leaves the installed tree as installed.
    With `save_to`, the workspace changed since it was opened: Quit asks to save it first,
    and the default button, Save, saves it there through the save dialog."""
    d.shot("screen-before-quit")
    main = d.main_window()
    d.focus(main)
    d.keys("alt+q")
    if save_to is not None:
        box = d.wait_window(MESSAGE_TITLE, what="question 'Save the workspace before closing?'")
        d.shot("quit-save-question", box)
        d.focus(box)
        d.keys("Return")  # Save, the default button
        d.answer_file_dialog(SAVE_TITLE, save_to, "quit-save")
    deadline = time.monotonic() + 10
    while d.program_running() and time.monotonic() < deadline:
        time.sleep(0.1)
    if d.program_running():
        raise StepFailed("the program did not end after Quit")
    if save_to is not None and not save_to.exists():
        raise StepFailed("Quit did not save the changed workspace in " + save_to.name)
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
    step_quit(d, save_to=d.outputs / "restart.cmp")


# name, function, marker of the feature in the sources (None: always there)
STEPS = [
    ("install", step_install, None),
    ("make inputs", step_make_inputs, None),
    ("start", step_start, None),
    ("open crystal", step_open_crystal, None),
    ("second phase", step_second_phase, None),
    ("space group of the current phase", step_space_group, None),
    ("keyboard capture of a third phase", step_keyboard_capture, None),
    ("multiple wavelengths", step_multiple_wavelengths, None),
    ("neutrons and back to X rays", step_neutrons_and_back, None),
    ("observed pattern", step_observed_pattern, None),
    ("observed peaks", step_observed_peaks, None),
    # The redraw after a zoom's recomputation comes with the plot window's menus.
    ("zoom and unzoom", step_zoom_and_unzoom, '"&Save image"'),
    ("index a peak", step_index_peak, None),
    ("difference window", step_difference, '"&Difference"'),
    ("colour", step_colour, None),
    ("save and reload .cmp", step_save_and_reload, None),
    ("export PNG", step_export_png, '"&PNG format"'),
    ("export metafile", step_export_metafile, '"&EMF format"'),
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
