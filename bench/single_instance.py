"""Single-instance round trip: with "[Application] Single Instance=yes" and test.Single running as
the first instance, second launches of the same executable (one argument, forwarded to the void
secondaryMain) from spawning to their exit, alternated with the bare executable and the bare start
that also loads user32.dll."""

import os
import signal
import subprocess
import time
from pathlib import Path

from common import (ratio_table, ARGUMENT, WORK, Arch, BenchError, against_reference, bare_start,
                    ensure_server, launcher_copy, loaded_library, measure, ms,
                    read_record, unix_path, windows_path, wine_program)

TARGET = 1.20
# How long the first instance may take to reach main, and the record to show every forwarded call.
FIRST_INSTANCE_SECONDS = 60
RECORD_SETTLE_SECONDS = 15


def end_processes_started_from(folder: Path):
    """Kills every process whose command line names folder, until none is left (at most about
    5 s). The Wine loader shows the Linux path until the executable runs, then the Windows path
    (Z:\\...); compared without regard to case."""
    needles = [str(folder).lower().encode() + b"/", windows_path(folder).lower().encode() + b"\\"]
    for _ in range(50):
        running = []
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit() or int(entry.name) == os.getpid():
                continue
            try:
                command_line = (entry / "cmdline").read_bytes().lower()
            except OSError:
                continue
            if any(needle in command_line for needle in needles):
                running.append(int(entry.name))
        if not running:
            return
        for pid in running:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        time.sleep(0.1)
    raise BenchError(f"processes started from {folder} are still running: {running}")


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
    delivered = f"secondary-args: [{ARGUMENT}]"
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


def run(arch: Arch, runs: int, warmup: int, env: dict) -> dict:
    folder = WORK / "run" / f"single-{arch.bits}"
    # A first instance left behind by an earlier run that was killed would serve our launches.
    end_processes_started_from(folder)
    exe = launcher_copy(folder, arch, [
        "[Java Runtime Environment]", "Main Class=test.Single",
        f"JRE Path={windows_path(arch.client_runtime)}", "",
        "[Class Path]", f"Class Path={windows_path(folder / 'app.jar')}", "",
        "[Application]", "Single Instance=yes"])
    record = folder / "record.txt"
    record.unlink(missing_ok=True)
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
        jvm_windows = loaded_library(wait_for_main(first, record, label), label)
        jvm = unix_path(jvm_windows)
        if not jvm.is_file():
            raise BenchError(f"the first instance loaded {jvm_windows}, which is not {jvm}")
        second = wine_program(f"{exe.name} second launch", arch, exe, [ARGUMENT], folder,
                              extra_env=second_env)
        bare, bare_user32 = bare_start(arch, jvm), bare_start(arch, jvm, "user32")
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
            "calls": warmup + runs}


def slow_launches(r: dict) -> str:
    """The fastest launches and how many were 100 ms or more over the bare median: a round trip
    that waits in steps shows up as two clusters, which the median alone hides."""
    second, bare = r["second"], r["bare"]
    slow = sum(sample >= bare.median + 100 for sample in second.samples_ms)
    return (f"- {r['arch'].launcher.name}: fastest second launch {ms(min(second.samples_ms))} ms, "
            f"fastest bare start {ms(min(bare.samples_ms))} ms; {slow} of "
            f"{len(second.samples_ms)} second launches took 100 ms or more over the bare median")


def section(results: list) -> list:
    lines = ratio_table(
        "Single-instance round trip",
        "`[Application]` `Single Instance=yes`, test.Single running as the first instance "
        "(client runtime); a second launch of the same executable with one argument, which "
        "it forwards to the void secondaryMain, from spawning to its exit. The bare "
        "executable loads the jvm.dll the first instance loaded.", "second launch", "second", TARGET,
        results, "second")
    lines += [""] + [f"- {r['arch'].launcher.name}: {r['jvm']}; secondaryMain called {r['calls']} "
                     f"times with [{ARGUMENT}], one VM; the second launches loaded no jvm.dll"
                     for r in results]
    lines += [against_reference(r["arch"].launcher.name, r["bare_user32"], "loads user32.dll",
                                r["second"], "second launch") for r in results]
    lines += [slow_launches(r) for r in results]
    return lines
