"""What a shipped executable carries: its version resource, read back as Explorer reads it, and
paths beyond 260 units."""

import subprocess

import pytest

from conftest import ALL_EXECUTABLES, App, BUILD, ROOT, RUN_WINE, windows_path

VERSION_INFO = BUILD / "win64" / "tests" / "version_info.exe"
VERSION = (ROOT / "VERSION").read_text().strip()


def version_info(path) -> dict[str, str]:
    result = subprocess.run([str(RUN_WINE), str(VERSION_INFO), windows_path(path)],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    assert result.returncode == 0, result.stderr
    lines = result.stdout.decode("utf-8").splitlines()
    return dict(line.split(": ", 1) for line in lines)


@pytest.mark.parametrize("executable", ALL_EXECUTABLES)
def test_version_resource_names_the_file_and_the_version(tmp_path, executable):
    app = App(tmp_path / "app", executable)
    info = version_info(app.exe)
    kind = "windowless" if executable.endswith("w.exe") else "console"
    processor = "x64" if "64" in executable else "x86"
    assert info == {
        "FixedFileVersion": f"{VERSION}.0",
        "FixedProductVersion": f"{VERSION}.0",
        "Translation": "0409 04b0",
        "CompanyName": "The Quorvane developers",
        "FileDescription": f"Quorvane Java launcher, {kind} ({processor})",
        "FileVersion": VERSION,
        "InternalName": executable.removesuffix("w.exe").removesuffix(".exe"),
        "LegalCopyright": "Copyright (c) 2026 The Quorvane developers. MIT License.",
        "OriginalFilename": executable,
        "ProductName": "Quorvane",
        "ProductVersion": VERSION,
    }


def test_class_path_folder_beyond_260_units(tmp_path, executable):
    """A wildcard class path in a folder whose path is over 300 units long. (The executable itself
    stays on a short path: Wine cannot start a program from a longer one.)"""
    deep = tmp_path / "jars"
    while len(windows_path(deep)) < 300:
        deep = deep / ("long folder name " + "x" * 40)
    deep.mkdir(parents=True)
    for name in ["one.jar", "two.jar"]:
        (deep / name).write_bytes(b"")
    app = App(tmp_path / "app", executable)
    app.write_ini(f"[Java Runtime Environment]\nMain Class=test.Echo\n"
                  f"JRE Path={windows_path(app.runtime('full'))}\n"
                  f"[Class Path]\nClass Path={windows_path(deep)}\\*.jar\n")
    result = app.run("x")
    assert result.returncode == 0, result.stdout + result.stderr
    assert result.stdout == b"args: 1\r\nx\r\n"
    options = [line for line in app.record() if line.startswith("option: -Djava.class.path=")]
    jars = sorted(f"{windows_path(deep)}\\{name}" for name in ["one.jar", "two.jar"])
    assert sorted(options[0].removeprefix("option: -Djava.class.path=").rstrip(";").split(";")) == jars
