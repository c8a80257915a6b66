"""What the start-up benchmark's parts share: the paths, the Wine prefix and its server, a program
to start and time, the rotation that measures several, the launcher's folder and the test
runtime's record, and the figures of the Markdown tables."""

import os
import resource
import shutil
import signal
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
DIST = ROOT / "dist"
BUILD = ROOT / "build"
WORK = BUILD / "bench"
PREFIX = WORK / "wineprefix"
READY_MARKER = PREFIX / ".quorvane-ready"
WINESERVER = "wineserver"
# Debian's `wine` starts its 32-bit loader first; a kernel without 32-bit support cannot start it,
# and there Wine's own tools start through wine64 and only the 64-bit programs are measured.
RUNS_32_BIT = subprocess.run([str(ROOT / "tests" / "wine" / "runs-32-bit.sh")]).returncode == 0
WINE = "wine" if RUNS_32_BIT else "/usr/lib/wine/wine64"
# How long the wineserver outlives its last client. Long enough to bridge the pauses between two
# batches (writing 10 000 jar files), short enough that no server is left behind for long.
SERVER_LINGER_SECONDS = 60
START_TIMEOUT_SECONDS = 120  # a start that takes longer has hung
# The one argument of the single instance's second launches and of the HotSpot check run.
ARGUMENT = "bench"


class Arch:
    def __init__(self, bits: int, loader: str, launcher: str, bare: str, runtimes: Path):
        self.bits = bits
        self.loader = loader
        self.launcher = DIST / launcher
        self.bare = WORK / bare
        self.runtime = runtimes / "full"
        self.client_runtime = runtimes / "client"


ARCHES = {
    64: Arch(64, "/usr/lib/wine/wine64", "quorvane64.exe", "bare_start64.exe",
             BUILD / "win64" / "runtimes"),
    32: Arch(32, "/usr/lib/wine/wine", "quorvane.exe", "bare_start32.exe",
             BUILD / "win32" / "runtimes"),
}


class BenchError(Exception):
    pass


class StartTimedOut(Exception):
    pass


def on_alarm(signum, frame):
    raise StartTimedOut()


def windows_path(path: Path) -> str:
    return "Z:" + str(path).replace("/", "\\")


def unix_path(windows: str) -> Path:
    """The Linux path of a Z:\\ path as the test runtime records it (also \\\\?\\Z:\\...)."""
    text = windows[4:] if windows.startswith("\\\\?\\") else windows
    if not text[:2].upper() == "Z:":
        raise BenchError(f"not a path on drive Z: {windows}")
    return Path(text[2:].replace("\\", "/"))


def wine_environment() -> dict:
    env = {key: value for key, value in os.environ.items()
           if not key.startswith(("QZ_", "WINE")) and key not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(WINEPREFIX=str(PREFIX), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    if not RUNS_32_BIT:
        env.update(WINELOADER=WINE)
    return env


def quiet(args: list, env: dict, check: bool = True) -> int:
    """Runs a tool with no standard streams: Wine's helper processes (services, devices) inherit
    the streams of whoever started them and would otherwise keep our pipes open."""
    return subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, check=check, timeout=600).returncode


def ensure_prefix(env: dict):
    if not READY_MARKER.is_file():
        print(f"creating the Wine prefix {PREFIX} ...", file=sys.stderr)
        shutil.rmtree(PREFIX, ignore_errors=True)
        PREFIX.mkdir(parents=True)
        quiet([WINE, "wineboot.exe", "-i"], env)
        quiet([WINESERVER, "-w"], env)
        READY_MARKER.touch()


def ensure_server(env: dict):
    """A wineserver that lingers after its last client; started only when none is running (the
    command fails when one already serves the prefix). The helper processes are started right away
    with no standard streams, so that no measured start pays for them."""
    if quiet([WINESERVER, f"-p{SERVER_LINGER_SECONDS}"], env, check=False) == 0:
        quiet([WINE, "cmd.exe", "/c", "exit"], env, check=False)


class Program:
    """One thing to start: a command line (a Wine loader and an executable, or a Linux program),
    its folder and what it adds to the shared environment."""

    def __init__(self, label: str, command: list, cwd: Path, extra_env: dict | None = None):
        self.label = label
        self.command = [str(part) for part in command]
        self.cwd = cwd
        self.extra_env = extra_env or {}
        self.samples_ms: list[float] = []
        # Processor time (user + system) of each timed start, the process and what it waited for.
        self.cpu_ms: list[float] = []
        self.last_cpu_ms = 0.0

    def start(self, env: dict, capture: bool = False) -> subprocess.CompletedProcess:
        output = subprocess.PIPE if capture else subprocess.DEVNULL
        return subprocess.run(self.command, cwd=self.cwd, env=env, stdin=subprocess.DEVNULL,
                              stdout=output, stderr=output, timeout=START_TIMEOUT_SECONDS)

    def timed_start(self, env: dict) -> float:
        """Wall time of one start in ms. The wait blocks in waitpid: subprocess's own timeout
        would poll with sleeps that double from 0.5 ms and round every start up to 16, 32, 64 or
        115 ms. A hung start is ended by the alarm instead."""
        if self.extra_env:
            env = dict(env, **self.extra_env)
        used_before = resource.getrusage(resource.RUSAGE_CHILDREN)
        begin = time.perf_counter_ns()
        process = subprocess.Popen(self.command, cwd=self.cwd, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        signal.alarm(START_TIMEOUT_SECONDS)
        try:
            returncode = process.wait()
        except StartTimedOut:
            process.kill()
            process.wait()
            raise BenchError(f"{self.label}: no exit within {START_TIMEOUT_SECONDS} s")
        finally:
            signal.alarm(0)
        elapsed_ms = (time.perf_counter_ns() - begin) / 1e6
        used_after = resource.getrusage(resource.RUSAGE_CHILDREN)
        self.last_cpu_ms = ((used_after.ru_utime - used_before.ru_utime)
                            + (used_after.ru_stime - used_before.ru_stime)) * 1000
        if returncode != 0:
            raise BenchError(f"{self.label}: exit code {returncode} from {self.command}")
        return elapsed_ms

    @property
    def median(self) -> float:
        return statistics.median(self.samples_ms)

    @property
    def quartiles(self) -> tuple[float, float]:
        q = statistics.quantiles(self.samples_ms, n=4, method="inclusive")
        return q[0], q[2]


def wine_program(label: str, arch: Arch, exe: Path, args: list, cwd: Path,
                 extra_env: dict | None = None) -> Program:
    return Program(label, [arch.loader, exe, *args], cwd, extra_env)


def bare_start(arch: Arch, jvm: Path, *also: str) -> Program:
    """The bare executable loading jvm (a Linux path), and doing `also` ("thread", "user32")."""
    return wine_program(" ".join([arch.bare.name, *also]), arch, arch.bare,
                        [windows_path(jvm), *also], WORK)


def measure(programs: list, runs: int, warmup: int, env: dict, wine: bool = True):
    """Every program once per round, the order rotated from round to round so that no program
    always follows the same one (for two programs: A B, B A, A B, ...). wine=False for native
    programs, which need no wineserver."""
    if wine:
        ensure_server(env)
    for _ in range(warmup):
        for program in programs:
            program.timed_start(env)
    for round_number in range(runs):
        shift = round_number % len(programs)
        for program in programs[shift:] + programs[:shift]:
            program.samples_ms.append(program.timed_start(env))
            program.cpu_ms.append(program.last_cpu_ms)


def write_ini(path: Path, lines: list):
    path.write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))


def launcher_copy(folder: Path, arch: Arch, ini_lines: list) -> Path:
    """A copy of the launcher in folder (made when missing) with its INI; returns the copy."""
    folder.mkdir(parents=True, exist_ok=True)
    exe = folder / arch.launcher.name
    shutil.copyfile(arch.launcher, exe)
    write_ini(exe.with_suffix(".ini"), ini_lines)
    return exe


def read_record(record: Path) -> list:
    return record.read_text(encoding="utf-8").splitlines() if record.exists() else []


def loaded_library(record: list, label: str) -> str:
    """The one jvm.dll path a record shows loaded, as the runtime saw it."""
    libraries = [line[len("library: "):] for line in record if line.startswith("library: ")]
    if len(libraries) != 1:
        raise BenchError(f"{label}: expected one 'library:' line in {record}")
    return libraries[0]


def check_launcher_run(program: Program, env: dict) -> tuple[str, list]:
    """Starts the launcher once with the test runtime's record on, checks that test.Echo's main
    ran, and returns the path of the jvm.dll it loaded (as the runtime saw it) and the record."""
    record_file = WORK / "run" / "record.txt"
    record_file.unlink(missing_ok=True)
    result = program.start(dict(env, QZ_TEST_RECORD=windows_path(record_file)), capture=True)
    record = read_record(record_file)
    if result.returncode != 0 or b"args: 0" not in result.stdout or "main-args: 0" not in record:
        raise BenchError(f"{program.label}: test.Echo did not run: exit code {result.returncode}, "
                         f"stdout {result.stdout!r}, record {record}")
    return loaded_library(record, program.label), record


def ms(value: float) -> str:
    return f"{value:.1f}"


def spread(program: Program) -> str:
    low, high = program.quartiles
    return f"{ms(low)}–{ms(high)}"


def verdict(met: bool) -> str:
    return "met" if met else "not met"


def ratio_row(name: str, reference: Program, measured: Program, target: float) -> str:
    """A table row: the reference's and the measured program's medians (IQR), their difference,
    the ratio and whether it meets the target."""
    ratio = measured.median / reference.median
    return (f"| {name} | {ms(reference.median)} ({spread(reference)}) "
            f"| {ms(measured.median)} ({spread(measured)}) "
            f"| {ms(measured.median - reference.median)} | {ratio:.3f} "
            f"| {verdict(ratio <= target)} |")


def ratio_table(title: str, intro: str, measured: str, short: str, target: float, results: list,
                key: str) -> list:
    """A section's heading, its introduction and the table of ratio_row, one row per result:
    the bare start against result[key] (`measured` in the header, `short` in the difference)."""
    return [f"## {title}", "", intro, "",
            f"| executable | bare start: median ms (IQR) | {measured}: median ms (IQR) "
            f"| {short} − bare ms | ratio | target ≤ {target:.2f} |",
            "|---|---|---|---|---|---|"] + [
        ratio_row(f"{r['arch'].launcher.name} ({r['arch'].bits}-bit)", r["bare"], r[key], target)
        for r in results]


def added_cells(count: int, added: float) -> str:
    """The scaling tables' last two cells: the time added against none, and per 1000."""
    return f"| {'' if count == 0 else ms(added)} | {'' if count == 0 else ms(added * 1000 / count)} |"


def against_reference(name: str, reference: Program, what: str, measured: Program,
                      measured_name: str) -> str:
    """A launch against a bare start that also does `what`, one thing the launch cannot leave
    out: what the launcher costs beyond it, by medians and by fastest starts."""
    return (f"- {name}: the bare start that also {what} takes "
            f"{ms(reference.median)} ms ({spread(reference)}), fastest "
            f"{ms(min(reference.samples_ms))} ms; the {measured_name} is "
            f"{measured.median / reference.median:.3f} times that (fastest starts: "
            f"{min(measured.samples_ms) / min(reference.samples_ms):.3f})")
