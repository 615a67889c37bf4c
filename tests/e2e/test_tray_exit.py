# The ways out of the main loop: "Beenden" from the menu, and a close request to the invisible
# main window of a program started with /HIDDEN (sent, as the system sends it, and posted).
import time
import unittest

import harness as h
import tray

QUIT_LINE = " Programm wird beendet <<<<<<<"


class TrayExitTest(unittest.TestCase):
    def setUp(self):
        h.require_session()
        tray.sweep_tray()

    def test_beenden_logs_its_line_removes_the_icon_and_ends_with_0(self):
        with tray.TrayProgram() as p:
            p.start()
            self.assertTrue(tray.tray_shown())
            self.assertEqual(p.quit_by_menu(), 0)
            self.assertEqual(p.texts()[-1], QUIT_LINE)
            h.wait_until(lambda: not tray.tray_shown(), 10, "the tray icon to go")

    def test_close_request_under_hidden_ends_with_0_and_without_the_line(self):
        cases = [("sent", ("trayprobe", "sendclose")), ("posted", ("winprobe", "close"))]
        for name, (tool, command) in cases:
            with self.subTest(name), tray.TrayProgram(hidden=True, poll="1") as p:
                p.start()
                # No icon, yet the polls run on the timer.
                p.wait_count("Suche nach MSG Datei", 2)
                self.assertFalse(tray.tray_shown(), "an icon was added under /HIDDEN")
                code, _ = h.run_tool(tool, command, tray.MAIN_TITLE)
                self.assertEqual(code, 0, "main window not found")
                self.assertEqual(p.wait_exit(30), 0)
                self.assertNotIn(QUIT_LINE, p.texts())


if __name__ == "__main__":
    h.main()
