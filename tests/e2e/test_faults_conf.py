# Faults of the configuration file, met by the running program: read-only, held open by
# another process, 100,000 lines, invalid UTF-8 after the byte-order mark, a full disk. Each
# message is shown once per run, and the file is never corrupted.
import os
import shutil
import time
import unittest

import fault_env as f
import harness as h


class ConfFaults(unittest.TestCase):
    def setUp(self):
        h.require_session()
        self.watch_linux, self.watch = h.temp_windows_dir("nw_watch_")
        self.addCleanup(shutil.rmtree, self.watch_linux, True)

    def drop(self, n, text="Hallo"):
        name = f.Message.name(n)
        f.write_message(self.watch_linux, name, text)
        return name

    def show_and_close(self, run, n):
        name = self.drop(n, "Nachricht %d" % n)
        run.acknowledge(name)
        h.wait_for_log(run.log_path, "Beende Message:" + self.watch + name)
        return name

    def assert_shown_once(self, run, names, polls=3):
        run.wait_polls(polls)
        for name in names:
            self.assertEqual(run.shown(self.watch + name), 1, name)

    def test_read_only_configuration(self):
        folder = h.ProgramFolder()
        self.addCleanup(folder.cleanup)
        folder.write_conf(h.conf_text(WatchDir=self.watch, Pollintervall="1", NotifyActDay="0",
                                      NotifyActTime="0", QuitMode="1"))
        before = h.read_bytes(folder.conf_path())
        f.Immutable(self, folder.conf_path())
        run = f.Running(self, self.watch, folder=folder, keep_conf=True)
        names = [self.show_and_close(run, n) for n in (1, 2)]
        self.assert_shown_once(run, names)
        self.assertEqual(h.read_bytes(folder.conf_path()), before)
        self.assertIn(("ERR", "LastMessage konnte nicht in die Konfigurationsdatei geschrieben werden:"
                       "20990101000002"), run.entries())
        run.stop()

    def test_configuration_held_open_by_another_process(self):
        run = f.Running(self, self.watch)
        first = self.show_and_close(run, 1)
        before = h.read_bytes(run.conf_path)
        with h.HeldFile(h.to_windows(run.conf_path), share="none"):
            held = [self.show_and_close(run, n) for n in (2, 3)]
            self.assert_shown_once(run, [first] + held)
            self.assertEqual(h.read_bytes(run.conf_path), before)
        self.assertEqual(run.count("Konfigurationsdatei kann nicht gelesen werden:"), 1)
        # Released: the file is as it was, nothing is shown again, the next record reaches it.
        self.assert_shown_once(run, [first] + held)
        last = self.show_and_close(run, 4)
        self.assertIn(b"LastMessage = 20990101000004\r\n", h.read_bytes(run.conf_path))
        self.assertIn("LastMessage wird wieder in der Konfigurationsdatei gespeichert:20990101000004", run.texts())
        self.assert_shown_once(run, [first] + held + [last])
        run.stop()

    def test_configuration_of_100000_lines(self):
        lines = ["[Global]", "WatchDir = " + self.watch, "Pollintervall = 1", "NotifyActDay = 0",
                 "NotifyActTime = 0", "QuitMode = 1"]
        lines += ["; Kommentar %d" % i if i % 2 else "Schluessel%d = Wert %d" % (i, i) for i in range(99990)]
        lines += ["[Andere]", "Zuletzt = ja"]
        text = "\r\n".join(lines) + "\r\n"
        folder = h.ProgramFolder()
        self.addCleanup(folder.cleanup)
        started = time.monotonic()
        run = f.Running(self, self.watch, folder=folder, conf=text)
        self.assertLess(time.monotonic() - started, 30, "start-up with a long configuration")
        started = time.monotonic()
        names = [self.show_and_close(run, n) for n in (1, 2, 3)]
        self.assertLess(time.monotonic() - started, 45, "three polls with a long configuration")
        self.assert_shown_once(run, names)
        run.stop()
        written = h.read_bytes(run.conf_path).decode("utf-8")
        kept = written.split("\r\n")
        # Every entry survives the rewrites, in its place; LastMessage went into group Global.
        self.assertIn("Schluessel99988 = Wert 99988", kept)
        self.assertIn("; Kommentar 99989", kept)
        self.assertEqual(kept[-3:], ["[Andere]", "Zuletzt = ja", ""])
        self.assertEqual(len(kept), len(lines) + 1 + 2)  # empty first line, LastMessage, final CR LF
        self.assertLess(kept.index("LastMessage = 20990101000003"), kept.index("[Andere]"))

    def test_invalid_utf8_after_the_byte_order_mark(self):
        bad = b"\xff\xfe\xc3(\xe2\x82"
        conf = (h.BOM + b"\r\n[Global]\r\nWatchDir = " + self.watch.encode() + b"\r\nKaputt = " + bad +
                b"\r\n; Kommentar " + bad + b"\r\nPollintervall = 1\r\nNotifyActDay = 0\r\nQuitMode = 1\r\n")
        run = f.Running(self, self.watch, conf=conf)
        name = self.show_and_close(run, 1)
        self.assert_shown_once(run, [name])
        run.stop()
        written = h.read_bytes(run.conf_path)
        # The bytes the program cannot decode are kept as they were.
        self.assertIn(b"\r\nKaputt = " + bad + b"\r\n", written)
        self.assertIn(b"\r\n; Kommentar " + bad + b"\r\n", written)
        self.assertIn(b"\r\nLastMessage = 20990101000001\r\n", written)

    def test_full_disk_under_configuration_and_log(self):
        # The program folder is a small file system of its own; with /LOCAL the configuration
        # and the log live there. Once it is full, records and log lines cannot be written.
        folder = h.ProgramFolder()
        self.addCleanup(folder.cleanup)
        disk = f.SmallDisk(self, size_kb=os.path.getsize(h.NOTIWELL_EXE) // 1024 + 512, at=folder.linux)
        shutil.copyfile(h.NOTIWELL_EXE, folder.exe_linux)
        # Compact lines without byte-order mark, exactly one page long: the first rewrite has
        # to grow the file into a page the full disk does not have.
        conf = ("[Global]\nWatchDir=%s\nPollintervall=1\nNotifyActDay=0\nNotifyActTime=0\nQuitMode=1\n"
                "LastMessage=20990101000000\n" % self.watch).encode()
        conf += b";" + b"x" * (4096 - len(conf) - 2) + b"\n"
        self.assertEqual(len(conf), 4096)
        run = f.Running(self, self.watch, folder=folder, local=True, conf=conf)
        self.assertEqual(h.read_bytes(run.conf_path), conf, "rewritten at start-up")
        disk.fill()
        with self.assertRaises(OSError):
            with open(os.path.join(folder.linux, "probe.bin"), "wb", buffering=0) as probe:
                probe.write(b"\0" * 8192)
        names = []
        for n in (1, 2):
            name = self.drop(n, "voll %d" % n)
            run.acknowledge(name)
            names.append(name)
        # No window comes again while the disk stays full.
        time.sleep(3)
        for name in names:
            self.assertFalse(h.find_windows(run.message_title(name), image=folder.exe_windows), name)
        self.assertEqual(h.read_bytes(run.conf_path), conf, "the configuration was damaged")
        disk.free()
        last = self.show_and_close(run, 3)
        written = h.read_bytes(run.conf_path)
        self.assertIn(b"LastMessage = 20990101000003\r\n", written)
        self.assertIn(b"; " + b"x" * 10, written)
        time.sleep(2)
        self.assertEqual(run.raw_count("Zeige Message:" + self.watch + last + ";"), 1)
        for name in names:
            self.assertFalse(h.find_windows(run.message_title(name), image=folder.exe_windows), name)
        run.stop()


if __name__ == "__main__":
    h.main()
