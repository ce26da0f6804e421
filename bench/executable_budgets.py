#!/usr/bin/env python3
"""Timed runs of the pellamor executable on a simulated Mac, measured from outside.

Default: start to main window shown, state file replaced to first key event posted, and 60 s idle with automatic
switching on (CPU and resident memory). The switches are timed over several runs, each a fresh process: a run's
median moves with the machine's load (on a busy machine the scheduler may leave the application waiting for a
core for tens of milliseconds), so every run's median is printed with the load average, and the median of all
switches.

--reaction: the same replacements, timed at once for the application and for a minimal inotify watcher of the
same folder (bench/minimal_watcher.c, the limit of this machine), on a quiet machine and with every core kept
busy by a shell loop; each run prints both medians and their ratio (budget 3 x). The harness reads both at
real-time priority when it may.

--projects: only the figures with many stored projects, which the default run prints too: 60 s idle with
automatic switching on and 500 projects in the association store (budget 0.1 % of one core), and start to main
window shown with 1,000, 2,000, 4,000 and 8,000 stored projects (budget 500 ms at 8,000), each with its ratio to
the previous size: about 2 x when the start grows linearly with the store.

--large-state: state files of several sizes (megabytes), each in a fresh process: resident memory once the
file is read, the peak resident memory and the time from a replacement to the first key event posted.

Usage: bench/executable_budgets.py [path/to/pellamor] [idle seconds] [runs]
       bench/executable_budgets.py --reaction [path/to/pellamor] [runs per condition] [switches per run]
       bench/executable_budgets.py --projects [path/to/pellamor] [idle seconds]
       bench/executable_budgets.py --large-state [path/to/pellamor] [megabytes ...]"""
import json, os, plistlib, select, statistics, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NAMED = len(sys.argv) > 1 and sys.argv[1].startswith("--")
MODE = sys.argv[1] if NAMED else "--budgets"
ARGUMENTS = sys.argv[2:] if NAMED else sys.argv[1:]
EXECUTABLE = ARGUMENTS[0] if ARGUMENTS else os.path.join(ROOT, "build/release/bin/pellamor")
SWITCHES = 21
STATE_NAME = ".codex-global-state.json"
IDLE_PROJECTS = 500
START_PROJECTS = (1000, 2000, 4000, 8000)

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


def state(selected, conversations=""):
    """The state file; `conversations` is the text of its two conversation maps' members, if any."""
    return ('{"local-projects":{"project-a":{"id":"project-a","name":"A","rootPaths":[]},'
            '"project-b":{"id":"project-b","name":"B","rootPaths":[]}},'
            '"selected-project":{"type":"local","projectId":"' + selected + '"}' + conversations + '}')


def conversations(megabytes):
    """Conversation maps of about that many megabytes, with upper-case ids: the costliest case."""
    hosts, assignments, size, index = [], [], 0, 0
    while size < megabytes * 1_000_000:
        thread = f"{index * 2654435761 % 2**32:08X}-{index & 0xFFFF:04X}-4{index % 4096:03X}-8{index * 7 % 4096:03X}-" \
                 f"{index * 40503 % 2**48:012X}"
        host = f'"{thread}":"local"'
        assignment = f'"{thread}":{{"projectKind":"local","projectId":"project-{"ab"[index % 2]}"}}'
        hosts.append(host)
        assignments.append(assignment)
        size += len(host) + len(assignment) + 2
        index += 1
    return (',"thread-project-membership-host-ids":{' + ",".join(hosts) + '},"thread-project-assignments":{'
            + ",".join(assignments) + "}")


def replace_state(home, selected, extra=""):
    folder = os.path.join(home, ".codex")
    os.makedirs(folder, exist_ok=True)
    temporary = os.path.join(folder, ".state.tmp")
    with open(temporary, "w") as file:
        file.write(state(selected, extra))
    # The replacement is the rename: the clock starts just before it.
    replaced = time.monotonic()
    os.rename(temporary, os.path.join(folder, STATE_NAME))
    return replaced


def store_projects(home, count):
    """An association store of `count` projects besides B, all on desktop 3 of the content screen, written in
    the settings file as the application writes it."""
    desktop = {"display": WORLD["displays"][1]["id"], "spaceID": 12,
               "spaceUUID": "BBBBBBBB-0000-0000-0000-000000000012"}
    targets = {f"stored-{index:05d}": [desktop] for index in range(count)}
    targets["project-b"] = [desktop]
    data = json.dumps({"targets": targets, "unresolvedProjects": [], "version": 2}, sort_keys=True,
                      separators=(",", ":")).encode()
    folder = os.path.join(home, "Library", "Preferences")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "fr.local.pellamor.plist"), "wb") as file:
        plistlib.dump({"projectDesktopIdentities": data}, file)


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as file:
        fields = file.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def resident_mib(pid, field="VmRSS:"):
    """Resident memory now, or with "VmHWM:" its peak since the start."""
    with open(f"/proc/{pid}/status") as file:
        for line in file:
            if line.startswith(field):
                return int(line.split()[1]) / 1024
    return 0.0


class Lines:
    """A process's output, read in this thread: each line is stamped when it can be read, with no second thread
    waiting for the interpreter's lock in between."""

    def __init__(self, stream):
        self.descriptor = stream.fileno()
        self.pending = b""
        self.stamp = 0.0

    def drain(self):
        while select.select([self.descriptor], [], [], 0)[0] and os.read(self.descriptor, 65536):
            pass
        self.pending = b""

    def take(self, prefix):
        """The stamp of the first complete line starting with `prefix` read so far, or none."""
        while b"\n" in self.pending:
            line, self.pending = self.pending.split(b"\n", 1)
            if line.decode(errors="replace").startswith(prefix):
                return self.stamp
        return None

    def read(self):
        chunk = os.read(self.descriptor, 65536)
        self.stamp = time.monotonic()
        if not chunk:
            raise EOFError()
        self.pending += chunk

    def wait_for(self, prefix, timeout=10):
        return wait_for_all({self: prefix}, timeout)[self]


def wait_for_all(expected, timeout=10):
    """Waits for one line of each `Lines` with its prefix, reading whichever is readable first, so that no
    stream's stamp waits for another's."""
    found, deadline = {}, time.monotonic() + timeout
    while True:
        for lines, prefix in expected.items():
            if lines not in found and (stamp := lines.take(prefix)) is not None:
                found[lines] = stamp
        waiting = [lines for lines in expected if lines not in found]
        if not waiting:
            return found
        left = deadline - time.monotonic()
        ready = select.select([lines.descriptor for lines in waiting], [], [], max(left, 0))[0] if left > 0 else []
        if not ready:
            raise TimeoutError(", ".join(expected[lines] for lines in waiting))
        for lines in waiting:
            if lines.descriptor in ready:
                lines.read()


def launch(extra="", stored=0):
    """A fresh process on a fresh HOME whose state file selects project A, with `stored` more projects in the
    association store; gives the HOME, the process, its standard error and the time from the start to the main
    window shown."""
    home = tempfile.mkdtemp(prefix="pellamor-bench-")
    if stored:
        store_projects(home, stored)
    world = os.path.join(home, "world.json")
    with open(world, "w") as file:
        json.dump(WORLD, file)
    replace_state(home, "project-a", extra)
    environment = dict(os.environ, HOME=home, PELLAMOR_WORLD=world, QT_QPA_PLATFORM="offscreen",
                       PELLAMOR_REPORT_SHOWN="1")
    started = time.monotonic()
    process = subprocess.Popen([EXECUTABLE], env=environment, stderr=subprocess.PIPE)
    lines = Lines(process.stderr)
    shown = lines.wait_for("pellamor: main window shown") - started
    return home, process, lines, shown


def run(idle_seconds):
    """One fresh process: start time, the switch latencies, and the idle figures when asked for."""
    home, process, lines, shown = launch()
    time.sleep(1)

    latencies = []
    for index in range(SWITCHES):
        lines.drain()
        replaced = replace_state(home, "project-b" if index % 2 == 0 else "project-a")
        latencies.append((lines.wait_for("mac: key-posted") - replaced) * 1000)
        time.sleep(0.7)

    idle = idle_figures(process, lines, idle_seconds) if idle_seconds > 0 else None
    process.terminate()
    process.wait(timeout=10)
    return shown, latencies, idle


def idle_figures(process, lines, seconds):
    """Seconds measured, per cent of one core and the peak resident MiB while the process is left alone."""
    time.sleep(1)
    lines.drain()
    ticks_before = cpu_ticks(process.pid)
    idle_start = time.monotonic()
    peak = 0.0
    while time.monotonic() - idle_start < seconds:
        time.sleep(1)
        lines.drain()
        peak = max(peak, resident_mib(process.pid))
    elapsed = time.monotonic() - idle_start
    used = (cpu_ticks(process.pid) - ticks_before) / os.sysconf("SC_CLK_TCK")
    return elapsed, used / elapsed * 100, peak


def projects(idle_seconds=None):
    """Idle with switching on and many stored projects, then the start with more and more of them."""
    if idle_seconds is None:
        idle_seconds = float(ARGUMENTS[1]) if len(ARGUMENTS) > 1 else 60.0
    _, process, lines, _ = launch(stored=IDLE_PROJECTS)
    try:
        # Switching starts by itself once the projects are read; the first poll follows half a second later.
        time.sleep(1)
        elapsed, core, peak = idle_figures(process, lines, idle_seconds)
    finally:
        process.terminate()
        process.wait(timeout=30)
    print(f"idle with switching on and {IDLE_PROJECTS} stored projects for {elapsed:.0f} s: {core:.3f} % of one core, "
          f"{peak:.1f} MiB resident at most (budget 0.1 %)", flush=True)
    previous = None
    for count in START_PROJECTS:
        load = os.getloadavg()[0]
        _, process, _, shown = launch(stored=count)
        process.terminate()
        process.wait(timeout=30)
        growth = f", {shown / previous:.2f} x the start with {count // 2}" if previous else ""
        print(f"start to main window shown with {count} stored projects: {shown * 1000:.1f} ms{growth} "
              f"(load average {load:.1f})", flush=True)
        previous = shown
    print(f"start budget 500 ms with {START_PROJECTS[-1]} stored projects; a ratio near 2 x is linear growth",
          flush=True)


def minimal_watcher():
    """The minimal watcher, compiled once into the build folder."""
    source = os.path.join(ROOT, "bench/minimal_watcher.c")
    binary = os.path.join(ROOT, "build/minimal_watcher")
    if not os.path.exists(binary) or os.path.getmtime(binary) < os.path.getmtime(source):
        os.makedirs(os.path.dirname(binary), exist_ok=True)
        subprocess.run(["cc", "-O2", "-o", binary, source], check=True)
    return binary


def busy_cores():
    """One shell loop per core, as a machine busy compiling and testing."""
    return [subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(os.cpu_count())]


def promote():
    """Real-time priority for this process, when allowed (the children started before keep theirs): on a busy
    machine the harness itself would otherwise wait for a core between reading one program's line and the
    other's, and that wait would count against the second."""
    try:
        os.sched_setscheduler(0, os.SCHED_FIFO, os.sched_param(1))
        return True
    except (PermissionError, AttributeError):
        return False


def reaction_run(busy, switches):
    """One fresh application and one minimal watcher on the same HOME; both medians in milliseconds."""
    home, process, lines, _ = launch()
    watcher = subprocess.Popen([minimal_watcher(), os.path.join(home, ".codex"), STATE_NAME],
                               stdout=subprocess.PIPE)
    watcher_lines = Lines(watcher.stdout)
    watcher_lines.wait_for("watcher: ready")
    loops = busy_cores() if busy else []
    try:
        time.sleep(1)
        application, limit = [], []
        promoted = promote()
        for index in range(switches):
            lines.drain()
            watcher_lines.drain()
            replaced = replace_state(home, "project-b" if index % 2 == 0 else "project-a")
            stamps = wait_for_all({lines: "mac: key-posted", watcher_lines: "watcher: read"})
            application.append((stamps[lines] - replaced) * 1000)
            limit.append((stamps[watcher_lines] - replaced) * 1000)
            time.sleep(0.7)
        load = os.getloadavg()[0]
        if promoted:
            os.sched_setscheduler(0, os.SCHED_OTHER, os.sched_param(0))
    finally:
        for loop in loops:
            loop.kill()
            loop.wait()
        watcher.kill()
        watcher.wait()
        process.terminate()
        process.wait(timeout=10)
    return statistics.median(application), statistics.median(limit), load


def reaction():
    runs = int(ARGUMENTS[1]) if len(ARGUMENTS) > 1 else 3
    switches = int(ARGUMENTS[2]) if len(ARGUMENTS) > 2 else SWITCHES
    for busy in (False, True):
        condition = "every core busy" if busy else "quiet"
        ratios = []
        for index in range(runs):
            application, limit, load = reaction_run(busy, switches)
            ratios.append(application / limit)
            print(f"{condition}, run {index + 1}: application median {application:.2f} ms, minimal watcher median "
                  f"{limit:.2f} ms, ratio {application / limit:.1f} x over {switches} switches "
                  f"(load average {load:.1f})", flush=True)
        print(f"{condition}: median ratio {statistics.median(ratios):.1f} x (budget 3 x)", flush=True)


def large_state():
    sizes = [float(size) for size in ARGUMENTS[1:]] or [1, 10, 30, 100]
    for megabytes in sizes:
        extra = conversations(megabytes)
        size = len(state("project-a", extra)) / 1e6
        load = os.getloadavg()[0]
        # Started on a small file, so that what the large one costs shows above the application's own memory.
        home, process, lines, _ = launch()
        try:
            time.sleep(1)
            baseline = resident_mib(process.pid)
            latencies = []
            for index in range(6):
                lines.drain()
                replaced = replace_state(home, "project-b" if index % 2 == 0 else "project-a", extra)
                latencies.append((lines.wait_for("mac: key-posted", 60) - replaced) * 1000)
                time.sleep(0.7 + latencies[-1] / 1000)
            time.sleep(1)
            lines.drain()
            resident, peak = resident_mib(process.pid), resident_mib(process.pid, "VmHWM:")
        finally:
            process.terminate()
            process.wait(timeout=30)
        median = statistics.median(latencies[1:])
        print(f"state file of {size:.1f} MB: resident {resident:.1f} MiB after 6 replacements, peak {peak:.1f} MiB "
              f"= {(peak - baseline) * 1.048576 / size:.2f} x the file above the {baseline:.1f} MiB before it; "
              f"replacement to first key event posted: median {median:.1f} ms = {median / size:.2f} ms/MB "
              f"(load average {load:.1f})", flush=True)


def budgets():
    idle_seconds = float(ARGUMENTS[1]) if len(ARGUMENTS) > 1 else 60.0
    runs = int(ARGUMENTS[2]) if len(ARGUMENTS) > 2 else 3
    every = []
    for index in range(runs):
        load = os.getloadavg()[0]
        shown, latencies, idle = run(idle_seconds if index == runs - 1 else 0)
        every += latencies
        print(f"run {index + 1}: start to main window shown {shown * 1000:.1f} ms; state file replaced to first key "
              f"event posted: median {statistics.median(latencies):.2f} ms, max {max(latencies):.2f} ms over "
              f"{len(latencies)} switches (load average {load:.1f})")
        if idle:
            print(f"idle with switching on for {idle[0]:.0f} s: {idle[1]:.3f} % of one core, "
                  f"{idle[2]:.1f} MiB resident at most (budget 0.5 %, 100 MB)")
    print(f"all runs: state file replaced to first key event posted: median {statistics.median(every):.2f} ms over "
          f"{len(every)} switches (budget median 10 ms); start budget 500 ms")
    projects(idle_seconds)


if __name__ == "__main__":
    {"--budgets": budgets, "--reaction": reaction, "--large-state": large_state, "--projects": projects}[MODE]()
