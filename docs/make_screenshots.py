# The screenshots of the user documentation, taken from the real program under Wine and Xvfb:
# the tray icon, its menu, a message, the composer, the info window and the two tray icons
# scaled up. Run through docs/screenshot.sh, which starts the session:
#   make_screenshots.py OUT_DIR
import os
import subprocess
import sys
import tempfile
import time

import harness as h
import tray

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MESSAGE = ["Wartungsarbeiten heute ab 18:00 Uhr", "Der Server FS01 wird neu gestartet.",
           "Bitte speichern Sie Ihre Dateien", "und melden Sie sich rechtzeitig ab.",
           "Dauer: etwa 30 Minuten", "Ihre IT & Support"]
COMPOSER_TEXT = "Bitte alle um 14 Uhr in Raum 2.14 kommen."
MARGIN = 6


def crop(screen, out, left, top, right, bottom):
    """Cuts the rectangle (screen coordinates, right and bottom exclusive) plus a margin."""
    left, top = max(0, left - MARGIN), max(0, top - MARGIN)
    width, height = right + MARGIN - left, bottom + MARGIN - top
    subprocess.run(["convert", screen, "-crop", "%dx%d+%d+%d" % (width, height, left, top), "+repage", out],
                   check=True, timeout=60)
    print("wrote", out)


def window_rect(title, wait=15):
    win = tray.window(title, wait)
    if win is None:
        raise AssertionError("no window %r" % title)
    return tuple(int(v) for v in win["rect"].split(","))


def shoot_window(title, out, screen):
    time.sleep(0.5)  # let the window finish drawing
    h.screenshot(screen)
    crop(screen, out, *window_rect(title))


def scaled_icons(out):
    """Every image of both tray icons, three times enlarged without smoothing, in two rows
    (active above, stopped below) on the grey of a Windows panel."""
    rows = []
    with tempfile.TemporaryDirectory() as tmp:
        for name in ("tray_active", "tray_stopped"):
            ico = os.path.join(REPO, "resources", name + ".ico")
            frames = []
            for i in (3, 2, 1, 0):  # 16, 24, 32, 48 pixels
                frame = os.path.join(tmp, "%s_%d.png" % (name, i))
                subprocess.run(["convert", "%s[%d]" % (ico, i), "-filter", "point", "-resize", "300%",
                                "-background", "#d4d0c8", "-gravity", "south", "-extent", "150x150", frame],
                               check=True, timeout=60)
                frames.append(frame)
            row = os.path.join(tmp, name + ".png")
            subprocess.run(["convert", *frames, "-background", "#d4d0c8", "-splice", "15x0", "+append", "+repage",
                            row], check=True, timeout=60)
            rows.append(row)
        subprocess.run(["convert", *rows, "-background", "#d4d0c8", "-splice", "0x15", "-append", "+repage",
                        "-gravity", "southeast", "-splice", "15x15", out], check=True, timeout=60)
    print("wrote", out)


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    screen = os.path.join(tempfile.mkdtemp(prefix="nw_shots_"), "screen.png")
    p = tray.TrayProgram(allow_adhoc="1", debug="1", exe_name="notiwell.exe")
    try:
        p.start()
        tray.sweep_tray()

        x, y, w, hgt = h.wait_until(tray.tray_geometry, 30, "Wine's tray window")
        h.screenshot(screen)
        crop(screen, os.path.join(out_dir, "tray.png"), x, y, x + w, y + hgt)

        tray.open_menu()
        rows = tray.menu_rows(screen)  # also the screenshot of the open menu
        left, top, right, bottom = tray.wait_menu()
        crop(screen, os.path.join(out_dir, "menu.png"), min(left, x), min(top, y), max(right, x + w),
             max(bottom, y + hgt))
        tray.click_menu_item(rows, 2)  # Adhoc Meldung an alle erstellen
        composer = tray.window(tray.COMPOSER_TITLE)
        if composer is None:
            raise AssertionError("the composer did not open")
        tray.click_at(*tray.rect_center(tray.child(composer, cls="Edit")["rect"]))
        h.xdotool("type", "--delay", "30", COMPOSER_TEXT)
        shoot_window(tray.COMPOSER_TITLE, os.path.join(out_dir, "composer.png"), screen)
        tray.click_child(tray.COMPOSER_TITLE, "Abbruch")
        tray.wait_window_gone(tray.COMPOSER_TITLE)

        tray.open_menu()
        tray.click_menu_item(tray.menu_rows(screen), 3)  # Info
        shoot_window(tray.INFO_TITLE, os.path.join(out_dir, "info.png"), screen)
        tray.click_child(tray.INFO_TITLE, "Ok")
        tray.wait_window_gone(tray.INFO_TITLE)

        name = p.drop_message("".join(line + "\r\n" for line in MESSAGE).encode("utf-8"))
        title = p.message_title(name)
        tray.window(title, wait=30)
        tray.park_mouse()
        shoot_window(title, os.path.join(out_dir, "message.png"), screen)
        tray.click_child(title, "Ok")
        tray.wait_window_gone(title)

        if p.quit_by_menu() != 0:
            raise AssertionError("the program did not end with exit code 0")
    finally:
        p.stop()
    scaled_icons(os.path.join(out_dir, "icons.png"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(REPO, "docs", "screenshots"))
