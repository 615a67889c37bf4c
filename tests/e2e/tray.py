# Helpers for the end-to-end tests of the tray program: a running instance with its own
# watch folder, Wine's system-tray window and the icon in it, the popup menu read from the
# screen, and real mouse clicks on icon, menu items and buttons.
#
# Without an X system tray and without a window manager, Wine's explorer shows the icons in
# a window of its own titled "Wine System Tray" (the X window covers the icon row only); the
# first icon sits at its left edge. The window goes away when the last icon is removed.
# Icons of a process that ended without removing its icon stay until the mouse passes over
# them, so sweep_tray() runs the mouse along the row before a test looks at it.
import datetime
import os
import re
import subprocess
import time

import harness as h

TRAY_TITLE = "Wine System Tray"
MAIN_TITLE = "Notiwell - SysTray Invisible Window"
COMPOSER_TITLE = "Adhoc Meldung erstellen"
INFO_TITLE = "\u00dcber ... "

ARTEFACTS = os.path.join(os.environ.get("NOTIWELL_BUILD", "/tmp"), "e2e-artefacts")


def artefact(name):
    os.makedirs(ARTEFACTS, exist_ok=True)
    return os.path.join(ARTEFACTS, name)


# ---------------------------------------------------------------------------------------------
# The tray window and the icon


def tray_geometry():
    """(x, y, width, height) of Wine's tray window on the X screen while it is shown, or None
    (with no icon left the window is unmapped or gone)."""
    code, out = h.xdotool("search", "--onlyvisible", "--name", "^%s$" % re.escape(TRAY_TITLE))
    for wid in (out.split() if code == 0 else []):
        code, out = h.xdotool("getwindowgeometry", "--shell", wid)
        if code != 0:
            continue
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        try:
            return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])
        except (KeyError, ValueError):
            continue
    return None


def tray_shown():
    return tray_geometry() is not None


def park_mouse():
    h.xdotool("mousemove", "1200", "1000")


def sweep_tray():
    """Runs the mouse along the icon row, so icons of ended processes are dropped."""
    g = tray_geometry()
    if g:
        x, y, w, hgt = g
        for px in range(x + 2, x + w, 6):
            h.xdotool("mousemove", str(px), str(y + hgt // 2))
            time.sleep(0.02)
    park_mouse()
    time.sleep(0.3)


def icon_point():
    x, y, _, hgt = h.wait_until(tray_geometry, 30, "Wine's tray window")
    return x + hgt // 2, y + hgt // 2


def right_click_icon():
    px, py = icon_point()
    h.xdotool("mousemove", str(px), str(py))
    time.sleep(0.2)
    h.xdotool("click", "3")


def hover_icon():
    px, py = icon_point()
    h.xdotool("mousemove", str(px + 1), str(py))
    time.sleep(0.1)
    h.xdotool("mousemove", str(px), str(py))


def tooltips():
    code, out = h.run_tool("trayprobe", "tooltips")
    return [line[len("tooltip text="):] for line in out.splitlines() if line.startswith("tooltip text=")]


def icon_tooltip(timeout=10):
    """Hovers the icon and returns the text of the tooltip that comes up."""
    park_mouse()
    time.sleep(0.3)
    hover_icon()
    texts = h.wait_until(lambda: [t for t in tooltips() if t], timeout, "the icon's tooltip")
    park_mouse()
    return texts[0]


def icon_pixels(path):
    """A screenshot of the first icon slot, as raw RGB bytes (for comparing icon images)."""
    x, y, _, hgt = h.wait_until(tray_geometry, 30, "Wine's tray window")
    h.screenshot(path)
    return _crop_raw(path, x, y, hgt, hgt, "rgb")


def pixel_distance(a, b):
    """Mean difference per colour value of two equally large raw images (0 = identical).
    The tray draws an icon over the old one, so the same icon shows within a few units."""
    if len(a) != len(b) or not a:
        raise AssertionError("images of %d and %d bytes" % (len(a), len(b)))
    return sum(abs(x - y) for x, y in zip(a, b)) / len(a)


def _crop_raw(path, x, y, w, hgt, mapping):
    out = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, hgt, x, y), "+repage", "-depth", "8",
                          "%s:-" % mapping], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
    return out.stdout


# ---------------------------------------------------------------------------------------------
# The popup menu


def menu_rects():
    code, out = h.run_tool("trayprobe", "menus")
    rects = []
    for line in out.splitlines():
        m = re.fullmatch(r"menu rect=(-?\d+),(-?\d+),(-?\d+),(-?\d+)", line.strip())
        if m:
            rects.append(tuple(int(v) for v in m.groups()))
    return rects


def wait_menu(timeout=10):
    return h.wait_until(menu_rects, timeout, "the tray menu")[0]


def menu_rows(path):
    """Reads the open menu from a screenshot: [("item"|"separator", top, bottom)] in screen
    coordinates, top to bottom. A separator is a line across the menu, an item a band of rows
    with text in it."""
    left, top, right, bottom = wait_menu()
    h.screenshot(path)
    w, hgt = right - left, bottom - top
    raw = _crop_raw(path, left, top, w, hgt, "gray")
    if len(raw) != w * hgt:
        raise AssertionError("menu crop has %d bytes, expected %d" % (len(raw), w * hgt))
    margin = 4  # the menu's own frame
    rows = [raw[r * w + margin:(r + 1) * w - margin] for r in range(hgt)]
    background = max(set(rows[hgt // 2]), key=rows[hgt // 2].count)
    kinds = []
    for r in range(hgt):
        if r < margin or r >= hgt - margin:
            kinds.append(None)
            continue
        marked = sum(1 for v in rows[r] if abs(v - background) > 40)
        share = marked / len(rows[r])
        kinds.append("separator" if share > 0.8 else "item" if marked else None)
    bands = []
    for r, kind in enumerate(kinds):
        if kind and bands and bands[-1][0] == kind and bands[-1][2] == top + r - 1:
            bands[-1] = (kind, bands[-1][1], top + r)
        elif kind:
            bands.append((kind, top + r, top + r))
    # A separator drawn as two lines (dark and light) is one separator.
    merged = []
    for band in bands:
        if merged and band[0] == "separator" and merged[-1][0] == "separator" and band[1] - merged[-1][2] <= 2:
            merged[-1] = ("separator", merged[-1][1], band[2])
        else:
            merged.append(band)
    return merged


def menu_pattern(rows):
    return ["-" if kind == "separator" else "item" for kind, _, _ in rows]


def click_menu_item(rows, index):
    """Left-clicks the index-th item (separators not counted) of a menu read by menu_rows()."""
    items = [r for r in rows if r[0] == "item"]
    _, top, bottom = items[index]
    left, _, right, _ = wait_menu()
    h.xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2))
    time.sleep(0.2)
    h.xdotool("click", "1")


def open_menu(timeout=10):
    """Right-clicks the icon until the menu is up (the first click may only wake the tray)."""
    deadline = time.monotonic() + timeout
    while True:
        right_click_icon()
        try:
            return h.wait_until(menu_rects, 3, "the tray menu")[0]
        except AssertionError:
            if time.monotonic() >= deadline:
                raise
            h.xdotool("key", "Escape")


def close_menu():
    h.xdotool("key", "Escape")
    h.wait_until(lambda: not menu_rects(), 10, "the menu to close")


# ---------------------------------------------------------------------------------------------
# Windows and buttons, clicked with the mouse


def window(title, wait=10.0):
    found = h.find_windows(title, wait=wait)
    return found[0] if found else None


def wait_window_gone(title, timeout=15):
    h.wait_until(lambda: not h.find_windows(title), timeout, "window %r to close" % title)


def child(win, text=None, cls=None):
    for c in win["children"]:
        if (text is None or c["text"].replace("&", "") == text) and (cls is None or c["cls"].lower() == cls.lower()):
            return c
    raise AssertionError("no child %r/%r in %r: %r" % (text, cls, win["title"], win["children"]))


def rect_center(rect_text):
    left, top, right, bottom = (int(v) for v in rect_text.split(","))
    return (left + right) // 2, (top + bottom) // 2


def click_at(x, y, button="1"):
    h.xdotool("mousemove", str(x), str(y))
    time.sleep(0.15)
    h.xdotool("click", button)


def click_child(title, text, wait=10.0):
    win = window(title, wait)
    if win is None:
        raise AssertionError("no window %r" % title)
    click_at(*rect_center(child(win, text=text)["rect"]))


# ---------------------------------------------------------------------------------------------
# A running instance


def message_name(when=None):
    when = when or datetime.datetime.now()
    return when.strftime("%Y%m%d_%H%M%S") + ".msg"


class TrayProgram:
    """A copy of notiwell.exe with its own watch folder and configuration, started under
    /LOCAL (its log and configuration next to it). Waits until the main loop runs."""

    def __init__(self, allow_adhoc="1", hidden=False, poll="1", debug="1", exe_name=None):
        self.folder = h.ProgramFolder(exe_name=exe_name)
        self.watch_linux, self.watch_windows = h.temp_windows_dir("nw_watch_")
        self.folder.write_conf(h.conf_text(Debug=debug, WatchDir=self.watch_windows, Pollintervall=poll,
                                           AllowAdhoc=allow_adhoc, QuitMode="1", NotifyActDay="1",
                                           NotifyActTime="1"), local=True)
        self.log = self.folder.log_path(local=True)
        self.title = self.folder.exe_name.replace(".exe", "")
        self.hidden = hidden
        self.process = None

    def start(self, timeout=60):
        args = ["/LOCAL"] + (["/HIDDEN"] if self.hidden else [])
        self.process = self.folder.start(*args)
        h.wait_until(lambda: self.texts().count(">Repeat") >= 1 or self.exit_code() is not None, timeout,
                     "the main loop of " + self.folder.exe_name)
        if self.exit_code() is not None:
            raise AssertionError("the program ended during start-up:\n" + "\n".join(self.texts()))
        return self

    def texts(self):
        return h.log_texts(self.log)

    def exit_code(self):
        return None if self.process is None else self.process.poll()

    def wait_exit(self, timeout=30):
        return h.wait_exit(self.process, timeout)

    def drop_message(self, text_bytes, name=None):
        name = name or message_name()
        path = os.path.join(self.watch_linux, name)
        with open(path, "wb") as f:
            f.write(text_bytes)
        return name

    def message_title(self, name):
        return "%s (Nachricht:%s)" % (self.title, name)

    def count(self, text):
        return self.texts().count(text)

    def wait_count(self, text, at_least, timeout=20):
        return h.wait_until(lambda: self.count(text) >= at_least, timeout,
                            "%d lines %r in %s" % (at_least, text, self.log))

    def quit_by_menu(self, timeout=30):
        open_menu()
        rows = menu_rows(artefact("quit-menu.png"))
        click_menu_item(rows, len([r for r in rows if r[0] == "item"]) - 1)
        return self.wait_exit(timeout)

    def stop(self):
        if self.process is not None:
            h.stop_process(self.process)
        h.make_writable(self.watch_linux)
        self.folder.cleanup()
        park_mouse()
        sweep_tray()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
