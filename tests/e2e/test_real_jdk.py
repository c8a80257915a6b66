"""Smoke tests on a real Java runtime instead of the test runtime: QZ_WINDOWS_JDK names the home
folder of a Windows JDK of the executables' processor (64-bit for quorvane64.exe, 32-bit for
quorvane.exe; QZ_WINDOWS_JDK32 for the latter when both are to run). Without one, each test is
reported as skipped with the reason, so that a run without a JDK says so."""

import os
import re
import subprocess
from pathlib import Path

import pytest

from conftest import App, RUNNER, windows_path

SOURCE = """
public class Smoke {
    public static void main(String[] args) {
        System.out.println("smoke " + String.join(",", args) + " on " + System.getProperty("java.version"));
        if (args.length > 0 && args[0].equals("exit")) System.exit(3);
    }
}
"""
INSTANCE_SOURCE = """
class InstanceSmoke {
    void main() {
        System.out.println("instance main");
    }
}
"""


def jdk_for(executable: str) -> Path:
    variable = "QZ_WINDOWS_JDK32" if executable == "quorvane.exe" and "QZ_WINDOWS_JDK32" in os.environ \
        else "QZ_WINDOWS_JDK"
    home = os.environ.get(variable)
    if not home:
        pytest.skip(f"no Windows JDK present: set {variable} to the home folder of one "
                    "(docs/testing.md)")
    return Path(home)


def feature_release(home: Path) -> int:
    found = re.search(r'JAVA_VERSION="(\d+)', (home / "release").read_text(errors="replace"))
    return int(found.group(1)) if found else 0


def compile_classes(home: Path, folder: Path, sources: dict[str, str]) -> None:
    folder.mkdir(parents=True, exist_ok=True)
    files = []
    for name, text in sources.items():
        (folder / name).write_text(text)
        files.append(windows_path(folder / name))
    result = subprocess.run([*RUNNER, windows_path(home / "bin" / "javac.exe"), "-d",
                             windows_path(folder), *files], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=300)
    assert result.returncode == 0, result.stdout + result.stderr


@pytest.fixture
def smoke(tmp_path, executable):
    home = jdk_for(executable)
    app = App(tmp_path / "app", executable)
    sources = {"Smoke.java": SOURCE}
    if feature_release(home) >= 25:
        sources["InstanceSmoke.java"] = INSTANCE_SOURCE
    compile_classes(home, app.folder / "classes", sources)
    return app, home


def configure(app: App, home: Path, main_class: str) -> None:
    app.write_ini(f"[Java Runtime Environment]\nMain Class={main_class}\n"
                  f"JRE Path={windows_path(home)}\n"
                  f"[Class Path]\nClass Path=\\classes\n")


def test_main_runs_with_its_arguments_and_exit_code(smoke):
    app, home = smoke
    configure(app, home, "Smoke")
    result = app.run("a", "b c")
    assert result.returncode == 0, result.stdout + result.stderr
    assert result.stdout.startswith(b"smoke a,b c on ")
    result = app.run("exit")
    assert result.returncode == 3, result.stdout + result.stderr


def test_missing_class_is_reported_by_the_runtime(smoke):
    app, home = smoke
    configure(app, home, "NoSuchClass")
    result = app.run()
    assert result.returncode == 1
    assert b"Could not find or load main class NoSuchClass" in result.stderr


def test_instance_main_of_jdk_25(smoke):
    app, home = smoke
    if feature_release(home) < 25:
        pytest.skip(f"the JDK at {home} predates JDK 25's instance mains")
    configure(app, home, "InstanceSmoke")
    result = app.run()
    assert (result.returncode, result.stdout) == (0, b"instance main\r\n"), result.stderr
