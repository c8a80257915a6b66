"""HotSpot, natively on Linux: build/bench/native_launch (the launcher's platform-neutral core: VM
creation and the call of main through the JDK's launcher helper) against `java -cp` on the same
JDK 17 and JDK 25 (when present), running Noop; alternated, median of the runs, as a ratio."""

import os
import shutil
import statistics
import subprocess
from pathlib import Path

from common import (ARGUMENT, ROOT, START_TIMEOUT_SECONDS, WORK, BenchError, Program, measure,
                    ms, ratio_row)

# The JDKs whose libjvm.so the launcher's core hosts natively; one that is not installed is
# reported as such.
JDKS = [(17, Path("/usr/lib/jvm/java-17-openjdk-amd64")),
        (25, Path("/usr/lib/jvm/temurin-25-jdk-amd64"))]
NATIVE_LAUNCH = WORK / "native_launch"
NOOP_SOURCE = ROOT / "bench" / "Noop.java"
TARGET = 1.00


def environment() -> dict:
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


def check_noop_run(program: Program, env: dict, trace: bool):
    """One start with the argument `bench`, which Noop prints: main must have run. With trace on
    (the launcher's QZ_TRACE), the trace must show the JDK's launcher helper loading the class."""
    run_env = dict(env, QZ_TRACE="1") if trace else env
    result = subprocess.run(program.command + [ARGUMENT], cwd=program.cwd, env=run_env,
                            stdin=subprocess.DEVNULL, capture_output=True,
                            timeout=START_TIMEOUT_SECONDS)
    if result.returncode != 0 or result.stdout != f"{ARGUMENT}\n".encode():
        raise BenchError(f"{program.label}: Noop did not run: exit code {result.returncode}, "
                         f"stdout {result.stdout!r}, stderr {result.stderr[-2000:]!r}")
    if trace and b"main class Noop: loaded by the JDK's launcher helper" not in result.stderr:
        raise BenchError(f"{program.label}: Noop was not loaded through the JDK's launcher "
                         f"helper: {result.stderr[-2000:]!r}")


def run(version: int, jdk: Path, runs: int, warmup: int) -> dict:
    library = jdk / "lib" / "server" / "libjvm.so"
    if not library.is_file():
        return {"version": version, "jdk": jdk, "present": False}
    env = environment()
    classes = compile_noop(version, jdk)
    launcher = Program(f"native_launch on JDK {version}", [NATIVE_LAUNCH, library, classes, "Noop"],
                       WORK)
    java = Program(f"java on JDK {version}", [jdk / "bin" / "java", "-cp", classes, "Noop"], WORK)
    check_noop_run(launcher, env, trace=True)
    check_noop_run(java, env, trace=False)
    measure([launcher, java], runs, warmup, env, wine=False)
    return {"version": version, "jdk": jdk, "present": True, "release": jdk_version(jdk),
            "launcher": launcher, "java": java}


def section(results: list) -> list:
    lines = ["## HotSpot: the launcher's VM creation and main call (Linux)", "",
             "`build/bench/native_launch` hosts the JDK's libjvm.so with the launcher's "
             "platform-neutral core (`-Djava.class.path`, the VM created on a run thread with "
             "the VM's default stack size, main called through the JDK's launcher helper, the "
             "VM destroyed at the end) against `<jdk>/bin/java -cp <classes> Noop`; Noop's "
             "main returns at once, compiled by that JDK's javac. Natively, no Wine; from "
             "spawning the program to its exit. The processor time (user and system, all threads) "
             "of the same starts is less sensitive to other work on the machine than the wall "
             "time.", "",
             "| JDK | java -cp: median ms (IQR) | native_launch: median ms (IQR) "
             "| native_launch − java ms | ratio | target ≤ 1.00 "
             "| processor ms, median: java / native_launch |",
             "|---|---|---|---|---|---|---|"]
    for r in results:
        if not r["present"]:
            lines.append(f"| {r['version']} | not installed ({r['jdk']}) | | | | | |")
            continue
        java, launcher = r["java"], r["launcher"]
        lines.append(ratio_row(f"{r['version']} ({r['release']})", java, launcher, TARGET)
                     + f" {ms(statistics.median(java.cpu_ms))} / "
                     f"{ms(statistics.median(launcher.cpu_ms))} |")
    lines += [""] + [f"- JDK {r['version']}: {r['jdk']}; Noop printed its argument from both "
                     f"programs, native_launch loaded it through the JDK's launcher helper"
                     for r in results if r["present"]]
    return lines
