#!/usr/bin/env python3
"""Timed runs of the pellamor executable on a simulated Mac: start to main window shown, state file replaced
to first key event posted, and 60 s idle with automatic switching on (CPU and resident memory).

Usage: bench/executable_budgets.py [path/to/pellamor] [idle seconds]"""
import json, os, queue, statistics, subprocess, sys, tempfile, threading, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXECUTABLE = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/release/bin/pellamor")
IDLE_SECONDS = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
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
    os.rename(temporary, os.path.join(folder, ".codex-global-state.json"))


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


def main():
    home = tempfile.mkdtemp(prefix="pellamor-bench-")
    world = os.path.join(home, "world.json")
    with open(world, "w") as file:
        json.dump(WORLD, file)
    replace_state(home, "project-a")
    environment = dict(os.environ, HOME=home, PELLAMOR_WORLD=world, QT_QPA_PLATFORM="offscreen",
                       PELLAMOR_REPORT_SHOWN="1")
    lines = queue.Queue()
    started = time.monotonic()
    process = subprocess.Popen([EXECUTABLE], env=environment, stderr=subprocess.PIPE, text=True, bufsize=1)

    def read():
        for line in process.stderr:
            lines.put((time.monotonic(), line.strip()))

    threading.Thread(target=read, daemon=True).start()

    def wait_for(prefix, timeout=10):
        deadline = time.monotonic() + timeout
        while True:
            at, line = lines.get(timeout=max(0.01, deadline - time.monotonic()))
            if line.startswith(prefix):
                return at

    shown = wait_for("pellamor: main window shown")
    print(f"start to main window shown: {(shown - started) * 1000:.1f} ms (budget 500 ms)")
    time.sleep(1)

    latencies = []
    for index in range(SWITCHES):
        while not lines.empty():
            lines.get()
        replace_state(home, "project-b" if index % 2 == 0 else "project-a")
        replaced = time.monotonic()
        posted = wait_for("mac: key-posted")
        latencies.append((posted - replaced) * 1000)
        time.sleep(0.7)
    print(f"state file replaced to first key event posted: median {statistics.median(latencies):.2f} ms, "
          f"max {max(latencies):.2f} ms over {len(latencies)} switches (budget median 10 ms)")

    time.sleep(1)
    ticks_before = cpu_ticks(process.pid)
    idle_start = time.monotonic()
    peak = 0.0
    while time.monotonic() - idle_start < IDLE_SECONDS:
        time.sleep(1)
        peak = max(peak, resident_mib(process.pid))
    elapsed = time.monotonic() - idle_start
    used = (cpu_ticks(process.pid) - ticks_before) / os.sysconf("SC_CLK_TCK")
    print(f"idle with switching on for {elapsed:.0f} s: {used / elapsed * 100:.3f} % of one core, "
          f"{peak:.1f} MiB resident at most (budget 0.5 %, 100 MB)")
    process.terminate()
    process.wait(timeout=10)


if __name__ == "__main__":
    main()
