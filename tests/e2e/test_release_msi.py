# The x64 installer under Wine: built with wixl from the tested notiwell.exe, installed with
# msiexec /i, the installed program started on a demo watch folder showing a dropped message,
# then removed again with msiexec /x.
import os
import re
import shutil
import subprocess
import unittest

import harness as h
import tray

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_MSI = os.path.join(REPO, "packaging", "build_msi.sh")
INSTALL_DIR = "C:\\Program Files\\Notiwell"
INSTALLED_EXE = INSTALL_DIR + "\\notiwell.exe"
REG_KEY = "HKLM\\Software\\Notiwell"


def msi_log_text(path):
    """Wine writes the verbose log partly in UTF-16; dropping the zero bytes leaves the text."""
    try:
        return h.read_bytes(path).replace(b"\x00", b"").decode("cp1252", "replace")
    except FileNotFoundError:
        return ""


def registry_key_exists(key):
    code = h.run_program("reg", "query", key, timeout=60)
    return code == 0


class ReleaseMsiTest(unittest.TestCase):
    def setUp(self):
        h.require_session()
        if not shutil.which("wixl"):
            raise unittest.SkipTest("wixl is not installed (scripts/release.sh installs it)")
        self.work_linux, self.work_windows = h.temp_windows_dir("nw_msi_")
        self.addCleanup(shutil.rmtree, self.work_linux, True)
        self.msi_linux = os.path.join(self.work_linux, "notiwell-x64.msi")
        subprocess.run([BUILD_MSI, "x64", h.NOTIWELL_EXE, self.msi_linux], check=True, timeout=120,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        self.msi_windows = self.work_windows + "notiwell-x64.msi"
        # The installed program is called notiwell.exe, so its files under APPDATA are
        # APPDATA\Notiwell\notiwell.conf and log\notiwell.log; keep what was there before.
        data = h.appdata_notiwell_linux()
        self.conf = os.path.join(data, "notiwell.conf")
        self.log = os.path.join(data, "log", "notiwell.log")
        for path in (self.conf, self.log):
            self.addCleanup(self.restore, path, h.read_bytes(path) if os.path.exists(path) else None)
        self.exe_linux = h.to_linux(INSTALLED_EXE)
        if os.path.exists(self.exe_linux):
            self.fail("Notiwell is already installed in this Wine prefix: " + INSTALLED_EXE)

    @staticmethod
    def restore(path, content):
        if content is None:
            if os.path.exists(path):
                os.unlink(path)
        else:
            with open(path, "wb") as f:
                f.write(content)

    def msiexec(self, action, name):
        log_linux = os.path.join(self.work_linux, name + ".log")
        code = h.run_program("msiexec", action, self.msi_windows, "/qn", "/l*v", h.to_windows(log_linux),
                             timeout=300)
        return code, msi_log_text(log_linux)

    def show_message(self, watch_linux):
        name = tray.message_name()
        # Written under another name and renamed into place, so no poll reads half a file.
        partial = os.path.join(watch_linux, name + ".tmp")
        with open(partial, "wb") as f:
            f.write("Testnachricht aus dem Installer\r\nGrüße von der IT\r\n".encode("utf-8"))
        os.rename(partial, os.path.join(watch_linux, name))
        title = "notiwell (Nachricht:%s)" % name
        found = h.find_windows(title, wait=60, image=INSTALLED_EXE)
        self.assertTrue(found, "no message window %r" % title)
        self.assertIn("Grüße von der IT", "\n".join(h.window_texts(found[0])))
        self.assertTrue(h.click_button(title, "Ok", image=INSTALLED_EXE))
        h.wait_until(lambda: not h.find_windows(title), 30, "the message window to close")
        return name

    def test_installs_starts_shows_a_message_and_uninstalls(self):
        code, log = self.msiexec("/i", "install")
        self.addCleanup(self.uninstall_leftover)
        self.assertEqual(code, 0, log[-2000:])

        self.assertTrue(os.path.isfile(self.exe_linux), INSTALLED_EXE)
        self.assertEqual(h.read_bytes(self.exe_linux), h.read_bytes(h.NOTIWELL_EXE))
        # Windows Installer resolves StartupFolder itself: the all-users folder for this
        # per-machine package on Windows; Wine takes the installing user's.
        m = re.search(r"Property\(S\): StartupFolder = (.+?)\\?\r?\n", log)
        self.assertIsNotNone(m, "no StartupFolder in the installer's log")
        shortcut = os.path.join(h.to_linux(m.group(1).strip()), "Notiwell.lnk")
        self.assertTrue(os.path.isfile(shortcut), shortcut)
        link = h.read_bytes(shortcut)
        target = INSTALLED_EXE.lower()
        self.assertTrue(target.encode("ascii") in link.lower() or target.encode("utf-16-le") in link.lower(),
                        "the shortcut does not point at " + INSTALLED_EXE)
        self.assertTrue(registry_key_exists(REG_KEY))

        watch_linux, watch_windows = h.temp_windows_dir("nw_msi_watch_")
        self.addCleanup(shutil.rmtree, watch_linux, True)
        h.write_conf_file(self.conf, h.conf_text(Debug="0", WatchDir=watch_windows, AllowAdhoc="0", QuitMode="1",
                                                 NotifyActDay="1", NotifyActTime="1", Pollintervall="1"))
        if os.path.exists(self.log):
            os.unlink(self.log)
        p = h.start_program(INSTALLED_EXE)
        try:
            h.wait_until(lambda: h.find_windows(h.MAIN_WINDOW_TITLE, image=INSTALLED_EXE) or p.poll() is not None,
                         60, "the installed program's main window")
            self.assertIsNone(p.poll(), "the installed program ended at start:\n" + h.read_log(self.log))
            name = self.show_message(watch_linux)
            h.wait_for_log(self.log, "Beende Message:" + watch_windows + name)
            self.assertEqual(h.end_program(p, INSTALLED_EXE), 0)
        finally:
            h.stop_process(p)

        code, log = self.msiexec("/x", "uninstall")
        self.assertEqual(code, 0, log[-2000:])
        self.assertFalse(os.path.exists(self.exe_linux))
        self.assertFalse(os.path.exists(h.to_linux(INSTALL_DIR)))
        self.assertFalse(os.path.exists(shortcut))
        self.assertFalse(registry_key_exists(REG_KEY))

    def uninstall_leftover(self):
        if os.path.exists(self.exe_linux):
            self.msiexec("/x", "uninstall-leftover")


if __name__ == "__main__":
    h.main()
