# The ad hoc composer used as a user would: text typed into the field and sent lands as a
# message file that this instance then shows; an empty text is refused; "Abbruch" and Alt+F4
# end it with and without their line; a failed write keeps the composer and the text.
import os
import time
import unittest

import harness as h
import tray


def open_composer(program):
    tray.open_menu()
    rows = tray.menu_rows(tray.artefact("menu-composer.png"))
    tray.click_menu_item(rows, 2)
    win = tray.window(tray.COMPOSER_TITLE, wait=10)
    if win is None:
        raise AssertionError("the composer did not open")
    return win


def type_into_field(win, *lines):
    tray.click_at(*tray.rect_center(tray.child(win, cls="Edit")["rect"]))
    for i, line in enumerate(lines):
        if i:
            h.xdotool("key", "Return")
        h.xdotool("type", "--delay", "20", line)
    time.sleep(0.3)


def field_text():
    win = tray.window(tray.COMPOSER_TITLE, wait=0)
    return None if win is None else tray.child(win, cls="Edit")["text"]


def message_files(folder):
    return sorted(n for n in os.listdir(folder) if n.endswith(".msg"))


class ComposerTest(unittest.TestCase):
    def setUp(self):
        h.require_session()
        tray.sweep_tray()

    def test_sent_text_lands_as_a_message_file_that_the_next_poll_shows(self):
        with tray.TrayProgram(poll="2") as p:
            p.start()
            win = open_composer(p)
            type_into_field(win, "Hallo an alle", "zweite Zeile")
            self.assertEqual(field_text(), "Hallo an alle\r\nzweite Zeile")
            h.screenshot(tray.artefact("composer.png"))
            tray.click_child(tray.COMPOSER_TITLE, "Senden")
            tray.wait_window_gone(tray.COMPOSER_TITLE)
            files = message_files(p.watch_linux)
            self.assertEqual(len(files), 1)
            self.assertEqual(h.read_bytes(os.path.join(p.watch_linux, files[0])), b"Hallo an alle\r\nzweite Zeile\r\n")
            self.assertIn("Erstelle Adhoc Nachricht:" + files[0], p.texts())
            shown = tray.window(p.message_title(files[0]), wait=10)
            self.assertIsNotNone(shown, "this instance did not show its own message")
            # The message window shows every line followed by a carriage return.
            self.assertIn("Hallo an alle\rzweite Zeile\r", h.window_texts(shown))
            tray.click_child(p.message_title(files[0]), "Ok")

    def test_empty_text_is_refused_and_the_ways_to_end_log_their_lines(self):
        cases = [("Abbruch", True), ("Alt+F4", False)]
        with tray.TrayProgram(poll="1") as p:
            p.start()
            for name, cancel_line in cases:
                with self.subTest(name):
                    before = len(p.texts())
                    open_composer(p)
                    tray.click_child(tray.COMPOSER_TITLE, "Senden")
                    box = tray.window(p.folder.exe_name, wait=10)
                    self.assertIsNotNone(box, "no box for the empty text")
                    self.assertIn("Leerer Textinhalt wird nicht als Meldung angezeigt.", h.window_texts(box))
                    tray.click_child(p.folder.exe_name, "OK")
                    tray.wait_window_gone(p.folder.exe_name)
                    self.assertEqual(field_text(), "", "the composer did not stay open")
                    if name == "Abbruch":
                        tray.click_child(tray.COMPOSER_TITLE, "Abbruch")
                    else:
                        win = tray.window(tray.COMPOSER_TITLE)
                        tray.click_at(*tray.rect_center(tray.child(win, cls="Edit")["rect"]))
                        h.xdotool("key", "alt+F4")
                    tray.wait_window_gone(tray.COMPOSER_TITLE)
                    new = p.texts()[before:]
                    # The composer's loop writes a debug line before every wait: no poll between
                    # its opening and its last wait.
                    opened = new.index("Adhoc Nachricht soll erstellt werden")
                    last_wait = len(new) - 1 - new[::-1].index("CreateMessage Schleife>")
                    self.assertNotIn("Suche nach MSG Datei", new[opened:last_wait], "a poll ran while the composer was open")
                    self.assertEqual(new.count("Adhoc Nachricht soll erstellt werden"), 1)
                    self.assertEqual("Adhoc Nachricht wurde abgebrochen" in new, cancel_line)
                    self.assertFalse(any(t.startswith("Erstelle Adhoc Nachricht") for t in new))
                    self.assertEqual(message_files(p.watch_linux), [])

    def test_a_failed_write_keeps_the_composer_with_the_text(self):
        with tray.TrayProgram(poll="2") as p:
            p.start()
            h.make_unwritable(p.watch_linux)
            win = open_composer(p)
            type_into_field(win, "nicht verlieren")
            tray.click_child(tray.COMPOSER_TITLE, "Senden")
            box = tray.window(p.folder.exe_name, wait=10)
            self.assertIsNotNone(box, "no box for the failed write")
            self.assertIn("Adhoc Nachricht konnte nicht erstellt werden", h.window_texts(box))
            self.assertIn(("ERR", "Adhoc Nachricht konnte nicht erstellt werden"), h.log_entries(p.log))
            tray.click_child(p.folder.exe_name, "OK")
            tray.wait_window_gone(p.folder.exe_name)
            self.assertEqual(field_text(), "nicht verlieren")
            # Once the folder takes files again, the kept text goes out.
            h.make_writable(p.watch_linux)
            tray.click_child(tray.COMPOSER_TITLE, "Senden")
            tray.wait_window_gone(tray.COMPOSER_TITLE)
            files = message_files(p.watch_linux)
            self.assertEqual(len(files), 1)
            self.assertEqual(h.read_bytes(os.path.join(p.watch_linux, files[0])), b"nicht verlieren\r\n")


if __name__ == "__main__":
    h.main()
