#!/usr/bin/env python3
"""Start-up benchmark of the two launcher executables under Wine, printed as Markdown.

1. Start-up overhead: dist/quorvane64.exe (and dist/quorvane.exe) running the test runtime's
   test.Echo, against build/bench/bare_start{64,32}.exe, which only loads the same jvm.dll and
   looks up JNI_CreateJavaVM. Alternated, median of --runs starts each, reported as a ratio.
2. Class-path scaling: the launcher with "[Class Path] Class Path=\\lib\\*.jar" and 0, 100, 1000
   and 10000 empty jar files in lib\\, rotated, median of --runs starts each.
3. Single-instance round trip: with "[Application] Single Instance=yes" and test.Single running as
   the first instance, a second launch of the same executable (one argument, forwarded to the
   void secondaryMain) from spawning to its exit, alternated with the bare executable; median of
   --runs launches each, reported as a ratio.
4. Registry scaling: no "JRE Path", so the launcher ranks the runtimes registered under
   HKLM\Software\JavaSoft\Java Runtime Environment in its own view: one baseline runtime plus
   0, 300, 3000 and 10000 more versions, each with a home folder of its own (a link to the client
   test runtime). One size at a time, median of --runs starts each, alternated with the bare
   executable as a reference for drift between the sizes.
5. HotSpot: bench/native_launch (the launcher's platform-neutral core: VM creation and the call
   of main through the JDK's launcher helper) against `java -cp` on the same JDK 17 and JDK 25
   (when present), natively on Linux, running Noop; alternated, median of --runs, as a ratio.

Every start runs Wine's loader directly (/usr/lib/wine/wine64, /usr/lib/wine/wine): the `wine`
script in front of it costs tens of milliseconds per start. The prefix is build/bench/wineprefix,
with a wineserver kept alive so every start is warm. Only dist/, the test runtimes under
build/win64 and build/win32, the JDKs under /usr/lib/jvm (read), build/bench/ (read and write)
and the prefix's registry key of item 4 (written, and deleted afterwards) are used.
"""

import argparse
import os
import platform
import resource
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from datetime import datetime, timezone
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
DIST = ROOT / "dist"
BUILD = ROOT / "build"
WORK = BUILD / "bench"
PREFIX = WORK / "wineprefix"
READY_MARKER = PREFIX / ".quorvane-ready"
WINESERVER = "wineserver"
# How long the wineserver outlives its last client. Long enough to bridge the pauses between two
# batches (writing 10 000 jar files), short enough that no server is left behind for long.
SERVER_LINGER_SECONDS = 60


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
JAR_COUNTS = [0, 100, 1000, 10000]
OVERHEAD_TARGET = 1.10
CLASSPATH_TARGET_MS = 50.0
SINGLE_INSTANCE_TARGET = 1.20
START_TIMEOUT_SECONDS = 120  # a start that takes longer has hung
# How long the first instance may take to reach main, and the record to show every forwarded call.
FIRST_INSTANCE_SECONDS = 60
RECORD_SETTLE_SECONDS = 15
SECOND_LAUNCH_ARGUMENT = "bench"
# Registry scaling: versions registered besides the baseline runtime, which every size keeps so
# that the launcher has a runtime to choose at 0; the added versions are all newer than it.
REGISTRY_COUNTS = [0, 300, 3000, 10000]
REGISTRY_KEY = "Software\\JavaSoft\\Java Runtime Environment"
REGISTRY_BASELINE_VERSION = "1.6.0_45"
# HotSpot: the JDKs whose libjvm.so the launcher's core hosts natively; one that is not installed
# is reported as such.
JDKS = [(17, Path("/usr/lib/jvm/java-17-openjdk-amd64")),
        (25, Path("/usr/lib/jvm/temurin-25-jdk-amd64"))]
NATIVE_LAUNCH = WORK / "native_launch"
NOOP_SOURCE = ROOT / "bench" / "Noop.java"
HOTSPOT_TARGET = 1.00


class BenchError(Exception):
    pass


class StartTimedOut(Exception):
    pass


def on_alarm(signum, frame):
    raise StartTimedOut()


def on_terminate(signum, frame):
    """SIGTERM and SIGHUP end the run through the `finally` blocks, which end the first instance."""
    raise SystemExit(128 + signum)


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
        quiet(["wineboot", "-i"], env)
        quiet([WINESERVER, "-w"], env)
        READY_MARKER.touch()


def ensure_server(env: dict):
    """A wineserver that lingers after its last client; started only when none is running (the
    command fails when one already serves the prefix). The helper processes are started right away
    with no standard streams, so that no measured start pays for them."""
    if quiet([WINESERVER, f"-p{SERVER_LINGER_SECONDS}"], env, check=False) == 0:
        quiet(["wine", "cmd.exe", "/c", "exit"], env, check=False)


class Program:
    """One thing to start: a Wine loader, an executable, its arguments, its folder and what it
    adds to the shared environment."""

    def __init__(self, label: str, loader: str, exe: Path, args: list, cwd: Path,
                 extra_env: dict | None = None):
        self.label = label
        self.command = [loader, str(exe), *args]
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


def app_folder(name: str, arch: Arch, class_path: bool) -> tuple[Path, Path]:
    """A folder with a copy of the launcher and its INI; returns (folder, exe)."""
    folder = WORK / "run" / name
    folder.mkdir(parents=True, exist_ok=True)
    exe = folder / arch.launcher.name
    shutil.copyfile(arch.launcher, exe)
    lines = ["[Java Runtime Environment]", "Main Class=test.Echo",
             f"JRE Path={windows_path(arch.runtime)}"]
    if class_path:
        lines += ["", "[Class Path]", "Class Path=\\lib\\*.jar"]
    write_ini(exe.with_suffix(".ini"), lines)
    return folder, exe


def fill_lib(folder: Path, count: int):
    """Exactly `count` empty jar files in folder/lib."""
    lib = folder / "lib"
    if lib.is_dir() and len(list(lib.iterdir())) == count:
        return
    shutil.rmtree(lib, ignore_errors=True)
    lib.mkdir()
    for number in range(count):
        (lib / f"lib{number:05d}.jar").touch()


def read_record(record: Path) -> list:
    return record.read_text(encoding="utf-8").splitlines() if record.exists() else []


def recorded_start(program: Program, env: dict) -> tuple[subprocess.CompletedProcess, list]:
    """One start with the test runtime's record on: the result and the record's lines."""
    record = WORK / "run" / "record.txt"
    record.unlink(missing_ok=True)
    result = program.start(dict(env, QZ_TEST_RECORD=windows_path(record)), capture=True)
    return result, read_record(record)


def check_launcher_run(program: Program, env: dict) -> tuple[str, list]:
    """Starts the launcher once with the record on, checks that main ran, and returns the path
    of the jvm.dll it loaded (as the runtime saw it) and the record."""
    result, record = recorded_start(program, env)
    if result.returncode != 0 or b"args: 0" not in result.stdout or "main-args: 0" not in record:
        raise BenchError(f"{program.label}: test.Echo did not run: exit code {result.returncode}, "
                         f"stdout {result.stdout!r}, record {record}")
    libraries = [line[len("library: "):] for line in record if line.startswith("library: ")]
    if len(libraries) != 1:
        raise BenchError(f"{program.label}: expected one 'library:' line in {record}")
    return libraries[0], record


class ClassPathSeen:
    """What -Djava.class.path a start handed the VM, from the test runtime's record."""

    def __init__(self, record: list, lib: Path):
        prefix = "option: -Djava.class.path="
        values = [line[len(prefix):].removesuffix(" [hook]") for line in record
                  if line.startswith(prefix)]
        self.present = bool(values)
        value = values[0] if values else ""
        self.chars = len(value)
        entries = [entry for entry in value.split(";") if entry]
        self.entries = len(entries)
        # Entries that name one of the jar files, whole: a cut entry or a stray name does not count.
        # Compared without regard to case, as the file system compares names.
        jars = {windows_path(path).lower() for path in lib.iterdir()} if lib.is_dir() else set()
        self.jars = len({entry.lower() for entry in entries} & jars)

    def complete(self, count: int) -> bool:
        return self.jars == count and self.entries == count

    def __str__(self) -> str:
        if not self.present:
            return "none"
        return f"{self.entries} entries, {self.jars} whole jar paths, {self.chars} chars"


def startup_overhead(arch: Arch, runs: int, warmup: int, env: dict) -> dict:
    folder, exe = app_folder(f"startup-{arch.bits}", arch, class_path=False)
    launcher = Program(f"{arch.launcher.name} test.Echo", arch.loader, exe, [], folder)
    jvm_windows, _ = check_launcher_run(launcher, env)
    jvm = unix_path(jvm_windows)
    if not jvm.is_file():
        raise BenchError(f"the launcher loaded {jvm_windows}, which is not {jvm}")
    bare = Program(f"{arch.bare.name}", arch.loader, arch.bare, [windows_path(jvm)], WORK)
    bare_thread = Program(f"{arch.bare.name} thread", arch.loader, arch.bare,
                          [windows_path(jvm), "thread"], WORK)
    measure([launcher, bare, bare_thread], runs, warmup, env)
    return {"arch": arch, "jvm": jvm, "launcher": launcher, "bare": bare,
            "bare_thread": bare_thread, "ratio": launcher.median / bare.median}


def class_path_scaling(arch: Arch, runs: int, warmup: int, env: dict) -> dict:
    programs = []
    seen = {}
    for count in JAR_COUNTS:
        folder, exe = app_folder(f"classpath-{arch.bits}-{count}", arch, class_path=True)
        fill_lib(folder, count)
        program = Program(f"{count} jars", arch.loader, exe, [], folder)
        _, record = check_launcher_run(program, env)
        seen[count] = ClassPathSeen(record, folder / "lib")
        programs.append(program)
    measure(programs, runs, warmup, env)
    return {"arch": arch, "programs": dict(zip(JAR_COUNTS, programs)), "seen": seen}


def processes_started_from(folder: Path) -> list:
    """Processes whose command line names folder: the Wine loader shows the Linux path until the
    executable runs, then the Windows path (Z:\\...). Compared without regard to case."""
    needles = [str(folder).lower().encode() + b"/", windows_path(folder).lower().encode() + b"\\"]
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit() or int(entry.name) == os.getpid():
            continue
        try:
            command_line = (entry / "cmdline").read_bytes().lower()
        except OSError:
            continue
        if any(needle in command_line for needle in needles):
            found.append(int(entry.name))
    return found


def end_processes_started_from(folder: Path):
    """Kills every process started from folder, until none is left (at most about 5 s)."""
    for _ in range(50):
        running = processes_started_from(folder)
        if not running:
            return
        for pid in running:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        time.sleep(0.1)
    raise BenchError(f"processes started from {folder} are still running: {running}")


def single_instance_folder(arch: Arch) -> tuple[Path, Path, Path]:
    """A folder with a copy of the launcher and a single-instance INI for test.Single; returns
    (folder, exe, record file)."""
    folder = WORK / "run" / f"single-{arch.bits}"
    # A first instance left behind by an earlier run that was killed would serve our launches.
    end_processes_started_from(folder)
    folder.mkdir(parents=True, exist_ok=True)
    exe = folder / arch.launcher.name
    shutil.copyfile(arch.launcher, exe)
    write_ini(exe.with_suffix(".ini"), [
        "[Java Runtime Environment]", "Main Class=test.Single",
        f"JRE Path={windows_path(arch.client_runtime)}", "",
        "[Class Path]", f"Class Path={windows_path(folder / 'app.jar')}", "",
        "[Application]", "Single Instance=yes"])
    record = folder / "record.txt"
    record.unlink(missing_ok=True)
    return folder, exe, record


def wait_for_main(first: subprocess.Popen, record: Path, label: str) -> list:
    """Waits until the first instance has recorded main-args; returns the record."""
    deadline = time.monotonic() + FIRST_INSTANCE_SECONDS
    while True:
        lines = read_record(record)
        if any(line.startswith("main-args: ") for line in lines):
            return lines
        if first.poll() is not None:
            raise BenchError(f"{label}: the first instance ended with exit code "
                             f"{first.returncode} before main; record {lines}")
        if time.monotonic() > deadline:
            raise BenchError(f"{label}: no main-args within {FIRST_INSTANCE_SECONDS} s; "
                             f"record {lines}")
        time.sleep(0.02)


def check_forwarded(record: Path, expected: int, label: str) -> list:
    """Waits until the record shows `expected` calls of secondaryMain with the launches' argument
    and checks that only the first instance created a VM and ran main; returns the record."""
    delivered = f"secondary-args: [{SECOND_LAUNCH_ARGUMENT}]"
    deadline = time.monotonic() + RECORD_SETTLE_SECONDS
    while True:
        lines = read_record(record)
        calls = [line for line in lines if line.startswith("secondary-args")]
        if len(calls) >= expected or time.monotonic() > deadline:
            break
        time.sleep(0.05)
    libraries = sum(line.startswith("library:") for line in lines)
    creates = sum(line.startswith("create:") for line in lines)
    mains = sum(line.startswith("main-args") for line in lines)
    if calls != [delivered] * expected or (libraries, creates, mains) != (1, 1, 1):
        raise BenchError(f"{label}: expected {expected} × '{delivered}' and one 'library:', "
                         f"'create:' and 'main-args' (the first instance's); got {len(calls)} "
                         f"secondary calls ({sorted(set(calls))}), {libraries} 'library:', "
                         f"{creates} 'create:', {mains} 'main-args'")
    return lines


def single_instance_round_trip(arch: Arch, runs: int, warmup: int, env: dict) -> dict:
    folder, exe, record = single_instance_folder(arch)
    label = f"{exe.name} single instance"
    ensure_server(env)
    first_env = dict(env, QZ_TEST_RECORD=windows_path(record),
                     QZ_TEST_JAVA_OPTIONS="-Dtest.wait.ms=600000")
    # The timed launches write to the same record (only a launch that loads the runtime would) and
    # get test.wait.ms=0: one that runs main itself instead of forwarding ends at once with
    # test.Single's exit code 7, which stops the run. The bare start gets neither: jvm.dll would
    # write a record line on every load.
    second_env = {"QZ_TEST_RECORD": windows_path(record),
                  "QZ_TEST_JAVA_OPTIONS": "-Dtest.wait.ms=0"}
    first = subprocess.Popen([arch.loader, str(exe)], cwd=folder, env=first_env,
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    try:
        lines = wait_for_main(first, record, label)
        libraries = [line[len("library: "):] for line in lines if line.startswith("library: ")]
        if len(libraries) != 1:
            raise BenchError(f"{label}: expected one 'library:' line in {lines}")
        jvm = unix_path(libraries[0])
        if not jvm.is_file():
            raise BenchError(f"the first instance loaded {libraries[0]}, which is not {jvm}")
        second = Program(f"{exe.name} second launch", arch.loader, exe, [SECOND_LAUNCH_ARGUMENT],
                         folder, extra_env=second_env)
        bare = Program(f"{arch.bare.name}", arch.loader, arch.bare, [windows_path(jvm)], WORK)
        bare_user32 = Program(f"{arch.bare.name} user32", arch.loader, arch.bare,
                              [windows_path(jvm), "user32"], WORK)
        measure([second, bare, bare_user32], runs, warmup, env)
        if first.poll() is not None:
            raise BenchError(f"{label}: the first instance ended with exit code "
                             f"{first.returncode} during the run")
        check_forwarded(record, warmup + runs, label)
    finally:
        if first.poll() is None:
            first.kill()
        first.wait()
        end_processes_started_from(folder)
    return {"arch": arch, "jvm": jvm, "second": second, "bare": bare, "bare_user32": bare_user32,
            "calls": warmup + runs, "ratio": second.median / bare.median}


def registry_tool(env: dict, *args: str, check: bool = True) -> tuple[int, str]:
    """Wine's reg.exe in the bench's prefix, not timed: its exit code and output. The output goes
    to a file, not a pipe, which a Wine helper process started meanwhile would keep open."""
    with tempfile.TemporaryFile(dir=WORK) as output:
        returncode = subprocess.run(["wine", "reg", *args], env=env, stdin=subprocess.DEVNULL,
                                    stdout=output, stderr=subprocess.DEVNULL, check=check,
                                    timeout=600).returncode
        output.seek(0)
        return returncode, output.read().decode("utf-8", "replace")


def clear_registered_runtimes(bits: int, env: dict):
    """Deletes the whole Java Runtime Environment key of one registry view (when present)."""
    registry_tool(env, "delete", f"HKLM\\{REGISTRY_KEY}", "/f", f"/reg:{bits}", check=False)


def registered_versions(bits: int, env: dict) -> int:
    """How many version keys the view holds under the Java Runtime Environment key."""
    _, output = registry_tool(env, "query", f"HKLM\\{REGISTRY_KEY}", f"/reg:{bits}",
                              check=False)
    prefix = f"HKEY_LOCAL_MACHINE\\{REGISTRY_KEY}\\".lower()
    return sum(line.strip().lower().startswith(prefix) for line in output.splitlines())


def registry_homes(arch: Arch, count: int) -> Path:
    """A folder with `baseline` and v00001 ... v<count>, each a link to the client test runtime:
    a home of its own per registered version."""
    homes = WORK / "run" / f"registry-{arch.bits}" / "homes"
    homes.mkdir(parents=True, exist_ok=True)
    target = str(arch.client_runtime)
    for name in ["baseline"] + [f"v{number:05d}" for number in range(1, count + 1)]:
        link = homes / name
        if link.is_symlink() and os.readlink(link) == target:
            continue
        if link.is_symlink() or link.is_file():
            link.unlink()
        elif link.exists():
            shutil.rmtree(link)
        os.symlink(target, link)
    return homes


def registered_home(homes: Path, count: int) -> Path:
    """The home of the newest version registered with `count` added versions."""
    return homes / ("baseline" if count == 0 else f"v{count:05d}")


def write_registration(path: Path, homes: Path, count: int):
    """A .reg file with the baseline runtime and versions 1.8.0_1 ... 1.8.0_<count>."""
    entries = [(REGISTRY_BASELINE_VERSION, homes / "baseline")]
    entries += [(f"1.8.0_{number}", homes / f"v{number:05d}") for number in range(1, count + 1)]
    lines = ["Windows Registry Editor Version 5.00", ""]
    for version, home in entries:
        lines += [f"[HKEY_LOCAL_MACHINE\\{REGISTRY_KEY}\\{version}]",
                  '"JavaHome"="' + windows_path(home).replace("\\", "\\\\") + '"', ""]
    path.write_bytes(b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le"))


def registry_scaling(arch: Arch, runs: int, warmup: int, env: dict) -> dict:
    """One size after the other (the registry is one for all starts): register, check the chosen
    runtime with the record on, measure the launcher alternated with the bare start of the same
    jvm.dll. The key is deleted afterwards, also when the run fails."""
    folder = WORK / "run" / f"registry-{arch.bits}"
    app = folder / "app"
    app.mkdir(parents=True, exist_ok=True)
    exe = app / arch.launcher.name
    shutil.copyfile(arch.launcher, exe)
    (app / "app.jar").touch()
    write_ini(exe.with_suffix(".ini"), [
        "[Java Runtime Environment]", "Main Class=test.Echo", "",
        "[Class Path]", f"Class Path={windows_path(app / 'app.jar')}"])
    homes = registry_homes(arch, REGISTRY_COUNTS[-1])
    ensure_server(env)
    # Neither view may hold runtimes left by a run that was killed.
    for bits in ARCHES:
        clear_registered_runtimes(bits, env)
    rows = {}
    try:
        for count in REGISTRY_COUNTS:
            reg_file = folder / f"versions-{count}.reg"
            write_registration(reg_file, homes, count)
            clear_registered_runtimes(arch.bits, env)
            registry_tool(env, "import", windows_path(reg_file), f"/reg:{arch.bits}")
            keys = registered_versions(arch.bits, env)
            if keys != count + 1:
                raise BenchError(f"{reg_file.name}: {keys} version keys in the {arch.bits}-bit "
                                 f"view after the import, not {count + 1}")
            launcher = Program(f"{exe.name} with {count} added versions", arch.loader, exe, [],
                               app)
            jvm_windows, _ = check_launcher_run(launcher, env)
            expected = registered_home(homes, count) / "bin" / "client" / "jvm.dll"
            if str(unix_path(jvm_windows)).lower() != str(expected).lower():
                raise BenchError(f"{launcher.label}: loaded {jvm_windows}, not the newest "
                                 f"registered runtime's {windows_path(expected)}")
            bare = Program(arch.bare.name, arch.loader, arch.bare, [windows_path(expected)], WORK)
            measure([launcher, bare], runs, warmup, env)
            rows[count] = {"keys": keys, "jvm": expected, "launcher": launcher, "bare": bare}
    finally:
        clear_registered_runtimes(arch.bits, env)
    if registered_versions(arch.bits, env) != 0:
        raise BenchError(f"the {arch.bits}-bit view still holds HKLM\\{REGISTRY_KEY}")
    return {"arch": arch, "rows": rows, "homes": homes}


class NativeProgram(Program):
    """A Linux program: the command line as given, no Wine loader."""

    def __init__(self, label: str, command: list, cwd: Path, extra_env: dict | None = None):
        super().__init__(label, "", Path(), [], cwd, extra_env)
        self.command = [str(part) for part in command]


def native_environment() -> dict:
    """The caller's environment without what would change how either program starts a VM."""
    return {key: value for key, value in os.environ.items()
            if not key.startswith("QZ_")
            and key not in ("JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS", "JDK_JAVA_OPTIONS", "CLASSPATH")}


def jdk_version(jdk: Path) -> str:
    """The runtime version the JDK's release file names."""
    fields = {}
    for line in (jdk / "release").read_text(encoding="utf-8", errors="replace").splitlines():
        key, _, value = line.partition("=")
        fields[key] = value.strip().strip('"')
    return fields.get("JAVA_RUNTIME_VERSION") or fields.get("JAVA_VERSION") or "unknown"


def compile_noop(version: int, jdk: Path) -> Path:
    """bench/Noop.java compiled by the JDK's own javac into build/bench/hotspot-<version>/."""
    classes = WORK / f"hotspot-{version}"
    compiled = classes / "Noop.class"
    if not compiled.is_file() or compiled.stat().st_mtime < NOOP_SOURCE.stat().st_mtime:
        shutil.rmtree(classes, ignore_errors=True)
        classes.mkdir(parents=True)
        result = subprocess.run([str(jdk / "bin" / "javac"), "-d", str(classes), str(NOOP_SOURCE)],
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
        if result.returncode != 0:
            raise BenchError(f"javac of JDK {version}: {result.stderr.decode(errors='replace')}")
    return classes


def check_noop_run(program: NativeProgram, env: dict, trace: bool):
    """One start with the argument `bench`, which Noop prints: main must have run. With trace on
    (the launcher's QZ_TRACE), the trace must show the JDK's launcher helper loading the class."""
    command = program.command + [SECOND_LAUNCH_ARGUMENT]
    run_env = dict(env, QZ_TRACE="1") if trace else env
    result = subprocess.run(command, cwd=program.cwd, env=run_env, stdin=subprocess.DEVNULL,
                            capture_output=True, timeout=START_TIMEOUT_SECONDS)
    if result.returncode != 0 or result.stdout != f"{SECOND_LAUNCH_ARGUMENT}\n".encode():
        raise BenchError(f"{program.label}: Noop did not run: exit code {result.returncode}, "
                         f"stdout {result.stdout!r}, stderr {result.stderr[-2000:]!r}")
    if trace and b"main class Noop: loaded by the JDK's launcher helper" not in result.stderr:
        raise BenchError(f"{program.label}: Noop was not loaded through the JDK's launcher "
                         f"helper: {result.stderr[-2000:]!r}")


def hotspot_launch(version: int, jdk: Path, runs: int, warmup: int, env: dict) -> dict:
    if not (jdk / "lib" / "server" / "libjvm.so").is_file():
        return {"version": version, "jdk": jdk, "present": False}
    classes = compile_noop(version, jdk)
    launcher = NativeProgram(f"native_launch on JDK {version}",
                             [NATIVE_LAUNCH, jdk / "lib" / "server" / "libjvm.so", classes, "Noop"],
                             WORK)
    java = NativeProgram(f"java on JDK {version}", [jdk / "bin" / "java", "-cp", classes, "Noop"],
                         WORK)
    check_noop_run(launcher, env, trace=True)
    check_noop_run(java, env, trace=False)
    measure([launcher, java], runs, warmup, env, wine=False)
    return {"version": version, "jdk": jdk, "present": True, "release": jdk_version(jdk),
            "launcher": launcher, "java": java, "ratio": launcher.median / java.median}


def ms(value: float) -> str:
    return f"{value:.1f}"


def spread(program: Program) -> str:
    low, high = program.quartiles
    return f"{ms(low)}–{ms(high)}"


def startup_table(results: list) -> list:
    lines = ["| executable | bare start: median ms (IQR) | launcher: median ms (IQR) "
             "| launcher − bare ms | ratio | target ≤ 1.10 |",
             "|---|---|---|---|---|---|"]
    for r in results:
        bare, launcher = r["bare"], r["launcher"]
        lines.append(f"| {r['arch'].launcher.name} ({r['arch'].bits}-bit) "
                     f"| {ms(bare.median)} ({spread(bare)}) "
                     f"| {ms(launcher.median)} ({spread(launcher)}) "
                     f"| {ms(launcher.median - bare.median)} | {r['ratio']:.3f} "
                     f"| {'met' if r['ratio'] <= OVERHEAD_TARGET else 'not met'} |")
    return lines


def startup_fastest(r: dict) -> str:
    """The fastest starts of each: on a machine whose starts fall into a fast and a slow cluster
    (an idle virtual processor wakes late), the medians may come from different clusters."""
    bare, launcher = min(r["bare"].samples_ms), min(r["launcher"].samples_ms)
    return (f"- {r['arch'].launcher.name}: fastest launcher start {ms(launcher)} ms, fastest bare "
            f"start {ms(bare)} ms, ratio {launcher / bare:.3f}")


def against_reference(r: dict, reference: Program, what: str, measured: Program,
                      name: str) -> str:
    """A launch against a bare start that also does `what`, one thing the launch cannot leave
    out: what the launcher costs beyond it, by medians and by fastest starts."""
    return (f"- {r['arch'].launcher.name}: the bare start that also {what} takes "
            f"{ms(reference.median)} ms ({spread(reference)}), fastest "
            f"{ms(min(reference.samples_ms))} ms; the {name} is "
            f"{measured.median / reference.median:.3f} times that (fastest starts: "
            f"{min(measured.samples_ms) / min(reference.samples_ms):.3f})")


def classpath_table(results: list) -> list:
    lines = ["| executable | jars | -Djava.class.path the VM got | median ms (IQR) "
             "| added ms vs 0 jars | added ms per 1000 jars |",
             "|---|---|---|---|---|---|"]
    for r in results:
        base = r["programs"][0].median
        for count, program in r["programs"].items():
            added = program.median - base
            lines.append(f"| {r['arch'].launcher.name} | {count} | {r['seen'][count]} "
                         f"| {ms(program.median)} ({spread(program)}) "
                         f"| {'' if count == 0 else ms(added)} "
                         f"| {'' if count == 0 else ms(added * 1000 / count)} |")
    return lines


def single_instance_table(results: list) -> list:
    lines = ["| executable | bare start: median ms (IQR) | second launch: median ms (IQR) "
             "| second − bare ms | ratio | target ≤ 1.20 |",
             "|---|---|---|---|---|---|"]
    for r in results:
        bare, second = r["bare"], r["second"]
        lines.append(f"| {r['arch'].launcher.name} ({r['arch'].bits}-bit) "
                     f"| {ms(bare.median)} ({spread(bare)}) "
                     f"| {ms(second.median)} ({spread(second)}) "
                     f"| {ms(second.median - bare.median)} | {r['ratio']:.3f} "
                     f"| {'met' if r['ratio'] <= SINGLE_INSTANCE_TARGET else 'not met'} |")
    return lines


def single_instance_spread(r: dict) -> str:
    """The fastest launches and how many were 100 ms or more over the bare median: a round trip
    that waits in steps shows up as two clusters, which the median alone hides."""
    second, bare = r["second"], r["bare"]
    slow = sum(sample >= bare.median + 100 for sample in second.samples_ms)
    return (f"- {r['arch'].launcher.name}: fastest second launch {ms(min(second.samples_ms))} ms, "
            f"fastest bare start {ms(min(bare.samples_ms))} ms; {slow} of "
            f"{len(second.samples_ms)} second launches took 100 ms or more over the bare median")


def classpath_verdicts(results: list) -> list:
    lines = []
    for r in results:
        name = r["arch"].launcher.name
        short = [count for count in JAR_COUNTS if count and not r["seen"][count].complete(count)]
        if short:
            lines.append(f"- {name}: the class path did not name every jar, whole and once, for "
                         f"{', '.join(map(str, short))} jars; those rows do not time a full "
                         f"class path.")
        added = r["programs"][JAR_COUNTS[-1]].median - r["programs"][0].median
        if JAR_COUNTS[-1] in short:
            verdict = "not judged, the class path is incomplete"
        else:
            verdict = "met" if added < CLASSPATH_TARGET_MS else "not met"
        lines.append(f"- {name}: {JAR_COUNTS[-1]} jars add {ms(added)} ms "
                     f"(target < {CLASSPATH_TARGET_MS:.0f} ms: {verdict}).")
    return lines


def registry_table(results: list) -> list:
    lines = ["| executable | versions added | version keys | runtime chosen "
             "| bare start: median ms | launcher: median ms (IQR) | added ms vs 0 "
             "| added ms per 1000 versions |",
             "|---|---|---|---|---|---|---|---|"]
    for r in results:
        base = r["rows"][0]["launcher"].median
        for count, row in r["rows"].items():
            launcher, bare = row["launcher"], row["bare"]
            added = launcher.median - base
            chosen = REGISTRY_BASELINE_VERSION if count == 0 else f"1.8.0_{count}"
            lines.append(f"| {r['arch'].launcher.name} | {count} | {row['keys']} | {chosen} "
                         f"| {ms(bare.median)} | {ms(launcher.median)} ({spread(launcher)}) "
                         f"| {'' if count == 0 else ms(added)} "
                         f"| {'' if count == 0 else ms(added * 1000 / count)} |")
    return lines


def registry_verdicts(results: list) -> list:
    """Linear or better: k times the versions may add at most k times the time. A step whose
    smaller size adds less than the interquartile range of the starts without added versions is
    not judged: its factor would be noise."""
    lines = []
    for r in results:
        name = r["arch"].launcher.name
        base = r["rows"][0]["launcher"]
        low, high = base.quartiles
        added = {count: row["launcher"].median - base.median for count, row in r["rows"].items()}
        # The fastest starts suffer least from other work on the machine: a second reading.
        fastest = {count: min(row["launcher"].samples_ms) - min(base.samples_ms)
                   for count, row in r["rows"].items()}
        for fewer, more in zip(REGISTRY_COUNTS[1:], REGISTRY_COUNTS[2:]):
            factor = more / fewer
            head = (f"- {name}: {fewer} → {more} versions (×{factor:.3g}): the added time goes "
                    f"from {ms(added[fewer])} to {ms(added[more])} ms")
            if added[fewer] <= high - low:
                lines.append(f"{head}; not judged, {fewer} versions add less than the spread "
                             f"(IQR {ms(high - low)} ms) of the starts with none.")
                continue
            growth = added[more] / added[fewer]
            second = (f"; from the fastest starts ×{fastest[more] / fastest[fewer]:.2f}"
                      if fastest[fewer] > 0 else "")
            lines.append(f"{head}, ×{growth:.2f} (at most ×{factor:.3g}: "
                         f"{'met' if growth <= factor else 'not met'}){second}.")
        largest = REGISTRY_COUNTS[-1]
        lines.append(f"- {name}: {added[largest] * 1000 / largest:.1f} µs per registered version "
                     f"at {largest} versions.")
    return lines


def hotspot_table(results: list) -> list:
    lines = ["| JDK | java -cp: median ms (IQR) | native_launch: median ms (IQR) "
             "| native_launch − java ms | ratio | target ≤ 1.00 "
             "| processor ms, median: java / native_launch |",
             "|---|---|---|---|---|---|---|"]
    for r in results:
        if not r["present"]:
            lines.append(f"| {r['version']} | not installed ({r['jdk']}) | | | | | |")
            continue
        java, launcher = r["java"], r["launcher"]
        lines.append(f"| {r['version']} ({r['release']}) | {ms(java.median)} ({spread(java)}) "
                     f"| {ms(launcher.median)} ({spread(launcher)}) "
                     f"| {ms(launcher.median - java.median)} | {r['ratio']:.3f} "
                     f"| {'met' if r['ratio'] <= HOTSPOT_TARGET else 'not met'} "
                     f"| {ms(statistics.median(java.cpu_ms))} / "
                     f"{ms(statistics.median(launcher.cpu_ms))} |")
    return lines


def load_average() -> str:
    with open("/proc/loadavg", encoding="utf-8") as loadavg:
        return " ".join(loadavg.read().split()[:3])


def machine_lines(load_at_start: str) -> list:
    cpu = "unknown"
    with open("/proc/cpuinfo", encoding="utf-8") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    return [f"- date: {datetime.now(timezone.utc):%Y-%m-%d %H:%M} UTC",
            f"- CPU: {cpu}, {os.cpu_count()} logical processors (nproc)",
            f"- kernel: {platform.release()}; {wine}",
            f"- load average (1, 5, 15 min) at the start: {load_at_start}, "
            f"at the end: {load_average()}"]


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--runs", type=int, default=21, help="measured starts of each program")
    parser.add_argument("--warmup", type=int, default=3, help="unmeasured starts of each first")
    parser.add_argument("--arch", type=int, choices=[64, 32], action="append",
                        help="only this architecture (repeatable); both by default")
    parser.add_argument("--skip-classpath", action="store_true",
                        help="no class-path scaling")
    parser.add_argument("--skip-single-instance", action="store_true",
                        help="no single-instance round trip")
    parser.add_argument("--skip-registry", action="store_true",
                        help="no registry scaling")
    parser.add_argument("--skip-hotspot", action="store_true",
                        help="no native comparison on HotSpot")
    parser.add_argument("--output", type=Path, default=WORK / "results.md",
                        help="where the Markdown is written besides standard output")
    options = parser.parse_args()
    if options.runs < 15:
        parser.error("--runs must be at least 15")
    arches = [ARCHES[bits] for bits in (options.arch or [64, 32])]

    missing = [path for arch in arches
               for path in (arch.launcher, arch.bare, arch.runtime / "bin" / "java.dll",
                            arch.client_runtime / "bin" / "java.dll", Path(arch.loader))]
    if not options.skip_hotspot:
        missing.append(NATIVE_LAUNCH)
    missing = [path for path in missing if not path.is_file()]
    if missing or shutil.which("wine") is None or shutil.which(WINESERVER) is None:
        print("bench: missing " + ", ".join(map(str, missing or ["wine"]))
              + " (run `make` and `make bench`, as root for Wine)", file=sys.stderr)
        return 2

    signal.signal(signal.SIGALRM, on_alarm)
    signal.signal(signal.SIGTERM, on_terminate)
    signal.signal(signal.SIGHUP, on_terminate)
    env = wine_environment()
    ensure_prefix(env)
    began = time.monotonic()
    load_at_start = load_average()
    try:
        startup = [startup_overhead(arch, options.runs, options.warmup, env) for arch in arches]
        scaling = [] if options.skip_classpath else [
            class_path_scaling(arch, options.runs, options.warmup, env) for arch in arches]
        single = [] if options.skip_single_instance else [
            single_instance_round_trip(arch, options.runs, options.warmup, env) for arch in arches]
        registry = [] if options.skip_registry else [
            registry_scaling(arch, options.runs, options.warmup, env) for arch in arches]
        hotspot = [] if options.skip_hotspot else [
            hotspot_launch(version, jdk, options.runs, options.warmup, native_environment())
            for version, jdk in JDKS]
    except (BenchError, subprocess.TimeoutExpired) as error:
        print(f"bench: {error}", file=sys.stderr)
        return 1

    out = ["# Quorvane start-up benchmark", "", *machine_lines(load_at_start),
           f"- {options.runs} measured starts of each program after {options.warmup} warm-up "
           f"starts, in rotated order; wall time from spawning the Wine loader to its exit; "
           f"{time.monotonic() - began:.0f} s in all", "",
           "## Start-up overhead", "",
           "The launcher runs test.Echo (main returns at once) on the test runtime; the bare "
           "executable loads the same jvm.dll and looks up JNI_CreateJavaVM.", "",
           *startup_table(startup), ""]
    out += [f"- {r['arch'].launcher.name}: {r['jvm']}" for r in startup]
    out += [startup_fastest(r) for r in startup]
    out += [against_reference(r, r["bare_thread"], "runs and joins one thread", r["launcher"],
                              "launcher") for r in startup]
    if scaling:
        out += ["", "## Class-path scaling", "",
                "`[Class Path]` `Class Path=\\lib\\*.jar`, with that many empty jar files in "
                "lib\\ beside the executable.", "", *classpath_table(scaling), "",
                *classpath_verdicts(scaling)]
    if single:
        out += ["", "## Single-instance round trip", "",
                "`[Application]` `Single Instance=yes`, test.Single running as the first instance "
                "(client runtime); a second launch of the same executable with one argument, which "
                "it forwards to the void secondaryMain, from spawning to its exit. The bare "
                "executable loads the jvm.dll the first instance loaded.", "",
                *single_instance_table(single), ""]
        out += [f"- {r['arch'].launcher.name}: {r['jvm']}; secondaryMain called {r['calls']} "
                f"times with [{SECOND_LAUNCH_ARGUMENT}], one VM; the second launches loaded no "
                f"jvm.dll" for r in single]
        out += [against_reference(r, r["bare_user32"], "loads user32.dll", r["second"],
                                  "second launch") for r in single]
        out += [single_instance_spread(r) for r in single]
    if registry:
        out += ["", "## Registry scaling", "",
                "No `JRE Path`: the launcher ranks the runtimes registered under "
                f"`HKLM\\{REGISTRY_KEY}` in its own view and loads the newest. Every size has the "
                f"baseline runtime {REGISTRY_BASELINE_VERSION} and that many added versions "
                "1.8.0_1 … 1.8.0_N, each with a home of its own (a link to the client test "
                "runtime); `Main Class=test.Echo`, a class path of one jar. One size after the "
                "other, each imported once; the launcher alternates with the bare executable "
                "loading the chosen jvm.dll, whose median shows any drift between the sizes.", "",
                *registry_table(registry), "", *registry_verdicts(registry)]
        out += [f"- {r['arch'].launcher.name}: each size loaded the newest registered runtime "
                f"(checked with the record), {windows_path(r['homes'])}\\<home>\\bin\\client\\jvm.dll; "
                f"the key was deleted afterwards" for r in registry]
    if hotspot:
        out += ["", "## HotSpot: the launcher's VM creation and main call (Linux)", "",
                "`build/bench/native_launch` hosts the JDK's libjvm.so with the launcher's "
                "platform-neutral core (`-Djava.class.path`, the VM created on a run thread with "
                "the VM's default stack size, main called through the JDK's launcher helper, the "
                "VM destroyed at the end) against `<jdk>/bin/java -cp <classes> Noop`; Noop's "
                "main returns at once, compiled by that JDK's javac. Natively, no Wine; from "
                "spawning the program to its exit. The processor time (user and system, all threads) "
                "of the same starts is less sensitive to other work on the machine than the wall "
                "time.", "", *hotspot_table(hotspot), ""]
        out += [f"- JDK {r['version']}: {r['jdk']}; Noop printed its argument from both programs, "
                f"native_launch loaded it through the JDK's launcher helper"
                for r in hotspot if r["present"]]
    text = "\n".join(out) + "\n"
    print(text, end="")
    options.output.parent.mkdir(parents=True, exist_ok=True)
    options.output.write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
