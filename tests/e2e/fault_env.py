# The running program for the fault tests: a copy of notiwell.exe polling a watch folder every
# second, and what the tests need around it: message windows and error boxes to acknowledge,
# polls to count, message files to drop, drives that come and go, files that refuse writes.
import os
import shutil
import subprocess
import time
import unittest
import uuid

import harness as h

# Written on every poll while no subdirectories are configured, whatever Debug says: the
# tests count polls by it.
POLL_LINE = "Es scheint keine zu überwachenden SubDirs zu geben"


class Message:
    """Names with keys far above any boot time, growing with n, so each one is new."""

    @staticmethod
    def name(n, suffix=""):
        return "20990101_%06d%s.msg" % (n, suffix)


def write_message(linux_dir, name, text):
    """A message file as any writer leaves it: UTF-8, CR LF, written whole under a temporary
    name and then moved in, so the poll never meets half of it."""
    tmp = os.path.join(linux_dir, "nw_%s.part" % uuid.uuid4().hex[:8])
    with open(tmp, "wb") as f:
        f.write(text if isinstance(text, bytes) else text.encode("utf-8") + b"\r\n")
    os.rename(tmp, os.path.join(linux_dir, name))


class Running:
    """notiwell.exe started on a configuration with these settings and running until stop().

    watch_windows: the WatchDir; extra: further keys of group Global; local: start with
    /LOCAL (configuration and log in the program folder); conf: the whole configuration
    instead; keep_conf: the configuration file is already in place. The program has shown its main
    window when the constructor returns."""

    def __init__(self, case, watch_windows, folder=None, local=False, conf=None, keep_conf=False, **extra):
        self.case = case
        self.folder = folder or h.ProgramFolder()
        if folder is None:
            case.addCleanup(self.folder.cleanup)
        self.local = local
        keys = dict(WatchDir=watch_windows, Pollintervall="1", NotifyActDay="0", NotifyActTime="0",
                    Debug="0", QuitMode="1", AllowAdhoc="0")
        keys.update(extra)
        if not keep_conf:
            self.folder.write_conf(conf if conf is not None else h.conf_text(**keys), local=local)
        self.title = self.folder.exe_name.replace(".exe", "")
        args = ["/LOCAL"] if local else []
        self.process = self.folder.start(*args)
        case.addCleanup(h.stop_process, self.process)
        found = h.find_windows(h.MAIN_WINDOW_TITLE, wait=60, image=self.folder.exe_windows)
        if not found:
            code = h.wait_exit(self.process, 0)
            raise AssertionError("the program showed no main window (exit code %r); log:\n%s"
                                 % (code, "\n".join(self.texts())))

    @property
    def log_path(self):
        return self.folder.log_path(self.local)

    @property
    def conf_path(self):
        return self.folder.conf_path(self.local)

    def texts(self):
        return h.log_texts(self.log_path)

    def entries(self):
        return h.log_entries(self.log_path)

    def raw_count(self, text):
        """Occurrences of text in the log as it is, cut lines included."""
        return h.read_log(self.log_path).count(text)

    def count(self, prefix):
        return sum(1 for t in self.texts() if t.startswith(prefix))

    def polls(self):
        return self.count(POLL_LINE)

    def wait_polls(self, n, timeout=30):
        """Waits until n more polls have run (so every poll in between ended)."""
        target = self.polls() + n
        h.wait_until(lambda: self.polls() >= target, timeout, "%d more polls" % n)

    def running(self):
        return self.process.poll() is None

    def message_title(self, name):
        return "%s (Nachricht:%s)" % (self.title, name)

    def acknowledge(self, name, timeout=30):
        """Presses Ok in the message window of name; fails when none appears."""
        self.case.assertTrue(h.click_button(self.message_title(name), "Ok", wait=timeout,
                                            image=self.folder.exe_windows),
                             "no message window for %s; log:\n%s" % (name, "\n".join(self.texts()[-30:])))

    def acknowledge_box(self, timeout=30):
        """Presses OK in an error box of the program (captioned with its file name)."""
        self.case.assertTrue(h.click_button(self.folder.exe_name, "OK", wait=timeout,
                                            image=self.folder.exe_windows),
                             "no error box; log:\n%s" % "\n".join(self.texts()[-30:]))

    def shown(self, path_windows):
        """How often the message at this path was shown (its "Zeige Message:" lines)."""
        return self.count("Zeige Message:" + path_windows + ";")

    def stop(self):
        """Ends the program through its main window; it must end with exit code 0."""
        self.case.assertTrue(self.running(), "the program ended on its own; log:\n%s"
                             % "\n".join(self.texts()[-30:]))
        self.case.assertEqual(h.end_program(self.process, self.folder.exe_windows), 0)


def free_drive_letter():
    devices = os.path.join(h.WINEPREFIX, "dosdevices")
    for letter in "mnopqrstuvwxy":
        if not os.path.lexists(os.path.join(devices, letter + ":")):
            return letter
    raise unittest.SkipTest("no free drive letter in the Wine prefix")


class Drive:
    """A Wine drive letter that maps a Linux folder; it can be taken away and restored,
    as a network share that goes away and comes back."""

    def __init__(self, case, target):
        self.letter = free_drive_letter()
        self.link = os.path.join(h.WINEPREFIX, "dosdevices", self.letter + ":")
        self.target = target
        self.attach()
        case.addCleanup(self.detach)

    @property
    def root(self):
        return self.letter.upper() + ":\\"

    def attach(self):
        if not os.path.lexists(self.link):
            os.symlink(self.target, self.link)

    def detach(self):
        if os.path.lexists(self.link):
            os.unlink(self.link)


class Immutable:
    """A file that refuses every write, also for root (the immutable attribute); skips the
    test where the file system does not allow it or it does not hold."""

    def __init__(self, case, linux_path):
        if subprocess.call(["chattr", "+i", linux_path], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL) != 0:
            raise unittest.SkipTest("chattr +i not possible on " + linux_path)
        self.path = linux_path
        case.addCleanup(self.release)
        try:
            with open(linux_path, "ab"):
                pass
        except OSError:
            return
        self.release()
        raise unittest.SkipTest("the immutable attribute does not stop writes to " + linux_path)

    def release(self):
        subprocess.call(["chattr", "-i", self.path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class SmallDisk:
    """A tmpfs of size_kb kilobytes mounted at the folder at (a fresh one by default); skips
    where mounting is not allowed. fill() leaves no free byte, free() undoes it."""

    def __init__(self, case, size_kb=512, at=None):
        self.path = at or os.path.join(h.DRIVE_C, h.E2E_ROOT_NAME, "disk_%s" % uuid.uuid4().hex[:8])
        self._made = at is None
        os.makedirs(self.path, exist_ok=True)
        if subprocess.call(["mount", "-t", "tmpfs", "-o", "size=%dk" % size_kb, "tmpfs", self.path],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) != 0:
            if self._made:
                os.rmdir(self.path)
            raise unittest.SkipTest("cannot mount a small file system here")
        self.filler = os.path.join(self.path, "filler.bin")
        case.addCleanup(self.unmount)

    def fill(self):
        for chunk in (65536, 4096, 1):
            with open(self.filler, "ab", buffering=0) as out:
                try:
                    while True:
                        out.write(b"\0" * chunk)
                except OSError:
                    pass

    def free(self):
        os.unlink(self.filler)

    def unmount(self):
        for _ in range(20):
            if subprocess.call(["umount", self.path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) == 0:
                break
            time.sleep(0.5)
        if self._made:
            shutil.rmtree(self.path, ignore_errors=True)
