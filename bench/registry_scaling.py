"""Registry scaling: no "JRE Path", so the launcher ranks the runtimes registered under
HKLM\\Software\\JavaSoft\\Java Runtime Environment in its own view: one baseline runtime plus 0,
300, 3000 and 10000 more versions, each with a home folder of its own (a link to the client test
runtime). One size at a time, alternated with the bare executable as a reference for drift between
the sizes."""

import os
import shutil
import subprocess
import tempfile
from pathlib import Path

from common import (added_cells, ARCHES, WINE, WORK, Arch, BenchError, bare_start, check_launcher_run,
                    ensure_server, launcher_copy, measure, ms, spread, unix_path, verdict,
                    windows_path, wine_program)

# Versions registered besides the baseline runtime, which every size keeps so that the launcher
# has a runtime to choose at 0; the added versions are all newer than it.
COUNTS = [0, 300, 3000, 10000]
KEY = "Software\\JavaSoft\\Java Runtime Environment"
BASELINE_VERSION = "1.6.0_45"


def registry_tool(env: dict, *args: str, check: bool = True) -> tuple[int, str]:
    """Wine's reg.exe in the bench's prefix, not timed: its exit code and output. The output goes
    to a file, not a pipe, which a Wine helper process started meanwhile would keep open."""
    with tempfile.TemporaryFile(dir=WORK) as output:
        returncode = subprocess.run([WINE, "reg", *args], env=env, stdin=subprocess.DEVNULL,
                                    stdout=output, stderr=subprocess.DEVNULL, check=check,
                                    timeout=600).returncode
        output.seek(0)
        return returncode, output.read().decode("utf-8", "replace")


def clear_registered_runtimes(bits: int, env: dict):
    """Deletes the whole Java Runtime Environment key of one registry view (when present)."""
    registry_tool(env, "delete", f"HKLM\\{KEY}", "/f", f"/reg:{bits}", check=False)


def registered_versions(bits: int, env: dict) -> int:
    """How many version keys the view holds under the Java Runtime Environment key."""
    _, output = registry_tool(env, "query", f"HKLM\\{KEY}", f"/reg:{bits}", check=False)
    prefix = f"HKEY_LOCAL_MACHINE\\{KEY}\\".lower()
    return sum(line.strip().lower().startswith(prefix) for line in output.splitlines())


def home_name(number: int) -> str:
    """The home folder of the newest version registered with `number` added versions."""
    return "baseline" if number == 0 else f"v{number:05d}"


def registry_homes(arch: Arch, count: int) -> Path:
    """A folder with `baseline` and v00001 ... v<count>, each a link to the client test runtime:
    a home of its own per registered version."""
    homes = WORK / "run" / f"registry-{arch.bits}" / "homes"
    homes.mkdir(parents=True, exist_ok=True)
    target = str(arch.client_runtime)
    for link in (homes / home_name(number) for number in range(count + 1)):
        if link.is_symlink() and os.readlink(link) == target:
            continue
        if link.is_symlink() or link.is_file():
            link.unlink()
        elif link.exists():
            shutil.rmtree(link)
        os.symlink(target, link)
    return homes


def write_registration(path: Path, homes: Path, count: int):
    """A .reg file with the baseline runtime and versions 1.8.0_1 ... 1.8.0_<count>."""
    entries = [(BASELINE_VERSION, homes / home_name(0))]
    entries += [(f"1.8.0_{number}", homes / home_name(number)) for number in range(1, count + 1)]
    lines = ["Windows Registry Editor Version 5.00", ""]
    for version, home in entries:
        lines += [f"[HKEY_LOCAL_MACHINE\\{KEY}\\{version}]",
                  '"JavaHome"="' + windows_path(home).replace("\\", "\\\\") + '"', ""]
    path.write_bytes(b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le"))


def run(arch: Arch, runs: int, warmup: int, env: dict) -> dict:
    """One size after the other (the registry is one for all starts): register, check the chosen
    runtime with the record on, measure the launcher alternated with the bare start of the same
    jvm.dll. The key is deleted afterwards, also when the run fails."""
    folder = WORK / "run" / f"registry-{arch.bits}"
    app = folder / "app"
    exe = launcher_copy(app, arch, ["[Java Runtime Environment]", "Main Class=test.Echo", "",
                                    "[Class Path]", f"Class Path={windows_path(app / 'app.jar')}"])
    (app / "app.jar").touch()
    homes = registry_homes(arch, COUNTS[-1])
    ensure_server(env)
    # Neither view may hold runtimes left by a run that was killed.
    for bits in ARCHES:
        clear_registered_runtimes(bits, env)
    rows = {}
    try:
        for count in COUNTS:
            reg_file = folder / f"versions-{count}.reg"
            write_registration(reg_file, homes, count)
            clear_registered_runtimes(arch.bits, env)
            registry_tool(env, "import", windows_path(reg_file), f"/reg:{arch.bits}")
            keys = registered_versions(arch.bits, env)
            if keys != count + 1:
                raise BenchError(f"{reg_file.name}: {keys} version keys in the {arch.bits}-bit "
                                 f"view after the import, not {count + 1}")
            launcher = wine_program(f"{exe.name} with {count} added versions", arch, exe, [], app)
            jvm_windows, _ = check_launcher_run(launcher, env)
            expected = homes / home_name(count) / "bin" / "client" / "jvm.dll"
            if str(unix_path(jvm_windows)).lower() != str(expected).lower():
                raise BenchError(f"{launcher.label}: loaded {jvm_windows}, not the newest "
                                 f"registered runtime's {windows_path(expected)}")
            bare = bare_start(arch, expected)
            measure([launcher, bare], runs, warmup, env)
            rows[count] = {"keys": keys, "launcher": launcher, "bare": bare}
    finally:
        clear_registered_runtimes(arch.bits, env)
    if registered_versions(arch.bits, env) != 0:
        raise BenchError(f"the {arch.bits}-bit view still holds HKLM\\{KEY}")
    return {"arch": arch, "rows": rows, "homes": homes}


def table(results: list) -> list:
    lines = ["| executable | versions added | version keys | runtime chosen "
             "| bare start: median ms | launcher: median ms (IQR) | added ms vs 0 "
             "| added ms per 1000 versions |",
             "|---|---|---|---|---|---|---|---|"]
    for r in results:
        base = r["rows"][0]["launcher"].median
        for count, row in r["rows"].items():
            launcher, bare = row["launcher"], row["bare"]
            added = launcher.median - base
            chosen = BASELINE_VERSION if count == 0 else f"1.8.0_{count}"
            lines.append(f"| {r['arch'].launcher.name} | {count} | {row['keys']} | {chosen} "
                         f"| {ms(bare.median)} | {ms(launcher.median)} ({spread(launcher)}) "
                         + added_cells(count, added))
    return lines


def verdicts(results: list) -> list:
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
        for fewer, more in zip(COUNTS[1:], COUNTS[2:]):
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
                         f"{verdict(growth <= factor)}){second}.")
        largest = COUNTS[-1]
        lines.append(f"- {name}: {added[largest] * 1000 / largest:.1f} µs per registered version "
                     f"at {largest} versions.")
    return lines


def section(results: list) -> list:
    lines = ["## Registry scaling", "",
             "No `JRE Path`: the launcher ranks the runtimes registered under "
             f"`HKLM\\{KEY}` in its own view and loads the newest. Every size has the "
             f"baseline runtime {BASELINE_VERSION} and that many added versions "
             "1.8.0_1 … 1.8.0_N, each with a home of its own (a link to the client test "
             "runtime); `Main Class=test.Echo`, a class path of one jar. One size after the "
             "other, each imported once; the launcher alternates with the bare executable "
             "loading the chosen jvm.dll, whose median shows any drift between the sizes.", "",
             *table(results), "", *verdicts(results)]
    lines += [f"- {r['arch'].launcher.name}: each size loaded the newest registered runtime "
              f"(checked with the record), {windows_path(r['homes'])}\\<home>\\bin\\client\\jvm.dll; "
              f"the key was deleted afterwards" for r in results]
    return lines
