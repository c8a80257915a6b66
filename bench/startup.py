#!/usr/bin/env python3
"""Start-up benchmark of the two launcher executables under Wine, printed as Markdown.

The driver of the parts, one module each with run() and section(): startup_overhead,
classpath_scaling, single_instance, registry_scaling (Wine), hotspot_launch and
class_data_sharing (natively on Linux); common.py holds what they share. What each measures and how: bench/README.md.
"""

import argparse
import os
import platform
import shutil
import signal
import subprocess
import sys
import time
from datetime import datetime, timezone
from pathlib import Path

import class_data_sharing
import classpath_scaling
import hotspot_launch
import registry_scaling
import single_instance
import startup_overhead
from common import ARCHES, RUNS_32_BIT, WINESERVER, WORK, BenchError, ensure_prefix, on_alarm, wine_environment


def on_terminate(signum, frame):
    """SIGTERM and SIGHUP end the run through the `finally` blocks, which end the first instance
    and delete the registry key."""
    raise SystemExit(128 + signum)


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
    arches = [ARCHES[bits] for bits in (options.arch or ([64, 32] if RUNS_32_BIT else [64]))]
    if not RUNS_32_BIT and 32 in (options.arch or []):
        parser.error("this machine cannot run 32-bit programs (its kernel has no 32-bit support)")

    missing = [path for arch in arches
               for path in (arch.launcher, arch.bare, arch.runtime / "bin" / "java.dll",
                            arch.client_runtime / "bin" / "java.dll", Path(arch.loader))]
    if not options.skip_hotspot:
        missing.append(hotspot_launch.NATIVE_LAUNCH)
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
    # The Wine parts in this order, each for every architecture; those skipped are left out.
    parts = [(startup_overhead, True), (classpath_scaling, not options.skip_classpath),
             (single_instance, not options.skip_single_instance),
             (registry_scaling, not options.skip_registry)]
    sections = []
    try:
        for part, wanted in parts:
            if wanted:
                results = [part.run(arch, options.runs, options.warmup, env) for arch in arches]
                sections.append(part.section(results))
        if not options.skip_hotspot:
            sections.append(hotspot_launch.section([
                hotspot_launch.run(version, jdk, options.runs, options.warmup)
                for version, jdk in hotspot_launch.JDKS]))
            sections.append(class_data_sharing.section([
                class_data_sharing.run(version, jdk, options.runs, options.warmup)
                for version, jdk in hotspot_launch.JDKS]))
    except (BenchError, subprocess.TimeoutExpired) as error:
        print(f"bench: {error}", file=sys.stderr)
        return 1

    out = ["# Quorvane start-up benchmark", "", *machine_lines(load_at_start),
           f"- {options.runs} measured starts of each program after {options.warmup} warm-up "
           f"starts, in rotated order; wall time from spawning the Wine loader to its exit; "
           f"{time.monotonic() - began:.0f} s in all"]
    for section in sections:
        out += ["", *section]
    text = "\n".join(out) + "\n"
    print(text, end="")
    options.output.parent.mkdir(parents=True, exist_ok=True)
    options.output.write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
