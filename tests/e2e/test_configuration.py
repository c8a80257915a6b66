"""Where the launcher finds its INI file and how it reports a missing main class."""

import shutil
from pathlib import Path

import pytest

from conftest import MAIN_CLASS_MISSING, MINUS_ONE, App, windows_path


@pytest.mark.parametrize("ini", [
    None,
    "[Java Runtime Environment]\nJRE Path=C:\\jre\n",
    "[Java Runtime Environment]\nMain Class=\n",
    "[Java Runtime Environment+]\nJRE Path=x\n[Application]\nMain Class=com.example.App\n",
], ids=["no INI", "no key", "empty value", "key in another section"])
def test_missing_main_class_is_one_error_line(app, ini):
    if ini is not None:
        app.write_ini(ini)
    result = app.run("arg")
    assert result.stdout == MAIN_CLASS_MISSING
    assert result.returncode == MINUS_ONE
    assert result.stderr == b""


def test_ini_of_the_executables_own_name_in_a_non_ascii_folder(tmp_path, executable):
    app = App(tmp_path / "Приложение Jäva", executable, name="My App.v2.exe")
    app.write_ini("[Java Runtime Environment]\nMain Class=com.example.Приложение\n"
                  f"JRE Path={windows_path(app.runtime('client'))}\n", encoding="utf-16-le")
    assert app.ini.name == "My App.v2.ini"
    # The INI of the executable's original name is not read.
    (app.folder / executable.replace(".exe", ".ini")).write_text(
        "[Java Runtime Environment]\nMain Class=test.Exit\n")
    result = app.run()
    # The name reached the runtime whole; the test runtime has no such class.
    assert result.returncode == 1
    assert app.recorded("lookup") == ["LauncherHelper com.example.Приложение"]
    assert result.stderr.startswith(
        "Error: Could not find or load main class com.example.Приложение".encode())


def test_plus_sections_supply_values_as_written(tmp_path, app):
    # Keys that are empty in their own section are taken whole from the "+" section.
    app.write_ini("[Java Runtime Environment]\nMain Class=\nJRE Path=\n"
                  "[Java Runtime Environment+]\nMain Class=test.Throws\n"
                  f"JRE Path={windows_path(app.runtime('client'))}\n"
                  "[Application+]\nFailure Check=Yes\n")
    result = app.run()
    assert result.returncode == 0, result.stdout
    assert app.recorded("library")[0].endswith("\\client\\bin\\client\\jvm.dll")
    assert "LauncherHelper test.Throws" in app.recorded("lookup")
    assert app.recorded("exception-text")


def test_no_per_user_file_without_appdata(tmp_path, app):
    # With "APPDATA" unset the per-user file would lie at the root of the current drive, where
    # anybody may plant one: it is not read.
    product = f"Quorvane Test {tmp_path.name}"
    app.write_ini(f"[Product Information]\nProduct Name={product}\nProduct Code={{1}}\n"
                  "[Java Runtime Environment]\nMain Class=test.Echo\n"
                  f"JRE Path={windows_path(app.runtime('client'))}\n")
    # The current drive of a program started from the test's folder.
    drive_root = Path(tmp_path.anchor)
    planted = drive_root / product / "{1}" / app.ini.name
    planted.parent.mkdir(parents=True)
    try:
        app.write_ini("[Java Runtime Environment]\nJRE Path=" + windows_path(app.runtime("server"))
                      + "\n", path=planted)
        result = app.run_in_shell("set APPDATA=")
        assert result.returncode == 0, result.stdout
        assert app.recorded("library")[0].endswith("\\client\\bin\\client\\jvm.dll")
    finally:
        shutil.rmtree(drive_root / product)
