"""Smoke tests on a real Java runtime instead of the test runtime: QZ_WINDOWS_JDK names the home
folder of a Windows JDK of the executables' processor (64-bit for quorvane64.exe, 32-bit for
quorvane.exe; QZ_WINDOWS_JDK32 for the latter when both are to run). Without one, each test is
reported as skipped with the reason, so that a run without a JDK says so."""

import os
from pathlib import Path

import pytest

from conftest import App, windows_path

SMOKE = """public class Smoke {
    public static void main(String[] args) {
        System.out.println("smoke " + String.join(",", args) + " on " + System.getProperty("java.version"));
        if (args.length > 0 && args[0].equals("exit")) System.exit(3);
    }
}"""


@pytest.mark.parametrize("main_class,args,code,stdout,stderr", [
    ("Smoke", ["a", "b c"], 0, b"smoke a,b c on ", b""),
    ("Smoke", ["exit"], 3, b"smoke exit on ", b""),
    ("NoSuchClass", [], 1, b"", b"Could not find or load main class NoSuchClass"),
], ids=["main with arguments", "System.exit", "missing class"])
def test_main_on_a_real_jdk(tmp_path, executable, main_class, args, code, stdout, stderr):
    variable = "QZ_WINDOWS_JDK32" if executable == "quorvane.exe" and "QZ_WINDOWS_JDK32" in \
        os.environ else "QZ_WINDOWS_JDK"
    if not os.environ.get(variable):
        pytest.skip(f"no Windows JDK present: set {variable} to the home folder of one "
                    "(docs/testing.md)")
    home = Path(os.environ[variable])
    app = App(tmp_path / "app", executable)
    source = app.folder / "classes" / "Smoke.java"
    source.parent.mkdir()
    source.write_text(SMOKE)
    compiled = app.run("-d", windows_path(source.parent), windows_path(source), timeout=300,
                       program=[windows_path(home / "bin" / "javac.exe")])
    assert compiled.returncode == 0, compiled.stdout + compiled.stderr
    app.configure(main_class, None, JRE_Path=windows_path(home), Class_Path="\\classes")
    result = app.run(*args)
    assert (result.returncode, result.stdout.startswith(stdout), stderr in result.stderr) == \
        (code, True, True), result.stdout + result.stderr
