#!/usr/bin/env python3
"""Timed runs of the pellamor executable on a simulated Mac: start to main window shown, state file replaced
to first key event posted, and 60 s idle with automatic switching on (CPU and resident memory).

The switches are timed over several runs, each a fresh process: a run's median moves with the machine's load
(on a busy machine the scheduler may leave the application waiting for a core for tens of milliseconds), so
every run's median is printed with the load average, and the median of all switches.

Usage: bench/executable_budgets.py [path/to/pellamor] [idle seconds] [runs]"""
import json, os, select, statistics, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXECUTABLE = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/release/bin/pellamor")
IDLE_SECONDS = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
RUNS = int(sys.argv[3]) if len(sys.argv) > 3 else 3
SWITCHES = 21

WORLD = {
    "displays": [
        {"id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "Main", "main": True,
         "frame": [0, 0, 1440, 900], "spaces": [{"id": 1, "uuid": "AAAAAAAA-0000-0000-0000-000000000001"}]},
        {"id": "22222222-2222-2222-2222-222222222222", "number": 2, "name": "Content",
         "frame": [1440, 0, 1920, 1080],
         "spaces": [{"id": 11, "uuid": "BBBBBBBB-0000-0000-0000-000000000011"},
                    {"id": 12, "uuid": "BBBBBBBB-0000-0000-0000-000000000012"}]},
    ],
    "applications": [{"pid": 100, "bundleID": "com.openai.codex", "name": "Codex"}],
    "frontmost": "com.openai.codex",
    "defaults": {"projectDesktops": {"project-a": 2, "project-b": 3}, "onboardingIntroductionSeen": True},
}


def state(selected):
    return json.dumps({
        "local-projects": {
            "project-a": {"id": "project-a", "name": "A", "rootPaths": []},
            "project-b": {"id": "project-b", "name": "B", "rootPaths": []},
        },
        "selected-project": {"type": "local", "projectId": selected},
    })


def replace_state(home, selected):
    folder = os.path.join(home, ".codex")
    os.makedirs(folder, exist_ok=True)
    temporary = os.path.join(folder, ".state.tmp")
    with open(temporary, "w") as file:
        file.write(state(selected))
    # The replacement is the rename: the clock starts just before it.
    replaced = time.monotonic()
    os.rename(temporary, os.path.join(folder, ".codex-global-state.json"))
    return replaced


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as file:
        fields = file.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as file:
        for line in file:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


class Lines:
    """The application's standard error, read in this thread: each line is stamped when it can be read, with no
    second thread waiting for the interpreter's lock in between."""

    def __init__(self, process):
        self.descriptor = process.stderr.fileno()
        self.pending = b""

    def drain(self):
        while select.select([self.descriptor], [], [], 0)[0] and os.read(self.descriptor, 65536):
            pass
        self.pending = b""

    def wait_for(self, prefix, timeout=10):
        deadline = time.monotonic() + timeout
        while True:
            while b"\n" in self.pending:
                line, self.pending = self.pending.split(b"\n", 1)
                if line.decode(errors="replace").startswith(prefix):
                    return self.stamp
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.descriptor], [], [], left)[0]:
                raise TimeoutError(prefix)
            chunk = os.read(self.descriptor, 65536)
            self.stamp = time.monotonic()
            if not chunk:
                raise EOFError(prefix)
            self.pending += chunk


def run(idle_seconds):
    """One fresh process: start time, the switch latencies, and the idle figures when asked for."""
    home = tempfile.mkdtemp(prefix="pellamor-bench-")
    world = os.path.join(home, "world.json")
    with open(world, "w") as file:
        json.dump(WORLD, file)
    replace_state(home, "project-a")
    environment = dict(os.environ, HOME=home, PELLAMOR_WORLD=world, QT_QPA_PLATFORM="offscreen",
                       PELLAMOR_REPORT_SHOWN="1")
    started = time.monotonic()
    process = subprocess.Popen([EXECUTABLE], env=environment, stderr=subprocess.PIPE)
    lines = Lines(process)
    shown = lines.wait_for("pellamor: main window shown") - started
    time.sleep(1)

    latencies = []
    for index in range(SWITCHES):
        lines.drain()
        replaced = replace_state(home, "project-b" if index % 2 == 0 else "project-a")
        latencies.append((lines.wait_for("mac: key-posted") - replaced) * 1000)
        time.sleep(0.7)

    idle = None
    if idle_seconds > 0:
        time.sleep(1)
        lines.drain()
        ticks_before = cpu_ticks(process.pid)
        idle_start = time.monotonic()
        peak = 0.0
        while time.monotonic() - idle_start < idle_seconds:
            time.sleep(1)
            lines.drain()
            peak = max(peak, resident_mib(process.pid))
        elapsed = time.monotonic() - idle_start
        used = (cpu_ticks(process.pid) - ticks_before) / os.sysconf("SC_CLK_TCK")
        idle = (elapsed, used / elapsed * 100, peak)
    process.terminate()
    process.wait(timeout=10)
    return shown, latencies, idle


def main():
    every = []
    for index in range(RUNS):
        load = os.getloadavg()[0]
        shown, latencies, idle = run(IDLE_SECONDS if index == RUNS - 1 else 0)
        every += latencies
        print(f"run {index + 1}: start to main window shown {shown * 1000:.1f} ms; state file replaced to first key "
              f"event posted: median {statistics.median(latencies):.2f} ms, max {max(latencies):.2f} ms over "
              f"{len(latencies)} switches (load average {load:.1f})")
        if idle:
            print(f"idle with switching on for {idle[0]:.0f} s: {idle[1]:.3f} % of one core, "
                  f"{idle[2]:.1f} MiB resident at most (budget 0.5 %, 100 MB)")
    print(f"all runs: state file replaced to first key event posted: median {statistics.median(every):.2f} ms over "
          f"{len(every)} switches (budget median 10 ms); start budget 500 ms")


if __name__ == "__main__":
    main()
