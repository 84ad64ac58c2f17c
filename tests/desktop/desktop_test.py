#!/usr/bin/python3
"""End-to-end run of the installed desktop program under a private X server.

Installs the build into a DESTDIR, starts the installed `calvane` with a fresh home on an Xvfb
display of its own and drives it with xdotool along one road through every window, checking
what it sees from outside (windows by title, files written, plot pixels) and saving screenshots.

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
METAFILE_TITLE = r"Creation of an EMF image"

# The main window's File menu: its items between separators, in order.
FILE_MENU_GROUPS = [6, 1, 6, 3, 1, 1]
FILE_OPEN_CRYSTAL, FILE_OPEN_PATTERN, FILE_OPEN_CMP, FILE_SAVE_CMP = 1, 8, 13, 15
CRYSTAL_ENTRIES, PATTERN_ENTRIES = 6, 6
# The main window's pages, in tab order.
EXPERIMENT_PAGE, CRYSTAL_PAGE, STYLE_PAGE = 0, 1, 3
PHASE1_COLOUR = (255, 124, 162)
NEW_PHASE1_COLOUR = (26, 158, 60)


class StepFailed(Exception):
    pass

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
            if not self.program_running():
                raise StepFailed(f"the program ended while waiting for the window {what or title}")
            return self.windows(title)
        return self.wait_until(found, timeout, f"no window {what or title!r} within {timeout} s")[-1]

    def wait_gone(self, title, timeout=10):
        self.wait_until(lambda: not self.windows(title), timeout, f"the window {title!r} is still open after {timeout} s")

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
        self.wait_until(path.exists, timeout, f"no file {path.name} in {path.parent} after {timeout} s")

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

    def visible_windows(self):
        return [int(w) for w in self.xdotool("search", "--onlyvisible", "--class", "calvane").split()]

    def new_window(self, before, timeout=5, what="menu"):
        """The first visible window of the program that was not in `before`."""
        fresh = self.wait_until(lambda: [w for w in self.visible_windows() if w not in before], timeout,
                                f"no {what} opened within {timeout} s")
        time.sleep(0.2)  # let it paint
        return fresh[-1]

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
    d.focus(groups)
    d.keys("Return")  # OK, the default button
    d.wait_gone(GROUPS_TITLE)
    d.check_no_message(name)


# --- the steps -----------------------------------------------------------

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


def find_colour(image, colour, tolerance=4):
    width, height = image.size
    pixels = image.load()
    for y in range(height):
        for x in range(width):
            if all(abs(a - b) <= tolerance for a, b in zip(pixels[x, y], colour)):
                return x, y
    return None


def changed(before, after, min_pixels=20):
    """True when at least `min_pixels` pixels differ (the mouse read-out alone changes a few)."""
    if before.size != after.size:
        return True
    difference = ImageChops.difference(before, after).convert("L").point(lambda v: 255 if v > 16 else 0)
    return sum(1 for v in difference.getdata() if v) >= min_pixels


def plot_changes(d, name, before, failure, min_pixels=20):
    """Waits until the plot differs from `before`; returns its new image."""
    return d.wait_image(name, d.plot_window(), lambda image: changed(before, image, min_pixels), failure)


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
    d.installed_files = sorted(p for p in d.root.rglob("*"))


def step_start(d):
    """calvane-sim writes an observed pattern to load; the installed program starts and makes
    the user's own program folder."""
    d.inputs.mkdir(parents=True, exist_ok=True)
    d.outputs.mkdir(parents=True, exist_ok=True)
    shutil.copy(ROOT / "examples" / "nacl.cry", d.inputs / "nacl.cry")
    sim = d.build / "program" / "calvane-sim"
    result = subprocess.run([str(sim), str(d.inputs / "nacl.cry"), "--profile", str(d.inputs / "observed.cpi"),
                             "--overwrite"], cwd=d.work, capture_output=True, text=True, timeout=60)
    if result.returncode != 0 or not (d.inputs / "observed.cpi").exists():
        raise StepFailed("calvane-sim could not write the observed pattern:\n" + result.stderr)
    d.start_xvfb()
    d.start_program()
    d.shot("main-window", d.main_window())
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
    d.wait_image("plot-one-phase", plot, lambda image: phase_apex(image, PHASE1_COLOUR), "phase 1 is not drawn")


def step_space_group(d):
    """Crystal Data › Select the space group: the first standard symbol of the
    system, OK, Apply: the phase is computed in the new group."""
    main, page = show_page(d, CRYSTAL_PAGE)
    d.check_no_message("crystal-page")
    frame = pages_frame(page)
    buttons = buttons_of(page, frame)
    if not buttons:
        raise StepFailed("no button on the Crystal Data page")
    before = d.shot("before-space-group", d.plot_window())
    d.shot("crystal-page", main)
    d.click(main, *centre(max(buttons, key=lambda box: box["w"])))  # "Select the space group", the widest
    choose_first_standard_group(d, "phase")
    d.focus(main)
    page = d.shot("crystal-page-new-group", main)
    d.click(main, *centre(buttons_of(page, frame)[0]))  # "Apply" of the bar above the page
    d.check_no_message("space-group-apply")
    plot_changes(d, "plot-new-group", before, "the plot did not change with the new space group")


def step_multiple_wavelengths(d):
    """Wavelength › Multiple W.L.: CuKα1 and CuKα2 (100 and 50) typed in the
    dialog, OK, Apply: the plot changes."""
    main, page = show_page(d, EXPERIMENT_PAGE)
    frame = pages_frame(page)
    edits = white_edits_of(page, frame)
    if not edits:
        raise StepFailed("no edit field on the Experimental Data page")
    before = d.shot("before-wavelengths", d.plot_window())
    d.shot("experiment-page", main)
    d.click(main, *centre(edits[0]))  # "λ (Å)"
    d.keys("shift+Tab", "Home")  # the line list before it: its first item, "Multiple W.L."
    dialog = d.wait_window(WAVELENGTHS_TITLE, what="multiple-wavelength dialog")
    d.focus(dialog)
    boxes = white_edits_of(d.shot("", dialog, keep=False))
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
    d.keys("Return")  # OK, the default button
    d.check_no_message("wavelengths")
    d.wait_gone(WAVELENGTHS_TITLE)
    d.focus(main)
    buttons = buttons_of(d.shot("experiment-page-spectrum", main), frame)
    if not buttons:
        raise StepFailed("no Apply button on the Experimental Data page")
    d.click(main, *centre(buttons[-1]))  # "Apply", the last button of the page
    d.check_no_message("wavelengths-apply")
    plot_changes(d, "plot-two-wavelengths", before, "the plot did not change with the second wavelength")


def step_neutrons_and_back(d):
    """The Neutrons button recomputes for neutrons; X rays and the tube in the
    X-ray source dialog bring the X-ray pattern back."""
    main = d.main_window()
    d.focus(main)
    image = d.shot("main-before-neutrons", main)
    source_bar = [box for box in buttons_of(image) if box["y"] < pages_frame(image)]
    if len(source_bar) < 2:
        raise StepFailed("the X rays and Neutrons buttons were not found")
    xrays, neutrons = source_bar[0], source_bar[1]
    before = d.shot("before-neutrons", d.plot_window())
    d.click(main, *centre(neutrons))
    d.check_no_message("neutrons")
    neutron_plot = plot_changes(d, "plot-neutrons", before, "the plot did not change for neutrons")
    d.click(main, *centre(xrays))
    dialog = d.wait_window(XRAY_SOURCE_TITLE, what="X-ray source dialog")
    d.focus(dialog)
    d.keys("space")  # "X Rays tube (p=0.5)", the first item, has the focus
    d.keys("Return")  # OK
    d.wait_gone(XRAY_SOURCE_TITLE)
    d.check_no_message("xrays")
    plot_changes(d, "plot-xrays-again", neutron_plot, "the plot did not change back for X rays")


def step_observed_pattern(d):
    """File › Open an observed diagram data file › CPI Format: the pattern is drawn."""
    before = d.shot("before-observed", d.plot_window())
    d.file_menu(FILE_OPEN_PATTERN, submenu=(PATTERN_ENTRIES, 4))
    d.answer_file_dialog(OPEN_TITLE, d.inputs / "observed.cpi", "observed-pattern")
    d.check_no_message("observed-pattern")
    plot_changes(d, "plot-observed", before, "the plot did not change with the observed pattern")


def step_difference(d):
    """Plot window › &Difference opens the difference window."""
    d.focus(d.plot_window())
    # "&Drawing options" shares the letter D: a tap of Alt, then the fourth item of the menu bar.
    d.keys("alt", "Right", "Right", "Right", "Return")
    window = d.wait_window(r"^Difference", what="difference window")
    d.check_no_message("difference")


def step_colour(d):
    """Style Options shows the colours window; a new colour for phase 1 is applied and saved."""
    show_page(d, STYLE_PAGE)
    colours = d.wait_window(COLOURS_TITLE, timeout=5, what="colours window (Style Options page)")
    box = find_colour(d.shot("colours-window", colours), PHASE1_COLOUR)
    if box is None:
        raise StepFailed("no box of phase 1's colour in the colours window")
    d.focus(colours)
    d.click(colours, box[0] + 3, box[1] + 3)
    dialog = d.wait_window(COLOUR_DIALOG_TITLE, what="colour dialog of phase 1")
    d.focus(dialog)
    d.keys("alt+h", "ctrl+a")  # the dialog's "HTML:" box
    d.type_text("#%02x%02x%02x" % NEW_PHASE1_COLOUR)
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
    message = d.wait_window(MESSAGE_TITLE, what="message 'The Selection has been saved'")
    d.focus(message)
    d.keys("Return")
    d.wait_gone(MESSAGE_TITLE)
    d.wait_file(d.user_folder / "couleurs.txt")
    d.focus(colours)
    d.keys("Escape")  # "Cancel"
    d.wait_gone(COLOURS_TITLE)


def step_save_and_reload(d):
    """Save the total data, erase everything, open the .cmp again: the plot comes back."""
    saved = d.outputs / "workspace.cmp"
    d.file_menu(FILE_SAVE_CMP)
    d.answer_file_dialog(SAVE_TITLE, saved, "save-cmp")
    d.check_no_message("save-cmp")
    d.wait_file(saved)
    d.focus(d.main_window())
    d.keys("alt+e", "g")  # Erase › General
    d.check_no_message("erase")
    erased = d.wait_image("plot-erased", d.plot_window(), lambda image: phase_apex(image, NEW_PHASE1_COLOUR) is None,
                          "the plot still shows phase 1 after Erase › General")
    d.file_menu(FILE_OPEN_CMP)
    d.answer_file_dialog(OPEN_TITLE, saved, "open-cmp")
    d.check_no_message("open-cmp")
    plot_changes(d, "plot-reloaded", erased, "the plot stayed empty after opening the saved workspace", 200)


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
    message = d.wait_window(MESSAGE_TITLE, what="message that the metafile was created")
    d.focus(message)
    d.keys("Return")
    d.wait_gone(MESSAGE_TITLE)
    if d.windows(METAFILE_TITLE):
        d.focus(d.wait_window(METAFILE_TITLE))
        d.keys("Escape")
        d.wait_gone(METAFILE_TITLE)
    if target.read_bytes()[40:44] != b" EMF":
        raise StepFailed("plot.emf has no enhanced-metafile header")


def step_global_report(d):
    """Results › Global results writes report_cmp.txt and shows it."""
    d.focus(d.main_window())
    d.keys("alt+r", "g")
    viewer = d.wait_window(r"report_cmp", what="report viewer")
    d.check_no_message("report")
    report = d.user_folder / "report_cmp.txt"
    if not report.exists() or "nacl" not in report.read_text(errors="replace").lower():
        raise StepFailed("report_cmp.txt is missing or does not name the phase")


def step_quit(d, save_to=None):
    """Quit ends the program, deletes the listings and leaves the installed tree as installed.
    With `save_to`, the workspace changed since it was opened: Quit asks to save it first,
    and the default button, Save, saves it there through the save dialog."""
    d.focus(d.main_window())
    d.keys("alt+q")
    if save_to is not None:
        question = d.wait_window(MESSAGE_TITLE, what="question 'Save the workspace before closing?'")
        d.focus(question)
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
    extra = sorted(set(d.root.rglob("*")) - set(d.installed_files))
    if extra:
        raise StepFailed("the program wrote into the installed tree: " + ", ".join(map(str, extra)))


def step_restart(d):
    """A second start opens the crystal named on the command line and draws it in the saved colour."""
    d.start_program(str(d.inputs / "nacl.cry"))
    d.main_window()
    d.check_no_message("restart")
    d.wait_image("restart-with-saved-colours", d.plot_window(),
                 lambda image: find_colour(image, NEW_PHASE1_COLOUR, tolerance=8) is not None,
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
    ("save and reload .cmp", step_save_and_reload),
    ("export metafile", step_export_metafile),
    ("global report", step_global_report),
    ("quit", step_quit),
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
    passed, failed = [], None
    try:
        for name, function in STEPS:
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
    skipped = len(STEPS) - len(passed) - (1 if failed else 0)
    print(f"desktop: {len(passed)} passed, {1 if failed else 0} failed, {skipped} skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
