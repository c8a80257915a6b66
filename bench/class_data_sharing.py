"""Class data sharing, natively on Linux: a real application from Debian's packages (Rhino, the
JavaScript shell, js.jar) started by `java -cp`, by build/bench/native_launch (the launcher's
core) as "Class Data Sharing" off leaves it, and by native_launch with the options "auto" gives
the runtime, after one warm-up start that makes the archive. Time to the application's first
output, alternated, median of the runs."""

import statistics
import subprocess
import time
from pathlib import Path

from common import START_TIMEOUT_SECONDS, WORK, BenchError, Program, measure, ms, spread, verdict
from hotspot_launch import JDKS, NATIVE_LAUNCH, environment, jdk_version

# Debian's package rhino (the bench's set-up installs it).
APPLICATION = Path("/usr/share/java/js.jar")
MAIN_CLASS = "org.mozilla.javascript.tools.shell.Main"
SCRIPT = ["-e", "print('bench')"]
EXPECTED = b"bench\n"
TARGET = 0.70


class FirstOutput(Program):
    """A program timed from its spawning to the first byte it writes on standard output."""

    def timed_start(self, env: dict) -> float:
        begin = time.perf_counter_ns()
        process = subprocess.Popen(self.command, cwd=self.cwd, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, bufsize=0)
        first = process.stdout.read(1)
        elapsed_ms = (time.perf_counter_ns() - begin) / 1e6
        rest, errors = process.communicate(timeout=START_TIMEOUT_SECONDS)
        if process.returncode != 0 or first + rest != EXPECTED:
            raise BenchError(f"{self.label}: exit code {process.returncode}, output "
                             f"{first + rest!r}, errors {errors[-2000:]!r}")
        self.last_cpu_ms = 0.0
        return elapsed_ms


def run(version: int, jdk: Path, runs: int, warmup: int) -> dict:
    library = jdk / "lib" / "server" / "libjvm.so"
    if not library.is_file() or not APPLICATION.is_file():
        return {"version": version, "jdk": jdk, "present": False}
    archive = WORK / f"class-data-{version}.jsa"
    archive.unlink(missing_ok=True)
    application = [APPLICATION, MAIN_CLASS, *SCRIPT]
    java = FirstOutput(f"java -cp on JDK {version}", [jdk / "bin" / "java", "-cp", *application],
                       WORK)
    off = FirstOutput(f"native_launch on JDK {version}", [NATIVE_LAUNCH, library, *application],
                      WORK)
    auto = FirstOutput(f"native_launch, auto, on JDK {version}",
                       [NATIVE_LAUNCH, "--class-data-sharing", archive, library, *application], WORK)
    # The warm-up start of auto makes the archive; every measured one maps it.
    measure([java, off, auto], runs, max(warmup, 1), environment(), wine=False)
    if not archive.is_file():
        raise BenchError(f"JDK {version}: the warm-up start made no archive at {archive}")
    return {"version": version, "jdk": jdk, "present": True, "release": jdk_version(jdk),
            "java": java, "off": off, "auto": auto, "archive": archive.stat().st_size}


def section(results: list) -> list:
    lines = ["## Class data sharing: a real application (Linux, HotSpot)", "",
             f"Rhino {APPLICATION.resolve().name} (Debian's `rhino`), `{MAIN_CLASS} "
             f"{' '.join(SCRIPT)}`: `java -cp` without an archive; `native_launch` (the launcher's "
             "core) with `Class Data Sharing` off; and with `auto`, whose options map the archive "
             "one warm-up start made (JDK 19 and later: `-XX:+AutoCreateSharedArchive "
             "-XX:SharedArchiveFile`; 13 to 18: `-XX:SharedArchiveFile` after "
             "`-XX:ArchiveClassesAtExit`). From spawning the program to the first byte of its "
             "output.", "",
             "| JDK | java -cp: median ms (IQR) | key off: median ms (IQR) "
             f"| auto: median ms (IQR) | auto / java -cp | target ≤ {TARGET:.2f} | archive |",
             "|---|---|---|---|---|---|---|"]
    for r in results:
        if not r["present"]:
            lines.append(f"| {r['version']} | not installed ({r['jdk']}, {APPLICATION}) "
                         "| | | | | |")
            continue
        ratio = r["auto"].median / r["java"].median
        lines.append(f"| {r['version']} ({r['release']}) | "
                     + " | ".join(f"{ms(p.median)} ({spread(p)})"
                                  for p in (r["java"], r["off"], r["auto"]))
                     + f" | {ratio:.3f} | {verdict(ratio <= TARGET)} "
                     f"| {r['archive'] / 2**20:.1f} MiB |")
    return lines
