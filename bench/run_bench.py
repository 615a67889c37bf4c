#!/usr/bin/env python3
# Runs the whole benchmark inside a Wine session: builds the message folders, runs
# notiwell_bench.exe for the in-process figures, then starts the real program for the time to
# its tray icon and for its memory and CPU over a run of polls. Prints "name: value" lines,
# the ratio lines last. Timings never fail the run; only a benchmark that cannot run does.
#
#   run_bench.py [--quick] --bench notiwell_bench.exe --procstat nw_procstat.exe --program notiwell.exe
#
# Needs WINE and WINEPREFIX of a running session (scripts/bench.sh, or ctest under
# scripts/ctest-wine.sh). Every process started here is stopped by its pid.
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time
import uuid

WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
WINEPREFIX = os.environ.get("WINEPREFIX", "")
STORED_KEY = "99991231235959"  # above every key in the folders: no message is new
MAIN_WINDOW_START_LINE = b"Startzeit des Rechners:"  # the last start-up line before the main window
TRAY_MARKER = b" [LOG] >Repeat\r\n"  # first debug line of the main loop, right after the tray icon


class BenchError(Exception):
    pass


_running = []


def start(argv, cwd=None, stdout=None):
    # No pipes: a Wine process may hand its output on to processes that outlive it.
    p = subprocess.Popen(argv, cwd=cwd, stdin=subprocess.DEVNULL, stdout=stdout or subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
    _running.append(p)
    return p


def wait(p, timeout):
    try:
        return p.wait(timeout)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()
        return None
    finally:
        if p in _running:
            _running.remove(p)


def stop_all():
    for p in list(_running):
        if p.poll() is None:
            p.kill()
        p.wait()
    _running.clear()


def windows_path(linux_path):
    """Windows path of a folder below drive_c."""
    drive_c = os.path.realpath(os.path.join(WINEPREFIX, "drive_c"))
    rest = os.path.relpath(os.path.realpath(linux_path), drive_c)
    if rest.startswith(".."):
        raise BenchError("not below drive_c: " + linux_path)
    return "C:\\" + rest.replace("/", "\\")


def run_tool(exe, args, out_path, timeout):
    """Runs a Wine console program with its output in a file; returns (exit code, lines)."""
    with open(out_path, "wb") as out:
        p = start([WINE, exe] + args, stdout=out)
        code = wait(p, timeout)
    with open(out_path, "rb") as f:
        text = f.read().decode("utf-8", "replace")
    return code, [line.strip() for line in text.splitlines() if line.strip()]


def parse_figures(lines):
    figures = []
    for line in lines:
        name, sep, value = line.partition(": ")
        if sep:
            figures.append((name, value))
    return figures


# ---------------------------------------------------------------------------------------------
# Message folders


def build_message_folder(path, size):
    """size message files, one in a hundred dated today, the rest on days long past."""
    os.makedirs(path, exist_ok=True)
    base = time.mktime((2020, 1, 1, 0, 0, 0, 0, 0, -1))
    now = time.localtime()
    midnight = time.mktime((now.tm_year, now.tm_mon, now.tm_mday, 0, 0, 0, 0, 0, -1))
    today_count = size // 100
    names = []
    for i in range(size - today_count):
        names.append(time.strftime("%Y%m%d_%H%M%S", time.localtime(base + i * 4003)))
    for j in range(today_count):
        names.append(time.strftime("%Y%m%d_%H%M%S", time.localtime(midnight + j * 853)))
    for name in names:
        with open(os.path.join(path, name + ".msg"), "wb") as f:
            f.write(b"Nachricht zum Messen\r\n")


# ---------------------------------------------------------------------------------------------
# The running program


def conf_bytes(**keys):
    text = "\r\n[Global]\r\n" + "".join("%s = %s\r\n" % kv for kv in keys.items())
    return b"\xef\xbb\xbf" + text.encode("utf-8")


class Program:
    """A copy of notiwell.exe under a name of its own, with its files beside it (/LOCAL)."""

    def __init__(self, exe, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.name = "nwbench_%s.exe" % uuid.uuid4().hex[:8]
        self.exe = os.path.join(folder, self.name)
        shutil.copyfile(exe, self.exe)
        self.conf = os.path.join(folder, self.name.replace(".exe", ".conf"))
        self.log = os.path.join(folder, "log", self.name.replace(".exe", ".log"))

    def write_conf(self, **keys):
        with open(self.conf, "wb") as f:
            f.write(conf_bytes(**keys))

    def remove_log(self):
        try:
            os.unlink(self.log)
        except FileNotFoundError:
            pass

    def start(self):
        return start([WINE, windows_path(self.exe), "/LOCAL"], cwd=self.folder)

    def wait_for_log(self, marker, timeout, interval=0.001):
        """Seconds of monotonic clock at which marker was first seen in the log."""
        deadline = time.monotonic() + timeout
        size = -1
        while time.monotonic() < deadline:
            try:
                now_size = os.path.getsize(self.log)
            except OSError:
                now_size = -1
            if now_size != size:
                size = now_size
                seen = time.monotonic()
                try:
                    with open(self.log, "rb") as f:
                        if marker in f.read():
                            return seen
                except OSError:
                    pass
            time.sleep(interval)
        raise BenchError("no %r in %s within %d s" % (marker, self.log, timeout))


def close_program(procstat, program, p, work):
    """A close request to the program's windows; killed only when it does not end."""
    if p.poll() is None:
        run_tool(procstat, ["--close", program.name], os.path.join(work, "close.txt"), 60)
    if wait(p, 30) is None:
        print("note: %s did not end after the close request and was killed" % program.name, file=sys.stderr)


def proc_cpu_ms(pid):
    """User plus system time of a Linux process (the wineserver), in ms."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) * 1000.0 / ticks


def wineserver_pid():
    """The session's wineserver: the one whose folder belongs to this WINEPREFIX."""
    st = os.stat(WINEPREFIX)
    folder = "server-%x-%x" % (st.st_dev, st.st_ino)
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                argv = f.read().split(b"\0")
            # "wineserver -w" processes only wait for the server's end.
            if not os.path.basename(argv[0]).startswith(b"wineserver") or b"-w" in argv:
                continue
            if os.path.basename(os.readlink("/proc/%s/cwd" % entry)) == folder:
                return int(entry)
        except OSError:
            continue
    return None


def procstat_figures(procstat, program, work):
    code, lines = run_tool(procstat, [program.name], os.path.join(work, "procstat.txt"), 60)
    if code != 0:
        raise BenchError("nw_procstat found no %s (exit %s)" % (program.name, code))
    return {k: float(v) for k, v in parse_figures(lines)}


def start_to_tray(args, program, folder, reps):
    """Process start to the first main-loop line, written right after the tray icon is added."""
    program.write_conf(Debug="1", WatchDir=windows_path(folder), Pollintervall="3600", AllowAdhoc="0",
                       QuitMode="0", NotifyActDay="1", NotifyActTime="1", LastMessage=STORED_KEY)
    times = []
    for _ in range(reps):
        program.remove_log()
        begin = time.monotonic()
        p = program.start()
        try:
            seen = program.wait_for_log(TRAY_MARKER, 120)
        finally:
            close_program(args.procstat, program, p, args.work)
        times.append((seen - begin) * 1000.0)
    return statistics.median(times)


def wine_start(args, reps):
    """The floor of any start under Wine: a console program that prints its usage and ends."""
    times = []
    for _ in range(reps):
        begin = time.monotonic()
        p = start([WINE, args.procstat])
        if wait(p, 120) is None:
            raise BenchError("nw_procstat did not end")
        times.append((time.monotonic() - begin) * 1000.0)
    return statistics.median(times)


def polling_figures(args, program, folder, polls):
    """Memory and CPU of the program over a run of polls with the default selection rule."""
    program.write_conf(Debug="0", WatchDir=windows_path(folder), Pollintervall="1", AllowAdhoc="0",
                       QuitMode="0", NotifyActDay="1", NotifyActTime="1", LastMessage=STORED_KEY)
    program.remove_log()
    p = program.start()
    server = wineserver_pid()
    try:
        program.wait_for_log(MAIN_WINDOW_START_LINE, 120)
        time.sleep(1.5)  # the first tick comes after one second; its poll is then done
        # The working set through GetProcessMemoryInfo of the program's process. Its CPU time
        # is read from Linux: Wine's GetProcessTimes for another process misses most of it
        # (printed beside it for comparison). The wineserver does part of the work of every
        # file call under Wine and is read from Linux as well.
        first = procstat_figures(args.procstat, program, args.work)
        cpu0 = proc_cpu_ms(p.pid)
        begin = time.monotonic()
        server0 = proc_cpu_ms(server) if server else None
        time.sleep(polls * 1.0)  # the timer ticks once a second
        cpu1 = proc_cpu_ms(p.pid)
        elapsed = time.monotonic() - begin
        server1 = proc_cpu_ms(server) if server else None
        last = procstat_figures(args.procstat, program, args.work)
        if p.poll() is not None:
            raise BenchError("the program ended during the polls (exit %s)" % p.returncode)
    finally:
        close_program(args.procstat, program, p, args.work)
    ticks = max(1, round(elapsed))  # ticks of the 1 s timer between the two CPU readings
    cpu = cpu1 - cpu0
    reported = (last["cpu_user_ms"] + last["cpu_kernel_ms"]) - (first["cpu_user_ms"] + first["cpu_kernel_ms"])
    out = [
        ("polls_measured", "%d" % ticks),
        ("working_set_first_kb", "%d kB" % first["working_set_kb"]),
        ("working_set_kb", "%d kB" % last["working_set_kb"]),
        ("working_set_growth_kb", "%d kB" % (last["working_set_kb"] - first["working_set_kb"])),
        ("peak_working_set_growth_kb", "%d kB" % (last["peak_working_set_kb"] - first["peak_working_set_kb"])),
        ("cpu_ms_per_poll", "%.4g ms" % (cpu / ticks)),
        ("cpu_ms_per_poll_getprocesstimes", "%.4g ms" % (reported / ticks)),
    ]
    if server:
        out.append(("wineserver_cpu_ms_per_poll", "%.4g ms" % ((server1 - server0) / ticks)))
    return out, cpu / ticks


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--quick", action="store_true", help="small sizes, few repetitions (CI)")
    ap.add_argument("--bench", required=True)
    ap.add_argument("--procstat", required=True)
    ap.add_argument("--program", required=True)
    args = ap.parse_args()
    if not WINEPREFIX or not os.path.isdir(WINEPREFIX):
        raise BenchError("no Wine session (WINEPREFIX unset); run scripts/bench.sh")

    if args.quick:
        sizes, reps, log_lines, conf_calls, start_reps, polls = [100, 1000], 3, 1000, 200, 2, 5
    else:
        sizes, reps, log_lines, conf_calls, start_reps, polls = [1000, 10000], 7, 10000, 1000, 5, 60
    work = os.path.join(WINEPREFIX, "drive_c", "nw_bench_" + uuid.uuid4().hex[:8])
    args.work = work
    os.makedirs(work)
    try:
        for size in sizes:
            build_message_folder(os.path.join(work, "msgs_%d" % size), size)
        print("mode: %s" % ("quick" if args.quick else "full"), flush=True)
        code, lines = run_tool(args.bench, ["--work", windows_path(work), "--sizes", ",".join(map(str, sizes)),
                                            "--reps", str(reps), "--log-lines", str(log_lines),
                                            "--conf-calls", str(conf_calls)],
                               os.path.join(work, "bench.txt"), 3600)
        figures = parse_figures(lines)
        if code != 0:
            raise BenchError("notiwell_bench failed (exit %s): %s" % (code, " | ".join(lines[-3:])))
        ratios = [f for f in figures if f[0].startswith("ratio_")]
        for name, value in figures:
            if not name.startswith("ratio_"):
                print("%s: %s" % (name, value), flush=True)

        largest = sizes[-1]
        folder = os.path.join(work, "msgs_%d" % largest)
        program = Program(args.program, os.path.join(work, "prog"))
        print("start_to_tray_ms: %.4g ms" % start_to_tray(args, program, folder, start_reps), flush=True)
        print("wine_bare_start_ms: %.4g ms" % wine_start(args, start_reps), flush=True)
        polled, cpu_per_poll = polling_figures(args, program, folder, polls)
        for name, value in polled:
            print("%s: %s" % (name, value), flush=True)

        for name, value in ratios:
            print("%s: %s" % (name, value))
        listing = dict(figures)["listing_%d" % largest]
        print("ratio_cpu_per_poll_to_listing_%d: %.3f" % (largest, cpu_per_poll / float(listing.split()[0])))
        return 0
    finally:
        stop_all()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    try:
        sys.exit(main())
    except BenchError as e:
        print("error: %s" % e, flush=True)
        sys.exit(2)
