# One running instance per program file: a second start of the same file tells the user (with
# QuitMode "0"), logs the error line and ends with exit code 0; copies elsewhere run beside it.
import os
import unittest

import harness as h

ALREADY_TEXT = "Das Programm läuft schon und darf nur einmal gestartet werden!"
ALREADY_LINE = "Das Programm läuft schon und wurde erneut gestartet!"

# Lines every instance writes before the guard decides.
LINES_BEFORE_GUARD = [
    ">>>>>>>>>> Programm wurde gestartet",
    "Versuche auf Programmverzeichnis zu schreiben",
    "Programmverzeichnis Testfile konnte angelegt werden.",
    "Suche/Nutze CONF-File:",
    "Suche/Nutze LOG -File:",
    "Lese Conf File:",
    "Gültiges Verzeichnis zur Überwachung:",
    "Programm-Semaphor:",
]


class InstanceCase(unittest.TestCase):
    def setUp(self):
        h.require_session()
        self.folder = h.ProgramFolder()
        self.addCleanup(self.folder.cleanup)

    def write_conf(self, folder, quit_mode):
        folder.write_conf(h.conf_text(QuitMode=quit_mode, Pollintervall="1", NotifyActDay="0"))

    def start_second_and_check(self, folder, quit_mode, log_from):
        """Starts folder's program while its name is taken and checks the way it ends.
        log_from: the number of log lines written before this start."""
        p = folder.start()
        try:
            if quit_mode == "0":
                caption = folder.exe_name + "-Error"
                windows = h.find_windows(caption, wait=30, image=folder.exe_windows)
                self.assertEqual(len(windows), 1, windows)
                self.assertIn(ALREADY_TEXT, h.window_texts(windows[0]))
                # The error line comes after the box is closed.
                self.assertNotIn(ALREADY_LINE, [t for _, t in h.log_entries(folder.log_path())[log_from:]])
                self.assertIsNone(h.wait_exit(p, 1))
                self.assertTrue(h.press_enter(caption))
            self.assertEqual(h.wait_exit(p, 30), 0)
        finally:
            h.stop_process(p)
        entries = h.log_entries(folder.log_path())[log_from:]
        texts = [t for _, t in entries]
        h.assert_in_order(self, texts, LINES_BEFORE_GUARD)
        self.assertIn("Programm-Semaphor:" + h.instance_name(folder.exe_windows), texts)
        self.assertEqual(entries[-1], ("ERR", ALREADY_LINE))
        self.assertFalse(any(t.startswith("Startzeit des Rechners:") for t in texts))
        self.assertEqual(h.find_windows(folder.exe_name + "-Error"), [])


class NameTakenByAnotherProcess(InstanceCase):
    """The name is held by a helper exactly as a running first instance holds it."""

    def test_second_start_ends_with_and_without_box(self):
        for quit_mode in ("0", "1"):
            with self.subTest(QuitMode=quit_mode):
                folder = h.ProgramFolder()
                try:
                    self.write_conf(folder, quit_mode)
                    with h.HeldSemaphore(h.instance_name(folder.exe_windows)):
                        self.start_second_and_check(folder, quit_mode, 0)
                finally:
                    folder.cleanup()

    def test_a_new_start_succeeds_once_the_name_is_free(self):
        self.write_conf(self.folder, "1")
        with h.HeldSemaphore(h.instance_name(self.folder.exe_windows)):
            self.start_second_and_check(self.folder, "1", 0)
        before = len(h.log_entries(self.folder.log_path()))
        self.assertEqual(self.folder.run(), 0)
        texts = [t for _, t in h.log_entries(self.folder.log_path())[before:]]
        self.assertNotIn(ALREADY_LINE, texts)
        self.assertTrue(any(t.startswith("Startzeit des Rechners:") for t in texts), texts)

    def test_the_same_file_under_local_has_the_same_name(self):
        self.folder.write_conf(h.conf_text(QuitMode="1", Pollintervall="1"), local=True)
        with h.HeldSemaphore(h.instance_name(self.folder.exe_windows)):
            self.assertEqual(self.folder.run("/LOCAL"), 0)
        entries = h.log_entries(self.folder.log_path(local=True))
        self.assertEqual(entries[-1], ("ERR", ALREADY_LINE))


class TwoRealInstances(InstanceCase):
    """Needs a first instance that keeps running after start-up (the tray program)."""

    def start_first(self, folder):
        p = folder.start()
        self.addCleanup(h.stop_process, p)
        windows = h.find_windows(h.MAIN_WINDOW_TITLE, wait=30, image=folder.exe_windows)
        if not windows:
            code = h.wait_exit(p, 0)
            self.fail("first instance shows no main window (exit code %s)" % code)
        return p

    def test_second_start_beside_a_running_first(self):
        self.write_conf(self.folder, "0")
        first = self.start_first(self.folder)
        before = len(h.log_entries(self.folder.log_path()))
        self.start_second_and_check(self.folder, "0", before)
        self.assertIsNone(h.wait_exit(first, 0), "the first instance keeps running")

        # A copy of the same program in another folder has its own name and runs beside it.
        # Both copies share the file name, and so their log and configuration under APPDATA.
        other = h.ProgramFolder(exe_name=self.folder.exe_name, subdir="andere Kopie")
        self.addCleanup(other.cleanup)
        before = len(h.log_entries(other.log_path()))
        other_first = self.start_first(other)
        other_texts = [t for _, t in h.log_entries(other.log_path())[before:]]
        self.assertNotIn(ALREADY_LINE, other_texts)
        self.assertNotEqual(h.instance_name(other.exe_windows), h.instance_name(self.folder.exe_windows))
        self.assertEqual(h.end_program(other_first, other.exe_windows), 0)

        # After the first ends, a new start of the same file succeeds.
        self.assertEqual(h.end_program(first, self.folder.exe_windows), 0)
        before = len(h.log_entries(self.folder.log_path()))
        third = self.start_first(self.folder)
        texts = [t for _, t in h.log_entries(self.folder.log_path())[before:]]
        self.assertNotIn(ALREADY_LINE, texts)
        self.assertTrue(any(t.startswith("Startzeit des Rechners:") for t in texts), texts)
        self.assertEqual(h.end_program(third, self.folder.exe_windows), 0)


if __name__ == "__main__":
    h.main()
