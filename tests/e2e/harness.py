# Helpers for the end-to-end tests: program folders inside the Wine prefix, starting and
# stopping the real notiwell.exe, reading its log and configuration, and finding its windows.
#
# The session (scripts/ctest-wine.sh) exports WINE, WINEPREFIX and DISPLAY; ctest adds
# NOTIWELL_EXE (Linux path of notiwell.exe), NOTIWELL_TOOLS (folder of holdfile.exe,
# holdsemaphore.exe and winprobe.exe) and NOTIWELL_BUILD. Every process started here is stopped by its pid, at the
# latest when the test script ends.
#
# APPDATA cannot be set from the Linux side: Wine always gives its own user folder
# (C:\users\<user>\AppData\Roaming). ProgramFolder therefore names each copy of the program
# uniquely, so its configuration and log files under APPDATA\Notiwell are its own, and removes
# them again; tests that need the Notiwell folder itself absent remove it with
# remove_appdata_notiwell().
import atexit
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
import uuid

WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
WINEPREFIX = os.environ.get("WINEPREFIX", "")
DISPLAY = os.environ.get("DISPLAY", "")
NOTIWELL_EXE = os.environ.get("NOTIWELL_EXE", "")
NOTIWELL_TOOLS = os.environ.get("NOTIWELL_TOOLS", "")
DRIVE_C = os.path.join(WINEPREFIX, "drive_c")

# The folder below drive_c that holds every test's program folders.
E2E_ROOT_NAME = "nw_e2e"

BOM = b"\xef\xbb\xbf"
CRLF = b"\r\n"

_running = []  # every Popen started here, stopped at exit
_immutable = []  # folders made unwritable, made writable again at exit


def require_session(case=None):
    """Skips (raises SkipTest) unless the Wine session and the program are there."""
    missing = [n for n, v in (("WINEPREFIX", WINEPREFIX), ("NOTIWELL_EXE", NOTIWELL_EXE),
                              ("NOTIWELL_TOOLS", NOTIWELL_TOOLS)) if not v]
    if missing:
        raise unittest.SkipTest("not inside a Wine test session: " + ", ".join(missing) + " unset")
    if not os.path.isfile(NOTIWELL_EXE):
        raise unittest.SkipTest("notiwell.exe not built: " + NOTIWELL_EXE)


# ---------------------------------------------------------------------------------------------
# Paths


def _dosdevices():
    return os.path.join(WINEPREFIX, "dosdevices")


def to_windows(linux_path):
    """The Windows path of a Linux path: through the drive that maps it, else through Z:."""
    path = os.path.abspath(linux_path)
    best = None
    devices = _dosdevices()
    if os.path.isdir(devices):
        for name in sorted(os.listdir(devices)):
            if not re.fullmatch(r"[a-z]:", name):
                continue
            target = os.path.realpath(os.path.join(devices, name))
            if target == "/":
                continue  # Z: maps everything; only the fallback
            if path == target or path.startswith(target + os.sep):
                if best is None or len(target) > len(best[1]):
                    best = (name, target)
    if best:
        rest = path[len(best[1]):].lstrip(os.sep)
        return best[0].upper() + "\\" + rest.replace("/", "\\")
    return "Z:" + path.replace("/", "\\")


def to_linux(windows_path):
    """The Linux path of a Windows path with a drive letter."""
    m = re.fullmatch(r"([A-Za-z]):[\\/]?(.*)", windows_path)
    if not m:
        raise ValueError("no drive letter: " + windows_path)
    root = os.path.realpath(os.path.join(_dosdevices(), m.group(1).lower() + ":"))
    rest = m.group(2).replace("\\", "/")
    return os.path.join(root, rest) if rest else root


_appdata_cache = []


def appdata_windows():
    """APPDATA as Wine's processes see it (asked once from cmd, written to a file, no pipe)."""
    if not _appdata_cache:
        with tempfile.NamedTemporaryFile(dir=DRIVE_C, prefix="nw_env_", suffix=".txt", delete=False) as f:
            out = f.name
        try:
            with open(out, "wb") as sink:
                p = start_process([WINE, "cmd", "/c", "echo %APPDATA%"], stdout=sink)
                wait_exit(p, 60)
            with open(out, "rb") as f:
                value = f.read().decode("cp1252").strip()
        finally:
            os.unlink(out)
        if not value or "%" in value:
            raise RuntimeError("APPDATA not found under Wine: %r" % value)
        _appdata_cache.append(value)
    return _appdata_cache[0]


def appdata_notiwell_linux():
    """Linux path of APPDATA\\Notiwell (the data root of the program on current Windows)."""
    return os.path.join(to_linux(appdata_windows()), "Notiwell")


def remove_appdata_notiwell():
    shutil.rmtree(appdata_notiwell_linux(), ignore_errors=True)


# ---------------------------------------------------------------------------------------------
# Program folders


class ProgramFolder:
    """A fresh folder C:\\nw_e2e\\<unique>\\ with a copy of notiwell.exe in it.

    exe_name defaults to a unique nwt_<hex>.exe, so the copy's configuration and log files
    under APPDATA belong to this test alone. Use as a context manager or call cleanup()."""

    def __init__(self, exe_name=None, subdir=None):
        require_session()
        self.tag = uuid.uuid4().hex[:10]
        self.exe_name = exe_name or ("nwt_%s.exe" % self.tag)
        root = os.path.join(DRIVE_C, E2E_ROOT_NAME, self.tag)
        self.linux = os.path.join(root, subdir) if subdir else root
        os.makedirs(self.linux)
        self._root = root
        self.exe_linux = os.path.join(self.linux, self.exe_name)
        shutil.copyfile(NOTIWELL_EXE, self.exe_linux)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.cleanup()

    # The names derived from the program file, as the program derives them.
    @property
    def windows(self):
        return to_windows(self.linux) + "\\"

    @property
    def exe_windows(self):
        return to_windows(self.exe_linux)

    @property
    def log_name(self):
        return self.exe_name.replace(".exe", ".log")

    @property
    def conf_name(self):
        return self.exe_name.replace(".exe", ".conf")

    def log_path(self, local=False):
        base = self.linux if local else appdata_notiwell_linux()
        return os.path.join(base, "log", self.log_name)

    def conf_path(self, local=False):
        base = self.linux if local else appdata_notiwell_linux()
        return os.path.join(base, self.conf_name)

    def write_conf(self, content, local=False):
        """Writes the configuration file: bytes as they are, text as UTF-8 with BOM and CR LF."""
        write_conf_file(self.conf_path(local), content)

    def start(self, *args, **kw):
        return start_program(self.exe_windows, *args, cwd=self.linux, **kw)

    def run(self, *args, timeout=60):
        """Runs the program through its start-up and returns its exit code. A program that goes
        on running after start-up (its tray main window appears) is asked to end by a close
        request to that window."""
        return run_through_startup(self.exe_windows, *args, cwd=self.linux, timeout=timeout)

    def cleanup(self):
        for path in (self.conf_path(), self.log_path()):
            try:
                os.unlink(path)
            except FileNotFoundError:
                pass
        shutil.rmtree(self._root, ignore_errors=True)


def conf_text(**keys):
    """A configuration file text with group Global and the given keys in the given order."""
    return "[Global]\r\n" + "".join("%s = %s\r\n" % (k, v) for k, v in keys.items())


def write_conf_file(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(content, str):
        content = BOM + CRLF + content.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
    with open(path, "wb") as f:
        f.write(content)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def make_dir(linux_path):
    os.makedirs(linux_path, exist_ok=True)
    return linux_path


def temp_windows_dir(prefix="nw_dir_"):
    """A fresh empty folder under C:\\nw_e2e; returns (linux, windows with trailing "\\")."""
    base = os.path.join(DRIVE_C, E2E_ROOT_NAME)
    os.makedirs(base, exist_ok=True)
    linux = tempfile.mkdtemp(prefix=prefix, dir=base)
    return linux, to_windows(linux) + "\\"


# ---------------------------------------------------------------------------------------------
# Processes


def _stop_all():
    for p in list(_running):
        stop_process(p)
    for folder in list(_immutable):
        make_writable(folder)


atexit.register(_stop_all)


def start_process(argv, cwd=None, stdout=None, env=None):
    """Popen without pipes (Wine processes can keep pipes open); remembered for the stop at exit."""
    p = subprocess.Popen(argv, cwd=cwd, env=env or os.environ.copy(),
                         stdin=subprocess.DEVNULL,
                         stdout=stdout if stdout is not None else subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
    _running.append(p)
    return p


def start_program(exe_windows, *args, cwd=None, env=None):
    return start_process([WINE, exe_windows, *args], cwd=cwd, env=env)


def wait_exit(p, timeout):
    """The exit code, or None when the process still runs after timeout seconds."""
    try:
        code = p.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    if p in _running:
        _running.remove(p)
    return code


def stop_process(p):
    """Kills the process by its pid (if it still runs) and reaps it."""
    if p.poll() is None:
        try:
            p.kill()
        except ProcessLookupError:
            pass
        try:
            p.wait(timeout=20)
        except subprocess.TimeoutExpired:
            pass
    if p in _running:
        _running.remove(p)


def run_program(exe_windows, *args, cwd=None, timeout=60):
    """Starts the program and waits for it to end by itself; returns the exit code."""
    p = start_program(exe_windows, *args, cwd=cwd)
    try:
        code = wait_exit(p, timeout)
        if code is None:
            raise AssertionError("%s %s still runs after %ss" % (exe_windows, " ".join(args), timeout))
        return code
    finally:
        stop_process(p)


MAIN_WINDOW_TITLE = "Notiwell - SysTray Invisible Window"


def end_program(p, exe_windows, timeout=30):
    """Asks a running program to end through its main window and returns its exit code."""
    close_windows(MAIN_WINDOW_TITLE, image=exe_windows)
    code = wait_exit(p, timeout)
    if code is None:
        raise AssertionError("%s did not end after the close request" % exe_windows)
    return code


def run_through_startup(exe_windows, *args, cwd=None, timeout=60):
    """Starts the program; when it ends by itself, returns its exit code; when its main window
    appears (start-up is complete), ends it through that window and returns the exit code."""
    p = start_program(exe_windows, *args, cwd=cwd)
    try:
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            code = wait_exit(p, 0.3)
            if code is not None:
                return code
            if find_windows(MAIN_WINDOW_TITLE, image=exe_windows):
                return end_program(p, exe_windows)
        raise AssertionError("%s %s neither ended nor showed its main window within %ss"
                             % (exe_windows, " ".join(args), timeout))
    finally:
        stop_process(p)


def run_tool(name, *args, timeout=60):
    """Runs tests/e2e/tools/<name>.exe to its end; returns (exit code, stdout text)."""
    exe = os.path.join(NOTIWELL_TOOLS, name + ".exe")
    with tempfile.TemporaryFile() as out:
        p = start_process([WINE, exe, *args], stdout=out)
        try:
            code = wait_exit(p, timeout)
        finally:
            stop_process(p)
        out.seek(0)
        return code, out.read().decode("utf-8", "replace")


class _HeldByTool:
    """A Wine tool that holds something until it is stopped; it writes "held" (or why not)
    into a ready file once it holds it."""

    def _start(self, prefix, what, tool, args, timeout):
        ready_linux, _ = temp_windows_dir(prefix)
        self._ready_dir = ready_linux
        ready = os.path.join(ready_linux, "ready.txt")
        self.process = start_process([WINE, os.path.join(NOTIWELL_TOOLS, tool + ".exe"), *args,
                                      "--ready", to_windows(ready)])
        self.state = wait_until(lambda: _read_if_exists(ready), timeout, tool + " ready")
        if self.state != "held":
            self.close()
            raise AssertionError("%s could not hold %s: %s" % (tool, what, self.state))

    def close(self):
        stop_process(self.process)
        shutil.rmtree(self._ready_dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class HeldFile(_HeldByTool):
    """holdfile.exe holding a file open: HeldFile(windows_path, share="none", access="rw")."""

    def __init__(self, windows_path, share="none", access="rw", create=False, timeout=30):
        args = [windows_path, "--access", access, "--share", share] + (["--create"] if create else [])
        self._start("nw_hold_", windows_path, "holdfile", args, timeout)


class HeldSemaphore(_HeldByTool):
    """holdsemaphore.exe holding the named semaphore, as a running first instance would."""

    def __init__(self, name, timeout=30):
        self._start("nw_sem_", name, "holdsemaphore", [name], timeout)


def instance_name(exe_windows):
    """The semaphore name the program derives from its full path."""
    return re.sub(r"[\\: .]", "_", exe_windows)


def _read_if_exists(path):
    try:
        with open(path, "r", encoding="ascii") as f:
            return f.read() or None
    except FileNotFoundError:
        return None


def wait_until(probe, timeout, what="condition", interval=0.1):
    """Polls probe() until it gives a true value, which is returned; fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %ss waiting for %s" % (timeout, what))
        time.sleep(interval)


# ---------------------------------------------------------------------------------------------
# The log

_LOG_LINE = re.compile(r"^(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d) (.*?) \[(LOG|ERR)\] (.*)$", re.S)


def read_log(path):
    """The log file decoded as cp1252 (the ANSI code page of Wine's default locale); "" if missing."""
    try:
        with open(path, "rb") as f:
            return f.read().decode("cp1252", "replace")
    except FileNotFoundError:
        return ""


def log_entries(path):
    """[(marker, text)] for every line: marker "LOG" or "ERR", text after the marker."""
    entries = []
    for line in read_log(path).split("\r\n"):
        if not line:
            continue
        m = _LOG_LINE.match(line)
        if not m:
            raise AssertionError("malformed log line: %r" % line)
        entries.append((m.group(3), m.group(4)))
    return entries


def log_texts(path):
    return [text for _, text in log_entries(path)]


def wait_for_log(path, text, timeout=30, marker=None):
    """Waits until a log line's text starts with text (and has the marker, when given)."""
    def probe():
        return any(t.startswith(text) and (marker is None or m == marker) for m, t in log_entries(path))
    return wait_until(probe, timeout, "log line %r in %s" % (text, path))


def assert_in_order(case, texts, expected_prefixes):
    """Each expected prefix starts some text, and they come in this order (others may lie between)."""
    pos = 0
    for prefix in expected_prefixes:
        for i in range(pos, len(texts)):
            if texts[i].startswith(prefix):
                pos = i + 1
                break
        else:
            case.fail("log line %r missing or out of order in:\n%s" % (prefix, "\n".join(texts)))


# ---------------------------------------------------------------------------------------------
# Windows and the screen


_PROBE_WINDOW = re.compile(r"^window hwnd=(?P<hwnd>\S+) pid=(?P<pid>\d+) class=(?P<cls>.*?) visible=(?P<visible>\d)"
                           r" enabled=(?P<enabled>\d) topmost=(?P<topmost>\d) rect=(?P<rect>\S+) title=(?P<title>.*)$")
_PROBE_CHILD = re.compile(r"^child hwnd=(?P<hwnd>\S+) class=(?P<cls>.*?) id=(?P<id>-?\d+) visible=(?P<visible>\d)"
                          r" rect=(?P<rect>\S+) text=(?P<text>.*)$")


def parse_probe(output):
    """winprobe output as [{"hwnd", "pid", "cls", "visible", "enabled", "topmost", "rect", "title",
    "children": [{"hwnd", "cls", "id", "visible", "rect", "text"}]}]; texts unescaped."""
    windows = []
    for line in output.splitlines():
        m = _PROBE_WINDOW.match(line)
        if m:
            record = m.groupdict()
            record["title"] = _unescape(record["title"])
            record["children"] = []
            windows.append(record)
            continue
        m = _PROBE_CHILD.match(line)
        if m and windows:
            record = m.groupdict()
            record["text"] = _unescape(record["text"])
            windows[-1]["children"].append(record)
    return windows


def _unescape(text):
    return re.sub(r"\\(.)", lambda m: {"r": "\r", "n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), text)


def _probe(command, title, *extra, wait=0.0, image=None):
    args = [command, title, *extra, "--wait", str(int(wait * 1000))]
    if image:
        args += ["--image", image]
    code, out = run_tool("winprobe", *args, timeout=wait + 60)
    if code not in (0, 3):
        raise AssertionError("winprobe %s failed with %s" % (command, code))
    return code, out


def find_windows(title, wait=0.0, image=None):
    """Top-level windows titled exactly title (waiting up to wait seconds), with their children;
    image (a Windows path) keeps only the windows of that executable."""
    return parse_probe(_probe("find", title, wait=wait, image=image)[1])


def window_texts(window):
    return [c.get("text", "") for c in window["children"]]


def click_button(title, button, wait=0.0, image=None):
    """BM_CLICK to the button labelled button in the window titled title; True when found."""
    return _probe("click", title, button, wait=wait, image=image)[0] == 0


def close_windows(title, wait=0.0, image=None):
    """WM_CLOSE to the windows titled title; True when there was one."""
    return _probe("close", title, wait=wait, image=image)[0] == 0


def xdotool(*args, timeout=30):
    """Runs xdotool on the session's display; returns (exit code, stdout)."""
    with tempfile.TemporaryFile() as out:
        p = start_process(["xdotool", *args], stdout=out)
        try:
            code = wait_exit(p, timeout)
        finally:
            stop_process(p)
        out.seek(0)
        return code, out.read().decode("utf-8", "replace")


def x_windows(title):
    """X window ids whose name is exactly title."""
    code, out = xdotool("search", "--name", "^" + re.escape(title) + "$")
    return out.split() if code == 0 else []


def press_enter(title, timeout=20):
    """Activates the X window titled title and presses Enter in it, as a user would."""
    ids = wait_until(lambda: x_windows(title), timeout, "X window %r" % title)
    xdotool("windowactivate", "--sync", ids[-1])
    code, _ = xdotool("key", "--window", ids[-1], "Return")
    return code == 0


def screenshot(path):
    """The whole Xvfb screen into path (any image format ImageMagick knows)."""
    p = start_process(["import", "-window", "root", path])
    try:
        return wait_exit(p, 60) == 0
    finally:
        stop_process(p)


# ---------------------------------------------------------------------------------------------
# Folders Wine cannot write


def make_unwritable(linux_path):
    """Makes a folder refuse new files, also for root (the immutable attribute), and checks that
    the refusal holds. Skips the test where the file system does not allow it."""
    if subprocess.call(["chattr", "+i", linux_path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) != 0:
        raise unittest.SkipTest("chattr +i not possible on " + linux_path)
    _immutable.append(linux_path)
    probe = os.path.join(linux_path, "probe.tmp")
    try:
        with open(probe, "wb"):
            pass
    except OSError:
        return
    os.unlink(probe)
    make_writable(linux_path)
    raise unittest.SkipTest("the immutable attribute does not stop writes to " + linux_path)


def make_writable(linux_path):
    subprocess.call(["chattr", "-i", linux_path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if linux_path in _immutable:
        _immutable.remove(linux_path)


# ---------------------------------------------------------------------------------------------


def main():
    """unittest.main() for a test script; the exit code is non-zero on failure."""
    unittest.main(verbosity=2)
