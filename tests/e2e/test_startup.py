# Start-up of the real program under Wine: data folders, the first lines of the log, the
# switches, an unusable watch folder, the write tests and the boot-time rule for LastMessage.
import datetime
import os
import re
import unittest

import harness as h

class StartupCase(unittest.TestCase):
    def setUp(self):
        h.require_session()
        self.folder = h.ProgramFolder()
        self.addCleanup(self.folder.cleanup)

    def entries(self, local=False):
        return h.log_entries(self.folder.log_path(local))

    def texts(self, local=False):
        return [t for _, t in self.entries(local)]

    def run_ok(self, *args, timeout=60):
        self.assertEqual(self.folder.run(*args, timeout=timeout), 0)


class DataRootAndFirstStart(StartupCase):
    def test_creates_the_data_folders_under_appdata_and_ends_with_0(self):
        h.remove_appdata_notiwell()
        root = h.appdata_notiwell_linux()
        self.assertFalse(os.path.exists(root))
        self.run_ok()
        self.assertTrue(os.path.isdir(root))
        self.assertTrue(os.path.isdir(os.path.join(root, "log")))
        self.assertTrue(os.path.isfile(self.folder.log_path()))

    def test_first_start_without_configuration(self):
        self.assertFalse(os.path.exists(self.folder.conf_path()))
        self.run_ok()
        conf_win = h.appdata_windows() + "\\Notiwell\\" + self.folder.conf_name
        log_win = h.appdata_windows() + "\\Notiwell\\log\\" + self.folder.log_name
        entries = self.entries()
        texts = [t for _, t in entries]
        self.assertEqual(texts[0], ">>>>>>>>>> Programm wurde gestartet")
        h.assert_in_order(self, texts, [
            ">>>>>>>>>> Programm wurde gestartet",
            "Versuche auf Programmverzeichnis zu schreiben",
            "Programmverzeichnis Testfile konnte angelegt werden.",
            "Suche/Nutze CONF-File:" + conf_win,
            "Suche/Nutze LOG -File:" + log_win,
            "Kann Conf File:'" + conf_win + "' nicht öffnen",
            "Gültiges Verzeichnis zur Überwachung:" + self.folder.windows,
            "Programm-Semaphor:",
            "QPF System Startzeit war vor ",
            "Startzeit des Rechners:",
            "Startzeit wird als letzte Nachrichtenzeit gesetzt",
        ])
        self.assertIn(("ERR", "Kann Conf File:'" + conf_win + "' nicht öffnen"), entries)
        # Without a configuration nothing of ad hoc runs, and no switch was given.
        self.assertFalse(any(t.startswith("Versuche auf Überwachungsverzeichnis") for t in texts))
        self.assertFalse(any(t.startswith("Programmparameter") for t in texts))
        self.assertFalse(os.path.exists(os.path.join(self.folder.linux, "nw_test.tmp")))

        expected_name = re.sub(r"[\\: .]", "_", self.folder.exe_windows)
        self.assertIn("Programm-Semaphor:" + expected_name, texts)

        key = next(t for t in texts if t.startswith("Startzeit des Rechners:"))[len("Startzeit des Rechners:"):]
        self.assertRegex(key, r"^\d{14}$")
        self.assertEqual(h.read_bytes(self.folder.conf_path()),
                         h.BOM + b"\r\n[Global]\r\nLastMessage = " + key.encode() + b"\r\n")

    def test_boot_key_is_the_log_time_minus_the_uptime(self):
        self.run_ok()
        raw = h.read_log(self.folder.log_path()).split("\r\n")
        uptime = stamp = key = None
        for line in raw:
            m = re.search(r"\[LOG\] QPF System Startzeit war vor (\d+) Tage\(n\), (\d+) Stunden, (\d+) Minuten, "
                          r"(\d+) Sekunden$", line)
            if m:
                d, hh, mm, ss = map(int, m.groups())
                self.assertTrue(hh < 24 and mm < 60 and ss < 60, line)
                uptime = ((d * 24 + hh) * 60 + mm) * 60 + ss
            m = re.search(r"^(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d) .*\[LOG\] Startzeit des Rechners:(\d{14})$", line)
            if m:
                stamp = datetime.datetime.strptime(m.group(1), "%d.%m.%Y %H:%M:%S")
                key = datetime.datetime.strptime(m.group(2), "%Y%m%d%H%M%S")
        self.assertIsNotNone(uptime)
        self.assertIsNotNone(key)
        drift = (stamp - key).total_seconds() - uptime
        self.assertLessEqual(abs(drift), 2, "boot %s, log time %s, uptime %ss" % (key, stamp, uptime))


class Switches(StartupCase):
    def test_switches_in_any_case_and_look_alikes(self):
        cases = [
            # args, local, hidden
            (["/local"], True, False),
            (["/hidden"], False, True),
            (["/HIDDEN", "/Local", "/LOCAL"], True, True),
            (["-LOCAL", "/LOCAL:x", "-hidden"], False, False),
            (["/LOCAL /HIDDEN"], False, False),  # one parameter with a blank inside
        ]
        for args, local, hidden in cases:
            with self.subTest(args=args):
                folder = h.ProgramFolder()
                try:
                    self.assertEqual(folder.run(*args), 0)
                    entries = h.log_entries(folder.log_path(local))
                    texts = [t for _, t in entries]
                    self.assertEqual(texts[0], ">>>>>>>>>> Programm wurde gestartet")
                    self.assertEqual("Programmparameter /LOCAL erkannt." in texts, local)
                    self.assertEqual("Programmparameter /HIDDEN erkannt." in texts, hidden)
                    if local and hidden:
                        h.assert_in_order(self, texts, ["Programmparameter /LOCAL erkannt.",
                                                        "Programmparameter /HIDDEN erkannt."])
                    other_log = folder.log_path(not local)
                    self.assertFalse(os.path.exists(other_log), other_log)
                    # The configuration written by the boot-time rule lies where the log lies.
                    self.assertTrue(os.path.isfile(folder.conf_path(local)))
                    self.assertFalse(os.path.exists(folder.conf_path(not local)))
                    if local:
                        conf_win = folder.windows + folder.conf_name
                        self.assertIn("Suche/Nutze CONF-File:" + conf_win, texts)
                        self.assertIn("Suche/Nutze LOG -File:" + folder.windows + "log\\" + folder.log_name, texts)
                finally:
                    folder.cleanup()

    def test_local_reads_the_configuration_in_the_program_folder(self):
        watch_linux, watch_win = h.temp_windows_dir()
        self.addCleanup(h.shutil.rmtree, watch_linux, True)
        self.folder.write_conf(h.conf_text(WatchDir=watch_win, Pollintervall="1"), local=True)
        # A configuration under APPDATA pointing elsewhere must not be read.
        self.folder.write_conf(h.conf_text(WatchDir="C:\\nicht_diese"), local=False)
        self.run_ok("/LOCAL")
        texts = self.texts(local=True)
        self.assertIn("Gültiges Verzeichnis zur Überwachung:" + watch_win, texts)
        self.assertFalse(os.path.exists(self.folder.log_path(local=False)))


class WatchFolder(StartupCase):
    def test_missing_watch_folder_with_and_without_box(self):
        for quit_mode, box in (("0", True), ("1", False)):
            with self.subTest(QuitMode=quit_mode):
                folder = h.ProgramFolder()
                try:
                    missing = folder.windows + "fehlt"
                    folder.write_conf(h.conf_text(WatchDir=missing, QuitMode=quit_mode, Pollintervall="1"))
                    p = folder.start()
                    try:
                        if box:
                            h.wait_for_log(folder.log_path(), "Ungültiges Verzeichnis zur Überwachung:", 30, "ERR")
                            windows = h.find_windows(folder.exe_name, wait=20)
                            self.assertEqual(len(windows), 1, windows)
                            texts = h.window_texts(windows[0])
                            self.assertIn("Ungültiges Verzeichnis zur Überwachung:\r" + missing +
                                          "\\\rProgramm wird beendet.", texts)
                            self.assertIn("OK", texts)
                            # The program waits for the box.
                            self.assertIsNone(h.wait_exit(p, 1))
                            self.assertTrue(h.press_enter(folder.exe_name))
                        self.assertEqual(h.wait_exit(p, 30), 0)
                    finally:
                        h.stop_process(p)
                    if not box:
                        self.assertEqual(h.find_windows(folder.exe_name), [])
                    entries = h.log_entries(folder.log_path())
                    self.assertEqual(entries[-1], ("ERR", "Ungültiges Verzeichnis zur Überwachung:" + missing + "\\"))
                finally:
                    folder.cleanup()

    def test_watch_folder_gets_its_trailing_backslash(self):
        watch_linux, watch_win = h.temp_windows_dir()
        self.addCleanup(h.shutil.rmtree, watch_linux, True)
        self.folder.write_conf(h.conf_text(WatchDir=watch_win.rstrip("\\"), Pollintervall="1"))
        self.run_ok()
        self.assertIn("Gültiges Verzeichnis zur Überwachung:" + watch_win, self.texts())

    def test_write_tests_in_a_writable_and_an_unwritable_folder(self):
        cases = [
            # name, watch folder writable, program folder writable
            ("both writable", True, True),
            ("watch folder unwritable", False, True),
            ("program folder unwritable", True, False),
        ]
        for name, watch_ok, program_ok in cases:
            with self.subTest(name):
                folder = h.ProgramFolder()
                watch_linux, watch_win = h.temp_windows_dir()
                try:
                    folder.write_conf(h.conf_text(WatchDir=watch_win, AllowAdhoc="1", Pollintervall="1"))
                    if not watch_ok:
                        h.make_unwritable(watch_linux)
                    if not program_ok:
                        h.make_unwritable(folder.linux)
                    self.assertEqual(folder.run(), 0)
                    texts = [t for _, t in h.log_entries(folder.log_path())]
                    ok_line = "Überwachungsverzeichnis Testfile konnte angelegt werden. Adhoc wird aktiviert."
                    fail_line = ("Überwachungsverzeichnis Testfile konnte nicht angelegt werden. "
                                 "Adhoc ist nicht möglich.")
                    h.assert_in_order(self, texts, [
                        "Gültiges Verzeichnis zur Überwachung:" + watch_win,
                        "Versuche auf Überwachungsverzeichnis zu schreiben",
                        ok_line if watch_ok else fail_line,
                        "Programm-Semaphor:",
                    ])
                    self.assertNotIn(fail_line if watch_ok else ok_line, texts)
                    program_line = ("Programmverzeichnis Testfile konnte angelegt werden." if program_ok else
                                    "Programmverzeichnis Testfile konnte nicht angelegt werden.")
                    h.assert_in_order(self, texts, ["Versuche auf Programmverzeichnis zu schreiben", program_line,
                                                    "Suche/Nutze CONF-File:"])
                    self.assertIn(("LOG", program_line), h.log_entries(folder.log_path()))
                    self.assertEqual(os.listdir(watch_linux), [])
                    self.assertFalse(os.path.exists(os.path.join(folder.linux, "nw_test.tmp")))
                finally:
                    h.make_writable(watch_linux)
                    h.make_writable(folder.linux)
                    h.shutil.rmtree(watch_linux, ignore_errors=True)
                    folder.cleanup()

    def test_no_write_test_unless_allow_adhoc_is_1(self):
        watch_linux, watch_win = h.temp_windows_dir()
        self.addCleanup(h.shutil.rmtree, watch_linux, True)
        self.folder.write_conf(h.conf_text(WatchDir=watch_win, AllowAdhoc="yes", Pollintervall="1"))
        self.run_ok()
        self.assertFalse(any("Überwachungsverzeichnis Testfile" in t or "Versuche auf Überwachungsverzeichnis" in t
                             for t in self.texts()))


class BootTimeRule(StartupCase):
    def test_last_message_kept_or_raised(self):
        for last, raised in (("20991231000000", False), ("20180101120000", True), ("", True)):
            with self.subTest(LastMessage=last):
                folder = h.ProgramFolder()
                try:
                    folder.write_conf(h.conf_text(LastMessage=last, Pollintervall="1", Debug="0"))
                    before = h.read_bytes(folder.conf_path())
                    self.assertEqual(folder.run(), 0)
                    texts = [t for _, t in h.log_entries(folder.log_path())]
                    key = next(t for t in texts if t.startswith("Startzeit des Rechners:")).split(":", 1)[1]
                    after = h.read_bytes(folder.conf_path())
                    self.assertEqual("Startzeit wird als letzte Nachrichtenzeit gesetzt" in texts, raised)
                    if raised:
                        self.assertIn(b"LastMessage = " + key.encode() + b"\r\n", after)
                        self.assertNotIn(b"LastMessage = " + last.encode() + b"\r\n", after)
                        # The other keys survive the rewrite.
                        self.assertIn(b"Pollintervall = 1\r\n", after)
                    else:
                        self.assertEqual(after, before)
                finally:
                    folder.cleanup()


if __name__ == "__main__":
    h.main()
