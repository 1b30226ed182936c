#!/usr/bin/env python3
"""Start-up time: from starting Morvane to its main window being mapped on a private X server,
with a sketchbook of 1,000 sketches, beside Debian's own arduino program started the same way in
the same run. Both run only inside a private network namespace (unshare -n), so nothing leaves
the machine; the other program's update check is off in the preferences of a temporary home.

    bench/startup_bench.py [build/bin/Morvane] [runs]

Prints every run, then the minimum and median of each program and the ratio of the medians.
Needs root (for unshare -n), Xvfb and xwininfo (scripts/setup installs them).
"""

import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ARDUINO = "/usr/bin/arduino"
ARDUINO_FOLDER = "/usr/share/arduino"
SKETCHES = 1000
TIMEOUT = 120.0


def start_xvfb(folder):
    """A private X server on a free display number; returns (process, display)."""
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1400x900x24", "-nolisten", "tcp"],
        pass_fds=(write_fd,), cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_fd, 16)
        if not chunk:
            raise RuntimeError("Xvfb did not start")
        number += chunk
    os.close(read_fd)
    return server, ":" + number.decode().strip()


def make_sketchbook(folder):
    for i in range(SKETCHES):
        sketch = os.path.join(folder, "Sketch%04d" % i)
        os.makedirs(sketch)
        with open(os.path.join(sketch, "Sketch%04d.ino" % i), "w") as f:
            f.write("void setup() {\n}\n\nvoid loop() {\n}\n")
        if i % 10 == 0:
            with open(os.path.join(sketch, "helper.h"), "w") as f:
                f.write("#pragma once\n")


def viewable(display, args):
    out = subprocess.run(["xwininfo", "-display", display] + args, capture_output=True, text=True).stdout
    return "Map State: IsViewable" in out


def arduino_window_mapped(display):
    # The main window's title ends with the program's name and version, after a bar.
    tree = subprocess.run(["xwininfo", "-display", display, "-root", "-children"],
                          capture_output=True, text=True).stdout
    for line in tree.splitlines():
        m = re.match(r'\s*(0x[0-9a-f]+) "[^"]*\| Arduino [^"]*"', line)
        if m and viewable(display, ["-id", m.group(1)]):
            return True
    return False


def timed_run(command, env, mapped, display):
    """Seconds from the start of the command to its main window being mapped."""
    begin = time.monotonic()
    child = subprocess.Popen(["unshare", "-n"] + command, env=env, start_new_session=True,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while not mapped(display):
            if child.poll() is not None:
                raise RuntimeError("%s ended before its window was mapped" % command[0])
            if time.monotonic() - begin > TIMEOUT:
                raise RuntimeError("%s showed no window in %d s" % (command[0], TIMEOUT))
            time.sleep(0.01)
        return time.monotonic() - begin
    finally:
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(child.pid, sig)
            except ProcessLookupError:
                break
            try:
                child.wait(timeout=5)
                break
            except subprocess.TimeoutExpired:
                pass


def main():
    morvane = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/bin/Morvane")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    if subprocess.run(["unshare", "-n", "true"]).returncode != 0:
        sys.exit("unshare -n does not work here: the programs are not started")
    with tempfile.TemporaryDirectory(prefix="startup-bench-") as temp:
        sketchbook = os.path.join(temp, "sketchbook")
        make_sketchbook(sketchbook)

        # Morvane in a program folder of its own, its options pointing at the sketchbook.
        program = os.path.join(temp, "morvane")
        os.makedirs(program)
        shutil.copy2(morvane, os.path.join(program, "Morvane"))
        with open(os.path.join(program, "Morvane.opt"), "w") as f:
            f.write("[%s]\nedPathToArduino_Text=%s\nedPathToProjects_Text=%s\n"
                    % (program, ARDUINO_FOLDER, sketchbook))

        # The other program's home: update check off, the same sketchbook.
        home = os.path.join(temp, "home")
        os.makedirs(os.path.join(home, ".arduino15"))
        with open(os.path.join(home, ".arduino15", "preferences.txt"), "w") as f:
            f.write("update.check=false\nsketchbook.path=%s\n" % sketchbook)
        os.makedirs(os.path.join(home, "Arduino"))

        server, display = start_xvfb(temp)
        try:
            env = dict(os.environ, DISPLAY=display, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                       TMPDIR=temp)
            env.pop("QT_QPA_PLATFORM", None)
            programs = [
                ("Morvane", [os.path.join(program, "Morvane")],
                 lambda d: viewable(d, ["-name", "Morvane - Arduino front-end"])),
                ("arduino", [ARDUINO], arduino_window_mapped),
            ]
            times = {name: [] for name, _, _ in programs}
            # Alternate the two so that a busy moment of the machine falls on both alike.
            for run in range(runs):
                for name, command, mapped in programs:
                    seconds = timed_run(command, env, mapped, display)
                    times[name].append(seconds)
                    print("run %d %-8s %7.3f s" % (run + 1, name, seconds), flush=True)
        finally:
            server.terminate()
            server.wait()

    print()
    for name in times:
        print("%-8s min %7.3f s  median %7.3f s" % (name, min(times[name]), statistics.median(times[name])))
    ratio = statistics.median(times["Morvane"]) / statistics.median(times["arduino"])
    print("ratio Morvane / arduino (medians) %.3f; (minimums) %.3f"
          % (ratio, min(times["Morvane"]) / min(times["arduino"])))


if __name__ == "__main__":
    main()
