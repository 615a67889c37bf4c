# Faults and bad input in message files, met by the running program: a writer mid-write, a
# file held open or pending deletion, binary garbage, 100 MB, 10,000 lines, odd names, long
# paths, and texts that try to make the program do something. The program must keep running,
# show every message once, and log what happened.
import os
import random
import time
import unittest

import fault_env as f
import harness as h


class MessageFaults(unittest.TestCase):
    def setUp(self):
        h.require_session()
        self.watch_linux, self.watch = h.temp_windows_dir("nw_watch_")
        self.addCleanup(h.shutil.rmtree, self.watch_linux, True)

    def start(self, **extra):
        return f.Running(self, self.watch, **extra)

    def drop(self, n, text="Hallo", suffix=""):
        name = f.Message.name(n, suffix)
        f.write_message(self.watch_linux, name, text)
        return name

    def settle(self, run, names, timeout=60):
        """Acknowledges message windows and error boxes until every name was shown and closed."""
        deadline = time.monotonic() + timeout
        pending = list(names)
        while pending:
            self.assertLess(time.monotonic(), deadline, "not shown: %s; log:\n%s"
                            % (pending, "\n".join(run.texts()[-40:])))
            name = pending[0]
            if run.count("Beende Message:" + self.watch + name) >= 1:
                pending.pop(0)
                continue
            if not h.click_button(run.message_title(name), "Ok", wait=0.5, image=run.folder.exe_windows):
                h.click_button(run.folder.exe_name, "OK", wait=0, image=run.folder.exe_windows)

    def test_writer_mid_write_loses_nothing(self):
        run = self.start()
        # Each writer holds its file for most of a poll interval, so polls meet some of them
        # mid-write; all must be shown whole.
        names = []
        for n in range(1, 4):
            name = f.Message.name(n)
            names.append(name)
            code, _ = h.run_tool("faultfile", "slowwrite", self.watch + name, "900", "ganz geschrieben %d" % n)
            self.assertEqual(code, 0)
        self.settle(run, names)
        for n, name in enumerate(names, 1):
            self.assertIn("Inhalt Message:\rganz geschrieben %d\r" % n, run.texts())
        met = run.count("Nachrichtendatei war noch in Benutzung, gelesen nach ")
        self.assertFalse(any(t.startswith("Fehler beim Lesen der Message:") for t in run.texts()))
        run.wait_polls(2)
        for name in names:
            self.assertEqual(run.shown(self.watch + name), 1)
        run.stop()
        if met == 0:
            self.skipTest("no poll met a writer mid-write this time")

    def test_held_and_pending_delete_files_take_the_read_failure_path(self):
        run = self.start()
        for n, how in ((1, "held"), (2, "pending delete")):
            with self.subTest(how):
                name = self.drop(n, "gesperrt")
                path = self.watch + name
                ready_linux, ready = h.temp_windows_dir("nw_ready_")
                if how == "held":
                    holder = h.HeldFile(path, share="none")
                    release = holder.close
                else:
                    proc = h.start_process([h.WINE, os.path.join(h.NOTIWELL_TOOLS, "faultfile.exe"),
                                            "pendingdelete", path, ready + "ready.txt"])
                    state = h.wait_until(lambda: h._read_if_exists(os.path.join(ready_linux, "ready.txt")),
                                         30, "faultfile ready")
                    self.assertEqual(state, "held")
                    release = lambda: h.stop_process(proc)
                try:
                    run.acknowledge_box()
                    self.assertIn(("ERR", "Fehler beim Lesen der Message:" + path), run.entries())
                finally:
                    release()
                    h.shutil.rmtree(ready_linux, True)
                # The key was recorded: the file is not tried again once it is free.
                run.wait_polls(2)
                self.assertEqual(run.count("Neue Message:" + path), 1)
                self.assertEqual(run.shown(path), 0)
        # Still polling: the next message is shown.
        name = self.drop(3, "weiter")
        self.settle(run, [name])
        run.stop()

    def test_garbage_huge_and_long_files_are_shown_cut(self):
        run = self.start()
        rnd = random.Random(7)
        garbage = self.drop(1, bytes(rnd.getrandbits(8) for _ in range(300000)))
        # 100 MB, sparse: some text, then zeros.
        huge = f.Message.name(2)
        tmp = os.path.join(self.watch_linux, "huge.part")
        with open(tmp, "wb") as out:
            out.write(b"Anfang einer riesigen Datei\r\n")
            out.truncate(100 * 1024 * 1024)
        os.rename(tmp, os.path.join(self.watch_linux, huge))
        lines = self.drop(3, "\r\n".join("Zeile %d" % i for i in range(1, 10001)))
        started = time.monotonic()
        self.settle(run, [garbage, huge, lines], timeout=90)
        self.assertLess(time.monotonic() - started, 60)
        texts = run.texts()
        for name in (garbage, huge, lines):
            self.assertIn("Nachricht wurde nach 65536 Bytes abgeschnitten:" + self.watch + name, texts)
        self.assertTrue(any(t.startswith("Inhalt Message:\rAnfang einer riesigen Datei\r") for t in texts))
        self.assertTrue(any(t.startswith("Inhalt Message:\rZeile 1\rZeile 2\r") for t in texts))
        # The tall ones were clamped to the screen, with the error line.
        self.assertIn(("ERR", "FaktorHeight der Nachricht ist größer als Desktop"), run.entries())
        run.wait_polls(2)
        for name in (garbage, huge, lines):
            self.assertEqual(run.shown(self.watch + name), 1)
        run.stop()

    def test_odd_names_are_shown_under_their_own_name(self):
        run = self.start()
        names = [
            f.Message.name(1, " Grüße aus Köln"),
            f.Message.name(2, " \u0416\u4e2d\u2713"),           # not in the ANSI code page
            f.Message.name(3, "_" + "x" * (255 - 15 - 1 - 4)),  # 255 characters in all
        ]
        self.assertEqual(len(names[2]), 255)
        for i, name in enumerate(names):
            f.write_message(self.watch_linux, name, "Name %d" % i)
        for i, name in enumerate(names):
            run.acknowledge(name)
            h.wait_for_log(run.log_path, "Beende Message:")
        h.wait_until(lambda: run.count("Beende Message:") >= 3, 30, "three messages closed")
        texts = run.texts()
        for i in range(3):
            self.assertIn("Inhalt Message:\rName %d\r" % i, texts)
        # The log holds the names in the ANSI code page: what it lacks becomes "?".
        self.assertIn("Zeige Message:" + self.watch + names[0] + ";FaktorH:0;FaktorW:0", texts)
        self.assertIn("Zeige Message:" + self.watch + f.Message.name(2, " ???") + ";FaktorH:0;FaktorW:0", texts)
        self.assertFalse(any(m == "ERR" for m, _ in run.entries()))
        run.stop()

    def test_paths_near_260_characters(self):
        # Subdirectories so deep that folder and name together come to 259 to 300 characters,
        # polled by one program as its WatchSubDir list.
        subdirs, expected = [], []
        for n, total in enumerate((259, 260, 261, 300), 1):
            name = f.Message.name(n)
            parts, left = [], total - len(self.watch) - len(name)
            while left > 0:
                part = min(left, 100)
                if left - part == 1:
                    part -= 1  # no folder name may be empty
                parts.append(chr(ord("a") + n) * (part - 1) + "\\")
                left -= part
            sub = "".join(parts)
            self.assertEqual(len(self.watch + sub + name), total)
            linux = os.path.join(self.watch_linux, sub.replace("\\", "/"))
            os.makedirs(linux)
            f.write_message(linux, name, "tief %d" % total)
            subdirs.append(sub)
            expected.append((self.watch + sub, name, total))
        run = self.start(WatchSubDir=",".join(subdirs))
        for folder, name, total in expected:
            with self.subTest(total=total):
                run.acknowledge(name)
                h.wait_for_log(run.log_path, "Beende Message:" + folder + name)
                self.assertIn("Inhalt Message:\rtief %d\r" % total, run.texts())
        self.assertFalse(any(m == "ERR" for m, _ in run.entries()))
        run.stop()

    def test_message_text_and_name_are_only_displayed(self):
        run = self.start()
        marker = os.path.join(h.DRIVE_C, h.E2E_ROOT_NAME, "nw_pwned.txt")
        text = ("%s%n%x%d {0} &Ok &&\r\n"
                "cmd /c echo x > C:\\nw_e2e\\nw_pwned.txt\r\n"
                "$(echo x > /tmp/nw_pwned) `calc` file:///C:/nw_e2e/nw_pwned.txt \\\\server\\share\r\n"
                "..\\..\\..\\Windows\\notepad.exe")
        name = f.Message.name(1, " %s%n&..&")
        before = {p: sorted(os.listdir(p)) for p in (self.watch_linux, run.folder.linux)}
        f.write_message(self.watch_linux, name, text)
        window = h.find_windows(run.message_title(name), wait=30, image=run.folder.exe_windows)
        self.assertTrue(window, "no message window")
        shown = text.replace("\r\n", "\r") + "\r"
        self.assertIn(shown, h.window_texts(window[0]))
        run.acknowledge(name)
        h.wait_for_log(run.log_path, "Beende Message:" + self.watch + name)
        self.assertIn("Inhalt Message:\r" + shown, run.texts())
        run.wait_polls(2)
        self.assertFalse(os.path.exists(marker))
        self.assertFalse(os.path.exists("/tmp/nw_pwned"))
        self.assertEqual(sorted(os.listdir(self.watch_linux)), sorted(before[self.watch_linux] + [name]))
        self.assertEqual(sorted(os.listdir(run.folder.linux)), before[run.folder.linux])
        self.assertEqual(run.shown(self.watch + name), 1)
        run.stop()


if __name__ == "__main__":
    h.main()
