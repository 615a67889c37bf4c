# Faults of the log and of the watch folder, met by the running program: the log folder gone,
# the log file held open, a rotated name already taken; the watch folder on a share that goes
# away and comes back; two instances with their own configurations polling one folder.
import datetime
import os
import shutil
import time
import unittest

import fault_env as f
import harness as h


class Faults(unittest.TestCase):
    def setUp(self):
        h.require_session()
        self.watch_linux, self.watch = h.temp_windows_dir("nw_watch_")
        self.addCleanup(shutil.rmtree, self.watch_linux, True)

    def drop(self, n, text="Hallo", linux_dir=None):
        name = f.Message.name(n)
        f.write_message(linux_dir or self.watch_linux, name, text)
        return name

    def assert_no_window_again(self, run, names, seconds=3):
        time.sleep(seconds)
        for name in names:
            self.assertFalse(h.find_windows(run.message_title(name), image=run.folder.exe_windows), name)

    def test_log_folder_missing_and_log_file_held(self):
        run = f.Running(self, self.watch)
        log_dir = os.path.dirname(run.log_path)
        for n, how in ((1, "log folder removed"), (2, "log file held open")):
            with self.subTest(how):
                if n == 1:
                    shutil.rmtree(log_dir)
                    release = lambda: os.makedirs(log_dir)
                else:
                    holder = h.HeldFile(h.to_windows(run.log_path), share="none")
                    release = holder.close
                try:
                    name = self.drop(n, "ohne Log %d" % n)
                    run.acknowledge(name)
                    self.assert_no_window_again(run, [name])
                    self.assertTrue(run.running())
                finally:
                    release()
                # Lines are written again, and they do not show the message a second time.
                h.wait_for_log(run.log_path, f.POLL_LINE)
                run.wait_polls(2)
                self.assertEqual(run.count("Zeige Message:" + self.watch + name), 0)
        run.stop()

    def test_rotated_name_already_taken(self):
        run = f.Running(self, self.watch)
        # Past the rotation size, and every rotated name of the next minute already taken.
        filler = b"01.01.2000 00:00:00 fuell [LOG] " + b"x" * 200 + b"\r\n"
        with open(run.log_path, "ab") as log:
            log.write(filler * (1000000 // len(filler) + 1))
        taken = {}
        now = datetime.datetime.now()
        for s in range(-2, 60):
            stamp = (now + datetime.timedelta(seconds=s)).strftime("%d%m%Y_%H%M%S")
            path = run.log_path + "_" + stamp
            with open(path, "wb") as out:
                out.write(b"alt " + stamp.encode())
            taken[path] = b"alt " + stamp.encode()
        self.addCleanup(lambda: [os.unlink(p) for p in taken if os.path.exists(p)])
        size = os.path.getsize(run.log_path)
        name = self.drop(1, "trotz Rotation")
        run.acknowledge(name)
        h.wait_until(lambda: h.read_log(run.log_path).count("Beende Message:" + self.watch + name), 20,
                     "the message's last line in the large log")
        self.assertGreater(os.path.getsize(run.log_path), size, "lines went nowhere")
        for path, content in taken.items():
            self.assertEqual(h.read_bytes(path), content, "a rotated file was replaced")
        # Once the names are free again, the large file is moved aside and a new log begins.
        for path in taken:
            os.unlink(path)
        h.wait_until(lambda: os.path.getsize(run.log_path) < 100000, 20, "the rotation")
        rotated = [p for p in os.listdir(os.path.dirname(run.log_path))
                   if p.startswith(os.path.basename(run.log_path) + "_")]
        self.assertEqual(len(rotated), 1)
        self.assertIn("Beende Message:" + self.watch + name,
                      h.read_log(os.path.join(os.path.dirname(run.log_path), rotated[0])))
        self.addCleanup(os.unlink, os.path.join(os.path.dirname(run.log_path), rotated[0]))
        run.stop()

    def test_watch_share_goes_away_and_comes_back(self):
        drive = f.Drive(self, self.watch_linux)
        watch = drive.root
        run = f.Running(self, watch)
        first = self.drop(1, "vorher")
        run.acknowledge(first)
        h.wait_for_log(run.log_path, "Beende Message:" + watch + first)
        drive.detach()
        run.wait_polls(2)
        second = self.drop(2, "waehrend")
        run.wait_polls(3)
        self.assertEqual(run.count("Neue Message:"), 1, "a poll found something on the missing share")
        self.assertTrue(run.running())
        drive.attach()
        run.acknowledge(second)
        h.wait_for_log(run.log_path, "Beende Message:" + watch + second)
        run.wait_polls(3)
        self.assertEqual(run.shown(watch + first), 1)
        self.assertEqual(run.shown(watch + second), 1)
        run.stop()

    def test_two_instances_show_every_message_once(self):
        runs = [f.Running(self, self.watch) for _ in range(2)]
        names = [self.drop(n, "an alle %d" % n) for n in (1, 2, 3)]
        for name in names:
            for run in runs:
                run.acknowledge(name)
        for run in runs:
            h.wait_for_log(run.log_path, "Beende Message:" + self.watch + names[-1])
        for run in runs:
            run.wait_polls(2)
            for n, name in enumerate(names, 1):
                self.assertEqual(run.shown(self.watch + name), 1, (run.title, name))
                self.assertIn("Inhalt Message:\ran alle %d\r" % n, run.texts())
            self.assertFalse(any(t.startswith("Fehler beim Lesen der Message:") for t in run.texts()))
        for run in runs:
            run.stop()


if __name__ == "__main__":
    h.main()
