"""Start-up overhead: the launcher running the test runtime's test.Echo (its main returns at once)
against the bare executable loading the same jvm.dll, and the bare start that also runs and joins
one thread, in one rotation."""

from common import (ratio_table, WORK, Arch, BenchError, against_reference, bare_start, check_launcher_run,
                    launcher_copy, measure, ms, unix_path, windows_path,
                    wine_program)

TARGET = 1.10


def run(arch: Arch, runs: int, warmup: int, env: dict) -> dict:
    folder = WORK / "run" / f"startup-{arch.bits}"
    exe = launcher_copy(folder, arch, ["[Java Runtime Environment]", "Main Class=test.Echo",
                                       f"JRE Path={windows_path(arch.runtime)}"])
    launcher = wine_program(f"{arch.launcher.name} test.Echo", arch, exe, [], folder)
    jvm_windows, _ = check_launcher_run(launcher, env)
    jvm = unix_path(jvm_windows)
    if not jvm.is_file():
        raise BenchError(f"the launcher loaded {jvm_windows}, which is not {jvm}")
    bare, bare_thread = bare_start(arch, jvm), bare_start(arch, jvm, "thread")
    measure([launcher, bare, bare_thread], runs, warmup, env)
    return {"arch": arch, "jvm": jvm, "launcher": launcher, "bare": bare,
            "bare_thread": bare_thread}


def fastest(r: dict) -> str:
    """The fastest starts of each: on a machine whose starts fall into a fast and a slow cluster
    (an idle virtual processor wakes late), the medians may come from different clusters."""
    bare, launcher = min(r["bare"].samples_ms), min(r["launcher"].samples_ms)
    return (f"- {r['arch'].launcher.name}: fastest launcher start {ms(launcher)} ms, fastest bare "
            f"start {ms(bare)} ms, ratio {launcher / bare:.3f}")


def section(results: list) -> list:
    lines = ratio_table(
        "Start-up overhead",
        "The launcher runs test.Echo (main returns at once) on the test runtime; the bare "
        "executable loads the same jvm.dll and looks up JNI_CreateJavaVM.", "launcher", "launcher", TARGET,
        results, "launcher")
    lines += [""] + [f"- {r['arch'].launcher.name}: {r['jvm']}" for r in results]
    lines += [fastest(r) for r in results]
    lines += [against_reference(r["arch"].launcher.name, r["bare_thread"],
                                "runs and joins one thread", r["launcher"], "launcher")
              for r in results]
    return lines
