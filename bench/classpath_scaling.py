"""Class-path scaling: "[Class Path] Class Path=\\lib\\*.jar" with 0, 100, 1000 and 10000 empty jar
files in lib\\, rotated; one start of each with the record on shows the -Djava.class.path the VM
got."""

import shutil
from pathlib import Path

from common import (added_cells, WORK, Arch, check_launcher_run, launcher_copy, measure, ms, spread, verdict,
                    windows_path, wine_program)

JAR_COUNTS = [0, 100, 1000, 10000]
TARGET_MS = 50.0


def fill_lib(folder: Path, count: int):
    """Exactly `count` empty jar files in folder/lib."""
    lib = folder / "lib"
    if lib.is_dir() and len(list(lib.iterdir())) == count:
        return
    shutil.rmtree(lib, ignore_errors=True)
    lib.mkdir()
    for number in range(count):
        (lib / f"lib{number:05d}.jar").touch()


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


def run(arch: Arch, runs: int, warmup: int, env: dict) -> dict:
    programs = []
    seen = {}
    for count in JAR_COUNTS:
        folder = WORK / "run" / f"classpath-{arch.bits}-{count}"
        exe = launcher_copy(folder, arch, [
            "[Java Runtime Environment]", "Main Class=test.Echo",
            f"JRE Path={windows_path(arch.runtime)}", "", "[Class Path]", "Class Path=\\lib\\*.jar"])
        fill_lib(folder, count)
        program = wine_program(f"{count} jars", arch, exe, [], folder)
        _, record = check_launcher_run(program, env)
        seen[count] = ClassPathSeen(record, folder / "lib")
        programs.append(program)
    measure(programs, runs, warmup, env)
    return {"arch": arch, "programs": dict(zip(JAR_COUNTS, programs)), "seen": seen}


def table(results: list) -> list:
    lines = ["| executable | jars | -Djava.class.path the VM got | median ms (IQR) "
             "| added ms vs 0 jars | added ms per 1000 jars |",
             "|---|---|---|---|---|---|"]
    for r in results:
        base = r["programs"][0].median
        for count, program in r["programs"].items():
            added = program.median - base
            lines.append(f"| {r['arch'].launcher.name} | {count} | {r['seen'][count]} "
                         f"| {ms(program.median)} ({spread(program)}) " + added_cells(count, added))
    return lines


def verdicts(results: list) -> list:
    lines = []
    for r in results:
        name = r["arch"].launcher.name
        short = [count for count in JAR_COUNTS if count and not r["seen"][count].complete(count)]
        if short:
            lines.append(f"- {name}: the class path did not name every jar, whole and once, for "
                         f"{', '.join(map(str, short))} jars; those rows do not time a full "
                         f"class path.")
        added = r["programs"][JAR_COUNTS[-1]].median - r["programs"][0].median
        judged = ("not judged, the class path is incomplete" if JAR_COUNTS[-1] in short
                  else verdict(added < TARGET_MS))
        lines.append(f"- {name}: {JAR_COUNTS[-1]} jars add {ms(added)} ms "
                     f"(target < {TARGET_MS:.0f} ms: {judged}).")
    return lines


def section(results: list) -> list:
    return ["## Class-path scaling", "",
            "`[Class Path]` `Class Path=\\lib\\*.jar`, with that many empty jar files in "
            "lib\\ beside the executable.", "", *table(results), "", *verdicts(results)]
